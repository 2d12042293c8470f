#include "icmp_packet.h"

#include <algorithm>
#include <cerrno>

#include "echo_types.h"

namespace basVesk::icmp {

namespace {

std::uint16_t Be16(Bytes data, std::size_t at)
{
    return static_cast<std::uint16_t>((data[at] << 8) | data[at + 1]);
}

void PutBe16(std::vector<std::uint8_t>& data, std::size_t at, std::uint16_t value)
{
    data[at] = static_cast<std::uint8_t>(value >> 8);
    data[at + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

Addr4 AddrAt(Bytes data, std::size_t at)
{
    return {data[at], data[at + 1], data[at + 2], data[at + 3]};
}

// An echo request header of ours: type 8, our identifier and sequence.
bool QuotesOurRequest(Bytes icmpHeader, const Sent& sent, bool checkIdentifier)
{
    if (icmpHeader.size() < kHeaderSize)
        return false;
    if (icmpHeader[0] != kTypeEchoRequest || icmpHeader[1] != 0)
        return false;
    if (checkIdentifier && Be16(icmpHeader, 4) != sent.identifier)
        return false;
    return Be16(icmpHeader, 6) == sent.sequence;
}

}  // namespace

std::uint16_t Checksum(Bytes data)
{
    std::uint32_t sum = 0;
    std::size_t i = 0;
    for (; i + 1 < data.size(); i += 2)
        sum += Be16(data, i);
    if (i < data.size())
        sum += static_cast<std::uint32_t>(data[i]) << 8;
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum & 0xFFFF);
}

std::vector<std::uint8_t> BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence,
                                           Bytes payload)
{
    std::vector<std::uint8_t> packet(kHeaderSize + payload.size(), 0);
    packet[0] = kTypeEchoRequest;
    packet[1] = 0;
    PutBe16(packet, 4, identifier);
    PutBe16(packet, 6, sequence);
    std::copy(payload.begin(), payload.end(), packet.begin() + kHeaderSize);
    PutBe16(packet, 2, Checksum(packet));
    return packet;
}

Verdict ReadRawPacket(Bytes packet, const Sent& sent)
{
    if (packet.size() < kMinIpHeaderSize || (packet[0] >> 4) != 4)
        return {};
    const std::size_t ipHeader = static_cast<std::size_t>(packet[0] & 0x0F) * 4;
    if (ipHeader < kMinIpHeaderSize || packet.size() < ipHeader + kHeaderSize)
        return {};
    // The IP total length bounds the ICMP message; a raw socket may hand us
    // more only if the link padded the frame.
    const std::size_t total = Be16(packet, 2);
    if (total < ipHeader + kHeaderSize)
        return {};
    if (total < packet.size())
        packet = packet.first(total);

    const Bytes message = packet.subspan(ipHeader);
    // Raw sockets see packets before icmp_rcv checks them, so a damaged
    // packet reaches us too.
    if (Checksum(message) != 0)
        return {};
    const std::uint8_t type = message[0];

    if (type == kTypeEchoReply) {
        if (AddrAt(packet, 12) != sent.destination)
            return {};
        if (Be16(message, 4) != sent.identifier || Be16(message, 6) != sent.sequence)
            return {};
        return {Verdict::Reply, IP_SUCCESS};
    }

    const auto status = StatusForIcmpError(type, message[1]);
    if (!status)
        return {};
    // The error quotes the IP header of our request and at least the first
    // 8 bytes after it (RFC 792), which hold our identifier and sequence.
    const Bytes quoted = message.subspan(kHeaderSize);
    if (quoted.size() < kMinIpHeaderSize || (quoted[0] >> 4) != 4)
        return {};
    const std::size_t innerHeader = static_cast<std::size_t>(quoted[0] & 0x0F) * 4;
    if (innerHeader < kMinIpHeaderSize || quoted.size() < innerHeader + kHeaderSize)
        return {};
    constexpr std::uint8_t kProtocolIcmp = 1;
    if (quoted[9] != kProtocolIcmp || AddrAt(quoted, 16) != sent.destination)
        return {};
    if (!QuotesOurRequest(quoted.subspan(innerHeader), sent, true))
        return {};
    return {Verdict::Error, *status};
}

Verdict ReadDatagramPacket(Bytes message, const Addr4& source, const Sent& sent)
{
    if (message.size() < kHeaderSize || message[0] != kTypeEchoReply)
        return {};
    if (source != sent.destination || Be16(message, 6) != sent.sequence)
        return {};
    return {Verdict::Reply, IP_SUCCESS};
}

Verdict ReadQueuedError(const QueuedError& error, const Sent& sent)
{
    switch (error.origin) {
    case QueuedError::Local:
        // Raised by this host while sending (ip_local_error, e.g. a message
        // larger than the path MTU); the socket lives for one request only,
        // so it is about ours.
        return {Verdict::Error, StatusForSendErrno(error.errnoValue)};
    case QueuedError::Icmp: {
        // The kernel found this socket by the identifier it chose, so only
        // the sequence number tells an old request from ours.
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
        case 0:   // net unreachable
        case 6:   // destination network unknown
        case 9:   // network administratively prohibited
        case 11:  // network unreachable for this type of service
            return IP_DEST_NET_UNREACHABLE;
        case 2:
            return IP_DEST_PROT_UNREACHABLE;
        case 3:
            return IP_DEST_PORT_UNREACHABLE;
        case 4:
            return IP_PACKET_TOO_BIG;
        case 5:
            return IP_BAD_ROUTE;
        default:
            // Host unreachable (1) and the codes that speak of one host:
            // unknown (7), isolated (8), prohibited (10, 13), unreachable
            // for this service type (12), precedence (14, 15), and any code
            // defined later.
            return IP_DEST_HOST_UNREACHABLE;
        }
    case kTypeTimeExceeded:
        return code == 1 ? IP_TTL_EXPIRED_REASSEM : IP_TTL_EXPIRED_TRANSIT;
    case kTypeParameterProblem:
        return IP_PARAM_PROBLEM;
    case kTypeSourceQuench:
        return IP_SOURCE_QUENCH;
    default:
        return std::nullopt;
    }
}

std::int32_t StatusForSendErrno(int err)
{
    switch (err) {
    case ENETUNREACH:
        return IP_DEST_NET_UNREACHABLE;
    case EHOSTUNREACH:
        return IP_DEST_HOST_UNREACHABLE;
    case EMSGSIZE:
        return IP_PACKET_TOO_BIG;
    case ENOBUFS:
    case ENOMEM:
        return IP_NO_RESOURCES;
    case EACCES:  // a broadcast address without SO_BROADCAST
    case EPERM:   // a firewall rule dropped it on the way out
        return IP_BAD_DESTINATION;
    default:
        return IP_GENERAL_FAILURE;
    }
}

std::int32_t ElapsedMs(std::chrono::steady_clock::time_point start, std::chrono::steady_clock::time_point end)
{
    // duration_cast truncates, which for a forward clock is down.
    return static_cast<std::int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(end - start).count());
}

}  // namespace basVesk::icmp
