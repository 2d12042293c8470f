// ICMP echo packets as bytes: building a request, the checksum, and reading
// what comes back. Pure functions over byte buffers, no sockets, so that
// every decision about "is this our answer" can be fed crafted packets.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace basVesk::icmp {

using Bytes = std::span<const std::uint8_t>;
// An IPv4 address as its four octets, first octet first (wire order).
using Addr4 = std::array<std::uint8_t, 4>;

inline constexpr std::uint8_t kTypeEchoReply = 0;
inline constexpr std::uint8_t kTypeDestUnreachable = 3;
inline constexpr std::uint8_t kTypeSourceQuench = 4;
inline constexpr std::uint8_t kTypeEchoRequest = 8;
inline constexpr std::uint8_t kTypeTimeExceeded = 11;
inline constexpr std::uint8_t kTypeParameterProblem = 12;

// type, code, checksum, identifier, sequence number.
inline constexpr std::size_t kHeaderSize = 8;
inline constexpr std::size_t kMinIpHeaderSize = 20;

// The Internet checksum (ones' complement of the ones' complement sum of
// 16-bit big-endian words, an odd last byte padded with zero). Returned as a
// number whose big-endian bytes go into the checksum field.
std::uint16_t Checksum(Bytes data);

// An echo request with a valid checksum. Identifier and sequence number are
// written big-endian, as on the wire.
std::vector<std::uint8_t> BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence,
                                           Bytes payload);

// What a received packet means for the exchange under way.
struct Verdict {
    enum Kind { NotOurs, Reply, Error };
    Kind kind = NotOurs;
    std::int32_t status = 0;  // 0 for Reply, the outcome code for Error
};

// What the exchange under way sent.
struct Sent {
    Addr4 destination{};
    std::uint16_t identifier = 0;
    std::uint16_t sequence = 0;
};

// A packet as a raw ICMP socket delivers it: IPv4 header first. Accepts our
// echo reply (from the destination, our identifier and sequence, valid
// checksum) and ICMP errors that quote our request to the destination.
Verdict ReadRawPacket(Bytes packet, const Sent& sent);

// A packet as an ICMP datagram socket delivers it: the ICMP message without
// the IPv4 header, and the address it came from. The kernel has already
// matched the identifier (it chose it), so only the sequence number and the
// source are ours to check.
Verdict ReadDatagramPacket(Bytes message, const Addr4& source, const Sent& sent);

// One entry of a datagram socket's error queue (IP_RECVERR), already taken
// out of its sock_extended_err.
struct QueuedError {
    enum Origin { Local, Icmp, Other };
    Origin origin = Other;
    int errnoValue = 0;
    std::uint8_t type = 0;
    std::uint8_t code = 0;
    // The queued data: for an ICMP error, the start of our request as the
    // router quoted it (the ICMP header first).
    Bytes quoted;
};
Verdict ReadQueuedError(const QueuedError& error, const Sent& sent);

// Outcome code for an ICMP error type and code; nothing for a type that
// says nothing about our request (a redirect, say).
std::optional<std::int32_t> StatusForIcmpError(std::uint8_t type, std::uint8_t code);

// Outcome code for an errno of sendto (or of a local error queued for it).
std::int32_t StatusForSendErrno(int err);

// The round trip in whole milliseconds, taken down as the system's echo
// service counts it: a loopback reply after 0.05 ms reads 0 ms, not 1.
std::int32_t ElapsedMs(std::chrono::steady_clock::time_point start, std::chrono::steady_clock::time_point end);

}  // namespace basVesk::icmp
