// Start-up of the main window over a 100,000-line vesk_ip.ini, against
// reading the same file's bytes alone, in the same process and offscreen.
// The window's share is its start-up with the file minus its start-up
// without one; the first show is timed apart, since QComboBox measures its
// items then, and so is the first opening of the drop-down list, which
// lays out its rows. The list module's own load (parse, then sort) is
// timed too, so the window's part on top of it shows.
//
//   bench_console_list_load [lines]
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "fake_outside.h"
#include "frmPing.h"
#include "ipList.h"

namespace {

constexpr int kRuns = 7;

QByteArray makeList(int lines)
{
    // Shuffled addresses, a third with a host name, mixed line ends.
    QByteArray bytes;
    for (int i = 0; i < lines; ++i) {
        const int n = int((i * 48271LL) % lines);
        bytes += QByteArray::number(n % 251) + '.' + QByteArray::number(n / 251 % 256) + '.' +
                 QByteArray::number(n % 7) + '.' + QByteArray::number(n % 13 + 1);
        if (i % 3 == 0)
            bytes += " | Host-" + QByteArray::number(n) + ".example.org";
        bytes += (i % 5 == 0) ? "\n" : "\r\n";
    }
    return bytes;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Start {
    double constructMs;
    double showMs;
    double popupMs;
    int items;
};

Start startWindow(FakeOutside& outside)
{
    QElapsedTimer clock;
    clock.start();
    auto frm = std::make_unique<frmPing>(outside);
    const double construct = double(clock.nsecsElapsed()) / 1e6;
    clock.restart();
    frm->show();
    QApplication::processEvents();
    const double show = double(clock.nsecsElapsed()) / 1e6;
    clock.restart();
    frm->cboAddress->showPopup();
    QApplication::processEvents();
    const double popup = double(clock.nsecsElapsed()) / 1e6;
    frm->cboAddress->hidePopup();
    return {construct, show, popup, frm->cboAddress->count()};
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int lines = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    QApplication app(argc, argv);

    QTemporaryDir withFile, empty;
    if (!withFile.isValid() || !empty.isValid())
        return 1;
    const QString path = withFile.filePath("vesk_ip.ini");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(makeList(lines)) < 0)
            return 1;
    }

    std::vector<double> readMs, moduleMs, bareMs, bareShowMs, loadMs, loadShowMs, popupMs;
    qsizetype sink = 0;
    FakeOutside outside;
    for (int r = 0; r < kRuns; ++r) {
        QElapsedTimer clock;
        clock.start();
        {
            QFile f(path);
            if (f.open(QIODevice::ReadOnly))
                sink += f.readAll().size();
        }
        readMs.push_back(double(clock.nsecsElapsed()) / 1e6);

        clock.restart();
        {
            IpListLoad loaded = LoadIpList(path);
            SortIpList(loaded.entries);
            sink += loaded.entries.size();
        }
        moduleMs.push_back(double(clock.nsecsElapsed()) / 1e6);

        outside.folder = empty.path();
        const Start bare = startWindow(outside);
        bareMs.push_back(bare.constructMs);
        bareShowMs.push_back(bare.showMs);

        outside.folder = withFile.path();
        const Start load = startWindow(outside);
        if (load.items != lines) {
            std::fprintf(stderr, "the box holds %d entries, not %d\n", load.items, lines);
            return 1;
        }
        loadMs.push_back(load.constructMs);
        loadShowMs.push_back(load.showMs);
        popupMs.push_back(load.popupMs);
    }

    const double read = median(readMs), module = median(moduleMs), bare = median(bareMs), load = median(loadMs);
    const double list = load - bare;
    std::printf("main window start-up over a %d-line list file, offscreen, median of %d runs\n", lines, kRuns);
    std::printf("  read the file's bytes only       %8.2f ms\n", read);
    std::printf("  LoadIpList + SortIpList          %8.2f ms   (%.1f x reading its bytes)\n", module, module / read);
    std::printf("  start-up without a list file     %8.2f ms   first show %8.2f ms\n", bare, median(bareShowMs));
    std::printf("  start-up with the list file      %8.2f ms   first show %8.2f ms\n", load, median(loadShowMs));
    std::printf("  the list's share of start-up     %8.2f ms   (%.1f x reading its bytes)\n", list, list / read);
    std::printf("  first opening of the list        %8.2f ms\n", median(popupMs));
    return sink > 0 ? 0 : 1;
}
