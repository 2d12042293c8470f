// The small text rules: the numeric reading and the address check, trimming,
// date and time, the length pattern and log file names.
#include <gtest/gtest.h>

#include <QLocale>
#include <cmath>
#include <limits>

#include "formats.h"
#include "leadingNumber.h"

TEST(LeadingNumber, ReadsTheNumberAtTheStartWhateverTheLocale)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const std::pair<const char*, double> cases[] = {
        {"192.168.0.1 | router", 192.168},
        {"10.0.0.1.5", 10.0},
        {"10.0.0.x", 10.0},
        {"  10.0.0.1", 10.0},
        {"1 2 3", 123},
        {"\t1\n2", 12},
        {"1\r2", 1},
        {"+7", 7},
        {"-7", -7},
        {"- 7", -7},
        {".5", 0.5},
        {"3.", 3},
        {"1.5.7", 1.5},
        {"1e3", 1000},
        {"1D2", 100},
        {"2.5E-1x", 0.25},
        {"1e", 1},
        {"1e+", 1},
        {"1ex", 1},
        {"&H1F", 31},
        {"&hff | x", 255},
        {"&O17", 15},
        {"& H 10", 16},
        {"&H", 0},
        {"&HG", 0},
        {"&O8", 0},
        {"&X1", 0},
        {"localhost", 0},
        {"0.0.0.0", 0},
        {"", 0},
        {"   ", 0},
        {".", 0},
        {"+", 0},
        {"-.", 0},
        {"|1.2.3.4", 0},
        {"1,5", 1},
        {"1.5", 1.5},
    };
    for (const auto& [text, value] : cases)
        EXPECT_DOUBLE_EQ(leadingNumber(QString::fromUtf8(text)), value) << text;
    QLocale::setDefault(QLocale::c());
}

TEST(LeadingNumber, BeyondADoubleDigitsAndExponentTogetherDecide)
{
    // About 1e-324 written out, 1e309 with a negative exponent, and
    // exponents past any integer.
    const QString tiny = "0." + QString(324, '0') + "1";
    const QString huge = "1" + QString(310, '0') + "e-1";
    constexpr double inf = std::numeric_limits<double>::infinity();
    const std::pair<QString, double> cases[] = {
        {"1e999", inf}, {"-1e999", -inf}, {"1e-999", 0}, {tiny, 0}, {"-" + tiny, 0}, {huge, inf}, {"-" + huge, -inf},
        {"0.0001e99999999999999999999", inf}, {"100000e-99999999999999999999", 0},
        {"0." + QString(400, '0') + "1e402", 10},
    };
    for (const auto& [text, value] : cases) {
        // EXPECT_DOUBLE_EQ would take the largest double for infinity.
        if (std::isinf(value))
            EXPECT_EQ(leadingNumber(text), value) << text.left(20).toStdString();
        else
            EXPECT_DOUBLE_EQ(leadingNumber(text), value) << text.left(20).toStdString();
    }
}

TEST(NumericEntry, AnIPv6AddressPartOrTheLeadingNumber)
{
    const std::pair<const char*, bool> cases[] = {
        {"::1 | six loop", true},      {"  fd00:211::2  |x|y", true}, {"fe80::1%lo | link", true},
        {"10.0.0.1 | router", true},   {"2001:db8::1::2", true},  // no literal, but a leading number
        {"fe80::1%vesk-no-such", false}, {"\t::1", false},         {"localhost", false},
        {"six | ::1", false},          {"0.0.0.0", false},
    };
    for (const auto& [entry, numeric] : cases) {
#ifdef _WIN32
        // Windows names no interface "lo"; its zones are read by the same
        // system calls, proven on Linux.
        if (QString::fromUtf8(entry).contains(QStringLiteral("%lo")))
            continue;
#endif
        EXPECT_EQ(numericEntry(QString::fromUtf8(entry)), numeric) << '"' << entry << '"';
    }
}

TEST(Texts, LineEndsBecomeOneBlankEach)
{
    EXPECT_EQ(blanksForLineEnds("10.0.0.1\r\n"), "10.0.0.1 ");
    EXPECT_EQ(blanksForLineEnds("a\rb\nc\r\n\r\nd\n\r"), "a b c  d  ");
    // A position behind a CR LF moves back by one; one between CR and LF
    // stands behind the blank.
    qsizetype at = 6;
    EXPECT_EQ(blanksForLineEnds("ab\r\ncd", &at), "ab cd");
    EXPECT_EQ(at, 5);
    at = 3;
    blanksForLineEnds("ab\r\ncd", &at);
    EXPECT_EQ(at, 3);
}

TEST(Texts, TrimTakesBlanksOnly)
{
    EXPECT_EQ(trimBlanks("  a b  "), "a b");
    EXPECT_EQ(trimBlanks("\ta\t"), "\ta\t");
    EXPECT_EQ(trimBlanks("\r\n x \r\n"), "\r\n x \r\n");
    EXPECT_EQ(trimBlanks("    "), "");
}

TEST(Texts, DateAndTimeWithoutZoneInWhatAFileHolds)
{
    // Order and separators kept, digits ASCII, day periods beyond Latin-1
    // AM/PM, words beyond it dropped at the end or the time 24-hour.
    const std::pair<const char*, const char*> cases[] = {
        {"en_GB", "06/12/2026 20:15:08"}, {"en_US", "12/6/26 8:15:08 PM"}, {"de_DE", "06.12.26 20:15:08"},
        {"es_ES", "6/12/26 20:15:08"}, {"sq_AL", "6.12.26 8:15:08 E PASDITES"}, {"fa_IR", "2026/12/6 20:15:08"},
        {"ar_EG", "6/12/2026 8:15:08 PM"}, {"ccp_BD", "6/12/26 8:15:08 PM"}, {"bg_BG", "6.12.26 20:15:08"},
        {"ko_KR", "26. 12. 6. 20:15:08"}, {"zh_TW", "2026/12/6 PM8:15:08"},
    };
    for (const auto& [name, expected] : cases) {
        QLocale::setDefault(QLocale(name));
        EXPECT_EQ(generalDateTime(QDateTime(QDate(2026, 12, 6), QTime(20, 15, 8))), expected) << name;
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(generalDateTime(QDateTime(QDate(2026, 12, 6), QTime(0, 0))), "06/12/2026");
    EXPECT_EQ(generalDateTime(QDateTime(QDate(2026, 12, 6), QTime(0, 0, 0, 500))), "06/12/2026");
    EXPECT_EQ(generalDateTime(QDateTime(QDate(2026, 12, 6), QTime(12, 0))), "06/12/2026 12:00:00");
    QLocale::setDefault(QLocale::c());

    // Frames of the zone as the locales above show; bg_BG's "ч." is none.
    const std::pair<const char*, const char*> formats[] = {
        {"h:mm:ss AP t", "h:mm:ss AP"}, {"t HH:mm", "HH:mm"}, {"HH 'at' mm tttt", "HH 'at' mm"},
        {"HH:mm:ss, t", "HH:mm:ss"}, {"H:mm:ss 'ч'. t", "H:mm:ss 'ч'."}, {"HH '(t)' mm", "HH '(t)' mm"},
    };
    for (const auto& [format, expected] : formats)
        EXPECT_EQ(withoutTimeZone(QString::fromUtf8(format)), QString::fromUtf8(expected)) << format;
}

TEST(Texts, LengthPatternGroupsAndPads)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(lengthCaption(0), "000");
    EXPECT_EQ(lengthCaption(7), "007");
    EXPECT_EQ(lengthCaption(10), "010");
    EXPECT_EQ(lengthCaption(950), "950");
    EXPECT_EQ(lengthCaption(1234), "1,234");
    EXPECT_EQ(lengthCaption(32000), "32,000");
    EXPECT_EQ(lengthCaption(1234567890), "1,234,567,890");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(lengthCaption(32100), "32.100");
    QLocale::setDefault(QLocale::c());
}

TEST(Texts, LogFileNamesHaveNoLeadingZeros)
{
    EXPECT_EQ(logFileName(QDateTime(QDate(2026, 12, 6), QTime(8, 5, 59))), "vesk_2026-12-6_8-5.txt");
    EXPECT_EQ(logFileName(QDateTime(QDate(2026, 12, 31), QTime(23, 59))), "vesk_2026-12-31_23-59.txt");
    EXPECT_EQ(logFileName(QDateTime(QDate(2027, 1, 1), QTime(0, 0))), "vesk_2027-1-1_0-0.txt");
    EXPECT_EQ(logFileName(QDateTime(QDate(2026, 12, 6), QTime(8, 5)), 2), "vesk_2026-12-6_8-5_2.txt");
    EXPECT_EQ(logFileName(QDateTime(QDate(2026, 12, 6), QTime(8, 5)), 13), "vesk_2026-12-6_8-5_13.txt");
}

TEST(Texts, SingleByteImage)
{
    EXPECT_EQ(singleByteImage(QString::fromUtf8("a\u00e9\u00ff\u0100\U0001F600\r\n")), QByteArray("a\xe9\xff??\r\n"));
    EXPECT_EQ(characterCount(QString::fromUtf8("a\u00e9\U0001F600")), 3);
}
