// The numeric check of the ping run on any text, and against strtod on the
// forms both read: an optional sign, digits with at most one point, and an
// optional exponent, then anything that ends the number. (The check also
// reads "&H" and "&O", skips blanks inside numbers and takes D for E; strtod
// reads "inf", "nan" and hexadecimal; neither kind is made here.)
//
// Input: first byte 0 to 127, any text as UTF-8; 128 to 255, the rest
// mapped onto the characters of a decimal number.
#include <QString>
#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_check.h"
#include "leadingNumber.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    if (data[0] < 128) {
        const double value = leadingNumber(QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)));
        FUZZ_CHECK(!std::isnan(value));
        return 0;
    }
    static const char kAlphabet[] = "0123456789012345678900000.+-eE|";
    std::string text;
    for (std::size_t i = 1; i < size; ++i)
        text += kAlphabet[data[i] % (sizeof kAlphabet - 1)];
    // strtod follows LC_NUMERIC; the check always reads the full stop.
    std::setlocale(LC_NUMERIC, "C");
    const double expected = std::strtod(text.c_str(), nullptr);
    const double value = leadingNumber(QString::fromLatin1(text.data(), qsizetype(text.size())));
    if (value != expected)
        std::fprintf(stderr, "%s: check %.17g, strtod %.17g\n", text.c_str(), value, expected);
    FUZZ_CHECK(value == expected);
    return 0;
}
