#include "app/Options.h"

#include <QCommandLineParser>

#include "link/CodeCount.h"

namespace qb::app {

namespace {

const char* const kSimValueOptions[] = {"sim-noise", "sim-seed", "sim-ain1", "sim-ain2",
                                        "sim-mclk", "sim-fault", "sim-time"};
const char* const kSimFlagOptions[] = {"sim-noref"};

} // namespace

std::string UsageText() {
    return "Usage:\n"
           "  qb4160-eval [--board=sim|ppdev[:DEVICE]|io[:ADDRESS]] [--trace=FILE] [--no-settings] [--sim-...]\n"
           "              [L] [/SS]\n"
           "  qb4160-eval --analyse FILE [--hex] [--mode=HEX] [--filter=HEX] [--json] [--graph=IMAGE]\n"
           "              [--histogram=IMAGE] [--spectrum=CSV|IMAGE] [--csv=CSV] [L]\n"
           "  qb4160-eval --acquire COUNT --out FILE|--csv=CSV [--hex] [--board=...] [--sim-...] [--trace=FILE]\n"
           "  qb4160-eval --faststep [--json] [--graph=IMAGE] [--board=...] [--sim-...] [--trace=FILE]\n"
           "  qb4160-eval --sweep [--ranges=MV,...] [--rates=HZ,...] [--chop=on|off|both] [--count=N] [--json]\n"
           "              [--csv=CSV] [--graph=IMAGE] [--board=...] [--sim-...] [--trace=FILE] [L]\n"
           "  qb4160-eval --help | --version\n"
           "\n"
           "Board:\n"
           "  --board=sim            the simulated board (default)\n"
           "  --board=ppdev[:DEV]    a real board through Linux ppdev (default /dev/parport0)\n"
           "  --board=io[:ADDRESS]   a real board through direct port I/O (root, x86; default 888)\n"
           "  --trace=FILE           log every port access (W 0378 1A / R 0379 7F)\n"
           "  --no-settings          start with the defaults and remember nothing of this run\n"
           "Analysis:\n"
           "  --mode=HEX             mode register giving the data format (default 21B0)\n"
           "  --filter=HEX           filter register giving the sample rate (default 800010)\n"
           "  --spectrum=FILE        noise spectrum (V/sqrt(Hz) against Hz): .csv, or .png/.pdf\n"
           "  --csv=CSV              the codes with their volts and the conditions of the read\n"
           "  --graph=IMAGE          the code graph, IMAGE ending in .png or .pdf\n"
           "  --histogram=IMAGE      the histogram, IMAGE ending in .png or .pdf\n"
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
    std::string error;  // one line saying what is wrong

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
    const QCommandLineOption mode("mode", "", "hex");
    const QCommandLineOption json("json");
    const QCommandLineOption graph("graph", "", "image");
    const QCommandLineOption histogram("histogram", "", "image");
    const QCommandLineOption filter("filter", "", "hex");
    const QCommandLineOption spectrum("spectrum", "", "file");
    const QCommandLineOption csv("csv", "", "file");
    const QCommandLineOption noSettings("no-settings");
    const QCommandLineOption faststep("faststep");
    const QCommandLineOption sweep("sweep");
    const QCommandLineOption ranges("ranges", "", "mv"), rates("rates", "", "hz"), chop("chop", "", "choice"),
        count("count", "", "n");
    p.addOptions({help, version, board, trace, analyse, acquire, out, hex, mode, json, graph,
                  histogram, filter, spectrum, csv, noSettings, faststep, sweep, ranges, rates, chop, count});
    for (const char* name : kSimValueOptions) p.addOption(QCommandLineOption(name, "", "value"));
    for (const char* name : kSimFlagOptions) p.addOption(QCommandLineOption(name));

    if (!p.parse(arguments)) return platform::Fail(p.errorText().toStdString());
    // An option given with an empty value ("--mode=") is a mistake, not a request for the default.
    for (const QCommandLineOption* option :
         {&board, &trace, &analyse, &acquire, &out, &mode, &graph, &histogram, &filter, &spectrum, &csv, &ranges, &rates, &chop, &count}) {
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
    if (p.isSet(mode)) o.modeHex = p.value(mode).toStdString();
    if (p.isSet(graph)) o.graphFile = p.value(graph).toStdString();
    if (p.isSet(histogram)) o.histogramFile = p.value(histogram).toStdString();
    if (p.isSet(out)) o.outFile = p.value(out).toStdString();
    if (p.isSet(filter)) o.filterHex = p.value(filter).toStdString();
    if (p.isSet(spectrum)) o.spectrumFile = p.value(spectrum).toStdString();
    if (p.isSet(csv)) o.csvFile = p.value(csv).toStdString();
    o.sweepRanges = p.value(ranges).toStdString();
    o.sweepRates = p.value(rates).toStdString();
    o.sweepChop = p.value(chop).toStdString();
    o.sweepCount = p.value(count).toStdString();
    o.noSettings = p.isSet(noSettings);

    const QStringList words = p.positionalArguments();
    o.commandLine = words.join(' ').toStdString();

    if (p.isSet(help)) {
        o.command = Command::Help;
    } else if (p.isSet(version)) {
        o.command = Command::Version;
    } else if (int(p.isSet(analyse)) + int(p.isSet(acquire)) + int(p.isSet(faststep)) + int(p.isSet(sweep)) > 1) {
        error = "--analyse, --acquire, --faststep and --sweep cannot be used together";
    } else if (p.isSet(sweep)) {
        o.command = Command::Sweep;
    } else if (p.isSet(faststep)) {
        o.command = Command::FastStep;
    } else if (p.isSet(analyse)) {
        o.command = Command::Analyse;
        o.analyseFile = p.value(analyse).toStdString();
    } else if (p.isSet(acquire)) {
        o.command = Command::Acquire;
        bool ok = false;
        const int n = p.value(acquire).toInt(&ok);
        if (!ok || !link::CodeCountAllowed(n))
            error = "--acquire takes a number of codes from " + std::to_string(link::kMinCodes) + " to " +
                           std::to_string(link::kMaxCodes) + ", not \"" +
                           p.value(acquire).toStdString() + "\"";
        else if (o.outFile.empty() && o.csvFile.empty())
            error = "--acquire needs --out FILE or --csv=FILE";
        o.acquireCount = n;
    }
    if (error.empty() && o.command == Command::FastStep &&
        (o.hex || !o.outFile.empty() || !o.csvFile.empty() || !o.modeHex.empty() || !o.histogramFile.empty()))
        error = "--faststep takes --json and --graph, not --hex, --out, --csv, --mode or --histogram";
    if (error.empty() && o.command == Command::Sweep &&
        (o.hex || !o.outFile.empty() || !o.modeHex.empty() || !o.histogramFile.empty()))
        error = "--sweep takes --json, --csv and --graph, not --hex, --out, --mode or --histogram";
    if (error.empty() && o.command != Command::Sweep &&
        (p.isSet(ranges) || p.isSet(rates) || p.isSet(chop) || p.isSet(count)))
        error = "--ranges, --rates, --chop and --count go with --sweep";
    if (error.empty() && o.command != Command::Analyse && o.command != Command::FastStep &&
        o.command != Command::Sweep && (o.json || !o.modeHex.empty() || !o.graphFile.empty() || !o.histogramFile.empty()))
        error = "--json, --mode, --graph and --histogram go with --analyse (--json and --graph also with --faststep "
                "and --sweep)";
    if (error.empty() && o.command != Command::Analyse && (!o.filterHex.empty() || !o.spectrumFile.empty()))
        error = "--filter and --spectrum go with --analyse";
    if (error.empty() && o.command == Command::Gui && !o.csvFile.empty())
        error = "--csv goes with --analyse or --acquire";
    if (error.empty() && o.command == Command::Gui && (o.hex || !o.outFile.empty()))
        error = "--hex and --out go with --analyse or --acquire";
    if (error.empty() && o.command == Command::Analyse && (p.isSet(board) || p.isSet(trace) || !o.simOptions.empty()))
        error = "--analyse reads a file: --board, --trace and --sim-... go with the commands that use the board";
    if (!error.empty()) return platform::Fail(error);
    return o;
}

} // namespace qb::app
