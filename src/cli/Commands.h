#pragma once
// Headless commands for scripts and batch work, on the same core as the windows.
#include <cstdint>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>

#include "link/Context.h"
#include "link/SetUp.h"
#include "platform/base/Result.h"

namespace qb::cli {

// The register options of a command line as typed, by register (--mode=HEX, --filter=HEX,
// --dac=HEX, --offset=HEX, --gain=HEX). Everywhere they give the conditions of the measurement:
// the registers an acquisition writes before it reads, the registers an analysis takes the codes
// to have been read with.
using RegisterOptions = std::map<link::SetUpRegister, std::string>;

// The options' values, as link::ParseRegisterValue reads them (link::ParseProgrammableValue when
// they are to be written). Fails naming the first bad option: "--dac=40: is above 3F, ...".
platform::Result<link::SetUp> ParseRegisterOptions(const RegisterOptions& options, bool programmable);

struct AnalyseRequest {
    std::string file;            // the program's CSV file (known by its first line), or a data
                                 // file, decimal unless `hex`
    bool hex = false;
    RegisterOptions registers{}; // where given, they take the place of the CSV header's; a data
                                 // file is taken as mode 21B0 and filter 800010 where not given
    std::optional<int32_t> masterClockHz{};  // where given (L), it takes the place of the CSV
                                             // header's; a data file is taken as 4915200
    bool json = false;
    std::string graphFile{};     // PNG or PDF of the code graph; empty: none
    std::string histogramFile{}; // PNG or PDF of the histogram; empty: none
    std::string spectrumFile{};  // noise spectrum, .csv or a picture; empty: none
    std::string csvFile{};       // the codes as CSV, with the conditions of the analysis; empty: none
    std::string allanFile{};     // Allan deviation, .csv or a picture; empty: none
};

// Loads the file and prints the noise figures of all its codes, however many a CSV file holds
// (a data file holds at most 5000), in the data format of its mode register (as start-up decodes
// it) and at the sample rate of its filter register and master clock. Plain output: the noise
// window's title, frame captions as headings, and under each its captions and value texts; then
// the evaluator's figures (analysis::FiguresText) as a last group. With `json`: one object,
// {"labels": {value label name: the text the window shows}, "figures": {key: number in base
// units, or null}}. 0 on success; otherwise (a missing, unreadable or empty file, a line that is
// not a code, a CSV header without its conditions) one line on `err` and status 1; a bad
// register option gives status 2.
// spectrumFile / csvFile, when given, receive the noise spectrum and the codes as CSV;
// allanFile the overlapping Allan deviation of the readings in volts (analysis::AllanCsv, or the
// log-log chart as a picture);
// graphFile / histogramFile the code graph and the histogram as PNG images or PDF documents, as
// their names end (a QApplication must exist; the charts take at most 32767 codes). All are
// checked before anything is read or printed: an image name ending otherwise gives status 2, a
// place that cannot be written (see platform::CheckSaveTarget) status 1, each with one line on
// `err`; so does a failed write.
int RunAnalyse(const AnalyseRequest& request, std::ostream& out, std::ostream& err);

// The set-up an acquisition or a sweep writes first: the set-up file's (none: empty), with the
// register options in the place of its values. Fails, as a usage error, naming the file and its
// line or key, or the option.
platform::Result<link::SetUp> SetUpToWrite(const std::string& setUpFile, const RegisterOptions& options);

struct AcquireRequest {
    int count = 500;             // 5..5000
    std::string outFile{};
    bool hex = false;
    bool progress = false;       // show progress on `err` (on a terminal)
    std::string csvFile{};       // the codes as CSV as well (or instead); empty: none
    link::SetUp setUp{};         // the registers to write before the read
};

// With the program started up (ctx.settings filled by InitSettings, as main does): the set-up
// written (link::ProgramRegisters), the continuous-mode check, an analysis read of `count` codes
// (the data reading window's routine), and the data file written by safe save; with csvFile,
// also the codes as CSV, after a read of the DAC, offset and gain registers so that its header
// gives the converter's values. Messages of the read go to ctx.messages with the window's texts.
// Statuses a script can trust:
//  - 0: the files hold every code asked for;
//  - 128 + the signal (130, 143, 129): Ctrl-C, SIGTERM or SIGHUP stopped the read (also while waiting for a result); the codes read
//    so far are written and a line on `err` says how many the files hold (none read: nothing is
//    written, and the line says so);
//  - 2: bad input (count outside 5..5000, neither an output file nor a CSV file), refused before
//    the board is touched;
//  - 1: any other failure, with nothing written: an output file that cannot be written (a
//    write-protected file, a device, a named pipe, a missing or unwritable folder; refused before
//    the board is touched), a register that read back other than written (nothing is read then),
//    a converter not in continuous mode, no data, a failed write.
int RunAcquire(const AcquireRequest& request, link::Context& ctx, std::ostream& err);

// With the program started up: reads the five registers and saves them as a set-up file
// (link::SetUpJson) by safe save. 0 when saved; 1, with one line on `err`, when the file cannot
// be written (checked before the registers are read).
int RunSaveSetUp(const std::string& file, link::Context& ctx, std::ostream& err);

} // namespace qb::cli
