// The main window over a vesk_ip.ini of one very long line (10,000,000
// characters by default): start-up, first show, opening and painting the
// drop-down list, and the mouse moving over its row, against the same steps
// with an ordinary 30-character entry, in the same process and offscreen;
// then a data string of as many characters set through "set" and the
// window repainted with it, against the 44-character default. The window
// must stay responsive whatever an entry or the data string holds.
//
//   bench_console_long_entry [characters] [runs]
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "fake_outside.h"
#include "frmPing.h"

namespace {

struct Steps {
    double construct = 0, show = 0, popup = 0, hover = 0;
    qsizetype boxLength = 0;
};

double msSince(QElapsedTimer& clock)
{
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    clock.restart();
    return ms;
}

Steps measure(FakeOutside& outside)
{
    Steps s;
    QElapsedTimer clock;
    clock.start();
    auto frm = std::make_unique<frmPing>(outside);
    s.construct = msSince(clock);
    frm->show();
    QApplication::processEvents();
    s.show = msSince(clock);

    QComboBox* box = frm->cboAddress;
    box->showPopup();
    QApplication::processEvents();
    QAbstractItemView* rows = box->view();
    rows->viewport()->repaint();
    s.popup = msSince(clock);

    // The pointer comes to rest over the first row, which is then drawn as
    // the hovered one.
    const QPoint over = rows->visualRect(rows->model()->index(0, 0)).center();
    QMouseEvent move(QEvent::MouseMove, over, rows->viewport()->mapToGlobal(over), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(rows->viewport(), &move);
    QApplication::processEvents();
    rows->viewport()->repaint();
    s.hover = msSince(clock);
    box->hidePopup();
    s.boxLength = box->currentText().size();
    return s;
}

struct DataSteps {
    double set = 0, repaint = 0;
};

DataSteps measureData(FakeOutside& outside, const QString& data)
{
    DataSteps s;
    auto frm = std::make_unique<frmPing>(outside);
    frm->show();
    QApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    outside.inputAnswers.push_back(data);
    frm->cmdSetData->click();
    QApplication::processEvents();
    s.set = msSince(clock);
    // Drawn into an image, so that every control paints whatever the
    // platform shows.
    frm->grab();
    s.repaint = msSince(clock);
    basVesk::sPingData = basVesk::kDefaultPingData;
    return s;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool writeList(const QString& path, const QByteArray& line)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(line + "\r\n") == line.size() + 2;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int length = argc > 1 ? std::max(100, std::atoi(argv[1])) : 10'000'000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    QApplication app(argc, argv);

    QTemporaryDir longDir, shortDir;
    if (!longDir.isValid() || !shortDir.isValid())
        return 1;
    const QByteArray head = "10.0.0.1 | ";
    const QByteArray longLine = head + QByteArray(length - head.size(), 'w');
    const QByteArray shortLine = head + "gateway.example.org";
    if (!writeList(longDir.filePath("vesk_ip.ini"), longLine) ||
        !writeList(shortDir.filePath("vesk_ip.ini"), shortLine))
        return 1;

    const QString longData(length, u'd');
    const QString shortData = QString::fromStdString(basVesk::kDefaultPingData);
    std::vector<double> lc, ls, lp, lh, sc, ss, sp, sh, ld, lr, sd, sr;
    qsizetype shown = 0;
    for (int r = 0; r < runs; ++r) {
        FakeOutside outside;
        outside.folder = shortDir.path();
        const Steps s = measure(outside);
        sc.push_back(s.construct), ss.push_back(s.show), sp.push_back(s.popup), sh.push_back(s.hover);
        outside.folder = longDir.path();
        const Steps l = measure(outside);
        lc.push_back(l.construct), ls.push_back(l.show), lp.push_back(l.popup), lh.push_back(l.hover);
        shown = l.boxLength;
        outside.folder = shortDir.path();
        const DataSteps sData = measureData(outside, shortData);
        sd.push_back(sData.set), sr.push_back(sData.repaint);
        const DataSteps lData = measureData(outside, longData);
        ld.push_back(lData.set), lr.push_back(lData.repaint);
    }

    std::printf("main window over one %d-character entry against a %d-character one, offscreen, median of %d\n",
                length, int(shortLine.size()), runs);
    std::printf("  the box shows %lld of the %d characters\n", static_cast<long long>(shown), length);
    const auto row = [](const char* what, const std::vector<double>& l, const std::vector<double>& s) {
        std::printf("  %-36s %10.2f ms   short %8.2f ms   ratio %9.1f\n", what, median(l), median(s),
                    median(l) / median(s));
    };
    row("start-up (list read, box filled)", lc, sc);
    row("first show", ls, ss);
    row("drop-down opened and painted", lp, sp);
    row("pointer over its row, repainted", lh, sh);
    std::printf("a %d-character data string against the %d-character default\n", length, int(shortData.size()));
    row("set through \"set\"", ld, sd);
    row("window repainted", lr, sr);
    return 0;
}
