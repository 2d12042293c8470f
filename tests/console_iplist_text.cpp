// The list file's text form and the address box order, without files.
#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <algorithm>

#include "ipList.h"

TEST(IpListParse, EveryKindOfLineEndEndsOneLine)
{
    EXPECT_EQ(ParseIpList("a\r\nb\r\n"), (QStringList{"a", "b"}));
    EXPECT_EQ(ParseIpList("a\nb\n"), (QStringList{"a", "b"}));
    EXPECT_EQ(ParseIpList("a\rb\r"), (QStringList{"a", "b"}));
    EXPECT_EQ(ParseIpList("a\r\nb\nc\rd"), (QStringList{"a", "b", "c", "d"}));
    // A CR before CR LF, and an LF before a CR, are two line ends each.
    EXPECT_EQ(ParseIpList("a\r\r\nb"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(ParseIpList("a\n\rb"), (QStringList{"a", "", "b"}));
}

TEST(IpListParse, EmptyLinesBlanksAndLastLineAreEntries)
{
    EXPECT_TRUE(ParseIpList("").isEmpty());
    EXPECT_EQ(ParseIpList("\r\n"), QStringList{""});
    EXPECT_EQ(ParseIpList("\r\n  10.0.0.1 \t\r\n\r\n9.9.9.9"),
              (QStringList{"", "  10.0.0.1 \t", "", "9.9.9.9"}));
    EXPECT_EQ(ParseIpList("10.0.0.1 | gw "), QStringList{"10.0.0.1 | gw "});
}

TEST(IpListOrder, TextOrderIgnoringCaseAndEqualEntriesKeepTheirOrder)
{
    const std::pair<QStringList, QStringList> cases[] = {
        {{"9.9.9.9", "10.0.0.1"}, {"10.0.0.1", "9.9.9.9"}},  // text, not numbers
        {{"b.host", "C.host", "", "A.host", "a.host"}, {"", "A.host", "a.host", "b.host", "C.host"}},
        {{"x | Host", "1.1.1.1", "x | host", "y", "X | HOST", "1.1.1.1"},
         {"1.1.1.1", "1.1.1.1", "x | Host", "x | host", "X | HOST", "y"}},
    };
    for (auto [list, sorted] : cases) {
        SortIpList(list);
        EXPECT_EQ(list, sorted);
    }
}

TEST(IpListOrder, InsertPositionGoesBehindEqualEntries)
{
    const QStringList sorted{"", "a", "b", "B", "b", "c"};
    EXPECT_EQ(SortedInsertPosition(sorted, ""), 1);
    EXPECT_EQ(SortedInsertPosition(sorted, "b"), 5);
    EXPECT_EQ(SortedInsertPosition(sorted, "B"), 5);
    EXPECT_EQ(SortedInsertPosition(sorted, "ab"), 2);
    EXPECT_EQ(SortedInsertPosition(sorted, "z"), 6);
    EXPECT_EQ(SortedInsertPosition(QStringList{}, "a"), 0);
}

// The window sorts what it loads and inserts what the user adds; both must
// give the same list, or the box order would depend on when an entry came.
TEST(IpListOrder, InsertingOneByOneMatchesSortingAll)
{
    QRandomGenerator random(7);
    const QStringList pieces{"10.", "9.", "1", "A", "a", " ", "|", "b", "B", QString(QChar(0xe9)),
                             QString(QChar(0xc9)), ""};
    QStringList entries;
    for (int i = 0; i < 500; ++i) {
        QString e;
        for (int n = random.bounded(4); n >= 0; --n)
            e += pieces.at(random.bounded(int(pieces.size())));
        entries << e;
    }
    QStringList inserted;
    for (const QString& e : entries)
        inserted.insert(SortedInsertPosition(inserted, e), e);
    QStringList sorted = entries;
    SortIpList(sorted);
    EXPECT_EQ(inserted, sorted);
    EXPECT_TRUE(std::is_sorted(sorted.cbegin(), sorted.cend(), IpListLess));
}

TEST(IpListFormat, CrLfAfterEveryEntryInLatin1)
{
    EXPECT_EQ(FormatIpList({}), QByteArray());
    EXPECT_EQ(FormatIpList({"a", "", " b "}), QByteArray("a\r\n\r\n b \r\n"));
    // Latin-1 keeps its own characters as single bytes; anything beyond it
    // cannot be stored and becomes "?".
    EXPECT_EQ(FormatIpList({QString::fromUtf8("10.0.0.1 | caf\xc3\xa9"),
                            QString::fromUtf8("10.0.0.2 | \xc5\x81\xc3\xb3\x64\xc5\xba")}),
              QByteArray("10.0.0.1 | caf\xe9\r\n10.0.0.2 | ?\xf3\x64?\r\n"));
    // One "?" for a character beyond the BMP (a surrogate pair), and for a
    // lone surrogate.
    EXPECT_EQ(FormatIpList({QString::fromUtf8("1.1.1.1 | \xf0\x9f\x98\x80!"), QString(QChar(0xD800)) + "x"}),
              QByteArray("1.1.1.1 | ?!\r\n?x\r\n"));
}

TEST(IpListMerge, EitherSidesAddsStayItsDeletesGoUnlessTheOtherAddedAgain)
{
    const struct {
        const char* what;
        QStringList base, theirs, mine, merged;
    } cases[] = {
        {"alone", {"b", "a"}, {"b", "a"}, {"a", "B", "b", "b"}, {"a", "B", "b", "b"}},
        {"add and add", {"a"}, {"a", "c"}, {"a", "b"}, {"a", "b", "c"}},
        {"the same add counts once", {}, {"d", "x"}, {"d", "y"}, {"d", "x", "y"}},
        {"delete and keep", {"a", "b"}, {"b"}, {"a", "b"}, {"b"}},
        {"keep and delete", {"a", "b"}, {"a", "b", "c"}, {"b"}, {"b", "c"}},
        {"delete and re-add", {"a", "b"}, {"b"}, {"a", "a", "b"}, {"a", "b"}},
        {"both delete", {"a", "a", "b"}, {"b"}, {"b"}, {"b"}},
        {"twins added on both sides", {"a"}, {"a", "a", "a"}, {"a", "a"}, {"a", "a", "a"}},
        {"file emptied", {"a"}, {}, {"a", "b"}, {"b"}},
        {"no file read, none now", {}, {}, {"a"}, {"a"}},
        {"no file read, one now", {}, {"b", "A"}, {"c"}, {"A", "b", "c"}},
        {"list emptied here", {"a"}, {"a", "b"}, {}, {"b"}},
        {"theirs behind mine's equals", {"x"}, {"X", "x", "a"}, {"x", "Z"}, {"a", "x", "X", "Z"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MergeIpLists(c.base, c.theirs, c.mine), c.merged) << c.what;
}
