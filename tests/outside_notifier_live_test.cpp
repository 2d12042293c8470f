// The notifier on a real bus: a dbus-daemon of the test's own, and on it a
// small notification server of the test's own that records every call.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "notifier.h"

namespace {

// dbus-daemon with a configuration that starts no service on request, so
// that no notification daemon of the machine answers in the test's place.
class PrivateBus {
public:
    PrivateBus()
    {
        const QString config = dir_.filePath("bus.conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                                  "<auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" "
                                  "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
                                  "</busconfig>")
                       .arg(dir_.path())
                       .toUtf8());
        file.close();
        daemon_.start("dbus-daemon", {"--config-file=" + config, "--nofork", "--print-address=1"});
        if (daemon_.waitForReadyRead(5000))
            address = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        daemon_.kill();
        daemon_.waitForFinished();
    }

    QString address;

private:
    QTemporaryDir dir_;
    QProcess daemon_;
};

// Answers GetCapabilities and Notify as a desktop's server would, each
// answer held back for delayMs.
class NotificationServer : public QDBusVirtualObject {
public:
    QStringList capabilities;
    int delayMs = 0;
    std::vector<QDBusMessage> notified;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& call, const QDBusConnection& connection) override
    {
        QVariant answer = capabilities;
        if (call.member() == "Notify") {
            notified.push_back(call);
            const quint32 replaces = call.arguments().value(1).toUInt();
            answer = QVariant::fromValue(replaces != 0 ? replaces : ++lastId_);
        }
        QTimer::singleShot(delayMs, [connection, reply = call.createReply(answer)] { connection.send(reply); });
        return true;
    }

private:
    quint32 lastId_ = 40;
};

// Standard error, caught while this lives.
class CaughtStderr {
public:
    CaughtStderr() : saved_(::dup(2))
    {
        std::fflush(stderr);
        QFile::remove(path_);
        std::freopen(path_.toLocal8Bit().constData(), "w", stderr);
    }
    ~CaughtStderr()
    {
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
    }
    QString text() const
    {
        std::fflush(stderr);
        QFile file(path_);
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }

private:
    QString path_ = QDir::temp().filePath(QStringLiteral("vesk-notifier-stderr-%1").arg(::getpid()));
    int saved_;
};

class NotifierLive : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable("dbus-daemon").isEmpty()) {
            if (qgetenv("CI") == "true")
                FAIL() << "dbus-daemon is missing (scripts/setup installs it); CI=true: this test must run";
            GTEST_SKIP() << "dbus-daemon is missing (the dbus-daemon package)";
        }
        ASSERT_FALSE(bus.address.isEmpty()) << "dbus-daemon gave no address";
    }

    QImage icon()
    {
        QImage image(32, 32, QImage::Format_ARGB32);
        image.fill(Qt::green);
        return image;
    }

    PrivateBus bus;
};

const Notice kDown{Notice::Kind::Down, "10.0.0.1 | <b>x&y</b> is not answering", "first: 11010 <i>&"};
const Notice kUp{Notice::Kind::Up, "10.0.0.1 | <b>x&y</b> answers again", "round trip 3 ms"};

}  // namespace

TEST_F(NotifierLive, DownThenUpInItsPlace)
{
    const struct {
        QStringList capabilities;
        int delayMs;
        QString downBody;
    } cases[] = {
        {{"body", "body-markup", "sound"}, 0, "first: 11010 &lt;i&gt;&amp;"},
        {{"body"}, 0, "first: 11010 <i>&"},
        // The up notice waits for the id of the down notice it replaces.
        {{"body"}, 300, "first: 11010 <i>&"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.delayMs);
        QDBusConnection server = QDBusConnection::connectToBus(bus.address, "vesk-test-server");
        NotificationServer notifications;
        notifications.capabilities = c.capabilities;
        notifications.delayMs = c.delayMs;
        ASSERT_TRUE(server.registerVirtualObject("/org/freedesktop/Notifications", &notifications));
        ASSERT_TRUE(server.registerService("org.freedesktop.Notifications"));

        DesktopNotifier notifier(icon(), bus.address);
        notifier.send(kDown);
        notifier.send(kUp);
        EXPECT_TRUE(QTest::qWaitFor([&] { return notifications.notified.size() == 2; }, 5000));
        QTest::qWait(c.delayMs + 50);
        server.unregisterService("org.freedesktop.Notifications");
        QDBusConnection::disconnectFromBus("vesk-test-server");
        ASSERT_EQ(notifications.notified.size(), 2u);

        const QList<QVariant> down = notifications.notified[0].arguments();
        const QList<QVariant> up = notifications.notified[1].arguments();
        ASSERT_EQ(notifications.notified[0].signature(), "susssasa{sv}i");
        EXPECT_EQ(down[0].toString(), "vesk");
        EXPECT_EQ(down[1].toUInt(), 0u);
        EXPECT_EQ(up[1].toUInt(), 41u) << "the id the server gave the down notice";
        EXPECT_EQ(down[2].toString(), "org.example.vesk");
        EXPECT_EQ(down[3].toString(), kDown.summary) << "a summary is never read as markup";
        EXPECT_EQ(up[3].toString(), kUp.summary);
        EXPECT_EQ(down[4].toString(), c.downBody);
        EXPECT_EQ(down[7].toInt(), -1);
        const auto hints = [](const QVariant& v) { return qdbus_cast<QVariantMap>(v.value<QDBusArgument>()); };
        const QVariantMap downHints = hints(down[6]);
        const QVariantMap upHints = hints(up[6]);
        EXPECT_EQ(downHints.value("desktop-entry").toString(), "org.example.vesk");
        EXPECT_EQ(downHints.value("urgency").metaType(), QMetaType::fromType<uchar>());
        EXPECT_EQ(downHints.value("urgency").toInt(), 1);
        EXPECT_EQ(downHints.value("sound-name").toString(), "network-connectivity-lost");
        EXPECT_EQ(upHints.value("sound-name").toString(), "network-connectivity-established");
        const QDBusArgument image = downHints.value("image-data").value<QDBusArgument>();
        EXPECT_EQ(image.currentSignature(), "(iiibiiay)");
        int width = 0, height = 0, rowBytes = 0, bits = 0, channels = 0;
        bool alpha = false;
        QByteArray pixels;
        image.beginStructure();
        image >> width >> height >> rowBytes >> alpha >> bits >> channels >> pixels;
        image.endStructure();
        EXPECT_EQ(width, 32);
        EXPECT_EQ(pixels.size(), 32 * rowBytes);
        EXPECT_EQ(pixels.left(4), QByteArray("\x00\xff\x00\xff", 4)) << "RGBA, a green pixel";
    }
}

TEST_F(NotifierLive, NoServerOrNoBusIsToldOnce)
{
    const struct {
        QString address;
        QString why;
    } cases[] = {
        {bus.address, "org.freedesktop.DBus.Error.ServiceUnknown"},
        {"unix:path=/nonexistent/vesk-bus", "no D-Bus session bus"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why.toStdString());
        CaughtStderr caught;
        {
            DesktopNotifier notifier(icon(), c.address);
            notifier.send(kDown);
            EXPECT_TRUE(QTest::qWaitFor([&] { return !caught.text().isEmpty(); }, 5000));
            notifier.send(kUp);
            notifier.send(kDown);
            QTest::qWait(300);
        }
        const QStringList lines = caught.text().split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 1) << caught.text().toStdString();
        EXPECT_TRUE(lines[0].startsWith("vesk: desktop notifications are not shown: " + c.why))
            << lines[0].toStdString();
    }
}
