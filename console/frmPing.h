// frmPing: vesk's main window.
//
// How the parts fit: the constructor reads like a table of contents. It
// builds every control at its fixed place (createControls), chains the tab
// order, connects each control's event to the handler named
// <control>_<event>, and runs Form_Load, the start-up. The ping run
// (PingOnce and the handlers of cmdPing, cmdKeep, Timer1 and hsc) hands
// every ping to the log (appendToLog, txtRisult_Change, SaveLog) and to the
// totals (UpdateTotals); the echoes of the repeat also go to hostWatch_
// (hostWatch.h), which says when the host stops answering or answers
// again, and the window tells the desktop through Outside::notify. A
// change of the address box runs CleanAll, which starts a fresh count and
// forgets the host's state, as stopping the repeat does. The counters and
// the data string are basVesk's module variables; everything beyond the
// window (dialogs, clock, folder, desktop, the probe) is reached through
// Outside only.
//
// Where a Qt control would answer a key, the wheel or the focus otherwise
// than the user expects, the control is one of controls.h, and the window
// only connects its signals to the handlers: every button is a
// CommandButton (Enter clicks it; its access key moves the focus first, so
// that txtHost_LostFocus runs before the click), every label a TextLabel
// (the access key of "&b:" only moves the focus; its mouseMoved signal
// runs lblAvg_MouseMove), hsc a StepScrollBar, txtHost and txtIP
// EntryFields (gotFocus and lostFocus run txtHost_GotFocus, txtIP_GotFocus
// and txtHost_LostFocus) and cboAddress an AddressBox (only its picked
// signal runs cboAddress_Click; it holds an entry too long for its line).
// The labels painted by hand take their colours from the palette, made
// readable by colours.h, also when it changes.
//
// What screen readers hear beyond Qt's own is ScreenReaderTexts
// (accessible.h), fed by the window's signals cellLit, pinged and cleaned.
//
// The controls are public members named as in the layout table, so that
// tests can reach them; only the window's own handlers change them.
//
// The address list lives in cboAddress, sorted as ipList.h orders it; the
// file vesk_ip.ini is read at start (Form_Load) and written whole by save
// and delete, always through ipList.h. It and the logs live in the folder
// that Outside::filesFolder chooses: beside the program, or per user.
#pragma once

#include <QDateTime>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>

#include "outside.h"

#include "controls.h"
#include "hostWatch.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTimer;

class frmPing : public QWidget {
    Q_OBJECT
public:
    explicit frmPing(Outside& outside, QWidget* parent = nullptr);

    // The log past which it is saved (when autosave is ticked) and emptied.
    static constexpr int kLogLimit = 32000;
    // Shown at start when the address list holds nothing usable.
    static inline const QString kDefaultEntry = QStringLiteral("127.0.0.1 | localhost");

    // ---- controls, top to bottom
    std::array<TextLabel*, 10> lblPing{};
    TextLabel* lblAvg = nullptr;
    CommandButton* cmdInfo = nullptr;
    TextLabel* Label6 = nullptr;
    AddressBox* cboAddress = nullptr;
    CommandButton* cmdPing = nullptr;
    TextLabel* Label7 = nullptr;
    StepScrollBar* hsc = nullptr;
    CommandButton* cmdKeep = nullptr;
    TextLabel* Label2 = nullptr;
    EntryField* txtHost = nullptr;
    CommandButton* cmdHost2ip = nullptr;
    TextLabel* Label4 = nullptr;
    EntryField* txtIP = nullptr;
    CommandButton* cmdAdd2list = nullptr;
    TextLabel* lblLenData = nullptr;
    TextLabel* lblBytes = nullptr;
    CommandButton* cmdSetData = nullptr;
    QPlainTextEdit* txtRisult = nullptr;
    CommandButton* cmdDeleteIP = nullptr;
    CommandButton* cmdSaveList = nullptr;
    TextLabel* lblLen = nullptr;
    CommandButton* cmdClear = nullptr;
    CommandButton* cmdSave = nullptr;
    QCheckBox* chkAutoSave = nullptr;
    QTimer* Timer1 = nullptr;
    // Never shown: the meter icons 0 to 9 and the program icon 10.
    std::array<QIcon, 11> imgIcon;

    // The log with its CR LF line ends; txtRisult shows it.
    const QString& logText() const { return logText_; }
    // The result line of the latest exchange.
    const QString& sRisult() const { return sRisult_; }

    // One ping of the address in the box.
    void PingOnce();
    // Fresh count: totals, counters and log emptied; ping buttons enabled
    // when the box holds an address.
    void CleanAll();
    // Whether a repeat tells the desktop when its host stops answering and
    // when it answers again (on unless --no-notifications).
    void setNotifications(bool on) { notifications_ = on; }

signals:
    // UpdateTotals lit this cell of lblPing (0 to 9).
    void cellLit(int cell);
    // A ping's result line and the totals after it, with the button that
    // sent it: cmdKeep for a tick of the repeat.
    void pinged(const QString& result, const QString& totals, QWidget* sentBy);
    // CleanAll started a fresh count.
    void cleaned();

protected:
    // Appends to the log and runs its change handling. Virtual so that a
    // benchmark can take the log out of the ping run and see what it costs.
    virtual void appendToLog(const QString& piece);

    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private slots:
    void cmdPing_Click();
    void cmdKeep_Click();
    void Timer1_Timer();
    void hsc_Change();
    void txtRisult_Change();
    void cmdSave_Click();
    void cmdClear_Click();
    void cmdSetData_Click();
    void cmdInfo_Click();
    void cboAddress_Change();
    void cboAddress_Click();
    void cmdAdd2list_Click();
    void cmdDeleteIP_Click();
    void cmdSaveList_Click();
    void txtHost_Change();
    void txtIP_Change();
    void cmdHost2ip_Click();

private:
    enum class Saved { Nothing, Written, Failed };

    void createControls();
    void chainTabOrder();
    void connectHandlers();
    void connectScreenReaders();
    void Form_Load();

    // ---- start-up and the address list
    void loadIpList();
    void showFirstEntry();
    void addEntry(const QString& entry);
    QStringList entries() const;
    void enableAddressButtons();
    void SaveIpList();
    QString ipFilePath() const;
    void setDefaultPingData();

    // ---- host and address fields
    void Evidenzia(QLineEdit* box, Qt::FocusReason reason);
    void txtHost_GotFocus(Qt::FocusReason reason);
    void txtIP_GotFocus(Qt::FocusReason reason);
    void txtHost_LostFocus();

    // ---- ping run and totals
    void UpdateTotals();
    void watchHost(const Echo& echo);
    void tell(const std::string& message, bool exclamation);
    void reportSocketProblem();

    // ---- log
    void setLogText(const QString& text);
    Saved SaveLog();
    bool autosaveWaits();
    QString freeLogFilePath() const;

    // ---- look
    void lblAvg_MouseMove();
    void Form_MouseMove();
    void paintLabel(QLabel* label, QColor background, QColor text);
    void paintIndicators();

    Outside& outside_;
    // Where the list lives, chosen once at start.
    Outside::FilesFolder listFolder_;
    QString logText_;
    QString sRisult_;
    // The status of the latest exchange; a failed one counts as a timeout.
    std::int32_t lastStatus_ = 0;
    // About window icon step; lives for the run so the animation goes on
    // where it stopped.
    int infoCounter_ = 0;
    bool pinging_ = false;
    // Set while a tick of the repeat pings: only its echoes are watched,
    // not those of a burst, whose user is looking at the window.
    bool repeatTick_ = false;
    bool notifications_ = true;
    HostWatch hostWatch_;
    // The look-up lets waiting events run before it blocks; a second click
    // or Enter among them must not start a look-up inside the look-up.
    bool lookingUp_ = false;
    bool shownOnce_ = false;
    // The cell of lblPing that UpdateTotals lit (-1 before the first
    // ping), and whether lblAvg shows its reversed colours: kept so that a
    // new palette repaints them as they stood.
    int litCell_ = -1;
    bool avgReversed_ = false;
    bool socketProblemShown_ = false;
    // An autosave failure is told once, until a save succeeds again.
    bool autosaveFailureShown_ = false;
    // When autosave last failed; it waits a minute before the next try.
    QDateTime autosaveFailedAt_;
    QString lastSaveError_;
};
