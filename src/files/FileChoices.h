#pragma once
// The form (decimal or hexadecimal) and the folder of the last file the user saved or loaded,
// remembered between runs and shared by the two file windows.
#include <optional>
#include <string>

#include "files/DataFile.h"
#include "platform/base/Preferences.h"

namespace qb::files {

inline constexpr const char* kFormPreference = "files/form";      // "decimal" or "hex"
inline constexpr const char* kFolderPreference = platform::kLastFolderPreference;

// The remembered form; nullopt when none is remembered.
std::optional<CodeForm> RememberedForm(const platform::Preferences* preferences);
// The remembered folder while it is still a folder; nullopt otherwise.
std::optional<std::string> RememberedFolder(const platform::Preferences* preferences);
// Notes the form and folder of a file just saved or loaded.
void RememberFileChoice(platform::Preferences* preferences, CodeForm form, const std::string& folder);

} // namespace qb::files
