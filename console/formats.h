// Small text rules of the main window: trimming, the date and time of a
// result line, the length pattern of lblLen, log file names, the
// single-byte image written to files and the start of a text too long to show.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <string>

// Leading and trailing space characters removed; tabs and other white
// space stay (QString::trimmed would take them too).
QString trimBlanks(const QString& text);
// True when the text holds nothing but space characters; copies nothing.
bool isBlank(QStringView text);
// Each line end (CR LF, a lone CR, a lone LF) as one blank. A position in
// the text, when given, moves with the characters before it.
QString blanksForLineEnds(const QString& text, qsizetype* position = nullptr);

// The default locale's short date, one blank and its long time without the
// time zone; at exactly 00:00:00 the date alone. Written in characters that
// singleByteImage keeps: ASCII digits, AM/PM for a day period beyond the
// code page, no direction marks; a date or a time with a word that does not
// fit before or between its numbers is written as 2026-12-06 or 20:15:08.
QString generalDateTime(const QDateTime& when);

// A time format with its time zone fields ("t") taken out, together with
// the brackets around them and the blanks or comma before them; quoted
// literal text is left alone.
QString withoutTimeZone(const QString& format);

// A window title that shows the text as it is: Qt reads "[*]" as the
// place of its modified mark and drops it, but shows a doubled one once.
QString literalWindowTitle(const QString& text);

// "###,###,###,000": digits grouped by the default locale, at least three.
QString lengthCaption(std::int64_t length);

// "vesk_2026-12-6_8-5": year, month, day, hour and minute without leading
// zeros. copy 1 is the plain name, copy n > 1 appends "_n".
QString logFileName(const QDateTime& when, int copy = 1);

// The single-byte code page of the files vesk writes and reads (the list
// and the logs): on Windows the system's ANSI code page, converted by the
// system as its other programs do; elsewhere Latin-1, which maps every byte
// to one character and back.
// Whether singleByteImage keeps every character of the text.
bool fitsSingleByte(QStringView text);
// The text's bytes in the code page; a character that the page cannot hold
// becomes one "?".
QByteArray singleByteImage(const QString& text);
// The text that bytes of the code page stand for.
QString fromSingleByte(const char* bytes, qsizetype size);

// A host name as the resolver takes it: in the code page on Windows, in
// UTF-8 on Linux.
std::string resolverName(const QString& name);

// What a control shows of a text too long to lay out at once: its start and
// an ellipsis; a shorter text whole. Qt lays out the whole text of a label
// or a list row to measure and paint it, and ten million characters held
// the window for seconds at every repaint.
inline constexpr qsizetype kShownLength = 256;
QString shownPart(const QString& text);

// Length in characters (code points), as the data string is counted.
int characterCount(const QString& text);
