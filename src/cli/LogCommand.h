#pragma once
// Long logging: codes streamed to a CSV file for as long as asked, for drift and stability.
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "link/Context.h"
#include "link/SetUp.h"

namespace qb::cli {

struct LogRequest {
    std::string csvFile;
    std::optional<int64_t> count{};            // codes to log; none: no limit
    std::optional<double> durationSeconds{};   // log the results of the first so many seconds
                                               // (by the port's clock); none: no limit
    bool progress = false;                     // codes, time and rate on one updating line of `err`
    link::SetUp setUp{};                       // the registers to write before the read
};

// The header line of the log's rows.
inline constexpr const char* kLogColumns = "index,time_s,code,volts";

// With the program started up: the set-up written (link::ProgramRegisters), the continuous-mode
// check, the DAC, offset and gain registers read for the header, then the CSV file made: the
// header of --acquire --csv (the conditions of the log), kLogColumns and one line per result as
// it comes. time_s is the time of the result since the first by the port's clock, to the
// nanosecond (on virtual time, whole conversion periods); volts as in the noise figures. The file
// is handed to the system in whole lines at least every second (platform::LineFile), and memory
// does not grow with its length. Without count or duration it runs until a signal.
// Statuses:
//  - 0: the count or the duration was reached;
//  - 128 + the signal (130 for Ctrl-C, 143, 129): stopped; every code read is in the file and a
//    line on `err` says how many;
//  - 1: a register that read back other than written, a converter not in continuous mode (the
//    file is not made then), no result within the wait, a write that failed (the file keeps the
//    lines before), each with one line on `err` or ctx.messages.
int RunLog(const LogRequest& request, link::Context& ctx, std::ostream& err);

} // namespace qb::cli
