// What one echo exchange gives back and what the socket layer reports:
// the bottom of the probe, shared by the backends, the packet readers and
// basVesk.h, and needing none of them.
#pragma once

#include <cstdint>

namespace basVesk {

// The part of an echo outcome that vesk reads. The caller zero-fills it
// before each exchange, so a field the probe leaves alone reads as 0.
struct EchoReply {
    std::int32_t Status = 0;         // one of the codes of StatusText
    std::int32_t RoundTripTime = 0;  // ms, rounded down
};

// Outcome codes.
inline constexpr std::int32_t IP_SUCCESS = 0;
inline constexpr std::int32_t IP_BUF_TOO_SMALL = 11001;
inline constexpr std::int32_t IP_DEST_NET_UNREACHABLE = 11002;
inline constexpr std::int32_t IP_DEST_HOST_UNREACHABLE = 11003;
inline constexpr std::int32_t IP_DEST_PROT_UNREACHABLE = 11004;
inline constexpr std::int32_t IP_DEST_PORT_UNREACHABLE = 11005;
inline constexpr std::int32_t IP_NO_RESOURCES = 11006;
inline constexpr std::int32_t IP_PACKET_TOO_BIG = 11009;
inline constexpr std::int32_t IP_REQ_TIMED_OUT = 11010;
inline constexpr std::int32_t IP_BAD_ROUTE = 11012;
inline constexpr std::int32_t IP_TTL_EXPIRED_TRANSIT = 11013;
inline constexpr std::int32_t IP_TTL_EXPIRED_REASSEM = 11014;
inline constexpr std::int32_t IP_PARAM_PROBLEM = 11015;
inline constexpr std::int32_t IP_SOURCE_QUENCH = 11016;
inline constexpr std::int32_t IP_BAD_DESTINATION = 11018;
inline constexpr std::int32_t IP_GENERAL_FAILURE = 11050;

// Room for the echoed data in a reply; a longer payload cannot come back.
inline constexpr int kReplyDataArea = 250;

// What a platform's socket library reports at start-up: the start call's
// result, the version it will use (major in the low byte, minor in the high
// byte) and how many sockets a process may open.
struct SocketsReport {
    int startupResult = 0;
    std::uint16_t wVersion = 0x0101;
    int iMaxSockets = 1;
};

}  // namespace basVesk
