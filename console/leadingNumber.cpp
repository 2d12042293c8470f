#include "leadingNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "basVesk.h"
#include "formats.h"

namespace {

bool skipped(QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; }

// Walks the text while jumping over the skipped characters, so that the
// readers below see only what counts.
class Reader {
public:
    explicit Reader(const QString& text) : text_(text) {}
    QChar peek()
    {
        while (pos_ < text_.size() && skipped(text_[pos_]))
            ++pos_;
        return pos_ < text_.size() ? text_[pos_] : QChar();
    }
    void take() { ++pos_; }

private:
    const QString& text_;
    qsizetype pos_ = 0;
};

int digitValue(QChar c, int base)
{
    int v = -1;
    if (c >= u'0' && c <= u'9')
        v = c.unicode() - u'0';
    else if (c >= u'a' && c <= u'f')
        v = c.unicode() - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        v = c.unicode() - u'A' + 10;
    return v >= 0 && v < base ? v : -1;
}

double readRadix(Reader& in, int base)
{
    double value = 0;
    for (int d; (d = digitValue(in.peek(), base)) >= 0; in.take())
        value = value * base + d;
    return value;
}

void takeDigits(Reader& in, std::string& out)
{
    while (digitValue(in.peek(), 10) >= 0) {
        out += char(in.peek().unicode());
        in.take();
    }
}

// The power of ten of the first significant digit of a number that is not
// zero: 120 gives 2, 0.001 gives -3, 0.01e5 gives 3. Whether a value out of
// range is too large or too small hangs on the digits and the exponent
// together: a long run of zeros after the point is as tiny as a large
// negative exponent. Huge exponents saturate; only the sign matters then.
long long decimalMagnitude(const std::string& number)
{
    const std::size_t e = std::min(number.find('e'), number.size());
    const std::size_t point = std::min(number.find('.'), e);
    const std::size_t first = number.find_first_of("123456789");
    if (first >= e)
        return 0;
    long long magnitude = first < point ? static_cast<long long>(point - first) - 1
                                        : -static_cast<long long>(first - point);
    long long exponent = 0;
    for (std::size_t i = e + 1; i < number.size(); ++i)
        if (number[i] >= '0' && number[i] <= '9' && exponent < 1'000'000'000'000LL)
            exponent = exponent * 10 + (number[i] - '0');
    if (e + 1 < number.size() && number[e + 1] == '-')
        exponent = -exponent;
    return magnitude + exponent;
}

}  // namespace

double leadingNumber(const QString& text)
{
    Reader in(text);
    if (in.peek() == u'&') {
        in.take();
        const QChar kind = in.peek().toUpper();
        if (kind != u'H' && kind != u'O')
            return 0;
        in.take();
        return readRadix(in, kind == u'H' ? 16 : 8);
    }

    std::string number;
    if (in.peek() == u'+' || in.peek() == u'-') {
        number += char(in.peek().unicode());
        in.take();
    }
    takeDigits(in, number);
    if (in.peek() == u'.') {
        number += '.';
        in.take();
        takeDigits(in, number);
    }
    if (number.find_first_of("0123456789") == std::string::npos)
        return 0;

    // The exponent counts only when digits follow it; "1e" and "1e+" read 1.
    const QChar e = in.peek().toUpper();
    if (e == u'E' || e == u'D') {
        in.take();
        std::string exponent = "e";
        if (in.peek() == u'+' || in.peek() == u'-') {
            exponent += char(in.peek().unicode());
            in.take();
        }
        const auto before = exponent.size();
        takeDigits(in, exponent);
        if (exponent.size() > before)
            number += exponent;
    }

    // from_chars, unlike strtod, ignores LC_NUMERIC, which QApplication sets
    // from the environment; the full stop is the decimal point everywhere.
    const char* first = number.data();
    if (*first == '+')
        ++first;
    double value = 0;
    const std::errc ec = std::from_chars(first, number.data() + number.size(), value).ec;
    if (ec == std::errc::result_out_of_range) {
        if (decimalMagnitude(number) < 0)
            return 0;
        return number.front() == '-' ? -HUGE_VAL : HUGE_VAL;
    }
    return value;
}

bool numericEntry(const QString& entry)
{
    if (basVesk::IsIpv6Literal(trimBlanks(entry.section(u'|', 0, 0)).toStdString()))
        return true;
    return leadingNumber(entry) > 0;
}
