#include "platform/base/Preferences.h"

#include <algorithm>

#include "platform/base/Text.h"

namespace qb::platform {

std::optional<std::pair<int, int>> ParseWindowSize(std::string_view text) {
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos) return std::nullopt;
    const std::optional<double> w = ParseNumber(text.substr(0, x));
    const std::optional<double> h = ParseNumber(text.substr(x + 1));
    if (!w || !h) return std::nullopt;
    const auto side = [](double v) { return static_cast<int>(std::clamp(v, 0.0, 100000.0)); };
    return std::pair{side(*w), side(*h)};
}

} // namespace qb::platform
