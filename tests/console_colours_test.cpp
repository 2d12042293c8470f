// The labels' colours under a light and a dark palette: every caption must
// read at a WCAG contrast of 4.5:1 or more against its own background, and
// the colours come from the palette, also when it changes at run time.
#include <QApplication>
#include <QMouseEvent>
#include <QStyle>
#include <cmath>

#include "console_window.h"

namespace {

double luminance(const QColor& c)
{
    auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

// Of a label's caption against its background, as the label paints them.
double contrast(const QLabel* label)
{
    const double a = luminance(label->palette().color(label->backgroundRole()));
    const double b = luminance(label->palette().color(label->foregroundRole()));
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// A dark theme whose selection pair reads well as it is.
QPalette darkPalette()
{
    QPalette p(QColor(53, 53, 53));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(role, Qt::white);
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::black);
    return p;
}

}  // namespace

class Colours : public WindowTest {
protected:
    void TearDown() override
    {
        WindowTest::TearDown();
        setTheme(saved);
    }
    // Qt hands a new application palette to the widgets in a posted event.
    static void setTheme(const QPalette& palette)
    {
        QApplication::setPalette(palette);
        QCoreApplication::sendPostedEvents();
    }
    void hoverTotals(bool over)
    {
        QWidget* w = over ? static_cast<QWidget*>(frm->lblAvg) : frm.get();
        const QPoint at = over ? QPoint(5, 5) : QPoint(100, 21);
        QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    // Every caption of the indicator row, the totals line in both looks
    // and the two framed labels.
    void expectReadable(const char* theme)
    {
        for (int i = 0; i < 10; ++i)
            EXPECT_GE(contrast(frm->lblPing[i]), 4.5) << theme << " cell " << i;
        for (bool over : {true, false}) {
            hoverTotals(over);
            EXPECT_GE(contrast(frm->lblAvg), 4.5) << theme << " totals, pointer over it: " << over;
        }
        EXPECT_GE(contrast(frm->lblLen), 4.5) << theme;
        EXPECT_GE(contrast(frm->lblBytes), 4.5) << theme;
    }
    void expectUnlitCellsInButtonColours()
    {
        const QPalette& p = QApplication::palette();
        for (int i = 0; i < 10; ++i) {
            const QPalette& cell = frm->lblPing[i]->palette();
            EXPECT_TRUE(i == litCell() || (cell.color(QPalette::Window) == p.color(QPalette::Button) &&
                                           cell.color(QPalette::WindowText) == p.color(QPalette::ButtonText)))
                << i;
        }
    }
    const QPalette saved = QApplication::palette();
};

TEST_F(Colours, EveryCaptionReadsInALightAndADarkTheme)
{
    // Fusion's own light palette pairs white with a mid blue (3.7:1).
    setTheme(QApplication::style()->standardPalette());
    ping(basVesk::IP_SUCCESS, 120);
    ASSERT_EQ(litCell(), 2);
    expectReadable("light");
    expectUnlitCellsInButtonColours();

    // The desktop switches to a dark theme while the window is open.
    setTheme(darkPalette());
    expectReadable("dark, switched");
    expectUnlitCellsInButtonColours();
    EXPECT_EQ(litCell(), 2);
    // A pair that reads well is taken as the theme gives it.
    EXPECT_EQ(frm->lblPing[2]->palette().color(QPalette::Window), QColor(42, 130, 218));
    EXPECT_EQ(frm->lblPing[2]->palette().color(QPalette::WindowText), QColor(Qt::black));

    // After the next ping too, and in a window started in the dark.
    ping(basVesk::IP_REQ_TIMED_OUT, 0);
    expectReadable("dark, pinged");
    frm = std::make_unique<frmPing>(fake);
    expectReadable("dark, new window");
    ping(basVesk::IP_SUCCESS, 1);
    expectReadable("dark, new window pinged");
}
