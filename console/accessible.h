// What screen readers hear of the main window beyond what Qt tells of its
// controls. The window only signals how a ping went; ScreenReaderTexts turns
// that into names and descriptions, so the layout, painting and totals code
// carry no text that only a screen reader reads.
#pragma once

#include <QObject>
#include <QString>
#include <array>

class QWidget;
class TextLabel;

// The interfaces Qt gives screen readers for frmPing (a window rather than
// a filler) and for every TextLabel. Qt asks the factories the first time
// it meets a widget and keeps the answer, also while the widget is being
// built: they are installed once, before any window is made.
void installAccessibleFactories();

// A TextLabel's name for screen readers: its text as shown (a buddy's
// access-key "&" left out), a number read with the label's spoken unit, in
// the plural but for 1: "44 bytes" for "44 &b:".
QString spokenName(const TextLabel* label);

class ScreenReaderTexts : public QObject {
    Q_OBJECT
public:
    // The window's controls that get words, named as in the window.
    struct Controls {
        QWidget* window = nullptr;
        std::array<TextLabel*, 10> lblPing{};
        QWidget* hsc = nullptr;
        TextLabel* lblLenData = nullptr;
        TextLabel* lblBytes = nullptr;
        QWidget* cmdSetData = nullptr;
        QWidget* txtRisult = nullptr;
        TextLabel* lblLen = nullptr;
        QWidget* cmdPing = nullptr;
        QWidget* cmdKeep = nullptr;
    };

    // Names the controls and follows the window's caption.
    ScreenReaderTexts(const Controls& controls, QObject* parent);

public slots:
    // Only this cell of lblPing (0 to 9) says that it is lit.
    void cellLit(int cell);
    // Qt 6.4 cannot announce, and the totals line and the log take no
    // focus: the button that sent the ping, which keeps the focus, tells
    // how it went.
    void pinged(const QString& result, const QString& totals, QWidget* sentBy);
    // A fresh count: no button tells the result of the entry before.
    void cleaned();

private:
    void captionChanged();

    Controls c_;
};
