// The address list without a window: the file read and sorted, entries
// added in order, saved and deleted, and writes that fail.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "addressList.h"

namespace {

class AddressListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        list.setFolder({dir.path(), false, QString()});
    }
    QString path() const { return dir.filePath("vesk_ip.ini"); }
    void write(const QByteArray& bytes)
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    QByteArray file() const
    {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
    // What the rows show, as a box reads them.
    QStringList rows() const
    {
        QStringList shown;
        for (int r = 0; r < list.rowCount(); ++r)
            shown << list.index(r).data().toString();
        return shown;
    }

    QTemporaryDir dir;
    AddressList list;
};

TEST_F(AddressListTest, TheFileIsReadSortedAndWrittenBackWithEveryByteButItsLineEnds)
{
    QByteArray every;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n')
            every += char(b);
    const struct {
        QByteArray file;
        QStringList rows;
        QByteArray saved;
    } cases[] = {
        {"", {}, ""},
        {"10.0.0.2\t\r\n  10.0.0.1 | a \r\n10.0.0.3 ",
         {"  10.0.0.1 | a ", "10.0.0.2\t", "10.0.0.3 "},
         "  10.0.0.1 | a \r\n10.0.0.2\t\r\n10.0.0.3 \r\n"},
        // A lone CR and a lone LF end lines too; LF CR is two line ends.
        {"10.0.0.3\r10.0.0.1\n10.0.0.2\n\r", {"", "10.0.0.1", "10.0.0.2", "10.0.0.3"}, "\r\n10.0.0.1\r\n10.0.0.2\r\n10.0.0.3\r\n"},
        // Case is ignored, twins keep their order in the file.
        {"b\r\nA\r\na\r\nB\r\n", {"A", "a", "b", "B"}, "A\r\na\r\nb\r\nB\r\n"},
        {"10.0.0.1 | " + every + "\r\n", {"10.0.0.1 | " + QString::fromLatin1(every)}, "10.0.0.1 | " + every + "\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        write(c.file);
        EXPECT_EQ(list.load(), QString());
#ifdef _WIN32
        // Windows reads the bytes in its own code page: console_codepage_test.cpp.
        if (!c.file.contains(every))
#endif
            EXPECT_EQ(rows(), c.rows);
        EXPECT_EQ(list.save(), QString());
        EXPECT_EQ(file(), c.saved);
    }
}

TEST_F(AddressListTest, AnAddedEntryGoesBehindEveryEntryThatIsNotGreater)
{
    write("10.0.0.9\r\nhost\r\n");
    list.load();
    const struct {
        const char* entry;
        int row;
    } adds[] = {{"10.0.0.10", 0}, {"HOST", 3}, {"host", 4}, {"10.0.0.9", 2}, {"", 0}, {"zz", 7}};
    for (const auto& a : adds) {
        list.add(a.entry);
        EXPECT_EQ(list.index(a.row).data().toString(), a.entry) << a.entry;
    }
    EXPECT_EQ(rows(), (QStringList{"", "10.0.0.10", "10.0.0.9", "10.0.0.9", "host", "HOST", "host", "zz"}));
    // Nothing is written before a save.
    EXPECT_EQ(file(), QByteArray("10.0.0.9\r\nhost\r\n"));
}

TEST_F(AddressListTest, DeleteWritesTheListWithoutEveryExactCopyThenDropsThem)
{
    write("Host\r\nhost\r\nhost \r\nhost\r\n");
    list.load();
    EXPECT_EQ(list.removeAndSave("host"), QString());
    EXPECT_EQ(rows(), (QStringList{"Host", "host "}));
    EXPECT_EQ(file(), QByteArray("Host\r\nhost \r\n"));
    // An entry that is not there: the list is written as it stands.
    EXPECT_EQ(list.removeAndSave("nowhere"), QString());
    EXPECT_EQ(rows().size(), 2);
}

TEST_F(AddressListTest, AWriteThatFailsChangesNeitherTheFileNorTheList)
{
    // A folder where the file should be reads as no list.
    ASSERT_TRUE(QDir(dir.path()).mkdir("vesk_ip.ini"));
    EXPECT_EQ(list.load(), QString());
    list.add("10.0.0.1");
    for (const QString& error : {list.save(), list.removeAndSave("10.0.0.1")}) {
        const QStringList lines = error.split(u'\n');
        ASSERT_EQ(lines.size(), 3) << error.toStdString();
        EXPECT_EQ(lines[0], "sorry, can't save the ip list");
        EXPECT_EQ(lines[1], QDir::toNativeSeparators(path()));
    }
    EXPECT_EQ(rows(), QStringList{"10.0.0.1"});
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

}  // namespace
