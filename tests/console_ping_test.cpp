// The ping run, the totals line, the repeat and the data string, driven by
// scripted echo replies.
#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QWindow>
#include <limits>

#include "console_window.h"
#include "pictures.h"

using basVesk::IP_REQ_TIMED_OUT;
using basVesk::IP_SUCCESS;

namespace {
const QString kLine = "127.0.0.1 | localhost 06/12/2026 08:15:08 - 44 byte(s) sent: 12 ms -- 0 (ip success)";
}

using PingRun = WindowTest;

TEST_F(PingRun, OnePingWritesItsLineLengthAndCount)
{
    ping(IP_SUCCESS, 12);
    EXPECT_EQ(frm->sRisult(), kLine);
    EXPECT_EQ(frm->logText(), "\r\n\r\n" + kLine);
    EXPECT_EQ(frm->txtRisult->toPlainText(), "\n\n" + kLine);
    EXPECT_TRUE(frm->txtRisult->textCursor().atEnd());
    EXPECT_EQ(frm->lblLen->text(), "088");
    EXPECT_EQ(fake.pingedAddresses, std::vector<std::string>{"127.0.0.1"});
    EXPECT_EQ(fake.startCalls, 1);
    EXPECT_EQ(fake.stopCalls, 1);
    EXPECT_EQ(basVesk::lPingTot, 1);
    EXPECT_EQ(basVesk::lLastMs, 12);
    EXPECT_TRUE(frm->cmdClear->isEnabled());
    EXPECT_TRUE(frm->cmdSave->isEnabled());
    EXPECT_TRUE(fake.messages.isEmpty());

    ping(IP_SUCCESS, 12);
    EXPECT_EQ(frm->logText(), "\r\n\r\n" + kLine + "\r\n\r\n" + kLine);
    EXPECT_EQ(frm->lblLen->text(), "176");
}

TEST_F(PingRun, AddressIsTheTrimmedTextBeforeTheFirstBar)
{
    setBox("  10.0.0.1");
    ping(IP_SUCCESS, 1);
    setBox("1.2.3.4|a|b");
    ping(IP_SUCCESS, 1);
    setBox("10.0.0.1.5");
    ping(IP_SUCCESS, 1);
    setBox("10.0.0.x");
    ping(IP_SUCCESS, 1);
    setBox(" ::1 | six loop");
    ping(IP_SUCCESS, 1);
    EXPECT_EQ(fake.pingedAddresses,
              (std::vector<std::string>{"10.0.0.1", "1.2.3.4", "10.0.0.1.5", "10.0.0.x", "::1"}));
    EXPECT_EQ(frm->windowTitle(), "1 ms - ::1 | six loop - vesk");

    // The line starts with the box text as it stands, blanks included.
    setBox("  10.0.0.1 ");
    ping(IP_SUCCESS, 1);
    EXPECT_TRUE(frm->sRisult().startsWith("  10.0.0.1  06/12/2026 "));
    EXPECT_EQ(frm->windowTitle(), "1 ms - 10.0.0.1 - vesk");
}

TEST_F(PingRun, TextThatIsNoNumberIsRefusedUncounted)
{
    // The last one is a number, too small for a double.
    const QString tiny = "0." + QString(324, '0') + "1";
    for (const QString& box : {QString("localhost"), QString("0.0.0.0"), QString("   "), QString("-1.2.3.4"),
                               QString("|1.2.3.4"), tiny}) {
        setBox(box);
        frm->PingOnce();
        EXPECT_EQ(fake.messages.size(), 1) << box.toStdString();
        EXPECT_EQ(fake.messages.value(0), "sorry, can ping numeric ip's only!");
        EXPECT_FALSE(fake.exclamations.front());
        fake.messages.clear();
        fake.exclamations.clear();
    }
    EXPECT_EQ(fake.startCalls, 0);
    EXPECT_EQ(basVesk::lPingTot, 0);
    EXPECT_TRUE(frm->logText().isEmpty());

    setBox("localhost");
    frm->cmdPing->click();
    EXPECT_EQ(fake.messages.size(), 4);

    // An empty box ends the ping without a word.
    setBox("");
    frm->PingOnce();
    EXPECT_EQ(fake.messages.size(), 4);
    EXPECT_FALSE(frm->cmdPing->isEnabled());
}

TEST_F(PingRun, SocketStartFailureStillCountsWithTheLastRoundTrip)
{
    ping(IP_SUCCESS, 230);
    fake.startNotice = {false, "Windows Sockets Version 1.0 is not supported", true};
    frm->PingOnce();
    EXPECT_EQ(fake.messages, QStringList{"Windows Sockets Version 1.0 is not supported"});
    EXPECT_TRUE(fake.exclamations.front());
    EXPECT_EQ(fake.pingedAddresses.size(), 1u);
    EXPECT_EQ(fake.stopCalls, 1);
    EXPECT_EQ(frm->logText().count("\r\n\r\n"), 1);
    EXPECT_EQ(frm->lblAvg->text(), "total pings: 2 - timeouts: 0 - ok: 2 - avg:  230");
    EXPECT_EQ(litCell(), 4);
}

TEST_F(PingRun, ShutdownMessageComesAfterTheLine)
{
    fake.stopNotice = {true, "Windows Sockets error -1 occurred in Cleanup.", true};
    fake.duringMessage = [this] { EXPECT_EQ(frm->logText(), "\r\n\r\n" + frm->sRisult()); };
    ping(IP_SUCCESS, 12);
    EXPECT_EQ(fake.messages, QStringList{"Windows Sockets error -1 occurred in Cleanup."});
    EXPECT_EQ(basVesk::lPingTot, 1);
}

TEST_F(PingRun, SocketProblemIsToldOncePerRun)
{
    fake.problem = "ICMP sockets are not permitted: see net.ipv4.ping_group_range";
    for (int i = 0; i < 3; ++i)
        ping(basVesk::IP_GENERAL_FAILURE, 0);
    EXPECT_EQ(fake.messages, QStringList{QString::fromStdString(fake.problem)});
    setBox("127.0.0.2");
    ping(basVesk::IP_GENERAL_FAILURE, 0);
    EXPECT_EQ(fake.messages.size(), 1);
}

TEST_F(PingRun, CmdPingSendsFourThenShowsTheIdleIcon)
{
    fake.replies = {{IP_SUCCESS, 10}, {IP_SUCCESS, 20}, {IP_SUCCESS, 30}, {IP_SUCCESS, 700}};
    frm->cmdPing->click();
    EXPECT_EQ(fake.pingedAddresses.size(), 4u);
    EXPECT_EQ(frm->windowIcon().cacheKey(), frm->imgIcon[kProgramIcon].cacheKey());
    EXPECT_EQ(litCell(), 8);
    EXPECT_EQ(frm->windowTitle(), "700 ms - 127.0.0.1 | localhost - vesk");
    EXPECT_EQ(frm->lblAvg->text(), "total pings: 4 - timeouts: 0 - ok: 4 - avg:  190");
}

TEST_F(PingRun, BurstPastTheDefaultWaitShowsTheHourglassButNotOverItsMessages)
{
    auto shape = [] { return QApplication::overrideCursor() ? int(QApplication::overrideCursor()->shape()) : -1; };
    std::vector<int> shapes;
    fake.duringPing = [&] { shapes.push_back(shape()); };
    for (const int wait : {basVesk::kEchoTimeoutMs, basVesk::kEchoTimeoutMs + 1, basVesk::kEchoTimeoutMaxMs}) {
        fake.setEchoWaitMs(wait);
        shapes.clear();
        frm->cmdPing->click();
        EXPECT_EQ(shapes, std::vector<int>(4, wait > basVesk::kEchoTimeoutMs ? int(Qt::WaitCursor) : -1)) << wait;
        EXPECT_EQ(shape(), -1) << wait;
    }
    // A real message box that opens during the burst.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QTimer::singleShot(0, [&] { shapes = {shape()}; QApplication::activeModalWidget()->close(); });
    RealOutside().message(frm.get(), "sorry, can ping numeric ip's only!");
    shapes.push_back(shape());
    EXPECT_EQ(shapes, (std::vector<int>{int(Qt::ArrowCursor), int(Qt::WaitCursor)}));
    QApplication::restoreOverrideCursor();
}

using Totals = WindowTest;

TEST_F(Totals, ClassAndTimeoutBoundaries)
{
    struct Case {
        std::int32_t ms;
        int cell;
        bool timeout;
    };
    const Case cases[] = {{-5, 0, false},  {0, 0, false},    {50, 0, false},   {51, 1, false},  {100, 1, false},
                          {101, 2, false}, {150, 2, false},  {151, 3, false},  {200, 3, false}, {201, 4, false},
                          {250, 4, false}, {251, 5, false},  {300, 5, false},  {301, 6, false}, {400, 6, false},
                          {401, 7, false}, {500, 7, false},  {501, 8, false},  {999, 8, false}, {1000, 8, true},
                          {1001, 9, true}, {1200, 9, true}};
    for (const Case& c : cases) {
        const auto timeouts = basVesk::lTimeOut;
        ping(IP_SUCCESS, c.ms);
        EXPECT_EQ(litCell(), c.cell) << c.ms;
        EXPECT_EQ(frm->windowIcon().cacheKey(), frm->imgIcon[c.cell].cacheKey()) << c.ms;
        EXPECT_EQ(basVesk::lTimeOut - timeouts, c.timeout ? 1 : 0) << c.ms;
        EXPECT_EQ(frm->lblPing[c.cell]->palette().color(QPalette::WindowText),
                  frm->palette().color(QPalette::HighlightedText));
        EXPECT_EQ(frm->lblPing[(c.cell + 1) % 10]->palette().color(QPalette::WindowText), QColor(Qt::black));
        EXPECT_EQ(basVesk::lPingTot, basVesk::lTimeOut + basVesk::lPingOk);
    }
}

TEST_F(Totals, LineCountsAndTakesTheAverageDown)
{
    ping(IP_SUCCESS, 23);
    EXPECT_EQ(frm->lblAvg->text(), "total pings: 1 - timeouts: 0 - ok: 1 - avg:  23");
    EXPECT_EQ(frm->windowTitle(), "23 ms - 127.0.0.1 | localhost - vesk");

    frm->CleanAll();
    ping(IP_SUCCESS, 1200);
    EXPECT_EQ(frm->lblAvg->text(), "total pings: 1 - timeouts: 1");

    frm->CleanAll();
    ping(IP_SUCCESS, 10);
    ping(IP_SUCCESS, 15);
    EXPECT_EQ(frm->lblAvg->text(), "total pings: 2 - timeouts: 0 - ok: 2 - avg:  12");
    ping(IP_SUCCESS, 1000);
    EXPECT_EQ(frm->lblAvg->text(), "total pings: 3 - timeouts: 1 - ok: 2 - avg:  12");
}

TEST_F(Totals, CaptionShowsTheEntryAsItIs)
{
    frm->winId();
    setBox("1.2.3.4 | a[*]b [*][*] [*]*]");
    ping(IP_SUCCESS, 5);
    EXPECT_EQ(frm->windowHandle()->title(), "5 ms - 1.2.3.4 | a[*]b [*][*] [*]*] - vesk");
}

TEST_F(Totals, FailedExchangeCountsAsTimeoutNotAsFastReply)
{
    ping(IP_SUCCESS, 20);
    ping(IP_REQ_TIMED_OUT, 0);
    EXPECT_EQ(frm->lblAvg->text(), "total pings: 2 - timeouts: 1 - ok: 1 - avg:  20");
    EXPECT_EQ(litCell(), 9);
    EXPECT_EQ(frm->windowIcon().cacheKey(), frm->imgIcon[9].cacheKey());
    EXPECT_TRUE(frm->sRisult().endsWith(" 0 ms -- 11010 (ip req timed out)")) << frm->sRisult().toStdString();

    // Any status but success, whatever round trip it carries.
    ping(basVesk::IP_DEST_HOST_UNREACHABLE, 3);
    EXPECT_EQ(frm->lblAvg->text(), "total pings: 3 - timeouts: 2 - ok: 1 - avg:  20");
    ping(IP_SUCCESS, 40);
    EXPECT_EQ(frm->lblAvg->text(), "total pings: 4 - timeouts: 2 - ok: 2 - avg:  30");
    EXPECT_EQ(litCell(), 0);
}

TEST_F(Totals, CountersStopAtTheirLimitInsteadOfWrapping)
{
    constexpr auto top = std::numeric_limits<std::int64_t>::max();
    ping(IP_SUCCESS, 999);
    basVesk::lPingTot = top;
    basVesk::lPingOk = top - 1;
    basVesk::lMsTot = top - 10;
    ping(IP_SUCCESS, 999);
    EXPECT_EQ(basVesk::lPingTot, top);
    EXPECT_EQ(basVesk::lMsTot, top);
    EXPECT_EQ(basVesk::lPingOk, top);
    EXPECT_FALSE(frm->lblAvg->text().contains(QRegularExpression("-\\d")));
    EXPECT_TRUE(frm->lblAvg->text().endsWith("avg:  1")) << frm->lblAvg->text().toStdString();

    basVesk::lTimeOut = top;
    ping(IP_REQ_TIMED_OUT, 0);
    EXPECT_EQ(basVesk::lTimeOut, top);
}

TEST_F(Totals, HoverReversesTheTotalsLineUntilTheBareWindow)
{
    // The selection colours as the window shows them at start.
    const QColor selection = frm->lblAvg->palette().color(QPalette::Window);
    const QColor selectionText = frm->lblAvg->palette().color(QPalette::WindowText);
    EXPECT_EQ(selectionText, frm->palette().color(QPalette::HighlightedText));
    auto move = [](QWidget* w, QPoint at) {
        QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    };
    move(frm->lblAvg, {5, 5});
    EXPECT_EQ(frm->lblAvg->palette().color(QPalette::Window), selectionText);
    EXPECT_EQ(frm->lblAvg->palette().color(QPalette::WindowText), selection);

    // Straight onto another control: the reversed look stays.
    move(frm->cmdInfo, {5, 5});
    move(frm->lblPing[2], {5, 5});
    EXPECT_EQ(frm->lblAvg->palette().color(QPalette::Window), selectionText);

    // The strip between the indicator row and the totals line is bare.
    ASSERT_EQ(frm->childAt(100, 21), nullptr);
    move(frm.get(), {100, 21});
    EXPECT_EQ(frm->lblAvg->palette().color(QPalette::Window), selection);
    EXPECT_EQ(frm->lblAvg->palette().color(QPalette::WindowText), selectionText);
}

using Repeat = WindowTest;

TEST_F(Repeat, KeepTogglesTheTimerAndZeroesTheCounters)
{
    ping(IP_SUCCESS, 30);
    const QString before = frm->lblAvg->text();
    frm->cmdKeep->click();
    EXPECT_TRUE(frm->Timer1->isActive());
    EXPECT_TRUE(frm->cmdKeep->font().bold());
    EXPECT_EQ(frm->cmdKeep->text(), "&keep: 1 sec");
    EXPECT_EQ(basVesk::lPingTot, 0);
    EXPECT_EQ(basVesk::lMsTot, 0);
    EXPECT_EQ(frm->lblAvg->text(), before);
    // No ping at the click itself; the first comes with the first tick.
    EXPECT_EQ(fake.pingedAddresses.size(), 1u);

    fake.replies = {{IP_SUCCESS, 60}};
    tick();
    EXPECT_EQ(fake.pingedAddresses.size(), 2u);
    EXPECT_EQ(frm->lblAvg->text(), "total pings: 1 - timeouts: 0 - ok: 1 - avg:  60");
    EXPECT_EQ(frm->windowIcon().cacheKey(), frm->imgIcon[1].cacheKey());

    // A change of the box starts a fresh count but leaves the repeat running.
    setBox("127.0.0.2");
    EXPECT_TRUE(frm->Timer1->isActive());

    frm->cmdKeep->click();
    EXPECT_FALSE(frm->Timer1->isActive());
    EXPECT_FALSE(frm->cmdKeep->font().bold());
    EXPECT_EQ(frm->windowIcon().cacheKey(), frm->imgIcon[kProgramIcon].cacheKey());
}

TEST_F(Repeat, ScrollBarSetsIntervalAndCaption)
{
    frm->hsc->setValue(15);
    EXPECT_EQ(frm->cmdKeep->text(), "&keep: 15 sec");
    EXPECT_EQ(frm->Timer1->interval(), 15000);
    EXPECT_FALSE(frm->Timer1->isActive());

    frm->cmdKeep->click();
    frm->hsc->setValue(60);
    EXPECT_EQ(frm->cmdKeep->text(), "&keep: 60 sec");
    EXPECT_EQ(frm->Timer1->interval(), 60000);
    EXPECT_TRUE(frm->Timer1->isActive());
    // Never early: Qt's coarse timers fire up to 5 % before the interval.
    EXPECT_EQ(frm->Timer1->timerType(), Qt::PreciseTimer);

    frm->hsc->setValue(0);
    EXPECT_EQ(frm->hsc->value(), 1);
    frm->hsc->setValue(99);
    EXPECT_EQ(frm->hsc->value(), 60);
    EXPECT_EQ(frm->Timer1->interval(), 60000);

    // Dragging is not followed; only the value let go of counts.
    EXPECT_FALSE(frm->hsc->hasTracking());
}

TEST_F(Repeat, TickWhileAPingsMessageIsOpenIsSkipped)
{
    setBox("localhost");
    frm->cmdKeep->click();
    fake.duringMessage = [this] { tick(); };
    tick();
    EXPECT_EQ(fake.messages.size(), 1);

    // Same for a shutdown message in the middle of a real exchange.
    setBox("127.0.0.1");
    fake.stopNotice = {true, "Windows Sockets error -1 occurred in Cleanup.", true};
    fake.duringMessage = [this] { tick(); };
    tick();
    EXPECT_EQ(fake.pingedAddresses.size(), 1u);
    EXPECT_EQ(basVesk::lPingTot, 1);
}

using Reset = WindowTest;

TEST_F(Reset, ChangeOfTheBoxStartsAFreshCount)
{
    ping(IP_SUCCESS, 300);
    const QString title = frm->windowTitle();
    const QString length = frm->lblLen->text();
    setBox("10.0.0.7");
    EXPECT_TRUE(frm->lblAvg->text().isEmpty());
    EXPECT_TRUE(frm->logText().isEmpty());
    EXPECT_TRUE(frm->txtRisult->toPlainText().isEmpty());
    EXPECT_EQ(basVesk::lPingTot + basVesk::lTimeOut + basVesk::lPingOk + basVesk::lMsTot, 0);
    EXPECT_EQ(basVesk::lLastMs, 300);
    EXPECT_EQ(frm->lblLen->text(), length);
    EXPECT_EQ(frm->windowTitle(), title);
    EXPECT_EQ(litCell(), 5);
    EXPECT_FALSE(frm->cmdClear->isEnabled());
    EXPECT_TRUE(frm->cmdPing->isEnabled());

    setBox("   ");
    EXPECT_FALSE(frm->cmdPing->isEnabled());
    EXPECT_FALSE(frm->cmdKeep->isEnabled());
    EXPECT_FALSE(frm->cmdDeleteIP->isEnabled());
    setBox(" 1");
    EXPECT_TRUE(frm->cmdPing->isEnabled());
    EXPECT_TRUE(frm->cmdKeep->isEnabled());
    EXPECT_TRUE(frm->cmdDeleteIP->isEnabled());

    // Picking an entry of the list resets as well, also the one it shows.
    setBox(frmPing::kDefaultEntry);
    ping(IP_SUCCESS, 1);
    emit frm->cboAddress->picked(0);
    EXPECT_TRUE(frm->logText().isEmpty());
    EXPECT_EQ(frm->cboAddress->currentText(), frmPing::kDefaultEntry);
}

using DataString = WindowTest;

TEST_F(DataString, InputBoxReplacesOrRestoresTheString)
{
    const QString def = "this is the default data string being pinged";
    fake.inputAnswers = {std::nullopt};
    frm->cmdSetData->click();
    EXPECT_EQ(fake.inputPrompts, QStringList{"please input the string for pinging:"});
    EXPECT_EQ(fake.inputTitles, QStringList{"vesk"});
    EXPECT_EQ(fake.inputValues, QStringList{def});
    EXPECT_EQ(frm->lblLenData->text(), "44 &b");

    fake.inputAnswers = {QString("abc")};
    frm->cmdSetData->click();
    EXPECT_EQ(basVesk::sPingData, "abc");
    EXPECT_EQ(basVesk::lLenData, 3);
    EXPECT_EQ(frm->lblBytes->text(), "abc");
    EXPECT_EQ(frm->lblLenData->text(), "3 &b");
    ping(IP_SUCCESS, 5);
    EXPECT_TRUE(frm->sRisult().contains(" - 3 byte(s) sent: 5 ms"));

    fake.inputAnswers = {std::nullopt};
    frm->cmdSetData->click();
    EXPECT_EQ(basVesk::sPingData, def.toStdString());
    EXPECT_EQ(basVesk::lLenData, 44);

    fake.inputAnswers = {QString(" ")};
    frm->cmdSetData->click();
    EXPECT_EQ(basVesk::sPingData, " ");
    EXPECT_EQ(frm->lblLenData->text(), "1 &b");

    fake.inputAnswers = {QString("")};
    frm->cmdSetData->click();
    EXPECT_EQ(basVesk::sPingData, def.toStdString());
    EXPECT_EQ(frm->lblBytes->text(), def);

    // Characters, not bytes; markup and ampersands show as typed.
    fake.inputAnswers = {QString::fromUtf8("<b>&é😀")};
    frm->cmdSetData->click();
    EXPECT_EQ(basVesk::lLenData, 6);
    EXPECT_EQ(frm->lblLenData->text(), "6 &b");
    EXPECT_EQ(frm->lblBytes->textFormat(), Qt::PlainText);
}

TEST_F(DataString, StartUpRestoresTheDefault)
{
    basVesk::sPingData = "left over";
    basVesk::lLenData = 9;
    frmPing fresh(fake);
    EXPECT_EQ(basVesk::sPingData, basVesk::kDefaultPingData);
    EXPECT_EQ(basVesk::lLenData, 44);
    EXPECT_EQ(fresh.lblLenData->text(), "44 &b:");
}
