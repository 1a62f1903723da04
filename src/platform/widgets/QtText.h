#pragma once
// The program's texts (UTF-8, in std::string) as the toolkit's.
#include <string_view>

#include <QString>

namespace qb::platform {

inline QString ToQt(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace qb::platform
