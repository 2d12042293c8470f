// The Windows backend: ICMP echo through the system's ICMP echo service
// (IcmpCreateFile, IcmpSendEcho, IcmpCloseHandle from iphlpapi), the socket
// layer started and stopped with WSAStartup and WSACleanup, and name lookup
// through gethostbyname. Every Windows call of the probe lives in this file.
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
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

namespace basVesk::backend {

namespace {

// Closes the ICMP handle of one exchange however the exchange ends.
class IcmpHandle {
public:
    IcmpHandle() : handle_(::IcmpCreateFile()) {}
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

}  // namespace

EchoOutcome EchoExchange(const icmp::Addr4& destination, std::span<const std::uint8_t> payload,
                         std::chrono::milliseconds timeout)
{
    EchoOutcome outcome;
    const IcmpHandle handle;
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

}  // namespace basVesk::backend
