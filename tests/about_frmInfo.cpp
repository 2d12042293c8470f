// The about window: captions, layout, the stepping icon and its keys.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "fake_outside.h"
#include "frmInfo.h"

namespace {

// Each picture is one solid colour, so what Image1 shows can be told from a
// single pixel. The program icon's two images differ in colour, so showing
// the 32 pixel image where the 16 pixel one belongs is caught too.
QColor meterColour(int n) { return QColor::fromHsv(n * 30, 255, 255); }
const QColor kProgram16(Qt::black);
const QColor kProgram32(Qt::white);

QPixmap solid(int size, const QColor& colour)
{
    QPixmap p(size, size);
    p.fill(colour);
    return p;
}

std::array<QIcon, 11> makePictures()
{
    std::array<QIcon, 11> pictures;
    for (int n = 0; n < 10; ++n)
        pictures[n] = QIcon(solid(32, meterColour(n)));
    pictures[10].addPixmap(solid(16, kProgram16));
    pictures[10].addPixmap(solid(32, kProgram32));
    return pictures;
}

struct Shown {
    int index;
    QSize size;
    QColor colour;
};

Shown shown(const frmInfo& w)
{
    const QImage image = w.Image1->pixmap().toImage();
    return {w.shownPicture(), w.Image1->size(), image.isNull() ? QColor() : QColor(image.pixel(0, 0))};
}

void expectMeter(const frmInfo& w, int n)
{
    const Shown s = shown(w);
    EXPECT_EQ(s.index, n);
    EXPECT_EQ(s.size, QSize(32, 32));
    EXPECT_EQ(s.colour.rgb(), meterColour(n).rgb()) << "meter " << n;
    EXPECT_EQ(w.Image1->pos(), QPoint(4, 8));
}

void expectProgramIcon(const frmInfo& w)
{
    const Shown s = shown(w);
    EXPECT_EQ(s.index, 10);
    EXPECT_EQ(s.size, QSize(16, 16));
    EXPECT_EQ(s.colour.rgb(), kProgram16.rgb());
    EXPECT_EQ(w.Image1->pos(), QPoint(4, 8));
}

// Shows the window over a stand-in main window and waits until it has the
// keyboard, as it would after the user opened it.
void openAndActivate(frmInfo& w)
{
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

class FrmInfo : public ::testing::Test {
protected:
    FakeOutside outside;
    std::array<QIcon, 11> pictures = makePictures();
    int counter = 0;
};

}  // namespace

TEST_F(FrmInfo, CaptionsNameVersionAndWebHost)
{
    frmInfo w(outside, pictures, counter);
    EXPECT_EQ(w.windowTitle(), "vesk");
    const QStringList nome = w.lblNome->text().split("\r\n");
    ASSERT_EQ(nome.size(), 2);
    EXPECT_EQ(nome[0], "VESK");
    EXPECT_TRUE(nome[1].startsWith(QChar(0xa9))) << nome[1].toStdString();
    EXPECT_EQ(w.lblVer->text(), "rel. 1.0.18");
    EXPECT_EQ(w.cmdOrv->text(), "vesk.example.org");
    EXPECT_EQ(frmInfo::webPage().host(), w.cmdOrv->text());
    EXPECT_EQ(w.cmOK->text(), "o&k");

    outside.name = "Vesk-Lab";
    frmInfo other(outside, pictures, counter);
    EXPECT_TRUE(other.lblNome->text().startsWith("VESK-LAB\r\n"));
}

TEST_F(FrmInfo, FixedLayoutCentredOverTheMainWindow)
{
    QWidget main;
    main.setGeometry(120, 90, 438, 311);
    main.show();
    frmInfo w(outside, pictures, counter, &main);
    EXPECT_EQ(w.minimumSize(), QSize(188, 153));
    EXPECT_EQ(w.maximumSize(), QSize(188, 153));
    EXPECT_TRUE(w.isWindow());
    // The icon at the left, at its larger size too; right of it, one
    // column top to bottom; all inside the window and clear of each other.
    w.Timer1_Timer();
    const QWidget* column[] = {w.lblNome, w.lblVer, w.cmdOrv, w.cmOK};
    EXPECT_LT(w.Image1->geometry().right(), w.lblNome->x());
    EXPECT_TRUE(w.rect().contains(w.Image1->geometry()));
    for (std::size_t k = 0; k < std::size(column); ++k) {
        EXPECT_TRUE(w.rect().contains(column[k]->geometry())) << k;
        if (k == 0)
            continue;
        EXPECT_EQ(column[k]->x(), column[0]->x()) << k;
        EXPECT_EQ(column[k]->width(), column[0]->width()) << k;
        EXPECT_LT(column[k - 1]->geometry().bottom(), column[k]->y()) << k;
    }
    for (QLabel* label : {w.lblNome, w.lblVer}) {
        EXPECT_EQ(label->frameShape(), QFrame::Box);
        EXPECT_EQ(label->alignment(), Qt::AlignCenter);
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
    }
    EXPECT_EQ(w.Timer1->interval(), 1000);
    EXPECT_TRUE(w.Timer1->isActive());

    openAndActivate(w);
    EXPECT_EQ(w.size(), QSize(188, 153));
    const QPoint offset = w.frameGeometry().center() - main.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
    // cmOK has the focus at open, and Tab goes between the two buttons only.
    EXPECT_EQ(QApplication::focusWidget(), w.cmOK);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.cmdOrv);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.cmOK);
}

TEST_F(FrmInfo, IconStepsDownWrapsAndGoesOnAfterReopening)
{
    // As the main window opens it: a fresh window each time, shown modally.
    frmInfo first(outside, pictures, counter);
    expectProgramIcon(first);
    outside.duringModal = [&](QDialog*) {
        for (int expected : {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 9}) {
            first.Timer1_Timer();
            expectMeter(first, expected);
        }
    };
    outside.showModal(&first);
    EXPECT_FALSE(first.isVisible());
    EXPECT_FALSE(first.Timer1->isActive());
    EXPECT_EQ(counter, 9);

    frmInfo second(outside, pictures, counter);
    expectProgramIcon(second);
    second.show();
    second.Timer1_Timer();
    expectMeter(second, 8);

    // The same window shown again is loaded afresh as well.
    second.close();
    EXPECT_FALSE(second.Timer1->isActive());
    second.show();
    expectProgramIcon(second);
    EXPECT_TRUE(second.Timer1->isActive());
    second.Timer1_Timer();
    expectMeter(second, 7);
}

TEST_F(FrmInfo, TimerStepsTheIconWhileOpen)
{
    frmInfo w(outside, pictures, counter);
    w.show();
    QSignalSpy ticks(w.Timer1, &QTimer::timeout);
    ASSERT_TRUE(ticks.wait(3000));
    expectMeter(w, 9);
}

TEST_F(FrmInfo, EscClosesWhateverHasTheFocus)
{
    for (bool onOrv : {false, true}) {
        frmInfo w(outside, pictures, counter);
        openAndActivate(w);
        if (onOrv)
            w.cmdOrv->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_FALSE(w.isVisible()) << "focus on cmdOrv: " << onOrv;
        EXPECT_FALSE(w.Timer1->isActive());
    }
    EXPECT_TRUE(outside.openedUrls.empty());
}

TEST_F(FrmInfo, EnterPressesTheButtonWithTheFocus)
{
    frmInfo w(outside, pictures, counter);
    openAndActivate(w);
    w.cmdOrv->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(w.isVisible());
    ASSERT_EQ(outside.openedUrls.size(), 1u);

    w.cmOK->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(outside.openedUrls.size(), 1u);
}

TEST_F(FrmInfo, WebPageOpensOnEveryClickAndTheWindowStays)
{
    frmInfo w(outside, pictures, counter);
    w.show();
    QTest::mouseClick(w.cmdOrv, Qt::LeftButton);
    QTest::mouseClick(w.cmdOrv, Qt::LeftButton);
    ASSERT_EQ(outside.openedUrls.size(), 2u);
    EXPECT_EQ(outside.openedUrls[0], QUrl("https://vesk.example.org/"));
    EXPECT_EQ(outside.openedUrls[1], QUrl("https://vesk.example.org/"));
    EXPECT_TRUE(w.isVisible());
}

TEST_F(FrmInfo, PageThatNoBrowserCouldOpenIsShownAsItsAddress)
{
    frmInfo w(outside, pictures, counter);
    outside.openResult = false;
    w.cmdOrv->click();
    ASSERT_EQ(outside.messages.size(), 1);
    const QStringList lines = outside.messages[0].split(u'\n');
    ASSERT_EQ(lines.size(), 3) << outside.messages[0].toStdString();
    EXPECT_EQ(lines[0], "sorry, can't open the web page");
    EXPECT_EQ(lines[1], "https://vesk.example.org/");

    outside.openResult = true;
    w.cmdOrv->click();
    EXPECT_EQ(outside.messages.size(), 1);
}

TEST_F(FrmInfo, CaptionsStandClearOfTheFrame)
{
    frmInfo w(outside, pictures, counter);
    for (QLabel* label : {w.lblNome, w.lblVer}) {
        const QRect text = label->contentsRect();
        const QFontMetrics fm(label->font());
        const QStringList lines = label->text().split("\r\n");
        EXPECT_GE(text.left() - label->frameWidth(), 4);
        EXPECT_GE(label->width() - label->frameWidth() - text.right() - 1, 4);
        for (const QString& line : lines)
            EXPECT_LE(fm.horizontalAdvance(line), text.width()) << line.toStdString();
        EXPECT_LE(lines.size() * fm.height(), text.height()) << label->text().toStdString();
    }
}
