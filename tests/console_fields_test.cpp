// The host and address fields, the name look-up behind "get ip", and the
// about window as the main window opens it.
#include <QApplication>
#include <QCursor>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "console_window.h"
#include "frmInfo.h"

namespace {

void showActive(frmPing& frm)
{
    frm.show();
    frm.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
}

// The shape of the application-wide cursor, or -1 when none is set.
int overrideShape()
{
    const QCursor* c = QApplication::overrideCursor();
    return c ? int(c->shape()) : -1;
}

}  // namespace

using Fields = WindowTest;

TEST_F(Fields, ButtonsFollowNonBlankText)
{
    frm->txtHost->setText("   ");
    EXPECT_FALSE(frm->cmdHost2ip->isEnabled());
    frm->txtHost->setText(" a");
    EXPECT_TRUE(frm->cmdHost2ip->isEnabled());
    // Any character counts, letters too; a tab is no blank.
    frm->txtIP->setText("x");
    EXPECT_TRUE(frm->cmdAdd2list->isEnabled());
    frm->txtIP->setText("\t");
    EXPECT_TRUE(frm->cmdAdd2list->isEnabled());
    frm->txtIP->setText("  ");
    EXPECT_FALSE(frm->cmdAdd2list->isEnabled());
}

TEST_F(Fields, LeavingTheHostFieldLowerCasesIt)
{
    showActive(*frm);
    frm->txtHost->setFocus();
    frm->txtHost->setText(" MyHost.Example ");
    frm->txtIP->setFocus();
    EXPECT_EQ(frm->txtHost->text(), " myhost.example ");
    EXPECT_TRUE(frm->cmdHost2ip->isEnabled());

    frm->txtHost->setFocus();
    frm->txtHost->setText("   ");
    QTest::keyClick(frm->txtHost, Qt::Key_Tab);
    EXPECT_EQ(frm->txtHost->text(), "   ");
    EXPECT_FALSE(frm->cmdHost2ip->isEnabled());

    // The address field keeps its case.
    frm->txtIP->setFocus();
    frm->txtIP->setText("ABC");
    frm->txtHost->setFocus();
    EXPECT_EQ(frm->txtIP->text(), "ABC");
}

TEST_F(Fields, EnterRunsTheHandlerEvenWithTheButtonDisabled)
{
    showActive(*frm);
    frm->txtIP->setFocus();
    QTest::keyClick(frm->txtIP, Qt::Key_Return);
    EXPECT_EQ(fake.messages, QStringList{"ip field is mandatory !"});

    // Enter looks the name up as typed, before leaving could lower-case it.
    frm->txtHost->setFocus();
    QTest::keyClicks(frm->txtHost, "MyHost");
    QTest::keyClick(frm->txtHost, Qt::Key_Enter);
    frm->txtHost->setText("  ");
    QTest::keyClick(frm->txtHost, Qt::Key_Return);
    EXPECT_EQ(fake.lookedUpNames, (std::vector<std::string>{"MyHost", "  "}));
    EXPECT_TRUE(frm->txtHost->hasFocus());

    // Enter in a filled address field adds the entry.
    frm->txtHost->setText("");
    frm->txtIP->setText("10.0.0.3");
    QTest::keyClick(frm->txtIP, Qt::Key_Return);
    EXPECT_EQ(frm->cboAddress->count(), 2);
    EXPECT_TRUE(frm->txtIP->text().isEmpty());
}

TEST_F(Fields, FieldsSelectAllOnlyWhenTheUserMovesIn)
{
    showActive(*frm);
    frm->txtIP->setText("10.0.0.7");
    // All of it, also where QLineEdit would keep a part (Tab) or select
    // nothing (a click).
    for (Qt::FocusReason reason : {Qt::TabFocusReason, Qt::BacktabFocusReason, Qt::ShortcutFocusReason,
                                   Qt::MouseFocusReason}) {
        frm->cmdSetData->setFocus();
        frm->txtIP->setSelection(2, 3);
        frm->txtIP->setFocus(reason);
        EXPECT_EQ(frm->txtIP->selectedText(), "10.0.0.7") << reason;
        EXPECT_EQ(frm->txtIP->selectionStart(), 0) << reason;
    }
    // The window back at the front, a context menu closed, the program:
    // the caret stays where the user left it.
    for (Qt::FocusReason reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason, Qt::OtherFocusReason}) {
        frm->cmdSetData->setFocus();
        frm->txtIP->setCursorPosition(3);
        frm->txtIP->setFocus(reason);
        EXPECT_FALSE(frm->txtIP->hasSelectedText()) << reason;
        EXPECT_EQ(frm->txtIP->cursorPosition(), 3) << reason;
    }
    // The keys themselves, and an empty field, which is left alone.
    frm->txtHost->setFocus();
    QTest::keyClick(frm->txtHost, Qt::Key_Tab);
    ASSERT_TRUE(frm->txtIP->hasFocus());
    EXPECT_EQ(frm->txtIP->selectedText(), "10.0.0.7");
    frm->txtHost->setText("MyHost");
    QTest::keyClick(frm.get(), Qt::Key_H, Qt::AltModifier);
    EXPECT_EQ(frm->txtHost->selectedText(), "MyHost");
    frm->txtIP->setText("");
    frm->txtIP->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(frm->txtIP->hasSelectedText());
}

TEST_F(Fields, AccessKeysLeaveTheHostFieldBeforeTheClickAsTheMouseDoes)
{
    showActive(*frm);
    fake.resolver = [](const std::string&) { return std::string("10.0.0.5"); };
    frm->txtHost->setFocus();
    QTest::keyClicks(frm->txtHost, "MyRouter");
    // The access key clicks about 100 ms later.
    QTest::keyClick(frm.get(), Qt::Key_G, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !fake.lookedUpNames.empty(); }, 3000));
    EXPECT_EQ(fake.lookedUpNames, std::vector<std::string>{"myrouter"});
    QTest::keyClick(frm.get(), Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return frm->cboAddress->count() == 2; }, 3000));
    EXPECT_EQ(frm->cboAddress->itemText(0).toStdString(), "10.0.0.5 | myrouter");
}

using Lookup = WindowTest;

TEST_F(Lookup, NameGoesAsTypedUnderTheHourglass)
{
    frm->txtHost->setText(" Gateway.Local");
    frm->txtIP->setText("9.9.9.9");
    int shapeDuring = -2;
    QString fieldDuring = "?";
    fake.resolver = [&](const std::string&) {
        shapeDuring = overrideShape();
        fieldDuring = frm->txtIP->text();
        // A second Enter among the waiting events starts no look-up of its own.
        if (fake.lookedUpNames.size() == 1)
            emit frm->txtHost->returnPressed();
        return std::string("10.0.0.9");
    };
    frm->cmdHost2ip->click();
    EXPECT_EQ(fake.lookedUpNames, std::vector<std::string>{" Gateway.Local"});
    EXPECT_EQ(shapeDuring, int(Qt::WaitCursor));
    EXPECT_EQ(fieldDuring, "");
    EXPECT_EQ(overrideShape(), -1);
    EXPECT_EQ(frm->txtIP->text(), "10.0.0.9");
    EXPECT_TRUE(frm->cmdAdd2list->isEnabled());
    EXPECT_EQ(frm->txtHost->text(), " Gateway.Local");
    EXPECT_EQ(fake.quietStartCalls, 1);
    EXPECT_EQ(fake.stopCalls, 1);
    EXPECT_TRUE(fake.messages.isEmpty());
}

TEST_F(Lookup, UnknownNameEmptiesTheFieldWithoutAWord)
{
    frm->txtHost->setText("nowhere");
    frm->txtIP->setText("10.0.0.1");
    frm->cmdHost2ip->click();
    EXPECT_TRUE(frm->txtIP->text().isEmpty());
    EXPECT_FALSE(frm->cmdAdd2list->isEnabled());
    EXPECT_TRUE(fake.messages.isEmpty());
    EXPECT_EQ(overrideShape(), -1);
}

TEST_F(Lookup, FailedStartIsToldWithTheDefaultCursor)
{
    fake.quietStartResult = false;
    frm->txtHost->setText("host");
    int shapeAtMessage = -2;
    fake.duringMessage = [&] { shapeAtMessage = overrideShape(); };
    frm->cmdHost2ip->click();
    EXPECT_EQ(fake.messages, QStringList{"sorry, cant resolve address"});
    EXPECT_EQ(fake.exclamations, std::vector<bool>{false});
    EXPECT_EQ(shapeAtMessage, -1);
    EXPECT_EQ(overrideShape(), -1);
    EXPECT_TRUE(fake.lookedUpNames.empty());
    EXPECT_EQ(fake.stopCalls, 0);
    EXPECT_TRUE(frm->txtIP->text().isEmpty());
}

TEST_F(Lookup, ShutdownNoticeIsShownAfterTheAddress)
{
    fake.stopNotice = {false, "Windows Sockets error -1 occurred in Cleanup.", true};
    fake.resolver = [](const std::string&) { return std::string("10.0.0.2"); };
    frm->txtHost->setText("host");
    frm->cmdHost2ip->click();
    EXPECT_EQ(frm->txtIP->text(), "10.0.0.2");
    EXPECT_EQ(fake.messages, QStringList{"Windows Sockets error -1 occurred in Cleanup."});
    EXPECT_EQ(fake.exclamations, std::vector<bool>{true});
    EXPECT_EQ(overrideShape(), -1);
}

using Info = WindowTest;

TEST_F(Info, OpensModallyOverTheWindowAndItsIconGoesOnNextTime)
{
    std::vector<int> shown;
    fake.duringModal = [&](QDialog* d) {
        auto* info = qobject_cast<frmInfo*>(d);
        ASSERT_NE(info, nullptr);
        EXPECT_TRUE(info->isModal());
        EXPECT_EQ(info->parentWidget(), frm.get());
        shown.push_back(info->shownPicture());
        info->Timer1_Timer();
        shown.push_back(info->shownPicture());
    };
    frm->cmdInfo->click();
    frm->cmdInfo->click();
    EXPECT_EQ(fake.modalShown, 2);
    // The steps themselves: tests/about_frmInfo.cpp.
    EXPECT_EQ(shown, (std::vector<int>{10, 9, 10, 8}));
}

TEST_F(Info, RepeatKeepsPingingUnderTheModalLoop)
{
    fake.execModal = true;
    frm->cmdKeep->click();
    // Shorter than the scroll bar allows, so the test waits milliseconds.
    frm->Timer1->setInterval(5);
    bool open = false;
    fake.duringModal = [&](QDialog* d) {
        open = d->isVisible();
        QSignalSpy ticks(frm->Timer1, &QTimer::timeout);
        while (ticks.count() < 3 && ticks.wait(2000)) {
        }
    };
    frm->cmdInfo->click();
    EXPECT_TRUE(open);
    EXPECT_GE(fake.pingedAddresses.size(), 3u);
    EXPECT_GE(basVesk::lPingTot, 3);
}
