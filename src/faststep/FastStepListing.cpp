#include "faststep/FastStepListing.h"

#include <algorithm>

#include "platform/base/Numbers.h"
#include "platform/base/Text.h"

namespace qb::faststep {

std::string ListLine(int reading, double code) {
    return platform::Format(reading, "000") + "       " + platform::Format(code, "00000000");
}

std::vector<std::string> ListLines(const std::vector<double>& codes, int16_t n) {
    std::vector<std::string> lines;
    const int last = std::min<int>(2 * n, static_cast<int>(codes.size()) - 1);
    for (int i = 1; i <= last; ++i) lines.push_back(ListLine(i, codes[static_cast<std::size_t>(i)]));
    return lines;
}

YRange ChartYRange(const std::vector<double>& offCodes, int16_t n) {
    // Codes are at most 24 bits wide; anything that is not a 32-bit whole number counts as 0.
    const auto whole = [](double code) { return platform::ToInt32(code).value_or(0); };
    const int last = std::min<int>(2 * n, static_cast<int>(offCodes.size()) - 1);
    YRange r;
    if (last >= 1) r.lo = r.hi = whole(offCodes[1]);
    for (int i = 2; i <= last; ++i) {
        const int32_t code = whole(offCodes[static_cast<std::size_t>(i)]);
        r.hi = std::max(r.hi, code);
        r.lo = std::min(r.lo, code);
    }
    // Far from the 32-bit ends for 24-bit codes; clamped all the same.
    r.hi = static_cast<int32_t>(std::min<int64_t>(int64_t{r.hi} + kYMargin, INT32_MAX));
    r.lo = static_cast<int32_t>(std::max<int64_t>(int64_t{r.lo} - kYMargin, INT32_MIN));
    return r;
}

} // namespace qb::faststep
