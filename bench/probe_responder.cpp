// A test host's echo service with a set delay: answers every ICMP echo
// request D ms after it arrived. Runs inside a namespace whose kernel has
// been told to ignore echo requests (net.ipv4.icmp_echo_ignore_all=1), so
// that this is the only answer. Stops on SIGTERM or SIGINT.
//
//   probe_responder DELAY_MS
#include <arpa/inet.h>
#include <linux/icmp.h>
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
#include <vector>

#include "icmp_packet.h"

namespace {

using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t gStop = 0;
void OnSignal(int) { gStop = 1; }

struct Pending {
    Clock::time_point due;
    sockaddr_in to;
    std::vector<std::uint8_t> reply;
};

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
    if (fd < 0) {
        std::perror("raw socket");
        return 1;
    }
    icmp_filter filter{};
    filter.data = ~(1U << basVesk::icmp::kTypeEchoRequest);
    ::setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);

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
        pollfd pfd{fd, POLLIN, 0};
        const int n = ::ppoll(&pfd, 1, &timeout, nullptr);
        const auto now = Clock::now();
        if (n > 0 && (pfd.revents & POLLIN)) {
            sockaddr_in from{};
            socklen_t fromLen = sizeof from;
            const ssize_t got = ::recvfrom(fd, buffer, sizeof buffer, MSG_DONTWAIT,
                                           reinterpret_cast<sockaddr*>(&from), &fromLen);
            if (got >= 28) {
                const std::size_t ip = static_cast<std::size_t>(buffer[0] & 0x0F) * 4;
                if (static_cast<std::size_t>(got) >= ip + basVesk::icmp::kHeaderSize &&
                    buffer[ip] == basVesk::icmp::kTypeEchoRequest) {
                    std::vector<std::uint8_t> reply(buffer + ip, buffer + got);
                    reply[0] = basVesk::icmp::kTypeEchoReply;
                    reply[2] = reply[3] = 0;
                    const std::uint16_t sum = basVesk::icmp::Checksum(reply);
                    reply[2] = static_cast<std::uint8_t>(sum >> 8);
                    reply[3] = static_cast<std::uint8_t>(sum & 0xFF);
                    pending.push_back({now + delay, from, std::move(reply)});
                }
            }
        }
        while (!pending.empty() && pending.front().due <= Clock::now()) {
            const Pending& p = pending.front();
            ::sendto(fd, p.reply.data(), p.reply.size(), 0,
                     reinterpret_cast<const sockaddr*>(&p.to), sizeof p.to);
            pending.pop_front();
        }
    }
    ::close(fd);
    return 0;
}
