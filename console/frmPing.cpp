#include "frmPing.h"
#include "outside.h"
frmPing::frmPing(Outside& outside, QWidget* parent) : QWidget(parent), outside_(outside) { setWindowTitle("vesk"); }
