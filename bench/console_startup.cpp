// Start-up to first paint and peak memory of vesk's main window against a
// reference window of the same size with one label and one line edit
// showing text, both offscreen and built the same way (this one program).
// The reference pays what every window that shows text pays (fontconfig,
// the font's glyphs), so the ratio is vesk's own cost; against an empty
// window it read 6x to 12.6x, fontconfig's start-up mostly. Each
// measurement is a fresh process, since peak memory is per process; the
// parent alternates the two and prints medians and the ratios vesk / text.
// Measured on two busy shared cores (Debian 12, Qt 6.4.2): first paint 1.5x,
// peak memory 1.1x.
//
//   bench_console_startup [runs]          parent: runs each kind, prints
//   bench_console_startup --child vesk|text
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
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
        auto* label = new QLabel(QStringLiteral("a&ddress:"), window.get());
        label->setGeometry(8, 56, 42, 21);
        auto* line = new QLineEdit(QStringLiteral("127.0.0.1 | localhost"), window.get());
        line->setGeometry(52, 52, 281, 21);
        label->setBuddy(line);
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
    std::vector<double> vesk_ms, text_ms;
    std::vector<long> vesk_kb, text_kb;
    for (int i = 0; i < runs; ++i) {
        for (const char* kind : {"text", "vesk"}) {
            const Sample s = spawn(argv[0], kind);
            if (s.ms < 0) {
                std::fprintf(stderr, "child %s failed\n", kind);
                return 1;
            }
            (std::strcmp(kind, "vesk") == 0 ? vesk_ms : text_ms).push_back(s.ms);
            (std::strcmp(kind, "vesk") == 0 ? vesk_kb : text_kb).push_back(s.kb);
        }
    }
    const double vm = median(vesk_ms), tm = median(text_ms);
    const long vk = median(vesk_kb), tk = median(text_kb);
    std::printf("start-up to first paint and peak memory, offscreen, median of %d runs each\n", runs);
    std::printf("  %-13s %8.1f ms   %8ld KiB\n", "text window:", tm, tk);
    std::printf("  %-13s %8.1f ms   %8ld KiB\n", "vesk:", vm, vk);
    std::printf("  ratio vesk/text: first paint %.2f   peak memory %.2f\n", vm / tm, double(vk) / double(tk));
    return 0;
}
