#include "frmInfo.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <algorithm>

#include "outside.h"

namespace {

// The design is laid out in twips; at 96 dots per inch 15 twips make one
// pixel, and every position and size below is the design's value / 15.
constexpr QSize kClientSize(188, 153);
constexpr QRect kImage1(4, 8, 16, 16);
constexpr QRect kLblNome(40, 8, 140, 32);
constexpr QRect kLblVer(40, 44, 140, 32);
constexpr QRect kCmdOrv(40, 80, 140, 32);
constexpr QRect kCmOK(40, 116, 140, 32);
constexpr int kTickMs = 1000;
constexpr int kTextMargin = 4;
constexpr int kProgramIcon = 10;

QLabel* framedLabel(QWidget* parent, const QRect& where)
{
    auto* label = new QLabel(parent);
    label->setGeometry(where);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(1);
    label->setAlignment(Qt::AlignCenter);
    // The text keeps clear of the frame at its sides; the two lines of
    // lblNome need all of the height there is. These margins replace the
    // frame's own, so they count the frame in.
    const int frame = label->frameWidth();
    label->setContentsMargins(frame + kTextMargin, frame, frame + kTextMargin, frame);
    // The name comes from the executable's file name; it must never be
    // taken for markup.
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

frmInfo::frmInfo(Outside& outside, const std::array<QIcon, 11>& pictures, int& counter,
                 QWidget* parent)
    : QDialog(parent), outside_(outside), pictures_(pictures), counter_(counter)
{
    buildWindow();
    placeControls();
    orderTabs();
    connectEvents();
    Form_Load();
}

QUrl frmInfo::webPage() { return QUrl(QStringLiteral("https://vesk.example.org/")); }

void frmInfo::buildWindow()
{
    setWindowTitle(QStringLiteral("vesk"));
    setFixedSize(kClientSize);
    setModal(true);
    if (!pictures_[kProgramIcon].isNull())
        setWindowIcon(pictures_[kProgramIcon]);
}

void frmInfo::placeControls()
{
    Image1 = new QLabel(this);
    Image1->move(kImage1.topLeft());
    Image1->setScaledContents(false);
    Image1->setAccessibleName(QStringLiteral("vesk icon"));

    lblNome = framedLabel(this, kLblNome);
    lblVer = framedLabel(this, kLblVer);

    cmdOrv = new QPushButton(webPage().host(), this);
    cmdOrv->setGeometry(kCmdOrv);
    // The caption is a bare host name; screen readers tell where it leads.
    cmdOrv->setAccessibleDescription(QStringLiteral("opens the web page ") + webPage().toString());

    cmOK = new QPushButton(QStringLiteral("o&k"), this);
    cmOK->setGeometry(kCmOK);
    // Enter anywhere but on cmdOrv presses cmOK; on cmdOrv, which is an
    // auto-default button in a dialog, Enter presses cmdOrv instead.
    cmOK->setDefault(true);

    Timer1 = new QTimer(this);
    Timer1->setInterval(kTickMs);
}

void frmInfo::orderTabs() { QWidget::setTabOrder(cmOK, cmdOrv); }

void frmInfo::connectEvents()
{
    connect(Timer1, &QTimer::timeout, this, &frmInfo::Timer1_Timer);
    connect(cmdOrv, &QPushButton::clicked, this, &frmInfo::cmdOrv_Click);
    connect(cmOK, &QPushButton::clicked, this, &frmInfo::cmOK_Click);
}

void frmInfo::Form_Load()
{
    lblNome->setText(outside_.programName().toUpper() + QStringLiteral("\r\n") +
                     QStringLiteral("\u00a9 2026 vesk team"));
    lblVer->setText(QStringLiteral("rel. %1.%2.%3")
                        .arg(VESK_VERSION_MAJOR)
                        .arg(VESK_VERSION_MINOR)
                        .arg(VESK_VERSION_PATCH));
    showPicture(kProgramIcon);
    cmOK->setFocus();
    Timer1->start();
    loaded_ = true;
}

void frmInfo::Timer1_Timer()
{
    counter_ -= 1;
    if (counter_ == -1)
        counter_ = 9;
    showPicture(counter_);
}

void frmInfo::cmdOrv_Click()
{
    // Without a browser, or a desktop session to start one, the user can
    // still copy the address from the box.
    if (!outside_.openUrl(webPage()))
        outside_.message(this, QStringLiteral("sorry, can't open the web page\n") + webPage().toString() +
                                   QStringLiteral("\nno browser could open it"));
}

void frmInfo::cmOK_Click() { accept(); }

void frmInfo::reject() { cmOK_Click(); }

void frmInfo::done(int result)
{
    // Unloading: the icon stops until the window is loaded again.
    Timer1->stop();
    loaded_ = false;
    QDialog::done(result);
}

void frmInfo::showEvent(QShowEvent* event)
{
    if (!loaded_)
        Form_Load();
    QDialog::showEvent(event);
}

void frmInfo::showPicture(int index)
{
    // The program icon carries a 16 and a 32 pixel image and is shown at 16;
    // a meter icon is shown at the size it was drawn at, never stretched.
    const QIcon& icon = pictures_[index];
    QSize size(16, 16);
    if (index != kProgramIcon) {
        const QList<QSize> sizes = icon.availableSizes();
        size = sizes.isEmpty() ? QSize(32, 32)
                               : *std::max_element(sizes.cbegin(), sizes.cend(),
                                                   [](QSize a, QSize b) { return a.width() < b.width(); });
    }
    const QPixmap pixmap = icon.pixmap(size);
    Image1->setPixmap(pixmap);
    // The box takes the picture's size; its top-left corner stays put.
    Image1->resize(pixmap.isNull() ? size : pixmap.deviceIndependentSize().toSize());
    shown_ = index;
}
