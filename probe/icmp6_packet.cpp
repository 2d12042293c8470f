#include "icmp6_packet.h"

#include <algorithm>

#include "echo_types.h"

namespace basVesk::icmp6 {

namespace {

std::uint16_t Be16(Bytes data, std::size_t at)
{
    return static_cast<std::uint16_t>((data[at] << 8) | data[at + 1]);
}

Addr6 AddrAt(Bytes data, std::size_t at)
{
    Addr6 address{};
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at), address.size(), address.begin());
    return address;
}

bool QuotesOurRequest(Bytes icmpHeader, const Sent& sent, bool checkIdentifier)
{
    if (icmpHeader.size() < icmp::kHeaderSize)
        return false;
    if (icmpHeader[0] != kTypeEchoRequest || icmpHeader[1] != 0)
        return false;
    if (checkIdentifier && Be16(icmpHeader, 4) != sent.identifier)
        return false;
    return Be16(icmpHeader, 6) == sent.sequence;
}

}  // namespace

bool Sendable(const Literal& literal)
{
    const Addr6& a = literal.address;
    if (std::all_of(a.begin(), a.end(), [](std::uint8_t b) { return b == 0; }))
        return false;
    if (a[0] == 0xFF)
        return false;
    const bool mapped = std::all_of(a.begin(), a.begin() + 10, [](std::uint8_t b) { return b == 0; }) &&
                        a[10] == 0xFF && a[11] == 0xFF;
    if (mapped)
        return false;
    const bool linkLocal = a[0] == 0xFE && (a[1] & 0xC0) == 0x80;
    return !linkLocal || literal.scope != 0;
}

std::vector<std::uint8_t> BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence,
                                           Bytes payload)
{
    std::vector<std::uint8_t> packet(icmp::kHeaderSize + payload.size(), 0);
    packet[0] = kTypeEchoRequest;
    packet[4] = static_cast<std::uint8_t>(identifier >> 8);
    packet[5] = static_cast<std::uint8_t>(identifier);
    packet[6] = static_cast<std::uint8_t>(sequence >> 8);
    packet[7] = static_cast<std::uint8_t>(sequence);
    std::copy(payload.begin(), payload.end(), packet.begin() + icmp::kHeaderSize);
    return packet;
}

Verdict ReadRawPacket(Bytes message, const Addr6& source, const Sent& sent)
{
    if (message.size() < icmp::kHeaderSize)
        return {};
    const std::uint8_t type = message[0];
    if (type == kTypeEchoReply) {
        if (message[1] != 0 || source != sent.destination)
            return {};
        if (Be16(message, 4) != sent.identifier || Be16(message, 6) != sent.sequence)
            return {};
        return {Verdict::Reply, IP_SUCCESS};
    }
    const auto status = StatusForIcmpError(type, message[1]);
    if (!status)
        return {};
    // The error quotes as much of our request as fits (RFC 4443): its IPv6
    // header, which carries no extension header, then our echo header.
    const Bytes quoted = message.subspan(icmp::kHeaderSize);
    if (quoted.size() < kIpHeaderSize + icmp::kHeaderSize || (quoted[0] >> 4) != 6)
        return {};
    if (quoted[6] != kNextHeaderIcmp6 || AddrAt(quoted, 24) != sent.destination)
        return {};
    if (!QuotesOurRequest(quoted.subspan(kIpHeaderSize), sent, true))
        return {};
    return {Verdict::Error, *status};
}

Verdict ReadDatagramPacket(Bytes message, const Addr6& source, const Sent& sent)
{
    if (message.size() < icmp::kHeaderSize || message[0] != kTypeEchoReply)
        return {};
    if (source != sent.destination || Be16(message, 6) != sent.sequence)
        return {};
    return {Verdict::Reply, IP_SUCCESS};
}

Verdict ReadQueuedError(const QueuedError& error, const Sent& sent)
{
    switch (error.origin) {
    case QueuedError::Local:
        return {Verdict::Error, icmp::StatusForSendErrno(error.errnoValue)};
    case QueuedError::Icmp: {
        if (!QuotesOurRequest(error.quoted, sent, false))
            return {};
        const auto status = StatusForIcmpError(error.type, error.code);
        if (!status)
            return {};
        return {Verdict::Error, *status};
    }
    case QueuedError::Other:
        break;
    }
    return {};
}

std::optional<std::int32_t> StatusForIcmpError(std::uint8_t type, std::uint8_t code)
{
    switch (type) {
    case kTypeDestUnreachable:
        switch (code) {
        case 0:  // no route to destination
            return IP_DEST_NET_UNREACHABLE;
        case 1:  // administratively prohibited
        case 5:  // source address failed ingress/egress policy
        case 6:  // reject route to destination
            return IP_DEST_PROT_UNREACHABLE;
        case 4:
            return IP_DEST_PORT_UNREACHABLE;
        default:
            // Address unreachable (3), beyond the scope of the source (2)
            // and any code defined later: the one host cannot be reached.
            return IP_DEST_HOST_UNREACHABLE;
        }
    case kTypePacketTooBig:
        return IP_PACKET_TOO_BIG;
    case kTypeTimeExceeded:
        return code == 1 ? IP_TTL_EXPIRED_REASSEM : IP_TTL_EXPIRED_TRANSIT;
    case kTypeParameterProblem:
        return IP_PARAM_PROBLEM;
    default:
        return std::nullopt;
    }
}

}  // namespace basVesk::icmp6
