#include "accessible.h"

#include <QAccessibleWidget>
#include <QLocale>

#include "controls.h"

namespace {

// The bands of the cells in words; the last cell is lit for a failed
// exchange too.
const char* const kPingBands[10] = {"up to 50 ms",    "51 to 100 ms",  "101 to 150 ms",  "151 to 200 ms",
                                    "201 to 250 ms",  "251 to 300 ms", "301 to 400 ms",  "401 to 500 ms",
                                    "501 to 1000 ms", "over 1000 ms or no reply"};
// What the lit cell of lblPing says besides its colours.
const QString kLitCell = QStringLiteral("last round trip");

// Qt gives a plain top-level widget the role of a client area, which
// screen readers present as a "filler" rather than as a window.
QAccessibleInterface* windowAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("frmPing"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

// What screen readers meet of a TextLabel: what Qt tells of a label, but
// named by spokenName, so that a name that reads the number with its unit
// follows the text (a name set on the widget would stay as it was set),
// and telling about the control that the label is for.
class TextLabelAccessible : public QAccessibleWidget {
public:
    explicit TextLabelAccessible(TextLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return spokenName(label());
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        return s;
    }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
        QAccessible::Relation match) const override
    {
        auto related = QAccessibleWidget::relations(match);
        if (match & QAccessible::Labelled) {
            for (QWidget* control : {label()->buddy(), label()->labelFor()})
                if (QAccessibleInterface* told = QAccessible::queryAccessibleInterface(control))
                    related.append({told, QAccessible::Labelled});
        }
        return related;
    }

private:
    const TextLabel* label() const { return static_cast<const TextLabel*>(widget()); }
};

QAccessibleInterface* textLabelAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("TextLabel"))
        return new TextLabelAccessible(static_cast<TextLabel*>(object));
    return nullptr;
}

// The text as a label with a buddy shows it: "&&" as "&", the "&" before
// the access key left out.
QString withoutAccessKeyMarks(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}

// Qt signals every call, also one that changes nothing.
void describe(QWidget* widget, const QString& description)
{
    if (widget->accessibleDescription() != description)
        widget->setAccessibleDescription(description);
}

}  // namespace

void installAccessibleFactories()
{
    QAccessible::installFactory(windowAccessible);
    QAccessible::installFactory(textLabelAccessible);
}

QString spokenName(const TextLabel* label)
{
    const QString shown = label->buddy() ? withoutAccessKeyMarks(label->text()) : label->text();
    if (label->spokenUnit().isEmpty())
        return shown;
    // The number is written in the default locale, its digits grouped
    // ("032,000"); it is read back the same way, and spoken plain.
    bool ok = false;
    const qlonglong number = QLocale().toLongLong(shown.section(u' ', 0, 0), &ok);
    if (!ok)
        return shown;
    return QString::number(number) + u' ' + label->spokenUnit() + (number == 1 ? QString() : QStringLiteral("s"));
}

ScreenReaderTexts::ScreenReaderTexts(const Controls& controls, QObject* parent) : QObject(parent), c_(controls)
{
    for (int i = 0; i < 10; ++i)
        c_.lblPing[i]->setAccessibleName(QString::fromUtf8(kPingBands[i]));
    c_.hsc->setAccessibleName(QStringLiteral("repeat: seconds between pings"));
    c_.lblLenData->setSpokenUnit(QStringLiteral("byte"));
    c_.cmdSetData->setAccessibleName(QStringLiteral("set the data string"));
    // Not its buddy: that would take an "&" in the string for an access key.
    c_.lblBytes->setLabelFor(c_.cmdSetData);
    c_.txtRisult->setAccessibleName(QStringLiteral("ping log"));
    c_.lblLen->setSpokenUnit(QStringLiteral("character"));
    connect(c_.window, &QWidget::windowTitleChanged, this, &ScreenReaderTexts::captionChanged);
}

void ScreenReaderTexts::cellLit(int cell)
{
    for (int i = 0; i < 10; ++i)
        describe(c_.lblPing[i], i == cell ? kLitCell : QString());
}

void ScreenReaderTexts::pinged(const QString& result, const QString& totals, QWidget* sentBy)
{
    sentBy->setAccessibleDescription(result + u'\n' + totals);
}

void ScreenReaderTexts::cleaned()
{
    c_.cmdPing->setAccessibleDescription(QString());
    c_.cmdKeep->setAccessibleDescription(QString());
}

// Qt 6.4 does not tell screen readers that the caption changed: they would
// go on reading "vesk" after every ping.
void ScreenReaderTexts::captionChanged()
{
    QAccessibleEvent renamed(c_.window, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
}
