// Reading and writing the list file itself. Through the window:
// tests/console_list_test.cpp; a list that cannot be read:
// tests/console_files_test.cpp.
#include <csignal>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "console_window.h"
#include "ipList.h"

TEST(IpListFile, NothingAnEmptyFileOrAFolderAtThePathIsNoList)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const IpListLoad missing = LoadIpList(dir.filePath("missing.ini"));
    writeFile(dir.filePath("empty.ini"), "");
    const IpListLoad empty = LoadIpList(dir.filePath("empty.ini"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
    const IpListLoad folder = LoadIpList(dir.filePath("folder.ini"));
    for (const IpListLoad& load : {missing, empty, folder}) {
        EXPECT_TRUE(load.entries.isEmpty());
        EXPECT_TRUE(load.error.isEmpty()) << load.error.toStdString();
    }
}

TEST(IpListFile, SaveReplacesTheWholeFileAndKeepsDuplicates)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("vesk_ip.ini");
    writeFile(path, QByteArray(5000, 'x'));
    EXPECT_EQ(WriteIpListFile(path, {"1.1.1.1", "1.1.1.1", " 2.2.2.2 "}), QString());
    EXPECT_EQ(readFile(path), QByteArray("1.1.1.1\r\n1.1.1.1\r\n 2.2.2.2 \r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"vesk_ip.ini"});
}

TEST(IpListFile, FailedSaveLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    const QStringList entries{"10.0.0.1", "10.0.0.2"};
    const QString failed = "sorry, can't save the ip list";

    // The folder part of the path is a plain file.
    const QString notAFolder = dir.filePath("plain");
    writeFile(notAFolder, "keep");
    const QString inside = notAFolder + "/vesk_ip.ini";
    expectMessageShape(WriteIpListFile(inside, entries), failed, inside);
    EXPECT_EQ(readFile(notAFolder), QByteArray("keep"));

    // A folder stands where the file should be.
    const QString folder = dir.filePath("folder.ini");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
    expectMessageShape(WriteIpListFile(folder, entries), failed, folder);
    EXPECT_TRUE(QFileInfo(folder).isDir());

#ifndef _WIN32
    // The write itself fails half way: a file size limit binds root too.
    // Without ignoring SIGXFSZ the kernel would end the test program.
    const QString path = dir.filePath("vesk_ip.ini");
    const QByteArray old = "192.168.0.1\r\n";
    writeFile(path, old);
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
    expectMessageShape(error, failed, path);
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"plain", "vesk_ip.ini"}));
#endif
}
