// Reading and writing the list file itself.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

#include "ipList.h"

namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// The window shows the error text as it is: it has to name the file as the
// user writes paths, and say more than the path (the system's reason).
// vesk's own messages: what failed, the path and the reason, each on a
// line of its own.
void expectErrorNames(const QString& error, const QString& path)
{
    const QStringList lines = error.split(u'\n');
    ASSERT_EQ(lines.size(), 3) << error.toStdString();
    EXPECT_TRUE(lines[0].startsWith("sorry, can't ")) << error.toStdString();
    EXPECT_EQ(lines[1], QDir::toNativeSeparators(path));
    EXPECT_FALSE(lines[2].trimmed().isEmpty()) << error.toStdString();
    EXPECT_FALSE(error.contains(u'\r')) << error.toStdString();
}

}  // namespace

TEST(IpListFile, NothingOrAFolderAtThePathReadsAsNoList)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const IpListLoad missing = LoadIpList(dir.filePath("vesk_ip.ini"));
    EXPECT_TRUE(missing.entries.isEmpty());
    EXPECT_TRUE(missing.error.isEmpty());

    ASSERT_TRUE(QDir(dir.path()).mkdir("vesk_ip.ini"));
    const IpListLoad folder = LoadIpList(dir.filePath("vesk_ip.ini"));
    EXPECT_TRUE(folder.entries.isEmpty());
    EXPECT_TRUE(folder.error.isEmpty());
}

TEST(IpListFile, EmptyFileIsAnEmptyList)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("vesk_ip.ini");
    writeBytes(path, "");
    const IpListLoad load = LoadIpList(path);
    EXPECT_TRUE(load.entries.isEmpty());
    EXPECT_TRUE(load.error.isEmpty());
}

TEST(IpListFile, UnreadableFileGivesErrorWithPath)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("vesk_ip.ini");
    writeBytes(path, "10.0.0.1\r\n");
    // The folder must stay searchable so the file is still seen as a file.
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner | QFileDevice::ExeGroup |
                                                      QFileDevice::ExeOther));
    ASSERT_TRUE(QFile::setPermissions(path, {}));
    // Root reads whatever the mode says; taking another effective user for
    // the one call makes the mode count. The real user stays root, so the
    // effective one can be switched back.
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(seteuid(65534), 0);
    }
    const IpListLoad load = LoadIpList(path);
    if (root) {
        ASSERT_EQ(seteuid(0), 0);
    }
    EXPECT_TRUE(load.entries.isEmpty());
    expectErrorNames(load.error, path);
}

TEST(IpListFile, SortedSaveOfALoadedList)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("vesk_ip.ini");
    writeBytes(path, "192.168.0.1\n10.0.0.2 | router");
    IpListLoad load = LoadIpList(path);
    ASSERT_TRUE(load.error.isEmpty());
    SortIpList(load.entries);
    EXPECT_EQ(WriteIpListFile(path, load.entries), QString());
    EXPECT_EQ(readBytes(path), QByteArray("10.0.0.2 | router\r\n192.168.0.1\r\n"));
}

TEST(IpListFile, SaveReplacesTheWholeFileAndKeepsDuplicates)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("vesk_ip.ini");
    writeBytes(path, QByteArray(5000, 'x'));
    EXPECT_EQ(WriteIpListFile(path, {"1.1.1.1", "1.1.1.1", " 2.2.2.2 "}), QString());
    EXPECT_EQ(readBytes(path), QByteArray("1.1.1.1\r\n1.1.1.1\r\n 2.2.2.2 \r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"vesk_ip.ini"});
}

TEST(IpListFile, EveryByteSurvivesLoadAndSave)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("vesk_ip.ini");
    QByteArray line;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n')
            line += char(b);
    const QByteArray file = "10.0.0.1\r\n" + line + "\r\n";
    writeBytes(path, file);
    const IpListLoad load = LoadIpList(path);
    ASSERT_EQ(load.entries.size(), 2);
    EXPECT_EQ(WriteIpListFile(path, load.entries), QString());
    EXPECT_EQ(readBytes(path), file);
}

TEST(IpListFile, FailedSaveLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    const QStringList entries{"10.0.0.1", "10.0.0.2"};

    // The folder part of the path is a plain file.
    const QString notAFolder = dir.filePath("plain");
    writeBytes(notAFolder, "keep");
    const QString inside = notAFolder + "/vesk_ip.ini";
    expectErrorNames(WriteIpListFile(inside, entries), inside);
    EXPECT_EQ(readBytes(notAFolder), QByteArray("keep"));

    // A folder stands where the file should be.
    const QString folder = dir.filePath("folder.ini");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
    expectErrorNames(WriteIpListFile(folder, entries), folder);
    EXPECT_TRUE(QFileInfo(folder).isDir());

    // The write itself fails half way: a file size limit binds root too.
    // Without ignoring SIGXFSZ the kernel would end the test program.
    const QString path = dir.filePath("vesk_ip.ini");
    const QByteArray old = "192.168.0.1\r\n";
    writeBytes(path, old);
    const QStringList many(20000, "10.0.0.1 | a host with a long name");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto const oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString error = WriteIpListFile(path, many);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    expectErrorNames(error, path);
    EXPECT_EQ(readBytes(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"plain", "vesk_ip.ini"}));
}

TEST(IpListFile, HundredThousandLines)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("vesk_ip.ini");
    QByteArray file;
    for (int i = 0; i < 100000; ++i) {
        const int n = (i * 7919) % 100000;  // a fixed shuffle of 0..99999
        file += QByteArray::number(n % 256) + "." + QByteArray::number(n / 256) + ".0.1";
        file += (i % 3 == 0) ? " | Host" + QByteArray::number(n) + "\r\n" : QByteArray("\n");
    }
    writeBytes(path, file);
    IpListLoad load = LoadIpList(path);
    ASSERT_TRUE(load.error.isEmpty());
    ASSERT_EQ(load.entries.size(), 100000);
    QStringList sorted = load.entries;
    SortIpList(sorted);
    EXPECT_TRUE(std::is_sorted(sorted.cbegin(), sorted.cend(), IpListLess));
    // Same entries, only reordered.
    std::sort(load.entries.begin(), load.entries.end());
    QStringList plain = sorted;
    std::sort(plain.begin(), plain.end());
    EXPECT_EQ(plain, load.entries);
    EXPECT_EQ(sorted.first(), "0.0.0.1 | Host0");
}
