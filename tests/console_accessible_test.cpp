// What screen readers hear: ScreenReaderTexts on bare controls, then the
// window feeding it. Offscreen Qt passes on no change signals;
// accessible_live_test.py checks those on a real bus.
#include <QAccessible>

#include "accessible.h"
#include "console_window.h"

using namespace basVesk;

namespace {
QString read(QObject* o, QAccessible::Text t = QAccessible::Name)
{
    return QAccessible::queryAccessibleInterface(o)->text(t);
}
}  // namespace

class ScreenReaders : public ::testing::Test {
protected:
    ScreenReaders()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        for (TextLabel*& cell : c.lblPing)
            cell = label("50");
        texts = new ScreenReaderTexts(c, &window);
    }
    ~ScreenReaders() override { QLocale::setDefault(QLocale::c()); }

    QWidget window;
    TextLabel* label(const char* text) { return new TextLabel(text, &window); }
    QWidget* button() { return new CommandButton("&b", &window); }
    ScreenReaderTexts::Controls c{&window,  {},          new StepScrollBar(&window), label("44 &b:"), label("a&b"),
                                  button(), new QPlainTextEdit(&window), label("0"),     button(),        button()};
    ScreenReaderTexts* texts = nullptr;
};

TEST_F(ScreenReaders, ControlsAndLabelsReadAsWhatTheyAre)
{
    c.lblLenData->setBuddy(c.cmdSetData);
    // A buddy's "&" is dropped, a shown "&" read as shown, and a number,
    // grouped as the locale shows it, read plain with its unit.
    const std::tuple<QObject*, const char*, const char*> controls[] = {
        {c.lblPing[0], nullptr, "up to 50 ms"},         {c.lblPing[9], nullptr, "over 1000 ms or no reply"},
        {c.hsc, nullptr, "repeat: seconds between pings"}, {c.cmdSetData, nullptr, "set the data string"},
        {c.txtRisult, nullptr, "ping log"},            {c.lblLenData, "1 &b:", "1 byte"},
        {c.lblLenData, "a&&b &b:", "a&b b:"},          {c.lblBytes, nullptr, "a&b"},
        {c.lblLen, "32,000", "32000 characters"},      {c.lblLen, "0", "0 characters"}};
    for (const auto& [control, text, name] : controls) {
        if (text)
            static_cast<TextLabel*>(control)->setText(text);
        EXPECT_EQ(read(control), name);
    }
    const auto label = QAccessible::queryAccessibleInterface(c.lblBytes);
    EXPECT_EQ(label->role(), QAccessible::StaticText);
    EXPECT_TRUE(label->state().readOnly);
    for (TextLabel* tells : {c.lblBytes, c.lblLenData}) {
        const auto told = QAccessible::queryAccessibleInterface(tells)->relations(QAccessible::Labelled);
        ASSERT_EQ(told.size(), 1);
        EXPECT_EQ(told[0].first->object(), c.cmdSetData);
    }
}

TEST_F(ScreenReaders, OnlyTheLitCellSaysSoAndTheSendingButtonTellsTheResult)
{
    for (const int cell : {0, 9, 9, 1}) {
        texts->cellLit(cell);
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(read(c.lblPing[i], QAccessible::Description), i == cell ? "last round trip" : "") << cell;
    }
    texts->pinged("line", "totals", c.cmdKeep);
    EXPECT_EQ(read(c.cmdKeep, QAccessible::Description), "line\ntotals");
    EXPECT_EQ(read(c.cmdPing, QAccessible::Description), "");
    texts->cleaned();
    EXPECT_EQ(read(c.cmdKeep, QAccessible::Description), "");
}

using Accessible = WindowTest;

TEST_F(Accessible, TheWindowTellsHowEachPingWent)
{
    EXPECT_EQ(QAccessible::queryAccessibleInterface(frm.get())->role(), QAccessible::Window);
    ping(IP_REQ_TIMED_OUT, 0);
    EXPECT_EQ(read(frm->cmdPing, QAccessible::Description), frm->sRisult() + "\n" + frm->lblAvg->text());
    fake.replies.push_back({IP_SUCCESS, 7});
    tick();
    EXPECT_EQ(read(frm->lblPing[litCell()], QAccessible::Description), "last round trip");
    EXPECT_EQ(read(frm->cmdKeep, QAccessible::Description), frm->sRisult() + "\n" + frm->lblAvg->text());
    // A new entry starts a fresh count: no button tells the old entry's result.
    frm->cboAddress->setEditText("127.0.0.2");
    EXPECT_EQ(read(frm->cmdPing, QAccessible::Description), "");
    EXPECT_EQ(read(frm->cmdKeep, QAccessible::Description), frm->cmdKeep->toolTip());
}
