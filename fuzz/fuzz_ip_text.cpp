// IpTextToAddr on any text. Fewer than three dots read as 0, more than
// three as nothing, and every address it gives reads back as itself from
// its dotted form.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "basVesk.h"
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
    return 0;
}
