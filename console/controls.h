// The main window's controls where Qt's own would answer a key, the wheel
// or the focus otherwise than the window's users expect of these controls,
// or would leave a screen reader without a word the user needs.
// Each can be made and tried without the window; the window connects their
// signals to its handlers.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QString>

#include "formats.h"

class ShortRowsDelegate;

// A command button: Enter clicks it as Space does, and its access key moves the focus to it, then clicks.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    explicit CommandButton(const QString& caption, QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// A label: a MouseMove event, an access key that only moves the focus to the control after it,
// and what screen readers need to read it (accessible.h): a unit for its number and what it labels.
class TextLabel : public QLabel {
    Q_OBJECT
public:
    // Qt makes what a screen reader reads of a control when it is first
    // asked for, and keeps it. Asked while QLabel's constructor sets the
    // text, it would be a plain label's for good; the text is set here.
    explicit TextLabel(const QString& text = QString(), QWidget* parent = nullptr);

    // Screen readers read the label as the number its text starts with and
    // this unit (spokenName).
    void setSpokenUnit(const QString& unit) { spokenUnit_ = unit; }
    const QString& spokenUnit() const { return spokenUnit_; }
    // Screen readers learn that the label tells about control, as they do
    // for a buddy; a buddy would take an "&" in the text for an access key.
    void setLabelFor(QWidget* control);
    QWidget* labelFor() const { return labelFor_; }

signals:
    // The pointer moved over the label (with mouse tracking on, also
    // without a button held).
    void mouseMoved();

protected:
    bool event(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QString spokenUnit_;
    QPointer<QWidget> labelFor_;
};

// A horizontal scroll bar: a tab stop, keys and wheel step the way they point, Change only on letting go.
class StepScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit StepScrollBar(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // What is left of the wheel's turn after whole steps.
    int wheelRest_ = 0;
};

// A one-line text box: GotFocus and LostFocus events, no line ends, Enter held down is one press.
class EntryField : public QLineEdit {
    Q_OBJECT
public:
    explicit EntryField(QWidget* parent = nullptr);

signals:
    // After QLineEdit has set its own selection for the focus, so that a
    // selection made by a receiver is the one that stays.
    void gotFocus(Qt::FocusReason reason);
    // The user moved on to another control. Another window coming to the
    // front, or the field's own context menu, is no leaving: the focus
    // comes back to the field.
    void lostFocus();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// A drop-down combo: Click only for a pick from its list, the wheel only with the focus, long entries whole.
class AddressBox : public QComboBox {
    Q_OBJECT
public:
    explicit AddressBox(QWidget* parent = nullptr);

    // The text the box stands for: a held entry whole while the box shows
    // its start.
    QString entry() const;
    // Shows the text, held whole when the line cannot take it.
    void setEntry(const QString& text);
    // Shows the rows of model, a list of entries that changes under the
    // box. The text the user sees stays as it was while the rows change:
    // QComboBox rewrites it when the row it points at goes away, when the
    // first row arrives or when the rows are replaced.
    void setModel(QAbstractItemModel* model) override;
    // True while the rows change: a change of the text then is no change
    // of the user's.
    bool rearranging() const { return rearranging_; }

signals:
    // The user picked the entry at index from the open list, with Enter or
    // the mouse, also when it is the entry the box shows already.
    void picked(int index);

protected:
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void holdPicked(int index);

    void rowsChanging();
    void rowsChanged();

    ShortRowsDelegate* rows_ = nullptr;
    QString held_;
    QString heldShown_;
    // The text shown when the rows began to change.
    QString textBefore_;
    // Set while the open list handles the key or the mouse release with
    // which the user picks an entry (see eventFilter).
    bool picking_ = false;
    bool rearranging_ = false;
};

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
