#include "platform/base/Folders.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

namespace qb::platform {

namespace fs = std::filesystem;

namespace {

// Kernel and helper file systems that hold no user files.
const std::set<std::string, std::less<>> kPseudoFileSystems = {
    "proc",       "sysfs",     "cgroup",      "cgroup2",   "devpts",     "devtmpfs",
    "mqueue",     "debugfs",   "tracefs",     "securityfs", "pstore",    "bpf",
    "configfs",   "fusectl",   "hugetlbfs",   "autofs",    "binfmt_misc", "rpc_pipefs",
    "nsfs",       "efivarfs",  "selinuxfs",   "ramfs",     "fuse.gvfsd-fuse", "fuse.portal",
};

bool Under(std::string_view path, std::string_view folder) {
    if (folder == "/") return !path.empty() && path.front() == '/';
    return path.size() >= folder.size() && path.substr(0, folder.size()) == folder &&
           (path.size() == folder.size() || path[folder.size()] == '/');
}

bool SystemArea(std::string_view mountPoint) {
    for (std::string_view area : {"/proc", "/sys", "/dev", "/run"})
        if (Under(mountPoint, area)) return true;
    return false;
}

// Mount points escape blanks, tabs, newlines and backslashes as \ooo.
std::string UnescapeMountField(std::string_view field) {
    const auto octal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && octal(field[i + 1]) && octal(field[i + 2]) &&
            octal(field[i + 3])) {
            out += char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

bool LessName(const std::string& a, const std::string& b) {
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : int(c); };
    const bool less = std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [&](char x, char y) { return lower(static_cast<unsigned char>(x)) < lower(static_cast<unsigned char>(y)); });
    const bool greater = std::lexicographical_compare(
        b.begin(), b.end(), a.begin(), a.end(),
        [&](char x, char y) { return lower(static_cast<unsigned char>(x)) < lower(static_cast<unsigned char>(y)); });
    if (less != greater) return less;
    return a < b;
}

// One pattern, no ';'. Iterative with one backtrack point: linear in practice, never exponential.
bool MatchOne(std::string_view name, std::string_view pattern) {
    size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

} // namespace

bool Enterable(const std::string& folder) {
    std::error_code ec;
    return fs::is_directory(folder, ec) && ::access(folder.c_str(), R_OK | X_OK) == 0;
}

std::vector<std::string> DriveRoots(std::string_view mountsText, std::string_view home) {
    std::vector<std::string> all;    // every mount point, for finding the home folder's mount
    std::vector<std::string> roots{"/"};
    std::istringstream in{std::string(mountsText)};
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type)) continue;
        mountPoint = UnescapeMountField(mountPoint);
        if (mountPoint.empty() || mountPoint.front() != '/') continue;
        all.push_back(mountPoint);
        if (kPseudoFileSystems.contains(type) || SystemArea(mountPoint)) continue;
        roots.push_back(mountPoint);
    }
    if (!home.empty()) {
        const std::string homeDrive = DriveOf(all, home);
        if (!homeDrive.empty()) roots.push_back(homeDrive);
    }
    std::sort(roots.begin() + 1, roots.end());
    roots.erase(std::unique(roots.begin() + 1, roots.end()), roots.end());
    roots.erase(std::remove(roots.begin() + 1, roots.end(), std::string("/")), roots.end());
    return roots;
}

std::string DriveOf(const std::vector<std::string>& roots, std::string_view path) {
    std::string best;
    for (const auto& root : roots)
        if (Under(path, root) && (best.empty() || root.size() > best.size())) best = root;
    return best;
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
    if (Trim(pattern).empty()) return true;
    while (true) {
        const size_t semi = pattern.find(';');
        const std::string_view one = Trim(pattern.substr(0, semi));
        if (!one.empty()) {
            if (MatchOne(name, one)) return true;
            if (one.size() >= 2 && one.substr(one.size() - 2) == ".*" &&
                name.find('.') == std::string_view::npos && MatchOne(name, one.substr(0, one.size() - 2)))
                return true;
        }
        if (semi == std::string_view::npos) return false;
        pattern.remove_prefix(semi + 1);
    }
}

FolderContents ReadFolder(const std::string& path, bool showHidden) {
    FolderContents out;
    std::error_code ec;
    fs::directory_iterator it(path, fs::directory_options::skip_permission_denied, ec);
    if (ec || ::access(path.c_str(), R_OK | X_OK) != 0) return out;
    out.readable = true;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        std::string name = it->path().filename().string();
        if (!showHidden && !name.empty() && name.front() == '.') continue;
        std::error_code typeError;
        // Follows links: a link to a folder is a folder; a broken link or a link loop is neither.
        const fs::file_status status = fs::status(it->path(), typeError);
        if (typeError) continue;
        if (fs::is_directory(status))
            out.folders.push_back(std::move(name));
        else if (fs::is_regular_file(status))
            out.files.push_back(std::move(name));
    }
    std::sort(out.folders.begin(), out.folders.end(), LessName);
    std::sort(out.files.begin(), out.files.end(), LessName);
    return out;
}

std::string AbsolutePath(std::string_view path) {
    std::error_code ec;
    fs::path p = path.empty() ? fs::current_path(ec) : fs::path(path);
    if (p.is_relative()) p = fs::current_path(ec) / p;
    std::string s = p.lexically_normal().string();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s.empty() ? "/" : s;
}

bool IsUnder(std::string_view path, std::string_view folder) { return Under(path, folder); }

} // namespace qb::platform
