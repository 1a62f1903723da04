#pragma once
// Remembered choices kept in memory, so tests never read or write the user's settings.
#include <map>
#include <string>

#include "platform/base/Preferences.h"

namespace qb::test {

class MemoryPreferences : public platform::Preferences {
public:
    std::map<std::string, std::string, std::less<>> values;

    std::optional<std::string> value(std::string_view key) const override {
        const auto it = values.find(key);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    void setValue(std::string_view key, std::string_view value) override { values[std::string(key)] = value; }
};

} // namespace qb::test
