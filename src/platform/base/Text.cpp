#include "platform/base/Text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace qb::platform {

namespace {

// A non-negative finite number as decimal digits and the place of the point: the value is
// 0.d1d2d3... x 10^pointPos. The digits carry no leading zero unless the number is zero ("0").
struct Decimal {
    std::string digits;
    int pointPos = 0;
};

// Splits the text of std::to_chars in scientific form ("1.2345e+02") into digits and point.
Decimal splitScientific(const char* first, const char* last) {
    Decimal d;
    const char* p = first;
    for (; p != last && *p != 'e'; ++p)
        if (*p != '.') d.digits.push_back(*p);
    int exponent = 0;
    if (p != last) {
        ++p;  // 'e'
        bool negative = false;
        if (p != last && (*p == '+' || *p == '-')) negative = (*p++ == '-');
        std::from_chars(p, last, exponent);
        if (negative) exponent = -exponent;
    }
    d.pointPos = exponent + 1;
    return d;
}

// The shortest decimal text that reads back as exactly `magnitude` (>= 0, finite).
Decimal shortestDecimal(double magnitude) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
    return splitScientific(buf, r.ptr);
}

// Adds one unit in the last place of `digits`; a carry out of the first digit prepends a 1 and
// moves the point one place to the right.
void incrementLastDigit(Decimal& d) {
    int i = static_cast<int>(d.digits.size()) - 1;
    for (; i >= 0; --i) {
        if (d.digits[i] == '9') {
            d.digits[i] = '0';
        } else {
            ++d.digits[i];
            return;
        }
    }
    d.digits.insert(d.digits.begin(), '1');
    ++d.pointPos;
}

// Rounds to `decimals` places after the point, halves away from zero.
void roundToDecimals(Decimal& d, int decimals) {
    const long keep = static_cast<long>(d.pointPos) + decimals;
    if (keep >= static_cast<long>(d.digits.size())) return;  // already short enough
    if (keep < 0) {
        d.digits = "0";
        d.pointPos = 1;
        return;
    }
    const bool up = d.digits[static_cast<size_t>(keep)] >= '5';
    d.digits.resize(static_cast<size_t>(keep));
    if (up) incrementLastDigit(d);
    if (d.digits.empty()) {
        d.digits = "0";
        d.pointPos = 1;
    }
}

// The digit at position `index` counted from the first digit (0 outside the stored digits).
char digitAt(const Decimal& d, long index) {
    if (index < 0 || index >= static_cast<long>(d.digits.size())) return '0';
    return d.digits[static_cast<size_t>(index)];
}

std::string nonFinite(double x) {
    if (std::isnan(x)) return "NaN";
    return x < 0 ? "-Infinity" : "Infinity";
}

struct Picture {
    bool valid = false;
    size_t minIntegerDigits = 0;  // from the first '0' before the point to the point
    size_t maxDecimals = 0;       // every placeholder after the point
    size_t minDecimals = 0;       // up to the last '0' after the point
};

Picture parsePicture(std::string_view picture) {
    Picture p;
    const size_t point = picture.find('.');
    const std::string_view integer = picture.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : picture.substr(point + 1);
    for (const char c : integer)
        if (c != '0' && c != '#') return p;
    for (const char c : fraction)
        if (c != '0' && c != '#') return p;
    if (const size_t firstZero = integer.find('0'); firstZero != std::string_view::npos)
        p.minIntegerDigits = integer.size() - firstZero;
    p.maxDecimals = fraction.size();
    if (const size_t lastZero = fraction.rfind('0'); lastZero != std::string_view::npos)
        p.minDecimals = lastZero + 1;
    p.valid = !picture.empty();
    return p;
}


bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the longest prefix of `text` that reads as a decimal number: optional sign, digits
// with an optional fraction (at least one digit in all), optional exponent. 0 when there is none.
size_t numberPrefix(std::string_view text) {
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    // An exponent counts only when it is complete: "2e" and "2e+" read as 2.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j])) ++j;
            i = j;
        }
    }
    return i;
}

// Whether a text of the number grammar (without sign) that does not fit a double is too small
// rather than too large: the power of ten of its first significant digit is negative.
bool tooSmall(std::string_view number) {
    const size_t e = number.find_first_of("eE");
    const std::string_view mantissa = number.substr(0, e);
    long long exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = number.substr(e + 1);
        const bool negative = !digits.empty() && digits.front() == '-';
        if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) digits.remove_prefix(1);
        for (const char c : digits) {
            exponent = exponent * 10 + (c - '0');
            if (exponent > 1'000'000'000LL) break;  // far beyond any double either way
        }
        if (negative) exponent = -exponent;
    }
    const size_t point = mantissa.find('.');
    const std::string_view integer = mantissa.substr(0, point);
    const size_t firstInteger = integer.find_first_not_of('0');
    if (firstInteger != std::string_view::npos)
        return exponent + static_cast<long long>(integer.size() - firstInteger) - 1 < 0;
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : mantissa.substr(point + 1);
    const size_t firstFraction = fraction.find_first_not_of('0');
    if (firstFraction == std::string_view::npos) return true;
    return exponent - static_cast<long long>(firstFraction) - 1 < 0;
}

// Converts a text already known to match the number grammar. nullopt when it is too large for
// a double; a number too small for one is zero.
std::optional<double> convert(std::string_view number) {
    bool negative = false;
    if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    double value = 0;
    const auto r = std::from_chars(number.data(), number.data() + number.size(), value,
                                   std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range && tooSmall(number)) value = 0;
    else if (r.ec != std::errc{} || r.ptr != number.data() + number.size()) return std::nullopt;
    return negative ? -value : value;
}

} // namespace

std::string Str(double x) {
    if (!std::isfinite(x)) {
        const std::string text = nonFinite(x);
        return text.front() == '-' ? text : " " + text;
    }
    if (x == 0) return " 0";

    // Fifteen significant digits, rounded to nearest from the exact binary value.
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific, 14);
    Decimal d = splitScientific(buf, r.ptr);
    while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();

    std::string out = x < 0 ? "-" : " ";
    const int exponent = d.pointPos - 1;
    if (exponent >= 15 || exponent < -4) {
        out += d.digits.substr(0, 1);
        if (d.digits.size() > 1) out += "." + d.digits.substr(1);
        out += exponent < 0 ? "E-" : "E+";
        const std::string e = std::to_string(std::abs(exponent));
        if (e.size() < 2) out += '0';
        out += e;
        return out;
    }
    if (d.pointPos <= 0) {
        out += "0.";
        out.append(static_cast<size_t>(-d.pointPos), '0');
        out += d.digits;
        return out;
    }
    for (int i = 0; i < d.pointPos; ++i) out += digitAt(d, i);
    if (static_cast<int>(d.digits.size()) > d.pointPos) out += "." + d.digits.substr(static_cast<size_t>(d.pointPos));
    return out;
}

std::string Format(double x, std::string_view picture) {
    if (!std::isfinite(x)) return nonFinite(x);
    const Picture p = parsePicture(picture);
    if (!p.valid) return ShortestText(x == 0 ? 0.0 : x);

    Decimal d = shortestDecimal(std::fabs(x));
    roundToDecimals(d, static_cast<int>(p.maxDecimals));

    std::string integer;
    for (long i = 0; i < d.pointPos; ++i) integer += digitAt(d, i);
    const size_t firstNonZero = integer.find_first_not_of('0');
    integer.erase(0, firstNonZero == std::string::npos ? integer.size() : firstNonZero);
    if (integer.size() < p.minIntegerDigits)
        integer.insert(0, p.minIntegerDigits - integer.size(), '0');

    std::string fraction;
    for (size_t i = 0; i < p.maxDecimals; ++i) fraction += digitAt(d, d.pointPos + static_cast<long>(i));
    while (fraction.size() > p.minDecimals && fraction.back() == '0') fraction.pop_back();

    // A picture of optional digits only would show nothing at all for zero; show the zero.
    if (integer.empty() && fraction.empty()) integer = "0";

    const bool showsZero = integer.find_first_not_of('0') == std::string::npos &&
                           fraction.find_first_not_of('0') == std::string::npos;
    std::string out = (x < 0 && !showsZero) ? "-" : "";
    out += integer;
    if (!fraction.empty()) out += "." + fraction;
    return out;
}

std::optional<double> ParseNumber(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    const size_t length = numberPrefix(text);
    if (length == 0 || length != text.size()) return std::nullopt;
    return convert(text);
}

double Val(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    const size_t length = numberPrefix(text);
    if (length == 0) return 0;
    return convert(text.substr(0, length)).value_or(0.0);
}

bool IsHexDigit(int c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

std::optional<uint32_t> ParseHexDigits(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > std::min<std::size_t>(maxDigits, 8)) return std::nullopt;
    uint32_t value = 0;
    for (const char c : text) {
        if (!IsHexDigit(static_cast<unsigned char>(c))) return std::nullopt;
        value = (value << 4) | static_cast<uint32_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    }
    return value;
}

std::string ShortestText(double x) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, r.ptr);
}

std::string Printable(std::string_view text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else if (c < 0x20 || c == 0x7F) out += {'\\', 'x', kDigits[c >> 4], kDigits[c & 15]};
        else out += ch;
    }
    return out;
}

} // namespace qb::platform
