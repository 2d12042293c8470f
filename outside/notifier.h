// Desktop notifications: what vesk tells the user beyond its window when a
// watched host stops answering or answers again.
//
// On Linux the notifier hands each notice to the freedesktop notification
// service on the session bus (notifier_dbus.cpp); elsewhere (Windows) it
// shows them from an icon in the system tray (notifier_tray.cpp,
// trayNotices.h). It never waits: the bus is reached on a thread of its
// own, every call is asynchronous, and the notices wait in order for the
// answers, so a slow or missing server changes nothing of a ping run.
#pragma once

#include <QImage>
#include <QString>
#include <memory>

class QWidget;

struct Notice {
    enum class Kind { Down, Up };
    Kind kind = Kind::Down;
    // Plain text, both. The summary is never read as markup; the body is
    // escaped for a server that reads markup in it.
    QString summary;
    QString body;
};

class DesktopNotifier {
public:
    // icon goes with every notice. busAddress names a D-Bus bus to use
    // instead of the session bus.
    explicit DesktopNotifier(const QImage& icon, const QString& busAddress = QString());
    ~DesktopNotifier();
    DesktopNotifier(const DesktopNotifier&) = delete;
    DesktopNotifier& operator=(const DesktopNotifier&) = delete;

    // Shows the notice about the host of window's repeat. An up notice
    // takes the place of the down notice before it. When there is no bus
    // or no server (no tray), nothing is shown and one line on standard
    // error says why, once for the notifier's life.
    void send(const Notice& notice, QWidget* window = nullptr);
    // The repeat that the notices were about stopped, or its entry changed:
    // the tray icon goes. The desktop keeps Linux notices in its history.
    void end();

private:
    struct Private;
    std::unique_ptr<Private> d_;
};
