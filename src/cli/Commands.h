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
    std::string modeHex;         // mode register value deciding the data format; empty: 21B0
    bool json = false;
    std::string graphFile;       // PNG of the code graph; empty: none
    std::string histogramFile;   // PNG of the histogram; empty: none
};

// Loads the file as the file-read window would and prints the noise figures, taking polarity,
// word length, range and reference from the mode register value as start-up decodes it. Plain
// output: the noise window's title, frame captions as headings, and under each its captions and
// value texts. With `json`: one object whose keys are the value labels' names and whose values
// are exactly the texts the window shows. 0 on success; otherwise (a missing, unreadable or empty
// file, a line that is not a code, a bad mode value) one line on `err` and a non-zero status.
// graphFile / histogramFile, when given, receive the code graph and the histogram as PNG images
// (a QApplication must exist); one that cannot be written gives one line on `err` and status 1.
int RunAnalyse(const AnalyseRequest& request, std::ostream& out, std::ostream& err);

// A mode register value as typed: 1 to 4 hexadecimal digits of either case, optionally after
// "0x". nullopt for anything else.
std::optional<int32_t> ParseModeRegister(std::string_view text);

struct AcquireRequest {
    int count = 500;             // 5..5000
    std::string outFile;
    bool hex = false;
    bool progress = false;       // show progress on `err` (on a terminal)
};

// With the program started up (ctx.settings filled by InitSettings, as main does): the
// continuous-mode check, an analysis read of `count` codes (the data reading window's routine),
// and the data file written by safe save. Messages of the read go to ctx.messages with the
// window's texts. Ctrl-C stops the read like a key press: the codes read so far are written
// (status 0, and a line on `err` saying how many). Bad input (count outside 5..5000, no output
// file, an output directory that is missing or not writable) is refused before the board is
// touched: one line on `err`, status 2 (1 for the output place). Converter not in continuous
// mode, no data, or a failed write: status 1, and no file is written. 0 only when the file
// holds the codes read.
int RunAcquire(const AcquireRequest& request, link::Context& ctx, std::ostream& err);

} // namespace qb::cli
