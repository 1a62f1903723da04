#include "cli/Report.h"

#include <ostream>

#include "link/ProgramRegisters.h"

namespace qb::cli {

std::string CannotWrite(std::string_view what, std::string_view file, std::string_view why) {
    std::string line = std::string(kProgram) + "cannot write ";
    if (!what.empty()) line.append(what).append(" to ");
    return line.append(file).append(": ").append(why).append("\n");
}

bool WriteSetUp(const link::Context& ctx, const link::SetUp& setUp, const char* nothingDone, std::ostream& err) {
    const std::optional<link::Mismatch> mismatch = link::ProgramRegisters(ctx, setUp);
    if (mismatch && ctx.port.failureReason().empty()) err << kProgram << link::MismatchText(*mismatch) << "; " << nothingDone << '\n';
    return !mismatch;
}

} // namespace qb::cli
