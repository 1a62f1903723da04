#include "app/QtArguments.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace qb::app {

namespace {

// Options of QGuiApplication and QApplication that take the next word as their value.
constexpr std::array<std::string_view, 14> kWithValue{
    "platform", "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon", "qwindowtitle", "session", "display", "geometry", "style", "stylesheet",
    "name", "title"};
// Options of theirs that stand alone.
constexpr std::array<std::string_view, 5> kFlags{"reverse", "widgetcount", "nograb", "dograb",
                                                 "sync"};

// The option's name without its dashes, or empty when the word is not a dashed word.
std::string_view optionName(std::string_view word) {
    if (word.size() < 2 || word[0] != '-') return {};
    word.remove_prefix(word[1] == '-' ? 2 : 1);
    return word;
}

template <std::size_t N>
bool among(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

SplitArguments SplitQtArguments(int argc, char** argv) {
    SplitArguments out;
    if (argc < 1 || !argv) return out;
    out.qt.emplace_back(argv[0]);
    out.own << QString::fromLocal8Bit(argv[0]);
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        const std::string_view name = optionName(word);
        if (among(kWithValue, name) && i + 1 < argc) {
            out.qt.emplace_back(word);
            out.qt.emplace_back(argv[++i]);
            if (name == "platform") out.platformGiven = true;
        } else if (among(kFlags, name) || name.starts_with("qmljsdebugger=")) {
            out.qt.emplace_back(word);
        } else {
            out.own << QString::fromLocal8Bit(argv[i]);
        }
    }
    return out;
}

ArgumentVector::ArgumentVector(const std::vector<std::string>& words) {
    storage_.reserve(words.size());
    for (const std::string& w : words) {
        storage_.emplace_back(w.begin(), w.end());
        storage_.back().push_back('\0');
    }
    for (auto& w : storage_) pointers_.push_back(w.data());
    argc_ = static_cast<int>(storage_.size());
    pointers_.push_back(nullptr);  // argv[argc] is a null pointer, as from the system
}

} // namespace qb::app
