// The window with the real probe behind it, pinging the loopback address:
// dialogs stay fake, the echo exchange is real.
#include <QRegularExpression>

#include "console_window.h"

namespace {

class RealProbeOutside : public FakeOutside {
public:
    basVesk::SocketNotice startSockets() override { return basVesk::StartSockets(); }
    basVesk::SocketNotice stopSockets() override { return basVesk::StopSockets(); }
    void pingAddress(const std::string& address, basVesk::EchoReply& reply) override
    {
        pingedAddresses.push_back(address);
        basVesk::PingAddress(address, reply);
    }
    std::string socketProblem() override { return basVesk::SocketProblem(); }
};

}  // namespace

TEST(RealProbe, LoopbackPingWritesASuccessLine)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    QTemporaryDir folder;
    RealProbeOutside outside;
    outside.folder = folder.path();
    outside.clock = QDateTime::currentDateTime();
    frmPing frm(outside);
    ASSERT_EQ(frm.cboAddress->currentText(), "127.0.0.1 | localhost");

    frm.PingOnce();
    if (!basVesk::SocketProblem().empty())
        GTEST_SKIP() << basVesk::SocketProblem();

    EXPECT_EQ(outside.pingedAddresses, std::vector<std::string>{"127.0.0.1"});
    const QRegularExpression line(
        R"(^127\.0\.0\.1 \| localhost \d\d/\d\d/\d{4}( \d\d:\d\d:\d\d)? - 44 byte\(s\) sent: (\d+) ms -- 0 \(ip success\)$)");
    const auto match = line.match(frm.sRisult());
    EXPECT_TRUE(match.hasMatch()) << frm.sRisult().toStdString();
    EXPECT_LT(match.captured(2).toInt(), 200);
    EXPECT_EQ(basVesk::lPingTot, 1);
    EXPECT_EQ(frm.lblAvg->text(), "total pings: 1 - timeouts: 0 - ok: 1 - avg:  " + match.captured(2));
    EXPECT_TRUE(outside.messages.isEmpty()) << outside.messages.join(" / ").toStdString();
    QLocale::setDefault(QLocale::c());
}
