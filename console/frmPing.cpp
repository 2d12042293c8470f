#include "frmPing.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTextCursor>
#include <QTimer>
#include <QUrl>
#include <limits>
#include <optional>

#include "basVesk.h"
#include "colours.h"
#include "controls.h"
#include "formats.h"
#include "frmInfo.h"
#include "ipList.h"
#include "leadingNumber.h"
#include "outside.h"
#include "pictures.h"

using namespace basVesk;

namespace {

// Positions and sizes are laid out in twips; 15 twips make one pixel.
QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

// The rows are 21 pixels high and the captions were laid out for a narrow
// 8-point face. 11 pixels keep the text readable; narrowed to 82 % it lets
// "&repeat:" fit the 34 pixels of its label and "a&ddress:" the 42 of its.
QFont windowFont(QFont font)
{
    font.setPixelSize(11);
    font.setStretch(82);
    return font;
}

const char* const kPingCaptions[10] = {"50", "100", "150", "200", "250", "300", "400", "500", "1k", ">1k"};
// The bands of the cells in words, for screen readers; the last cell is
// lit for a failed exchange too (UpdateTotals).
const char* const kPingBands[10] = {"up to 50 ms",    "51 to 100 ms",  "101 to 150 ms",  "151 to 200 ms",
                                    "201 to 250 ms",  "251 to 300 ms", "301 to 400 ms",  "401 to 500 ms",
                                    "501 to 1000 ms", "over 1000 ms or no reply"};
// What the lit cell of lblPing says to screen readers besides its colours.
const QString kLitCell = QStringLiteral("last round trip");

// Round-trip class: the cell of lblPing and the bar count of the meter.
int roundTripClass(std::int32_t ms)
{
    if (ms > 1000) return 9;
    if (ms >= 501) return 8;
    if (ms >= 401) return 7;
    if (ms >= 301) return 6;
    if (ms >= 251) return 5;
    if (ms >= 201) return 4;
    if (ms >= 151) return 3;
    if (ms >= 101) return 2;
    if (ms >= 51) return 1;
    return 0;
}

// Qt gives a plain top-level widget the role of a client area, which
// screen readers present as a "filler" rather than as a window.
QAccessibleInterface* windowAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("frmPing"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

// Signed overflow is undefined; a counter that reaches the end stays there.
void addSaturating(std::int64_t& total, std::int64_t amount)
{
    if (__builtin_add_overflow(total, amount, &total))
        total = amount > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
}

// The average is taken down, never up, also for a negative sum.
std::int64_t floorDivide(std::int64_t sum, std::int64_t count)
{
    std::int64_t q = sum / count;
    if (sum % count != 0 && (sum < 0) != (count < 0))
        --q;
    return q;
}

// The hourglass for the whole application while a handler waits; taken
// down in every outcome, and early when a message box is about to show, so
// that the box does not look like part of the wait.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { end(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
    void end()
    {
        if (on_)
            QApplication::restoreOverrideCursor();
        on_ = false;
    }

private:
    bool on_ = true;
};

}  // namespace

frmPing::frmPing(Outside& outside, QWidget* parent) : QWidget(parent), outside_(outside)
{
    createControls();
    chainTabOrder();
    connectHandlers();
    Form_Load();
}

// ------------------------------------------------------------- controls ---

void frmPing::createControls()
{
    QAccessible::installFactory(windowAccessible);
    setWindowTitle(QStringLiteral("vesk"));
    setFixedSize(438, 311);
    setFont(windowFont(font()));
    setMouseTracking(true);
    imgIcon = drawPictures();
    setWindowIcon(imgIcon[kProgramIcon]);

    auto label = [this](const char* caption, QRect where, bool border) {
        auto* l = new TextLabel(QString::fromUtf8(caption), this);
        l->setGeometry(where);
        if (border) {
            l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            l->setLineWidth(1);
            l->setAlignment(Qt::AlignCenter);
            l->setAutoFillBackground(true);
        } else {
            // Top-aligned, so that the caption stands on the line of the
            // field's text, which sits 4 pixels lower than the field.
            l->setAlignment(Qt::AlignRight | Qt::AlignTop);
        }
        return l;
    };
    auto button = [this](const char* caption, QRect where, bool enabled = true) {
        auto* b = new CommandButton(QString::fromUtf8(caption), this);
        b->setGeometry(where);
        b->setEnabled(enabled);
        return b;
    };
    auto line = [this](QRect where, const char* tip) {
        auto* e = new EntryField(this);
        e->setGeometry(where);
        e->setToolTip(QString::fromUtf8(tip));
        return e;
    };

    for (int i = 0; i < 10; ++i) {
        lblPing[i] = label(kPingCaptions[i], twips(660 * i, 0, 600, 270), true);
        lblPing[i]->setAccessibleName(QString::fromUtf8(kPingBands[i]));
    }
    paintIndicators();

    lblAvg = label("", twips(0, 360, 4980, 315), true);
    lblAvg->setToolTip(QStringLiteral("totals and average ping time"));
    lblAvg->setMouseTracking(true);
    Form_MouseMove();
    cmdInfo = button("in&fo about vesk", twips(5040, 360, 1500, 315));

    Label6 = label("a&ddress:", twips(120, 840, 630, 315), false);
    cboAddress = new AddressBox(this);
    cboAddress->setGeometry(twips(780, 780, 4215, 315));
    cboAddress->setToolTip(QStringLiteral("ip to ping"));
    QFont bold = font();
    bold.setBold(true);
    cboAddress->setFont(bold);
    cmdPing = button("single &ping", twips(5040, 780, 1500, 315));

    Label7 = label("&repeat:", twips(240, 1200, 510, 315), false);
    hsc = new StepScrollBar(this);
    hsc->setGeometry(twips(780, 1140, 4200, 315));
    hsc->setRange(1, 60);
    hsc->setValue(1);
    hsc->setSingleStep(1);
    hsc->setPageStep(5);
    hsc->setAccessibleName(QStringLiteral("repeat: seconds between pings"));
    cmdKeep = button("&keep: 1 sec", twips(5040, 1140, 1500, 315));
    cmdKeep->setToolTip(QStringLiteral("1-60 : seconds between pings (depends on the left scroll)"));

    Label2 = label("&host:", twips(240, 1560, 510, 315), false);
    txtHost = line(twips(780, 1500, 4200, 315), "host name whose ip is sought for");
    cmdHost2ip = button("&get ip", twips(5040, 1500, 1500, 315), false);

    Label4 = label("&ip:", twips(300, 1920, 450, 315), false);
    txtIP = line(twips(780, 1860, 4200, 315), "ip to add to dropdown list");
    cmdAdd2list = button("&add ip to list", twips(5040, 1860, 1500, 315), false);

    lblLenData = label("&b:", twips(240, 2280, 510, 315), false);
    lblLenData->setSpokenUnit(QStringLiteral("byte"));
    lblBytes = label("", twips(780, 2220, 4200, 315), true);
    // The data string is the user's text: an "&" or a "<b>" in it shows as typed.
    lblBytes->setTextFormat(Qt::PlainText);
    cmdSetData = button("&set", twips(5040, 2220, 1500, 315));
    cmdSetData->setAccessibleName(QStringLiteral("set the data string"));
    // Not its buddy: that would take an "&" in the string for an access key.
    lblBytes->setLabelFor(cmdSetData);

    txtRisult = new QPlainTextEdit(this);
    txtRisult->setGeometry(twips(0, 2580, 5010, 2055));
    txtRisult->setReadOnly(true);
    txtRisult->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtRisult->setTabChangesFocus(true);
    // The log is rewritten by the program only; an undo history of it would
    // just hold a second copy.
    txtRisult->setUndoRedoEnabled(false);
    txtRisult->setAccessibleName(QStringLiteral("ping log"));
    cmdDeleteIP = button("&del current ip", twips(5040, 2580, 1500, 315), false);
    cmdDeleteIP->setToolTip(QStringLiteral("deletes current ip and saves ip list"));
    cmdSaveList = button("save ip's in &list", twips(5040, 2940, 1500, 315));
    cmdSaveList->setToolTip(QStringLiteral("saves ip list in an .ini file"));
    lblLen = label("0", twips(5040, 3300, 1500, 315), true);
    lblLen->setToolTip(QStringLiteral("Text Length"));
    lblLen->setSpokenUnit(QStringLiteral("character"));
    cmdClear = button("&clear text", twips(5040, 3660, 1500, 315), false);
    cmdSave = button("save + &view text", twips(5040, 4020, 1500, 315), false);
    chkAutoSave = new QCheckBox(QStringLiteral("autosave text"), this);
    chkAutoSave->setGeometry(twips(5040, 4350, 1515, 315));
    chkAutoSave->setToolTip(QStringLiteral("autosaves 64k logs before emptying text"));

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    // The coarse default fires up to 5 % early, and above 20 s on whole
    // seconds: "5 sec" would ping after 4.8 s.
    Timer1->setTimerType(Qt::PreciseTimer);

    // A label's access key moves the focus to the next control that can
    // take it; lblBytes is a label, so "&b:" leads to cmdSetData, which it
    // does not click (TextLabel).
    Label6->setBuddy(cboAddress);
    Label7->setBuddy(hsc);
    Label2->setBuddy(txtHost);
    Label4->setBuddy(txtIP);
    lblLenData->setBuddy(cmdSetData);
}

void frmPing::chainTabOrder()
{
    const QWidget* const order[] = {cboAddress, cmdPing, hsc, cmdKeep, txtHost, cmdHost2ip,
                                    txtIP, cmdAdd2list, cmdSetData, cmdDeleteIP, cmdSaveList,
                                    cmdClear, cmdSave, chkAutoSave, txtRisult, cmdInfo};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
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
    // A UTF-8 path, as every path handed to the system on Linux.
    sIpFile = (listFolder_.path + QStringLiteral("/vesk_ip.ini")).toStdString();
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
    IpListLoad load = LoadIpList(ipFilePath());
    // A file that cannot be read is told and left as it is: the box starts
    // empty, gets the default entry, and nothing is written until a save.
    if (!load.error.isEmpty())
        outside_.message(this, load.error);
    SortIpList(load.entries);
    // All rows in one insertion: an insert per line at its sorted place
    // would move the rows behind it every time, quadratic in the lines.
    cboAddress->addItems(load.entries);
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
    // The items are sorted: a binary search in the order of ipList.h finds
    // the place behind every entry that is not greater, so a duplicate
    // joins its twins at their end.
    int low = 0;
    int high = cboAddress->count();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (IpListLess(entry, cboAddress->itemText(mid)))
            high = mid;
        else
            low = mid + 1;
    }
    // An added entry never changes the text the user sees.
    cboAddress->insertEntry(low, entry);
}

QStringList frmPing::entries() const
{
    QStringList list;
    list.reserve(cboAddress->count());
    for (int i = 0; i < cboAddress->count(); ++i)
        list << cboAddress->itemText(i);
    return list;
}

QString frmPing::ipFilePath() const { return QString::fromStdString(sIpFile); }

void frmPing::setDefaultPingData()
{
    sPingData = kDefaultPingData;
    const QString data = QString::fromStdString(sPingData);
    lblBytes->setText(shownPart(data));
    lLenData = characterCount(data);
    lblLenData->setText(QString::number(lLenData) + QStringLiteral(" &b:"));
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
    if (!(leadingNumber(box) > 0)) {
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
        lblLen->setText(lengthCaption(logText_.size()));
        // An echo that vesk could not send says nothing of the host; the
        // user hears of it from reportSocketProblem.
        if (repeatTick_ && outside_.socketProblem().empty())
            watchHost(Echo{box, reply.Status, reply.RoundTripTime, when, status});
        const SocketNotice stopped = outside_.stopSockets();
        tell(stopped.message, stopped.exclamation);
        reportSocketProblem();
    }
    addSaturating(lPingTot, 1);
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
    if (iEchoTimeoutMs > kEchoTimeoutMs)
        hourglass.emplace();
    for (int i = 0; i < 4; ++i)
        PingOnce();
    setWindowIcon(imgIcon[kProgramIcon]);
}

void frmPing::cmdKeep_Click()
{
    hostWatch_.forget();
    outside_.watchEnded();
    lPingOk = 0;
    lMsTot = 0;
    lPingTot = 0;
    lTimeOut = 0;
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
    // A failed exchange leaves its round trip at 0; taken at its word it
    // would pass for the fastest reply of all.
    const bool failed = lastStatus_ != IP_SUCCESS;

    const int cls = failed ? 9 : roundTripClass(v);
    litCell_ = cls;
    paintIndicators();
    setWindowIcon(imgIcon[cls]);
    setWindowTitle(literalWindowTitle(QString::number(v) + QStringLiteral(" ms - ") +
                                      trimBlanks(cboAddress->currentText()) + QStringLiteral(" - vesk")));

    if (failed || v >= 1000) {
        addSaturating(lTimeOut, 1);
    } else {
        addSaturating(lPingOk, 1);
        addSaturating(lMsTot, v);
    }

    QString totals = QStringLiteral("total pings: ") + QString::number(lPingTot) + QStringLiteral(" - timeouts: ") +
                     QString::number(lTimeOut);
    if (lPingOk != 0)
        totals += QStringLiteral(" - ok: ") + QString::number(lPingTot - lTimeOut) + QStringLiteral(" - avg:  ") +
                  QString::number(floorDivide(lMsTot, lPingOk));
    lblAvg->setText(totals);

    // Qt 6.4 cannot announce, and the totals line and the log take no
    // focus: a screen reader hears how the ping went from the button that
    // sent it, which keeps the focus while it pings.
    CommandButton* sentBy = sender() == Timer1 ? cmdKeep : cmdPing;
    sentBy->setAccessibleDescription(sRisult_ + u'\n' + totals);
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
        // The lit cell says so in words too. Qt signals every call, so
        // only a change is made.
        const QString said = i == litCell_ ? kLitCell : QString();
        if (lblPing[i]->accessibleDescription() != said)
            lblPing[i]->setAccessibleDescription(said);
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
    // Qt 6.4 does not tell screen readers that the caption changed: they
    // would go on reading "vesk" after every ping.
    if (event->type() == QEvent::WindowTitleChange) {
        QAccessibleEvent renamed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&renamed);
    }
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
    // The buttons no longer tell a result of the entry before.
    cmdPing->setAccessibleDescription(QString());
    cmdKeep->setAccessibleDescription(QString());
    lPingOk = 0;
    lTimeOut = 0;
    lPingTot = 0;
    lMsTot = 0;
    setLogText(QString());
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
    QStringList kept = entries();
    kept.removeAll(box);
    Outside::makeFilesFolder(listFolder_);
    const QString error = WriteIpListFile(ipFilePath(), kept);
    if (!error.isEmpty()) {
        // The old file is whole and the list keeps the entry: nothing is lost.
        outside_.message(this, error);
        return;
    }
    // Left in the list, the entry would go back into the file with the
    // next save, and the deletion would be undone without a word.
    cboAddress->removeEntry(box);
    outside_.message(this, QStringLiteral("list saved -- selected ip purged from list"));
}

void frmPing::cmdSaveList_Click() { SaveIpList(); }

void frmPing::SaveIpList()
{
    const QStringList list = entries();
    Outside::makeFilesFolder(listFolder_);
    const QString error = WriteIpListFile(ipFilePath(), list);
    if (!error.isEmpty()) {
        outside_.message(this, error);
        return;
    }
    outside_.message(this, QStringLiteral("saved ") + QString::number(list.size()) + QStringLiteral(" item(s) in list"));
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
    // The name as typed, blanks and case included; UTF-8 is how names reach
    // the resolver on Linux.
    txtIP->setText(QString::fromStdString(outside_.hostToIp(txtHost->text().toStdString())));
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
    // The label shows the start: laid out whole, ten million characters
    // held every repaint of the window for a second.
    lblBytes->setText(shownPart(data));
    lLenData = characterCount(data);
    lblLenData->setText(QString::number(lLenData) + QStringLiteral(" &b"));
}

// ------------------------------------------------------------------ log ---

void frmPing::appendToLog(const QString& piece)
{
    logText_ += piece;
    // Inserting at the end lays out only the new lines; setPlainText would
    // lay out the whole log on every ping.
    QTextCursor end(txtRisult->document());
    end.movePosition(QTextCursor::End);
    end.insertText(piece);
    txtRisult_Change();
}

void frmPing::setLogText(const QString& text)
{
    logText_ = text;
    txtRisult->setPlainText(text);
    txtRisult_Change();
}

void frmPing::txtRisult_Change()
{
    if (logText_.size() > kLogLimit) {
        bool keep = false;
        if (chkAutoSave->isChecked() && autosaveWaits()) {
            keep = true;
        } else if (chkAutoSave->isChecked() && SaveLog() == Saved::Failed) {
            // Emptying now would lose the log for good: keep it and try
            // again a minute later. Every try writes the whole kept log, so
            // a try with every line would cost more with each line.
            keep = true;
            autosaveFailedAt_ = outside_.now();
            if (!autosaveFailureShown_) {
                autosaveFailureShown_ = true;
                // Kept only while autosave is ticked: unticked, the limit
                // empties the log as it always does, and the user must know.
                outside_.message(this, QStringLiteral("sorry, can't autosave the log\n") + lastSaveError_ +
                                           QStringLiteral("\nthe log is kept while autosave is ticked: it tries "
                                                          "again a minute later, \"save + view text\" at once. "
                                                          "unticked, the next ping empties the log unsaved."));
            }
        }
        if (!keep) {
            // The log that autosave could not save is gone, as the user was
            // told; the next one it cannot save is told and tried afresh.
            autosaveFailureShown_ = false;
            autosaveFailedAt_ = QDateTime();
            setLogText(QString());
        }
    }
    // Runs on every ping: look for a character that is not a blank rather
    // than copy 32000 characters to trim them.
    const bool text = !isBlank(logText_);
    cmdClear->setEnabled(text);
    cmdSave->setEnabled(text);
}

bool frmPing::autosaveWaits()
{
    if (!autosaveFailedAt_.isValid())
        return false;
    const QDateTime now = outside_.now();
    // A clock set back is no reason to wait longer.
    return now >= autosaveFailedAt_ && now < autosaveFailedAt_.addSecs(60);
}

frmPing::Saved frmPing::SaveLog()
{
    if (isBlank(logText_))
        return Saved::Nothing;
    const QString path = freeLogFilePath();
    // Opened before the text is copied and converted, so that a folder
    // that takes no file costs no copy of the whole log.
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        const QByteArray bytes = singleByteImage(trimBlanks(logText_) + QStringLiteral("\r\n\r\n") +
                                                 lblAvg->text() + QStringLiteral("\r\n"));
        written = file.write(bytes) == bytes.size() && file.commit();
    }
    if (!written) {
        lastSaveError_ = QDir::toNativeSeparators(path) + u'\n' + file.errorString();
        return Saved::Failed;
    }
    sLogFile = QDir::toNativeSeparators(path).toStdString();
    autosaveFailureShown_ = false;
    autosaveFailedAt_ = QDateTime();
    return Saved::Written;
}

QString frmPing::freeLogFilePath() const
{
    // A log file is never replaced: an autosave and a manual save in the
    // same minute would otherwise leave only the second.
    const QDateTime when = outside_.now();
    // Asked at every save, so a log goes where a save can land now; a
    // failed save names the folder it tried.
    const Outside::FilesFolder files = outside_.filesFolder();
    Outside::makeFilesFolder(files);
    const QDir folder(files.path);
    for (int copy = 1;; ++copy) {
        const QString path = folder.filePath(logFileName(when, copy));
        if (!QFileInfo::exists(path))
            return path;
    }
}

void frmPing::cmdSave_Click()
{
    if (isBlank(logText_))
        return;
    const Saved saved = SaveLog();
    if (saved == Saved::Failed) {
        outside_.message(this, QStringLiteral("sorry, can't save the log\n") + lastSaveError_);
        return;
    }
    if (saved != Saved::Written)
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
    setLogText(QString());
    lblLen->setText(QStringLiteral("0"));
}

// ---------------------------------------------------------------- about ---

void frmPing::cmdInfo_Click()
{
    frmInfo dlg(outside_, imgIcon, infoCounter_, this);
    outside_.showModal(&dlg);
}
