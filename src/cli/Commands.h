#pragma once
// Headless commands for scripts and batch work, on the same core as the windows.
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "link/Context.h"

namespace qb::cli {

struct AnalyseRequest {
    std::string file;            // data file, decimal unless `hex`
    bool hex = false;
    std::string modeHex{};       // mode register value deciding the data format; empty: 21B0
    bool json = false;
    std::string graphFile{};     // PNG or PDF of the code graph; empty: none
    std::string histogramFile{}; // PNG or PDF of the histogram; empty: none
    std::string filterHex{};     // filter register value giving the sample rate; empty: 800010
    int32_t masterClockHz = 4915200;
    std::string spectrumFile{};  // noise spectrum, .csv; empty: none
    std::string csvFile{};       // the codes as CSV; empty: none
};

// Loads the file as the file-read window would and prints the noise figures, taking polarity,
// word length, range and reference from the mode register value as start-up decodes it, and the
// sample rate from the filter register value at the master clock. Plain output: the noise
// window's title, frame captions as headings, and under each its captions and value texts; then
// the evaluator's figures (analysis::FiguresText) as a last group. With `json`: one object,
// {"labels": {value label name: the text the window shows}, "figures": {key: number in base
// units, or null}}. 0 on success; otherwise (a missing, unreadable or empty file, a line that is
// not a code, a bad mode or filter value) one line on `err` and a non-zero status.
// spectrumFile / csvFile, when given, receive the noise spectrum and the codes as CSV;
// graphFile / histogramFile the code graph and the histogram as PNG images or PDF documents, as
// their names end (a QApplication must exist). All are checked before anything is read or
// printed: an image name ending otherwise gives status 2, a place that cannot be written (see
// platform::CheckSaveTarget) status 1, each with one line on `err`; so does a failed write.
int RunAnalyse(const AnalyseRequest& request, std::ostream& out, std::ostream& err);

// A mode register value as typed: 1 to 4 hexadecimal digits of either case, optionally after
// "0x". nullopt for anything else.
std::optional<int32_t> ParseModeRegister(std::string_view text);

// A filter register value as typed: 1 to 6 hexadecimal digits, as above.
std::optional<int32_t> ParseFilterRegister(std::string_view text);

struct AcquireRequest {
    int count = 500;             // 5..5000
    std::string outFile{};
    bool hex = false;
    bool progress = false;       // show progress on `err` (on a terminal)
    std::string csvFile{};       // the codes as CSV as well (or instead); empty: none
};

// With the program started up (ctx.settings filled by InitSettings, as main does): the
// continuous-mode check, an analysis read of `count` codes (the data reading window's routine),
// and the data file written by safe save; with csvFile, also the codes as CSV, after a read of
// the DAC register so that its header gives the converter's value. Messages of the read go to
// ctx.messages with the window's texts. Statuses a script can trust:
//  - 0: the files hold every code asked for;
//  - 128 + the signal (130, 143, 129): Ctrl-C, SIGTERM or SIGHUP stopped the read (also while waiting for a result); the codes read
//    so far are written and a line on `err` says how many the files hold (none read: nothing is
//    written, and the line says so);
//  - 2: bad input (count outside 5..5000, neither an output file nor a CSV file), refused before
//    the board is touched;
//  - 1: any other failure, with nothing written: an output file that cannot be written (a
//    write-protected file, a device, a named pipe, a missing or unwritable folder; refused before
//    the board is touched), a converter not in continuous mode, no data, a failed write.
int RunAcquire(const AcquireRequest& request, link::Context& ctx, std::ostream& err);

} // namespace qb::cli
