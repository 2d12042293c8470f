// The notices where the system shows them from an icon in its tray (the
// notification area of Windows, where they become toasts or balloons).
//
// The icon stands for one repeat: it comes with the repeat's first notice
// and goes when the repeat stops, its entry changes or vesk ends, so that
// no icon is left behind. While it is there it shows the window's meter
// icon and its caption, and a click on it or on its message brings the
// window to the front.
#pragma once

#include <QIcon>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "notifier.h"

class QWidget;

// What the notices do with the tray: QSystemTrayIcon in the program
// (systemTray()); tests watch a tray of their own.
class Tray {
public:
    virtual ~Tray() = default;
    // Whether the desktop has a tray to put an icon in.
    virtual bool available() = 0;
    // Puts the icon into the tray, or changes the one there.
    virtual void show(const QIcon& icon, const QString& toolTip) = 0;
    // A message from the icon, in the place of the one before; the system
    // plays its own sound with it.
    virtual void showMessage(const QString& title, const QString& text, Notice::Kind kind) = 0;
    // Takes the icon out of the tray, when it is there.
    virtual void remove() = 0;
    // Called on a click on the icon or on its message.
    std::function<void()> clicked;
};

std::unique_ptr<Tray> systemTray();

class TrayNotices {
public:
    // Windows cuts a message title at 63 characters and a tooltip at 127.
    static constexpr int kTitleLimit = 63;
    static constexpr int kToolTipLimit = 127;

    // programIcon stands in for the window's icon once the window is gone.
    TrayNotices(std::unique_ptr<Tray> tray, const QIcon& programIcon);
    ~TrayNotices();
    TrayNotices(const TrayNotices&) = delete;
    TrayNotices& operator=(const TrayNotices&) = delete;

    // Shows the notice from the icon, which comes with the first one.
    void send(const Notice& notice, QWidget* window);
    // The repeat stopped or its entry changed: the icon goes.
    void end();

private:
    void showIcon();
    void bringWindowUp();

    std::unique_ptr<Tray> tray_;
    QIcon programIcon_;
    QPointer<QWidget> window_;
    QMetaObject::Connection iconChanged_, titleChanged_;
    // The icon and tooltip in the tray; none while no icon is there.
    std::optional<std::pair<qint64, QString>> shown_;
    // Receives the application's last word.
    QObject context_;
    bool told_ = false;
};

// The text with its middle given up for an ellipsis, so that it fits in
// limit characters: the entry of a long summary shrinks, and "is not
// answering" stays.
QString fittedText(const QString& text, int limit);
