#include "formats.h"

#include <QLocale>
#include <algorithm>

QString trimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    return text.mid(first, last - first);
}

bool isBlank(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == u' '; });
}

QString withoutTimeZone(const QString& format)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'\'') {
            quoted = !quoted;
            out += c;
        } else if (c == u't' && !quoted) {
            while (out.endsWith(u' '))
                out.chop(1);
        } else {
            out += c;
        }
    }
    return out.trimmed();
}

QString generalDateTime(const QDateTime& when)
{
    const QLocale locale;
    const QString date = locale.toString(when.date(), QLocale::ShortFormat);
    const QTime t = when.time();
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0)
        return date;
    // A QDateTime, not a bare QTime: only a date-time knows its zone, should
    // a locale's format still ask for one.
    return date + u' ' + locale.toString(when, withoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

QString lengthCaption(std::int64_t length)
{
    return QStringLiteral("%L1").arg(qlonglong(length), 3, 10, QChar(u'0'));
}

QString logFileName(const QDateTime& when, int copy)
{
    const QDate d = when.date();
    const QTime t = when.time();
    QString name = QStringLiteral("vesk_%1-%2-%3_%4-%5")
                       .arg(d.year())
                       .arg(d.month())
                       .arg(d.day())
                       .arg(t.hour())
                       .arg(t.minute());
    if (copy > 1)
        name += u'_' + QString::number(copy);
    return name + QStringLiteral(".txt");
}

QByteArray singleByteImage(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const char32_t c : text.toUcs4())
        bytes += c <= 0xFF ? char(c) : '?';
    return bytes;
}

int characterCount(const QString& text)
{
    return int(text.toUcs4().size());
}
