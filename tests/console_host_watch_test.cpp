// What a repeat tells the desktop when its host stops answering and when
// it answers again: the rules on their own, then the window's notices on
// the fake outside world.
#include "console_window.h"
#include "hostWatch.h"

using basVesk::IP_REQ_TIMED_OUT;
using basVesk::IP_SUCCESS;

namespace {

// 'F' a failed echo, 'S' a success; what each feed says: '.', 'D' down, 'U' up.
std::string changes(HostWatch& watch, const std::string& echoes, const QString& entry = "10.0.0.1")
{
    std::string said;
    for (const char e : echoes) {
        const HostWatch::Change c = watch.feed(Echo{entry, e == 'F' ? IP_REQ_TIMED_OUT : IP_SUCCESS, 1, {}, {}});
        said += c == HostWatch::Change::WentDown ? 'D' : c == HostWatch::Change::CameBack ? 'U' : '.';
    }
    return said;
}

}  // namespace

TEST(HostWatchRules, ThreeFailuresInARowAndTheFirstSuccessAfter)
{
    const struct {
        const char* echoes;
        const char* said;
    } cases[] = {
        {"SSSS", "...."},          // a run that starts answering says nothing
        {"FFF", "..D"},            // a run that starts failing is a change
        {"SFFFS", "...DU"},        // down from the third, up at the first success
        {"FFSFFS", "......"},      // two in a row are no outage
        {"FFFFFFSS", "..D...U."},  // one down, one up
        {"FFFSFFFS", "..DU..DU"},  // every change is told
    };
    for (const auto& c : cases) {
        HostWatch watch;
        EXPECT_EQ(changes(watch, c.echoes), c.said) << c.echoes;
    }
}

TEST(HostWatchRules, ForgettingOrAnotherEntryStartsAfresh)
{
    HostWatch watch;
    EXPECT_EQ(changes(watch, "FF"), "..");
    watch.forget();
    EXPECT_EQ(changes(watch, "FF"), "..");
    EXPECT_EQ(changes(watch, "F", "10.0.0.2"), ".");
    EXPECT_EQ(changes(watch, "FF", "10.0.0.2"), ".D");
    // Down and forgotten: the next success is no comeback.
    watch.forget();
    EXPECT_EQ(changes(watch, "S", "10.0.0.2"), ".");
}

TEST(HostWatchTexts, SpansReadInTheirBestUnit)
{
    const struct {
        qint64 ms;
        const char* text;
    } cases[] = {
        {-5000, "0 s"},      {0, "0 s"},           {45499, "45 s"},       {119000, "119 s"},
        {120000, "2 min"},   {7140000, "119 min"}, {7200000, "2 h"},      {9000000, "2.5 h"},
        {35999000, "10 h"},  {90000000, "25 h"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(spanText(c.ms), c.text) << c.ms;
}

class HostNotices : public WindowTest {
protected:
    // Ticks of the repeat, a second apart; 'F' a timeout, 'S' a reply of ms.
    void ticks(const std::string& echoes, std::int32_t ms = 12)
    {
        for (const char e : echoes) {
            fake.replies.push_back({e == 'F' ? IP_REQ_TIMED_OUT : IP_SUCCESS, e == 'F' ? 0 : ms});
            tick();
            fake.clock = fake.clock.addSecs(1);
        }
    }
    void burst(std::int32_t status)
    {
        fake.replies.insert(fake.replies.end(), 4, {status, 0});
        frm->cmdPing->click();
    }
};

TEST_F(HostNotices, DownThenUpWithWhatHappened)
{
    setBox("192.168.0.1 | router");
    frm->cmdKeep->click();
    ticks("SFFF");
    ASSERT_EQ(fake.notices.size(), 1u);
    EXPECT_EQ(fake.notices[0].kind, Notice::Kind::Down);
    EXPECT_EQ(fake.notices[0].summary, "192.168.0.1 | router is not answering");
    EXPECT_EQ(fake.notices[0].body, "3 echoes failed in a row since 08:15:09\nfirst: 11010 (ip req timed out)");

    fake.clock = fake.clock.addSecs(40);
    ticks("FS", 23);
    ASSERT_EQ(fake.notices.size(), 2u);
    EXPECT_EQ(fake.notices[1].kind, Notice::Kind::Up);
    EXPECT_EQ(fake.notices[1].summary, "192.168.0.1 | router answers again");
    EXPECT_EQ(fake.notices[1].body, "round trip 23 ms\ndown for 44 s, 4 echoes lost");
    // The window itself is as ever: one line per echo.
    EXPECT_EQ(frm->logText().count("byte(s) sent"), 6);
}

TEST_F(HostNotices, EntryAsTheBoxShowsItMarkupAsTyped)
{
    const QString longEntry = "10.0.0.1 | " + QString(300, u'x');
    const struct {
        QString box;
        QString summary;
    } cases[] = {
        {"  10.0.0.1 | <b>a&b</b> ", "10.0.0.1 | <b>a&b</b> is not answering"},
        {longEntry, longEntry.left(256) + QChar(0x2026) + " is not answering"},
    };
    for (const auto& c : cases) {
        fake.notices.clear();
        setBox(c.box);
        frm->cmdKeep->click();
        ticks("FFF");
        frm->cmdKeep->click();
        ASSERT_EQ(fake.notices.size(), 1u);
        EXPECT_EQ(fake.notices[0].summary, c.summary);
    }
}

TEST_F(HostNotices, OnlyTheRepeatTellsAndStopOrCleanAllForget)
{
    const struct {
        const char* what;
        std::function<void()> between;  // after two failed ticks
        bool thirdInABurst;
        std::size_t notices;
    } cases[] = {
        {"the third failed tick tells", [] {}, false, 1},
        {"a burst sends nothing", [] {}, true, 0},
        {"a burst's replies are left out", [this] { burst(IP_SUCCESS); }, false, 1},
        {"stop and start forget", [this] { frm->cmdKeep->click(), frm->cmdKeep->click(); }, false, 0},
        {"CleanAll forgets", [this] { frm->CleanAll(); }, false, 0},
        {"an echo vesk could not send", [this] { fake.problem = "sorry, no icmp"; }, false, 0},
        {"--no-notifications", [this] { frm->setNotifications(false); }, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake.problem.clear();
        fake.notices.clear();
        frm = std::make_unique<frmPing>(fake);
        frm->cmdKeep->click();
        ticks("FF");
        c.between();
        if (c.thirdInABurst)
            burst(IP_REQ_TIMED_OUT);
        else
            ticks("F");
        EXPECT_EQ(fake.notices.size(), c.notices);
    }
}
