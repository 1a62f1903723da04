#pragma once
// The program's own command-line options. They are taken out first (as Qt takes out its own);
// the words left, joined by single blanks, are the command line that "/SS" and "L" read.
#include <QStringList>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "link/SetUp.h"
#include "platform/base/Result.h"

namespace qb::app {

enum class Command { Gui, Analyse, Acquire, Log, FastStep, Sweep, SaveSetUp, Help, Version };

struct Options {
    Command command = Command::Gui;
    std::string board = "sim";           // sim | ppdev[:DEVICE] | io[:ADDRESS]
    std::string traceFile;               // empty: no trace
    std::vector<std::string> simOptions; // each "--sim-NAME=VALUE" or "--sim-NAME", as typed
    std::string commandLine;             // the words left
    // Headless commands
    std::string analyseFile;
    int acquireCount = 0;
    std::string outFile;
    bool hex = false;
    // --mode, --filter, --dac, --offset and --gain as typed: the conditions of the measurement
    // (written before --acquire reads; those of the codes --analyse reads)
    std::map<link::SetUpRegister, std::string> registers;
    std::string setUpFile;               // --setup=FILE for --acquire
    std::string saveSetUpFile;           // --save-setup=FILE
    bool json = false;
    std::string graphFile, histogramFile;
    std::string spectrumFile;            // --spectrum=FILE for --analyse
    std::string allanFile;               // --allan=FILE for --analyse
    std::string logDuration;             // --duration=SECONDS for --log, as typed; empty: none
    bool progress = false;               // --progress for --acquire and --log
    std::string csvFile;                 // --csv=FILE for --analyse, --acquire, --log and --sweep
    // --ranges, --rates, --chop and --count of --sweep as typed; empty: their defaults (--count
    // is also the number of codes of --log)
    std::string sweepRanges, sweepRates, sweepChop, sweepCount;
    bool noSettings = false;             // --no-settings: neither read nor write remembered choices
};

// The options, or one line saying what is wrong. arguments()[0] is the program.
platform::Result<Options> ParseOptions(const QStringList& arguments);
std::string UsageText();

} // namespace qb::app
