// The data reading window through its real controls, on the simulated board (virtual time):
// analysis and display reads with their exact traffic, stopping, the count and pause boxes, the
// continuous-mode check, the no-data path, and the buttons that do nothing while a read runs.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "analysis/AnalysisRead.h"
#include "analysis/NoiseSpectrum.h"
#include "analysis/ReadDataForm.h"
#include "analysis/ResolutionFigures.h"
#include "analysis/RollingReadings.h"
#include "platform/base/Numbers.h"
#include "platform/widgets/Controls.h"
#include "support/BoardRig.h"
#include "support/ProgramRun.h"
#include "support/Windows.h"

namespace {

using namespace qb;
using analysis::ReadDataForm;
using Texts = std::vector<std::string>;
using Rig = test::BoardRig;

const Texts kStop{"C 48", "out 1B"};  // stop byte 48, then the data-port byte 27

using test::Enter, test::Find, test::RunModal;

void PostKey(QWidget& form, int qtKey, const QString& text) { test::PostKey(Find<QWidget>(form, "currentcode"), qtKey, text); }

struct ReadDataWindow : ::testing::Test {
    ReadDataWindow() { rig.fastFilter(); }
    Rig rig;
};

// Stopping after 37 codes by a key (Escape stops without closing), the close box or the end of
// the program keeps exactly the codes read and ends continuous reading. Meanwhile the progress
// shows the codes read of the 500 asked for, and the buttons look disabled and do nothing: no
// second read starts. The current code is shown, never typed into.
// The mode register, read first, gives the word length: 16 bits or 24, whatever was set before.
TEST_F(ReadDataWindow, AnalysisReadTrafficUntilAStopKeepsExactlyTheCodesRead) {
    const struct { const char* what; std::function<void(ReadDataForm&)> stop; bool staysOpen; int bits; } cases[] = {
        {"a letter", [](ReadDataForm& f) { PostKey(f, Qt::Key_X, "x"); }, true, 24},
        {"an arrow key", [](ReadDataForm& f) { PostKey(f, Qt::Key_Left, {}); }, true, 16},
        {"Escape", [](ReadDataForm& f) { PostKey(f, Qt::Key_Escape, QString(QChar(27))); }, true, 24},
        {"the close box", [](ReadDataForm& f) { f.close(); }, false, 24},
        {"ending the program", [](ReadDataForm&) { platform::Form::endProgram(0); }, true, 24}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::ProgramRun run;  // one case ends the program
        const int32_t mode = c.bits == 16 ? 0x20B0 : 0x21B0;
        rig.writeMode(mode);
        rig.settings.WordLengthBits = static_cast<int16_t>(40 - c.bits);  // stale
        ReadDataForm form(rig.ctx);
        auto* bar = Find<QProgressBar>(form, "ReadProgress");
        std::string progress;
        int enabledDuringRead = 0;
        QObject::connect(bar, &QProgressBar::valueChanged, &form, [&](int n) {
            if (n == 3)
                for (const char* name : {"ReadMenuCommand", "readbutton", "Command3D1", "Command3D2"}) {
                    enabledDuringRead += Find<QPushButton>(form, name)->isEnabled();
                    Find<QPushButton>(form, name)->click();
                }
            if (n != 37) return;
            progress = (bar->isVisible() ? bar->text().toStdString() : "hidden") + " / " +
                       Find<QLineEdit>(form, "StopReadingText")->text().toStdString();
            c.stop(form);
        });
        bool openAfterRead = false;
        RunModal(form, [&] {
            Find<QPushButton>(form, "Command3D1")->click();
            openAfterRead = form.isVisible();
            EXPECT_FALSE(form.reading() || bar->isVisible());
            EXPECT_TRUE(Find<QLineEdit>(form, "currentcode")->isReadOnly());
            for (const char* name : {"ReadMenuCommand", "readbutton", "Command3D1", "Command3D2"})
                EXPECT_TRUE(Find<QPushButton>(form, name)->isEnabled()) << name;
            EXPECT_EQ(Find<QLineEdit>(form, "StopReadingText")->text(), "");
        });
        EXPECT_EQ(platform::Form::programEnding(), std::string(c.what) == "ending the program");
        EXPECT_EQ(openAfterRead, c.staysOpen);
        EXPECT_EQ(enabledDuringRead, 0);
        EXPECT_EQ(progress, std::string("37 of 500 codes / ") + analysis::kStopReadingPrompt);
        EXPECT_TRUE(rig.messages.shown.empty());
        ASSERT_EQ(rig.settings.Codes.size(), 38u);
        EXPECT_EQ(rig.settings.CodesRead, 37);
        Texts expected{"R mode " + platform::Hex(mode), "C 33"};  // one read: the buttons pressed during it did nothing
        for (int i = 1; i <= 37; ++i) expected.push_back("D " + platform::Hex(rig.settings.Codes[i]));
        expected.insert(expected.end(), kStop.begin(), kStop.end());
        EXPECT_EQ(rig.traffic(), expected);
        EXPECT_NEAR(rig.settings.Codes[37], c.bits == 16 ? 0x9000 : 0x900000, c.bits == 16 ? 4 : 0x400);
    }
}

// A count the box refuses is said after the mode register is read, before the start byte, and
// the earlier buffer stays. The count is taken with two decimals, then rounded half to even.
// Return in the box starts the read.
TEST_F(ReadDataWindow, CountBoxDecidesWhetherAndHowManyCodesAreRead) {
    using link::kCountNotIntegerMessage, link::kCountRangeMessage;
    const struct { const char *typed, *message, *boxAfter; int codesRead; } cases[] = {
        {"4", kCountRangeMessage, "4", 2},        {"5001", kCountRangeMessage, "5001", 2},
        {"4.5", kCountRangeMessage, "4.5", 2},    {"abc", kCountNotIntegerMessage, "", 2},
        {"99999", kCountNotIntegerMessage, "", 2}, {"5", nullptr, "5", 5},
        {"5000", nullptr, "5000", 5000},           {"12.5", nullptr, "12.5", 12},
        {"13.5", nullptr, "13.5", 14},             {"13.499", nullptr, "13.499", 14},
        {"13.451", nullptr, "13.451", 13}};  // 13.45, not 13.5
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        rig.clear();
        rig.settings.Codes = {0, 7, 7};
        rig.settings.CodesRead = 2;
        ReadDataForm form(rig.ctx);
        RunModal(form, [&] {
            Enter(form, "ReadNoValueText", c.typed);
            EXPECT_EQ(Find<QLineEdit>(form, "ReadNoValueText")->text().toStdString(), c.boxAfter);
        });
        EXPECT_EQ(rig.settings.CodesRead, c.codesRead);
        EXPECT_EQ(rig.settings.Codes.size(), std::size_t(c.codesRead) + 1);
        EXPECT_EQ(rig.traffic().size(), c.message ? 1u : c.codesRead + 4u);
        EXPECT_EQ(rig.traffic().at(0), "R mode 21B0");
        EXPECT_EQ(rig.messages.texts(), c.message ? Texts{c.message} : Texts{});
        for (const auto& m : rig.messages.shown) EXPECT_TRUE(m.icon == platform::MsgIcon::Exclamation && m.title.empty());
    }
}

// Without continuous conversion (bit 13 clear: sync 000 or single conversion 010) each button
// only reads the mode register and says so: no start byte, and the buffer stays.
TEST_F(ReadDataWindow, WithoutContinuousConversionNeitherButtonSendsAStartByte) {
    for (const int32_t mode : {0x01B0, 0x41B0}) {
        rig.writeMode(mode);
        rig.clear();
        rig.settings.Codes = {0, 7};
        rig.settings.CodesRead = 1;
        ReadDataForm form(rig.ctx);
        RunModal(form, [&] {
            Find<QPushButton>(form, "readbutton")->click();
            Find<QPushButton>(form, "Command3D1")->click();
        });
        EXPECT_EQ(rig.messages.texts(), Texts(2, analysis::kNotContinuousMessage)) << mode;
        EXPECT_EQ(rig.traffic(), Texts(2, "R mode " + platform::Hex(mode)));
        EXPECT_EQ(rig.settings.CodesRead, 1);
    }
}

// With no ready signal each read gives up after its polls, says so and ends continuous reading;
// the analysis read empties the buffer. A key or the close box during the wait ends it after one
// round of polls instead, as a normal stop: no message, and continuous reading ends the same way.
TEST(ReadDataNoData, BothReadsGiveUpOrStopOnAKeyOrCloseAndEndContinuousReading) {
    const struct { const char* what; std::function<void(ReadDataForm&)> stop; int64_t polls; } cases[] = {
        {"nothing", {}, link::kDataReadyPolls},
        {"a key", [](ReadDataForm& f) { PostKey(f, Qt::Key_X, "x"); }, link::kStopCheckPolls},
        {"the close box", [](ReadDataForm& f) { QMetaObject::invokeMethod(&f, [&f] { f.close(); }, Qt::QueuedConnection); },
         link::kStopCheckPolls}};
    for (const auto& c : cases) {
        for (const char* button : {"Command3D1", "readbutton"}) {
            SCOPED_TRACE(std::string(c.what) + " during " + button);
            Rig rig(-1, test::Fault(board::Fault::NoReady));
            rig.settings.Codes = {0, 7, 7};
            rig.settings.CodesRead = 2;
            ReadDataForm form(rig.ctx);
            RunModal(form, [&] {
                if (c.stop) c.stop(form);
                Find<QPushButton>(form, button)->click();
                EXPECT_FALSE(form.reading());
                EXPECT_EQ(Find<QLineEdit>(form, "StopReadingText")->text(), "");
            });
            EXPECT_EQ(rig.port.busyPolls, c.polls);
            // The data read's opening byte, then only busy polls (none logged).
            EXPECT_EQ(rig.traffic(), (Texts{"R mode 21B0", "C 33", "out 1A", "C 48", "out 1B"}));
            EXPECT_EQ(Find<QLineEdit>(form, "currentcode")->text(), "0");
            EXPECT_EQ(rig.messages.texts(), c.stop ? Texts{} : Texts{link::kReadErrorMessage});
            const bool analysis = std::string(button) == "Command3D1";
            EXPECT_EQ(rig.settings.CodesRead, analysis ? 0 : 2);
            EXPECT_EQ(rig.settings.Codes.size(), analysis ? 1u : 3u);
        }
    }
}

// A display read shows each code in hex and stores none. After each code it pauses for the pause
// box within 0..32767 ms (0 for what cannot be read), also when typed during the read; any key
// ends it. Return in the box starts it.
TEST_F(ReadDataWindow, DisplayReadShowsCodesInHexAndPausesWithin0To32767) {
    const struct { const char *typed, *duringRead, *shownAfter; int pauseMs; } cases[] = {
        {"-5", nullptr, "0", 0},       {"99999", nullptr, "32767", 32767}, {"", nullptr, "0", 0},
        {"12.6", nullptr, "12.6", 13}, {"0", "50000", "50000", 32767},     {"0", "40x", "40x", 40}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " then " + (c.duringRead ? c.duringRead : "nothing"));
        rig.clear();
        rig.settings.Codes = {0, 7};
        ReadDataForm form(rig.ctx);
        int shown = 0;
        QObject::connect(Find<QLineEdit>(form, "currentcode"), &QLineEdit::textChanged, &form, [&] {
            EXPECT_EQ(Find<QLineEdit>(form, "StopReadingText")->text(), analysis::kStopReadingPrompt);
            if (++shown != 1) return;
            if (c.duringRead) Find<QLineEdit>(form, "Text1")->setText(c.duringRead);
            PostKey(form, Qt::Key_Space, " ");  // ends the read in its first pause
        });
        RunModal(form, [&] { Enter(form, "Text1", c.typed); });
        EXPECT_EQ(Find<QLineEdit>(form, "Text1")->text().toStdString(), c.shownAfter);
        auto* timer = Find<platform::MsTimer>(form, "Timer1");
        EXPECT_EQ(timer->interval(), c.pauseMs);
        EXPECT_FALSE(timer->enabled());
        EXPECT_EQ(rig.settings.Codes, (std::vector<double>{0, 7}));
        const std::string code = "D " + Find<QLineEdit>(form, "currentcode")->text().toStdString();
        EXPECT_EQ(rig.traffic(), (Texts{"R mode 21B0", "C 33", code, "C 48", "out 1B"}));
    }
}

// "Stop" ends a display read as a key does; the live view holds the figures of the last readings
// (here all five) in volts.
TEST_F(ReadDataWindow, StopEndsADisplayReadWhoseLiveViewGivesTheFiguresOfTheLastReadings) {
    ReadDataForm form(rig.ctx);
    std::vector<double> volts;
    const analysis::DataFormat format = analysis::PresentDataFormat(rig.settings);
    QObject::connect(Find<QLineEdit>(form, "currentcode"), &QLineEdit::textChanged, &form, [&](const QString& hex) {
        volts.push_back(analysis::CodeVolts(hex.toInt(nullptr, 16), format));
        if (volts.size() == 5) Find<QPushButton>(form, "StopCommand")->click();
    });
    RunModal(form, [&] { Find<QPushButton>(form, "readbutton")->click(); });
    ASSERT_EQ(volts.size(), 5u);
    EXPECT_EQ(rig.traffic().back(), "out 1B");
    EXPECT_FALSE(Find<QPushButton>(form, "StopCommand")->isEnabled());
    analysis::RollingReadings window(300);
    for (double v : volts) window.add(v);
    EXPECT_EQ(Find<QLabel>(form, "lblLiveRms")->text().toStdString(), analysis::VoltsText(window.figures()->rmsNoise));
    EXPECT_EQ(Find<QLabel>(form, "lblLivePeakToPeak")->text().toStdString(), analysis::VoltsText(window.figures()->peakToPeak));
}

// The window keeps the last readings, oldest first, and its figures are theirs alone.
TEST(RollingReadings, KeepsTheLastReadingsAndTheirFigures) {
    analysis::RollingReadings window(3);
    EXPECT_FALSE(window.figures());
    for (double v : {9.0, 1.0, 2.0, 3.0, 5.0}) window.add(v);
    EXPECT_EQ(window.inOrder(), (std::vector<double>{2, 3, 5}));
    EXPECT_DOUBLE_EQ(window.figures()->mean, 10.0 / 3);
    EXPECT_DOUBLE_EQ(window.figures()->rmsNoise, std::sqrt(7.0 / 3));
    EXPECT_DOUBLE_EQ(window.figures()->peakToPeak, 3);
}

} // namespace
