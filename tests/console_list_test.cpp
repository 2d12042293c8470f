// The address list through the main window: start-up with vesk_ip.ini, the
// box's sorted list, add, delete and save, and files that cannot be
// written (one that cannot be read: tests/console_files_test.cpp).
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLockFile>
#include <algorithm>

#include "console_window.h"
#include "ipList.h"

using basVesk::IP_SUCCESS;

class List : public WindowTest {
protected:
    QString listPath() const { return folder.filePath("vesk_ip.ini"); }

    // Starts a fresh window over a list file holding bytes.
    void start(const QByteArray& bytes)
    {
        writeFile(listPath(), bytes);
        restart();
    }
    void restart()
    {
        frm.reset();
        frm = std::make_unique<frmPing>(fake);
    }

    QStringList items() const
    {
        QStringList list;
        for (int i = 0; i < frm->cboAddress->count(); ++i)
            list << frm->cboAddress->itemText(i);
        return list;
    }
    QString box() const { return frm->cboAddress->currentText(); }
    bool addressButtons() const
    {
        const bool on = frm->cmdPing->isEnabled();
        EXPECT_EQ(frm->cmdKeep->isEnabled(), on);
        EXPECT_EQ(frm->cmdDeleteIP->isEnabled(), on);
        return on;
    }
    void add(const QString& ip, const QString& host = QString())
    {
        frm->txtHost->setText(host);
        frm->txtIP->setText(ip);
        // Enter in the address field: it runs the handler even while the
        // button is disabled.
        emit frm->txtIP->returnPressed();
    }
    void save() { frm->cmdSaveList->click(); }
    void remove(Outside::Answer answer)
    {
        fake.answers.push_back(answer);
        frm->cmdDeleteIP->click();
    }
};

// ------------------------------------------------------------- start-up ---

TEST_F(List, NoFileOrEmptyFileShowsTheDefaultAndWritesNothing)
{
    EXPECT_EQ(items(), QStringList{frmPing::kDefaultEntry});
    EXPECT_EQ(box(), frmPing::kDefaultEntry);
    EXPECT_TRUE(addressButtons());
    EXPECT_FALSE(QFileInfo::exists(listPath()));
    EXPECT_EQ(QString::fromStdString(basVesk::sIpFile), folder.path() + "/vesk_ip.ini");

    start("");
    EXPECT_EQ(items(), QStringList{frmPing::kDefaultEntry});
    EXPECT_EQ(box(), frmPing::kDefaultEntry);
    EXPECT_TRUE(addressButtons());
    EXPECT_EQ(readFile(listPath()), QByteArray());
    EXPECT_TRUE(fake.messages.isEmpty());
}

TEST_F(List, FileIsSortedAndShowsItsFirstEntry)
{
    start("192.168.0.1\r\n10.0.0.2 | router\r\n");
    EXPECT_EQ(items(), (QStringList{"10.0.0.2 | router", "192.168.0.1"}));
    EXPECT_EQ(box(), "10.0.0.2 | router");
    EXPECT_TRUE(addressButtons());
    save();
    EXPECT_EQ(readFile(listPath()), QByteArray("10.0.0.2 | router\r\n192.168.0.1\r\n"));
    // The order itself: tests/console_iplist_text.cpp.
}

TEST_F(List, EmptyLineSortsFirstAndLeavesTheButtonsDisabled)
{
    start("9.9.9.9\r\n\r\n1.1.1.1");
    EXPECT_EQ(items(), (QStringList{"", "1.1.1.1", frmPing::kDefaultEntry, "9.9.9.9"}));
    EXPECT_EQ(box(), "");
    // The box showed the empty text before start-up too: no change, yet
    // the buttons follow the empty text.
    EXPECT_FALSE(addressButtons());

    start("   \r\n10.0.0.1\r\n");
    EXPECT_EQ(items(), (QStringList{"   ", "10.0.0.1", frmPing::kDefaultEntry}));
    EXPECT_EQ(box(), "   ");
    EXPECT_FALSE(addressButtons());
}

// The file's line rules: tests/console_addresslist_test.cpp.

TEST_F(List, HundredThousandLinesLoadSorted)
{
    QByteArray file;
    QStringList lines;
    for (int i = 0; i < 100000; ++i) {
        const int n = int((i * 7919LL) % 100000);  // a fixed shuffle
        QByteArray line = QByteArray::number(n % 256) + "." + QByteArray::number(n / 256) + ".0.1";
        if (i % 3 == 0)
            line += " | Host" + QByteArray::number(n);
        lines << QString::fromLatin1(line);
        file += line + ((i % 2) ? "\r\n" : "\n");
    }
    start(file);
    const QStringList shown = items();
    ASSERT_EQ(shown.size(), 100000);
    EXPECT_TRUE(std::is_sorted(shown.cbegin(), shown.cend(), IpListLess));
    EXPECT_EQ(box(), shown.first());
    QStringList a = shown, b = lines;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    EXPECT_EQ(a, b);

    // Adding keeps the order without a sort of the whole list.
    add("0.0.0.0");
    add("99.99.99.99");
    EXPECT_EQ(frm->cboAddress->itemText(0), "0.0.0.0");
    EXPECT_EQ(frm->cboAddress->itemText(frm->cboAddress->count() - 1), "99.99.99.99");
}

// ---------------------------------------------------------------- add ---

TEST_F(List, AddTakesTheTrimmedAddressAndTheHostAsTyped)
{
    start("10.0.0.9\r\n");
    ping(IP_SUCCESS, 3);
    const QString log = frm->logText();

    add("  10.0.0.5 ");
    add("10.0.0.5", "gateway");
    add("10.0.0.5", " gateway");
    add("10.0.0.10", "   ");
    // Text order: a blank comes before a letter.
    EXPECT_EQ(items(), (QStringList{"10.0.0.10", "10.0.0.5", "10.0.0.5 |  gateway", "10.0.0.5 | gateway", "10.0.0.9"}));

    // The box text, the log and the file stay; the fields are emptied.
    EXPECT_EQ(box(), "10.0.0.9");
    EXPECT_EQ(frm->logText(), log);
    EXPECT_EQ(readFile(listPath()), QByteArray("10.0.0.9\r\n"));
    EXPECT_TRUE(frm->txtIP->text().isEmpty());
    EXPECT_TRUE(frm->txtHost->text().isEmpty());
    EXPECT_FALSE(frm->cmdAdd2list->isEnabled());
    EXPECT_FALSE(frm->cmdHost2ip->isEnabled());
    EXPECT_TRUE(fake.messages.isEmpty());
}

TEST_F(List, AddRefusesABlankAddressAndTheInvalidHostMark)
{
    for (const QString ip : {"", "   ", "[invalid host]"}) {
        add(ip, "host");
        EXPECT_EQ(fake.messages.value(0), "ip field is mandatory !") << ip.toStdString();
        EXPECT_EQ(fake.exclamations, std::vector<bool>{false});
        EXPECT_EQ(frm->txtIP->text(), ip);
        EXPECT_EQ(frm->txtHost->text(), "host");
        EXPECT_EQ(items(), QStringList{frmPing::kDefaultEntry});
        fake.messages.clear();
        fake.exclamations.clear();
    }
    // Only the exact text is the mark.
    add(" [invalid host]");
    EXPECT_TRUE(fake.messages.isEmpty());
    EXPECT_EQ(items(), (QStringList{frmPing::kDefaultEntry, "[invalid host]"}));
}

// ------------------------------------------------------- save and delete ---

TEST_F(List, SaveWritesEveryEntryAndCountsThem)
{
    start("10.0.0.1\r\n10.0.0.1\r\n");
    EXPECT_EQ(items(), (QStringList{"10.0.0.1", "10.0.0.1"}));
    add("10.0.0.1");
    add("1.0.0.1", "One");
    save();
    EXPECT_EQ(fake.messages, QStringList{"saved 4 item(s) in list"});
    EXPECT_EQ(readFile(listPath()), QByteArray("1.0.0.1 | One\r\n10.0.0.1\r\n10.0.0.1\r\n10.0.0.1\r\n"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"vesk_ip.ini"});
}

TEST_F(List, DeleteAsksAndPurgesEveryCopyFromFileAndList)
{
    start("10.0.0.2\r\n10.0.0.1\r\n10.0.0.1\r\n");
    ASSERT_EQ(box(), "10.0.0.1");
    ping(IP_SUCCESS, 3);
    const QString log = frm->logText();

    remove(Outside::Answer::No);
    remove(Outside::Answer::Cancel);
    EXPECT_EQ(fake.questions, QStringList(2, "delete ?\r\n10.0.0.1"));
    EXPECT_EQ(readFile(listPath()), QByteArray("10.0.0.2\r\n10.0.0.1\r\n10.0.0.1\r\n"));
    EXPECT_EQ(items().size(), 3);
    EXPECT_TRUE(fake.messages.isEmpty());

    remove(Outside::Answer::Yes);
    EXPECT_EQ(fake.messages, QStringList{"list saved -- selected ip purged from list"});
    EXPECT_EQ(readFile(listPath()), QByteArray("10.0.0.2\r\n"));
    EXPECT_EQ(items(), QStringList{"10.0.0.2"});
    // The box keeps its text, and no change of it was seen: the count and
    // the log go on.
    EXPECT_EQ(box(), "10.0.0.1");
    EXPECT_EQ(frm->logText(), log);
    EXPECT_EQ(basVesk::lPingTot, 1);

    // A later save does not bring the deleted entry back.
    save();
    EXPECT_EQ(readFile(listPath()), QByteArray("10.0.0.2\r\n"));
}

TEST_F(List, DeleteMatchesTheWholeTextWithCase)
{
    start("Host\r\nhost\r\nhost \r\n");
    add("10.0.0.1");
    setBox("host");
    remove(Outside::Answer::Yes);
    EXPECT_EQ(items(), (QStringList{"10.0.0.1", "Host", "host "}));
    EXPECT_EQ(readFile(listPath()), QByteArray("10.0.0.1\r\nHost\r\nhost \r\n"));

    // A text that is no entry: everything is written, the same message.
    setBox("nowhere");
    remove(Outside::Answer::Yes);
    EXPECT_EQ(items().size(), 3);
    EXPECT_EQ(fake.messages.last(), "list saved -- selected ip purged from list");

    // An empty box asks nothing, even with the button's handler called.
    setBox("");
    QMetaObject::invokeMethod(frm.get(), "cmdDeleteIP_Click");
    EXPECT_EQ(fake.questions.size(), 2);
}

TEST_F(List, DeletingTheLastEntryLeavesAnEmptyListThatTakesNewOnes)
{
    start("10.0.0.1\r\n");
    ping(IP_SUCCESS, 3);
    remove(Outside::Answer::Yes);
    EXPECT_EQ(readFile(listPath()), QByteArray());
    EXPECT_TRUE(items().isEmpty());
    EXPECT_EQ(box(), "10.0.0.1");

    // The first item of an empty QComboBox would become its text.
    add("10.0.0.7");
    EXPECT_EQ(items(), QStringList{"10.0.0.7"});
    EXPECT_EQ(box(), "10.0.0.1");
    EXPECT_EQ(basVesk::lPingTot, 1);
    EXPECT_FALSE(frm->logText().isEmpty());
    save();
    EXPECT_EQ(fake.messages.last(), "saved 1 item(s) in list");
}

TEST_F(List, SettingTheTextItShowsRunsNoReset)
{
    start("10.0.0.1\r\n");
    ping(IP_SUCCESS, 3);
    setBox("10.0.0.1");
    EXPECT_FALSE(frm->logText().isEmpty());
    EXPECT_EQ(basVesk::lPingTot, 1);
}

// ----------------------------------------------------------- two windows ---

TEST_F(List, TwoWindowsOnOneFileKeepWhatTheOtherSaved)
{
    start("10.0.0.1\r\n10.0.0.9\r\n");
    auto other = std::make_unique<frmPing>(fake);
    const auto switchWindow = [&] { frm.swap(other); };
    const QByteArray both = "10.0.0.1\r\n10.0.0.9\r\n127.0.0.5 | alpha\r\n127.0.0.6 | beta\r\n";
    const QByteArray left = "10.0.0.1\r\n127.0.0.5 | alpha\r\n127.0.0.6 | beta\r\n";
    // A saves an entry, then B another: the file holds both, and so does B.
    add("127.0.0.5", "alpha");
    save();
    switchWindow();
    add("127.0.0.6", "beta");
    save();
    EXPECT_EQ(readFile(listPath()), both);
    EXPECT_EQ(items(), ParseIpList(both));
    EXPECT_EQ(fake.messages.last(), "saved 4 item(s) in list");
    // A deletes an entry, then B saves: it stays deleted, B's box keeps its
    // text, log and count, and offers what the file holds.
    switchWindow();
    setBox("10.0.0.9");
    remove(Outside::Answer::Yes);
    EXPECT_EQ(items(), ParseIpList(left));
    switchWindow();
    ping(IP_SUCCESS, 3);
    const QString log = frm->logText();
    save();
    EXPECT_EQ(readFile(listPath()), left);
    EXPECT_EQ(items(), ParseIpList(left));
    EXPECT_EQ(box(), "10.0.0.1");
    EXPECT_EQ(frm->logText(), log);
    EXPECT_EQ(basVesk::lPingTot, 1);
    // A saves again: B's entries stay.
    switchWindow();
    save();
    EXPECT_EQ(readFile(listPath()), left);
    EXPECT_EQ(fake.messages.last(), "saved 3 item(s) in list");
}

// -------------------------------------------------------------- failures ---

TEST_F(List, ALockedListIsToldAndNothingChanges)
{
    start("10.0.0.1\r\n");
    QLockFile otherWindow(listPath() + ".lock");
    ASSERT_TRUE(otherWindow.tryLock(0));
    add("10.0.0.2");
    save();
    remove(Outside::Answer::Yes);
    ASSERT_EQ(fake.messages.size(), 2);
    for (const QString& message : fake.messages)
        expectMessageShape(message, "sorry, can't save the ip list", listPath());
    EXPECT_EQ(readFile(listPath()), "10.0.0.1\r\n");
    EXPECT_EQ(items(), (QStringList{"10.0.0.1", "10.0.0.2"}));
    otherWindow.unlock();
    save();
    EXPECT_EQ(readFile(listPath()), "10.0.0.1\r\n10.0.0.2\r\n");
}

TEST_F(List, FailedWritesKeepTheListAndTellThePath)
{
    // A folder where the file should be: it reads as no list at start.
    ASSERT_TRUE(QDir(folder.path()).mkdir("vesk_ip.ini"));
    restart();
    EXPECT_TRUE(fake.messages.isEmpty());
    add("10.0.0.1");
    save();
    ASSERT_EQ(fake.messages.size(), 1);
    EXPECT_TRUE(fake.messages[0].contains(QDir::toNativeSeparators(listPath()))) << fake.messages[0].toStdString();
    EXPECT_FALSE(fake.messages[0].contains("saved"));

    setBox("10.0.0.1");
    remove(Outside::Answer::Yes);
    ASSERT_EQ(fake.messages.size(), 2);
    EXPECT_TRUE(fake.messages[1].contains(QDir::toNativeSeparators(listPath())));
    EXPECT_EQ(items(), (QStringList{"10.0.0.1", frmPing::kDefaultEntry}));
    EXPECT_TRUE(QFileInfo(listPath()).isDir());

    // The program's folder is a plain file.
    const QString plain = folder.filePath("plain");
    writeFile(plain, "keep");
    fake.folder = plain;
    fake.messages.clear();
    restart();
    EXPECT_TRUE(fake.messages.isEmpty());
    save();
    ASSERT_EQ(fake.messages.size(), 1);
    EXPECT_TRUE(fake.messages[0].contains(QDir::toNativeSeparators(plain + "/vesk_ip.ini")));
    EXPECT_EQ(readFile(plain), QByteArray("keep"));
}
