// The notices from a tray icon (the notifier of Windows), through a tray
// that records what it is asked: when the icon comes and goes, what it and
// its messages say, and where a click on it leads.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include "trayNotices.h"

namespace {

// Its steps outlive it, in the test's hands.
class RecordingTray : public Tray {
public:
    explicit RecordingTray(QStringList& steps) : steps(steps) {}
    bool there = true;
    QStringList& steps;

    bool available() override { return there; }
    // The icon by the colour of its corner.
    void show(const QIcon& icon, const QString& toolTip) override
    {
        steps << "icon " + icon.pixmap(16).toImage().pixelColor(0, 0).name() + ' ' + toolTip;
    }
    void showMessage(const QString& title, const QString& text, Notice::Kind kind) override
    {
        steps << (kind == Notice::Kind::Down ? "warning " : "information ") + title + " / " + text;
    }
    void remove() override { steps << "remove"; }
};

const Notice kDown{Notice::Kind::Down, "10.0.0.1 is not answering", "3 echoes failed"};
const Notice kUp{Notice::Kind::Up, "10.0.0.1 answers again", "round trip 3 ms"};

QIcon filled(Qt::GlobalColor colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

// A window with the red meter icon, and the program's icon green.
struct Watched {
    QWidget window;
    QStringList steps;
    RecordingTray* tray = new RecordingTray(steps);
    std::unique_ptr<TrayNotices> notices =
        std::make_unique<TrayNotices>(std::unique_ptr<Tray>(tray), filled(Qt::green));
    Watched()
    {
        window.setWindowTitle("1 ms - 10.0.0.1 - vesk");
        window.setWindowIcon(filled(Qt::red));
    }
};

}  // namespace

TEST(TrayNotices, TheIconStaysFromTheFirstNoticeUntilTheWatchEnds)
{
    const QIcon blue = filled(Qt::blue);
    // D and U: a notice; E: the watch ends; Q: the application quits; T:
    // the caption changes; I: the meter icon changes; S: the same icon is
    // set again. The notices go at the end of each case.
    const QString icon = "icon #ff0000 1 ms - 10.0.0.1 - vesk",
                  down = "warning 10.0.0.1 is not answering / 3 echoes failed",
                  up = "information 10.0.0.1 answers again / round trip 3 ms";
    const std::pair<const char*, QStringList> cases[] = {
        {"DUE", {icon, down, up, "remove"}},
        {"DTSU", {icon, down, "icon #ff0000 0 ms - 10.0.0.1 - vesk", up, "remove"}},
        {"EDIE", {icon, down, "icon #0000ff 1 ms - 10.0.0.1 - vesk", "remove"}},
        {"DETI", {icon, down, "remove"}},
        {"DED", {icon, down, "remove", icon, down, "remove"}},
        {"DQT", {icon, down, "remove"}},
        {"", {}},
    };
    for (const auto& [script, expected] : cases) {
        SCOPED_TRACE(script);
        Watched w;
        for (const char step : std::string(script)) {
            switch (step) {
            case 'D': w.notices->send(kDown, &w.window); break;
            case 'U': w.notices->send(kUp, &w.window); break;
            case 'E': w.notices->end(); break;
            case 'Q': QMetaObject::invokeMethod(qApp, "aboutToQuit", Qt::DirectConnection); break;
            case 'T': w.window.setWindowTitle("0 ms - 10.0.0.1 - vesk"); break;
            case 'I': w.window.setWindowIcon(blue); break;
            case 'S': w.window.setWindowIcon(w.window.windowIcon()); break;
            }
        }
        w.notices.reset();
        EXPECT_EQ(w.steps.join('\n').toStdString(), expected.join('\n').toStdString());
    }
}

TEST(TrayNotices, LongTextsKeepTheirEnds)
{
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const std::tuple<QString, int, QString> cases[] = {
        {"abcdefg", 7, "abcdefg"},
        {"abcdefgh", 7, "abcd\u2026gh"},
        {emoji.repeated(5), 6, emoji.repeated(2) + u'\u2026'},  // no half characters
    };
    for (const auto& [text, limit, fitted] : cases)
        EXPECT_EQ(fittedText(text, limit), fitted) << text.toStdString();

    Watched w;
    const QString entry = "10.0.0.1 | " + QString(300, u'x');
    w.window.setWindowTitle("1 ms - " + entry + " - vesk");
    w.notices->send({Notice::Kind::Down, entry + " is not answering", "3 echoes failed"}, &w.window);
    ASSERT_EQ(w.steps.size(), 2);
    const QString tip = w.steps[0].mid(13), title = w.steps[1].section(" / ", 0, 0).mid(8);
    EXPECT_EQ(tip.size(), TrayNotices::kToolTipLimit);
    EXPECT_TRUE(tip.startsWith("1 ms - 10.0.0.1 | xx") && tip.endsWith("xx - vesk")) << tip.toStdString();
    EXPECT_EQ(title.size(), TrayNotices::kTitleLimit);
    EXPECT_TRUE(title.startsWith("10.0.0.1 | xx") && title.endsWith("xx is not answering")) << title.toStdString();
}

TEST(TrayNotices, WithoutATrayOneLineSaysSo)
{
    Watched w;
    w.tray->there = false;
    testing::internal::CaptureStderr();
    w.notices->send(kDown, &w.window);
    w.notices->send(kUp, &w.window);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "vesk: desktop notifications are not shown: no system tray\n");
    EXPECT_TRUE(w.steps.isEmpty());
    // A tray that comes later is used.
    w.tray->there = true;
    w.notices->send(kDown, &w.window);
    EXPECT_EQ(w.steps.size(), 2);
}

TEST(TrayNotices, AClickBringsTheWindowUp)
{
    Watched w;
    QWidget other;
    other.show();
    w.window.showMinimized();
    w.notices->send(kDown, &w.window);
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    w.tray->clicked();
    EXPECT_FALSE(w.window.isMinimized());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&w.window));

    // A window that is gone: the program's icon and name stand in for it.
    auto gone = std::make_unique<QWidget>();
    w.notices->send(kDown, gone.get());
    gone.reset();
    w.tray->clicked();
    w.notices->send(kUp, nullptr);
    EXPECT_EQ(w.steps.value(w.steps.size() - 2), "icon #00ff00 vesk");
}
