// The notices from a tray icon (Windows), through a tray that records what
// it is asked: when the icon comes and goes, what it and its messages say,
// and where a click on it leads.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include "trayNotices.h"

namespace {

struct RecordingTray : Tray {
    explicit RecordingTray(QStringList& steps) : steps(steps) {}
    QStringList& steps;  // outlives the tray
    bool there = true;
    bool available() override { return there; }
    // The icon by its colour.
    void show(const QIcon& icon, const QString& tip) override
    {
        steps << icon.pixmap(8).toImage().pixelColor(0, 0).name() + ' ' + tip;
    }
    void showMessage(const QString& title, const QString& text, Notice::Kind kind) override
    {
        steps << (kind == Notice::Kind::Down ? "! " : "i ") + title + " / " + text;
    }
    void remove() override { steps << "remove"; }
};

QIcon filled(Qt::GlobalColor colour)
{
    QPixmap pixmap(8, 8);
    pixmap.fill(colour);
    return pixmap;
}

// A window with a red meter; the program's icon is green.
struct Watched {
    QWidget window;
    QStringList steps;
    RecordingTray* tray = new RecordingTray(steps);
    std::unique_ptr<TrayNotices> notices =
        std::make_unique<TrayNotices>(std::unique_ptr<Tray>(tray), filled(Qt::green));
    Watched() { window.setWindowTitle("1 ms - A - vesk"), window.setWindowIcon(filled(Qt::red)); }
};

}  // namespace

TEST(TrayNotices, TheIconStaysFromTheFirstNoticeUntilTheWatchEnds)
{
    const QString x(300, u'x'), cut = QStringLiteral("\u2026");
    const QString longTip = "0 ms - " + x.left(77) + cut + x.left(35) + " - vesk";
    // D, U, L: a down, up or long notice; E: the watch ends; Q: the
    // application quits; T, I, S: the caption, another icon, the same icon;
    // N: no tray. The notices go at the end.
    const std::pair<const char*, QStringList> cases[] = {
        {"DUE", {"#ff0000 1 ms - A - vesk", "! A is not answering / 3 failed", "i A answers again / 3 ms", "remove"}},
        {"DTSIU", {"#ff0000 1 ms - A - vesk", "! A is not answering / 3 failed", "#ff0000 " + longTip,
                   "#0000ff " + longTip, "i A answers again / 3 ms", "remove"}},
        {"EDETIQ", {"#ff0000 1 ms - A - vesk", "! A is not answering / 3 failed", "remove"}},
        {"DED", {"#ff0000 1 ms - A - vesk", "! A is not answering / 3 failed", "remove", "#ff0000 1 ms - A - vesk",
                 "! A is not answering / 3 failed", "remove"}},
        {"DQT", {"#ff0000 1 ms - A - vesk", "! A is not answering / 3 failed", "remove"}},
        {"TL", {"#ff0000 " + longTip, "! " + x.left(42) + cut + "xxx is not answering / 3 failed", "remove"}},
        {"NDU", {}},
    };
    for (const auto& [script, expected] : cases) {
        SCOPED_TRACE(script);
        Watched w;
        for (const char step : std::string(script)) {
            switch (step) {
            case 'D': w.notices->send({Notice::Kind::Down, "A is not answering", "3 failed"}, &w.window); break;
            case 'U': w.notices->send({Notice::Kind::Up, "A answers again", "3 ms"}, &w.window); break;
            case 'L': w.notices->send({Notice::Kind::Down, x + " is not answering", "3 failed"}, &w.window); break;
            case 'E': w.notices->end(); break;
            case 'Q': QMetaObject::invokeMethod(qApp, "aboutToQuit", Qt::DirectConnection); break;
            case 'T': w.window.setWindowTitle("0 ms - " + x + " - vesk"); break;
            case 'I': w.window.setWindowIcon(filled(Qt::blue)); break;
            case 'S': w.window.setWindowIcon(w.window.windowIcon()); break;
            case 'N': w.tray->there = false; break;
            }
        }
        w.notices.reset();
        EXPECT_EQ(w.steps.join('\n').toStdString(), expected.join('\n').toStdString());
    }
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(fittedText(emoji.repeated(5), 6), emoji.repeated(2) + cut) << "no half characters";
}

TEST(TrayNotices, AClickBringsTheWindowUpAndNoTrayIsToldOnce)
{
    Watched w;
    QWidget other;
    other.show();
    w.window.showMinimized();
    w.notices->send({}, &w.window);
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    w.tray->clicked();
    EXPECT_FALSE(w.window.isMinimized());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&w.window));

    // Once the window is gone the program's icon and name stand in for it.
    w.notices->send({}, std::make_unique<QWidget>().get());
    w.tray->clicked();
    w.tray->there = false;
    testing::internal::CaptureStderr();
    w.notices->send({}, nullptr);
    w.notices->send({}, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "vesk: desktop notifications are not shown: no system tray\n");
    w.tray->there = true;
    w.notices->send({}, nullptr);
    EXPECT_EQ(w.steps.value(w.steps.size() - 2), "#00ff00 vesk");
}
