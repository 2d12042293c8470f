// 20,000 pings of the main window while autosave cannot write (the program
// folder is gone), one ping per second of the window's clock as a 1-second
// repeat gives them, with a scripted echo backend. The log is kept and
// grows past its limit all the while. The time per ping is shown for each
// thousand, against the first thousand and against the same thousand of a
// run with autosave off (the log emptied at its limit), in the same process
// and offscreen. The time per ping must stay flat.
//
//   bench_console_autosave [pings]
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fake_outside.h"
#include "frmPing.h"

namespace {

constexpr int kBlock = 1000;

// Milliseconds per ping for each block of kBlock pings.
std::vector<double> run(const QString& folder, bool autosave, int pings, qsizetype& logLength)
{
    FakeOutside outside;
    outside.folder = folder;
    frmPing frm(outside);
    frm.show();
    // A 100-character line per ping, as an entry with a host name gives.
    frm.cboAddress->setEditText(QStringLiteral("127.0.0.1 | ") + QString(30, u'h'));
    frm.chkAutoSave->setChecked(autosave);
    QCoreApplication::processEvents();

    std::vector<double> perPing;
    QElapsedTimer clock;
    clock.start();
    for (int i = 1; i <= pings; ++i) {
        outside.clock = outside.clock.addSecs(1);
        frm.PingOnce();
        QCoreApplication::processEvents();
        if (i % kBlock == 0) {
            perPing.push_back(double(clock.nsecsElapsed()) / 1e6 / kBlock);
            clock.restart();
        }
    }
    logLength = frm.logText().size();
    return perPing;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName("vesk");
    const int pings = argc > 1 ? std::max(kBlock, std::atoi(argv[1]) / kBlock * kBlock) : 20000;

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    // A folder that is not there fails every save, for root as well.
    const QString gone = dir.filePath("gone");

    QElapsedTimer total;
    total.start();
    qsizetype kept = 0, emptied = 0;
    const std::vector<double> failing = run(gone, true, pings, kept);
    const double failingSeconds = double(total.nsecsElapsed()) / 1e9;
    const std::vector<double> reference = run(gone, false, pings, emptied);

    std::printf("%d pings, autosave failing (log kept, %lld characters at the end) against autosave off\n", pings,
                static_cast<long long>(kept));
    std::printf("  %-10s %14s %14s %12s %14s\n", "pings", "failing ms", "off ms", "failing/off", "vs 1st 1000");
    for (std::size_t b = 0; b < failing.size(); ++b)
        std::printf("  %5zu-%-5zu %14.3f %14.3f %12.2f %14.2f\n", b * kBlock + 1, (b + 1) * kBlock, failing[b],
                    reference[b], failing[b] / reference[b], failing[b] / failing[0]);
    std::printf("  whole run with autosave failing: %.1f s\n", failingSeconds);
    return 0;
}
