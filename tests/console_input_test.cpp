// Keyboard and mouse as a user of the window expects them: the repeat
// scroll bar's keys and wheel, the access key of "&b:", Enter on a focused
// button, picks from the address list, the wheel over the address box, and
// the fields' select-all on entry.
#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include "console_window.h"

namespace {

// One notch of the wheel over w; negative dy is towards the user.
void wheel(QWidget* w, int dy)
{
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent e(at, w->mapToGlobal(at), {}, {0, dy}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

}  // namespace

class Input : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        frm->show();
        frm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frm.get()));
        // A second entry, for the list to step to.
        frm->txtIP->setText("10.0.0.2");
        frm->cmdAdd2list->click();
    }
    // Types text into the box, pings it once and returns the log.
    QString typedAndPinged(const QString& text)
    {
        setBox(text);
        ping(basVesk::IP_SUCCESS, 5);
        return frm->logText();
    }
    static QWidget* focus() { return QApplication::focusWidget(); }
};

// ------------------------------------------------ 1: the repeat scroll bar ---

TEST_F(Input, ScrollBarKeysMoveTheWayTheyPoint)
{
    QTest::keyClick(frm.get(), Qt::Key_R, Qt::AltModifier);
    ASSERT_EQ(focus(), frm->hsc);
    const std::pair<Qt::Key, int> steps[] = {
        {Qt::Key_Right, 2}, {Qt::Key_Down, 3},     {Qt::Key_Left, 2}, {Qt::Key_Up, 1},   {Qt::Key_Up, 1},
        {Qt::Key_PageDown, 6}, {Qt::Key_PageUp, 1}, {Qt::Key_End, 60}, {Qt::Key_Right, 60}, {Qt::Key_Home, 1},
    };
    for (const auto& [key, value] : steps) {
        QTest::keyClick(focus(), key);
        EXPECT_EQ(frm->hsc->value(), value) << QKeySequence(key).toString().toStdString();
        EXPECT_EQ(frm->cmdKeep->text(), "&keep: " + QString::number(value) + " sec");
    }

    // A running repeat takes the new interval at once.
    frm->cmdKeep->click();
    QTest::keyClick(frm->hsc, Qt::Key_Right);
    EXPECT_TRUE(frm->Timer1->isActive());
    EXPECT_EQ(frm->Timer1->interval(), 2000);
}

TEST_F(Input, ScrollBarWheelStepsOnePerNotch)
{
    wheel(frm->hsc, -120);
    EXPECT_EQ(frm->hsc->value(), 2);
    // A fine-grained wheel sends parts of a notch.
    wheel(frm->hsc, -60);
    EXPECT_EQ(frm->hsc->value(), 2);
    wheel(frm->hsc, -60);
    EXPECT_EQ(frm->hsc->value(), 3);
    wheel(frm->hsc, 120);
    EXPECT_EQ(frm->hsc->value(), 2);
    EXPECT_EQ(frm->cmdKeep->text(), "&keep: 2 sec");
}

// ------------------------------------------------------ 2: "&b:" and Alt+B ---

TEST_F(Input, AltBOnlyMovesTheFocus)
{
    QSignalSpy clicked(frm->cmdSetData, &QPushButton::clicked);
    QTest::keyClick(frm.get(), Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(focus(), frm->cmdSetData);
    EXPECT_FALSE(clicked.wait(400));  // Qt would click after ~100 ms
    EXPECT_TRUE(fake.inputPrompts.isEmpty());

    // Space there opens it.
    QTest::keyClick(focus(), Qt::Key_Space);
    EXPECT_EQ(fake.inputPrompts.size(), 1);
}

// --------------------------------------------- 3: Enter on a focused button ---

TEST_F(Input, EnterClicksTheFocusedButton)
{
    QTest::keyClick(focus(), Qt::Key_Tab);
    ASSERT_EQ(focus(), frm->cmdPing);
    QTest::keyClick(focus(), Qt::Key_Return);
    EXPECT_EQ(fake.pingedAddresses.size(), 4u);

    frm->cmdSave->setFocus(Qt::TabFocusReason);
    QTest::keyClick(focus(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(fake.openedUrls.size(), 1u);
    QTest::keyClick(focus(), Qt::Key_Space);
    EXPECT_EQ(fake.openedUrls.size(), 2u);

    // Enter held down clicks once, not once per repeat.
    frm->cmdPing->setFocus(Qt::TabFocusReason);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r", true);
    QApplication::sendEvent(frm->cmdPing, &repeat);
    EXPECT_EQ(fake.pingedAddresses.size(), 4u);

    // Enter in the box adds nothing and pings nothing.
    frm->cboAddress->setFocus(Qt::TabFocusReason);
    setBox("10.0.0.9");
    QTest::keyClick(focus(), Qt::Key_Return);
    EXPECT_EQ(fake.pingedAddresses.size(), 4u);
    EXPECT_EQ(frm->cboAddress->count(), 2);
}

// ------------------------------------------ 4: a pick from the list alone ---

TEST_F(Input, OnlyAPickFromTheOpenListStartsAFreshCount)
{
    // A typed entry that equals one of the list, confirmed or left.
    frm->cboAddress->setFocus(Qt::TabFocusReason);
    const QString log = typedAndPinged("10.0.0.2");
    QTest::keyClick(focus(), Qt::Key_Return);
    QTest::keyClick(focus(), Qt::Key_Tab);
    EXPECT_EQ(frm->logText(), log);
    EXPECT_EQ(basVesk::lPingTot, 1);

    // Picking the entry that the box shows changes no text: only the pick
    // itself can start the fresh count. With the keyboard, then the mouse.
    frm->cboAddress->showPopup();
    QAbstractItemView* list = frm->cboAddress->view();
    ASSERT_TRUE(list->isVisible());
    list->setCurrentIndex(list->model()->index(0, 0));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(frm->cboAddress->currentText(), "10.0.0.2");
    EXPECT_TRUE(frm->logText().isEmpty());
    EXPECT_EQ(basVesk::lPingTot, 0);
    typedAndPinged("10.0.0.2");
    frm->cboAddress->showPopup();
    const QRect row = list->visualRect(list->model()->index(0, 0));
    QTRY_VERIFY_WITH_TIMEOUT((QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center()),
                              !list->isVisible()),
                             3000);
    EXPECT_TRUE(frm->logText().isEmpty());
}

// ------------------------------------------ 5: the wheel over the address box ---

TEST_F(Input, WheelOverTheBoxStepsOnlyWithTheFocus)
{
    frm->txtHost->setFocus(Qt::TabFocusReason);
    const QString log = typedAndPinged("10.0.0.2");
    // Sent to the box: Qt hands a wheel event that its line edit leaves
    // to the box only when it comes from the system.
    for (int dy : {-120, 120, 120})
        wheel(frm->cboAddress, dy);
    EXPECT_EQ(frm->cboAddress->currentText(), "10.0.0.2");
    EXPECT_EQ(frm->logText(), log);
    // Nor may a turn from the system give the box the focus first, as Qt
    // does for a control that takes the focus by the wheel.
    EXPECT_NE(frm->cboAddress->focusPolicy() & Qt::WheelFocus, Qt::WheelFocus);

    frm->cboAddress->setFocus(Qt::TabFocusReason);
    frm->cboAddress->setCurrentIndex(0);
    wheel(frm->cboAddress, -120);
    EXPECT_EQ(frm->cboAddress->currentText(), frmPing::kDefaultEntry);
}

// ------------------------------------------------- 6: select-all on entry ---

TEST_F(Input, FieldsSelectAllOnlyWhenTheUserMovesIn)
{
    frm->txtIP->setText("10.0.0.7");
    for (Qt::FocusReason reason : {Qt::TabFocusReason, Qt::BacktabFocusReason, Qt::ShortcutFocusReason,
                                   Qt::MouseFocusReason}) {
        frm->cmdSetData->setFocus();
        frm->txtIP->deselect();
        frm->txtIP->setFocus(reason);
        EXPECT_EQ(frm->txtIP->selectedText(), "10.0.0.7") << reason;
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
    frm->txtHost->setText("MyHost");
    QTest::keyClick(frm.get(), Qt::Key_H, Qt::AltModifier);
    EXPECT_EQ(frm->txtHost->selectedText(), "MyHost");
}
