// IpTextToAddr on any text. Fewer than three dots read as 0, more than
// three as nothing, and every address it gives reads back as itself from
// its dotted form. The same text as an IPv6 literal: one that the system
// reads back as itself from its full hexadecimal form, zone as a number;
// one that names no single host is refused with nothing sent.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "basVesk.h"
#include "echo_backend.h"
#include "probe_internal.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto value = basVesk::IpTextToAddr(text);
    const auto dots = std::count(text.begin(), text.end(), '.');
    if (dots < 3)
        FUZZ_CHECK(value && *value == 0);
    if (dots > 3)
        FUZZ_CHECK(!value);
    if (value) {
        const auto v = static_cast<std::uint32_t>(*value);
        std::string holder(4, '\0');
        for (std::size_t k = 0; k < 4; ++k)
            holder[k] = static_cast<char>((v >> (8 * k)) & 0xFF);
        FUZZ_CHECK(basVesk::IpTextToAddr(basVesk::BytesToIpText(holder)) == value);
    }

    const auto literal = basVesk::backend::ReadIpv6Literal(text);
    FUZZ_CHECK(literal.has_value() == basVesk::IsIpv6Literal(text));
    if (!literal)
        return 0;
    FUZZ_CHECK(text.find(':') < text.find('%'));
    char full[64];
    const auto& a = literal->address;
    std::snprintf(full, sizeof full, "%x:%x:%x:%x:%x:%x:%x:%x", a[0] << 8 | a[1], a[2] << 8 | a[3],
                  a[4] << 8 | a[5], a[6] << 8 | a[7], a[8] << 8 | a[9], a[10] << 8 | a[11], a[12] << 8 | a[13],
                  a[14] << 8 | a[15]);
    std::string again = full;
    if (literal->scope != 0)
        again += "%" + std::to_string(literal->scope);
    const auto back = basVesk::backend::ReadIpv6Literal(again);
    FUZZ_CHECK(back && back->address == a && back->scope == literal->scope);
    // Only a literal that cannot be sent to is pinged here: nothing leaves.
    if (!basVesk::icmp6::Sendable(*literal)) {
        basVesk::EchoReply reply;
        basVesk::PingAddress(text, reply);
        FUZZ_CHECK(reply.Status == basVesk::IP_BAD_DESTINATION);
        FUZZ_CHECK(basVesk::internal::LastSocketKind() == basVesk::backend::SocketKind::None);
    }
    return 0;
}
