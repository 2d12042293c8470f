#include "frmPing.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTextCursor>
#include <QTimer>
#include <QUrl>
#include <limits>
#include <optional>

#include "accessible.h"
#include "basVesk.h"
#include "colours.h"
#include "controls.h"
#include "formats.h"
#include "frmInfo.h"
#include "ipList.h"
#include "leadingNumber.h"
#include "outside.h"
#include "pictures.h"
#include "pingTotals.h"

using namespace basVesk;

frmPing::frmPing(Outside& outside, QWidget* parent) : QWidget(parent), outside_(outside), log_(outside)
{
    setupUi(this);
    showModels();
    connectHandlers();
    connectScreenReaders();
    Form_Load();
}

frmPing::~frmPing()
{
    // The views go before the models they show, which are members and so
    // would go before the window's children.
    delete cboAddress;
    delete txtRisult;
}

// ------------------------------------------------------------- controls ---

void frmPing::showModels()
{
    cboAddress->setModel(&list_);
    // A plain text view shows only a document laid out as plain text.
    log_.document()->setDocumentLayout(new QPlainTextDocumentLayout(log_.document()));
    txtRisult->setDocument(log_.document());
    paintIndicators();
    Form_MouseMove();
}

void frmPing::connectHandlers()
{
    connect(cmdPing, &QPushButton::clicked, this, &frmPing::cmdPing_Click);
    connect(cmdKeep, &QPushButton::clicked, this, &frmPing::cmdKeep_Click);
    connect(Timer1, &QTimer::timeout, this, &frmPing::Timer1_Timer);
    connect(hsc, &QScrollBar::valueChanged, this, &frmPing::hsc_Change);
    connect(cmdSave, &QPushButton::clicked, this, &frmPing::cmdSave_Click);
    connect(cmdClear, &QPushButton::clicked, this, &frmPing::cmdClear_Click);
    connect(cmdSetData, &QPushButton::clicked, this, &frmPing::cmdSetData_Click);
    connect(cmdInfo, &QPushButton::clicked, this, &frmPing::cmdInfo_Click);
    connect(cboAddress, &AddressBox::editTextChanged, this, &frmPing::cboAddress_Change);
    connect(cboAddress, &AddressBox::picked, this, &frmPing::cboAddress_Click);
    connect(cmdAdd2list, &QPushButton::clicked, this, &frmPing::cmdAdd2list_Click);
    connect(cmdDeleteIP, &QPushButton::clicked, this, &frmPing::cmdDeleteIP_Click);
    connect(cmdSaveList, &QPushButton::clicked, this, &frmPing::cmdSaveList_Click);
    connect(cmdHost2ip, &QPushButton::clicked, this, &frmPing::cmdHost2ip_Click);
    connect(txtHost, &EntryField::textChanged, this, &frmPing::txtHost_Change);
    connect(txtIP, &EntryField::textChanged, this, &frmPing::txtIP_Change);
    connect(txtHost, &EntryField::gotFocus, this, &frmPing::txtHost_GotFocus);
    connect(txtIP, &EntryField::gotFocus, this, &frmPing::txtIP_GotFocus);
    connect(txtHost, &EntryField::lostFocus, this, &frmPing::txtHost_LostFocus);
    // Enter calls the handler itself rather than clicking the button, so it
    // works while the button is disabled: Enter in a blank address field is
    // told that the address is missing.
    connect(txtHost, &EntryField::returnPressed, this, &frmPing::cmdHost2ip_Click);
    connect(txtIP, &EntryField::returnPressed, this, &frmPing::cmdAdd2list_Click);
    connect(lblAvg, &TextLabel::mouseMoved, this, &frmPing::lblAvg_MouseMove);
}

void frmPing::connectScreenReaders()
{
    auto* texts = new ScreenReaderTexts(
        {this, lblPing, hsc, lblLenData, lblBytes, cmdSetData, txtRisult, lblLen, cmdPing, cmdKeep}, this);
    connect(this, &frmPing::cellLit, texts, &ScreenReaderTexts::cellLit);
    connect(this, &frmPing::pinged, texts, &ScreenReaderTexts::pinged);
    connect(this, &frmPing::cleaned, texts, &ScreenReaderTexts::cleaned);
}

// ------------------------------------------------------------- start-up ---

void frmPing::Form_Load()
{
    // The list is read from the folder that saves go to. One the program's
    // folder holds but cannot be read is told, and left alone for good.
    listFolder_ = outside_.filesFolder();
    if (!listFolder_.unreadableList.isEmpty()) {
        const QString error = LoadIpList(listFolder_.unreadableList).error;
        if (!error.isEmpty())
            outside_.message(this, error);
    }
    list_.setFolder(listFolder_);
    // A UTF-8 path, as every path handed to the system on Linux.
    sIpFile = list_.filePath().toStdString();
    loadIpList();
    showFirstEntry();
    // Setting the box to the text it already shows runs no CleanAll: Qt
    // reports no change then, and neither does this window. At start the
    // box may already show its first entry (the empty text it starts with,
    // or the first item QComboBox was given), so the buttons that CleanAll
    // sets are set here in any case: a blank first entry must not leave
    // "single ping" enabled.
    enableAddressButtons();
    setDefaultPingData();
    // The caption of cmdKeep and the timer's interval follow hsc from the start.
    hsc_Change();
}

void frmPing::loadIpList()
{
    // A file that cannot be read is told and left as it is: the box starts
    // empty, gets the default entry, and nothing is written until a save.
    const QString error = list_.load();
    if (!error.isEmpty())
        outside_.message(this, error);
}

void frmPing::showFirstEntry()
{
    cboAddress->setEntry(cboAddress->count() > 0 ? cboAddress->itemText(0) : QString());
    if (trimBlanks(cboAddress->entry()).isEmpty()) {
        addEntry(kDefaultEntry);
        cboAddress->setEntry(cboAddress->itemText(0));
    }
}

void frmPing::addEntry(const QString& entry)
{
    // An added entry never changes the text the user sees (AddressBox).
    list_.add(entry);
}

void frmPing::setDefaultPingData()
{
    sPingData = kDefaultPingData;
    showPingData(QStringLiteral(" &b:"));
}

// The caption ends in a colon at start only, as it always has.
void frmPing::showPingData(const QString& unit)
{
    const QString data = QString::fromStdString(sPingData);
    // The label shows the start: laid out whole, ten million characters
    // held every repaint of the window for a second.
    lblBytes->setText(shownPart(data));
    lLenData = characterCount(data);
    lblLenData->setText(QString::number(lLenData) + unit);
}

void frmPing::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    cboAddress->setFocus();
}

// ------------------------------------------------------------- ping run ---

void frmPing::PingOnce()
{
    // A timer tick that falls due while a message box of this ping is open
    // would start a ping inside the ping, with its own box, and so on
    // without bound: such a tick is dropped.
    if (pinging_)
        return;
    pinging_ = true;
    const auto done = qScopeGuard([this] { pinging_ = false; });

    const QString box = cboAddress->entry();
    if (box.isEmpty())
        return;
    if (!numericEntry(box)) {
        outside_.message(this, QStringLiteral("sorry, can ping numeric ip's only!"));
        return;
    }
    const std::string address = trimBlanks(box.section(u'|', 0, 0)).toStdString();

    const SocketNotice started = outside_.startSockets();
    tell(started.message, started.exclamation);
    if (started.ok) {
        EchoReply reply{};
        outside_.pingAddress(address, reply);
        lLastMs = reply.RoundTripTime;
        lastStatus_ = reply.Status;
        const QDateTime when = outside_.now();
        const QString status = QString::fromStdString(StatusText(reply.Status));
        // The line begins with the box text as the box shows it: the start
        // of an entry too long to show, which would flood the log.
        sRisult_ = cboAddress->currentText() + u' ' + generalDateTime(when) + QStringLiteral(" - ") +
                   QString::number(lLenData) + QStringLiteral(" byte(s) sent: ") + QString::number(lLastMs) +
                   QStringLiteral(" ms -- ") + status;
        appendToLog(QStringLiteral("\r\n\r\n") + sRisult_);
        txtRisult->moveCursor(QTextCursor::End);
        lblLen->setText(lengthCaption(log_.length()));
        // An echo that vesk could not send says nothing of the host; the
        // user hears of it from reportSocketProblem.
        if (repeatTick_ && outside_.socketProblem().empty())
            watchHost(Echo{box, reply.Status, reply.RoundTripTime, when, status});
        const SocketNotice stopped = outside_.stopSockets();
        tell(stopped.message, stopped.exclamation);
        reportSocketProblem();
    }
    CountSent();
    UpdateTotals();
}

void frmPing::tell(const std::string& message, bool exclamation)
{
    if (!message.empty())
        outside_.message(this, QString::fromStdString(message), exclamation);
}

void frmPing::reportSocketProblem()
{
    if (socketProblemShown_)
        return;
    const std::string problem = outside_.socketProblem();
    if (problem.empty())
        return;
    socketProblemShown_ = true;
    // The advice names the program file that is running, written so that
    // the command can be copied into a shell as it stands.
    QString path = outside_.programPath();
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+,:@%=-]+$"));
    if (!plain.match(path).hasMatch())
        path = u'\'' + path.replace(u'\'', QStringLiteral("'\\''")) + u'\'';
    outside_.message(this, QString::fromStdString(problem).replace(QLatin1String(kProgramPathMark), path));
}

void frmPing::cmdPing_Click()
{
    // Four waits of the default length pass as one click; with a longer
    // --timeout the burst can hold the window for seconds.
    std::optional<BusyCursor> hourglass;
    if (outside_.echoWaitMs() > kEchoTimeoutMs)
        hourglass.emplace();
    for (int i = 0; i < 4; ++i)
        PingOnce();
    setWindowIcon(imgIcon[kProgramIcon]);
}

void frmPing::cmdKeep_Click()
{
    hostWatch_.forget();
    outside_.watchEnded();
    ResetCounters();
    if (Timer1->isActive())
        Timer1->stop();
    else
        Timer1->start();
    const bool repeating = Timer1->isActive();
    QFont f = cmdKeep->font();
    f.setBold(repeating);
    cmdKeep->setFont(f);
    if (!repeating)
        setWindowIcon(imgIcon[kProgramIcon]);
}

void frmPing::Timer1_Timer()
{
    // Rolled back, not cleared: a tick dropped inside a burst's message
    // box must not leave the burst's later echoes watched.
    QScopedValueRollback tick(repeatTick_, true);
    PingOnce();
}

// Tells the desktop at each change of the host's state; sending never
// waits (Outside::notify).
void frmPing::watchHost(const Echo& echo)
{
    if (!notifications_)
        return;
    switch (hostWatch_.feed(echo)) {
    case HostWatch::Change::WentDown: outside_.notify(this, downNotice(hostWatch_.outage())); break;
    case HostWatch::Change::CameBack: outside_.notify(this, upNotice(hostWatch_.outage(), echo)); break;
    case HostWatch::Change::Nothing: break;
    }
}

void frmPing::hsc_Change()
{
    // setInterval restarts a running timer, so a repeat takes the new
    // interval at once.
    Timer1->setInterval(hsc->value() * 1000);
    cmdKeep->setText(QStringLiteral("&keep: ") + QString::number(hsc->value()) + QStringLiteral(" sec"));
}

// --------------------------------------------------------------- totals ---

void frmPing::UpdateTotals()
{
    const std::int32_t v = lLastMs;
    const bool failed = lastStatus_ != IP_SUCCESS;

    const int cls = RoundTripClass(v, failed);
    litCell_ = cls;
    paintIndicators();
    emit cellLit(cls);
    setWindowIcon(imgIcon[cls]);
    setWindowTitle(literalWindowTitle(QString::number(v) + QStringLiteral(" ms - ") +
                                      trimBlanks(cboAddress->currentText()) + QStringLiteral(" - vesk")));

    CountOutcome(v, failed);
    const QString totals = TotalsLine();
    lblAvg->setText(totals);
    log_.setTotals(totals);
    emit pinged(sRisult_, totals, sender() == Timer1 ? cmdKeep : cmdPing);
}

void frmPing::paintIndicators()
{
    // The unlit cells in the button colours, with the button's own text
    // colour: plain black would vanish on the button face of a dark theme.
    for (int i = 0; i < 10; ++i) {
        if (i == litCell_)
            paintLabel(lblPing[i], palette().color(QPalette::Highlight), palette().color(QPalette::HighlightedText));
        else
            paintLabel(lblPing[i], palette().color(QPalette::Button), palette().color(QPalette::ButtonText));
    }
}

void frmPing::paintLabel(QLabel* label, QColor background, QColor text)
{
    makeReadable(background, text);
    // Every ping repaints the whole row; a label whose colours stay is left
    // alone, since a new palette costs a repaint of its own.
    QPalette p = label->palette();
    if (p.color(QPalette::Window) == background && p.color(QPalette::WindowText) == text)
        return;
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::WindowText, text);
    label->setPalette(p);
}

void frmPing::lblAvg_MouseMove()
{
    avgReversed_ = true;
    paintLabel(lblAvg, palette().color(QPalette::HighlightedText), palette().color(QPalette::Highlight));
}

void frmPing::Form_MouseMove()
{
    avgReversed_ = false;
    paintLabel(lblAvg, palette().color(QPalette::Highlight), palette().color(QPalette::HighlightedText));
}

void frmPing::changeEvent(QEvent* event)
{
    // The desktop switched to another theme: the labels painted by hand
    // take the new palette's colours, as they stood.
    if (event->type() == QEvent::PaletteChange && lblAvg) {
        if (lblPing[0])
            paintIndicators();
        if (avgReversed_)
            lblAvg_MouseMove();
        else
            Form_MouseMove();
    }
    QWidget::changeEvent(event);
}

void frmPing::mouseMoveEvent(QMouseEvent* event)
{
    // Moves over a child that does not track the mouse reach the window
    // too; only the bare window area counts.
    if (!childAt(event->position().toPoint()))
        Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

// ---------------------------------------------------------- address box ---

void frmPing::cboAddress_Change()
{
    if (!cboAddress->rearranging())
        CleanAll();
}

// A pick of the entry the box shows already changes no text: only the
// pick itself starts the fresh count. A typed text that the user confirms
// with Enter is no pick, and keeps the log it is gathering.
void frmPing::cboAddress_Click() { CleanAll(); }

void frmPing::CleanAll()
{
    hostWatch_.forget();
    outside_.watchEnded();
    lblAvg->setText(QString());
    log_.setTotals(QString());
    emit cleaned();
    ResetCounters();
    clearLog();
    enableAddressButtons();
}

void frmPing::enableAddressButtons()
{
    const bool address = !isBlank(cboAddress->entry());
    cmdPing->setEnabled(address);
    cmdKeep->setEnabled(address);
    cmdDeleteIP->setEnabled(address);
}

void frmPing::cmdAdd2list_Click()
{
    const QString ip = txtIP->text();
    const QString address = trimBlanks(ip);
    if (address.isEmpty() || ip == QLatin1String("[invalid host]")) {
        outside_.message(this, QStringLiteral("ip field is mandatory !"));
        return;
    }
    QString entry = address;
    if (!trimBlanks(txtHost->text()).isEmpty())
        entry += QStringLiteral(" | ") + txtHost->text();
    addEntry(entry);
    txtHost->setText(QString());
    txtIP->setText(QString());
}

void frmPing::cmdDeleteIP_Click()
{
    const QString box = cboAddress->entry();
    if (box.isEmpty())
        return;
    if (outside_.askYesNoCancel(this, QStringLiteral("delete ?\r\n") + shownPart(box)) != Outside::Answer::Yes)
        return;
    const QString error = list_.removeAndSave(box);
    if (!error.isEmpty()) {
        // The old file is whole and the list keeps the entry: nothing is lost.
        outside_.message(this, error);
        return;
    }
    outside_.message(this, QStringLiteral("list saved -- selected ip purged from list"));
}

void frmPing::cmdSaveList_Click() { SaveIpList(); }

void frmPing::SaveIpList()
{
    const QString error = list_.save();
    if (!error.isEmpty()) {
        outside_.message(this, error);
        return;
    }
    outside_.message(this, QStringLiteral("saved ") + QString::number(list_.rowCount()) +
                               QStringLiteral(" item(s) in list"));
}

// ------------------------------------------------ host and address fields ---

void frmPing::txtHost_Change() { cmdHost2ip->setEnabled(!trimBlanks(txtHost->text()).isEmpty()); }

void frmPing::txtIP_Change() { cmdAdd2list->setEnabled(!trimBlanks(txtIP->text()).isEmpty()); }

void frmPing::Evidenzia(QLineEdit* box, Qt::FocusReason reason)
{
    // Only the user's own move into the field selects it. The focus also
    // comes back when the window returns to the front or a context menu
    // closes; selecting then would make Paste from that menu replace the
    // text instead of inserting it at the caret.
    if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason && reason != Qt::ShortcutFocusReason &&
        reason != Qt::MouseFocusReason)
        return;
    if (!box->text().isEmpty())
        box->setSelection(0, box->text().size());
}

void frmPing::txtHost_GotFocus(Qt::FocusReason reason) { Evidenzia(txtHost, reason); }

void frmPing::txtIP_GotFocus(Qt::FocusReason reason) { Evidenzia(txtIP, reason); }

void frmPing::txtHost_LostFocus()
{
    const QString text = txtHost->text();
    if (trimBlanks(text).isEmpty())
        return;
    // setText also clears the undo history; only a real change is worth that.
    const QString lower = text.toLower();
    if (lower != text)
        txtHost->setText(lower);
}

void frmPing::cmdHost2ip_Click()
{
    if (lookingUp_)
        return;
    QScopedValueRollback busy(lookingUp_, true);
    txtIP->setText(QString());
    // The emptied field is drawn now, before the wait.
    QCoreApplication::processEvents();
    BusyCursor hourglass;
    if (!outside_.startSocketsQuiet()) {
        hourglass.end();
        outside_.message(this, QStringLiteral("sorry, cant resolve address"));
        return;
    }
    // The name as typed, blanks and case included.
    txtIP->setText(QString::fromStdString(outside_.hostToIp(resolverName(txtHost->text()))));
    const SocketNotice stopped = outside_.stopSockets();
    hourglass.end();
    tell(stopped.message, stopped.exclamation);
}

// ---------------------------------------------------------- data string ---

void frmPing::cmdSetData_Click()
{
    const std::optional<QString> answer =
        outside_.inputBox(this, QStringLiteral("please input the string for pinging:"), QStringLiteral("vesk"),
                          QString::fromStdString(sPingData));
    QString data = answer.value_or(QString());
    if (data.isEmpty())
        data = QString::fromStdString(kDefaultPingData);
    sPingData = data.toStdString();
    showPingData(QStringLiteral(" &b"));
}

// ------------------------------------------------------------------ log ---

void frmPing::appendToLog(const QString& piece)
{
    if (log_.append(piece, chkAutoSave->isChecked()) == PingLog::Limit::AutosaveFailed)
        // Kept only while autosave is ticked: unticked, the limit empties
        // the log as it always does, and the user must know.
        outside_.message(this, QStringLiteral("sorry, can't autosave the log\n") + log_.lastError() +
                                   QStringLiteral("\nthe log is kept while autosave is ticked: it tries "
                                                  "again a minute later, \"save + view text\" at once. "
                                                  "unticked, the next ping empties the log unsaved."));
    txtRisult_Change();
}

void frmPing::clearLog()
{
    log_.clear();
    txtRisult_Change();
}

void frmPing::txtRisult_Change()
{
    const bool text = !log_.isBlank();
    cmdClear->setEnabled(text);
    cmdSave->setEnabled(text);
}

PingLog::Saved frmPing::SaveLog() { return log_.save(); }

void frmPing::cmdSave_Click()
{
    if (log_.isBlank())
        return;
    const PingLog::Saved saved = SaveLog();
    if (saved == PingLog::Saved::Failed) {
        outside_.message(this, QStringLiteral("sorry, can't save the log\n") + log_.lastError());
        return;
    }
    if (saved != PingLog::Saved::Written)
        return;
    const QString path = QString::fromStdString(sLogFile);
    // No viewer, or no desktop session to ask for one: the log is saved all
    // the same, and the user must learn where.
    if (!outside_.openUrl(QUrl::fromLocalFile(QDir::fromNativeSeparators(path))))
        outside_.message(this, QStringLiteral("sorry, can't show the log\n") + path +
                                   QStringLiteral("\nit is saved there, but no program could open it"));
}

void frmPing::cmdClear_Click()
{
    clearLog();
    lblLen->setText(QStringLiteral("0"));
}

// ---------------------------------------------------------------- about ---

void frmPing::cmdInfo_Click()
{
    frmInfo dlg(outside_, imgIcon, infoCounter_, this);
    outside_.showModal(&dlg);
}
