#include "frmInfo.h"
frmInfo::frmInfo(Outside&, const std::array<QIcon, 11>&, int&, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("vesk");
}
