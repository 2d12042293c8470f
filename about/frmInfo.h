#pragma once
#include <QDialog>
// Placeholder: the about window is built later.
class frmInfo : public QDialog {
    Q_OBJECT
public:
    explicit frmInfo(QWidget* parent = nullptr);
};
