// Loading a 100,000-line address list: LoadIpList followed by SortIpList,
// against reading the same file's bytes alone, in the same process. The
// ratio shows what splitting, decoding and sorting cost on top of the read.
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "ipList.h"

namespace {

constexpr int kLines = 100000;
constexpr int kRuns = 9;

QByteArray makeList()
{
    // Shuffled addresses, a third of them with a host name, mixed line ends,
    // so the sort has real work and the parser meets every line end.
    QByteArray bytes;
    for (int i = 0; i < kLines; ++i) {
        const int n = int((i * 48271LL) % kLines);
        bytes += QByteArray::number(n % 251) + '.' + QByteArray::number(n / 251 % 256) + '.' +
                 QByteArray::number(n % 7) + '.' + QByteArray::number(n % 13 + 1);
        if (i % 3 == 0)
            bytes += " | Host-" + QByteArray::number(n) + ".example.org";
        bytes += (i % 5 == 0) ? "\n" : "\r\n";
    }
    return bytes;
}

template <typename F>
double medianMs(F&& run)
{
    std::vector<double> times;
    for (int r = 0; r < kRuns; ++r) {
        QElapsedTimer t;
        t.start();
        run();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main()
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString path = dir.filePath("vesk_ip.ini");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(makeList()) < 0)
            return 1;
    }

    qsizetype sink = 0;
    const double readMs = medianMs([&] {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            sink += f.readAll().size();
    });
    const double parseMs = medianMs([&] { sink += LoadIpList(path).entries.size(); });
    const double loadMs = medianMs([&] {
        IpListLoad load = LoadIpList(path);
        SortIpList(load.entries);
        sink += load.entries.size();
    });

    std::printf("address list, %d lines, median of %d runs\n", kLines, kRuns);
    std::printf("  read bytes only      %8.2f ms\n", readMs);
    std::printf("  LoadIpList           %8.2f ms  (%.1f x read)\n", parseMs, parseMs / readMs);
    std::printf("  LoadIpList + sort    %8.2f ms  (%.1f x read)\n", loadMs, loadMs / readMs);
    return sink > 0 ? 0 : 1;
}
