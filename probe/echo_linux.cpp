// The Linux backend: ICMP and ICMPv6 echo over a datagram socket, or over a
// raw socket where the system does not grant the first; IPv6 literals read
// by inet_pton and if_nametoindex; name lookup through getaddrinfo. Every
// socket call of the probe lives in this file.
// Before the linux/ headers, which then leave out what it defines.
#include <net/if.h>
#include <arpa/inet.h>
#include <linux/errqueue.h>
#include <linux/capability.h>
#include <linux/icmp.h>
#include <netdb.h>
#include <netinet/icmp6.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>

#include "echo_backend.h"
#include "echo_types.h"

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
        // admitting nobody, unless the distribution widened it); the range
        // governs ICMPv6 datagram sockets too.
    case EPERM:
        // A security module or seccomp filter forbids the socket.
    case EAFNOSUPPORT:
        // Sockets of this kind and family are not offered at all: a kernel
        // or a sandbox (some container runtimes) that leaves them out, or a
        // kernel without IPv6.
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
int OpenRawSocket(int domain, int protocol)
{
    int fd = ::socket(domain, SOCK_RAW | SOCK_CLOEXEC, protocol);
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
    fd = ::socket(domain, SOCK_RAW | SOCK_CLOEXEC, protocol);
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

// What an exchange does differently over IPv4.
struct Path4 {
    using Sent = icmp::Sent;
    using Address = sockaddr_in;
    static constexpr int kDomain = AF_INET;
    static constexpr int kProtocol = IPPROTO_ICMP;
    static constexpr int kLevel = SOL_IP;
    static constexpr int kRecvErr = IP_RECVERR;
    static constexpr std::uint8_t kIcmpOrigin = SO_EE_ORIGIN_ICMP;

    static std::vector<std::uint8_t> Request(const Sent& sent, icmp::Bytes payload)
    {
        return icmp::BuildEchoRequest(sent.identifier, sent.sequence, payload);
    }
    // Let through only the types that can answer an echo request; the
    // rest (other hosts' echo requests, redirects...) never wakes us.
    static void FilterRaw(int fd)
    {
        icmp_filter filter{};
        filter.data = ~((1U << icmp::kTypeEchoReply) | (1U << icmp::kTypeDestUnreachable) |
                        (1U << icmp::kTypeSourceQuench) | (1U << icmp::kTypeTimeExceeded) |
                        (1U << icmp::kTypeParameterProblem));
        ::setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
    }
    static icmp::Verdict Read(SocketKind kind, icmp::Bytes packet, const Address& from, const Sent& sent)
    {
        return kind == SocketKind::Raw ? icmp::ReadRawPacket(packet, sent)
                                       : icmp::ReadDatagramPacket(packet, FromSockaddr(from), sent);
    }
    static icmp::Verdict ReadError(const icmp::QueuedError& error, const Sent& sent)
    {
        return icmp::ReadQueuedError(error, sent);
    }
};

icmp6::Addr6 FromSockaddr6(const sockaddr_in6& sa)
{
    icmp6::Addr6 address{};
    std::memcpy(address.data(), &sa.sin6_addr, address.size());
    return address;
}

// What an exchange does differently over IPv6. A raw ICMPv6 socket hands
// over the message without the IPv6 header, and the kernel computes and
// checks the checksum on both socket kinds.
struct Path6 {
    using Sent = icmp6::Sent;
    using Address = sockaddr_in6;
    static constexpr int kDomain = AF_INET6;
    static constexpr int kProtocol = IPPROTO_ICMPV6;
    static constexpr int kLevel = SOL_IPV6;
    static constexpr int kRecvErr = IPV6_RECVERR;
    static constexpr std::uint8_t kIcmpOrigin = SO_EE_ORIGIN_ICMP6;

    static std::vector<std::uint8_t> Request(const Sent& sent, icmp::Bytes payload)
    {
        return icmp6::BuildEchoRequest(sent.identifier, sent.sequence, payload);
    }
    static void FilterRaw(int fd)
    {
        icmp6_filter filter;
        ICMP6_FILTER_SETBLOCKALL(&filter);
        for (const std::uint8_t type : {icmp6::kTypeEchoReply, icmp6::kTypeDestUnreachable,
                                        icmp6::kTypePacketTooBig, icmp6::kTypeTimeExceeded,
                                        icmp6::kTypeParameterProblem})
            ICMP6_FILTER_SETPASS(type, &filter);
        ::setsockopt(fd, IPPROTO_ICMPV6, ICMP6_FILTER, &filter, sizeof filter);
    }
    static icmp::Verdict Read(SocketKind kind, icmp::Bytes packet, const Address& from, const Sent& sent)
    {
        return kind == SocketKind::Raw ? icmp6::ReadRawPacket(packet, FromSockaddr6(from), sent)
                                       : icmp6::ReadDatagramPacket(packet, FromSockaddr6(from), sent);
    }
    static icmp::Verdict ReadError(const icmp::QueuedError& error, const Sent& sent)
    {
        return icmp6::ReadQueuedError(error, sent);
    }
};

// Takes the queued ICMP errors of a datagram socket (IP_RECVERR,
// IPV6_RECVERR) until one is about our request.
template <class Path>
std::optional<icmp::Verdict> DrainErrorQueue(int fd, const typename Path::Sent& sent)
{
    for (;;) {
        std::uint8_t data[1280];
        alignas(cmsghdr) std::uint8_t control[512];
        typename Path::Address offenderName{};
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
            if (c->cmsg_level != Path::kLevel || c->cmsg_type != Path::kRecvErr)
                continue;
            sock_extended_err ee;
            std::memcpy(&ee, CMSG_DATA(c), sizeof ee);
            icmp::QueuedError error;
            error.origin = ee.ee_origin == Path::kIcmpOrigin    ? icmp::QueuedError::Icmp
                           : ee.ee_origin == SO_EE_ORIGIN_LOCAL ? icmp::QueuedError::Local
                                                                : icmp::QueuedError::Other;
            error.errnoValue = static_cast<int>(ee.ee_errno);
            error.type = ee.ee_type;
            error.code = ee.ee_code;
            error.quoted = icmp::Bytes(data, static_cast<std::size_t>(n));
            const icmp::Verdict verdict = Path::ReadError(error, sent);
            if (verdict.kind != icmp::Verdict::NotOurs)
                return verdict;
        }
    }
}

// Reads what is waiting on the socket; a verdict when it answers us.
template <class Path>
std::optional<icmp::Verdict> ReadOne(int fd, SocketKind kind, const typename Path::Sent& sent)
{
    // Room for the largest IP header, the ICMP header and far more than the
    // 250 bytes of echo we ever send; anything longer is not ours anyway.
    std::uint8_t buffer[1500];
    typename Path::Address from{};
    socklen_t fromLen = sizeof from;
    const ssize_t n = ::recvfrom(fd, buffer, sizeof buffer, MSG_DONTWAIT,
                                 reinterpret_cast<sockaddr*>(&from), &fromLen);
    if (n < 0)
        return std::nullopt;  // EAGAIN, EINTR, or an error the queue reports
    const icmp::Verdict verdict = Path::Read(kind, icmp::Bytes(buffer, static_cast<std::size_t>(n)), from, sent);
    if (verdict.kind == icmp::Verdict::NotOurs)
        return std::nullopt;
    return verdict;
}

// One exchange over either family: sent holds the destination, to is its
// socket address.
template <class Path>
EchoOutcome Exchange(typename Path::Sent sent, const typename Path::Address& to,
                     std::span<const std::uint8_t> payload, std::chrono::milliseconds timeout)
{
    EchoOutcome outcome;

    SocketKind kind = SocketKind::Datagram;
    int fd = ::socket(Path::kDomain, SOCK_DGRAM | SOCK_CLOEXEC, Path::kProtocol);
    if (fd < 0) {
        const int dgramErr = errno;
        if (!RefusedByPolicy(dgramErr)) {
            outcome.status = StatusForOpenErrno(dgramErr);
            return outcome;
        }
        kind = SocketKind::Raw;
        fd = OpenRawSocket(Path::kDomain, Path::kProtocol);
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

    sent.sequence = gSequence.fetch_add(1, std::memory_order_relaxed);
    if (kind == SocketKind::Raw) {
        sent.identifier = kRawIdentifier;
        Path::FilterRaw(fd);
    } else {
        // A datagram socket hears of ICMP errors only through its error
        // queue, and only with IP_RECVERR (IPV6_RECVERR) set.
        const int on = 1;
        ::setsockopt(fd, Path::kLevel, Path::kRecvErr, &on, sizeof on);
    }

    // On a datagram socket the kernel puts its own identifier (the socket's
    // "port") and recomputes the checksum; on a raw one both go out as built.
    const std::vector<std::uint8_t> request = Path::Request(sent, payload);

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
            verdict = DrainErrorQueue<Path>(fd, sent);
        if (!verdict && (events & POLLIN))
            verdict = ReadOne<Path>(fd, kind, sent);
        if (verdict) {
            outcome.status = verdict->status;
            outcome.roundTripMs = icmp::ElapsedMs(start, Clock::now());
            return outcome;
        }
    }
}

}  // namespace

EchoOutcome EchoExchange(const icmp::Addr4& destination, std::span<const std::uint8_t> payload,
                         std::chrono::milliseconds timeout)
{
    icmp::Sent sent;
    sent.destination = destination;
    return Exchange<Path4>(sent, ToSockaddr(destination), payload, timeout);
}

EchoOutcome EchoExchange6(const icmp6::Literal& destination, std::span<const std::uint8_t> payload,
                          std::chrono::milliseconds timeout)
{
    icmp6::Sent sent;
    sent.destination = destination.address;
    sockaddr_in6 to{};
    to.sin6_family = AF_INET6;
    std::memcpy(&to.sin6_addr, destination.address.data(), destination.address.size());
    to.sin6_scope_id = destination.scope;
    return Exchange<Path6>(sent, to, payload, timeout);
}

std::optional<icmp6::Literal> ReadIpv6Literal(const std::string& text)
{
    // The C parsers would stop at a NUL and read only what stands before it.
    if (text.find('\0') != std::string::npos)
        return std::nullopt;
    const std::size_t percent = text.find('%');
    in6_addr address{};
    if (::inet_pton(AF_INET6, text.substr(0, percent).c_str(), &address) != 1)
        return std::nullopt;
    icmp6::Literal literal;
    std::memcpy(literal.address.data(), &address, literal.address.size());
    if (percent == std::string::npos)
        return literal;
    // RFC 4007: the zone names an interface, or gives its index.
    const std::string zone = text.substr(percent + 1);
    literal.scope = ::if_nametoindex(zone.c_str());
    if (literal.scope == 0 && !zone.empty() && zone.size() <= 10 &&
        zone.find_first_not_of("0123456789") == std::string::npos) {
        const unsigned long index = std::stoul(zone);
        char name[IF_NAMESIZE];
        if (index <= UINT32_MAX && ::if_indextoname(static_cast<unsigned>(index), name) != nullptr)
            literal.scope = static_cast<std::uint32_t>(index);
    }
    if (literal.scope == 0)
        return std::nullopt;
    return literal;
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

std::optional<std::string> ResolveFirstIPv6(const std::string& name)
{
    addrinfo hints{};
    hints.ai_family = AF_INET6;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0 || list == nullptr)
        return std::nullopt;
    std::optional<std::string> first;
    for (const addrinfo* ai = list; ai != nullptr && !first; ai = ai->ai_next) {
        if (ai->ai_family != AF_INET6 || ai->ai_addr == nullptr || ai->ai_addrlen < sizeof(sockaddr_in6))
            continue;
        const auto* sa = reinterpret_cast<const sockaddr_in6*>(ai->ai_addr);
        char text[INET6_ADDRSTRLEN];
        if (::inet_ntop(AF_INET6, &sa->sin6_addr, text, sizeof text) == nullptr)
            continue;
        first = text;
        char zone[IF_NAMESIZE];
        if (sa->sin6_scope_id != 0 && ::if_indextoname(sa->sin6_scope_id, zone) != nullptr)
            *first += std::string("%") + zone;
    }
    ::freeaddrinfo(list);
    return first;
}

}  // namespace basVesk::backend
