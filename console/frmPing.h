// frmPing: vesk's main window.
//
// How the parts fit: the constructor reads like a table of contents. It
// builds every control at its fixed place (createControls), chains the tab
// order, connects each control's event to the handler named
// <control>_<event>, and runs Form_Load, the start-up. The ping run
// (PingOnce and the handlers of cmdPing, cmdKeep, Timer1 and hsc) hands
// every ping to the log (appendToLog, txtRisult_Change, SaveLog) and to the
// totals (UpdateTotals). A change of the address box runs CleanAll, which
// starts a fresh count. The counters and the data string are basVesk's
// module variables; everything beyond the window (dialogs, clock, folder,
// desktop, the probe) is reached through Outside only.
//
// Where a Qt control would answer a key or the wheel otherwise than the
// user expects, eventFilter steps in, one block per control: the arrow keys
// and the wheel of hsc, Enter on a focused button, the access key of "&b:",
// the wheel over an unfocused address box, and the picks from the box's
// open list, which alone count as cboAddress_Click. The labels painted by
// hand take their colours from the palette, also when it changes.
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

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QTimer;
class QWheelEvent;

class frmPing : public QWidget {
    Q_OBJECT
public:
    explicit frmPing(Outside& outside, QWidget* parent = nullptr);

    // The log past which it is saved (when autosave is ticked) and emptied.
    static constexpr int kLogLimit = 32000;
    // Shown at start when the address list holds nothing usable.
    static inline const QString kDefaultEntry = QStringLiteral("127.0.0.1 | localhost");

    // ---- controls, top to bottom
    std::array<QLabel*, 10> lblPing{};
    QLabel* lblAvg = nullptr;
    QPushButton* cmdInfo = nullptr;
    QLabel* Label6 = nullptr;
    QComboBox* cboAddress = nullptr;
    QPushButton* cmdPing = nullptr;
    QLabel* Label7 = nullptr;
    QScrollBar* hsc = nullptr;
    QPushButton* cmdKeep = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtHost = nullptr;
    QPushButton* cmdHost2ip = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* txtIP = nullptr;
    QPushButton* cmdAdd2list = nullptr;
    QLabel* lblLenData = nullptr;
    QLabel* lblBytes = nullptr;
    QPushButton* cmdSetData = nullptr;
    QPlainTextEdit* txtRisult = nullptr;
    QPushButton* cmdDeleteIP = nullptr;
    QPushButton* cmdSaveList = nullptr;
    QLabel* lblLen = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdSave = nullptr;
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

protected:
    // Appends to the log and runs its change handling. Virtual so that a
    // benchmark can take the log out of the ping run and see what it costs.
    virtual void appendToLog(const QString& piece);

    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

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
    void Form_Load();

    // ---- start-up and the address list
    void loadIpList();
    void showFirstEntry();
    void addEntry(const QString& entry);
    void removeEntries(const QString& entry);
    QStringList entries() const;
    QString boxText() const;
    void setBoxText(const QString& text);
    void holdPickedEntry(int index);
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

    // ---- keyboard and mouse beyond what Qt's controls do by themselves
    bool hsc_KeyDown(QKeyEvent* event);
    bool hsc_Wheel(QWheelEvent* event);
    bool buttonEnter(QPushButton* button, QKeyEvent* event);
    bool cboAddress_Wheel(QWheelEvent* event);
    bool listPick(QObject* watched, QEvent* event);

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
    // Set while the program rearranges the box's list: QComboBox rewrites
    // its text when the item it points at goes away or when the first item
    // arrives, and such a passing change is no change of the user's.
    bool boxQuiet_ = false;
    // An entry too long for the box's line edit, and the start of it that
    // the box shows instead; the box text is the entry while it shows that.
    QString heldEntry_;
    QString heldShown_;
    // The look-up lets waiting events run before it blocks; a second click
    // or Enter among them must not start a look-up inside the look-up.
    bool lookingUp_ = false;
    bool shownOnce_ = false;
    // True only while the open drop-down list handles the key or the mouse
    // release with which the user picks an entry (see listPick).
    bool listPick_ = false;
    // What is left of the wheel's turn over hsc after whole steps.
    int hscWheelRest_ = 0;
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
