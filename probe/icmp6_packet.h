// ICMPv6 echo packets as bytes: the request, what comes back, and which
// literal addresses an echo may go to. Pure functions over byte buffers, as
// icmp_packet.h is for IPv4, so that every "is this our answer" decision
// can be fed crafted packets.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "icmp_packet.h"

namespace basVesk::icmp6 {

using icmp::Bytes;
using icmp::QueuedError;
using icmp::Verdict;
// An IPv6 address as its sixteen bytes, in wire order.
using Addr6 = std::array<std::uint8_t, 16>;

inline constexpr std::uint8_t kTypeDestUnreachable = 1;
inline constexpr std::uint8_t kTypePacketTooBig = 2;
inline constexpr std::uint8_t kTypeTimeExceeded = 3;
inline constexpr std::uint8_t kTypeParameterProblem = 4;
inline constexpr std::uint8_t kTypeEchoRequest = 128;
inline constexpr std::uint8_t kTypeEchoReply = 129;

inline constexpr std::size_t kIpHeaderSize = 40;
inline constexpr std::uint8_t kNextHeaderIcmp6 = 58;

// A literal address with its zone as an interface index, 0 for none.
struct Literal {
    Addr6 address{};
    std::uint32_t scope = 0;
};

// What the exchange under way sent.
struct Sent {
    Addr6 destination{};
    std::uint16_t identifier = 0;
    std::uint16_t sequence = 0;
};

// Whether an echo may be sent to the literal: not the unspecified address,
// not a multicast group (many would answer one request), not an IPv4
// address in IPv6 form (an ICMPv6 socket cannot reach it), and a link-local
// address only with its zone (the link is otherwise unknown).
bool Sendable(const Literal& literal);

// An echo request with its checksum left 0: the checksum covers the source
// address, which only the kernel knows, and it fills the field on both
// socket kinds.
std::vector<std::uint8_t> BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence,
                                           Bytes payload);

// A message as a raw ICMPv6 socket delivers it (no IPv6 header; the kernel
// has checked the checksum) and the address it came from. Accepts our echo
// reply and ICMPv6 errors whose invoking packet is our request.
Verdict ReadRawPacket(Bytes message, const Addr6& source, const Sent& sent);

// A message as an ICMPv6 datagram socket delivers it; the kernel has matched
// the identifier.
Verdict ReadDatagramPacket(Bytes message, const Addr6& source, const Sent& sent);

// One entry of a datagram socket's error queue (IPV6_RECVERR): the quoted
// data starts at the ICMPv6 header of our request.
Verdict ReadQueuedError(const QueuedError& error, const Sent& sent);

// Outcome code for an ICMPv6 error type and code; nothing for a type that
// says nothing about our request.
std::optional<std::int32_t> StatusForIcmpError(std::uint8_t type, std::uint8_t code);

}  // namespace basVesk::icmp6
