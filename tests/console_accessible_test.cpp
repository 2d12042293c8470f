// The main window as screen readers meet it through Qt's accessibility
// interfaces. Offscreen Qt passes on no change signals; accessible_live_test.py
// checks those on a real bus.
#include <QAccessible>

#include "console_window.h"

using namespace basVesk;

namespace {
QString read(QObject* o, QAccessible::Text t = QAccessible::Name)
{
    return QAccessible::queryAccessibleInterface(o)->text(t);
}
}  // namespace

using Accessible = WindowTest;

TEST_F(Accessible, WindowAndLabelsReadAsWhatTheyAre)
{
    fake.inputAnswers = {QString("a&b")};
    frm->cmdSetData->click();
    // The labels' own reading keeps what Qt's gives (a buddy's "&" dropped)
    // and reads numbers with their unit; a shown "&" is read as shown.
    const std::tuple<QObject*, QAccessible::Role, const char*> controls[] = {
        {frm.get(), QAccessible::Window, "vesk"}, {frm->Label6, QAccessible::StaticText, "address:"},
        {frm->lblLenData, QAccessible::StaticText, "3 bytes"}, {frm->lblBytes, QAccessible::StaticText, "a&b"}};
    for (const auto& [control, role, name] : controls) {
        EXPECT_EQ(QAccessible::queryAccessibleInterface(control)->role(), role) << name;
        EXPECT_EQ(read(control), name);
    }
    const auto told = QAccessible::queryAccessibleInterface(frm->lblBytes)->relations(QAccessible::Labelled);
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told[0].first->object(), frm->cmdSetData);
}

TEST_F(Accessible, OnlyTheLitCellSaysSoAndTheSendingButtonTellsTheResult)
{
    const std::tuple<std::int32_t, std::int32_t, int> pings[] = {
        {IP_SUCCESS, 23, 0}, {IP_SUCCESS, 1000, 8}, {IP_SUCCESS, 1001, 9}, {IP_REQ_TIMED_OUT, 0, 9},
        {IP_SUCCESS, 51, 1}};
    for (const auto& [status, ms, cell] : pings) {
        ping(status, ms);
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(read(frm->lblPing[i], QAccessible::Description), i == cell ? "last round trip" : "") << ms;
        EXPECT_EQ(litCell(), cell);
        EXPECT_EQ(read(frm->cmdPing, QAccessible::Description), frm->sRisult() + "\n" + frm->lblAvg->text());
    }
    fake.replies.push_back({IP_SUCCESS, 7});
    tick();
    EXPECT_EQ(read(frm->cmdKeep, QAccessible::Description), frm->sRisult() + "\n" + frm->lblAvg->text());
    // A new entry starts a fresh count: no button tells the old entry's result.
    frm->cboAddress->setEditText("127.0.0.2");
    EXPECT_EQ(read(frm->cmdPing, QAccessible::Description), "");
    EXPECT_EQ(read(frm->cmdKeep, QAccessible::Description), frm->cmdKeep->toolTip());
    // Past 999 the length shows grouped, "1,0xx"; it is read as a number.
    while (frm->logText().size() < 1000)
        ping(IP_SUCCESS, 1);
    EXPECT_EQ(read(frm->lblLen), QString::number(frm->logText().size()) + " characters");
}
