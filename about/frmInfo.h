// frmInfo, the about window: the program's name, copyright line and
// release number, an icon that steps through the main window's meter
// pictures once a second, a button that opens the web page, and "o&k".
//
// How the parts fit: the constructor builds the fixed layout and then loads
// the window (Form_Load), which sets the captions, puts the program icon
// into Image1 and starts Timer1. Each tick (Timer1_Timer) moves the
// caller's counter one step down and shows that meter picture. Closing the
// window in any way (cmOK, Esc, the title bar) unloads it: the timer
// stops. If the same object is shown again it is loaded afresh, so every
// opening starts with the program icon while the counter, which belongs to
// the main window, goes on from where it stood.
//
// The main window makes one per opening and shows it through
// Outside::showModal; the web page is opened through Outside::openUrl.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QUrl>
#include <array>

class Outside;
class QLabel;
class QPushButton;
class QShowEvent;
class QTimer;

class frmInfo : public QDialog {
    Q_OBJECT
public:
    // pictures are the main window's imgIcon(0..10): 0-9 the meter icons,
    // 10 the program icon. counter must outlive every opening of the window.
    frmInfo(Outside& outside, const std::array<QIcon, 11>& pictures, int& counter,
            QWidget* parent = nullptr);

    // The web page behind cmdOrv; its host name is the button's caption.
    static QUrl webPage();

    // The controls, named as in the window's design, for the main window's
    // tests and this window's own.
    QLabel* Image1 = nullptr;
    QLabel* lblNome = nullptr;
    QLabel* lblVer = nullptr;
    QPushButton* cmdOrv = nullptr;
    QPushButton* cmOK = nullptr;
    QTimer* Timer1 = nullptr;

    // Index into pictures of what Image1 shows: 10 for the program icon.
    int shownPicture() const { return shown_; }

    void Form_Load();
    void Timer1_Timer();
    void cmdOrv_Click();
    void cmOK_Click();

    // Esc and the title bar's close button end here; they close the window
    // just as cmOK does.
    void reject() override;
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildWindow();
    void placeControls();
    void orderTabs();
    void connectEvents();
    void showPicture(int index);

    Outside& outside_;
    const std::array<QIcon, 11> pictures_;
    int& counter_;
    int shown_ = 10;
    bool loaded_ = false;
};
