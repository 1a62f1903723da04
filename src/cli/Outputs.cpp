#include "cli/Outputs.h"

#include <sys/stat.h>

#include <filesystem>
#include <ostream>

#include "cli/Report.h"
#include "platform/base/ExitStatus.h"
#include "platform/base/SafeSave.h"

namespace qb::cli {

namespace {

// Whether two names reach one file: the same file where both exist, otherwise the same path
// once links and dots are resolved.
bool sameFile(const std::string& a, const std::string& b) {
    struct stat first {}, second {};
    if (::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    std::error_code error;
    const auto resolvedA = std::filesystem::weakly_canonical(a, error);
    const auto resolvedB = std::filesystem::weakly_canonical(b, error);
    return resolvedA == resolvedB;
}

std::string named(const Output& output) { return output.what.empty() ? output.file : output.what + " (" + output.file + ")"; }

} // namespace

int CheckOutputs(const std::vector<Output>& outputs, const std::vector<std::string>& inputs, std::ostream& err) {
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const Output& output = outputs[i];
        if (output.file.empty()) continue;
        if (output.nameOk && !output.nameOk(output.file)) {
            err << CannotWrite(output.what, output.file, output.nameRule);
            return platform::kExitUsage;
        }
        for (const std::string& input : inputs) {
            if (!input.empty() && sameFile(output.file, input)) {
                err << kProgram << named(output) << " would overwrite the input " << input << '\n';
                return platform::kExitUsage;
            }
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (!outputs[j].file.empty() && sameFile(output.file, outputs[j].file)) {
                err << kProgram << named(outputs[j]) << " and " << named(output) << " are one file\n";
                return platform::kExitUsage;
            }
        }
    }
    for (const Output& output : outputs) {
        if (output.file.empty()) continue;
        if (const auto target = platform::CheckSaveTarget(output.file); !target.ok()) {
            err << CannotWrite(output.what, output.file, target.error());
            return platform::kExitFailure;
        }
    }
    return platform::kExitOk;
}

} // namespace qb::cli
