// basVesk: the network probe of vesk.
//
// Plain routines without windows: one ICMP echo exchange, the status texts,
// socket layer start-up and shutdown, host name lookup, and the module
// variables that the console shares with them. Nothing here prints, shows a
// dialog or exits; every outcome is returned to the caller.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "echo_types.h"

namespace basVesk {

// ---------------------------------------------------------------- state ---

// The text that every echo request carries (UTF-8 here; the wire gets its
// single-byte image) and its length in characters as the console counts them.
inline const std::string kDefaultPingData = "this is the default data string being pinged";
extern std::string sPingData;
extern std::int32_t lLenData;

// Counters since the last reset, and the latest round trip in ms. They are
// 64-bit so that a console left pinging for years never wraps.
extern std::int64_t lPingTot;
extern std::int64_t lTimeOut;
extern std::int64_t lPingOk;
extern std::int64_t lMsTot;
extern std::int32_t lLastMs;

// Full path of the address list file, and of the log file written last.
extern std::string sIpFile;
extern std::string sLogFile;

// ----------------------------------------------------- the echo exchange ---

// How long one exchange waits for its answer unless told otherwise, and
// the longest wait that may be set.
inline constexpr int kEchoTimeoutMs = 200;
inline constexpr int kEchoTimeoutMaxMs = 5000;

// One ICMP echo exchange with the address: sends sPingData, waits at most
// waitMs (1 to kEchoTimeoutMaxMs) and fills reply. An IPv6 literal
// (IsIpv6Literal) is pinged over ICMPv6; any other text is read as a dotted
// IPv4 address. A text that IpTextToAddr cannot convert, the address
// 0.0.0.0, and an IPv6 literal that names no one host (unspecified,
// multicast, IPv4-mapped, or link-local without its zone) send nothing and
// give IP_BAD_DESTINATION.
// sPingData is written back as its single-byte image.
void PingAddress(const std::string& address, EchoReply& reply, int waitMs = kEchoTimeoutMs);

// Dotted text to the address value, first octet in the lowest byte (so its
// bytes in memory are in network order on a little-endian machine). Fewer
// than four parts give 0; more than four parts, an empty part or a part
// that is not a number give no value.
std::optional<std::int32_t> IpTextToAddr(const std::string& text);

// Whether the text is an IPv6 literal as RFC 4291 and RFC 4007 write it,
// read by the system's own parser: "::1", "2001:DB8::0001",
// "::ffff:192.0.2.1", "fe80::1%eth0", "fe80::1%2". A zone must name an
// interface of this host. No blanks are taken.
bool IsIpv6Literal(const std::string& text);

// When the last exchange could open no ICMP socket at all, why, and what
// would allow it; empty otherwise. The text names the program file as
// kProgramPathMark, for the caller to replace with the file's real path.
std::string SocketProblem();
inline constexpr std::string_view kProgramPathMark = "{program}";

// --------------------------------------------------------- status texts ---

// "code (name)", e.g. "11010 (ip req timed out)".
std::string StatusText(std::int32_t code);

// ------------------------------------------------ socket layer start-up ---

// What a start-up or shutdown routine has to tell the user, if anything.
// message is empty when there is nothing to show; exclamation says whether
// the box carries the exclamation icon.
struct SocketNotice {
    bool ok = true;
    std::string message;
    bool exclamation = false;
};

// The checks that StartSockets makes on a platform report, in order; at most
// one message results.
SocketNotice CheckSocketsStartup(const SocketsReport& report);
// The check that StopSockets makes on the cleanup call's result.
SocketNotice CheckSocketsCleanup(int result);

// Start the platform's socket layer (checked, or quietly) and shut it down.
// Each start that succeeds is matched by one StopSockets. On Linux there is
// no layer to start: these succeed and say nothing.
SocketNotice StartSockets();
bool StartSocketsQuiet();
SocketNotice StopSockets();

// ------------------------------------------------------------ name lookup --

// First IPv4 address that the resolver lists for name, as dotted text;
// when it lists none, its first IPv6 address as the system writes it;
// otherwise the empty text. The name is passed unchanged.
std::string HostToIp(const std::string& name);

// Four address bytes, first octet first, as dotted decimal text.
std::string BytesToIpText(std::string_view holder);

}  // namespace basVesk
