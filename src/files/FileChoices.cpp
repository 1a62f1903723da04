#include "files/FileChoices.h"

#include <filesystem>
#include <system_error>

#include "platform/base/Preferences.h"

namespace qb::files {

std::optional<CodeForm> RememberedForm(const platform::Preferences* preferences) {
    const std::optional<std::string> form = platform::Remembered(preferences, kFormPreference);
    if (form == "hex") return CodeForm::Hex;
    if (form == "decimal") return CodeForm::Decimal;
    return std::nullopt;
}

std::optional<std::string> RememberedFolder(const platform::Preferences* preferences) {
    std::optional<std::string> folder = platform::Remembered(preferences, kFolderPreference);
    std::error_code ec;
    if (!folder || folder->empty() || !std::filesystem::is_directory(*folder, ec)) return std::nullopt;
    return folder;
}

void RememberFileChoice(platform::Preferences* preferences, CodeForm form, const std::string& folder) {
    platform::Remember(preferences, kFormPreference, form == CodeForm::Hex ? "hex" : "decimal");
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, ec);
    if (!ec) platform::Remember(preferences, kFolderPreference, absolute.lexically_normal().string());
}

} // namespace qb::files
