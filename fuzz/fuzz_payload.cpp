// The payload image of the data string: one byte per character, the same
// bytes and count as the console's own single-byte image and character
// count, stable when taken again, and carried whole by a request whose
// checksum holds.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats.h"
#include "fuzz_check.h"
#include "icmp_packet.h"
#include "probe_internal.h"

using namespace basVesk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string utf8(reinterpret_cast<const char*>(data), size);
    const std::string image = internal::Latin1Image(utf8);
    FUZZ_CHECK(image.size() <= utf8.size());
    FUZZ_CHECK(internal::Latin1Image(internal::Utf8FromLatin1(image)) == image);

    const QByteArray bytes(utf8.data(), qsizetype(utf8.size()));
    const QString text = QString::fromUtf8(bytes);
    // Well-formed UTF-8 only: the console never holds anything else.
    if (text.toUtf8() == bytes) {
        FUZZ_CHECK(image.size() == std::size_t(characterCount(text)));
        FUZZ_CHECK(singleByteImage(text) == QByteArray(image.data(), qsizetype(image.size())));
    }

    const auto* payload = reinterpret_cast<const std::uint8_t*>(image.data());
    const std::vector<std::uint8_t> request = icmp::BuildEchoRequest(0x1234, 7, {payload, image.size()});
    FUZZ_CHECK(request.size() == icmp::kHeaderSize + image.size());
    FUZZ_CHECK(icmp::Checksum(request) == 0);
    FUZZ_CHECK(std::equal(image.begin(), image.end(), request.begin() + icmp::kHeaderSize,
                          [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }));
    return 0;
}
