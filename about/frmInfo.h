#pragma once
#include <QDialog>
#include <QIcon>
#include <array>
class Outside;
// Placeholder: the about window is built later. The signature is fixed:
// pictures are the main window's imgIcon(0..10); counter is the icon step
// counter, owned by the main window so that it lives for the whole run.
class frmInfo : public QDialog {
    Q_OBJECT
public:
    frmInfo(Outside& outside, const std::array<QIcon, 11>& pictures, int& counter,
            QWidget* parent = nullptr);
};
