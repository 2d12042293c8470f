// The Windows backend: ICMP echo through the system's ICMP echo service
// (IcmpCreateFile, IcmpSendEcho, IcmpCloseHandle from iphlpapi; for IPv6
// Icmp6CreateFile and Icmp6SendEcho2), the socket layer started and stopped
// with WSAStartup and WSACleanup, IPv6 literals read by inet_pton and
// if_nametoindex, and name lookup through gethostbyname (getaddrinfo for
// IPv6). Every Windows call of the probe lives in this file.
//
// Under wine the service is wine's own, on Linux sockets: without a raw
// socket it reports an unreachable host as 11010, and without any ICMP
// socket IcmpSendEcho fails with status 5 (ERROR_ACCESS_DENIED); see
// tests/windows/wine_lab_test.cpp.
#include <cstring>

// Before the Windows headers: ipexport.h defines the IP_ status names as
// macros, which would break echo_types.h's constants of the same names. The
// one this file needs is taken while the name is still basVesk's.
#include "echo_backend.h"
#include "echo_types.h"

namespace {
constexpr std::int32_t kGeneralFailure = basVesk::IP_GENERAL_FAILURE;
}

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

namespace basVesk::backend {

namespace {

// Closes the ICMP handle of one exchange however the exchange ends.
class IcmpHandle {
public:
    explicit IcmpHandle(HANDLE handle) : handle_(handle) {}
    ~IcmpHandle()
    {
        if (valid())
            ::IcmpCloseHandle(handle_);
    }
    IcmpHandle(const IcmpHandle&) = delete;
    IcmpHandle& operator=(const IcmpHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// The service writes one ICMP_ECHO_REPLY and the echoed data after it, and
// asks for 8 bytes more than that, the size of an ICMP error message.
constexpr std::size_t kReplyBufferSize =
    sizeof(ICMP_ECHO_REPLY) + static_cast<std::size_t>(kReplyDataArea) + 8;

// An IPv6 reply (ICMPV6_ECHO_REPLY, which mingw-w64's headers lack): the
// source as a packed IPV6_ADDRESS_EX of 26 bytes, then Status and
// RoundTripTime, 4 bytes each on 4-byte bounds; the echoed data follows,
// with the same 8 bytes of room.
constexpr std::size_t kReply6StatusAt = 28;
constexpr std::size_t kReply6RoundTripAt = 32;
constexpr std::size_t kReply6BufferSize = 36 + static_cast<std::size_t>(kReplyDataArea) + 8;

}  // namespace

EchoOutcome EchoExchange(const icmp::Addr4& destination, std::span<const std::uint8_t> payload,
                         std::chrono::milliseconds timeout)
{
    EchoOutcome outcome;
    const IcmpHandle handle(::IcmpCreateFile());
    if (!handle.valid()) {
        outcome.status = kGeneralFailure;
        return outcome;
    }
    outcome.kind = SocketKind::Service;

    IPAddr address;  // network order, as the octets stand
    std::memcpy(&address, destination.data(), sizeof address);

    // Pointers in ICMP_ECHO_REPLY want the buffer aligned as the structure.
    alignas(ICMP_ECHO_REPLY) unsigned char buffer[kReplyBufferSize] = {};
    // The request data is read only; the service's signature does not say so.
    void* request = const_cast<std::uint8_t*>(payload.data());
    const DWORD replies =
        ::IcmpSendEcho(handle.get(), address, request, static_cast<WORD>(payload.size()), nullptr,
                       buffer, static_cast<DWORD>(sizeof buffer), static_cast<DWORD>(timeout.count()));
    if (replies == 0) {
        // No reply came back; the reason is in the last error (11010 for a
        // timeout). A service that gives none must not read as success.
        const DWORD error = ::GetLastError();
        outcome.status = error != 0 ? static_cast<std::int32_t>(error) : kGeneralFailure;
        return outcome;
    }
    ICMP_ECHO_REPLY reply;
    std::memcpy(&reply, buffer, sizeof reply);
    outcome.status = static_cast<std::int32_t>(reply.Status);
    outcome.roundTripMs = static_cast<std::int32_t>(reply.RoundTripTime);
    return outcome;
}

EchoOutcome EchoExchange6(const icmp6::Literal& destination, std::span<const std::uint8_t> payload,
                          std::chrono::milliseconds timeout)
{
    EchoOutcome outcome;
    // Fails where the system offers no IPv6 echo (wine, for one).
    const IcmpHandle handle(::Icmp6CreateFile());
    if (!handle.valid()) {
        outcome.status = kGeneralFailure;
        return outcome;
    }
    outcome.kind = SocketKind::Service;

    sockaddr_in6 source{};  // any: the service chooses
    source.sin6_family = AF_INET6;
    sockaddr_in6 to{};
    to.sin6_family = AF_INET6;
    std::memcpy(&to.sin6_addr, destination.address.data(), destination.address.size());
    to.sin6_scope_id = destination.scope;

    alignas(8) unsigned char buffer[kReply6BufferSize] = {};
    void* request = const_cast<std::uint8_t*>(payload.data());
    const DWORD replies = ::Icmp6SendEcho2(handle.get(), nullptr, nullptr, nullptr, &source, &to, request,
                                           static_cast<WORD>(payload.size()), nullptr, buffer,
                                           static_cast<DWORD>(sizeof buffer), static_cast<DWORD>(timeout.count()));
    if (replies == 0) {
        const DWORD error = ::GetLastError();
        outcome.status = error != 0 ? static_cast<std::int32_t>(error) : kGeneralFailure;
        return outcome;
    }
    ULONG status;
    unsigned int roundTrip;
    std::memcpy(&status, buffer + kReply6StatusAt, sizeof status);
    std::memcpy(&roundTrip, buffer + kReply6RoundTripAt, sizeof roundTrip);
    outcome.status = static_cast<std::int32_t>(status);
    outcome.roundTripMs = static_cast<std::int32_t>(roundTrip);
    return outcome;
}

std::optional<icmp6::Literal> ReadIpv6Literal(const std::string& text)
{
    // The C parsers would stop at a NUL and read only what stands before it.
    if (text.find('\0') != std::string::npos)
        return std::nullopt;
    const std::size_t percent = text.find('%');
    IN6_ADDR address{};
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
        const unsigned long long index = std::stoull(zone);
        char name[IF_MAX_STRING_SIZE + 1];
        if (index <= 0xFFFFFFFFULL && ::if_indextoname(static_cast<NET_IFINDEX>(index), name) != nullptr)
            literal.scope = static_cast<std::uint32_t>(index);
    }
    if (literal.scope == 0)
        return std::nullopt;
    return literal;
}

SocketsReport StartSocketLayer()
{
    WSADATA data;
    std::memset(&data, 0, sizeof data);
    SocketsReport report;
    report.startupResult = ::WSAStartup(MAKEWORD(1, 1), &data);
    // Asked for 1.x, the layer gives a real socket count (from 2.0 on it
    // gives 0, which the check would refuse).
    report.wVersion = data.wVersion;
    report.iMaxSockets = data.iMaxSockets;
    return report;
}

int StopSocketLayer() { return ::WSACleanup(); }

std::optional<icmp::Addr4> ResolveFirstIPv4(const std::string& name)
{
    // Needs a started socket layer (StartSocketsQuiet); without one it
    // fails with WSANOTINITIALISED and the name does not resolve.
    const hostent* host = ::gethostbyname(name.c_str());
    if (host == nullptr || host->h_addrtype != AF_INET || host->h_length != 4 ||
        host->h_addr_list == nullptr || host->h_addr_list[0] == nullptr)
        return std::nullopt;
    icmp::Addr4 address{};
    std::memcpy(address.data(), host->h_addr_list[0], address.size());
    return address;
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
        if (sa->sin6_scope_id != 0) {
            *first += '%';
            *first += std::to_string(sa->sin6_scope_id);
        }
    }
    ::freeaddrinfo(list);
    return first;
}

}  // namespace basVesk::backend
