// The fast-step window through its real controls on the simulated board (virtual time): the
// registers saved at opening and put back on every close, the run's exact traffic, the lists,
// the two-trace chart and its readout, the abort by a key, the close refused once while reading,
// and the information window's opening.
#include <gtest/gtest.h>

#include <QListWidget>

#include "faststep/FastStepChart.h"
#include "faststep/FastStepListing.h"
#include "faststep/FastStepRig.h"
#include "faststep/faststep.h"
#include "platform/chart/StripChart.h"
#include "platform/base/Text.h"
#include "support/ProgramRun.h"

namespace qb::fasttest {
namespace {

namespace fs = qb::faststep;
using fs::SavedRegisters;
using Window = fs::faststep;
using test::Find, test::RunModal, test::Text;
using Lines = std::vector<std::string>;

const SavedRegisters kPowerOn{0x21B0, 0x800010, 0};

Lines Items(QWidget& form, const char* list) {
    Lines out;
    auto* l = Find<QListWidget>(form, list);
    for (int i = 0; i < l->count(); ++i) out.push_back(l->item(i)->text().toStdString());
    return out;
}

std::string Readout(QWidget& form) {
    std::string out;
    for (const char* name : {"lblCursPosition", "lblDec0Value", "lblHex0Value", "lblDec1Value", "lblHex1Value"})
        out += Text(form, name) + "/";
    return out;
}

// Runs `act` on the user-interface thread the next time the run lets events run, once the
// fast-step-off reading `reading` has been stored (that is, during the wait for the next one);
// reading 0: in the settling wait.
void DuringRun(Rig& rig, int reading, std::function<void()> act) {
    auto pending = std::make_shared<std::function<void()>>(std::move(act));
    const auto post = [&rig, reading, pending] {
        const auto& off = rig.settings.FastStepOffCodes;
        if (!*pending || off.size() <= std::size_t(reading) || (reading > 0 && off[std::size_t(reading)] == 0)) return;
        QMetaObject::invokeMethod(qApp, std::move(*pending), Qt::QueuedConnection);
        *pending = nullptr;
    };
    (reading > 0 ? rig.port.onBusyPoll : rig.port.onWait) = post;
}

void PostKey(QWidget& form, int qtKey, const QString& text) { test::PostKey(Find<QWidget>(form, "List1"), qtKey, text); }

// A run as the user starts it: the lists, the chart and its readout show both series; buttons
// clicked while it reads do nothing; the traffic is the saving reads and one run. Afterwards
// Info. opens the information window (its texts are in the gallery) and Back closes it.
TEST(FastStepWindow, RunListsAndPlotsBothSeries) {
    Rig rig;
    Window form(rig.ctx);
    bool clicked = false, openedDuringRun = false, infoOpened = false, enabledDuringRun = true;
    DuringRun(rig, 10, [&] {
        enabledDuringRun = Find(form, "run")->isEnabled() || Find(form, "Command2")->isEnabled();
        QTimer::singleShot(0, [&] {  // closes the information window, should it come up
            if (QWidget* w = QApplication::activeModalWidget(); w && w != &form) openedDuringRun = true, w->close();
        });
        Find(form, "run")->click();
        Find(form, "Command2")->click();
        clicked = true;
    });
    RunModal(form, [&] {
        EXPECT_EQ(form.caption(), "QB4160 FastStep");
        QTest::mouseClick(Find(form, "run"), Qt::LeftButton);
        EXPECT_FALSE(form.reading() || Find<QWidget>(form, "Frame1")->isVisible() || enabledDuringRun);
        EXPECT_TRUE(Find(form, "run")->isEnabled() && Find(form, "Command2")->isEnabled());
        EXPECT_EQ(Text(form, "Label2"), "");
        const Lines traffic = rig.traffic();
        EXPECT_EQ(Shape(traffic), (Lines{"R mode 21B0", "R filter 800010", "R DAC 0"} + FullRun())) << "one run";
        EXPECT_EQ(rig.port.waits, std::vector<double>{0.1}) << "the one settling wait, after the first start";
        const auto& s = rig.settings;
        std::vector<double> stored(s.FastStepOffCodes.begin() + 1, s.FastStepOffCodes.end());
        stored.insert(stored.end(), s.FastStepOnCodes.begin() + 1, s.FastStepOnCodes.end());
        EXPECT_EQ(ResultValues(traffic), stored) << "every result read, in order, at its reading";
        EXPECT_EQ(Items(form, "List1"), fs::ListLines(s.FastStepOffCodes, 40));
        EXPECT_EQ(Items(form, "List2"), fs::ListLines(s.FastStepOnCodes, 40));
        EXPECT_EQ(Text(form, "Label4") + "|" + Text(form, "Label6"), "Iteration      Value|Iteration      Value");
        platform::StripChart& chart = form.chart();
        EXPECT_EQ(chart.tracePoints(0) + chart.tracePoints(1), 160u);
        const fs::YRange y = fs::ChartYRange(s.FastStepOffCodes, 40);
        EXPECT_EQ(chart.caption(fs::kYMinCaption) + "/" + chart.caption(fs::kYMaxCaption),
                  platform::Hex(y.lo) + "/" + platform::Hex(y.hi));
        EXPECT_EQ(chart.xAxisUpperShown(), 80) << "the last reading is on the chart";
        const auto readout = [&](int reading) {
            const double off = s.FastStepOffCodes[std::size_t(reading)], on = s.FastStepOnCodes[std::size_t(reading)];
            return platform::Str(reading) + "/" + platform::Str(off) + "/" + platform::Hex(off) + "/" + platform::Str(on) +
                   "/" + platform::Hex(on) + "/";
        };
        EXPECT_EQ(Readout(form), readout(2)) << "the cursor starts on reading 2";
        QTest::keyClick(&chart, Qt::Key_End);
        EXPECT_EQ(Readout(form), readout(80));
        QTimer::singleShot(0, [&] {  // once the run is over, Info. opens the information window; Back closes it
            QWidget* info = QApplication::activeModalWidget();
            QTest::mouseClick(Find(*info, "Command1"), Qt::LeftButton);
            infoOpened = info->windowTitle() == " QB4160" && !info->isVisible();
        });
        QTest::mouseClick(Find(form, "Command2"), Qt::LeftButton);
    });
    EXPECT_TRUE(clicked && !openedDuringRun && infoOpened);
}

// Any key during the fast-step-off half ends its reading; the fast-step-on half then programs
// the chip, takes exactly one reading and stops. The results are shown, readings not taken as
// zeros, and the window stays open (Escape too is only a key here).
TEST(FastStepWindow, AKeyAbortsTheRunAndTheSecondHalfTakesOneReading) {
    const std::pair<const char*, std::function<void(QWidget&)>> keys[] = {
        {"a letter", [](QWidget& f) { PostKey(f, Qt::Key_X, "x"); }},
        {"Escape", [](QWidget& f) { PostKey(f, Qt::Key_Escape, QString(QChar(27))); }}};
    for (const auto& [what, press] : keys) {
        SCOPED_TRACE(what);
        Rig rig;
        Window form(rig.ctx);
        DuringRun(rig, 5, [&, &press = press] { press(form); });  // clang 14 captures no binding by itself
        RunModal(form, [&] {
            rig.port.clear();
            Find(form, "run")->click();
            EXPECT_TRUE(form.isVisible());
            EXPECT_EQ(Shape(rig.traffic()),
                      (Lines{"W mode 31B2", "W filter 400010", "W DAC 2", "C 33"} + Results(5) + Lines{"out 1A"} + kStop +
                       Lines{"W DAC 2", "W filter 400110", "C 33", "D"} + kStop));
            const Lines off = Items(form, "List1"), on = Items(form, "List2");
            ASSERT_EQ(off.size(), 80u);
            EXPECT_NE(off[4].substr(10), "00000000");
            EXPECT_EQ(off[5], "006       00000000");
            EXPECT_NE(on[0].substr(10), "00000000");
            EXPECT_EQ(on[1], "002       00000000");
            EXPECT_EQ(form.chart().caption(fs::kYMinCaption), platform::Hex(-1000000)) << "its zeros count";
            rig.port.clear();
        });
        EXPECT_EQ(rig.traffic(), Restore(kPowerOn));
    }
}

// A close request while reading is refused once: it ends the reading and puts the registers
// back; the run then returns at once, taking no reading more, and closes the window, putting
// them back again. The end of the program only ends the reading.
TEST(FastStepWindow, ACloseWhileReadingIsRefusedOnceThenTheWindowCloses) {
    const SavedRegisters found{0x20B0, 0x1F4011, 0x25};
    const auto closeBox = [](Window& f) { f.close(); };
    const auto end = [](Window&) { platform::Form::endProgram(0); };
    const Lines five = Results(5) + Lines{"out 1A"};
    const struct { const char* what; int reading; std::function<void(Window&)> close; Lines after; } cases[] = {
        {"the close box", 5, closeBox, five + kStop + Restore(found) + kStop + Restore(found)},
        {"Back", 5, [](Window& f) { Find(f, "Command1")->click(); }, five + kStop + Restore(found) + kStop + Restore(found)},
        {"the program ending", 5, end, five + kStop},
        {"the close box in the settling wait", 0, closeBox, kStop + Restore(found) + Restore(found)},
        {"the program ending in the settling wait", 0, end, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::ProgramRun run;  // the program may end in this case
        Rig rig;
        Load(rig, found);
        Window form(rig.ctx);
        bool openAfterRequest = false;
        DuringRun(rig, c.reading, [&] {
            c.close(form);
            openAfterRequest = form.isVisible();
        });
        RunModal(form, [&] {
            rig.port.clear();
            Find(form, "run")->click();
        });
        EXPECT_TRUE(openAfterRequest);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(Shape(rig.traffic()), (Lines{"W mode 31B2", "W filter 400010", "W DAC 2", "C 33"} + c.after));
        EXPECT_TRUE(rig.messages.shown.empty());
    }
}

// Whatever the registers held when the window opened (power-on values, or values the editors
// set), each run sends the same sequence, and every way of closing after any number of runs puts
// back exactly what was found: mode, then filter, then DAC.
TEST(FastStepWindow, SameRunFromAnyRegistersAndEveryCloseRestoresWhatWasFound) {
    const SavedRegisters edited{0x2031, 0x0A0019, 0x3F};
    const struct { SavedRegisters found; int runs; const char* closeBy; } cases[] = {
        {kPowerOn, 0, "Back"}, {kPowerOn, 1, "the close box"}, {edited, 1, "Back"}, {edited, 2, "Escape"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.runs) + " runs, " + c.closeBy + ", mode " + platform::Hex(c.found.mode));
        Rig rig;
        if (!(c.found == kPowerOn)) Load(rig, c.found);
        Window form(rig.ctx);
        RunModal(form, [&] {
            EXPECT_EQ(rig.traffic(), (Lines{"R mode " + platform::Hex(c.found.mode), "R filter " + platform::Hex(c.found.filter),
                                            "R DAC " + platform::Hex(c.found.dac)}));
            for (int run = 0; run < c.runs; ++run) {
                rig.port.clear();
                Find(form, "run")->click();
                EXPECT_EQ(Shape(rig.traffic()), FullRun()) << "run " << run + 1;
            }
            rig.port.clear();
            if (c.closeBy == std::string("Back")) Find(form, "Command1")->click();
            else if (c.closeBy == std::string("Escape")) QTest::keyClick(Find<QWidget>(form, "List1"), Qt::Key_Escape);
            else form.close();
            EXPECT_FALSE(form.isVisible());
        });
        EXPECT_EQ(rig.traffic(), Restore(c.found));
        rig.port.clear();
        EXPECT_EQ(fs::SaveRegisters(rig.ctx), c.found) << "the converter holds what it held before";
    }
}

} // namespace
} // namespace qb::fasttest
