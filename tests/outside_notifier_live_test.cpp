// The notifier on a real bus: a dbus-daemon of the test's own, and on it a
// small notification server of the test's own that records every call.
#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "notifier.h"

namespace {

// Answers as a desktop's server would, each answer held back for delayMs.
class NotificationServer : public QDBusVirtualObject {
public:
    QStringList capabilities;
    int delayMs = 0;
    std::vector<QList<QVariant>> notified;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& call, const QDBusConnection& connection) override
    {
        QVariant answer = capabilities;
        if (call.member() == "Notify") {
            notified.push_back(call.arguments());
            const quint32 replaces = call.arguments().value(1).toUInt();
            answer = QVariant::fromValue(replaces != 0 ? replaces : 41u + quint32(notified.size()));
        }
        QTimer::singleShot(delayMs, [connection, reply = call.createReply(answer)] { connection.send(reply); });
        return true;
    }
};

}  // namespace

TEST(NotifierLive, DownThenUpInItsPlace)
{
    if (QStandardPaths::findExecutable("dbus-daemon").isEmpty()) {
        if (qgetenv("CI") == "true")
            FAIL() << "dbus-daemon is missing (scripts/setup installs it); CI=true: this test must run";
        GTEST_SKIP() << "dbus-daemon is missing (the dbus-daemon package)";
    }
    // A bus that starts no service on request: no notification daemon of
    // the machine answers in the test's place.
    QTemporaryDir dir;
    QFile config(dir.filePath("bus.conf"));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("<busconfig><type>session</type><listen>unix:dir=" + dir.path().toUtf8() +
                 "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" "
                 "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
    config.close();
    QProcess daemon;
    daemon.start("dbus-daemon", {"--config-file=" + config.fileName(), "--nofork", "--print-address=1"});
    ASSERT_TRUE(daemon.waitForReadyRead(5000));
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();

    const Notice down{Notice::Kind::Down, "10.0.0.1 | <b>x&y</b> is not answering", "first: <i>&"};
    const Notice up{Notice::Kind::Up, "10.0.0.1 | <b>x&y</b> answers again", "round trip 3 ms"};
    const std::tuple<QStringList, int, QString> cases[] = {
        {{"body", "body-markup"}, 0, "first: &lt;i&gt;&amp;"},
        {{"body"}, 0, "first: <i>&"},
        {{"body"}, 300, "first: <i>&"},  // the up notice waits for the down notice's id
    };
    for (const auto& [capabilities, delayMs, downBody] : cases) {
        SCOPED_TRACE(delayMs);
        QDBusConnection bus = QDBusConnection::connectToBus(address, "vesk-test-server");
        NotificationServer server;
        server.capabilities = capabilities;
        server.delayMs = delayMs;
        ASSERT_TRUE(bus.registerVirtualObject("/org/freedesktop/Notifications", &server));
        ASSERT_TRUE(bus.registerService("org.freedesktop.Notifications"));
        {
            DesktopNotifier notifier(QImage(32, 32, QImage::Format_ARGB32), address);
            notifier.send(down);
            notifier.send(up);
            EXPECT_TRUE(QTest::qWaitFor([&] { return server.notified.size() == 2; }, 5000));
            QTest::qWait(delayMs + 50);
        }
        QDBusConnection::disconnectFromBus("vesk-test-server");
        ASSERT_EQ(server.notified.size(), 2u);

        const auto& [downCall, upCall] = std::tie(server.notified[0], server.notified[1]);
        EXPECT_EQ(downCall[0].toString(), "vesk");
        EXPECT_EQ(downCall[1].toUInt(), 0u);
        EXPECT_EQ(upCall[1].toUInt(), 42u) << "the id the server gave the down notice";
        EXPECT_EQ(downCall[2].toString(), "org.example.vesk");
        EXPECT_EQ(downCall[3].toString(), down.summary) << "a summary is never read as markup";
        EXPECT_EQ(downCall[4].toString(), downBody);
        EXPECT_EQ(upCall[3].toString(), up.summary);
        EXPECT_EQ(downCall[7].toInt(), -1);
        const auto hints = [](const QVariant& v) { return qdbus_cast<QVariantMap>(v.value<QDBusArgument>()); };
        const QVariantMap downHints = hints(downCall[6]);
        EXPECT_EQ(downHints.value("desktop-entry").toString(), "org.example.vesk");
        EXPECT_EQ(downHints.value("urgency"), QVariant::fromValue(uchar(1)));
        EXPECT_EQ(downHints.value("sound-name").toString(), "network-connectivity-lost");
        EXPECT_EQ(hints(upCall[6]).value("sound-name").toString(), "network-connectivity-established");
        EXPECT_EQ(downHints.value("image-data").value<QDBusArgument>().currentSignature(), "(iiibiiay)");
    }
    daemon.kill();
    daemon.waitForFinished();
}
