// The headless fast-step demonstration on the simulated board: what it prints (columns or
// JSON), that it puts the registers back, also after Ctrl-C, and its exit status.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <csignal>
#include <regex>
#include <sstream>

#include "cli/Commands.h"
#include "cli/FastStepCommand.h"
#include "platform/base/ExitStatus.h"
#include "faststep/FastStepRig.h"
#include "faststep/FastStepRun.h"

namespace qb::fasttest {
namespace {

using Lines = std::vector<std::string>;

struct Outcome {
    int status;
    std::string out, err;
    std::vector<std::string> traffic;
};

// The command on a board whose registers hold `found`; `interruptAfter` readings of the first
// series, Ctrl-C (0: in the settling wait, -1: never).
Outcome RunCommand(cli::FastStepRequest request, const faststep::SavedRegisters& found, int interruptAfter = -1) {
    Rig rig;
    Load(rig, found);
    bool raised = false;
    rig.port.onBusyPoll = [&] {
        const auto& off = rig.settings.FastStepOffCodes;
        if (interruptAfter > 0 && !raised && off.size() > std::size_t(interruptAfter) && off[std::size_t(interruptAfter)] != 0)
            raised = true, std::raise(SIGINT);
    };
    rig.port.onWait = [&] {
        if (interruptAfter == 0 && !raised) raised = true, std::raise(SIGINT);
    };
    std::ostringstream out, err;
    const int status = cli::RunFastStepCommand(request, rig.ctx, out, err);
    return {status, out.str(), err.str(), Shape(rig.traffic())};
}

const faststep::SavedRegisters kFound{0x2031, 0x0A0019, 0x3F};

// Both series as columns: reading, then the two codes right-aligned, 5 mV and 72.5 mV of the
// 0..80 mV range; or as JSON. Either way the registers found are put back.
TEST(FastStepCommand, PrintsBothSeriesAndRestoresTheRegisters) {
    const Outcome plain = RunCommand({}, kFound);
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.err, "");
    EXPECT_EQ(plain.traffic, (Lines{"R mode 2031", "R filter A0019", "R DAC 3F"} + FullRun() + Restore(kFound)));
    std::istringstream lines(plain.out);
    std::vector<std::string> text;
    for (std::string line; std::getline(lines, line);) text.push_back(line);
    ASSERT_EQ(text.size(), 85u);
    EXPECT_EQ(Lines(text.begin(), text.begin() + 5),
              (Lines{"Fast Step Demonstration",
                     "Registers used: mode 31B2, filter 400010 (fast step off) and 400110 (fast step on), DAC 2 then 29, "
                     "40 readings per level",
                     "Registers restored: mode 2031, filter A0019, DAC 63", "", "Reading  FastStep Off  FastStep On"}));
    const std::regex first(R"( {6}1 +\d+ +\d+)"), low(R"( {5}40 +(\d+) +(\d+))"), last(R"( {5}80 +(\d+) +(\d+))");
    EXPECT_TRUE(std::regex_match(text[5], first)) << text[5];
    for (const auto& [line, pattern, level] : {std::tuple{44, &low, 1048576}, std::tuple{84, &last, 15204352}}) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(text[std::size_t(line)], m, *pattern)) << text[std::size_t(line)];
        EXPECT_NEAR(std::stod(m[1]), level, 1000);
        EXPECT_NEAR(std::stod(m[2]), level, 1000);
    }

    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(RunCommand({true, ""}, kFound).out)).object();
    const QJsonObject restored = o.value("restored").toObject();
    EXPECT_EQ(QStringList({o.value("mode").toString(), o.value("filter_fast_step_off").toString(),
                           o.value("filter_fast_step_on").toString(), QString::number(o.value("dac_low").toInt()),
                           QString::number(o.value("dac_high").toInt()), QString::number(o.value("readings_per_level").toInt()),
                           restored.value("mode").toString(), restored.value("filter").toString(),
                           QString::number(restored.value("dac").toInt())}),
              QStringList({"31B2", "400010", "400110", "2", "29", "40", "2031", "A0019", "63"}));
    const QJsonArray off = o.value("fast_step_off").toArray(), on = o.value("fast_step_on").toArray();
    ASSERT_EQ(off.size() + on.size(), 160);
    EXPECT_NEAR(on.at(42).toDouble(), 15204352, 15204) << "reading 43: settled within 0.1 %";
}

// Ctrl-C ends the run as closing the window does: reading stops, no reading more is taken, the
// registers go back, what was read is printed and charted, and the status says the command was
// stopped.
TEST(FastStepCommand, CtrlCEndsTheRunRestoresAndSaysSo) {
    for (const int after : {5, 0}) {
        SCOPED_TRACE(after);
        QTemporaryDir dir;
        const std::string pdf = dir.filePath("step.PDF").toStdString();
        const Outcome o = RunCommand({false, pdf}, kFound, after);
        EXPECT_EQ(o.status, platform::kExitInterrupted);
        EXPECT_EQ(o.err, "qb4160-eval: stopped by Ctrl-C after " + std::to_string(after) +
                             " of 160 readings; the registers were restored\n");
        EXPECT_EQ(o.traffic, (Lines{"R mode 2031", "R filter A0019", "R DAC 3F", "W mode 31B2", "W filter 400010",
                                    "W DAC 2", "C 33"} + Results(after) + Lines(after > 0, "out 1A") + kStop + Restore(kFound)));
        EXPECT_NE(o.out.find("\n      6             0            0\n"), std::string::npos) << o.out;
        QFile written(QString::fromStdString(pdf));
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_TRUE(written.read(4).startsWith("%PDF"));
    }
}

// The chart's file is checked before the board is touched.
TEST(FastStepCommand, AChartThatCannotBeWrittenIsRefusedFirst) {
    QTemporaryDir dir;
    const struct { std::string file; int status; const char* why; } cases[] = {
        {dir.filePath("step.jpg").toStdString(), 2, "a chart image is a .png or a .pdf file"},
        {dir.filePath("no/such/dir/step.png").toStdString(), 1, "does not exist"}};
    for (const auto& c : cases) {
        const Outcome o = RunCommand({true, c.file}, kFound);
        EXPECT_EQ(o.status, c.status) << c.file;
        EXPECT_EQ(o.err.rfind("qb4160-eval: cannot write the chart to " + c.file + ": ", 0), 0u) << o.err;
        EXPECT_NE(o.err.find(c.why), std::string::npos) << o.err;
        EXPECT_TRUE(o.traffic.empty() && o.out.empty());
    }
}

} // namespace
} // namespace qb::fasttest
