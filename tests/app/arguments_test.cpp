// Qt's own options are taken out before the program's; the display check before the toolkit
// starts.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/Display.h"
#include "app/QtArguments.h"

namespace {

using qb::app::SplitQtArguments;

struct SplitCase {
    const char* name;
    std::vector<std::string> argv;  // after the program name
    std::vector<std::string> qt;    // after the program name
    std::vector<std::string> own;   // after the program name
    bool platformGiven;
};

class QtArgumentSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(QtArgumentSplit, QtOptionsGoToQtAndTheRestStaysInOrder) {
    const SplitCase& c = GetParam();
    std::vector<std::string> words{"qb4160-eval"};
    words.insert(words.end(), c.argv.begin(), c.argv.end());
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    const auto split = SplitQtArguments(static_cast<int>(words.size()), argv.data());
    std::vector<std::string> qt(split.qt.begin() + 1, split.qt.end());
    std::vector<std::string> own;
    for (qsizetype i = 1; i < split.own.size(); ++i) own.push_back(split.own[i].toStdString());
    ASSERT_FALSE(split.qt.empty());
    EXPECT_EQ(split.qt.front(), "qb4160-eval");
    EXPECT_EQ(split.own.front().toStdString(), "qb4160-eval");
    EXPECT_EQ(qt, c.qt);
    EXPECT_EQ(own, c.own);
    EXPECT_EQ(split.platformGiven, c.platformGiven);
}

INSTANTIATE_TEST_SUITE_P(
    Table, QtArgumentSplit,
    ::testing::Values(
        SplitCase{"Nothing", {}, {}, {}, false},
        SplitCase{"OwnOnly", {"--board=sim", "L", "/SS"}, {}, {"--board=sim", "L", "/SS"}, false},
        SplitCase{"PlatformWithValue", {"-platform", "offscreen", "L"}, {"-platform", "offscreen"}, {"L"}, true},
        SplitCase{"DoubleDashStyle", {"L", "--style", "Fusion", "--trace=t"}, {"--style", "Fusion"},
                  {"L", "--trace=t"}, false},
        SplitCase{"Flags", {"-reverse", "--hex", "-widgetcount"}, {"-reverse", "-widgetcount"}, {"--hex"}, false},
        SplitCase{"DebuggerWithEquals", {"-qmljsdebugger=port:1234"}, {"-qmljsdebugger=port:1234"}, {}, false},
        // A value option at the very end has no value to take: it stays for our parser to refuse.
        SplitCase{"ValueMissing", {"L", "-platform"}, {}, {"L", "-platform"}, false},
        SplitCase{"OurValuesAreNotTaken", {"--out", "-style"}, {}, {"--out", "-style"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct DisplayCase {
    const char* name;
    std::map<std::string, std::string> environment;
    bool platformGiven;
    bool available;
};

class DisplayCheck : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(DisplayCheck, AnyOfTheDisplayVariablesOrAPlatformOption) {
    const DisplayCase& c = GetParam();
    const auto lookup = [&c](const char* name) -> const char* {
        auto it = c.environment.find(name);
        return it == c.environment.end() ? nullptr : it->second.c_str();
    };
    EXPECT_EQ(qb::app::DisplayAvailable(lookup, c.platformGiven), c.available);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DisplayCheck,
    ::testing::Values(DisplayCase{"None", {}, false, false},
                      DisplayCase{"X11", {{"DISPLAY", ":0"}}, false, true},
                      DisplayCase{"Wayland", {{"WAYLAND_DISPLAY", "wayland-0"}}, false, true},
                      DisplayCase{"QtPlatform", {{"QT_QPA_PLATFORM", "offscreen"}}, false, true},
                      DisplayCase{"EmptyValuesCountAsUnset",
                                  {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}},
                                  false, false},
                      DisplayCase{"PlatformOption", {}, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
