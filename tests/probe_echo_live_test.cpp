// Echo exchanges over real sockets, IPv4 and IPv6, inside namespaces made
// for each test.
// Every test that can runs on both socket kinds: raw (the namespace's
// ping_group_range admits nobody, as a new namespace starts) and datagram
// (the range widened to admit root).
#include <linux/capability.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/syscall.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "basVesk.h"
#include "icmp_packet.h"
#include "probe_internal.h"
#include "probe_netns.h"

namespace {

using basVesk::backend::SocketKind;
using Clock = std::chrono::steady_clock;
using probe_test::NetnsLab;

constexpr std::array kBothKinds{SocketKind::Raw, SocketKind::Datagram};

const char* KindName(SocketKind kind)
{
    switch (kind) {
    case SocketKind::Raw:
        return "raw";
    case SocketKind::Datagram:
        return "datagram";
    case SocketKind::Service:
        return "service";
    case SocketKind::None:
        break;
    }
    return "none";
}

struct Exchange {
    basVesk::EchoReply reply;
    SocketKind kind = SocketKind::None;
    double elapsedMs = 0;
};

// One PingAddress call on the calling thread, timed from outside.
Exchange PingHere(const std::string& address)
{
    Exchange ex;
    const auto start = Clock::now();
    basVesk::PingAddress(address, ex.reply);
    ex.elapsedMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    ex.kind = basVesk::internal::LastSocketKind();
    return ex;
}

// One PingAddress call from inside ns, on the socket kind asked for.
Exchange PingFrom(const std::string& ns, SocketKind kind, const std::string& address)
{
    Exchange ex;
    NetnsLab::RunIn(ns, [&] {
        NetnsLab::WriteSysctl("ipv4/ping_group_range",
                              kind == SocketKind::Datagram ? "0 2147483647" : "1 0");
        ex = PingHere(address);
    });
    return ex;
}

// Takes CAP_NET_RAW off the calling thread: from the effective set, and
// from the permitted set too when asked (then it cannot come back).
void DropNetRaw(bool permittedToo)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[_LINUX_CAPABILITY_U32S_3]{};
    if (::syscall(SYS_capget, &header, caps) != 0)
        throw std::runtime_error("capget failed");
    const std::uint32_t bit = 1U << (CAP_NET_RAW % 32);
    caps[CAP_NET_RAW / 32].effective &= ~bit;
    if (permittedToo)
        caps[CAP_NET_RAW / 32].permitted &= ~bit;
    if (::syscall(SYS_capset, &header, caps) != 0)
        throw std::runtime_error("capset failed");
}

class EchoLive : public probe_test::NetnsTest {
protected:
    void SetUp() override
    {
        NetnsTest::SetUp();
        basVesk::sPingData = basVesk::kDefaultPingData;
    }
    void TearDown() override
    {
        basVesk::sPingData = basVesk::kDefaultPingData;
        NetnsTest::TearDown();
    }

    // A client and a test host on one veth link: 10.199.1.1 and .2.
    std::pair<std::string, std::string> ClientAndHost()
    {
        const std::string client = lab_->Make("client");
        const std::string host = lab_->Make("host");
        lab_->Link(client, "c0", "10.199.1.1/24", host, "h0", "10.199.1.2/24");
        return {client, host};
    }
};

TEST_F(EchoLive, LoopbackRepliesOnBothSocketKinds)
{
    const std::string ns = lab_->Make("lo");
    for (const SocketKind kind : kBothKinds) {
        SCOPED_TRACE(KindName(kind));
        const Exchange ex = PingFrom(ns, kind, "127.0.0.1");
        EXPECT_EQ(ex.reply.Status, 0);
        EXPECT_EQ(ex.kind, kind);
        EXPECT_GE(ex.reply.RoundTripTime, 0);
        EXPECT_LT(ex.reply.RoundTripTime, 50);
        EXPECT_EQ(basVesk::sPingData, basVesk::kDefaultPingData);
    }
}

TEST_F(EchoLive, PayloadSizesAtTheReplyAreaLimit)
{
    const std::string ns = lab_->Make("lo");
    for (const SocketKind kind : kBothKinds) {
        SCOPED_TRACE(KindName(kind));
        basVesk::sPingData = std::string(250, 'x');
        Exchange ex = PingFrom(ns, kind, "127.0.0.1");
        EXPECT_EQ(ex.reply.Status, 0) << "250 bytes fit the reply area";

        // 250 characters of two UTF-8 bytes each are 250 bytes on the wire.
        basVesk::sPingData.clear();
        for (int i = 0; i < 250; ++i)
            basVesk::sPingData += "\xC3\xA9";
        ex = PingFrom(ns, kind, "127.0.0.1");
        EXPECT_EQ(ex.reply.Status, 0) << "the image counts, not the UTF-8";

        basVesk::sPingData.clear();
        ex = PingFrom(ns, kind, "127.0.0.1");
        EXPECT_EQ(ex.reply.Status, 0) << "an echo with no data";

        // Latin-1 characters go out as one byte each and come back.
        basVesk::sPingData = "caf\xC3\xA9 \xE2\x82\xAC";  // "café €"
        ex = PingFrom(ns, kind, "127.0.0.1");
        EXPECT_EQ(ex.reply.Status, 0);
        EXPECT_EQ(basVesk::sPingData, "caf\xC3\xA9 ?");

        basVesk::sPingData = std::string(251, 'x');
        ex = PingFrom(ns, kind, "127.0.0.1");
        EXPECT_EQ(ex.reply.Status, basVesk::IP_BUF_TOO_SMALL);
        EXPECT_EQ(ex.reply.RoundTripTime, 0);
        EXPECT_EQ(ex.kind, SocketKind::None) << "nothing is sent";
    }
}

TEST_F(EchoLive, SilentHostTimesOutAfterTheTimeout)
{
    const auto [client, host] = ClientAndHost();
    lab_->Sysctl(host, "ipv4/icmp_echo_ignore_all", "1");
    for (const SocketKind kind : kBothKinds) {
        SCOPED_TRACE(KindName(kind));
        const Exchange ex = PingFrom(client, kind, "10.199.1.2");
        EXPECT_EQ(ex.reply.Status, basVesk::IP_REQ_TIMED_OUT);
        EXPECT_EQ(ex.reply.RoundTripTime, 0);
        EXPECT_EQ(ex.kind, kind);
        EXPECT_GE(ex.elapsedMs, 195.0);
        EXPECT_LT(ex.elapsedMs, 400.0);
    }
}

// Echo replies that are not ours keep arriving during the wait; they are
// dropped and do not stretch it.
TEST_F(EchoLive, StrayRepliesDoNotStretchTheWait)
{
    const auto [client, host] = ClientAndHost();
    lab_->Sysctl(host, "ipv4/icmp_echo_ignore_all", "1");

    // The strays go out every 5 ms until the exchange is over.
    std::mutex mutex;
    std::condition_variable over;
    bool stop = false;
    std::exception_ptr strayFailure;
    std::thread strays([&, host = host] {
        try {
            NetnsLab::RunIn(host, [&] {
                const int fd = ::socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
                if (fd < 0)
                    throw std::runtime_error("raw socket in the test host");
                sockaddr_in to{};
                to.sin_family = AF_INET;
                to.sin_addr.s_addr = htonl(0x0AC70101);  // 10.199.1.1
                const std::uint8_t payload[4] = {1, 2, 3, 4};
                std::uint16_t sequence = 0;
                const auto until = Clock::now() + std::chrono::milliseconds(600);
                std::unique_lock lock(mutex);
                while (Clock::now() < until) {
                    auto reply = basVesk::icmp::BuildEchoRequest(0xBEEF, sequence++, payload);
                    reply[0] = basVesk::icmp::kTypeEchoReply;
                    reply[2] = reply[3] = 0;
                    const std::uint16_t sum = basVesk::icmp::Checksum(reply);
                    reply[2] = static_cast<std::uint8_t>(sum >> 8);
                    reply[3] = static_cast<std::uint8_t>(sum);
                    ::sendto(fd, reply.data(), reply.size(), 0,
                             reinterpret_cast<const sockaddr*>(&to), sizeof to);
                    if (over.wait_for(lock, std::chrono::milliseconds(5), [&] { return stop; }))
                        break;
                }
                ::close(fd);
            });
        } catch (...) {
            strayFailure = std::current_exception();
        }
    });
    const Exchange ex = PingFrom(client, SocketKind::Raw, "10.199.1.2");
    {
        const std::lock_guard lock(mutex);
        stop = true;
    }
    over.notify_all();
    strays.join();
    if (strayFailure)
        std::rethrow_exception(strayFailure);

    EXPECT_EQ(ex.reply.Status, basVesk::IP_REQ_TIMED_OUT);
    EXPECT_GE(ex.elapsedMs, 195.0);
    EXPECT_LT(ex.elapsedMs, 400.0);
}

// A router whose route to the destination is of type unreachable answers
// with a real ICMP host unreachable.
TEST_F(EchoLive, RouterReportsHostUnreachable)
{
    const std::string client = lab_->Make("client");
    const std::string router = lab_->Make("router");
    lab_->Link(client, "c0", "10.199.1.1/24", router, "r0", "10.199.1.2/24");
    lab_->Ip(client, {"route", "add", "10.199.2.0/24", "via", "10.199.1.2"});
    lab_->Sysctl(router, "ipv4/ip_forward", "1");
    lab_->Sysctl(router, "ipv4/icmp_ratelimit", "0");
    lab_->Ip(router, {"route", "add", "unreachable", "10.199.2.0/24"});

    for (const SocketKind kind : kBothKinds) {
        SCOPED_TRACE(KindName(kind));
        const Exchange ex = PingFrom(client, kind, "10.199.2.7");
        EXPECT_EQ(ex.reply.Status, basVesk::IP_DEST_HOST_UNREACHABLE);
        EXPECT_EQ(ex.kind, kind);
        EXPECT_LT(ex.reply.RoundTripTime, basVesk::kEchoTimeoutMs);
        EXPECT_LT(ex.elapsedMs, 150.0) << "the error ends the wait";
    }
}

TEST_F(EchoLive, NoRouteGivesTheLocalError)
{
    const std::string client = lab_->Make("client");  // loopback only
    for (const SocketKind kind : kBothKinds) {
        SCOPED_TRACE(KindName(kind));
        const Exchange ex = PingFrom(client, kind, "10.199.9.9");
        EXPECT_EQ(ex.reply.Status, basVesk::IP_DEST_NET_UNREACHABLE);
        EXPECT_EQ(ex.reply.RoundTripTime, 0);
        EXPECT_LT(ex.elapsedMs, 150.0);
    }
}

TEST_F(EchoLive, BroadcastIsRefusedLocally)
{
    const auto [client, host] = ClientAndHost();
    for (const SocketKind kind : kBothKinds) {
        SCOPED_TRACE(KindName(kind));
        const Exchange ex = PingFrom(client, kind, "10.199.1.255");
        EXPECT_EQ(ex.reply.Status, basVesk::IP_BAD_DESTINATION);
        EXPECT_EQ(ex.reply.RoundTripTime, 0);
    }
}

TEST_F(EchoLive, NoSocketPermissionIsExplained)
{
    const std::string ns = lab_->Make("lo");  // ping_group_range admits nobody
    Exchange refused;
    std::string problem;
    NetnsLab::RunIn(ns, [&] {
        DropNetRaw(true);
        refused = PingHere("127.0.0.1");
        problem = basVesk::SocketProblem();
    });
    EXPECT_EQ(refused.reply.Status, basVesk::IP_GENERAL_FAILURE);
    EXPECT_EQ(refused.kind, SocketKind::None);
    EXPECT_EQ(problem, basVesk::internal::kSocketProblemText);
    // The probe cannot know where the program file lies: the console fills it in.
    EXPECT_NE(problem.find(basVesk::kProgramPathMark), std::string::npos);
    EXPECT_EQ(basVesk::SocketProblem(), basVesk::internal::kSocketProblemText)
        << "the console reads it on its own thread";

    const Exchange allowed = PingFrom(ns, SocketKind::Raw, "127.0.0.1");
    EXPECT_EQ(allowed.reply.Status, 0);
    EXPECT_EQ(basVesk::SocketProblem(), "") << "a socket that opens clears the reason";
}

// Given the capability as permitted only (setcap cap_net_raw+p), the probe
// raises it for the raw socket itself.
TEST_F(EchoLive, PermittedRawCapabilityIsRaisedForTheSocket)
{
    const std::string ns = lab_->Make("lo");
    Exchange ex;
    NetnsLab::RunIn(ns, [&] {
        DropNetRaw(false);
        ex = PingHere("127.0.0.1");
    });
    EXPECT_EQ(ex.reply.Status, 0);
    EXPECT_EQ(ex.kind, SocketKind::Raw);
    EXPECT_EQ(basVesk::SocketProblem(), "");
}

// ------------------------------------------------------------------ IPv6

// A client and a test host on one veth link: fd00:211::1 and ::2, and
// fe80::1 and ::2 on the link.
std::pair<std::string, std::string> ClientAndHost6(NetnsLab& lab)
{
    const std::string client = lab.Make("client6");
    const std::string host = lab.Make("host6");
    lab.Link(client, "c0", "fd00:211::1/64", host, "h0", "fd00:211::2/64");
    lab.AddAddress(client, "c0", "fe80::1/64");
    lab.AddAddress(host, "h0", "fe80::2/64");
    return {client, host};
}

TEST_F(EchoLive, Ipv6LoopbackHostAndLinkLocalReply)
{
    const auto [client, host] = ClientAndHost6(*lab_);
    for (const SocketKind kind : kBothKinds) {
        for (const char* address : {"::1", "fd00:211::2", "FD00:0211:0::0002", "fe80::2%c0"}) {
            SCOPED_TRACE(std::string(KindName(kind)) + " " + address);
            const Exchange ex = PingFrom(client, kind, address);
            EXPECT_EQ(ex.reply.Status, 0);
            EXPECT_EQ(ex.kind, kind);
            EXPECT_LT(ex.reply.RoundTripTime, 50);
        }
    }
}

TEST_F(EchoLive, Ipv6SilentHostTimesOutAndAMissingRouteIsReported)
{
    const auto [client, host] = ClientAndHost6(*lab_);
    lab_->Sysctl(host, "ipv6/icmp/echo_ignore_all", "1");
    // The host routes fd00:212::/64 nowhere and says so.
    lab_->Ip(client, {"-6", "route", "add", "fd00:212::/64", "via", "fd00:211::2"});
    lab_->Sysctl(host, "ipv6/conf/all/forwarding", "1");
    lab_->Sysctl(host, "ipv6/icmp/ratelimit", "0");
    lab_->Ip(host, {"-6", "route", "add", "unreachable", "fd00:212::/64"});
    for (const SocketKind kind : kBothKinds) {
        SCOPED_TRACE(KindName(kind));
        const Exchange silent = PingFrom(client, kind, "fd00:211::2");
        EXPECT_EQ(silent.reply.Status, basVesk::IP_REQ_TIMED_OUT);
        EXPECT_GE(silent.elapsedMs, 195.0);
        EXPECT_LT(silent.elapsedMs, 400.0);

        const Exchange noRoute = PingFrom(client, kind, "fd00:212::7");
        EXPECT_EQ(noRoute.reply.Status, basVesk::IP_DEST_NET_UNREACHABLE);
        EXPECT_EQ(noRoute.kind, kind);
        EXPECT_LT(noRoute.elapsedMs, 150.0) << "the error ends the wait";

        const Exchange noLocalRoute = PingFrom(client, kind, "fd00:299::1");
        EXPECT_EQ(noLocalRoute.reply.Status, basVesk::IP_DEST_NET_UNREACHABLE);
        EXPECT_EQ(noLocalRoute.reply.RoundTripTime, 0);
    }
}

}  // namespace
