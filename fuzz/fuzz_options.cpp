// Fuzzes the command line: the program's options (headless commands, board, trace, register
// values) and the simulated board's options they carry. The input is the words after the
// program's name, one per line. Checks besides "no crash":
// - a refused command line says why in one line;
// - an accepted one names one command, a count in range for --acquire and an output for it;
// - every --sim-... option it keeps is one the board takes or refuses in one line;
// - a register value is one its register holds, or is refused in one line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <QStringList>

#include "app/Options.h"
#include "board/SimOptions.h"
#include "link/CodeCount.h"
#include "link/SetUp.h"
#include "platform/base/Text.h"
#include "FuzzChecks.h"

using qb::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    QStringList words{"qb4160-eval"};
    for (const QString& word : QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split('\n'))
        words << word;
    const auto parsed = qb::app::ParseOptions(words);
    if (!parsed.ok()) {
        check(!parsed.error().empty() && parsed.error().find('\n') == std::string::npos);
        return 0;
    }
    const qb::app::Options& o = *parsed;
    if (o.command == qb::app::Command::Acquire) {
        check(qb::link::CodeCountAllowed(o.acquireCount));
        check(!o.outFile.empty() || !o.csvFile.empty());
    }
    qb::board::SimOptions sim;
    for (const std::string& option : o.simOptions) {
        check(option.starts_with("--sim-"));
        if (const auto error = qb::board::ApplySimOption(sim, option)) check(!error->empty() && error->find('\n') == std::string::npos);
    }
    for (const auto& [reg, text] : o.registers) {
        const auto value = qb::link::ParseRegisterValue(reg, text);
        if (value.ok())
            check(*value >= 0 && *value <= qb::link::TraitsOf(reg).largest);
        else
            check(!value.error().empty() && value.error().find('\n') == std::string::npos);
    }
    return 0;
}
