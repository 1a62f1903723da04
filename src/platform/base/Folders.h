#pragma once
// Folders and drives on Linux file systems, without any toolkit: the mounted drives, the
// contents of one folder, file-name patterns and clean absolute paths. The drive, directory and
// file lists of the save and load windows (platform/widgets/FileLists.h) are built on these.
#include <string>
#include <string_view>
#include <vector>

namespace qb::platform {


// The drive roots in the text of /proc/self/mounts: mount points of real file systems, without
// kernel pseudo file systems and without anything under /proc, /sys, /dev or /run. "/" is always
// there and first, the rest sorted; the mount holding `home` is always included (when `home` is
// not empty). Escaped blanks in mount points (\040) are decoded.
std::vector<std::string> DriveRoots(std::string_view mountsText, std::string_view home);

// The root among `roots` that holds `path` (the longest one that is `path` or a folder above it);
// empty when none does.
std::string DriveOf(const std::vector<std::string>& roots, std::string_view path);

// Classic file-name pattern match, case-sensitive. '*' any run of characters, '?' one character,
// everything else itself; several patterns may be joined with ';'. A pattern ending in ".*" also
// matches the name without any extension, so "*.*" matches every name, with or without a dot,
// and "data.*" matches "data". An empty pattern matches every name.
bool MatchesPattern(std::string_view name, std::string_view pattern);

// The contents of one folder, names only, each list sorted (case-insensitively, then exactly).
struct FolderContents {
    bool readable = false;            // false: the folder could not be opened
    std::vector<std::string> folders; // subfolders (links to folders included)
    std::vector<std::string> files;   // plain files (links to plain files included)
};
FolderContents ReadFolder(const std::string& path, bool showHidden);

// `path` made absolute (against the current directory) and cleaned: no ".", "..", doubled or
// trailing '/' (except for "/" itself).
std::string AbsolutePath(std::string_view path);

// True when `path` is `folder` or lies below it (both absolute and clean).
bool IsUnder(std::string_view path, std::string_view folder);

// True when `folder` is a folder this user may open and list.
bool Enterable(const std::string& folder);

} // namespace qb::platform
