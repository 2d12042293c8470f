#include "frmPingUi.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QTimer>

#include "pictures.h"

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

}  // namespace

void frmPingUi::setupUi(QWidget* form)
{
    form->setWindowTitle(QStringLiteral("vesk"));
    form->setFixedSize(438, 311);
    form->setFont(windowFont(form->font()));
    form->setMouseTracking(true);
    imgIcon = drawPictures();
    form->setWindowIcon(imgIcon[kProgramIcon]);

    auto label = [form](const char* caption, QRect where, bool border) {
        auto* l = new TextLabel(QString::fromUtf8(caption), form);
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
    auto button = [form](const char* caption, QRect where, bool enabled = true) {
        auto* b = new CommandButton(QString::fromUtf8(caption), form);
        b->setGeometry(where);
        b->setEnabled(enabled);
        return b;
    };
    auto line = [form](QRect where, const char* tip) {
        auto* e = new EntryField(form);
        e->setGeometry(where);
        e->setToolTip(QString::fromUtf8(tip));
        return e;
    };

    for (int i = 0; i < 10; ++i)
        lblPing[i] = label(kPingCaptions[i], twips(660 * i, 0, 600, 270), true);

    lblAvg = label("", twips(0, 360, 4980, 315), true);
    lblAvg->setToolTip(QStringLiteral("totals and average ping time"));
    lblAvg->setMouseTracking(true);
    cmdInfo = button("in&fo about vesk", twips(5040, 360, 1500, 315));

    Label6 = label("a&ddress:", twips(120, 840, 630, 315), false);
    cboAddress = new AddressBox(form);
    cboAddress->setGeometry(twips(780, 780, 4215, 315));
    cboAddress->setToolTip(QStringLiteral("ip to ping"));
    QFont bold = form->font();
#ifdef Q_OS_WIN
    // The face the box was drawn in on Windows, where the system has it.
    if (QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif"))) {
        bold = QFont(QStringLiteral("MS Sans Serif"));
        bold.setPointSizeF(8.25);
    }
#endif
    bold.setBold(true);
    cboAddress->setFont(bold);
    cmdPing = button("single &ping", twips(5040, 780, 1500, 315));

    Label7 = label("&repeat:", twips(240, 1200, 510, 315), false);
    hsc = new StepScrollBar(form);
    hsc->setGeometry(twips(780, 1140, 4200, 315));
    hsc->setRange(1, 60);
    hsc->setValue(1);
    hsc->setSingleStep(1);
    hsc->setPageStep(5);
    cmdKeep = button("&keep: 1 sec", twips(5040, 1140, 1500, 315));
    cmdKeep->setToolTip(QStringLiteral("1-60 : seconds between pings (depends on the left scroll)"));

    Label2 = label("&host:", twips(240, 1560, 510, 315), false);
    txtHost = line(twips(780, 1500, 4200, 315), "host name whose ip is sought for");
    cmdHost2ip = button("&get ip", twips(5040, 1500, 1500, 315), false);

    Label4 = label("&ip:", twips(300, 1920, 450, 315), false);
    txtIP = line(twips(780, 1860, 4200, 315), "ip to add to dropdown list");
    cmdAdd2list = button("&add ip to list", twips(5040, 1860, 1500, 315), false);

    lblLenData = label("&b:", twips(240, 2280, 510, 315), false);
    lblBytes = label("", twips(780, 2220, 4200, 315), true);
    // The data string is the user's text: an "&" or a "<b>" in it shows as typed.
    lblBytes->setTextFormat(Qt::PlainText);
    cmdSetData = button("&set", twips(5040, 2220, 1500, 315));

    txtRisult = new QPlainTextEdit(form);
    txtRisult->setGeometry(twips(0, 2580, 5010, 2055));
    txtRisult->setReadOnly(true);
    txtRisult->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtRisult->setTabChangesFocus(true);
    cmdDeleteIP = button("&del current ip", twips(5040, 2580, 1500, 315), false);
    cmdDeleteIP->setToolTip(QStringLiteral("deletes current ip and saves ip list"));
    cmdSaveList = button("save ip's in &list", twips(5040, 2940, 1500, 315));
    cmdSaveList->setToolTip(QStringLiteral("saves ip list in an .ini file"));
    lblLen = label("0", twips(5040, 3300, 1500, 315), true);
    lblLen->setToolTip(QStringLiteral("Text Length"));
    cmdClear = button("&clear text", twips(5040, 3660, 1500, 315), false);
    cmdSave = button("save + &view text", twips(5040, 4020, 1500, 315), false);
    chkAutoSave = new QCheckBox(QStringLiteral("autosave text"), form);
    chkAutoSave->setGeometry(twips(5040, 4350, 1515, 315));
    chkAutoSave->setToolTip(QStringLiteral("autosaves 64k logs before emptying text"));

    Timer1 = new QTimer(form);
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
    chainTabOrder();
}

void frmPingUi::chainTabOrder()
{
    const QWidget* const order[] = {cboAddress, cmdPing, hsc, cmdKeep, txtHost, cmdHost2ip,
                                    txtIP, cmdAdd2list, cmdSetData, cmdDeleteIP, cmdSaveList,
                                    cmdClear, cmdSave, chkAutoSave, txtRisult, cmdInfo};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
}
