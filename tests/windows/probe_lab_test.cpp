// Echo exchanges and lookups through wine's ICMP service and resolver, from
// inside the namespaces that probe_wine_tests makes and removes. They run
// only there: it sets VESK_WINE_LAB and fails the run if any was skipped.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "basVesk.h"
#include "probe_internal.h"
#include "wine_lab.h"

#include <gtest/gtest.h>

namespace {

using basVesk::backend::SocketKind;
using Clock = std::chrono::steady_clock;

struct Exchange {
    basVesk::EchoReply reply;
    SocketKind kind = SocketKind::None;
    double elapsedMs = 0;
};

class LabTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv(wine_lab::kVariable) == nullptr)
            GTEST_SKIP() << "runs inside the namespaces that probe_wine_tests makes";
        basVesk::sPingData = basVesk::kDefaultPingData;
    }
    void TearDown() override { basVesk::sPingData = basVesk::kDefaultPingData; }

    // One ping as the console makes it, the socket layer started around
    // it; what the service reported goes to the output for the record.
    static Exchange Ping(const std::string& address)
    {
        Exchange ex;
        EXPECT_TRUE(basVesk::StartSockets().ok);
        const auto start = Clock::now();
        basVesk::PingAddress(address, ex.reply);
        ex.elapsedMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        ex.kind = basVesk::internal::LastSocketKind();
        EXPECT_EQ(basVesk::StopSockets().message, "");
        std::printf("wine: %s with %zu bytes: %s %d ms, back after %.1f ms\n", address.c_str(),
                    basVesk::internal::Latin1Image(basVesk::sPingData).size(),
                    basVesk::StatusText(ex.reply.Status).c_str(), ex.reply.RoundTripTime,
                    ex.elapsedMs);
        std::fflush(stdout);
        return ex;
    }
};

using LabEcho = LabTest;
using LabHostToIp = LabTest;

TEST_F(LabEcho, LoopbackReplies)
{
    const Exchange ex = Ping("127.0.0.1");
    EXPECT_EQ(ex.reply.Status, 0);
    EXPECT_EQ(ex.kind, SocketKind::Service);
    EXPECT_GE(ex.reply.RoundTripTime, 0);
    EXPECT_LT(ex.reply.RoundTripTime, basVesk::kEchoTimeoutMs);
    EXPECT_EQ(basVesk::sPingData, basVesk::kDefaultPingData);
}

// Wine's service carries no ICMPv6 echo: an IPv6 literal must fail with a
// status and never read as a reply.
TEST_F(LabEcho, Ipv6FailsPlainly)
{
    ASSERT_TRUE(basVesk::IsIpv6Literal("::1"));
    const Exchange ex = Ping("::1");
    EXPECT_NE(ex.reply.Status, basVesk::IP_SUCCESS);
    EXPECT_GE(ex.reply.Status, 11000) << "a status of the table, not a stray error number";
}

TEST_F(LabEcho, PayloadSizesAtTheReplyAreaLimit)
{
    basVesk::sPingData = std::string(250, 'x');
    EXPECT_EQ(Ping("127.0.0.1").reply.Status, 0) << "250 bytes fit the reply buffer";

    basVesk::sPingData.clear();
    EXPECT_EQ(Ping("127.0.0.1").reply.Status, 0) << "an echo with no data";

    basVesk::sPingData = std::string(251, 'x');
    const Exchange tooLong = Ping("127.0.0.1");
    EXPECT_EQ(tooLong.reply.Status, basVesk::IP_BUF_TOO_SMALL);
    EXPECT_EQ(tooLong.kind, SocketKind::None) << "no handle is opened, nothing is sent";
}

TEST_F(LabEcho, SilentHostTimesOutAfterTheWait)
{
    const Exchange ex = Ping(wine_lab::kSilentHost);
    EXPECT_EQ(ex.reply.Status, basVesk::IP_REQ_TIMED_OUT);
    EXPECT_EQ(ex.reply.RoundTripTime, 0);
    EXPECT_GE(ex.elapsedMs, 195.0);
    EXPECT_LT(ex.elapsedMs, 400.0);
}

TEST_F(LabEcho, RouterReportsHostUnreachable)
{
    const Exchange ex = Ping(wine_lab::kUnreachableHost);
    EXPECT_EQ(ex.reply.Status, basVesk::IP_DEST_HOST_UNREACHABLE);
    EXPECT_LT(ex.elapsedMs, 150.0) << "the router's answer ends the wait";
}

// The namespace's resolv.conf names 127.0.0.1, where nothing answers: a
// name outside the hosts file fails without a query leaving the machine.
TEST_F(LabHostToIp, HostsFileDottedAndUnknownNames)
{
    ASSERT_TRUE(basVesk::StartSocketsQuiet());
    EXPECT_EQ(basVesk::HostToIp("localhost"), "127.0.0.1");
    EXPECT_EQ(basVesk::HostToIp("10.199.3.4"), "10.199.3.4");
    EXPECT_EQ(basVesk::HostToIp("vesk-no-such-host.invalid"), "");
    EXPECT_EQ(basVesk::StopSockets().message, "");
}

}  // namespace
