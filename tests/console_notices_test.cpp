// What the window tells the user when something outside it fails: the log
// that no program could show, the socket advice naming the running
// program, and the one shape of vesk's own messages.
#include <QDir>
#include <QFileInfo>

#include "console_window.h"

using basVesk::IP_SUCCESS;

using Notices = WindowTest;

// ------------------------------------ 8: the log that nothing could show ---

TEST_F(Notices, LogThatNoProgramCouldOpenIsToldWithItsPath)
{
    fake.openResult = false;
    ping(IP_SUCCESS, 12);
    frm->cmdSave->click();
    const QString saved = folder.filePath("vesk_2026-12-6_8-15.txt");
    ASSERT_TRUE(QFileInfo::exists(saved));
    ASSERT_EQ(fake.openedUrls.size(), 1u);
    EXPECT_EQ(fake.openedUrls[0], QUrl::fromLocalFile(saved));
    ASSERT_EQ(fake.messages.size(), 1);
    expectMessageShape(fake.messages[0], "sorry, can't show the log", saved);
    EXPECT_TRUE(fake.messages[0].contains("saved")) << fake.messages[0].toStdString();

    // Opened: nothing to tell.
    fake.openResult = true;
    frm->cmdSave->click();
    EXPECT_EQ(fake.messages.size(), 1);
}

// ----------------------------------------- 10: the socket permission advice ---

TEST_F(Notices, SocketAdviceNamesTheRunningProgram)
{
    const std::string mark(basVesk::kProgramPathMark);
    fake.problem = "sorry, can't send icmp echo requests\nsudo setcap cap_net_raw+p " + mark;
    ping(IP_SUCCESS, 1);
    ASSERT_EQ(fake.messages.size(), 1);
    EXPECT_TRUE(fake.messages[0].endsWith("sudo setcap cap_net_raw+p /opt/vesk/bin/vesk"))
        << fake.messages[0].toStdString();

    // A path the shell would split or end is quoted, ready to copy.
    fake.path = "/home/ann/my tools/it's/vesk";
    frm = std::make_unique<frmPing>(fake);
    fake.messages.clear();
    ping(IP_SUCCESS, 1);
    ASSERT_EQ(fake.messages.size(), 1);
    EXPECT_TRUE(fake.messages[0].endsWith(R"(sudo setcap cap_net_raw+p '/home/ann/my tools/it'\''s/vesk')"))
        << fake.messages[0].toStdString();
}

// ------------------------------------------------ 11: one message style ---

TEST_F(Notices, SaveFailuresSayWhatThePathAndWhy)
{
    ping(IP_SUCCESS, 12);
    const QString gone = folder.filePath("gone");
    fake.folder = gone;
    frm->cmdSave->click();
    ASSERT_EQ(fake.messages.size(), 1);
    expectMessageShape(fake.messages[0], "sorry, can't save the log", gone + "/vesk_2026-12-6_8-15.txt");

    // The autosave says the same and then what becomes of the log.
    frm->chkAutoSave->setChecked(true);
    while (frm->logText().size() <= frmPing::kLogLimit)
        ping(IP_SUCCESS, 1);
    ASSERT_EQ(fake.messages.size(), 2);
    const QStringList lines = fake.messages[1].split(u'\n');
    ASSERT_GE(lines.size(), 3) << fake.messages[1].toStdString();
    EXPECT_EQ(lines[0], "sorry, can't autosave the log");
    EXPECT_EQ(lines[1], QDir::toNativeSeparators(gone + "/vesk_2026-12-6_8-15.txt"));
    // The address list's messages: tests/console_iplist_file.cpp and
    // tests/console_files_test.cpp.
}
