// The notifier on Linux: org.freedesktop.Notifications on the session bus.
//
// One step is out at a time, each answered on the window's thread: the
// connection (made on a thread of its own, since libdbus may start a bus
// or wait for one), then the server's capabilities (whether it reads
// markup in the body), then each notice in turn. So an up notice goes out
// only once the server has given the id of the down notice it replaces.
#include "notifier.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QThread>
#include <QVariantMap>
#include <cstdio>
#include <deque>
#include <optional>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
// The menu entry and the icon share the name; the desktop files the
// notices under the entry, where the user can mute them.
const QString kDesktopEntry = QStringLiteral("org.example.vesk");

// The names of the freedesktop sound theme; a server that plays sounds
// finds them in most themes.
const QString kDownSound = QStringLiteral("network-connectivity-lost");
const QString kUpSound = QStringLiteral("network-connectivity-established");

// An entry is the user's text: "<b>" in it shows as typed.
QString escapedMarkup(QString text)
{
    return text.replace(u'&', QLatin1String("&amp;"))
        .replace(u'<', QLatin1String("&lt;"))
        .replace(u'>', QLatin1String("&gt;"));
}

// The image-data hint, (iiibiiay): width, height, row length, alpha,
// bits per sample, samples per pixel, the RGBA bytes. It shows the drawn
// icon where the icon theme has none (a copy that was not installed).
QDBusArgument imageData(const QImage& icon)
{
    const QImage rgba = icon.convertToFormat(QImage::Format_RGBA8888);
    QDBusArgument image;
    image.beginStructure();
    image << rgba.width() << rgba.height() << static_cast<int>(rgba.bytesPerLine()) << true << 8 << 4
          << QByteArray(reinterpret_cast<const char*>(rgba.constBits()), rgba.sizeInBytes());
    image.endStructure();
    return image;
}

}  // namespace

struct DesktopNotifier::Private {
    QImage icon;
    QString address;
    QString connectionName;
    // Takes the answers; an answer that comes after the notifier is gone
    // goes nowhere.
    QObject context;
    std::unique_ptr<QThread> connecting;
    std::optional<QDBusConnection> bus;
    bool noBus = false;
    bool capabilitiesKnown = false;
    // The server reads markup in the body.
    bool markup = false;
    // A step is out; the next waits for its answer.
    bool busy = false;
    std::deque<Notice> waiting;
    // The server's id of the latest down notice, for the up notice to replace.
    quint32 downId = 0;
    bool told = false;

    void next();
    void connect();
    void askCapabilities();
    void notify(const Notice& notice);
    void fail(const QString& why);

    template <class Answered>
    void whenAnswered(const QDBusPendingCall& call, Answered answered)
    {
        busy = true;
        auto* watcher = new QDBusPendingCallWatcher(call, &context);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &context, [this, watcher, answered] {
            watcher->deleteLater();
            busy = false;
            if (watcher->isError())
                return fail(watcher->error().name() + QStringLiteral(": ") + watcher->error().message());
            answered(*watcher);
            next();
        });
    }
};

DesktopNotifier::DesktopNotifier(const QImage& icon, const QString& busAddress) : d_(std::make_unique<Private>())
{
    d_->icon = icon;
    d_->address = busAddress;
    d_->connectionName = QStringLiteral("vesk-notifier-%1").arg(reinterpret_cast<quintptr>(this));
}

DesktopNotifier::~DesktopNotifier()
{
    // Only a bus that takes the connection and never answers holds the
    // thread here; Qt's own bus thread would wait for it at exit anyway.
    if (d_->connecting)
        d_->connecting->wait();
    if (!d_->address.isEmpty())
        QDBusConnection::disconnectFromBus(d_->connectionName);
}

void DesktopNotifier::send(const Notice& notice, QWidget*)
{
    d_->waiting.push_back(notice);
    d_->next();
}

void DesktopNotifier::end() {}

void DesktopNotifier::Private::next()
{
    if (busy || waiting.empty())
        return;
    if (noBus)
        return waiting.clear();
    if (!bus)
        return connect();
    if (!capabilitiesKnown)
        return askCapabilities();
    const Notice notice = waiting.front();
    waiting.pop_front();
    notify(notice);
}

void DesktopNotifier::Private::connect()
{
    busy = true;
    auto result = std::make_shared<std::optional<QDBusConnection>>();
    connecting.reset(QThread::create([result, address = address, name = connectionName] {
        *result = address.isEmpty() ? QDBusConnection::sessionBus() : QDBusConnection::connectToBus(address, name);
    }));
    QObject::connect(connecting.get(), &QThread::finished, &context, [this, result] {
        connecting->wait();
        connecting.reset();
        busy = false;
        const QDBusConnection connection = **result;
        if (!connection.isConnected()) {
            // The address of the session is fixed for the program's life:
            // a bus that is not there now will not be there later.
            noBus = true;
            const QString why = connection.lastError().message();
            return fail(QStringLiteral("no D-Bus session bus") +
                        (why.isEmpty() ? QString() : QStringLiteral(" (") + why + u')'));
        }
        bus = connection;
        next();
    });
    connecting->start();
}

void DesktopNotifier::Private::askCapabilities()
{
    const QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("GetCapabilities"));
    whenAnswered(bus->asyncCall(call), [this](const QDBusPendingCall& answer) {
        markup = QDBusPendingReply<QStringList>(answer).value().contains(QLatin1String("body-markup"));
        capabilitiesKnown = true;
    });
}

void DesktopNotifier::Private::notify(const Notice& notice)
{
    const bool down = notice.kind == Notice::Kind::Down;
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), kDesktopEntry},
        {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))},
        {QStringLiteral("sound-name"), down ? kDownSound : kUpSound},
        {QStringLiteral("image-data"), QVariant::fromValue(imageData(icon))},
    };
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    call << QStringLiteral("vesk") << (down ? quint32(0) : downId) << kDesktopEntry << notice.summary
         << (markup ? escapedMarkup(notice.body) : notice.body) << QStringList() << hints << qint32(-1);
    whenAnswered(bus->asyncCall(call), [this, down](const QDBusPendingCall& answer) {
        downId = down ? QDBusPendingReply<quint32>(answer).value() : 0;
    });
}

void DesktopNotifier::Private::fail(const QString& why)
{
    // The notices of this outage are dropped. A server may start later,
    // so the next notice asks afresh; the user hears of it once.
    waiting.clear();
    capabilitiesKnown = false;
    downId = 0;
    if (told)
        return;
    told = true;
    const QString line = QStringLiteral("vesk: desktop notifications are not shown: %1\n").arg(why);
    std::fputs(line.toLocal8Bit().constData(), stderr);
}
