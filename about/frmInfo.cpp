#include "frmInfo.h"
frmInfo::frmInfo(QWidget* parent) : QDialog(parent) { setWindowTitle("vesk"); }
