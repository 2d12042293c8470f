// A test host's echo service with a set delay: answers every ICMP and
// ICMPv6 echo request D ms after it arrived. Runs inside a namespace whose
// kernel has been told to ignore echo requests (net.ipv4.icmp_echo_ignore_all
// and net.ipv6.icmp.echo_ignore_all set to 1), so that this is the only
// answer. Stops on SIGTERM or SIGINT.
//
//   probe_responder DELAY_MS
#include <arpa/inet.h>
#include <linux/icmp.h>
#include <netinet/icmp6.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <optional>
#include <vector>

#include "icmp6_packet.h"
#include "icmp_packet.h"

namespace {

using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t gStop = 0;
void OnSignal(int) { gStop = 1; }

struct Pending {
    Clock::time_point due;
    int fd;
    sockaddr_storage to;
    socklen_t toLength;
    std::vector<std::uint8_t> reply;
};

// The echo reply to a request as a raw socket of either family delivers
// it, or nothing when it is no echo request. An IPv4 packet comes with its
// header; an ICMPv6 message without, and the kernel fills in its checksum.
std::optional<std::vector<std::uint8_t>> ReplyTo(bool six, const std::uint8_t* packet, std::size_t size)
{
    const std::size_t ip = six ? 0 : static_cast<std::size_t>(packet[0] & 0x0F) * 4;
    const std::uint8_t request = six ? basVesk::icmp6::kTypeEchoRequest : basVesk::icmp::kTypeEchoRequest;
    if (size < ip + basVesk::icmp::kHeaderSize || packet[ip] != request)
        return std::nullopt;
    std::vector<std::uint8_t> reply(packet + ip, packet + size);
    reply[0] = six ? basVesk::icmp6::kTypeEchoReply : basVesk::icmp::kTypeEchoReply;
    reply[2] = reply[3] = 0;
    if (!six) {
        const std::uint16_t sum = basVesk::icmp::Checksum(reply);
        reply[2] = static_cast<std::uint8_t>(sum >> 8);
        reply[3] = static_cast<std::uint8_t>(sum & 0xFF);
    }
    return reply;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DELAY_MS\n", argv[0]);
        return 2;
    }
    const auto delay = std::chrono::milliseconds(std::atoi(argv[1]));

    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    // Wake-ups as close to the due time as the kernel allows; the default
    // slack of 50 us would show in the comparison.
    prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);

    const int fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    const int fd6 = ::socket(AF_INET6, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMPV6);
    if (fd < 0 || fd6 < 0) {
        std::perror("raw socket");
        return 1;
    }
    icmp_filter filter{};
    filter.data = ~(1U << basVesk::icmp::kTypeEchoRequest);
    ::setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
    icmp6_filter filter6;
    ICMP6_FILTER_SETBLOCKALL(&filter6);
    ICMP6_FILTER_SETPASS(basVesk::icmp6::kTypeEchoRequest, &filter6);
    ::setsockopt(fd6, IPPROTO_ICMPV6, ICMP6_FILTER, &filter6, sizeof filter6);

    // Requests waiting for their answer, in arrival order: with one delay
    // for all, the first due is always the first in line.
    std::deque<Pending> pending;
    std::uint8_t buffer[2048];
    while (!gStop) {
        timespec timeout{0, 100'000'000};
        if (!pending.empty()) {
            const auto left = pending.front().due - Clock::now();
            const auto ns = std::max<long long>(
                0, std::chrono::duration_cast<std::chrono::nanoseconds>(left).count());
            timeout = {static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
        }
        pollfd pfds[2]{{fd, POLLIN, 0}, {fd6, POLLIN, 0}};
        const int n = ::ppoll(pfds, 2, &timeout, nullptr);
        const auto now = Clock::now();
        for (const pollfd& pfd : pfds) {
            if (n <= 0 || (pfd.revents & POLLIN) == 0)
                continue;
            Pending p{now + delay, pfd.fd, {}, sizeof(sockaddr_storage), {}};
            const ssize_t got = ::recvfrom(pfd.fd, buffer, sizeof buffer, MSG_DONTWAIT,
                                           reinterpret_cast<sockaddr*>(&p.to), &p.toLength);
            if (got <= 0)
                continue;
            if (auto reply = ReplyTo(pfd.fd == fd6, buffer, static_cast<std::size_t>(got))) {
                p.reply = std::move(*reply);
                pending.push_back(std::move(p));
            }
        }
        while (!pending.empty() && pending.front().due <= Clock::now()) {
            const Pending& p = pending.front();
            ::sendto(p.fd, p.reply.data(), p.reply.size(), 0, reinterpret_cast<const sockaddr*>(&p.to),
                     p.toLength);
            pending.pop_front();
        }
    }
    ::close(fd6);
    ::close(fd);
    return 0;
}
