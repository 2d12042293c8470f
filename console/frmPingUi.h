// The controls of the main window at their fixed places, with their
// captions, tips, access keys and tab order: what a form file would hold.
// frmPing inherits them, so that they carry the names of the layout table
// and the window's own code reads as its handlers.
#pragma once

#include <QIcon>
#include <array>

#include "controls.h"

class QCheckBox;
class QPlainTextEdit;
class QTimer;

class frmPingUi {
public:
    // Builds every control on form, sets form's caption, size, font and
    // program icon, and chains the tab order.
    void setupUi(QWidget* form);

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

private:
    void chainTabOrder();
};
