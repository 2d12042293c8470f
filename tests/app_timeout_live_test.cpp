// --timeout on a live path: a test host whose answers take 250 ms, in
// namespaces made for the test, times out with the default wait and is a
// success with a longer --timeout.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include "basVesk.h"
#include "commandLine.h"
#include "outside.h"
#include "probe_netns.h"

namespace {

using probe_test::NetnsLab;

// bench/probe_responder answering after delayMs inside ns, stopped when
// this goes.
class Responder {
public:
    Responder(const std::string& ns, int delayMs)
    {
        const std::string delay = std::to_string(delayMs);
        std::vector<char*> argv{const_cast<char*>("ip"), const_cast<char*>("netns"), const_cast<char*>("exec"),
                                const_cast<char*>(ns.c_str()), const_cast<char*>(VESK_RESPONDER),
                                const_cast<char*>(delay.c_str()), nullptr};
        if (::posix_spawnp(&pid_, "ip", nullptr, nullptr, argv.data(), environ) != 0)
            throw std::runtime_error("cannot start the responder");
    }
    ~Responder()
    {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    Responder(const Responder&) = delete;
    Responder& operator=(const Responder&) = delete;

private:
    pid_t pid_ = 0;
};

// One echo from ns through the outside the program makes, with the wait
// the command line gave it.
basVesk::EchoReply PingFrom(const std::string& ns, const std::string& address, int waitMs)
{
    RealOutside outside;
    outside.setEchoWaitMs(waitMs);
    basVesk::EchoReply reply;
    NetnsLab::RunIn(ns, [&] { outside.pingAddress(address, reply); });
    return reply;
}

using TimeoutLive = probe_test::NetnsTest;

}  // namespace

TEST_F(TimeoutLive, SlowHostLightsWithALongerWait)
{
    const std::string client = lab_->Make("client");
    const std::string host = lab_->Make("host");
    lab_->Link(client, "c0", "10.199.1.1/24", host, "h0", "10.199.1.2/24");
    lab_->Sysctl(host, "ipv4/icmp_echo_ignore_all", "1");
    const Responder responder(host, 250);

    // Until the responder listens: a generous wait, a bounded number of tries.
    int tries = 0;
    while (PingFrom(client, "10.199.1.2", 1000).Status != basVesk::IP_SUCCESS)
        ASSERT_LT(++tries, 10) << "the responder does not answer";

    EXPECT_EQ(PingFrom(client, "10.199.1.2", ReadCommandLine({"vesk"}).timeoutMs).Status,
              basVesk::IP_REQ_TIMED_OUT);

    // The answer can come no sooner than the responder's delay, which is
    // past the default wait: a success proves the longer one was used. How
    // much later it comes is the machine's load, given room up to the wait.
    const basVesk::EchoReply reply =
        PingFrom(client, "10.199.1.2", ReadCommandLine({"vesk", "--timeout", "1000"}).timeoutMs);
    EXPECT_EQ(reply.Status, basVesk::IP_SUCCESS);
    EXPECT_GE(reply.RoundTripTime, 250);
    EXPECT_LT(reply.RoundTripTime, 1000);
}
