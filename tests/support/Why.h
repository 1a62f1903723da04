#pragma once
// The reason a platform::Result gives, or "" when it holds its value: lets a table compare the
// outcome of good and bad cases alike.
#include <string>

namespace qb::test {

template <typename R>
std::string Why(const R& result) {
    return result.ok() ? std::string() : std::string(result.error());
}

} // namespace qb::test
