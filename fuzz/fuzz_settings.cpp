// Fuzzes the settings file the window program reads at start: the input is the file's content,
// read through the program's preferences (the INI form they have on Linux) and taken as each
// remembered choice is taken. Checks besides "no crash":
// - a remembered window size is 0 to 100000 pixels a side, and reads back the same as stored;
// - a remembered count is taken as the text the read window stores for it gives it back;
// - a remembered file form is one of the two forms; a remembered folder is a folder;
// - each value read, stored again, reads back the same.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "analysis/AnalysisRead.h"
#include "files/FileChoices.h"
#include "platform/base/Preferences.h"
#include "platform/widgets/QtPreferences.h"
#include "FuzzChecks.h"

namespace {

using qb::fuzz::check;

const char* const kWindows[] = {"faststep", "SweepForm", "SpectrumForm", "GraphForm", "HistForm"};

std::string folder;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char name[] = "/tmp/qb-fuzz-settings-XXXXXX";
    check(mkdtemp(name) != nullptr);
    folder = name;
    std::atexit([] { std::filesystem::remove_all(folder); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // A new name for every input: the toolkit keeps the files it has read.
    static unsigned long run = 0;
    const std::string file = folder + "/" + std::to_string(++run) + ".conf";
    if (FILE* f = std::fopen(file.c_str(), "wb")) {
        check(std::fwrite(data, 1, size, f) == size);
        std::fclose(f);
    }
    {
        qb::platform::QtPreferences preferences(file);
        const qb::platform::Preferences* p = &preferences;

        if (const auto form = qb::files::RememberedForm(p))
            check(*form == qb::files::CodeForm::Decimal || *form == qb::files::CodeForm::Hex);
        if (const auto remembered = qb::files::RememberedFolder(p)) {
            std::error_code ec;
            check(std::filesystem::is_directory(*remembered, ec));
        }
        if (const auto text = qb::platform::Remembered(p, qb::analysis::kCountPreference))
            if (const auto count = qb::analysis::ParseCodeCount(*text))
                check(qb::analysis::ParseCodeCount(std::to_string(*count)) == count);
        for (const char* window : kWindows) {
            const auto text = qb::platform::Remembered(p, std::string("windows/") + window + "/size");
            const auto stored = text ? qb::platform::ParseWindowSize(*text) : std::nullopt;
            if (!stored) continue;
            for (const int side : {stored->first, stored->second}) check(side >= 0 && side <= 100000);
            check(qb::platform::ParseWindowSize(std::to_string(stored->first) + "x" + std::to_string(stored->second)) ==
                  stored);
        }
        for (const char* key : {qb::files::kFormPreference, qb::files::kFolderPreference, qb::analysis::kCountPreference}) {
            const auto value = preferences.value(key);
            if (!value) continue;
            preferences.setValue("again/value", *value);
            check(preferences.value("again/value") == value);
        }
    }
    std::filesystem::remove(file);
    std::filesystem::remove(file + ".lock");
    return 0;
}
