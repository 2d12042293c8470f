#pragma once
#include <QWidget>
class Outside;
// Placeholder: the main window is built later.
class frmPing : public QWidget {
    Q_OBJECT
public:
    explicit frmPing(Outside& outside, QWidget* parent = nullptr);
private:
    Outside& outside_;
};
