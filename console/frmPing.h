// frmPing: vesk's main window, the view of the parts that hold its data.
//
// How the parts fit: the constructor builds the controls (createControls),
// chains the tab order, connects each control's event to the handler named
// <control>_<event> and runs Form_Load. The address box shows AddressList
// (addressList.h), the list and its file; txtRisult shows PingLog
// (pingLog.h), the log with its limit, autosave and files. The ping run
// (PingOnce, the handlers of cmdPing, cmdKeep and Timer1) asks the probe
// through Outside, appends each result to the log and hands the totals line
// to it (UpdateTotals); the repeat's echoes also go to HostWatch
// (hostWatch.h), whose changes the window tells through Outside::notify.
// The counters and the data string are basVesk's module variables. A
// control that behaves otherwise than Qt's own is one of controls.h; what
// screen readers hear beyond Qt's own is ScreenReaderTexts (accessible.h),
// fed by the window's signals cellLit, pinged and cleaned. The controls are
// public, named as in the layout, so that tests reach them.
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

#include "addressList.h"
#include "controls.h"
#include "frmPingUi.h"
#include "hostWatch.h"
#include "pingLog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTimer;

class frmPing : public QWidget, public frmPingUi {
    Q_OBJECT
public:
    explicit frmPing(Outside& outside, QWidget* parent = nullptr);
    ~frmPing() override;

    // The log past which it is saved (when autosave is ticked) and emptied.
    static constexpr qsizetype kLogLimit = PingLog::kLimit;
    // Shown at start when the address list holds nothing usable.
    static inline const QString kDefaultEntry = QStringLiteral("127.0.0.1 | localhost");


    // The log with its CR LF line ends; txtRisult shows it.
    QString logText() const { return log_.text(); }
    // The addresses of the box, in its order.
    const QStringList& entries() const { return list_.entries(); }
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
    void showModels();
    void connectHandlers();
    void connectScreenReaders();
    void Form_Load();

    // ---- start-up and the address list
    void loadIpList();
    void showFirstEntry();
    void addEntry(const QString& entry);
    void enableAddressButtons();
    void SaveIpList();
    void setDefaultPingData();
    void showPingData(const QString& unit);

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
    void clearLog();
    PingLog::Saved SaveLog();

    // ---- look
    void lblAvg_MouseMove();
    void Form_MouseMove();
    void paintLabel(QLabel* label, QColor background, QColor text);
    void paintIndicators();

    Outside& outside_;
    // Where the list lives, chosen once at start.
    Outside::FilesFolder listFolder_;
    PingLog log_;
    AddressList list_;
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
};
