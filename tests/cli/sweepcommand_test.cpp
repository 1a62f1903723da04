// The headless noise sweep: its outputs, its usage errors before any write, and Ctrl-C.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <csignal>
#include <regex>
#include <sstream>

#include "cli/SweepCommand.h"
#include "support/BoardRig.h"

namespace qb::cli {
namespace {

struct Outcome {
    int status;
    std::string out, err;
    std::vector<std::string> traffic;
};

// The command on the internal short (or as `mode` says); Ctrl-C at the `interruptAt`th wait for a
// result (0: never).
Outcome Sweep(const SweepOptions& options, bool json = false, int interruptAt = 0, int32_t mode = 0x21B2,
              const link::SetUp& setUp = {}, board::Fault fault = board::Fault::None) {
    test::BoardRig rig(mode, test::Fault(fault));
    const auto plan = ParseSweepPlan(options);
    if (!plan.ok()) return {2, "", plan.error(), {}};
    int waits = 0;
    std::size_t seen = 0;  // the log's length at the last busy poll: a new wait when it has grown
    rig.port.onBusyPoll = [&] {
        if (rig.port.log.size() != seen && ++waits == interruptAt) std::raise(SIGINT);
        seen = rig.port.log.size();
    };
    std::ostringstream out, err;
    const int status = RunSweepCommand({*plan, json, "", "", setUp}, rig.ctx, out, err);
    return {status, out.str(), err.str(), rig.traffic()};
}

TEST(SweepCommand, PrintsTheTablesOrJson) {
    const Outcome plain = Sweep({"10,80", "100,1000", "both", "5"});
    EXPECT_EQ(plain.status, 0) << plain.err;
    for (const char* expected : {"Registers before: mode 21B2, filter 800010; after: mode 21B2, filter 800010\n",
                                 "RMS noise in nV, chopping off\n  Rate (Hz)    10 mV    80 mV\n     100.00 ",
                                 "\n    1000.65 ", "Effective resolution in bits, chopping on\n", "\n    1003.92 "})
        EXPECT_NE(plain.out.find(expected), std::string::npos) << expected << "\n" << plain.out;
    // Tens or hundreds of nV (85 nV in the model), whatever five codes give.
    EXPECT_TRUE(std::regex_search(plain.out, std::regex(R"(nV, chopping off\n.*mV\n     100\.00 +\d{2,3}\.\d +\d{2,3}\.\d\n)"))) << plain.out;

    // On the +10 mV input the 10 mV range clips.
    const Outcome json = Sweep({"80,10", "100", "on", "5"}, true, 0, 0x21B0);
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
    EXPECT_EQ(o.value("registers_after").toObject().value("mode").toString(), "21B0");
    EXPECT_TRUE(o.value("complete").toBool());
    const QJsonObject row = o.value("rows").toArray().at(0).toObject();
    EXPECT_EQ(row.keys(), (QStringList{"chop", "clipped", "codes", "effective_resolution_bits", "noise_free_resolution_bits",
                                       "peak_to_peak_noise_lsb", "peak_to_peak_noise_v", "range_mv", "rate_hz",
                                       "requested_rate_hz", "rms_noise_lsb", "rms_noise_v"}));
    EXPECT_EQ(row.value("rate_hz").toDouble(), 4915200.0 / (48 * 1024));
    EXPECT_FALSE(row.value("clipped").toBool());
    EXPECT_TRUE(o.value("rows").toArray().at(1).toObject().value("clipped").toBool());
}

// Bad lists and counts are usage errors naming their option (a rate out of reach, refused before
// any write: the set-up test).
TEST(SweepCommand, RefusesBadPlansBeforeWriting) {
    const struct {
        SweepOptions options;
        const char* error;
    } cases[] = {
        {{"5", "", "", ""}, "--ranges: \"5\" is not an input range of 10, 20, 40 or 80 mV"},
        {{"", "", "sometimes", ""}, "--chop takes on, off or both, not \"sometimes\""},
        {{"", "", "", "12.5"}, "--count takes a number of codes from 5 to 5000, not \"12.5\""},
    };
    for (const auto& c : cases) {
        const Outcome o = Sweep(c.options);
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.err, c.error);
    }
}

// A set-up is written first and the sweep starts from it: its filter's chopping plans the rates,
// and it is what goes back at the end. One that reads back wrong ends the sweep before it starts.
TEST(SweepCommand, StartsFromTheSetUpWrittenFirst) {
    using R = link::SetUpRegister;
    link::SetUp chopOff, chopOn;
    chopOff[R::Filter] = 0x400000;
    chopOn[R::Filter] = 0x400010;
    chopOn[R::Mode] = 0x2192;
    const std::tuple<link::SetUp, board::Fault, int, std::string, std::string, std::string> cases[] = {
        // set-up, fault, status, first write, what is printed, err
        {chopOn, board::Fault::None, 0, "W filter 400010",
         "Registers before: mode 2192, filter 400010; after: mode 2192, filter 400010\n", ""},
        {chopOff, board::Fault::None, 2, "", "",
         "qb4160-eval: --sweep: 50 Hz cannot be reached without chopping at a master clock of 4915200 Hz: the filter "
         "word gives 75.02 Hz to 2048.00 Hz\n"},
        {chopOn, board::Fault::Readback, 1, "W filter 400010", "",
         "qb4160-eval: the filter register read back 400011 after 400010 was written; no setting was measured\n"}};
    for (const auto& [setUp, fault, status, firstWrite, printed, err] : cases) {
        const Outcome o = Sweep({"80", "50", "", "5"}, false, 0, 0x21B2, setUp, fault);
        EXPECT_EQ(std::tie(o.status, o.err), std::tie(status, err));
        EXPECT_NE(o.out.find(printed), std::string::npos) << o.out;
        const auto write = std::find_if(o.traffic.begin(), o.traffic.end(), [](const std::string& t) { return t[0] == 'W'; });
        EXPECT_EQ(write == o.traffic.end() ? "" : *write, firstWrite);
    }
}

// Ctrl-C in the second setting: the first row printed, the registers back, status 130.
TEST(SweepCommand, CtrlCPrintsTheRowsSoFar) {
    const Outcome o = Sweep({"10,80", "1000", "on", "5"}, false, 30);
    EXPECT_EQ(o.status, 130);
    EXPECT_EQ(o.err, "qb4160-eval: stopped by Ctrl-C: 1 of 2 settings measured; the mode and filter registers were "
                     "put back\n");
    EXPECT_NE(o.out.find("    1003.92     "), std::string::npos) << o.out;
    const std::vector<std::string> tail(o.traffic.end() - 4, o.traffic.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"W mode 21B2", "R mode 21B2", "R mode 21B2", "R filter 800010"}));
}

} // namespace
} // namespace qb::cli
