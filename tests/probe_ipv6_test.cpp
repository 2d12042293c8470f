// IPv6 without a network: which texts are literals (RFC 4291, RFC 4007),
// which literals are refused before a socket opens, the ICMPv6 status table
// (RFC 4443 types and codes) and the raw socket's reader fed crafted
// messages (the datagram socket's readers are proved live).
#include <gtest/gtest.h>

#include "basVesk.h"
#include "icmp6_packet.h"
#include "probe_internal.h"

namespace {

using namespace basVesk::icmp6;
using Packet = std::vector<std::uint8_t>;

TEST(Ipv6Literal, SystemParserFormsAndBadInput)
{
    // Upper case and leading zeros, an IPv4 tail, a zone by name and by
    // number (lo is 1 in every namespace).
    for (const char* text : {"::1", "2001:DB8::0001", "2001:db8:0:0:1:0:0:1", "::ffff:192.0.2.1", "fe80::1%lo",
                             "fe80::1%1", "0000:0000:0000:0000:0000:ffff:255.255.255.255"})
        EXPECT_TRUE(basVesk::IsIpv6Literal(text)) << text;
    // Over-long, a zone naming no interface, an IPv4 tail out of range; and
    // what follows a NUL counts too.
    for (const std::string& text :
         {std::string(), std::string("127.0.0.1"), std::string(":::"), std::string("1::2::3::4::5::6"),
          std::string("::ffff:192.0.2.256"), std::string("2001:db8::00001"), std::string("1:2:3:4:5:6:7:8:9"),
          std::string("0000:0000:0000:0000:0000:0000:0000:0000:0001"), std::string("fe80::1%"),
          std::string("fe80::1%vesk-no-such"), std::string("fe80::1%4000000"), std::string(" ::1"),
          std::string("[::1]"), std::string("::1\0:2", 6)})
        EXPECT_FALSE(basVesk::IsIpv6Literal(text)) << '"' << text << '"';
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

// An echo reply of ours, or an error of type (code 0) that quotes our
// request to destination behind its IPv6 header.
Packet Message(std::uint8_t type, const Addr6& destination, std::uint16_t identifier, std::uint16_t sequence)
{
    Packet echo = BuildEchoRequest(identifier, sequence, Packet{'v', 'e'});
    if (type == kTypeEchoReply) {
        echo[0] = type;
        return echo;
    }
    Packet message{type, 0, 0, 0, 0, 0, 0, 0, 0x60, 0, 0, 0, 0, 0, kNextHeaderIcmp6};
    message.resize(8 + 24);
    message.insert(message.end(), destination.begin(), destination.end());
    message.insert(message.end(), echo.begin(), echo.end());
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
        {"our reply", Message(kTypeEchoReply, kTarget, 0x1234, 0x0102), kTarget, Verdict::Reply, 0},
        {"a reply from elsewhere", Message(kTypeEchoReply, kTarget, 0x1234, 0x0102), kRouter, Verdict::NotOurs, 0},
        {"another program's reply", Message(kTypeEchoReply, kTarget, 0x4321, 0x0102), kTarget, Verdict::NotOurs, 0},
        {"an earlier reply", Message(kTypeEchoReply, kTarget, 0x1234, 0x0101), kTarget, Verdict::NotOurs, 0},
        {"no route", Message(1, kTarget, 0x1234, 0x0102), kRouter, Verdict::Error, 11002},
        {"error for another host", Message(1, kRouter, 0x1234, 0x0102), kRouter, Verdict::NotOurs, 0},
        {"error for another request", Message(1, kTarget, 0x1234, 0x0103), kRouter, Verdict::NotOurs, 0},
        {"cut short", Packet{kTypeEchoReply, 0, 0, 0, 0x12}, kTarget, Verdict::NotOurs, 0},
    };
    for (const Case& c : cases) {
        const Verdict v = ReadRawPacket(c.message, c.source, kSent);
        EXPECT_EQ(v.kind, c.kind) << c.what;
        EXPECT_EQ(v.status, c.status) << c.what;
    }
}

}  // namespace
