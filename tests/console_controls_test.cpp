// The controls of controls.h on their own, in a bare window: the scroll
// bar's keys and wheel, a label's access key, Enter on a button and in a
// field, and the address box's picks and wheel.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include "controls.h"

namespace {

// One notch of the wheel over w; negative dy is towards the user.
void wheel(QWidget* w, int dy)
{
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent e(at, w->mapToGlobal(at), {}, {0, dy}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

QWidget* focus() { return QApplication::focusWidget(); }

}  // namespace

class Controls : public ::testing::Test {
protected:
    void SetUp() override { window.resize(300, 200); }
    void showActive()
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    StepScrollBar* scrollBar()
    {
        auto* bar = new StepScrollBar(&window);
        bar->setRange(1, 60);
        bar->setPageStep(5);
        return bar;
    }
    AddressBox* addressBox()
    {
        auto* box = new AddressBox(&window);
        box->addItems({"10.0.0.2", "127.0.0.1 | localhost"});
        return box;
    }
    QWidget window;
};

// ------------------------------------------------------ the scroll bar ---

TEST_F(Controls, ScrollBarKeysMoveTheWayTheyPoint)
{
    StepScrollBar* bar = scrollBar();
    showActive();
    bar->setFocus(Qt::ShortcutFocusReason);
    const std::pair<Qt::Key, int> steps[] = {
        {Qt::Key_Right, 2}, {Qt::Key_Down, 3},     {Qt::Key_Left, 2}, {Qt::Key_Up, 1},   {Qt::Key_Up, 1},
        {Qt::Key_PageDown, 6}, {Qt::Key_PageUp, 1}, {Qt::Key_End, 60}, {Qt::Key_Right, 60}, {Qt::Key_Home, 1},
    };
    for (const auto& [key, value] : steps) {
        QTest::keyClick(focus(), key);
        EXPECT_EQ(bar->value(), value) << QKeySequence(key).toString().toStdString();
    }
    EXPECT_EQ(bar->focusPolicy(), Qt::StrongFocus);
    // Dragging is not followed; only the value let go of counts.
    EXPECT_FALSE(bar->hasTracking());
}

TEST_F(Controls, ScrollBarWheelStepsOnePerNotch)
{
    StepScrollBar* bar = scrollBar();
    wheel(bar, -120);
    EXPECT_EQ(bar->value(), 2);
    // A fine-grained wheel sends parts of a notch.
    wheel(bar, -60);
    EXPECT_EQ(bar->value(), 2);
    wheel(bar, -60);
    EXPECT_EQ(bar->value(), 3);
    wheel(bar, 120);
    EXPECT_EQ(bar->value(), 2);
}

// ---------------------------------------------- a label's access key ---

TEST_F(Controls, LabelsAccessKeyOnlyMovesTheFocus)
{
    auto* label = new TextLabel("&b:", &window);
    auto* button = new CommandButton("&set", &window);
    label->setBuddy(button);
    button->move(0, 50);
    showActive();
    QSignalSpy clicked(button, &QPushButton::clicked);
    QTest::keyClick(&window, Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(focus(), button);
    EXPECT_FALSE(clicked.wait(400));  // Qt would click after ~100 ms

    // Space there clicks it.
    QTest::keyClick(focus(), Qt::Key_Space);
    EXPECT_EQ(clicked.count(), 1);
}

// ---------------------------------------------- Enter on a button ---

TEST_F(Controls, EnterClicksTheFocusedButton)
{
    auto* button = new CommandButton("&ping", &window);
    showActive();
    QSignalSpy clicked(button, &QPushButton::clicked);
    button->setFocus(Qt::TabFocusReason);
    QTest::keyClick(focus(), Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 1);
    QTest::keyClick(focus(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(clicked.count(), 2);
    QTest::keyClick(focus(), Qt::Key_Space);
    EXPECT_EQ(clicked.count(), 3);

    // Enter held down clicks once, not once per repeat.
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r", true);
    QApplication::sendEvent(button, &repeat);
    EXPECT_EQ(clicked.count(), 3);
    EXPECT_FALSE(button->autoDefault());
}

TEST_F(Controls, EnterHeldDownInAFieldIsOnePress)
{
    auto* field = new EntryField(&window);
    showActive();
    field->setFocus(Qt::TabFocusReason);
    QSignalSpy entered(field, &QLineEdit::returnPressed);
    QTest::keyClick(field, Qt::Key_Return);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r", true);
    QApplication::sendEvent(field, &repeat);
    QTest::keyClick(field, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(entered.count(), 2);
}

// ---------------------------------- the address box: picks and wheel ---

TEST_F(Controls, OnlyAPickFromTheOpenListIsAPick)
{
    AddressBox* box = addressBox();
    auto* button = new CommandButton("&ping", &window);
    button->move(0, 50);
    showActive();
    QSignalSpy picked(box, &AddressBox::picked);
    QSignalSpy activated(box, &QComboBox::activated);
    QSignalSpy clicked(button, &QPushButton::clicked);

    // A typed entry that equals another one of the list, confirmed with
    // Enter and left: Qt counts it as activated, the box adds it nowhere.
    box->setFocus(Qt::TabFocusReason);
    box->setCurrentIndex(1);
    box->setEditText("10.0.0.2");
    QTest::keyClick(focus(), Qt::Key_Return);
    QTest::keyClick(focus(), Qt::Key_Tab);
    EXPECT_GE(activated.count(), 1);
    EXPECT_EQ(picked.count(), 0);
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(box->count(), 2);

    // The entry that the box shows, picked with the keyboard, then the mouse.
    box->showPopup();
    QAbstractItemView* list = box->view();
    ASSERT_TRUE(list->isVisible());
    list->setCurrentIndex(list->model()->index(0, 0));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(box->currentText(), "10.0.0.2");
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(picked[0][0].toInt(), 0);
    box->showPopup();
    const QRect row = list->visualRect(list->model()->index(0, 0));
    QTRY_VERIFY_WITH_TIMEOUT((QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center()),
                              !list->isVisible()),
                             3000);
    EXPECT_EQ(picked.count(), 2);
}

TEST_F(Controls, WheelOverTheBoxStepsOnlyWithTheFocus)
{
    AddressBox* box = addressBox();
    auto* other = new EntryField(&window);
    other->move(0, 50);
    showActive();
    other->setFocus(Qt::TabFocusReason);
    box->setEditText("10.0.0.2");
    QSignalSpy edited(box, &QComboBox::editTextChanged);
    // Sent to the box: Qt hands a wheel event that its line edit leaves
    // to the box only when it comes from the system.
    for (int dy : {-120, 120, 120})
        wheel(box, dy);
    EXPECT_EQ(box->currentText(), "10.0.0.2");
    EXPECT_EQ(edited.count(), 0);
    // Nor may a turn from the system give the box the focus first, as Qt
    // does for a control that takes the focus by the wheel.
    EXPECT_NE(box->focusPolicy() & Qt::WheelFocus, Qt::WheelFocus);

    box->setFocus(Qt::TabFocusReason);
    box->setCurrentIndex(0);
    wheel(box, -120);
    EXPECT_EQ(box->currentText(), "127.0.0.1 | localhost");
}
