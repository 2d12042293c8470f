// Time per PingOnce of the main window with a scripted echo backend, over
// 10,000 pings while the log cycles through its 32000-character limit,
// against the same loop with the log append taken out. Each ping is timed
// alone and together with the repaint that follows it, since the text box
// lays out and draws its new lines when it paints.
//
//   bench_console_ping [pings]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "fake_outside.h"
#include "frmPing.h"

namespace {

// The window with the log append taken out; everything else of the ping
// run (check, exchange, line, caret, length, totals) stays.
class WithoutLog : public frmPing {
public:
    using frmPing::frmPing;

protected:
    void appendToLog(const QString&) override {}
};

struct Figures {
    double medianUs = 0;
    double worstUs = 0;
    double meanUs = 0;
};

Figures summarise(std::vector<double> us)
{
    Figures f;
    for (double v : us)
        f.meanUs += v / double(us.size());
    f.worstUs = *std::max_element(us.begin(), us.end());
    std::nth_element(us.begin(), us.begin() + us.size() / 2, us.end());
    f.medianUs = us[us.size() / 2];
    return f;
}

// The ping alone, and the ping with the repaint that follows it.
struct Run {
    Figures ping;
    Figures withRepaint;
};

Run run(frmPing& frm, int pings)
{
    std::vector<double> ping, whole;
    ping.reserve(pings);
    whole.reserve(pings);
    QElapsedTimer clock;
    for (int i = 0; i < pings; ++i) {
        clock.start();
        frm.PingOnce();
        ping.push_back(clock.nsecsElapsed() / 1000.0);
        QCoreApplication::processEvents();
        whole.push_back(clock.nsecsElapsed() / 1000.0);
    }
    return {summarise(ping), summarise(whole)};
}

void print(const char* what, const Figures& f)
{
    std::printf("  %-34s median %8.1f us   worst %9.1f us   mean %8.1f us\n", what, f.medianUs, f.worstUs, f.meanUs);
}

void printRatio(const char* what, const Figures& a, const Figures& b)
{
    std::printf("  %-34s median %8.2f      worst %9.2f      mean %8.2f\n", what, a.medianUs / b.medianUs,
                a.worstUs / b.worstUs, a.meanUs / b.meanUs);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName("vesk");
    const int pings = argc > 1 ? std::max(100, std::atoi(argv[1])) : 10000;

    FakeOutside outside;
    outside.folder = QDir::tempPath();

    frmPing withLog(outside);
    withLog.show();
    QCoreApplication::processEvents();
    // A short warm-up so that fonts and caches are loaded for both runs.
    run(withLog, 50);
    const Run full = run(withLog, pings);
    const long emptied = long(pings) * (withLog.sRisult().size() + 4) / frmPing::kLogLimit;
    withLog.hide();

    WithoutLog bare(outside);
    bare.show();
    QCoreApplication::processEvents();
    run(bare, 50);
    const Run noLog = run(bare, pings);

    std::printf("%d pings, scripted echo, log emptied at %d characters (%ld times)\n", pings, int(frmPing::kLogLimit),
                emptied);
    print("PingOnce, with log:", full.ping);
    print("PingOnce, log append taken out:", noLog.ping);
    printRatio("ratio with/without log:", full.ping, noLog.ping);
    print("PingOnce + repaint, with log:", full.withRepaint);
    print("PingOnce + repaint, no log append:", noLog.withRepaint);
    printRatio("ratio with/without log:", full.withRepaint, noLog.withRepaint);
    return 0;
}
