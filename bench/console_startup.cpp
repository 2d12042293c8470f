// Start-up to first paint and peak memory of vesk's main window against a
// bare Qt window of the same size, both offscreen and built the same way
// (this one program). Each measurement is a fresh process, since peak
// memory is per process; the parent alternates the two and prints medians
// and the ratios vesk / bare.
//
//   bench_console_startup [runs]          parent: runs each kind, prints
//   bench_console_startup --child vesk|bare
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "frmPing.h"
#include "outside.h"
#include "pictures.h"

namespace {

using Clock = std::chrono::steady_clock;

// Catches the first paint of a window and ends the event loop once that
// paint pass, children included, is through.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(Clock::time_point start) : start_(start) {}
    double ms = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && ms < 0) {
            ms = 0;
            QTimer::singleShot(0, [this] {
                ms = std::chrono::duration<double, std::milli>(Clock::now() - start_).count();
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    Clock::time_point start_;
};

int child(const char* kind, Clock::time_point start)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "vesk";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QApplication::setApplicationName("vesk");
    FirstPaint paint(start);

    RealOutside outside;
    std::unique_ptr<QWidget> window;
    if (std::strcmp(kind, "vesk") == 0) {
        QApplication::setWindowIcon(drawPictures()[kProgramIcon]);
        window = std::make_unique<frmPing>(outside);
    } else {
        window = std::make_unique<QWidget>();
        window->setWindowTitle("vesk");
        window->setFixedSize(438, 311);
    }
    window->installEventFilter(&paint);
    window->show();
    app.exec();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.3f %ld\n", paint.ms, usage.ru_maxrss);
    return 0;
}

struct Sample {
    double ms;
    long kb;
};

Sample spawn(const std::string& self, const char* kind)
{
    const std::string command = "'" + self + "' --child " + kind;
    FILE* out = popen(command.c_str(), "r");
    Sample s{-1, -1};
    if (!out)
        return s;
    if (std::fscanf(out, "%lf %ld", &s.ms, &s.kb) != 2)
        s = {-1, -1};
    pclose(out);
    return s;
}

template <typename T>
T median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const auto start = Clock::now();
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0)
        return child(argv[2], start);

    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 9;
    std::vector<double> vesk_ms, bare_ms;
    std::vector<long> vesk_kb, bare_kb;
    for (int i = 0; i < runs; ++i) {
        for (const char* kind : {"bare", "vesk"}) {
            const Sample s = spawn(argv[0], kind);
            if (s.ms < 0) {
                std::fprintf(stderr, "child %s failed\n", kind);
                return 1;
            }
            (std::strcmp(kind, "vesk") == 0 ? vesk_ms : bare_ms).push_back(s.ms);
            (std::strcmp(kind, "vesk") == 0 ? vesk_kb : bare_kb).push_back(s.kb);
        }
    }
    const double vm = median(vesk_ms), bm = median(bare_ms);
    const long vk = median(vesk_kb), bk = median(bare_kb);
    std::printf("start-up to first paint and peak memory, offscreen, median of %d runs each\n", runs);
    std::printf("  %-12s %8.1f ms   %8ld KiB\n", "bare window:", bm, bk);
    std::printf("  %-12s %8.1f ms   %8ld KiB\n", "vesk:", vm, vk);
    std::printf("  ratio vesk/bare: first paint %.2f   peak memory %.2f\n", vm / bm, double(vk) / double(bk));
    return 0;
}
