#pragma once
// Headless commands for scripts and batch work, on the same core as the windows.
#include <iosfwd>
#include <string>

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

// Loads the file as the file-read window would and prints the noise figures. 0 on success;
// otherwise one line on `err` and a non-zero status.
int RunAnalyse(const AnalyseRequest& request, std::ostream& out, std::ostream& err);

struct AcquireRequest {
    int count = 500;             // 5..5000
    std::string outFile;
    bool hex = false;
    bool progress = false;       // show progress on `err` (on a terminal)
};

// Start-up as the program does (ctx.settings filled by InitSettings), the continuous-mode check,
// an analysis read of `count` codes, and the data file written. Messages go to ctx.messages.
// Ctrl-C stops the read like a key press: the codes read so far are written. 0 only when the
// file holds the codes.
int RunAcquire(const AcquireRequest& request, link::Context& ctx, std::ostream& err);

} // namespace qb::cli
