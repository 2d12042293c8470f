// The packet builder and the reply readers, fed crafted byte buffers.
#include <cerrno>
#include <cstdint>
#include <vector>

#include "basVesk.h"
#include "icmp_packet.h"

#include <gtest/gtest.h>

namespace {

using namespace basVesk::icmp;
using Packet = std::vector<std::uint8_t>;

const Addr4 kClient{10, 199, 1, 1};
const Addr4 kTarget{10, 199, 2, 7};
const Addr4 kRouter{10, 199, 1, 2};
const Sent kSent{kTarget, 0x1234, 0x0102};
const Packet kPayload{'v', 'e', 's', 'k', 0xE9};

void SetChecksum(Packet& message)
{
    message[2] = message[3] = 0;
    const std::uint16_t sum = Checksum(message);
    message[2] = static_cast<std::uint8_t>(sum >> 8);
    message[3] = static_cast<std::uint8_t>(sum);
}

// An IPv4 header (checksum left 0: nobody here reads it) in front of body.
Packet WithIpHeader(const Addr4& source, const Addr4& destination, const Packet& body,
                    std::size_t optionWords = 0)
{
    const std::size_t headerSize = 20 + 4 * optionWords;
    Packet packet(headerSize + body.size(), 0);
    packet[0] = static_cast<std::uint8_t>(0x40 | (headerSize / 4));
    const std::size_t total = headerSize + body.size();
    packet[2] = static_cast<std::uint8_t>(total >> 8);
    packet[3] = static_cast<std::uint8_t>(total);
    packet[8] = 64;  // TTL
    packet[9] = 1;   // ICMP
    std::copy(source.begin(), source.end(), packet.begin() + 12);
    std::copy(destination.begin(), destination.end(), packet.begin() + 16);
    std::copy(body.begin(), body.end(), packet.begin() + static_cast<long>(headerSize));
    return packet;
}

Packet EchoReplyMessage(std::uint16_t identifier, std::uint16_t sequence)
{
    Packet message = BuildEchoRequest(identifier, sequence, kPayload);
    message[0] = kTypeEchoReply;
    SetChecksum(message);
    return message;
}

// An ICMP error as a router sends it, quoting quotedBytes of our request
// (its IP header included); all of it when quotedBytes is 0.
Packet ErrorMessage(std::uint8_t type, std::uint8_t code, const Packet& request,
                    std::size_t quotedBytes = 0)
{
    Packet quoted = WithIpHeader(kClient, kTarget, request);
    if (quotedBytes != 0)
        quoted.resize(quotedBytes);
    Packet message(8 + quoted.size(), 0);
    message[0] = type;
    message[1] = code;
    std::copy(quoted.begin(), quoted.end(), message.begin() + 8);
    SetChecksum(message);
    return message;
}

Packet OurRequest() { return BuildEchoRequest(kSent.identifier, kSent.sequence, kPayload); }

// ---------------------------------------------------------------- building

TEST(IcmpChecksum, MatchesTheWorkedExample)
{
    // The example sum of RFC 1071: 0xDDF2, so the checksum is its complement.
    const Packet data{0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7};
    EXPECT_EQ(Checksum(data), 0x220D);
    // An odd last byte counts as the high byte of a word.
    EXPECT_EQ(Checksum(Packet{0x01}), 0xFEFF);
    EXPECT_EQ(Checksum(Packet{}), 0xFFFF);
}

TEST(EchoRequest, LaysOutHeaderAndPayload)
{
    const Packet request = BuildEchoRequest(0xABCD, 0x0102, kPayload);
    ASSERT_EQ(request.size(), 8 + kPayload.size());
    EXPECT_EQ(request[0], kTypeEchoRequest);
    EXPECT_EQ(request[1], 0);
    EXPECT_EQ(request[4], 0xAB) << "identifier big-endian";
    EXPECT_EQ(request[5], 0xCD);
    EXPECT_EQ(request[6], 0x01) << "sequence big-endian";
    EXPECT_EQ(request[7], 0x02);
    EXPECT_EQ(Packet(request.begin() + 8, request.end()), kPayload);
    EXPECT_EQ(Checksum(request), 0) << "a valid checksum sums to zero";

    const Packet empty = BuildEchoRequest(1, 2, {});
    EXPECT_EQ(empty.size(), 8U);
    EXPECT_EQ(Checksum(empty), 0);
}

// -------------------------------------------------------------- raw socket

TEST(RawReply, OurReplyIsAccepted)
{
    const Verdict v = ReadRawPacket(WithIpHeader(kTarget, kClient, EchoReplyMessage(0x1234, 0x0102)), kSent);
    EXPECT_EQ(v.kind, Verdict::Reply);
    EXPECT_EQ(v.status, 0);
    // IP options lengthen the header; the ICMP message follows them.
    EXPECT_EQ(ReadRawPacket(WithIpHeader(kTarget, kClient, EchoReplyMessage(0x1234, 0x0102), 2), kSent).kind,
              Verdict::Reply);
}

TEST(RawReply, OtherPeoplesPacketsAreIgnored)
{
    EXPECT_EQ(ReadRawPacket(WithIpHeader(kTarget, kClient, EchoReplyMessage(0x4321, 0x0102)), kSent).kind,
              Verdict::NotOurs) << "foreign identifier";
    EXPECT_EQ(ReadRawPacket(WithIpHeader(kRouter, kClient, EchoReplyMessage(0x1234, 0x0102)), kSent).kind,
              Verdict::NotOurs) << "foreign source";
    EXPECT_EQ(ReadRawPacket(WithIpHeader(kTarget, kClient, EchoReplyMessage(0x1234, 0x0101)), kSent).kind,
              Verdict::NotOurs) << "an earlier sequence";
    EXPECT_EQ(ReadRawPacket(WithIpHeader(kClient, kTarget, OurRequest()), kSent).kind, Verdict::NotOurs)
        << "our own request, as loopback shows it";

    Packet damaged = WithIpHeader(kTarget, kClient, EchoReplyMessage(0x1234, 0x0102));
    damaged.back() ^= 0x01;
    EXPECT_EQ(ReadRawPacket(damaged, kSent).kind, Verdict::NotOurs) << "bad checksum";

    Packet ipv6ish = WithIpHeader(kTarget, kClient, EchoReplyMessage(0x1234, 0x0102));
    ipv6ish[0] = 0x65;
    EXPECT_EQ(ReadRawPacket(ipv6ish, kSent).kind, Verdict::NotOurs) << "not IPv4";
}

TEST(RawReply, TruncatedPacketsAreIgnored)
{
    const Packet full = WithIpHeader(kTarget, kClient, EchoReplyMessage(0x1234, 0x0102));
    for (const std::size_t size : {std::size_t{0}, std::size_t{10}, std::size_t{20}, std::size_t{27}}) {
        const Packet cut(full.begin(), full.begin() + static_cast<long>(size));
        EXPECT_EQ(ReadRawPacket(cut, kSent).kind, Verdict::NotOurs) << size << " bytes";
    }
    Packet badHeaderLength = full;
    badHeaderLength[0] = 0x44;  // 16 bytes: shorter than any IPv4 header
    EXPECT_EQ(ReadRawPacket(badHeaderLength, kSent).kind, Verdict::NotOurs);
    Packet shortTotal = full;
    shortTotal[2] = 0;
    shortTotal[3] = 24;  // says the ICMP header does not fit
    EXPECT_EQ(ReadRawPacket(shortTotal, kSent).kind, Verdict::NotOurs);
}

TEST(RawReply, LinkPaddingBeyondTheTotalLengthIsIgnored)
{
    Packet padded = WithIpHeader(kTarget, kClient, EchoReplyMessage(0x1234, 0x0102));
    padded.insert(padded.end(), {0, 0, 0, 0, 0, 0});
    EXPECT_EQ(ReadRawPacket(padded, kSent).kind, Verdict::Reply);
}

TEST(RawError, ErrorQuotingOurRequestGivesItsStatus)
{
    const Verdict v = ReadRawPacket(WithIpHeader(kRouter, kClient, ErrorMessage(3, 1, OurRequest())), kSent);
    EXPECT_EQ(v.kind, Verdict::Error);
    EXPECT_EQ(v.status, basVesk::IP_DEST_HOST_UNREACHABLE);

    // RFC 792 routers quote only the IP header and 8 bytes: enough.
    EXPECT_EQ(ReadRawPacket(WithIpHeader(kRouter, kClient, ErrorMessage(11, 0, OurRequest(), 28)), kSent).status,
              basVesk::IP_TTL_EXPIRED_TRANSIT);
    EXPECT_EQ(ReadRawPacket(WithIpHeader(kRouter, kClient, ErrorMessage(11, 1, OurRequest())), kSent).status,
              basVesk::IP_TTL_EXPIRED_REASSEM);
    EXPECT_EQ(ReadRawPacket(WithIpHeader(kRouter, kClient, ErrorMessage(12, 0, OurRequest())), kSent).status,
              basVesk::IP_PARAM_PROBLEM);
    EXPECT_EQ(ReadRawPacket(WithIpHeader(kRouter, kClient, ErrorMessage(4, 0, OurRequest())), kSent).status,
              basVesk::IP_SOURCE_QUENCH);
    // Sent by the target itself.
    EXPECT_EQ(ReadRawPacket(WithIpHeader(kTarget, kClient, ErrorMessage(3, 2, OurRequest())), kSent).status,
              basVesk::IP_DEST_PROT_UNREACHABLE);
}

TEST(RawError, ErrorsAboutOtherRequestsAreIgnored)
{
    EXPECT_EQ(ReadRawPacket(WithIpHeader(kRouter, kClient,
                                         ErrorMessage(3, 1, BuildEchoRequest(0x9999, kSent.sequence, kPayload))),
                            kSent).kind,
              Verdict::NotOurs) << "foreign identifier";
    EXPECT_EQ(ReadRawPacket(WithIpHeader(kRouter, kClient,
                                         ErrorMessage(3, 1, BuildEchoRequest(kSent.identifier, 7, kPayload))),
                            kSent).kind,
              Verdict::NotOurs) << "another sequence";

    const Sent elsewhere{kRouter, kSent.identifier, kSent.sequence};
    EXPECT_EQ(ReadRawPacket(WithIpHeader(kRouter, kClient, ErrorMessage(3, 1, OurRequest())), elsewhere).kind,
              Verdict::NotOurs) << "our request to another destination";

    Packet udp = ErrorMessage(3, 3, OurRequest());
    udp[8 + 9] = 17;  // the quoted packet was UDP
    SetChecksum(udp);
    EXPECT_EQ(ReadRawPacket(WithIpHeader(kRouter, kClient, udp), kSent).kind, Verdict::NotOurs);

    EXPECT_EQ(ReadRawPacket(WithIpHeader(kRouter, kClient, ErrorMessage(5, 1, OurRequest())), kSent).kind,
              Verdict::NotOurs) << "a redirect tells nothing about the outcome";
}

TEST(RawError, TruncatedQuotesAreIgnored)
{
    for (const std::size_t quoted : {std::size_t{12}, std::size_t{20}, std::size_t{27}}) {
        const Packet packet = WithIpHeader(kRouter, kClient, ErrorMessage(3, 1, OurRequest(), quoted));
        EXPECT_EQ(ReadRawPacket(packet, kSent).kind, Verdict::NotOurs) << quoted << " bytes quoted";
    }
    // The quoted header claims options that are not there.
    Packet lying = ErrorMessage(3, 1, OurRequest(), 28);
    lying[8] = 0x4F;
    SetChecksum(lying);
    EXPECT_EQ(ReadRawPacket(WithIpHeader(kRouter, kClient, lying), kSent).kind, Verdict::NotOurs);
    // An error header with nothing quoted at all.
    Packet bare{3, 1, 0, 0, 0, 0, 0, 0};
    SetChecksum(bare);
    EXPECT_EQ(ReadRawPacket(WithIpHeader(kRouter, kClient, bare), kSent).kind, Verdict::NotOurs);
}

// --------------------------------------------------------- datagram socket

TEST(DatagramReply, MatchesBySequenceAndSource)
{
    // The kernel wrote its own identifier into the request; the reply
    // carries that one, not ours.
    const Packet reply = EchoReplyMessage(0x7777, kSent.sequence);
    EXPECT_EQ(ReadDatagramPacket(reply, kTarget, kSent).kind, Verdict::Reply);
    EXPECT_EQ(ReadDatagramPacket(EchoReplyMessage(0x7777, 0x0101), kTarget, kSent).kind, Verdict::NotOurs)
        << "an earlier sequence";
    EXPECT_EQ(ReadDatagramPacket(reply, kRouter, kSent).kind, Verdict::NotOurs) << "foreign source";
    EXPECT_EQ(ReadDatagramPacket(Packet(reply.begin(), reply.begin() + 7), kTarget, kSent).kind,
              Verdict::NotOurs) << "truncated";
    EXPECT_EQ(ReadDatagramPacket(OurRequest(), kTarget, kSent).kind, Verdict::NotOurs) << "not a reply";
}

TEST(DatagramError, QueuedIcmpErrorMatchesBySequence)
{
    const Packet request = BuildEchoRequest(0x7777, kSent.sequence, kPayload);
    QueuedError error{QueuedError::Icmp, EHOSTUNREACH, 3, 1, request};
    Verdict v = ReadQueuedError(error, kSent);
    EXPECT_EQ(v.kind, Verdict::Error);
    EXPECT_EQ(v.status, basVesk::IP_DEST_HOST_UNREACHABLE);

    error.type = 11;
    error.code = 0;
    EXPECT_EQ(ReadQueuedError(error, kSent).status, basVesk::IP_TTL_EXPIRED_TRANSIT);

    const Packet other = BuildEchoRequest(0x7777, 0x0101, kPayload);
    EXPECT_EQ(ReadQueuedError({QueuedError::Icmp, EHOSTUNREACH, 3, 1, other}, kSent).kind, Verdict::NotOurs)
        << "about an earlier request";
    EXPECT_EQ(ReadQueuedError({QueuedError::Icmp, EHOSTUNREACH, 3, 1, Bytes(request).first(7)}, kSent).kind,
              Verdict::NotOurs) << "quote cut short";
    EXPECT_EQ(ReadQueuedError({QueuedError::Icmp, 0, 5, 1, request}, kSent).kind, Verdict::NotOurs)
        << "redirect";
    EXPECT_EQ(ReadQueuedError({QueuedError::Other, EIO, 0, 0, request}, kSent).kind, Verdict::NotOurs);
}

TEST(DatagramError, LocalErrorTakesTheSendErrnoCode)
{
    const Verdict v = ReadQueuedError({QueuedError::Local, EMSGSIZE, 0, 0, {}}, kSent);
    EXPECT_EQ(v.kind, Verdict::Error);
    EXPECT_EQ(v.status, basVesk::IP_PACKET_TOO_BIG);
}

// ------------------------------------------------------------- code tables

// What each ICMP error says of the request (destination unreachable: RFC
// 792 codes 0 to 5, RFC 1122 3.2.2.1 codes 6 to 12, RFC 1812 5.2.7.1 codes
// 13 to 15), read from a raw socket and from a datagram socket's queue.
struct IcmpCase {
    std::uint8_t type;
    std::vector<std::uint8_t> codes;
    std::optional<std::int32_t> status;  // none: not about the request
    const char* meaning;
};
const IcmpCase kIcmpCases[] = {
    {3, {0, 6, 9, 11}, basVesk::IP_DEST_NET_UNREACHABLE, "net unreachable, unknown, prohibited, or for the TOS"},
    {3, {1, 7, 8, 10, 12, 13, 14, 15, 200}, basVesk::IP_DEST_HOST_UNREACHABLE,
     "host unreachable, unknown, isolated, prohibited, or for the TOS; precedence; a later code"},
    {3, {2}, basVesk::IP_DEST_PROT_UNREACHABLE, "protocol unreachable"},
    {3, {3}, basVesk::IP_DEST_PORT_UNREACHABLE, "port unreachable"},
    {3, {4}, basVesk::IP_PACKET_TOO_BIG, "fragmentation needed and DF set"},
    {3, {5}, basVesk::IP_BAD_ROUTE, "source route failed"},
    {11, {0}, basVesk::IP_TTL_EXPIRED_TRANSIT, "time to live exceeded in transit"},
    {11, {1}, basVesk::IP_TTL_EXPIRED_REASSEM, "fragment reassembly time exceeded"},
    {12, {0}, basVesk::IP_PARAM_PROBLEM, "parameter problem"},
    {4, {0}, basVesk::IP_SOURCE_QUENCH, "source quench"},
    {5, {1}, std::nullopt, "redirect"},
    // ICMPv6 rows (RFC 4443) go here once the probe reads ICMPv6: destination
    // unreachable (1) codes 0 no route, 1 prohibited, 2 beyond the source's
    // scope, 3 address unreachable, 4 port unreachable, 5 and 6 policy.
};
// What each errno of sendto says, sent or queued on a datagram socket.
const std::pair<int, std::int32_t> kSendErrnos[] = {
    {ENETUNREACH, basVesk::IP_DEST_NET_UNREACHABLE}, {EHOSTUNREACH, basVesk::IP_DEST_HOST_UNREACHABLE},
    {EMSGSIZE, basVesk::IP_PACKET_TOO_BIG}, {ENOBUFS, basVesk::IP_NO_RESOURCES}, {ENOMEM, basVesk::IP_NO_RESOURCES},
    {EACCES, basVesk::IP_BAD_DESTINATION},  // a broadcast address
    {EPERM, basVesk::IP_BAD_DESTINATION},   // a firewall rule
    {EINVAL, basVesk::IP_GENERAL_FAILURE}};  // no code of its own

TEST(ErrorStatus, EachCodeAndErrnoBringsTheStatusOfItsMeaning)
{
    for (const IcmpCase& c : kIcmpCases)
        for (const std::uint8_t code : c.codes) {
            SCOPED_TRACE(c.meaning + (", code " + std::to_string(code)));
            const Packet error = ErrorMessage(c.type, code, OurRequest());
            for (const Verdict v : {ReadRawPacket(WithIpHeader(kRouter, kClient, error), kSent),
                                    ReadQueuedError({QueuedError::Icmp, 0, c.type, code, OurRequest()}, kSent)})
                EXPECT_EQ(v.kind == Verdict::Error ? std::optional(v.status) : std::nullopt, c.status);
        }
    for (const auto& [err, status] : kSendErrnos) {
        EXPECT_EQ(StatusForSendErrno(err), status) << err;
        EXPECT_EQ(ReadQueuedError({QueuedError::Local, err, 0, 0, {}}, kSent).status, status) << err;
    }
}

TEST(RoundTrip, ElapsedMsTakesTheMillisecondsDown)
{
    const std::chrono::steady_clock::time_point start{};
    EXPECT_EQ(ElapsedMs(start, start + std::chrono::microseconds(999)), 0);
    EXPECT_EQ(ElapsedMs(start, start + std::chrono::microseconds(1000)), 1);
    EXPECT_EQ(ElapsedMs(start, start + std::chrono::microseconds(1999)), 1);
}

}  // namespace
