// What a repeat tells the desktop when its host stops answering and when
// it answers again: the rules on their own, then the notices the window
// sends through the fake outside world.
#include <cctype>

#include "console_window.h"
#include "hostWatch.h"

using basVesk::IP_REQ_TIMED_OUT;
using basVesk::IP_SUCCESS;

TEST(HostWatch, ThreeFailuresInARowThenTheFirstSuccess)
{
    // F and S: a failed and a good echo of entry A; f and s of entry B; x
    // forgets. What each says: '.' nothing, 'D' down, 'U' up, '-' forgot.
    const std::pair<const char*, const char*> cases[] = {
        {"SSSS", "...."},     {"FFF", "..D"},           {"SFFFS", "...DU"},      {"FFSFFS", "......"},
        {"FFFFFFSS", "..D...U."}, {"FFFSFFFS", "..DU..DU"}, {"FFxFF", "..-.."}, {"FFfF", "...."},
        {"FFFxS", "..D-."},   {"FFFfffs", "..D..DU"},
    };
    for (const auto& [echoes, expected] : cases) {
        HostWatch watch;
        std::string said;
        for (const char e : std::string(echoes)) {
            if (e == 'x') {
                watch.forget();
                said += '-';
                continue;
            }
            const std::int32_t status = std::toupper(e) == 'F' ? IP_REQ_TIMED_OUT : IP_SUCCESS;
            const HostWatch::Change c = watch.feed({std::islower(e) ? "10.0.0.2" : "10.0.0.1", status, 1, {}, {}});
            said += c == HostWatch::Change::WentDown ? 'D' : c == HostWatch::Change::CameBack ? 'U' : '.';
        }
        EXPECT_EQ(said, expected) << echoes;
    }
    const std::pair<qint64, const char*> spans[] = {{-5000, "0 s"},   {45499, "45 s"},  {119000, "119 s"},
                                                    {120000, "2 min"}, {7140000, "119 min"}, {9000000, "2.5 h"},
                                                    {35999000, "10 h"}, {90000000, "25 h"}};
    for (const auto& [ms, text] : spans)
        EXPECT_EQ(spanText(ms), text) << ms;
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
};

TEST_F(HostNotices, DownThenUpTellWhatHappened)
{
    const QString longEntry = "10.0.0.1 | " + QString(300, u'x');
    const std::pair<QString, QString> entries[] = {
        {"192.168.0.1 | router", "192.168.0.1 | router"},
        {"  10.0.0.1 | <b>a&b</b> ", "10.0.0.1 | <b>a&b</b>"},  // markup is the notifier's business
        {longEntry, longEntry.left(256) + QChar(0x2026)},       // as the box shows it
    };
    for (const auto& [box, shown] : entries) {
        fake.notices.clear();
        fake.clock = QDateTime(QDate(2026, 12, 6), QTime(8, 15, 8));
        setBox(box);
        frm->cmdKeep->click();
        ticks("SFFFF");
        fake.clock = fake.clock.addSecs(40);
        ticks("S", 23);
        frm->cmdKeep->click();
        ASSERT_EQ(fake.notices.size(), 2u);
        EXPECT_EQ(fake.notices[0].kind, Notice::Kind::Down);
        EXPECT_EQ(fake.notices[0].summary, shown + " is not answering");
        EXPECT_EQ(fake.notices[0].body, "3 echoes failed in a row since 08:15:09\nfirst: 11010 (ip req timed out)");
        EXPECT_EQ(fake.notices[1].kind, Notice::Kind::Up);
        EXPECT_EQ(fake.notices[1].summary, shown + " answers again");
        EXPECT_EQ(fake.notices[1].body, "round trip 23 ms\ndown for 44 s, 4 echoes lost");
    }
}

TEST_F(HostNotices, OnlyTheRepeatTellsAndStopOrCleanAllForget)
{
    const auto burst = [this](std::int32_t status) {
        fake.replies.insert(fake.replies.end(), 4, {status, 0});
        frm->cmdPing->click();
    };
    const struct {
        const char* what;
        std::function<void()> between;  // after two failed ticks
        bool thirdInABurst;
        std::size_t notices;
        int watchEnds;  // told to the desktop, which takes the tray icon away
    } cases[] = {
        {"the third failed tick tells", [] {}, false, 1, 0},
        {"a burst sends nothing", [] {}, true, 0, 0},
        {"a burst's replies are left out", [&] { burst(IP_SUCCESS); }, false, 1, 0},
        {"stop and start forget", [this] { frm->cmdKeep->click(), frm->cmdKeep->click(); }, false, 0, 2},
        {"CleanAll forgets", [this] { frm->CleanAll(); }, false, 0, 1},
        {"an echo vesk could not send", [this] { fake.problem = "sorry, no icmp"; }, false, 0, 0},
        {"--no-notifications", [this] { frm->setNotifications(false); }, false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake.problem.clear();
        fake.notices.clear(), fake.noticeWindow = nullptr;
        frm = std::make_unique<frmPing>(fake);
        frm->cmdKeep->click();
        ticks("FF");
        const int ends = fake.watchEnds;
        c.between();
        c.thirdInABurst ? burst(IP_REQ_TIMED_OUT) : ticks("F");
        EXPECT_EQ(fake.notices.size(), c.notices);
        EXPECT_EQ(fake.noticeWindow, c.notices ? frm.get() : nullptr);
        EXPECT_EQ(fake.watchEnds - ends, c.watchEnds);
    }
}
