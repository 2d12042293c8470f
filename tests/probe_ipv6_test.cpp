// IPv6 without a network: which texts are literals (RFC 4291, RFC 4007),
// which literals are refused before a socket opens, the ICMPv6 status table
// (RFC 4443 types and codes) and the ICMPv6 readers fed crafted messages.
#include <gtest/gtest.h>

#include <cerrno>

#include "basVesk.h"
#include "icmp6_packet.h"
#include "probe_internal.h"

namespace {

using namespace basVesk::icmp6;
using Packet = std::vector<std::uint8_t>;

TEST(Ipv6Literal, SystemParserFormsAndBadInput)
{
    const std::pair<std::string, bool> cases[] = {
        {"::1", true},
        {"2001:DB8::0001", true},  // upper case, leading zeros
        {"2001:db8:0:0:1:0:0:1", true},
        {"::ffff:192.0.2.1", true},  // IPv4 tail
        {"fe80::1%lo", true},        // zone by name
        {"fe80::1%1", true},         // zone by number: lo is 1 in every namespace
        {"0000:0000:0000:0000:0000:ffff:255.255.255.255", true},
        {"", false},
        {"127.0.0.1", false},
        {":::", false},
        {"1::2::3", false},
        {"1::2::3::4::5::6", false},
        {"::ffff:192.0.2.256", false},  // IPv4 tail out of range
        {"2001:db8::00001", false},
        {"1:2:3:4:5:6:7:8:9", false},
        {"0000:0000:0000:0000:0000:0000:0000:0000:0001", false},  // over-long
        {"fe80::1%", false},
        {"fe80::1%vesk-no-such", false},  // a zone naming no interface
        {"fe80::1%4000000", false},
        {"fe80::1%99999999999", false},
        {" ::1", false},
        {"[::1]", false},
        {std::string("::1\0:2", 6), false},  // what follows a NUL counts too
    };
    for (const auto& [text, literal] : cases)
        EXPECT_EQ(basVesk::IsIpv6Literal(text), literal) << '"' << text << '"';
}

TEST(Ipv6Literal, UnsendableLiteralsSendNothing)
{
    for (const char* text : {"::", "ff02::1", "FF05::2", "::ffff:127.0.0.1", "fe80::1", "1::2::3",
                             "fe80::1%vesk-no-such"}) {
        basVesk::EchoReply reply{12345, 678};
        basVesk::PingAddress(text, reply);
        EXPECT_EQ(reply.Status, basVesk::IP_BAD_DESTINATION) << text;
        EXPECT_EQ(reply.RoundTripTime, 0) << text;
        EXPECT_EQ(basVesk::internal::LastSocketKind(), basVesk::backend::SocketKind::None) << text;
    }
}

TEST(Icmp6Status, TableOfTypesAndCodes)
{
    struct Row {
        std::uint8_t type;
        std::uint8_t code;
        std::int32_t status;
    };
    const Row rows[] = {
        {1, 0, 11002}, {1, 1, 11004}, {1, 5, 11004}, {1, 6, 11004}, {1, 3, 11003}, {1, 4, 11005},
        {2, 0, 11009}, {3, 0, 11013}, {3, 1, 11014}, {4, 0, 11015}, {4, 2, 11015},
    };
    for (const Row& r : rows)
        EXPECT_EQ(StatusForIcmpError(r.type, r.code), r.status) << int(r.type) << "/" << int(r.code);
    for (const std::uint8_t type : {0, 128, 129, 133, 134, 137})
        EXPECT_EQ(StatusForIcmpError(type, 0), std::nullopt) << int(type);
}

const Addr6 kTarget{0xfd, 0, 0x02, 0x12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7};
const Addr6 kRouter{0xfd, 0, 0x02, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2};
const Sent kSent{kTarget, 0x1234, 0x0102};

Packet Reply(std::uint16_t identifier, std::uint16_t sequence)
{
    Packet message = BuildEchoRequest(identifier, sequence, Packet{'v', 'e'});
    message[0] = kTypeEchoReply;
    return message;
}

// An ICMPv6 error quoting a request to destination.
Packet ErrorQuoting(std::uint8_t type, std::uint8_t code, const Addr6& destination, std::uint16_t identifier,
                    std::uint16_t sequence)
{
    Packet message{type, code, 0, 0, 0, 0, 0, 0};
    Packet header(kIpHeaderSize, 0);
    header[0] = 0x60;
    header[6] = kNextHeaderIcmp6;
    std::copy(destination.begin(), destination.end(), header.begin() + 24);
    message.insert(message.end(), header.begin(), header.end());
    const Packet request = BuildEchoRequest(identifier, sequence, Packet{'v', 'e'});
    message.insert(message.end(), request.begin(), request.end());
    return message;
}

TEST(Icmp6Readers, RawReplyAndErrorsMustBeOurs)
{
    struct Case {
        const char* what;
        Packet message;
        Addr6 source;
        Verdict::Kind kind;
        std::int32_t status;
    };
    const Case cases[] = {
        {"our reply", Reply(0x1234, 0x0102), kTarget, Verdict::Reply, 0},
        {"a reply from elsewhere", Reply(0x1234, 0x0102), kRouter, Verdict::NotOurs, 0},
        {"another program's reply", Reply(0x4321, 0x0102), kTarget, Verdict::NotOurs, 0},
        {"an earlier reply", Reply(0x1234, 0x0101), kTarget, Verdict::NotOurs, 0},
        {"no route", ErrorQuoting(1, 0, kTarget, 0x1234, 0x0102), kRouter, Verdict::Error, 11002},
        {"hop limit", ErrorQuoting(3, 0, kTarget, 0x1234, 0x0102), kRouter, Verdict::Error, 11013},
        {"error for another host", ErrorQuoting(1, 0, kRouter, 0x1234, 0x0102), kRouter, Verdict::NotOurs, 0},
        {"error for another request", ErrorQuoting(1, 0, kTarget, 0x1234, 0x0103), kRouter, Verdict::NotOurs, 0},
        {"cut short", Packet{kTypeEchoReply, 0, 0, 0, 0x12}, kTarget, Verdict::NotOurs, 0},
    };
    for (const Case& c : cases) {
        const Verdict v = ReadRawPacket(c.message, c.source, kSent);
        EXPECT_EQ(v.kind, c.kind) << c.what;
        EXPECT_EQ(v.status, c.status) << c.what;
    }
}

TEST(Icmp6Readers, DatagramRepliesAndQueuedErrors)
{
    // The kernel chose the identifier: only the sequence and source count.
    EXPECT_EQ(ReadDatagramPacket(Reply(0x9999, 0x0102), kTarget, kSent).kind, Verdict::Reply);
    EXPECT_EQ(ReadDatagramPacket(Reply(0x9999, 0x0103), kTarget, kSent).kind, Verdict::NotOurs);
    EXPECT_EQ(ReadDatagramPacket(Reply(0x9999, 0x0102), kRouter, kSent).kind, Verdict::NotOurs);

    const Packet ours = BuildEchoRequest(0x9999, 0x0102, Packet{});
    const Packet older = BuildEchoRequest(0x9999, 0x0101, Packet{});
    const Verdict unreachable = ReadQueuedError({QueuedError::Icmp, 0, 1, 3, ours}, kSent);
    EXPECT_EQ(unreachable.kind, Verdict::Error);
    EXPECT_EQ(unreachable.status, basVesk::IP_DEST_HOST_UNREACHABLE);
    EXPECT_EQ(ReadQueuedError({QueuedError::Icmp, 0, 1, 3, older}, kSent).kind, Verdict::NotOurs);
    EXPECT_EQ(ReadQueuedError({QueuedError::Local, EMSGSIZE, 0, 0, {}}, kSent).status, basVesk::IP_PACKET_TOO_BIG);
}

}  // namespace
