#include "formats.h"

#include <QLocale>
#include <algorithm>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

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

QString blanksForLineEnds(const QString& text, qsizetype* position)
{
    // Most texts hold no line end; they are handed back without a copy.
    if (!text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString out;
    out.reserve(text.size());
    const qsizetype at = position ? *position : 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            if (position && i + 1 < at)
                --*position;
            ++i;
        }
        out += (c == u'\r' || c == u'\n') ? QChar(u' ') : c;
    }
    return out;
}

QString withoutTimeZone(const QString& format)
{
    // The zone goes with what only frames it: the brackets straight around
    // it ("H:mm:ss (t)", "APh:mm:ss [t]") and the blanks and comma that part
    // it from the time ("HH:mm:ss, t").
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't') {
            out += c;
            continue;
        }
        while (i + 1 < format.size() && format[i + 1] == u't')
            ++i;
        const QChar close = out.endsWith(u'(') ? u')' : out.endsWith(u'[') ? u']' : u'\0';
        if (close != u'\0' && i + 1 < format.size() && format[i + 1] == close) {
            out.chop(1);
            ++i;
        }
        while (!out.isEmpty() && (out.back().isSpace() || out.back() == u','))
            out.chop(1);
    }
    return out.trimmed();
}

namespace {

#ifdef Q_OS_WIN
// The code page cannot hold a character beyond the BMP, and the system
// would write its surrogate pair as two "?"; each such character, and a
// lone surrogate, is one "?" before the system sees the text. Not on a
// system whose ANSI code page is UTF-8, which holds them all.
QString withoutSurrogates(const QString& text, bool& replaced)
{
    replaced = GetACP() != CP_UTF8 && std::any_of(text.begin(), text.end(), [](QChar c) { return c.isSurrogate(); });
    if (!replaced)
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        out += text[i].isSurrogate() ? QChar(u'?') : text[i];
    }
    return out;
}

// The system's conversion to the ANSI code page. Without best fit, which
// would write "e" for an "é" that the page lacks; UTF-8 takes neither
// that flag nor a default character.
QByteArray ansiImage(const QString& text, bool* lost = nullptr)
{
    bool replaced = false;
    const QString plain = withoutSurrogates(text, replaced);
    const auto* wide = reinterpret_cast<const wchar_t*>(plain.utf16());
    const int length = int(plain.size());
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL defaulted = FALSE;
    BOOL* const usedDefault = utf8 ? nullptr : &defaulted;
    const char* const question = utf8 ? nullptr : "?";
    QByteArray bytes(WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, question, usedDefault),
                     Qt::Uninitialized);
    WideCharToMultiByte(CP_ACP, flags, wide, length, bytes.data(), int(bytes.size()), question, usedDefault);
    if (lost)
        *lost = defaulted || replaced;
    return bytes;
}
#endif

// Whether the code page holds the character.
bool holds(char32_t c)
{
#ifdef Q_OS_WIN
    return c < 0x80 || fitsSingleByte(QString::fromUcs4(&c, 1));
#else
    return c <= 0xFF;
#endif
}

// The text in characters a log file holds: the locale's own digits as
// ASCII digits, direction marks and other invisible format characters
// dropped, wider blanks as plain ones. A word that still does not fit may
// follow the last digit (the "г." of a Bulgarian date) and goes with the
// blank before it; anywhere else it would leave the numbers run together,
// and the text comes back null.
QString singleByteDigits(QStringView text)
{
    QString out;
    qsizetype lastDigit = -1, misfit = -1;
    for (const char32_t c : text.toUcs4()) {
        if (QChar::category(c) == QChar::Number_DecimalDigit) {
            lastDigit = out.size();
            out += QChar(u'0' + QChar::digitValue(c));
        } else if (QChar::category(c) == QChar::Other_Format) {
            continue;
        } else if (holds(c)) {
            out += QString::fromUcs4(&c, 1);
        } else if (QChar::isSpace(c)) {
            out += u' ';
        } else if (misfit < 0) {
            misfit = out.size();
            out += u'?';
        }
    }
    if (misfit >= 0 && misfit < lastDigit)
        return QString();
    if (misfit >= 0)
        out.truncate(misfit);
    return out.trimmed();
}

// Taiwan's long time begins with CLDR's flexible day period "B", which
// this Qt does not know and would print as the letter ("B20:15:08"). AM/PM
// is the nearest day period it writes.
QString withAmPmForB(const QString& format)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u'B') {
            out += c;
            continue;
        }
        while (i + 1 < format.size() && format[i + 1] == u'B')
            ++i;
        out += QLatin1String("AP");
    }
    return out;
}

}  // namespace

QString generalDateTime(const QDateTime& when)
{
    // Log files are single-byte text, and the date and time are what a
    // saved log is read by: they are written in what such a file holds, in
    // the window too, so that a saved log is the log the user saw.
    const QLocale locale;
    QString date = singleByteDigits(locale.toString(when.date(), QLocale::ShortFormat));
    if (date.isNull())
        date = when.date().toString(Qt::ISODate);
    const QTime t = when.time();
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0)
        return date;
    // A day period beyond Latin-1 is written as the C locale writes it: AM
    // or PM. A QDateTime, not a bare QTime: only a date-time knows its
    // zone, should a locale's format still ask for one.
    const QLocale periods = fitsSingleByte(locale.amText()) && fitsSingleByte(locale.pmText()) ? locale : QLocale::c();
    const QString format = withoutTimeZone(withAmPmForB(locale.timeFormat(QLocale::LongFormat)));
    QString time = singleByteDigits(periods.toString(when, format));
    if (time.isNull())
        time = t.toString(u"HH:mm:ss");
    return date + u' ' + time;
}

QString literalWindowTitle(const QString& text)
{
    return QString(text).replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
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

bool fitsSingleByte(QStringView text)
{
#ifdef Q_OS_WIN
    bool lost = false;
    ansiImage(text.toString(), &lost);
    return !lost;
#else
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
#endif
}

QByteArray singleByteImage(const QString& text)
{
#ifdef Q_OS_WIN
    return ansiImage(text);
#else
    // Walked in place rather than through toUcs4, which would copy a long
    // list entry or log into four bytes per character first.
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* const out = bytes.data();
    qsizetype n = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(text[i + 1].unicode()))
            ++i;
        out[n++] = c <= 0xFF ? char(c) : '?';
    }
    bytes.truncate(n);
    return bytes;
#endif
}

QString fromSingleByte(const char* bytes, qsizetype size)
{
#ifdef Q_OS_WIN
    if (size == 0)
        return QString();
    QString text(MultiByteToWideChar(CP_ACP, 0, bytes, int(size), nullptr, 0), Qt::Uninitialized);
    MultiByteToWideChar(CP_ACP, 0, bytes, int(size), reinterpret_cast<wchar_t*>(text.data()), int(text.size()));
    return text;
#else
    return QString::fromLatin1(bytes, size);
#endif
}

std::string resolverName(const QString& name)
{
#ifdef Q_OS_WIN
    return singleByteImage(name).toStdString();
#else
    return name.toStdString();
#endif
}

int characterCount(const QString& text)
{
    return int(text.toUcs4().size());
}

QString shownPart(const QString& text)
{
    return text.size() > kShownLength ? text.left(kShownLength) + QChar(0x2026) : text;
}
