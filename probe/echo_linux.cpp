// The Linux backend: ICMP echo over an ICMP datagram socket, or over a raw
// socket where the system does not grant the first; name lookup through
// getaddrinfo. Every socket call of the probe lives in this file.
#include <arpa/inet.h>
#include <linux/errqueue.h>
#include <linux/capability.h>
#include <linux/icmp.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>

#include "basVesk.h"
#include "echo_backend.h"

namespace basVesk::backend {

namespace {

using Clock = std::chrono::steady_clock;

// Closes the socket of one exchange however the exchange ends.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// A raw socket receives every ICMP packet that reaches the host, among them
// the answers to other programs' pings, so our identifier has to differ
// from theirs; the sequence number tells our own exchanges apart. Both start
// at random so that two vesk processes do not collide.
std::uint16_t RandomStart()
{
    std::random_device device;
    return static_cast<std::uint16_t>(device());
}
const std::uint16_t kRawIdentifier = RandomStart();
std::atomic<std::uint16_t> gSequence{RandomStart()};

bool RefusedByPolicy(int err)
{
    switch (err) {
    case EACCES:
        // Our group is outside net.ipv4.ping_group_range (it reads "1 0",
        // admitting nobody, unless the distribution widened it).
    case EPERM:
        // A security module or seccomp filter forbids the socket.
    case EAFNOSUPPORT:
        // IPv4 sockets of this kind are not offered at all: a kernel or a
        // sandbox (some container runtimes) that leaves them out.
    case EPROTONOSUPPORT:
        // A kernel older than 3.0, or built without ping sockets.
        return true;
    default:
        return false;
    }
}

std::int32_t StatusForOpenErrno(int err)
{
    switch (err) {
    case EMFILE:
    case ENFILE:
    case ENOBUFS:
    case ENOMEM:
        return IP_NO_RESOURCES;
    default:
        return IP_GENERAL_FAILURE;
    }
}

// Opens a raw ICMP socket. A program given the capability as permitted only
// (setcap cap_net_raw+p) must raise it into its effective set itself; it is
// raised for this one call and dropped again, on this thread only (capset
// acts on the calling thread).
int OpenRawSocket()
{
    int fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd >= 0 || errno != EPERM)
        return fd;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[_LINUX_CAPABILITY_U32S_3]{};
    constexpr int kWord = CAP_NET_RAW / 32;
    constexpr std::uint32_t kBit = 1U << (CAP_NET_RAW % 32);
    if (::syscall(SYS_capget, &header, caps) != 0 || (caps[kWord].permitted & kBit) == 0) {
        errno = EPERM;
        return -1;
    }
    caps[kWord].effective |= kBit;
    if (::syscall(SYS_capset, &header, caps) != 0) {
        errno = EPERM;
        return -1;
    }
    fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    const int openErr = errno;
    caps[kWord].effective &= ~kBit;
    ::syscall(SYS_capset, &header, caps);
    errno = openErr;
    return fd;
}

sockaddr_in ToSockaddr(const icmp::Addr4& address)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    std::memcpy(&sa.sin_addr.s_addr, address.data(), 4);  // already network order
    return sa;
}

icmp::Addr4 FromSockaddr(const sockaddr_in& sa)
{
    icmp::Addr4 address{};
    std::memcpy(address.data(), &sa.sin_addr.s_addr, 4);
    return address;
}

// Waits for the socket until deadline. One deadline for the whole exchange:
// a stray packet or a signal does not restart the wait.
// Returns the poll events, or 0 when the deadline has passed.
short WaitUntil(int fd, Clock::time_point deadline)
{
    for (;;) {
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero())
            return 0;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        // ppoll rather than poll: a millisecond timeout would round the last
        // wait up and let a silent host cost up to a millisecond more.
        timespec ts{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
        pollfd pfd{fd, POLLIN, 0};
        const int n = ::ppoll(&pfd, 1, &ts, nullptr);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return 0;
        }
        if (n > 0)
            return pfd.revents;
    }
}

// Takes the queued ICMP errors of a datagram socket (IP_RECVERR) until one
// is about our request.
std::optional<icmp::Verdict> DrainErrorQueue(int fd, const icmp::Sent& sent)
{
    for (;;) {
        std::uint8_t data[576];
        alignas(cmsghdr) std::uint8_t control[512];
        sockaddr_in offenderName{};
        iovec iov{data, sizeof data};
        msghdr msg{};
        msg.msg_name = &offenderName;
        msg.msg_namelen = sizeof offenderName;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(fd, &msg, MSG_ERRQUEUE | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            // Queue empty. Clear a pending socket error too, or poll would
            // keep reporting POLLERR and the wait would spin.
            int soError = 0;
            socklen_t len = sizeof soError;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len);
            return std::nullopt;
        }
        for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
            if (c->cmsg_level != SOL_IP || c->cmsg_type != IP_RECVERR)
                continue;
            sock_extended_err ee;
            std::memcpy(&ee, CMSG_DATA(c), sizeof ee);
            icmp::QueuedError error;
            error.origin = ee.ee_origin == SO_EE_ORIGIN_ICMP    ? icmp::QueuedError::Icmp
                           : ee.ee_origin == SO_EE_ORIGIN_LOCAL ? icmp::QueuedError::Local
                                                                : icmp::QueuedError::Other;
            error.errnoValue = static_cast<int>(ee.ee_errno);
            error.type = ee.ee_type;
            error.code = ee.ee_code;
            error.quoted = icmp::Bytes(data, static_cast<std::size_t>(n));
            const icmp::Verdict verdict = icmp::ReadQueuedError(error, sent);
            if (verdict.kind != icmp::Verdict::NotOurs)
                return verdict;
        }
    }
}

// Reads what is waiting on the socket; a verdict when it answers us.
std::optional<icmp::Verdict> ReadOne(int fd, SocketKind kind, const icmp::Sent& sent)
{
    // Room for the largest IP header, the ICMP header and far more than the
    // 250 bytes of echo we ever send; anything longer is not ours anyway.
    std::uint8_t buffer[1500];
    sockaddr_in from{};
    socklen_t fromLen = sizeof from;
    const ssize_t n = ::recvfrom(fd, buffer, sizeof buffer, MSG_DONTWAIT,
                                 reinterpret_cast<sockaddr*>(&from), &fromLen);
    if (n < 0)
        return std::nullopt;  // EAGAIN, EINTR, or an error the queue reports
    const icmp::Bytes packet(buffer, static_cast<std::size_t>(n));
    const icmp::Verdict verdict = kind == SocketKind::Raw
                                      ? icmp::ReadRawPacket(packet, sent)
                                      : icmp::ReadDatagramPacket(packet, FromSockaddr(from), sent);
    if (verdict.kind == icmp::Verdict::NotOurs)
        return std::nullopt;
    return verdict;
}

}  // namespace

EchoOutcome EchoExchange(const icmp::Addr4& destination, std::span<const std::uint8_t> payload,
                         std::chrono::milliseconds timeout)
{
    EchoOutcome outcome;

    SocketKind kind = SocketKind::Datagram;
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0) {
        const int dgramErr = errno;
        if (!RefusedByPolicy(dgramErr)) {
            outcome.status = StatusForOpenErrno(dgramErr);
            return outcome;
        }
        kind = SocketKind::Raw;
        fd = OpenRawSocket();
        if (fd < 0) {
            const int rawErr = errno;
            // Without CAP_NET_RAW the kernel answers EPERM.
            outcome.permissionRefused = rawErr == EPERM || rawErr == EACCES;
            outcome.status = outcome.permissionRefused ? IP_GENERAL_FAILURE : StatusForOpenErrno(rawErr);
            return outcome;
        }
    }
    const Fd guard(fd);
    outcome.kind = kind;

    icmp::Sent sent;
    sent.destination = destination;
    sent.sequence = gSequence.fetch_add(1, std::memory_order_relaxed);

    if (kind == SocketKind::Raw) {
        sent.identifier = kRawIdentifier;
        // Let through only the types that can answer an echo request; the
        // rest (other hosts' echo requests, redirects...) never wakes us.
        icmp_filter filter{};
        filter.data = ~((1U << icmp::kTypeEchoReply) | (1U << icmp::kTypeDestUnreachable) |
                        (1U << icmp::kTypeSourceQuench) | (1U << icmp::kTypeTimeExceeded) |
                        (1U << icmp::kTypeParameterProblem));
        ::setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
    } else {
        // A datagram socket hears of ICMP errors only through its error
        // queue, and only with IP_RECVERR set.
        const int on = 1;
        ::setsockopt(fd, SOL_IP, IP_RECVERR, &on, sizeof on);
    }

    // On a datagram socket the kernel puts its own identifier (the socket's
    // "port") and recomputes the checksum; on a raw one both go out as built.
    const std::vector<std::uint8_t> request =
        icmp::BuildEchoRequest(sent.identifier, sent.sequence, payload);
    const sockaddr_in to = ToSockaddr(destination);

    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = start + timeout;
    ssize_t sentBytes;
    do {
        sentBytes = ::sendto(fd, request.data(), request.size(), 0,
                             reinterpret_cast<const sockaddr*>(&to), sizeof to);
    } while (sentBytes < 0 && errno == EINTR);
    if (sentBytes < 0) {
        outcome.status = icmp::StatusForSendErrno(errno);
        return outcome;
    }

    for (;;) {
        const short events = WaitUntil(fd, deadline);
        if (events == 0) {
            outcome.status = IP_REQ_TIMED_OUT;
            return outcome;
        }
        if ((events & (POLLIN | POLLERR)) == 0) {
            // POLLHUP or POLLNVAL: the socket can give nothing more.
            outcome.status = IP_GENERAL_FAILURE;
            return outcome;
        }
        std::optional<icmp::Verdict> verdict;
        if (events & POLLERR)
            verdict = DrainErrorQueue(fd, sent);
        if (!verdict && (events & POLLIN))
            verdict = ReadOne(fd, kind, sent);
        if (verdict) {
            outcome.status = verdict->status;
            outcome.roundTripMs = icmp::ElapsedMs(start, Clock::now());
            return outcome;
        }
    }
}

// Linux sockets need no library start-up or shutdown: the report is that of
// a layer offering 1.1 that passes every check, and the shutdown succeeds.
SocketsReport StartSocketLayer() { return SocketsReport{}; }
int StopSocketLayer() { return 0; }

std::optional<icmp::Addr4> ResolveFirstIPv4(const std::string& name)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    // One entry per address rather than one per socket type.
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0 || list == nullptr)
        return std::nullopt;
    std::optional<icmp::Addr4> first;
    for (const addrinfo* ai = list; ai != nullptr; ai = ai->ai_next) {
        if (ai->ai_family == AF_INET && ai->ai_addr != nullptr &&
            ai->ai_addrlen >= sizeof(sockaddr_in)) {
            first = FromSockaddr(*reinterpret_cast<const sockaddr_in*>(ai->ai_addr));
            break;
        }
    }
    ::freeaddrinfo(list);
    return first;
}

}  // namespace basVesk::backend
