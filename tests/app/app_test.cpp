// The program from its command line: Qt's options taken out first, then its own; the exit status
// and output of a command line; the port chosen from --board, --sim-* and --trace, and the trace a
// start-up leaves.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/Display.h"
#include "app/Entry.h"
#include "app/Options.h"
#include "app/PortFactory.h"
#include "app/SimPort.h"
#include "board/SimOptions.h"
#include "link/Startup.h"
#include "support/RecordingPort.h"
#include "support/ScriptedMessages.h"
#include "support/TraceReader.h"
#include "support/Why.h"

namespace {

using namespace qb::app;
using qb::test::Why;
using Words = std::vector<std::string>;

// Runs the program with these words after its name: status, out and err.
std::tuple<int, std::string, std::string> Program(Words words) {
    words.insert(words.begin(), "qb4160-eval");
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    std::ostringstream out, err;
    const int status = RunProgram(int(words.size()), argv.data(), out, err, false);
    return {status, out.str(), err.str()};
}

Options Board(std::string board, Words sim = {}, std::string trace = {}) {
    Options o;
    o.board = std::move(board), o.simOptions = std::move(sim), o.traceFile = std::move(trace);
    return o;
}

TEST(Options, OwnOptionsAreTakenOutAndTheWordsLeftAreJoinedByOneBlank) {
    const std::pair<QStringList, std::string> cases[] = {
        {{}, ""}, {{"--board=sim", "l"}, "l"}, {{"/ss", "--trace=t.log", "L"}, "/ss L"}, {{"--sim-noref", "x", "y"}, "x y"}};
    for (const auto& [words, commandLine] : cases) {
        const auto r = ParseOptions(QStringList{"qb"} + words);
        ASSERT_EQ(Why(r), "") << commandLine;
        EXPECT_EQ(r->command, Command::Gui);
        EXPECT_EQ(r->commandLine, commandLine);
        EXPECT_FALSE(r->noSettings);
    }
    const auto r = ParseOptions({"qb", "--sim-ain1=12.5", "--sim-noref", "--acquire", "500", "--out", "a.dat", "--hex"});
    ASSERT_EQ(Why(r), "");
    EXPECT_EQ(r->simOptions, (Words{"--sim-ain1=12.5", "--sim-noref"}));
    EXPECT_TRUE(r->command == Command::Acquire && r->acquireCount == 500 && r->outFile == "a.dat" && r->hex);
    const auto f = ParseOptions({"qb", "--faststep", "--json", "--graph=s.png", "--sim-seed=3"});
    ASSERT_EQ(Why(f), "");
    EXPECT_TRUE(f->command == Command::FastStep && f->json && f->graphFile == "s.png");
    const auto a = ParseOptions({"qb", "--analyse", "a.dat", "--filter=96000", "--spectrum=s.csv", "--csv=c.csv", "L"});
    ASSERT_EQ(Why(a), "");
    EXPECT_EQ(std::vector<std::string>({a->registers.at(qb::link::SetUpRegister::Filter), a->spectrumFile, a->csvFile,
                                        a->commandLine}),
              std::vector<std::string>({"96000", "s.csv", "c.csv", "L"}));
    const auto c = ParseOptions({"qb", "--acquire", "500", "--csv=c.csv", "--setup=s.json", "--offset=8000"});  // no --out
    ASSERT_EQ(Why(c), "");
    EXPECT_TRUE(c->command == Command::Acquire && c->csvFile == "c.csv" && c->setUpFile == "s.json" &&
                c->registers == (std::map<qb::link::SetUpRegister, std::string>{{qb::link::SetUpRegister::Offset, "8000"}}));
    const auto s = ParseOptions({"qb", "--save-setup=s.json", "--board=sim"});
    EXPECT_TRUE(s.ok() && s->command == Command::SaveSetUp && s->saveSetUpFile == "s.json");
    EXPECT_TRUE(ParseOptions({"qb", "--no-settings", "L"})->noSettings);
}

TEST(Options, BadCommandLinesAreRefusedWithOneLine) {
    const QStringList bad[] = {{"--no-such"}, {"--sim-unknown=3"}, {"--acquire", "5001", "--out", "a"},
                               {"--acquire", "abc", "--out", "a"}, {"--acquire", "500"},
                               {"--analyse", "a", "--acquire", "500", "--out", "b"}, {"--json"}, {"--hex"}, {"--board"},
                               {"--analyse", "a", "--mode="}, {"--analyse", "a", "--graph="}, {"--acquire", "5", "--out="},
                               {"--trace="}, {"--board="}, {"--faststep", "--analyse", "a"}, {"--faststep", "--hex"},
                               {"--faststep", "--mode=21B0"}, {"--faststep", "--csv=a.csv"}, {"--filter=800010"},
                               {"--spectrum=s.csv"}, {"--csv=c.csv"}, {"--gain=1"}, {"--faststep", "--dac=1"},
                               {"--analyse", "a", "--setup=s.json"}, {"--save-setup=s.json", "--mode=2190"},
                               {"--save-setup=s.json", "--acquire", "5", "--out", "a"}, {"--save-setup="}, {"--log"},
                               {"--log", "--csv=a", "--count=5", "--duration=1"}, {"--log", "--csv=a", "--allan=x.csv"},
                               {"--acquire", "5", "--out", "a", "--duration=1"}, {"--log", "--out", "a"}};
    for (const QStringList& words : bad) {
        const auto r = ParseOptions(QStringList{"qb"} + words);
        EXPECT_TRUE(!Why(r).empty() && Why(r).find('\n') == std::string::npos) << words.join(' ').toStdString();
    }
}

// The word L slows the clock of a spectrum as it slows the converter's.
TEST(Entry, TheWordLSlowsTheClockOfTheSpectrum) {
    QTemporaryDir dir;
    const std::string data = dir.filePath("a.dat").toStdString(), spectrum = dir.filePath("s.csv").toStdString();
    std::ofstream(data) << " 1\r\n 5\r\n 2\r\n 7\r\n";
    EXPECT_EQ(std::get<0>(Program({"--analyse", data, "--spectrum=" + spectrum, "L"})), 0);
    std::ifstream in(spectrum);
    EXPECT_NE(std::string(std::istreambuf_iterator<char>(in), {}).find("# sample_rate_hz: 25\n"), std::string::npos);
}

// Without a display: the window program says how to run it, and before that, a wrong board is
// reported whatever the display; neither starts a run, so an earlier trace is kept.
TEST(Entry, StatusAndOutputOfACommandLineWithoutADisplay) {
    std::map<std::string, std::string> saved;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (const char* value = std::getenv(name)) saved[name] = value, unsetenv(name);
    QTemporaryDir dir;
    const std::string trace = dir.filePath("kept.trace").toStdString(), tracing = "--trace=" + trace;
    std::ofstream(trace) << "W 0378 0B\n";
    const std::string badBoard = "qb4160-eval: unknown board \"x\"; use sim, ppdev[:DEVICE] or io[:ADDRESS]\n";
    const std::pair<Words, std::tuple<int, std::string, std::string>> cases[] = {
        {{"-platform", "offscreen", "--version", "-reverse"}, {0, "qb4160-eval 2.0.5\n", ""}},  // Qt's options taken out
        {{"--version", "-platform"}, {2, "", "qb4160-eval: Unknown option 'platform'.\nTry 'qb4160-eval --help'.\n"}},
        {{"L", tracing}, {1, "", std::string(kNoDisplayMessage) + "\n"}},
        {{"--board=x", tracing}, {2, "", badBoard}},
        {{"--acquire", "5", "--out", "/nonexistent/a.dat", "--board=x"}, {2, "", badBoard}}};
    for (const auto& [argv, outcome] : cases) EXPECT_EQ(Program(argv), outcome) << argv[0];
    for (const auto& [name, value] : saved) setenv(name.c_str(), value.c_str(), 1);
    std::ifstream in(trace);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "W 0378 0B\n");
}

// A headless run that cannot do its work says why in one line: a board that does not answer
// stops it at start-up (no wait for results that never come); a trace that is not a plain file
// is refused like any output, before the data file is written.
TEST(Entry, AHeadlessRunSaysWhyItFailed) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    QTemporaryDir dir;
    const std::string out = dir.filePath("a.dat").toStdString();
    const std::tuple<Words, std::string, bool> cases[] = {  // words, what err says, file written
        {{"--acquire", "5", "--out", out, "--sim-fault=absent"},
         "QB4160 Evaluation Software: The QB4160 does not answer on simulated board (virtual time, fault absent) "
         "(port address 0x378): the mode register reads FFFF and the filter register FFFFFF, which no working "
         "converter holds. Check that the board is on this port, connected and powered. Name another port with "
         "--board=ppdev:DEVICE or --board=io:ADDRESS.\n",
         false},
        {{"--acquire", "5", "--out", out, "--trace=/dev/full"},
         "qb4160-eval: cannot write the trace to /dev/full: it is not a plain file\n", false}};
    for (const auto& [words, says, written] : cases) {
        std::filesystem::remove(out);
        EXPECT_EQ(Program(words), std::make_tuple(1, std::string(), says)) << words.back();
        EXPECT_EQ(std::filesystem::exists(out), written);
    }
}

// Every output is checked before the port is touched or anything printed: two outputs on one
// file, an output on the input, an option the command does not take, a name the output's form
// refuses (status 2), an output that cannot be made or is not a plain file (status 1). Nothing
// is printed and no file is replaced.
TEST(Entry, OutputsAreCheckedBeforeAnythingAndARefusalChangesNothing) {
    QTemporaryDir dir;
    const auto f = [&](const char* name) { return dir.filePath(name).toStdString(); };
    std::ofstream(f("a.dat")) << " 1\r\n 5\r\n 2\r\n";
    std::ofstream(f("one.dat")) << " 1\r\n";
    const std::pair<Words, std::string> cases[] = {  // words, what the line says (2 where it starts with "2:")
        {{"--acquire", "5", "--out", f("kept"), "--csv=" + f("kept")}, "2:are one file"},
        {{"--analyse", f("a.dat"), "--csv=" + f("a.dat")}, "2:would overwrite the input"},
        {{"--analyse", f("a.dat"), "--csv=" + f("s.csv"), "--spectrum=" + dir.path().toStdString() + "/./s.csv"}, "2:are one file"},
        {{"--acquire", "5", "--out", f("kept"), "--trace=" + f("kept")}, "2:are one file"},
        {{"--analyse", f("a.dat"), "--board=bogus", "--sim-noise=abc"}, "2:--analyse reads a file"},
        {{"--faststep", "--graph=" + f("g.txt"), "--sim-fault=absent"}, "2:a chart image is a .png or a .pdf file"},
        {{"--acquire", "5", "--csv=" + f("kept"), "--setup=" + f("kept")}, "2:would overwrite the input"},
        {{"--save-setup=" + f("kept"), "--trace=" + f("kept")}, "2:are one file"},
        {{"--sweep", "--csv=" + f("s.csv"), "--graph=" + f("g.png"), "--setup=" + f("kept")}, "2:kept: line 1: not JSON ("},
        {{"--sweep", "--csv=" + f("kept"), "--setup=" + f("kept")}, "2:would overwrite the input"},
        {{"--acquire", "5", "--out", f("kept"), "--trace=" + f("no/t")}, "1:cannot write the trace to"},
        {{"--log", "--csv=" + f("kept"), "--setup=" + f("kept")}, "2:would overwrite the input"},
        {{"--log", "--csv=" + f("kept"), "--count=0"}, "2:--count takes a number of codes of 1 or more"},
        {{"--log", "--csv=" + f("no/t")}, "1:cannot write the log to"},
        {{"--analyse", f("a.dat"), "--allan=" + f("a.txt")}, "2:an Allan deviation is a .csv"},
        {{"--analyse", f("one.dat"), "--csv=" + f("kept"), "--spectrum=" + f("s.csv")}, "1:no spectrum"}};
    for (const auto& [words, says] : cases) {
        std::ofstream(f("kept")) << "kept";
        const auto [status, out, err] = Program(words);
        EXPECT_EQ(std::to_string(status) + ":", says.substr(0, 2)) << err;
        EXPECT_TRUE(err.find(says.substr(2)) != std::string::npos && std::count(err.begin(), err.end(), '\n') <= 2) << err;
        EXPECT_EQ(out, "");
        std::ifstream kept(f("kept"));
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "kept") << words.back();
        EXPECT_FALSE(std::filesystem::exists(f("s.csv")));
    }
}

TEST(PortFactory, TheBoardOptionPicksTheBackendOrSaysWhatIsWrongInOneLine) {
    const std::string io = "--board=io takes an I/O address from 3 to 65533 (decimal or 0x hex), not ";
    qb::board::SimOptions sim;
    const std::tuple<Options, RunKind, std::string, std::string> cases[] = {  // options, run, port, error
        {Board("sim"), RunKind::Window, "simulated board (wall-clock time)", ""},
        {Board("sim"), RunKind::Headless, "simulated board (virtual time)", ""},
        {Board("sim", {"--sim-time=virtual"}), RunKind::Window, "simulated board (virtual time)", ""},
        {Board("sim", {"--sim-fault=absent"}), RunKind::Headless, "simulated board (virtual time, fault absent)", ""},
        {Board("ppdev"), RunKind::Window, "ppdev /dev/parport0", ""},
        {Board("io"), RunKind::Window, "direct I/O at 0x378", ""},
        {Board("io:0xFFFD"), RunKind::Headless, "direct I/O at 0xFFFD", ""},
        {Board("bogus"), RunKind::Window, "", "unknown board \"bogus\"; use sim, ppdev[:DEVICE] or io[:ADDRESS]"},
        {Board("ppdev:"), RunKind::Window, "", "--board=ppdev: needs a device after the colon, e.g. ppdev:/dev/parport1"},
        {Board("io:2"), RunKind::Window, "", io + "\"2\""},
        {Board("io:0xFFFE"), RunKind::Window, "", io + "\"0xFFFE\""},
        {Board("io:99999999999999999999"), RunKind::Window, "", io + "\"99999999999999999999\""},
        {Board("sim", {"--sim-time=fast"}), RunKind::Window, "", *qb::board::ApplySimOption(sim, "--sim-time=fast")},
        {Board("ppdev", {"--sim-noref"}), RunKind::Window, "", "--sim-noref applies to the simulated board only (--board=sim)"}};
    for (const auto& [options, kind, port, error] : cases) {
        const auto made = MakePort(options, kind);
        EXPECT_EQ(made.ok() ? (*made)->describe() : "", port) << error;
        EXPECT_EQ(Why(made), error);
        EXPECT_EQ(Why(CheckBoardOptions(options)), error);
    }
    // The board as the main window's status line and About name it.
    const std::pair<const char*, const char*> named[] = {
        {"sim", "Simulated board (wall-clock time)"}, {"ppdev", "Board on /dev/parport0"}, {"io", "Board at port 378h"}};
    for (const auto& [board, name] : named) EXPECT_EQ((*MakePort(Board(board), RunKind::Window))->boardName(), name);
}

TEST(PortFactory, TheSimulatedBoardRunsOnTheCrystalTheCommandLineNames) {
    const std::tuple<std::string, Words, double> cases[] = {  // command line, sim options, clock
        {"", {}, 4915200}, {"L", {}, 2457600}, {"L /SS", {}, 4915200}, {"L", {"--sim-mclk=4915200"}, 4915200}};
    for (const auto& [line, sim, clock] : cases) {
        Options options = Board("sim", sim);
        options.commandLine = line;
        auto made = MakePort(options, RunKind::Headless);
        ASSERT_EQ(Why(made), "");
        auto* board = dynamic_cast<qb::app::SimPort*>(made->get());
        ASSERT_NE(board, nullptr);
        EXPECT_EQ(board->board().options().masterClockHz, clock) << "\"" << line << "\"";
    }
}

// --trace puts the trace in front of the board: a start-up's every access is in it; a trace that
// cannot be made is refused in one line.
TEST(PortFactory, TheTraceHoldsTheTrafficOfAStartUp) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("start.trace").toStdString();
    auto made = MakePort(Board("sim", {}, path), RunKind::Headless);
    ASSERT_EQ(Why(made), "");
    qb::test::RecordingPort seen(**made);
    qb::test::ScriptedMessages messages;
    qb::link::SharedSettings settings;
    qb::link::StartUp({seen, messages, settings, ""});
    (*made)->flush();
    EXPECT_EQ(seen.log.size(), 177u);  // the start-up, spelled out in the main window's test
    EXPECT_EQ(qb::test::ReadTrace(path), seen.log);
    const std::string unwritable = dir.filePath("no/such/folder/t.trace").toStdString();
    const std::string why = Why(MakePort(Board("sim", {}, unwritable), RunKind::Window));
    EXPECT_TRUE(why.find(unwritable) != std::string::npos && why.find('\n') == std::string::npos) << why;
}

} // namespace
