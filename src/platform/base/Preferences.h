#pragma once
// Choices the user made that the next start of the program begins with: the count to read, the
// file form and folder, the sizes of the chart windows. Stored per user by the window program;
// a run with --no-settings, the headless commands and the tests have none (a null pointer), and
// every window then starts from its defaults.
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace qb::platform {

// The folder of the last file the user saved or loaded (an absolute path), where the next file
// dialog or file window starts.
inline constexpr const char* kLastFolderPreference = "files/folder";

class Preferences {
public:
    virtual ~Preferences() = default;
    // The text stored under key ("group/name"); nullopt when there is none.
    virtual std::optional<std::string> value(std::string_view key) const = 0;
    virtual void setValue(std::string_view key, std::string_view value) = 0;
};

// The stored text, or nullopt when there are no preferences at all.
inline std::optional<std::string> Remembered(const Preferences* preferences, std::string_view key) {
    return preferences ? preferences->value(key) : std::nullopt;
}
// Stores the text, when there are preferences.
inline void Remember(Preferences* preferences, std::string_view key, std::string_view value) {
    if (preferences) preferences->setValue(key, value);
}

// A window size as it is stored, "640x480", each side clamped to 0..100000 pixels (the window then
// keeps it within its layout's least size and the screen); nullopt for any other text.
std::optional<std::pair<int, int>> ParseWindowSize(std::string_view text);

} // namespace qb::platform
