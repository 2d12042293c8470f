// The probe without the network: address conversion, status texts, the
// socket start-up checks, the payload image, and the exchanges that end
// before any socket opens.
#include <climits>
#include <cstdint>

#include "basVesk.h"
#include "probe_internal.h"

#include <gtest/gtest.h>

namespace {

using basVesk::IpTextToAddr;
using basVesk::backend::SocketKind;

std::int32_t Addr(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d)
{
    return static_cast<std::int32_t>(a | (b << 8) | (c << 16) | (static_cast<std::uint32_t>(d) << 24));
}

// ------------------------------------------------------------ IpTextToAddr

TEST(IpTextToAddr, FirstOctetLandsInTheLowestByte)
{
    EXPECT_EQ(IpTextToAddr("192.168.0.1"), 0x0100A8C0);
    EXPECT_EQ(IpTextToAddr("10.0.0.1"), Addr(10, 0, 0, 1));
    EXPECT_EQ(IpTextToAddr("127.0.0.1"), Addr(127, 0, 0, 1));
    // A fourth octet of 128 or more makes the value negative.
    EXPECT_EQ(IpTextToAddr("1.2.3.255"), static_cast<std::int32_t>(0xFF030201U));
    EXPECT_EQ(IpTextToAddr("255.255.255.255"), -1);
}

TEST(IpTextToAddr, OctetIsTheLowestEightBitsOfEachPart)
{
    EXPECT_EQ(IpTextToAddr("256.1.2.3"), Addr(0, 1, 2, 3));
    EXPECT_EQ(IpTextToAddr("300.1.2.3"), Addr(44, 1, 2, 3));
    EXPECT_EQ(IpTextToAddr("-1.1.2.3"), Addr(255, 1, 2, 3));
    EXPECT_EQ(IpTextToAddr("2147483647.0.0.0"), Addr(255, 0, 0, 0));
    EXPECT_EQ(IpTextToAddr("-2147483648.0.0.0"), Addr(0, 0, 0, 0));
}

TEST(IpTextToAddr, PartsMayCarryBlanksAndASign)
{
    EXPECT_EQ(IpTextToAddr(" 10 . 0 .0. 1 "), Addr(10, 0, 0, 1));
    EXPECT_EQ(IpTextToAddr("+10.0.0.1"), Addr(10, 0, 0, 1));
    EXPECT_EQ(IpTextToAddr("010.0.0.1"), Addr(10, 0, 0, 1)) << "decimal, not octal";
}

TEST(IpTextToAddr, FewerThanFourPartsGiveZero)
{
    EXPECT_EQ(IpTextToAddr("10.0.0"), 0);
    EXPECT_EQ(IpTextToAddr(""), 0);
    EXPECT_EQ(IpTextToAddr("localhost"), 0);
    EXPECT_EQ(IpTextToAddr("1.x"), 0) << "parts are read only when there are four";
}

TEST(IpTextToAddr, UnconvertibleTextGivesNoValue)
{
    EXPECT_EQ(IpTextToAddr("1.2.3.4."), std::nullopt) << "five parts";
    EXPECT_EQ(IpTextToAddr("1.2.3.4.5"), std::nullopt);
    EXPECT_EQ(IpTextToAddr("1..2.3"), std::nullopt) << "an empty part";
    EXPECT_EQ(IpTextToAddr("1.2.3."), std::nullopt);
    EXPECT_EQ(IpTextToAddr("a.b.c.d"), std::nullopt);
    EXPECT_EQ(IpTextToAddr("1.2.3.4x"), std::nullopt);
    EXPECT_EQ(IpTextToAddr("1.2.-.4"), std::nullopt);
    EXPECT_EQ(IpTextToAddr("2147483648.0.0.1"), std::nullopt) << "past the 32-bit range";
    EXPECT_EQ(IpTextToAddr("-2147483649.0.0.1"), std::nullopt);
    EXPECT_EQ(IpTextToAddr("99999999999999999999.0.0.1"), std::nullopt);
}

// -------------------------------------------------------------- StatusText

// The texts of the known codes are a table of their own; the fuzz target
// fuzz_icmp_readers checks that every status the readers give has one.
// Here: the shape of the text, and the codes the table does not hold.
TEST(StatusText, CodeBeforeItsTextAndTheDefaultForOthers)
{
    const std::pair<std::int32_t, const char*> cases[] = {
        {11050, "11050 (ip general failure)"},
        {1, "1 (unknown  msg returned)"},
        {11024, "11024 (unknown  msg returned)"},  // in the gaps between known codes
        {11049, "11049 (unknown  msg returned)"},
        {11051, "11051 (unknown  msg returned)"},
        {11254, "11254 (unknown  msg returned)"},
        {INT32_MAX, "2147483647 (unknown  msg returned)"},
        {-1, "-1 (unknown  msg returned)"},
        {-11010, "-11010 (unknown  msg returned)"},
        // A status of 2147483648 as the service would deliver it, read signed.
        {static_cast<std::int32_t>(std::uint32_t{2147483648U}), "-2147483648 (unknown  msg returned)"},
    };
    for (const auto& [code, text] : cases)
        EXPECT_EQ(basVesk::StatusText(code), text);
}

// ------------------------------------------------------ socket start-up

TEST(SocketsStartup, EachReportGivesAtMostOneMessage)
{
    const std::string unsupported = " is not supported by Windows Sockets for 32 bit Windows environments.";
    const struct {
        basVesk::SocketsReport report;
        basVesk::SocketNotice notice;
    } cases[] = {
        {{0, 0x0101, 1}, {true, "", false}},
        {{0, 0x0202, 1}, {true, "", false}},
        {{0, 0x0002, 1}, {true, "", false}},  // 2.0: the major in the low byte
        {{0, 0x0001, 100}, {false, "Windows Sockets Version 1.0" + unsupported, true}},
        {{0, 0x0900, 100}, {false, "Windows Sockets Version 0.9" + unsupported, true}},
        {{0, 0x0202, 0}, {false, "This application requires a minimum of 1 supported sockets.", true}},
        // The version is checked before the socket count; a failed start
        // call leaves nothing else worth checking, and has no icon.
        {{0, 0x0001, 0}, {false, "Windows Sockets Version 1.0" + unsupported, true}},
        {{10091, 0x0001, 0},
         {false, "Windows Sockets for 32 bit Windows environments is not successfully responding.", false}},
    };
    for (const auto& [report, expected] : cases) {
        const basVesk::SocketNotice n = basVesk::CheckSocketsStartup(report);
        EXPECT_EQ(n.ok, expected.ok) << expected.message;
        EXPECT_EQ(n.message, expected.message);
        EXPECT_EQ(n.exclamation, expected.exclamation) << expected.message;
    }
}

TEST(SocketsStartup, FailedCleanupShowsItsResult)
{
    const basVesk::SocketNotice n = basVesk::CheckSocketsCleanup(-1);
    EXPECT_TRUE(n.exclamation);
    EXPECT_EQ(n.message, "Windows Sockets error -1 occurred in Cleanup.");
    EXPECT_EQ(basVesk::CheckSocketsCleanup(10093).message,
              "Windows Sockets error 10093 occurred in Cleanup.");
    EXPECT_EQ(basVesk::CheckSocketsCleanup(0).message, "");
}

// ----------------------------------------------------------- the payload

TEST(PayloadImage, CharactersUpToFFBecomeTheirByte)
{
    using basVesk::internal::Latin1Image;
    EXPECT_EQ(Latin1Image("plain ascii"), "plain ascii");
    EXPECT_EQ(Latin1Image("caf\xC3\xA9"), "caf\xE9");
    EXPECT_EQ(Latin1Image("\xC3\xBF\xC2\x80"), "\xFF\x80");
    EXPECT_EQ(Latin1Image(""), "");
}

TEST(PayloadImage, OthersBecomeOneQuestionMarkEach)
{
    using basVesk::internal::Latin1Image;
    EXPECT_EQ(Latin1Image("\xE2\x82\xAC 5"), "? 5");                  // U+20AC
    EXPECT_EQ(Latin1Image("\xC4\x80"), "?");                           // U+0100
    EXPECT_EQ(Latin1Image("a\xF0\x9F\x98\x80z"), "a?z");              // U+1F600
    EXPECT_EQ(Latin1Image("\xEF\xBF\xBF"), "?");                       // U+FFFF
    EXPECT_EQ(Latin1Image("\xF0\x90\x80\x80"), "?");                   // U+10000
}

TEST(PayloadImage, InvalidBytesBecomeOneQuestionMarkEach)
{
    using basVesk::internal::Latin1Image;
    EXPECT_EQ(Latin1Image("a\xFFz"), "a?z");
    EXPECT_EQ(Latin1Image("\x80\x80"), "??") << "stray continuation bytes";
    EXPECT_EQ(Latin1Image("\xE2\x82"), "??") << "a character cut short";
    EXPECT_EQ(Latin1Image("\xC0\xAF"), "??") << "an overlong form";
    EXPECT_EQ(Latin1Image("\xED\xA0\x80"), "???") << "a UTF-16 surrogate";
    EXPECT_EQ(Latin1Image("\xF4\x90\x80\x80"), "????") << "past U+10FFFF";
}

TEST(PayloadImage, BackToUtf8)
{
    EXPECT_EQ(basVesk::internal::Utf8FromLatin1("caf\xE9?"), "caf\xC3\xA9?");
    EXPECT_EQ(basVesk::internal::Utf8FromLatin1("\xFF\x80"), "\xC3\xBF\xC2\x80");
}

// ---------------------------------------- exchanges that send nothing

class PingWithoutSending : public ::testing::Test {
protected:
    void SetUp() override { basVesk::sPingData = basVesk::kDefaultPingData; }
    void TearDown() override { basVesk::sPingData = basVesk::kDefaultPingData; }

    basVesk::EchoReply Ping(const std::string& address)
    {
        basVesk::EchoReply reply;
        reply.Status = 12345;  // proves the probe writes both fields
        reply.RoundTripTime = 678;
        basVesk::PingAddress(address, reply);
        return reply;
    }
};

TEST_F(PingWithoutSending, UnconvertibleAddressOrZeroIsABadDestination)
{
    for (const char* text : {"1.2.3.4.5", "1..2.3", "a.b.c.d", "2147483648.0.0.1",  // no value
                             "", "10.0.0", "0.0.0.0", "256.0.0.256"}) {           // zero
        const basVesk::EchoReply reply = Ping(text);
        EXPECT_EQ(reply.Status, basVesk::IP_BAD_DESTINATION) << text;
        EXPECT_EQ(reply.RoundTripTime, 0) << text;
        EXPECT_EQ(basVesk::internal::LastSocketKind(), SocketKind::None) << text;
    }
}

TEST_F(PingWithoutSending, PayloadLongerThanTheReplyAreaIsRefused)
{
    basVesk::sPingData = std::string(251, 'x');
    const basVesk::EchoReply reply = Ping("127.0.0.1");
    EXPECT_EQ(reply.Status, basVesk::IP_BUF_TOO_SMALL);
    EXPECT_EQ(reply.RoundTripTime, 0);
    EXPECT_EQ(basVesk::internal::LastSocketKind(), SocketKind::None);
}

TEST_F(PingWithoutSending, DataStringIsWrittenBackAsItsImage)
{
    basVesk::sPingData = "\xE2\x82\xAC uro \xF0\x9F\x98\x80 caf\xC3\xA9";
    Ping("");
    EXPECT_EQ(basVesk::sPingData, "? uro ? caf\xC3\xA9");
    EXPECT_EQ(basVesk::lLenData, 44) << "the console's length is left alone";
}

}  // namespace
