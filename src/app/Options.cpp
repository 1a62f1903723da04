#include "app/Options.h"

#include <algorithm>

#include <QCommandLineParser>

#include "link/CodeCount.h"

namespace qb::app {

namespace {

const char* const kSimValueOptions[] = {"sim-noise", "sim-seed", "sim-ain1", "sim-ain2",
                                        "sim-mclk", "sim-fault", "sim-time"};
const char* const kSimFlagOptions[] = {"sim-noref"};

const char* commandName(Command c) {
    switch (c) {
    case Command::Analyse: return "--analyse";
    case Command::Acquire: return "--acquire";
    case Command::Log: return "--log";
    case Command::FastStep: return "--faststep";
    case Command::Sweep: return "--sweep";
    case Command::SaveSetUp: return "--save-setup";
    default: return "";
    }
}

// "--analyse", "--analyse or --acquire", "--analyse, --acquire or --faststep"
std::string commandNames(const std::vector<Command>& commands) {
    std::string text;
    std::size_t i = 0;
    for (Command c : commands) {
        if (i > 0) text += i + 1 == commands.size() ? " or " : ", ";
        text += commandName(c);
        ++i;
    }
    return text;
}

} // namespace

std::string UsageText() {
    return "Usage:\n"
           "  qb4160-eval [--board=sim|ppdev[:DEVICE]|io[:ADDRESS]] [--trace=FILE] [--no-settings] [--sim-...]\n"
           "              [L] [/SS]\n"
           "  qb4160-eval --analyse FILE [--hex] [--mode=HEX] [--filter=HEX] [--dac=HEX] [--offset=HEX] [--gain=HEX]\n"
           "              [--json] [--graph=IMAGE] [--histogram=IMAGE] [--spectrum=CSV|IMAGE] [--allan=CSV|IMAGE]\n"
           "              [--csv=CSV] [L]\n"
           "  qb4160-eval --acquire COUNT --out FILE|--csv=CSV [--hex] [--setup=FILE] [--mode=HEX] [--filter=HEX]\n"
           "              [--dac=HEX] [--offset=HEX] [--gain=HEX] [--progress] [--board=...] [--sim-...] [--trace=FILE]\n"
           "  qb4160-eval --log --csv=CSV [--count=N|--duration=SECONDS] [--progress] [--setup=FILE] [--mode=HEX]\n"
           "              [--filter=HEX] [--dac=HEX] [--offset=HEX] [--gain=HEX] [--board=...] [--sim-...] [--trace=FILE]\n"
           "  qb4160-eval --save-setup=FILE [--board=...] [--sim-...] [--trace=FILE]\n"
           "  qb4160-eval --faststep [--json] [--graph=IMAGE] [--board=...] [--sim-...] [--trace=FILE]\n"
           "  qb4160-eval --sweep [--ranges=MV,...] [--rates=HZ,...] [--chop=on|off|both] [--count=N] [--json]\n"
           "              [--csv=CSV] [--graph=IMAGE] [--setup=FILE] [--mode=HEX] [--filter=HEX] [--dac=HEX]\n"
           "              [--offset=HEX] [--gain=HEX] [--board=...] [--sim-...] [--trace=FILE] [L]\n"
           "  qb4160-eval --help | --version\n"
           "\n"
           "Board:\n"
           "  --board=sim            the simulated board (default)\n"
           "  --board=ppdev[:DEV]    a real board through Linux ppdev (default /dev/parport0)\n"
           "  --board=io[:ADDRESS]   a real board through direct port I/O (root, x86; default 888)\n"
           "  --trace=FILE           log every port access (W 0378 1A / R 0379 7F)\n"
           "  --no-settings          start with the defaults and remember nothing of this run\n"
           "Conditions of the measurement (hexadecimal register values):\n"
           "  --mode=HEX --filter=HEX --dac=HEX --offset=HEX --gain=HEX\n"
           "                         --acquire, --log and --sweep write them first (filter, DAC, offset,\n"
           "                         gain, then mode), each read back; --analyse takes the codes to have\n"
           "                         been read with them (default: the CSV file's header, or for a\n"
           "                         data file mode 21B0 and filter 800010)\n"
           "  --setup=FILE           --acquire, --log and --sweep write the set-up file's registers first (the\n"
           "                         options above take the place of its values)\n"
           "  --save-setup=FILE      read the five registers and save them as a set-up file:\n"
           "                         {\"mode\": \"2190\", \"filter\": \"400010\", ...}\n"
           "Analysis:\n"
           "  --spectrum=FILE        noise spectrum (V/sqrt(Hz) against Hz): .csv, or .png/.pdf\n"
           "  --allan=FILE           overlapping Allan deviation (V against averaging time): .csv, or .png/.pdf\n"
           "  --csv=CSV              the codes with their volts and the conditions of the read\n"
           "  --graph=IMAGE          the code graph, IMAGE ending in .png or .pdf\n"
           "  --histogram=IMAGE      the histogram, IMAGE ending in .png or .pdf\n"
           "Logging (codes streamed to CSV, flushed every second; until Ctrl-C without a limit):\n"
           "  --count=N              codes to log                --duration=SECONDS  seconds to log\n"
           "  --progress             codes, time and rate on one line (default on a terminal)\n"
           "Noise sweep (RMS noise and resolution against range, output rate and chopping):\n"
           "  --ranges=MV,...        input ranges among 10, 20, 40, 80 (default all four)\n"
           "  --rates=HZ,...         output rates (default ten across what the filter word reaches)\n"
           "  --chop=on|off|both     chopping (default as the converter holds it)\n"
           "  --count=N              codes per setting, 5 to 5000 (default 1000)\n"
           "  --csv=CSV, --graph=IMAGE  the rows as CSV; RMS noise against rate, .png or .pdf\n"
           "Words left on the command line:\n"
           "  L      master clock 2.4576 MHz      /SS    show the port status at start\n";
}

platform::Result<Options> ParseOptions(const QStringList& arguments) {
    Options o;

    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    p.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption help(QStringList{"help", "h"});
    const QCommandLineOption version("version");
    const QCommandLineOption board("board", "", "backend");
    const QCommandLineOption trace("trace", "", "file");
    const QCommandLineOption analyse("analyse", "", "file");
    const QCommandLineOption acquire("acquire", "", "count");
    const QCommandLineOption out("out", "", "file");
    const QCommandLineOption hex("hex");
    const QCommandLineOption json("json");
    const QCommandLineOption graph("graph", "", "image");
    const QCommandLineOption histogram("histogram", "", "image");
    const QCommandLineOption spectrum("spectrum", "", "file");
    const QCommandLineOption allan("allan", "", "file");
    const QCommandLineOption log("log"), duration("duration", "", "seconds"), progress("progress");
    const QCommandLineOption csv("csv", "", "file");
    const QCommandLineOption setUp("setup", "", "file");
    const QCommandLineOption saveSetUp("save-setup", "", "file");
    const QCommandLineOption noSettings("no-settings");
    const QCommandLineOption faststep("faststep");
    const QCommandLineOption sweep("sweep");
    const QCommandLineOption ranges("ranges", "", "mv"), rates("rates", "", "hz"), chop("chop", "", "choice"),
        count("count", "", "n");
    std::map<link::SetUpRegister, QCommandLineOption> registers;
    for (link::SetUpRegister reg : link::kMenuOrder)
        registers.emplace(reg, QCommandLineOption(link::TraitsOf(reg).key, "", "hex"));
    p.addOptions({help, version, board, trace, analyse, acquire, out, hex, json, graph, histogram, spectrum, csv,
                  setUp, saveSetUp, noSettings, faststep, sweep, ranges, rates, chop, count, allan, log, duration,
                  progress});
    for (const auto& [reg, option] : registers) p.addOption(option);
    for (const char* name : kSimValueOptions) p.addOption(QCommandLineOption(name, "", "value"));
    for (const char* name : kSimFlagOptions) p.addOption(QCommandLineOption(name));

    if (!p.parse(arguments)) return platform::Fail(p.errorText().toStdString());
    // An option given with an empty value ("--mode=") is a mistake, not a request for the default.
    std::vector<const QCommandLineOption*> valued = {&board, &trace,  &analyse, &acquire, &out,   &graph,
                                                     &histogram, &spectrum, &csv, &setUp, &saveSetUp,
                                                     &ranges, &rates, &chop, &count, &allan, &duration};
    for (const auto& [reg, option] : registers) valued.push_back(&option);
    for (const QCommandLineOption* option : valued) {
        if (p.isSet(*option) && p.value(*option).isEmpty())
            return platform::Fail("--" + option->names().first().toStdString() + " needs a value");
    }

    if (p.isSet(board)) o.board = p.value(board).toStdString();
    if (p.isSet(trace)) o.traceFile = p.value(trace).toStdString();
    for (const char* name : kSimValueOptions)
        for (const QString& v : p.values(name))
            o.simOptions.push_back("--" + std::string(name) + "=" + v.toStdString());
    for (const char* name : kSimFlagOptions)
        if (p.isSet(name)) o.simOptions.push_back("--" + std::string(name));
    o.hex = p.isSet(hex);
    o.json = p.isSet(json);
    for (const auto& [reg, option] : registers)
        if (p.isSet(option)) o.registers[reg] = p.value(option).toStdString();
    o.graphFile = p.value(graph).toStdString();
    o.histogramFile = p.value(histogram).toStdString();
    o.outFile = p.value(out).toStdString();
    o.spectrumFile = p.value(spectrum).toStdString();
    o.allanFile = p.value(allan).toStdString();
    o.logDuration = p.value(duration).toStdString();
    o.progress = p.isSet(progress);
    o.csvFile = p.value(csv).toStdString();
    o.setUpFile = p.value(setUp).toStdString();
    o.saveSetUpFile = p.value(saveSetUp).toStdString();
    o.sweepRanges = p.value(ranges).toStdString();
    o.sweepRates = p.value(rates).toStdString();
    o.sweepChop = p.value(chop).toStdString();
    o.sweepCount = p.value(count).toStdString();
    o.noSettings = p.isSet(noSettings);
    o.commandLine = p.positionalArguments().join(' ').toStdString();

    if (p.isSet(help)) {
        o.command = Command::Help;
        return o;
    }
    if (p.isSet(version)) {
        o.command = Command::Version;
        return o;
    }
    const std::pair<const QCommandLineOption*, Command> commands[] = {
        {&analyse, Command::Analyse}, {&acquire, Command::Acquire}, {&log, Command::Log}, {&faststep, Command::FastStep},
        {&sweep, Command::Sweep}, {&saveSetUp, Command::SaveSetUp}};
    for (const auto& [option, command] : commands) {
        if (!p.isSet(*option)) continue;
        if (o.command != Command::Gui)
            return platform::Fail(std::string(commandName(o.command)) + " and " + commandName(command) +
                                  " cannot be used together");
        o.command = command;
    }
    if (o.command == Command::Analyse) o.analyseFile = p.value(analyse).toStdString();
    if (o.command == Command::Acquire) {
        bool ok = false;
        o.acquireCount = p.value(acquire).toInt(&ok);
        if (!ok || !link::CodeCountAllowed(o.acquireCount))
            return platform::Fail("--acquire takes a number of codes from " + std::to_string(link::kMinCodes) + " to " +
                                  std::to_string(link::kMaxCodes) + ", not \"" + p.value(acquire).toStdString() + "\"");
        if (o.outFile.empty() && o.csvFile.empty()) return platform::Fail("--acquire needs --out FILE or --csv=FILE");
    }
    if (o.command == Command::Log) {
        if (o.csvFile.empty()) return platform::Fail("--log needs --csv=FILE");
        if (p.isSet(count) && p.isSet(duration)) return platform::Fail("--log takes --count or --duration, not both");
    }

    // Which command each of the commands' own options goes with.
    using C = Command;
    struct Belongs {
        const QCommandLineOption* option;
        std::vector<Command> commands;
    };
    std::vector<Belongs> belongs = {{&out, {C::Acquire}},
                                    {&hex, {C::Analyse, C::Acquire}},
                                    {&csv, {C::Analyse, C::Acquire, C::Log, C::Sweep}},
                                    {&json, {C::Analyse, C::FastStep, C::Sweep}},
                                    {&graph, {C::Analyse, C::FastStep, C::Sweep}},
                                    {&histogram, {C::Analyse}},
                                    {&spectrum, {C::Analyse}},
                                    {&allan, {C::Analyse}},
                                    {&setUp, {C::Acquire, C::Log, C::Sweep}},
                                    {&count, {C::Sweep, C::Log}},
                                    {&duration, {C::Log}},
                                    {&progress, {C::Acquire, C::Log}}};
    for (const QCommandLineOption* option : {&ranges, &rates, &chop}) belongs.push_back({option, {C::Sweep}});
    for (const auto& [reg, option] : registers) belongs.push_back({&option, {C::Analyse, C::Acquire, C::Log, C::Sweep}});
    for (const Belongs& b : belongs) {
        if (!p.isSet(*b.option) || std::find(b.commands.begin(), b.commands.end(), o.command) != b.commands.end())
            continue;
        return platform::Fail("--" + b.option->names().first().toStdString() + " goes with " + commandNames(b.commands));
    }
    if (o.command == Command::Analyse && (p.isSet(board) || p.isSet(trace) || !o.simOptions.empty()))
        return platform::Fail("--analyse reads a file: --board, --trace and --sim-... go with the commands that use the board");
    return o;
}

} // namespace qb::app
