// Where vesk keeps vesk_ip.ini and its logs: beside the program when it may
// write there, in the per-user folder otherwise; and a list that cannot be
// read is never overwritten.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <unistd.h>

#include "console_window.h"

using basVesk::IP_SUCCESS;

namespace {

// Root reads and writes whatever the modes say; for root, the code within
// runs as nobody, so that they count.
class AsAnotherUser {
public:
    AsAnotherUser() : root_(geteuid() == 0)
    {
        if (root_ && seteuid(65534) != 0)
            ADD_FAILURE() << "seteuid";
    }
    ~AsAnotherUser()
    {
        if (root_ && seteuid(0) != 0)
            ADD_FAILURE() << "seteuid back";
    }
    AsAnotherUser(const AsAnotherUser&) = delete;
    AsAnotherUser& operator=(const AsAnotherUser&) = delete;

private:
    bool root_;
};

}  // namespace

class Files : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(home.isValid());
        fake.userFolder = home.filePath("vesk");
    }
    QString programList() const { return folder.filePath("vesk_ip.ini"); }
    QString userList() const { return home.filePath("vesk/vesk_ip.ini"); }
    void restart()
    {
        frm.reset();
        frm = std::make_unique<frmPing>(fake);
    }
    // Adds an entry, saves the list and saves the log.
    void addSaveAndLog(const QString& ip)
    {
        frm->txtIP->setText(ip);
        emit frm->txtIP->returnPressed();
        frm->cmdSaveList->click();
        ping(IP_SUCCESS, 12);
        frm->cmdSave->click();
    }

    QTemporaryDir home;
};

TEST_F(Files, WritableProgramFolderKeepsEverythingBesideTheProgram)
{
    writeFile(programList(), "10.0.0.1\r\n");
    restart();
    EXPECT_EQ(frm->cboAddress->currentText(), "10.0.0.1");
    EXPECT_EQ(QString::fromStdString(basVesk::sIpFile), programList());
    addSaveAndLog("10.0.0.2");
    EXPECT_EQ(readFile(programList()), "10.0.0.1\r\n10.0.0.2\r\n");
    EXPECT_TRUE(QFileInfo::exists(folder.filePath("vesk_2026-12-6_8-15.txt")));
    EXPECT_FALSE(QFileInfo::exists(fake.userFolder)) << "the per-user folder is not even made";
    EXPECT_EQ(fake.messages, QStringList{"saved 2 item(s) in list"});
}

TEST_F(Files, ReadOnlyProgramFolderUsesThePerUserFolder)
{
    fake.folderWritable = false;
    writeFile(programList(), "10.0.0.1\r\n");
    restart();
    // The list is read from where saves go; none is there yet.
    EXPECT_EQ(frm->cboAddress->currentText(), frmPing::kDefaultEntry);
    EXPECT_EQ(QString::fromStdString(basVesk::sIpFile), userList());
    EXPECT_FALSE(QFileInfo::exists(fake.userFolder)) << "made on the first write, not at start";

    addSaveAndLog("10.0.0.2");
    EXPECT_EQ(readFile(userList()), "10.0.0.2\r\n" + frmPing::kDefaultEntry.toLatin1() + "\r\n");
    const QString log = home.filePath("vesk/vesk_2026-12-6_8-15.txt");
    EXPECT_TRUE(QFileInfo::exists(log));
    EXPECT_EQ(basVesk::sLogFile, QDir::toNativeSeparators(log).toStdString());
    EXPECT_EQ(fake.openedUrls.back(), QUrl::fromLocalFile(log));
    EXPECT_EQ(readFile(programList()), "10.0.0.1\r\n");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"vesk_ip.ini"});

    restart();
    EXPECT_EQ(frm->cboAddress->currentText(), "10.0.0.2");

    // Nowhere to write at all: the messages name the per-user path, and
    // the list keeps what was added.
    QDir(fake.userFolder).removeRecursively();
    writeFile(home.filePath("plain"), "x");
    fake.userFolder = home.filePath("plain/vesk");
    restart();
    fake.messages.clear();
    addSaveAndLog("10.0.0.3");
    ASSERT_EQ(fake.messages.size(), 2);
    EXPECT_TRUE(fake.messages[0].contains(QDir::toNativeSeparators(fake.userFolder + "/vesk_ip.ini")));
    EXPECT_TRUE(fake.messages[1].contains(QDir::toNativeSeparators(fake.userFolder + "/vesk_2026-12-6_8-15.txt")));
    EXPECT_EQ(frm->cboAddress->count(), 2);
}

TEST_F(Files, UnreadableListIsToldShownAsNoListAndNeverOverwritten)
{
    const QByteArray bytes = "10.0.0.1\r\n";
    writeFile(programList(), bytes);
    ASSERT_TRUE(QFile::setPermissions(programList(), {}));
    // Root reads whatever the mode says, so root runs the window as another
    // user; the program folder stays searchable for it, and the per-user
    // folder writable.
    const auto searchable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                            QFileDevice::ExeGroup | QFileDevice::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(folder.path(), searchable));
    ASSERT_TRUE(QFile::setPermissions(home.path(), searchable | QFileDevice::WriteGroup | QFileDevice::WriteOther));
    const QString perUser = fake.userFolder;
    // Where vesk could have written, the user hears why the list is not
    // shown; where it could not, that list was never its own. With no
    // per-user folder there is nowhere else to save to.
    const struct {
        const char* what;
        bool writable;
        bool hasUserFolder;
    } cases[] = {
        {"read-only program folder", false, true},
        {"writable program folder", true, true},
        {"no per-user folder", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake.folderWritable = c.writable;
        fake.userFolder = c.hasUserFolder ? perUser : QString();
        fake.messages.clear();
        QDir(perUser).removeRecursively();
        {
            const AsAnotherUser nobody;
            restart();
            if (c.hasUserFolder)
                addSaveAndLog("10.0.0.2");
        }
        ASSERT_EQ(fake.messages.size(), int(c.writable) + int(c.hasUserFolder))
            << fake.messages.join(" / ").toStdString();
        if (c.writable)
            expectMessageShape(fake.messages[0], "sorry, can't read the ip list", programList());
        if (!c.hasUserFolder) {
            EXPECT_EQ(QString::fromStdString(basVesk::sIpFile), programList());
            EXPECT_EQ(frm->cboAddress->currentText(), frmPing::kDefaultEntry);
            EXPECT_TRUE(frm->cmdPing->isEnabled());
            continue;
        }
        EXPECT_EQ(fake.messages.back(), "saved 2 item(s) in list");
        EXPECT_EQ(QString::fromStdString(basVesk::sIpFile), userList());
        EXPECT_TRUE(QFileInfo::exists(userList()));
        EXPECT_TRUE(QFileInfo::exists(home.filePath("vesk/vesk_2026-12-6_8-15.txt")));
    }
    ASSERT_TRUE(QFile::setPermissions(programList(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(readFile(programList()), bytes);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"vesk_ip.ini"});
}
