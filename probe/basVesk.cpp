#include "basVesk.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

#include "echo_backend.h"
#include "probe_internal.h"

namespace basVesk {

std::string sPingData = kDefaultPingData;
std::int32_t lLenData = static_cast<std::int32_t>(kDefaultPingData.size());
std::int64_t lPingTot = 0;
std::int64_t lTimeOut = 0;
std::int64_t lPingOk = 0;
std::int64_t lMsTot = 0;
std::int32_t lLastMs = 0;
std::string sIpFile;
std::string sLogFile;

namespace {

std::atomic<backend::SocketKind> gLastKind{backend::SocketKind::None};

// The console reads the reason on its thread; the tests ping from others.
std::mutex gProblemMutex;
std::string gSocketProblem;

void SetSocketProblem(std::string_view text)
{
    const std::lock_guard lock(gProblemMutex);
    gSocketProblem = text;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// One part of a dotted address: optional blanks around an optional sign
// and decimal digits, within the 32-bit signed range.
std::optional<std::int64_t> PartValue(std::string_view part)
{
    while (!part.empty() && IsBlank(part.front()))
        part.remove_prefix(1);
    while (!part.empty() && IsBlank(part.back()))
        part.remove_suffix(1);
    bool negative = false;
    if (!part.empty() && (part.front() == '-' || part.front() == '+')) {
        negative = part.front() == '-';
        part.remove_prefix(1);
    }
    if (part.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : part) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 2147483648LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > 2147483647LL)
        return std::nullopt;
    return value;
}

// Decodes one UTF-8 character at text[i]; its code point and length, or
// nothing when the byte there does not start a well-formed character.
std::optional<std::pair<char32_t, std::size_t>> DecodeAt(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return std::pair{char32_t{lead}, std::size_t{1}};
    std::size_t length;
    char32_t cp;
    char32_t minimum;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (i + length > text.size())
        return std::nullopt;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return std::nullopt;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, UTF-16 surrogates and code points past U+10FFFF are
    // not characters.
    if (cp < minimum || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        return std::nullopt;
    return std::pair{cp, length};
}

struct StatusRow {
    std::int32_t code;
    const char* name;
};

constexpr std::array kStatusRows{
    StatusRow{0, "ip success"},
    StatusRow{200, "ping timeout"},
    StatusRow{11001, "ip buf too_small"},
    StatusRow{11002, "ip dest net unreachable"},
    StatusRow{11003, "ip dest host unreachable"},
    StatusRow{11004, "ip dest prot unreachable"},
    StatusRow{11005, "ip dest port unreachable"},
    StatusRow{11006, "ip no resources"},
    StatusRow{11007, "ip bad option"},
    StatusRow{11008, "ip hw_error"},
    StatusRow{11009, "ip packet too_big"},
    StatusRow{11010, "ip req timed out"},
    StatusRow{11011, "ip bad req"},
    StatusRow{11012, "ip bad route"},
    StatusRow{11013, "ip ttl expired transit"},
    StatusRow{11014, "ip ttl expired reassem"},
    StatusRow{11015, "ip param_problem"},
    StatusRow{11016, "ip source quench"},
    StatusRow{11017, "ip option too_big"},
    StatusRow{11018, "ip bad destination"},
    StatusRow{11019, "ip addr deleted"},
    StatusRow{11020, "ip spec mtu change"},
    StatusRow{11021, "ip mtu_change"},
    StatusRow{11022, "ip unload"},
    StatusRow{11023, "ip addr added"},
    StatusRow{11050, "ip general failure"},
    StatusRow{11255, "ip pending"},
};
constexpr const char* kUnknownStatus = "unknown  msg returned";

}  // namespace

namespace internal {

backend::SocketKind LastSocketKind() { return gLastKind.load(); }

std::string Latin1Image(std::string_view utf8)
{
    std::string image;
    image.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto decoded = DecodeAt(utf8, i);
        if (!decoded) {
            image += '?';
            ++i;
            continue;
        }
        const auto [cp, length] = *decoded;
        image += cp <= 0xFF ? static_cast<char>(cp) : '?';
        i += length;
    }
    return image;
}

std::string Utf8FromLatin1(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (b >> 6));
            text += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return text;
}

}  // namespace internal

// ---------------------------------------------------- the echo exchange ---

std::optional<std::int32_t> IpTextToAddr(const std::string& text)
{
    std::array<std::string_view, 4> parts;
    std::size_t count = 0;
    std::string_view rest = text;
    for (;;) {
        const std::size_t dot = rest.find('.');
        if (++count > parts.size())
            return std::nullopt;
        if (dot == std::string_view::npos) {
            parts[count - 1] = rest;
            break;
        }
        parts[count - 1] = rest.substr(0, dot);
        rest.remove_prefix(dot + 1);
    }
    if (count != parts.size())
        return 0;
    std::uint32_t value = 0;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        const auto part = PartValue(parts[k]);
        if (!part)
            return std::nullopt;
        // The octet is the lowest 8 bits of the part, two's complement for
        // a negative one: 256 gives 0, -1 gives 255.
        const auto octet = static_cast<std::uint32_t>(*part) & 0xFFU;
        value |= octet << (8 * k);
    }
    return static_cast<std::int32_t>(value);
}

std::string SocketProblem()
{
    const std::lock_guard lock(gProblemMutex);
    return gSocketProblem;
}

void PingAddress(const std::string& address, EchoReply& reply, int waitMs)
{
    reply.Status = 0;
    reply.RoundTripTime = 0;
    gLastKind = backend::SocketKind::None;

    // The wire gets one byte per character; sPingData keeps what was sent,
    // so what the log shows is what went out.
    const std::string image = internal::Latin1Image(sPingData);
    sPingData = internal::Utf8FromLatin1(image);

    // An IPv6 literal goes out over ICMPv6; every other text is read as the
    // dotted IPv4 address it always was.
    const auto six = backend::ReadIpv6Literal(address);
    std::optional<std::int32_t> value;
    if (!six)
        value = IpTextToAddr(address);
    // 0.0.0.0 would reach this very host on Linux and come back as a
    // success for an address that was never meant.
    if (six ? !icmp6::Sendable(*six) : (!value || *value == 0)) {
        reply.Status = IP_BAD_DESTINATION;
        return;
    }
    if (image.size() > static_cast<std::size_t>(kReplyDataArea)) {
        reply.Status = IP_BUF_TOO_SMALL;
        return;
    }

    const auto* data = reinterpret_cast<const std::uint8_t*>(image.data());
    const std::span<const std::uint8_t> payload{data, image.size()};
    const std::chrono::milliseconds wait(waitMs);
    backend::EchoOutcome outcome;
    if (six) {
        outcome = backend::EchoExchange6(*six, payload, wait);
    } else {
        const auto v = static_cast<std::uint32_t>(*value);
        const icmp::Addr4 destination{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                      static_cast<std::uint8_t>(v >> 16),
                                      static_cast<std::uint8_t>(v >> 24)};
        outcome = backend::EchoExchange(destination, payload, wait);
    }

    gLastKind = outcome.kind;
    if (outcome.kind != backend::SocketKind::None)
        SetSocketProblem({});
    else if (outcome.permissionRefused)
        SetSocketProblem(internal::kSocketProblemText);
    reply.Status = outcome.status;
    reply.RoundTripTime = outcome.roundTripMs;
}

// --------------------------------------------------------- status texts ---

std::string StatusText(std::int32_t code)
{
    const char* name = kUnknownStatus;
    for (const StatusRow& row : kStatusRows) {
        if (row.code == code) {
            name = row.name;
            break;
        }
    }
    return std::to_string(code) + " (" + name + ")";
}

// ------------------------------------------------ socket layer start-up ---

SocketNotice CheckSocketsStartup(const SocketsReport& report)
{
    if (report.startupResult != 0)
        return {false,
                "Windows Sockets for 32 bit Windows environments is not successfully responding.",
                false};
    const int major = report.wVersion & 0xFF;
    const int minor = report.wVersion >> 8;
    if (major < 1 || (major == 1 && minor < 1))
        return {false,
                "Windows Sockets Version " + std::to_string(major) + "." + std::to_string(minor) +
                    " is not supported by Windows Sockets for 32 bit Windows environments.",
                true};
    constexpr int kMinSockets = 1;
    if (report.iMaxSockets < kMinSockets)
        return {false,
                "This application requires a minimum of " + std::to_string(kMinSockets) +
                    " supported sockets.",
                true};
    return {};
}

SocketNotice CheckSocketsCleanup(int result)
{
    if (result == 0)
        return {};
    // ok is false so a caller can tell, but it carries on all the same.
    return {false, "Windows Sockets error " + std::to_string(result) + " occurred in Cleanup.", true};
}

SocketNotice StartSockets() { return CheckSocketsStartup(backend::StartSocketLayer()); }
bool StartSocketsQuiet() { return backend::StartSocketLayer().startupResult == 0; }
SocketNotice StopSockets() { return CheckSocketsCleanup(backend::StopSocketLayer()); }

// ------------------------------------------------------------ name lookup --

bool IsIpv6Literal(const std::string& text) { return backend::ReadIpv6Literal(text).has_value(); }

std::string HostToIp(const std::string& name)
{
    const auto address = backend::ResolveFirstIPv4(name);
    if (!address)
        return backend::ResolveFirstIPv6(name).value_or(std::string());
    std::string holder(4, ' ');
    for (std::size_t k = 0; k < holder.size(); ++k)
        holder[k] = static_cast<char>((*address)[k]);
    return BytesToIpText(holder);
}

std::string BytesToIpText(std::string_view holder)
{
    std::string text;
    for (std::size_t k = 0; k < 4; ++k) {
        // A short holder keeps the blanks it started with.
        const auto byte = k < holder.size() ? static_cast<unsigned char>(holder[k]) : ' ';
        if (k > 0)
            text += '.';
        text += std::to_string(static_cast<unsigned>(byte));
    }
    return text;
}

}  // namespace basVesk
