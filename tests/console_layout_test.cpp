// The main window as it stands before any handler has run: places, captions,
// tooltips, states, tab order, access keys, fonts and pictures.
#include <QApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QScreen>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

#include "console_window.h"
#include "pictures.h"

namespace {

// The control that holds the focus; the line edit of the box counts as the box.
QWidget* focused(frmPing& frm)
{
    QWidget* w = QApplication::focusWidget();
    if (w && w->parentWidget() == frm.cboAddress)
        return frm.cboAddress;
    return w;
}

// What a failure names a control by: its caption, else its tooltip.
std::string name(const QObject* w)
{
    for (const char* property : {"text", "toolTip"}) {
        const QString text = w->property(property).toString();
        if (!text.isEmpty())
            return text.toStdString();
    }
    return w->metaObject()->className();
}

// Where a control draws: a caption without a frame stands at the top of
// its label, and the rows below it stay blank (the data caption's last row
// lies on the log's top edge).
QRect drawn(const QWidget* w)
{
    const auto* label = qobject_cast<const QLabel*>(w);
    if (!label || label->frameShape() != QFrame::NoFrame || !(label->alignment() & Qt::AlignTop))
        return w->geometry();
    return QRect(w->pos(), QSize(w->width(), QFontMetrics(w->font()).height()));
}

void showActive(frmPing& frm)
{
    frm.show();
    frm.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
}

}  // namespace

using Layout = WindowTest;

TEST_F(Layout, WindowIsFixedAndItsControlsStandInRowsApart)
{
    EXPECT_EQ(frm->size(), QSize(438, 311));
    EXPECT_EQ(frm->minimumSize(), frm->maximumSize());
    EXPECT_EQ(frm->windowTitle(), "vesk");
    EXPECT_EQ(frm->windowIcon().cacheKey(), frm->imgIcon[kProgramIcon].cacheKey());

    // Every control, whatever its kind, lies whole inside the window and
    // clear of every other one.
    QList<QWidget*> controls = frm->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    controls.removeIf([](QWidget* w) { return w->isWindow() || w->isHidden(); });
    ASSERT_GE(controls.size(), 34);
    for (qsizetype i = 0; i < controls.size(); ++i) {
        EXPECT_TRUE(frm->rect().contains(controls[i]->geometry())) << name(controls[i]);
        for (qsizetype j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(drawn(controls[i]).intersects(drawn(controls[j])))
                << name(controls[i]) << " / " << name(controls[j]);
    }

    // Top to bottom, each row left to right: caption, field, button.
    std::vector<QWidget*> cells(frm->lblPing.begin(), frm->lblPing.end());
    const std::vector<QWidget*> rows[] = {
        cells,
        {frm->lblAvg, frm->cmdInfo},
        {frm->Label6, frm->cboAddress, frm->cmdPing},
        {frm->Label7, frm->hsc, frm->cmdKeep},
        {frm->Label2, frm->txtHost, frm->cmdHost2ip},
        {frm->Label4, frm->txtIP, frm->cmdAdd2list},
        {frm->lblLenData, frm->lblBytes, frm->cmdSetData},
        {frm->txtRisult, frm->cmdDeleteIP},
    };
    for (std::size_t r = 0; r < std::size(rows); ++r) {
        for (std::size_t k = 1; k < rows[r].size(); ++k) {
            const QRect left = rows[r][k - 1]->geometry(), right = rows[r][k]->geometry();
            EXPECT_LT(left.right(), right.left()) << name(rows[r][k - 1]) << " / " << name(rows[r][k]);
            EXPECT_TRUE(left.top() <= right.bottom() && right.top() <= left.bottom())
                << name(rows[r][k - 1]) << " / " << name(rows[r][k]) << ": not one row";
        }
        if (r == 0)
            continue;
        for (const QWidget* above : rows[r - 1])
            for (const QWidget* below : rows[r])
                EXPECT_LT(above->geometry().center().y(), below->geometry().center().y())
                    << name(above) << " / " << name(below);
    }
    for (const QWidget* cell : cells)
        EXPECT_EQ(cell->size(), cells[0]->size()) << name(cell);

    // The fields share one left edge, and the buttons another, stacked
    // down beside the log.
    for (const QWidget* field : std::initializer_list<QWidget*>{frm->hsc, frm->txtHost, frm->txtIP, frm->lblBytes})
        EXPECT_EQ(field->x(), frm->cboAddress->x()) << name(field);
    const QWidget* column[] = {frm->cmdInfo,   frm->cmdPing,     frm->cmdKeep,     frm->cmdHost2ip,
                               frm->cmdAdd2list, frm->cmdSetData, frm->cmdDeleteIP, frm->cmdSaveList,
                               frm->lblLen,    frm->cmdClear,    frm->cmdSave,     frm->chkAutoSave};
    for (std::size_t k = 1; k < std::size(column); ++k) {
        EXPECT_EQ(column[k]->x(), column[0]->x()) << name(column[k]);
        EXPECT_LT(column[k - 1]->geometry().bottom(), column[k]->y()) << name(column[k]);
    }
}

TEST_F(Layout, CaptionsTooltipsAndStartStates)
{
    const char* cells[] = {"50", "100", "150", "200", "250", "300", "400", "500", "1k", ">1k"};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(frm->lblPing[i]->text(), cells[i]);
    EXPECT_EQ(litCell(), -1);

    const std::tuple<QAbstractButton*, const char*, const char*, bool> buttons[] = {
        {frm->cmdInfo, "in&fo about vesk", "", true},
        {frm->cmdPing, "single &ping", "", true},
        {frm->cmdKeep, "&keep: 1 sec", "1-60 : seconds between pings (depends on the left scroll)", true},
        {frm->cmdHost2ip, "&get ip", "", false},
        {frm->cmdAdd2list, "&add ip to list", "", false},
        {frm->cmdSetData, "&set", "", true},
        {frm->cmdDeleteIP, "&del current ip", "deletes current ip and saves ip list", true},
        {frm->cmdSaveList, "save ip's in &list", "saves ip list in an .ini file", true},
        {frm->cmdClear, "&clear text", "", false},
        {frm->cmdSave, "save + &view text", "", false},
        {frm->chkAutoSave, "autosave text", "autosaves 64k logs before emptying text", true},
    };
    for (const auto& [b, caption, tip, enabled] : buttons) {
        EXPECT_EQ(b->text(), caption);
        EXPECT_EQ(b->toolTip(), tip) << caption;
        EXPECT_EQ(b->isEnabled(), enabled) << caption;
    }
    EXPECT_FALSE(frm->chkAutoSave->isChecked());
    EXPECT_FALSE(frm->cmdKeep->font().bold());

    const std::tuple<QLabel*, const char*, const char*> labels[] = {
        {frm->lblAvg, "", "totals and average ping time"},
        {frm->Label6, "a&ddress:", ""},
        {frm->Label7, "&repeat:", ""},
        {frm->Label2, "&host:", ""},
        {frm->Label4, "&ip:", ""},
        {frm->lblLenData, "44 &b:", ""},
        {frm->lblBytes, "this is the default data string being pinged", ""},
        {frm->lblLen, "0", "Text Length"},
    };
    for (const auto& [l, caption, tip] : labels) {
        EXPECT_EQ(l->text(), caption);
        EXPECT_EQ(l->toolTip(), tip) << caption;
    }
    for (QLabel* right : {frm->Label6, frm->Label7, frm->Label2, frm->Label4, frm->lblLenData})
        EXPECT_TRUE(right->alignment() & Qt::AlignRight);
    for (QLabel* framed : {frm->lblAvg, frm->lblBytes, frm->lblLen, frm->lblPing[0]}) {
        EXPECT_GT(framed->frameWidth(), 0);
        EXPECT_TRUE(framed->alignment() & Qt::AlignHCenter);
    }

    EXPECT_EQ(frm->cboAddress->currentText(), frmPing::kDefaultEntry);
    EXPECT_EQ(frm->cboAddress->count(), 1);
    EXPECT_TRUE(frm->cboAddress->isEditable());
    EXPECT_TRUE(frm->cboAddress->font().bold());
#ifdef _WIN32  // wine's fonts, which the test programs use, hold the face
    EXPECT_EQ(frm->cboAddress->font().family() + ' ' + QString::number(frm->cboAddress->font().pointSizeF()),
              "MS Sans Serif 8.25");
#endif
    EXPECT_EQ(frm->cboAddress->toolTip(), "ip to ping");
    EXPECT_EQ(frm->txtHost->toolTip(), "host name whose ip is sought for");
    EXPECT_EQ(frm->txtIP->toolTip(), "ip to add to dropdown list");
    EXPECT_TRUE(frm->txtHost->text().isEmpty());
    EXPECT_TRUE(frm->txtIP->text().isEmpty());
    EXPECT_TRUE(frm->txtRisult->isReadOnly());
    EXPECT_EQ(frm->txtRisult->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(frm->logText().isEmpty());

    EXPECT_EQ(frm->hsc->orientation(), Qt::Horizontal);
    EXPECT_EQ(frm->hsc->minimum(), 1);
    EXPECT_EQ(frm->hsc->maximum(), 60);
    EXPECT_EQ(frm->hsc->value(), 1);
    EXPECT_FALSE(frm->Timer1->isActive());
    EXPECT_EQ(frm->Timer1->interval(), 1000);
}

TEST_F(Layout, ColoursComeFromThePalette)
{
    const QPalette& p = frm->palette();
    EXPECT_EQ(frm->lblPing[3]->palette().color(QPalette::Window), p.color(QPalette::Button));
    EXPECT_EQ(frm->lblPing[3]->palette().color(QPalette::WindowText), p.color(QPalette::ButtonText));
    EXPECT_TRUE(frm->lblPing[3]->autoFillBackground());
    // The selection colours, the background darkened where the theme's
    // pair reads poorly (tests/console_colours_test.cpp).
    EXPECT_EQ(frm->lblAvg->palette().color(QPalette::WindowText), p.color(QPalette::HighlightedText));
    EXPECT_NEAR(frm->lblAvg->palette().color(QPalette::Window).hue(), p.color(QPalette::Highlight).hue(), 2);
    EXPECT_TRUE(frm->hasMouseTracking());
    EXPECT_TRUE(frm->lblAvg->hasMouseTracking());
}

TEST_F(Layout, EveryCaptionFitsItsControl)
{
    // Captions as they can become at run time, at their widest.
    frm->cmdKeep->setText("&keep: 60 sec");
    QFont bold = frm->cmdKeep->font();
    bold.setBold(true);
    frm->cmdKeep->setFont(bold);
    frm->lblAvg->setText("total pings: 1234567 - timeouts: 12345 - ok: 1222222 - avg:  999");

    for (QAbstractButton* b : frm->findChildren<QAbstractButton*>()) {
        EXPECT_LE(b->sizeHint().width(), b->width()) << b->text().toStdString();
        EXPECT_LE(QFontMetrics(b->font()).height(), b->height() - 4) << b->text().toStdString();
    }
    for (QLabel* l : frm->findChildren<QLabel*>()) {
        QString shown = l->text();
        if (l->buddy())
            shown.remove('&');
        const QRect room = l->contentsRect();
        const QFontMetrics fm(l->font());
        EXPECT_LE(fm.horizontalAdvance(shown), room.width()) << l->text().toStdString();
        EXPECT_LE(fm.height(), room.height()) << l->text().toStdString();
    }
    const QFontMetrics box(frm->cboAddress->font());
    EXPECT_LE(box.horizontalAdvance("255.255.255.255 | localhost"), frm->cboAddress->lineEdit()->width());
}

TEST_F(Layout, TabOrderSkipsLabelsAndDisabledControls)
{
    showActive(*frm);
    EXPECT_EQ(focused(*frm), frm->cboAddress);
    // Centred up to the frame, whose size is not known before the first show.
    const QPoint offCentre = frm->geometry().center() - frm->screen()->availableGeometry().center();
    EXPECT_LE(std::abs(offCentre.x()), 8) << offCentre.x();
    EXPECT_LE(std::abs(offCentre.y()), 40) << offCentre.y();

    const QWidget* expected[] = {frm->cmdPing,     frm->hsc,         frm->cmdKeep,     frm->txtHost,
                                 frm->txtIP,       frm->cmdSetData,  frm->cmdDeleteIP, frm->cmdSaveList,
                                 frm->chkAutoSave, frm->txtRisult,   frm->cmdInfo,     frm->cboAddress};
    for (const QWidget* w : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(focused(*frm), w) << w->metaObject()->className() << " " << w->toolTip().toStdString();
    }

    // Once the log holds a line, its two buttons join the round.
    ping(0, 1);
    frm->cmdSaveList->setFocus();
    QTest::keyClick(frm->cmdSaveList, Qt::Key_Tab);
    EXPECT_EQ(focused(*frm), frm->cmdClear);
    QTest::keyClick(frm->cmdClear, Qt::Key_Tab);
    EXPECT_EQ(focused(*frm), frm->cmdSave);
}

TEST_F(Layout, AccessKeysClickButtonsAndLabelsMoveTheFocus)
{
    showActive(*frm);
    auto altClicks = [&](Qt::Key key, QAbstractButton* button) {
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        QTest::keyClick(frm.get(), key, Qt::AltModifier);
        return clicked.count() > 0 || clicked.wait(2000);
    };
    EXPECT_TRUE(altClicks(Qt::Key_P, frm->cmdPing));
    EXPECT_EQ(fake.pingedAddresses.size(), 4u);
    EXPECT_TRUE(altClicks(Qt::Key_S, frm->cmdSetData));
    EXPECT_EQ(fake.inputPrompts.size(), 1);
    EXPECT_TRUE(altClicks(Qt::Key_K, frm->cmdKeep));
    EXPECT_TRUE(frm->Timer1->isActive());
    EXPECT_TRUE(altClicks(Qt::Key_L, frm->cmdSaveList));
    EXPECT_TRUE(altClicks(Qt::Key_C, frm->cmdClear));
    EXPECT_TRUE(frm->logText().isEmpty());

    const std::pair<Qt::Key, QWidget*> labels[] = {
        {Qt::Key_R, frm->hsc}, {Qt::Key_H, frm->txtHost}, {Qt::Key_I, frm->txtIP}, {Qt::Key_B, frm->cmdSetData}};
    for (const auto& [key, target] : labels) {
        frm->cboAddress->setFocus();
        QTest::keyClick(frm.get(), key, Qt::AltModifier);
        EXPECT_EQ(focused(*frm), target) << target->metaObject()->className();
    }
    // That "&b:" never clicks "&set": tests/console_controls_test.cpp.

    // Two captions share D: it reaches one of them.
    frm->txtHost->setFocus();
    QTest::keyClick(frm.get(), Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return focused(*frm) == frm->cboAddress || focused(*frm) == frm->cmdDeleteIP; }));

    // Last, since the about window takes the activation with it.
    EXPECT_TRUE(altClicks(Qt::Key_F, frm->cmdInfo));
    EXPECT_EQ(fake.modalShown, 1);
}

TEST_F(Layout, MeterPicturesShowTheirBarCount)
{
    const QColor red(255, 0, 0), yellow(255, 255, 0);
    for (int bars = 0; bars <= 9; ++bars) {
        const QImage img = meterImage(bars, 32);
        ASSERT_EQ(img.size(), QSize(32, 32));
        int redRows = 0;
        for (int y = 3; y <= 28; ++y) {
            const QColor c = img.pixelColor(16, y);
            EXPECT_TRUE(c == red || c == yellow) << bars << " " << y;
            redRows += c == red;
        }
        EXPECT_EQ(redRows, 2 * bars) << bars;
        // Bars stack from the bottom of the field.
        if (bars > 0) {
            EXPECT_EQ(img.pixelColor(3, 28), red);
        }
        EXPECT_EQ(img.pixelColor(0, 0), QColor(Qt::white));
        EXPECT_EQ(img.pixelColor(31, 31), QColor(Qt::black));
    }
    EXPECT_EQ(meterImage(9, 32).pixelColor(16, 3), red);
    EXPECT_EQ(meterImage(8, 32).pixelColor(16, 3), yellow);

    for (int size : {16, 32}) {
        const QImage icon = programImage(size);
        ASSERT_EQ(icon.size(), QSize(size, size));
        EXPECT_EQ(icon.pixelColor(size / 2, size / 2), yellow);
        EXPECT_EQ(icon.pixelColor(size / 4, size / 2), QColor(0, 255, 0));
    }
    // The window's icons are these pictures, each drawn for both sizes.
    for (int i = 0; i <= kProgramIcon; ++i)
        for (int size : {16, 32}) {
            const QImage drawn = i == kProgramIcon ? programImage(size) : meterImage(i, size);
            const QImage shown = frm->imgIcon[i].pixmap(size, size).toImage();
            EXPECT_EQ(shown.convertToFormat(drawn.format()), drawn) << i << " at " << size;
        }
}

TEST_F(Layout, IconFileIsTheProgramIcon)
{
    const QString file = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/../app/vesk.png";
    QImage saved(file);
    ASSERT_FALSE(saved.isNull()) << file.toStdString();
    saved = saved.convertToFormat(QImage::Format_ARGB32);
    const QImage drawn = programImage(32).scaled(saved.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    EXPECT_EQ(saved, drawn);
}
