// Entries and strings of any length or make-up: pasted line ends, entries
// longer than a line edit holds, and a long data string.
#include <QAbstractItemView>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>

#include "console_window.h"

using basVesk::IP_SUCCESS;

class Entries : public WindowTest {
protected:
    QString listPath() const { return folder.filePath("vesk_ip.ini"); }
    void start(const QByteArray& bytes)
    {
        writeFile(listPath(), bytes);
        frm.reset();
        frm = std::make_unique<frmPing>(fake);
    }
};

TEST_F(Entries, PastedLineEndsBecomeBlanksInTheFieldsAndTheBox)
{
    frm->txtIP->insert("10.0.0.1\r\n");
    frm->txtHost->insert("router\n");
    EXPECT_EQ(frm->txtIP->text(), "10.0.0.1 ");
    frm->cmdAdd2list->click();
    frm->cmdSaveList->click();
    EXPECT_EQ(readFile(listPath()), QByteArray("10.0.0.1 | router \r\n127.0.0.1 | localhost\r\n"));

    frm.reset();
    frm = std::make_unique<frmPing>(fake);
    EXPECT_EQ(frm->cboAddress->currentText(), "10.0.0.1 | router ");

    // Typed or pasted into the box: the caret stays behind what came in.
    QLineEdit* edit = frm->cboAddress->lineEdit();
    edit->clear();
    edit->insert("10.0.0.2\r\n| gw\r");
    EXPECT_EQ(frm->cboAddress->currentText(), "10.0.0.2 | gw ");
    EXPECT_EQ(edit->cursorPosition(), 14);
    ping(IP_SUCCESS, 1);
    EXPECT_EQ(fake.pingedAddresses.back(), "10.0.0.2");
}

TEST_F(Entries, EntryLongerThanALineEditIsPingedDeletedAndSavedWhole)
{
    // It sorts first, so the box shows it at start.
    const QByteArray longEntry = "1.1.1.1 | " + QByteArray(40000, 'h');
    start(longEntry + "\r\n10.0.0.1\r\n");
    ASSERT_EQ(frm->cboAddress->count(), 2);
    EXPECT_LT(frm->cboAddress->currentText().size(), 300);
    EXPECT_TRUE(frm->cboAddress->currentText().startsWith("1.1.1.1 | hhh"));

    ping(IP_SUCCESS, 1);
    EXPECT_EQ(fake.pingedAddresses.back(), "1.1.1.1");
    // The result line begins with what the box shows.
    EXPECT_TRUE(frm->sRisult().startsWith(frm->cboAddress->currentText() + " 06/12/2026"));
    EXPECT_LT(frm->sRisult().size(), 400);

    frm->cmdSaveList->click();
    EXPECT_EQ(readFile(listPath()), longEntry + "\r\n10.0.0.1\r\n");

    // Picked again from the list after another entry, then deleted.
    frm->cboAddress->setCurrentIndex(1);
    EXPECT_EQ(frm->cboAddress->currentText(), "10.0.0.1");
    frm->cboAddress->setCurrentIndex(0);
    frm->cmdDeleteIP->click();
    ASSERT_EQ(fake.questions.size(), 1);
    EXPECT_LT(fake.questions[0].size(), 300);
    EXPECT_EQ(readFile(listPath()), QByteArray("10.0.0.1\r\n"));
    EXPECT_EQ(fake.messages.back(), "list saved -- selected ip purged from list");
    EXPECT_EQ(frm->cboAddress->count(), 1);

    // Once the user edits what the box shows, the box holds that text.
    start(longEntry + "\r\n");
    frm->cboAddress->lineEdit()->setSelection(0, 7);
    frm->cboAddress->lineEdit()->insert("2.2.2.2");
    ping(IP_SUCCESS, 1);
    EXPECT_EQ(fake.pingedAddresses.back(), "2.2.2.2");
    EXPECT_LT(frm->sRisult().size(), 400);
}

TEST_F(Entries, DropDownRowsShowTheStartOfALongEntry)
{
    start("10.0.0.1 | " + QByteArray(100000, 'w') + "\r\n");
    const QModelIndex row = frm->cboAddress->model()->index(0, 0);
    QStyleOptionViewItem option;
    option.initFrom(frm->cboAddress->view());
    const QSize size = frm->cboAddress->itemDelegate()->sizeHint(option, row);
    EXPECT_LT(size.width(), 5000);
    EXPECT_EQ(frm->cboAddress->itemText(0).size(), 100011);
}

TEST_F(Entries, DataStringLongerThanALineEditIsTakenWholeAndSendsNothing)
{
    // The real input box, answered by what the user pastes into it.
    RealOutside real;
    const QString before(40000, u'a');
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        auto* edit = box->findChild<QLineEdit*>();
        shown = edit->text();
        edit->end(false);
        edit->insert(QString(10000, u'b'));
        box->accept();
    });
    const std::optional<QString> answer = real.inputBox(frm.get(), "please input the string for pinging:", "vesk", before);
    EXPECT_EQ(shown.size(), 40000);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->size(), 50000);

    fake.inputAnswers.push_back(*answer);
    frm->cmdSetData->click();
    EXPECT_EQ(basVesk::lLenData, 50000);
    EXPECT_EQ(frm->lblLenData->text(), "50000 &b");
    EXPECT_EQ(frm->lblBytes->text(), QString(256, u'a') + QChar(0x2026));
    // Longer than a reply can carry: nothing leaves, 11001.
    basVesk::EchoReply reply;
    basVesk::PingAddress("127.0.0.1", reply);
    EXPECT_EQ(reply.Status, basVesk::IP_BUF_TOO_SMALL);
    EXPECT_EQ(basVesk::sPingData.size(), 50000u);
    // The next "set" offers it whole.
    frm->cmdSetData->click();
    EXPECT_EQ(fake.inputValues.back(), *answer);
    basVesk::sPingData = basVesk::kDefaultPingData;
}
