#include "controls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QIdentityProxyModel>
#include <QItemDelegate>
#include <QKeyEvent>
#include <QListView>
#include <QScopedValueRollback>
#include <QShortcutEvent>
#include <QValidator>
#include <QWheelEvent>
#include <cstdlib>
#include <utility>

#include "formats.h"

namespace {

// An entry never holds a line end: the list file is the only place where
// line ends part entries, and a pasted CR LF would split one there. Typed
// or pasted line ends turn into blanks as they come in.
class LineEndsAsBlanks : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override
    {
        qsizetype at = pos;
        input = blanksForLineEnds(input, &at);
        pos = int(at);
        return Acceptable;
    }
};

void blankLineEnds(QLineEdit* edit) { edit->setValidator(new LineEndsAsBlanks(edit)); }

// The rows of the drop-down list show the start of a very long entry; for
// a 10,000,000-character entry Qt's own rows held the window for seconds
// at every opening and every move of the pointer. The entries stay whole.
class ShortRows : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override
    {
        QVariant value = QIdentityProxyModel::data(index, role);
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole || role == Qt::AccessibleTextRole) {
            const QString text = value.toString();
            if (text.size() > kShownLength)
                return shownPart(text);
        }
        return value;
    }
};

// The box's own row painter, shown the rows through ShortRows.
}  // namespace

class ShortRowsDelegate : public QItemDelegate {
public:
    explicit ShortRowsDelegate(QComboBox* box) : QItemDelegate(box) { show(box->model()); }
    void show(QAbstractItemModel* model) { rows_.setSourceModel(model); }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QItemDelegate::paint(painter, option, rows_.mapFromSource(index));
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QItemDelegate::sizeHint(option, rows_.mapFromSource(index));
    }

private:
    ShortRows rows_;
};

namespace {

bool isPlainEnter(const QKeyEvent* event)
{
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
           !(event->modifiers() & ~Qt::KeypadModifier);
}

}  // namespace

// ------------------------------------------------------- CommandButton ---

CommandButton::CommandButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent)
{
    // A default button would draw a frame of its own and take Enter from
    // every control of the window.
    setAutoDefault(false);
}

bool CommandButton::event(QEvent* event)
{
    // Qt clicks on the access key without moving the focus, so the control
    // the user leaves would learn it only after the click: a host name
    // would go into the list as typed, not lower-cased as with the mouse.
    // An access key shared by two controls only moves the focus, as in Qt.
    if (event->type() == QEvent::Shortcut && !static_cast<QShortcutEvent*>(event)->isAmbiguous() &&
        focusPolicy() != Qt::NoFocus)
        setFocus(Qt::ShortcutFocusReason);
    return QPushButton::event(event);
}

void CommandButton::keyPressEvent(QKeyEvent* event)
{
    // In a plain window Qt's buttons take Enter only as default buttons.
    if (!isPlainEnter(event)) {
        QPushButton::keyPressEvent(event);
        return;
    }
    // Held down, Enter would send a burst of clicks (four pings each).
    if (!event->isAutoRepeat() && isEnabled())
        click();
    event->accept();
}

// ----------------------------------------------------------- TextLabel ---

TextLabel::TextLabel(const QString& text, QWidget* parent) : QLabel(parent)
{
    setText(text);
}

void TextLabel::setLabelFor(QWidget* control) { labelFor_ = control; }

bool TextLabel::event(QEvent* event)
{
    // QLabel would also click a buddy that is a button, about 100 ms later.
    // The buddy stays, so that the access key is underlined.
    if (event->type() == QEvent::Shortcut && buddy()) {
        buddy()->setFocus(Qt::ShortcutFocusReason);
        window()->setAttribute(Qt::WA_KeyboardFocusChange);
        return true;
    }
    return QLabel::event(event);
}

void TextLabel::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved();
    QLabel::mouseMoveEvent(event);
}

// ------------------------------------------------------- StepScrollBar ---

StepScrollBar::StepScrollBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent)
{
    // Scroll bars take no focus in Qt; this one has a tab stop and is
    // reached by its label's access key.
    setFocusPolicy(Qt::StrongFocus);
    // Only the value the user lets go of counts, not every step of a drag.
    setTracking(false);
}

void StepScrollBar::keyPressEvent(QKeyEvent* event)
{
    // QScrollBar inverts its key controls by default, so that Right lowers
    // the value of a horizontal one. Here the right end is the maximum and
    // each key moves the way it points, as a click on an arrow would.
    static const std::pair<int, QAbstractSlider::SliderAction> keys[] = {
        {Qt::Key_Right, SliderSingleStepAdd}, {Qt::Key_Down, SliderSingleStepAdd},
        {Qt::Key_Left, SliderSingleStepSub},  {Qt::Key_Up, SliderSingleStepSub},
        {Qt::Key_PageDown, SliderPageStepAdd}, {Qt::Key_PageUp, SliderPageStepSub},
        {Qt::Key_Home, SliderToMinimum},       {Qt::Key_End, SliderToMaximum},
    };
    if (!(event->modifiers() & ~Qt::KeypadModifier)) {
        for (const auto& [key, action] : keys) {
            if (event->key() == key) {
                triggerAction(action);
                event->accept();
                return;
            }
        }
    }
    QScrollBar::keyPressEvent(event);
}

void StepScrollBar::wheelEvent(QWheelEvent* event)
{
    // One notch is one step, as an arrow click; turned towards the user
    // (or pushed right) the wheel moves the bar right. Qt would move it
    // three steps a notch, and the way its inverted controls say.
    const QPoint turn = event->angleDelta();
    wheelRest_ += turn.y() != 0 ? -turn.y() : -turn.x();
    const int steps = wheelRest_ / QWheelEvent::DefaultDeltasPerStep;
    wheelRest_ -= steps * QWheelEvent::DefaultDeltasPerStep;
    for (int i = 0; i < std::abs(steps); ++i)
        triggerAction(steps > 0 ? SliderSingleStepAdd : SliderSingleStepSub);
    event->accept();
}

// ---------------------------------------------------------- EntryField ---

EntryField::EntryField(QWidget* parent) : QLineEdit(parent) { blankLineEnds(this); }

void EntryField::focusInEvent(QFocusEvent* event)
{
    // QLineEdit sets the selection itself on focus (all of it for Tab, none
    // for other reasons). A mouse click still puts the caret where it
    // points, as the press comes after the focus.
    QLineEdit::focusInEvent(event);
    emit gotFocus(event->reason());
}

void EntryField::focusOutEvent(QFocusEvent* event)
{
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit lostFocus();
    QLineEdit::focusOutEvent(event);
}

void EntryField::keyPressEvent(QKeyEvent* event)
{
    // returnPressed would come with every repeat of a held Enter, with or
    // without Shift or Ctrl, and a message box with each.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->isAutoRepeat()) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

// ---------------------------------------------------------- AddressBox ---

AddressBox::AddressBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    // The window keeps the list sorted; Enter adds nothing, and no
    // completion rewrites what the user types.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    blankLineEnds(lineEdit());
    // Every entry is one line in one font, so the drop-down list need not
    // measure each row before it opens: for 100,000 entries that took a
    // quarter of a second per opening.
    if (auto* rows = qobject_cast<QListView*>(view()))
        rows->setUniformItemSizes(true);
    rows_ = new ShortRowsDelegate(this);
    setItemDelegate(rows_);
    // Screen readers name the box by its label and read its text; the text
    // field inside it has no label of its own.
    lineEdit()->setAccessibleName(QStringLiteral("address"));
    // QComboBox takes the focus from a wheel turn over it, and with it the
    // right to step (see wheelEvent); here only Tab, a click and the access
    // key give it the focus.
    setFocusPolicy(Qt::StrongFocus);
    // Installed after the open list's own filters, so that the box sees a
    // pick before the list acts on it.
    view()->installEventFilter(this);
    view()->viewport()->installEventFilter(this);
    connect(this, &QComboBox::currentIndexChanged, this, &AddressBox::holdPicked);
    connect(this, &QComboBox::activated, this, [this](int index) {
        holdPicked(index);
        if (picking_ && !rearranging_)
            emit picked(index);
    });
}

QString AddressBox::entry() const
{
    if (!held_.isEmpty() && currentText() == heldShown_)
        return held_;
    return currentText();
}

void AddressBox::setEntry(const QString& text)
{
    // The line edit lays out its whole text to show it: ten million
    // characters held the window for seconds, and it cuts at 32,767
    // anyway. Such an entry is held here whole, and the box shows its start.
    if (text.size() > lineEdit()->maxLength()) {
        held_ = text;
        heldShown_ = shownPart(text);
        setEditText(heldShown_);
        // The address at its start is what matters, not the cut-off end.
        lineEdit()->setCursorPosition(0);
    } else {
        held_.clear();
        heldShown_.clear();
        setEditText(text);
    }
}

void AddressBox::holdPicked(int index)
{
    // QComboBox has already put the picked entry into its line edit, cut to
    // the line edit's length.
    if (rearranging_ || index < 0)
        return;
    const QString picked = itemText(index);
    if (picked.size() > lineEdit()->maxLength())
        setEntry(picked);
}

void AddressBox::setModel(QAbstractItemModel* list)
{
    QComboBox::setModel(list);
    rows_->show(list);
    // Connected after QComboBox's own handlers, so that the text is put
    // back after they have rewritten it.
    connect(list, &QAbstractItemModel::rowsAboutToBeInserted, this, &AddressBox::rowsChanging);
    connect(list, &QAbstractItemModel::rowsAboutToBeRemoved, this, &AddressBox::rowsChanging);
    connect(list, &QAbstractItemModel::modelAboutToBeReset, this, &AddressBox::rowsChanging);
    connect(list, &QAbstractItemModel::rowsInserted, this, &AddressBox::rowsChanged);
    connect(list, &QAbstractItemModel::rowsRemoved, this, &AddressBox::rowsChanged);
    connect(list, &QAbstractItemModel::modelReset, this, &AddressBox::rowsChanged);
}

void AddressBox::rowsChanging()
{
    textBefore_ = currentText();
    rearranging_ = true;
}

void AddressBox::rowsChanged()
{
    if (currentText() != textBefore_)
        setEditText(textBefore_);
    rearranging_ = false;
}

void AddressBox::wheelEvent(QWheelEvent* event)
{
    // A turn on the way past the box must not change the address, which
    // would empty the log.
    const QWidget* focus = QApplication::focusWidget();
    if (focus == this || isAncestorOf(focus))
        QComboBox::wheelEvent(event);
    else
        event->accept();
}

bool AddressBox::eventFilter(QObject* watched, QEvent* event)
{
    // The open list picks an entry in its own event filter, on Enter or on
    // the mouse button's release, and the box then emits activated, as it
    // does for Enter on a typed text that equals an entry and for the keys
    // and the wheel on the closed box too. This filter runs first: it hands
    // the event on to the list's filter itself, with picking_ set for as
    // long as the list handles it.
    if (picking_)
        return QComboBox::eventFilter(watched, event);
    QAbstractItemView* list = view();
    bool pick = false;
    // The list picks on the key's ShortcutOverride and closes; the key
    // press that follows would pick a second time.
    if (watched == list && list->isVisible() &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        pick = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Select;
    }
    if (watched == list->viewport() && event->type() == QEvent::MouseButtonRelease)
        pick = true;
    if (!pick)
        return QComboBox::eventFilter(watched, event);
    QScopedValueRollback marked(picking_, true);
    QCoreApplication::sendEvent(watched, event);
    return true;
}
