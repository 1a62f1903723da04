// The main window: its controls, the start-up it runs before it is shown, the noise-analysis
// gate, Quit and the close box, and the windows its buttons open.
#include <gtest/gtest.h>

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "analysis/NoiseForm.h"
#include "analysis/ReadDataForm.h"
#include "files/FileReadForm.h"
#include "files/WriteFileForm.h"
#include "link/PortForm.h"
#include "link/ResetForm.h"
#include "shell/AboutForm.h"
#include "shell/MainMenuForm.h"
#include "shell/ShellTestSupport.h"
#include "shell/StartupTraffic.h"

namespace qb::shelltest {
namespace {

using platform::Form;
using platform::MsgButtons;
using platform::MsgIcon;
using shell::MainMenuForm;

// Notes what had happened when the window first became visible.
class ShowWatcher : public QObject {
public:
    std::function<void()> onShow;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show && onShow) {
            onShow();
            onShow = nullptr;
        }
        return false;
    }
};

// Opens the main window, runs `whileOpen` once it is up, then closes it (if still open).
void RunMainWindow(MainMenuForm& form, std::function<void(MainMenuForm&)> whileOpen) {
    WhenModal([&form, whileOpen](QWidget*) {
        whileOpen(form);
        if (form.isVisible()) form.close();
    });
    form.showModal();
}

QPushButton* Button(QWidget& w, const char* name) { return w.findChild<QPushButton*>(name); }

// --- Controls ---------------------------------------------------------------------------------

struct Control {
    const char* name;
    const char* caption;
};

TEST(MainMenuControls, CaptionsAndNamesFitTheirButtons) {
    const Control buttons[] = {
        {"About", "About"},
        {"Command1", "Fast Step Demo"},
        {"MenuQuitCommand", "Quit"},
        {"MenuProgramCommand", "Program QB4160"},
        {"MenuReadCommand", "Read Data"},
        {"MenuNoiseCommand", "Noise Analysis"},
        {"MenuResetCommand", "Reset QB4160"},
        {"MenuReadFCommand", "Read from File"},
        {"MenuWriteFCommand", "Write to File"},
        {"MenuPortCommand", "Select Printer Port"},
    };
    ProgramEndingGuard guard;
    Rig rig;
    MainMenuForm form(rig.ctx);
    EXPECT_EQ(form.caption(), "QB4160 Evaluation Software ");
    RunMainWindow(form, [&](MainMenuForm& f) {
        for (const Control& c : buttons) {
            SCOPED_TRACE(c.name);
            QPushButton* b = Button(f, c.name);
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(b->text().toStdString(), c.caption);
            EXPECT_TRUE(b->isVisible());
            EXPECT_TRUE(b->isEnabled());
            // Legible: the caption has the room it asks for.
            EXPECT_GE(b->width(), b->sizeHint().width());
            EXPECT_GE(b->height(), b->sizeHint().height());
        }
        auto* frame = f.findChild<QGroupBox*>("Frame1");
        auto* title = f.findChild<QLabel*>("MainMenuLable");
        ASSERT_NE(frame, nullptr);
        ASSERT_NE(title, nullptr);
        EXPECT_EQ(title->text().toStdString(), "Main Menu");
        EXPECT_EQ(title->parentWidget(), frame);
        EXPECT_TRUE(title->isVisible());
    });
}


// --- Start-up ---------------------------------------------------------------------------------

struct StartupCase {
    const char* name;
    const char* commandLine;
    int32_t clockHz;
    std::vector<std::string> messages;
};

class MainMenuStartup : public ::testing::TestWithParam<StartupCase> {};

TEST_P(MainMenuStartup, ReadsTheBoardBeforeTheWindowIsShownAndWritesNoRegister) {
    const StartupCase& c = GetParam();
    ProgramEndingGuard guard;
    Rig rig(c.commandLine);
    MainMenuForm form(rig.ctx);
    ShowWatcher watcher;
    std::vector<test::PortAccess> atShow;
    std::optional<int32_t> clockAtShow;
    watcher.onShow = [&] {
        atShow = rig.port.log;
        clockAtShow = rig.settings.MasterClockHz;
    };
    form.installEventFilter(&watcher);
    RunMainWindow(form, [](MainMenuForm&) {});

    ASSERT_FALSE(atShow.empty());
    EXPECT_EQ(WithoutReadValues(atShow), StartupTraffic(atShow.front().value));
    EXPECT_EQ(rig.port.log, atShow);  // closing the window touches the port no more
    EXPECT_EQ(rig.port.claims, 1);
    EXPECT_EQ(clockAtShow, c.clockHz);
    EXPECT_EQ(rig.messages.texts(), c.messages);

    // The board's own configuration, adopted as it is.
    const link::SharedSettings& s = rig.settings;
    EXPECT_EQ(s.PortAddress, 0x378);
    EXPECT_EQ(s.ModeRegValue, 0x21B0);
    EXPECT_EQ(s.FilterRegValue, 0x800010);
    EXPECT_EQ(s.WordLengthBits, 24);
    EXPECT_EQ(s.Polarity, 2);
    EXPECT_EQ(s.InputRangeMv, 80);
    EXPECT_EQ(s.RefVoltage, 5.0);
    EXPECT_EQ(s.DigitalOutputsOn, 0);
    EXPECT_EQ(s.MasterClockHz, c.clockHz);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MainMenuStartup,
    ::testing::Values(StartupCase{"NoCommandLine", "", 4915200, {}},
                      StartupCase{"SlowClock", "L", 2457600, {}},
                      StartupCase{"SlowClockLowerCase", "l", 2457600, {}},
                      StartupCase{"SlowClockWithStatus", "L /SS", 4915200,
                                  {"Windows Version:\rPort Address:0x378"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MainMenuStartupTest, StatusMessageComesBeforeTheWindowIsShown) {
    ProgramEndingGuard guard;
    Rig rig("/ss");
    MainMenuForm form(rig.ctx);
    bool shownBeforeMessage = false;
    rig.messages.onShow = [&](const platform::Message&) { shownBeforeMessage = form.isVisible(); };
    RunMainWindow(form, [](MainMenuForm&) {});
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].title, "Show Status");
    EXPECT_FALSE(shownBeforeMessage);
}

// --- Noise analysis gate -----------------------------------------------------------------------

struct GateCase {
    int16_t codesRead;
    bool refused;
};

class NoiseGate : public ::testing::TestWithParam<GateCase> {};

TEST_P(NoiseGate, FewerThanFiveOrMoreThan5000CodesAreRefused) {
    const GateCase& c = GetParam();
    ProgramEndingGuard guard;
    Rig rig;
    MainMenuForm form(rig.ctx);
    bool noiseWindowOpened = false;
    RunMainWindow(form, [&](MainMenuForm& f) {
        rig.settings.CodesRead = c.codesRead;
        rig.settings.Codes.assign(std::max<int>(c.codesRead, 0) + 1, 8388608.0);
        rig.messages.clear();
        rig.port.clear();
        WhenModal([&](QWidget* w) {
            noiseWindowOpened = dynamic_cast<analysis::NoiseForm*>(w) != nullptr;
            if (noiseWindowOpened) w->close();
        });
        QTest::mouseClick(Button(f, "MenuNoiseCommand"), Qt::LeftButton);
    });
    EXPECT_EQ(noiseWindowOpened, !c.refused);
    if (c.refused) {
        ASSERT_EQ(rig.messages.shown.size(), 1u);
        const platform::Message& m = rig.messages.shown[0];
        EXPECT_EQ(m.text, "For Data Analysis the number of codes read must be >4 and <5000");
        EXPECT_EQ(m.icon, MsgIcon::Exclamation);
        EXPECT_EQ(m.buttons, MsgButtons::Ok);
        EXPECT_EQ(m.title, "");
    } else {
        EXPECT_TRUE(rig.messages.shown.empty());
    }
    EXPECT_TRUE(rig.port.log.empty());
    EXPECT_EQ(rig.settings.CodesRead, c.codesRead);
    EXPECT_EQ(shell::EnoughCodesForAnalysis(c.codesRead), !c.refused);
}

INSTANTIATE_TEST_SUITE_P(Table, NoiseGate,
                         ::testing::Values(GateCase{0, true}, GateCase{4, true}, GateCase{5, false},
                                           GateCase{5000, false}, GateCase{5001, true},
                                           GateCase{-1, true}),
                         [](const auto& info) {
                             const int n = info.param.codesRead;
                             return n < 0 ? std::string("Minus1") : "Codes" + std::to_string(n);
                         });

// --- Ending the program ----------------------------------------------------------------------

struct QuitCase {
    const char* name;
    platform::MsgAnswer answer;
    bool ends;
};

class MainMenuQuit : public ::testing::TestWithParam<QuitCase> {};

TEST_P(MainMenuQuit, AsksAndEndsOnlyOnYes) {
    const QuitCase& c = GetParam();
    ProgramEndingGuard guard;
    Rig rig;
    rig.messages.answers = {c.answer};
    MainMenuForm form(rig.ctx);
    bool endingAfterAnswer = false;
    std::size_t trafficBefore = 0;
    RunMainWindow(form, [&](MainMenuForm& f) {
        trafficBefore = rig.port.log.size();
        QTest::mouseClick(Button(f, "MenuQuitCommand"), Qt::LeftButton);
        endingAfterAnswer = Form::programEnding();
    });
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    const platform::Message& m = rig.messages.shown[0];
    EXPECT_EQ(m.text, "Are you sure you want to Quit?");
    EXPECT_EQ(m.icon, MsgIcon::Question);
    EXPECT_EQ(m.buttons, MsgButtons::YesNo);
    EXPECT_EQ(endingAfterAnswer, c.ends);
    EXPECT_TRUE(Form::programEnding());  // after Yes by Quit, after No by the close that follows
    EXPECT_EQ(Form::programExitCode(), 0);
    EXPECT_EQ(rig.port.log.size(), trafficBefore);  // nothing reaches the board on the way out
}

INSTANTIATE_TEST_SUITE_P(Table, MainMenuQuit,
                         ::testing::Values(QuitCase{"Yes", platform::MsgAnswer::Yes, true},
                                           QuitCase{"No", platform::MsgAnswer::No, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MainMenuClose, TheCloseBoxEndsTheProgramWithoutAsking) {
    ProgramEndingGuard guard;
    Rig rig;
    MainMenuForm form(rig.ctx);
    RunMainWindow(form, [](MainMenuForm& f) { f.close(); });
    EXPECT_TRUE(rig.messages.shown.empty());
    EXPECT_TRUE(Form::programEnding());
    EXPECT_FALSE(form.isVisible());
}

TEST(MainMenuClose, EscapeDoesNotEndTheProgram) {
    ProgramEndingGuard guard;
    Rig rig;
    MainMenuForm form(rig.ctx);
    bool openAfterEscape = false;
    bool endingAfterEscape = true;
    RunMainWindow(form, [&](MainMenuForm& f) {
        QTest::keyClick(&f, Qt::Key_Escape);
        openAfterEscape = f.isVisible();
        endingAfterEscape = Form::programEnding();
    });
    EXPECT_TRUE(openAfterEscape);
    EXPECT_FALSE(endingAfterEscape);
}

// --- The windows the main window opens ----------------------------------------------------------

struct OpeningCase {
    const char* button;
    const char* caption;  // of the window that must be up
    std::function<bool(QWidget*)> isRightKind;
};

class MainMenuOpens : public ::testing::TestWithParam<OpeningCase> {};

TEST_P(MainMenuOpens, ButtonOpensItsWindowModallyOverTheMainWindow) {
    const OpeningCase& c = GetParam();
    ProgramEndingGuard guard;
    Rig rig;
    MainMenuForm form(rig.ctx);
    QWidget* opened = nullptr;
    std::string caption;
    bool modal = false;
    bool mainStillOpen = false;
    RunMainWindow(form, [&](MainMenuForm& f) {
        rig.port.clear();
        WhenModal([&](QWidget* w) {
            opened = w;
            if (!w) return;
            caption = w->windowTitle().toStdString();
            modal = w->isModal() && w->parentWidget() == &f;
            EXPECT_TRUE(c.isRightKind(w));
            w->close();
        });
        QTest::mouseClick(Button(f, c.button), Qt::LeftButton);
        mainStillOpen = f.isVisible() && !Form::programEnding();
    });
    ASSERT_NE(opened, nullptr);
    EXPECT_NE(opened, static_cast<QWidget*>(&form));
    EXPECT_EQ(caption, c.caption);
    EXPECT_TRUE(modal);
    EXPECT_TRUE(mainStillOpen);
    EXPECT_TRUE(rig.port.log.empty());  // opening and closing alone touch no port
}

template <class W>
std::function<bool(QWidget*)> Is() {
    return [](QWidget* w) { return dynamic_cast<W*>(w) != nullptr; };
}

INSTANTIATE_TEST_SUITE_P(
    Table, MainMenuOpens,
    ::testing::Values(OpeningCase{"About", "About", Is<shell::AboutForm>()},
                      OpeningCase{"MenuResetCommand", "QB4160", Is<link::ResetForm>()},
                      OpeningCase{"MenuPortCommand", "Parallel Port Selection", Is<link::PortForm>()},
                      OpeningCase{"MenuReadCommand", "QB4160 Read Data", Is<analysis::ReadDataForm>()},
                      OpeningCase{"MenuReadFCommand", "QB4160 File Read", Is<files::FileReadForm>()},
                      OpeningCase{"MenuWriteFCommand", "QB4160 Write to File",
                                  Is<files::WriteFileForm>()}),
    [](const auto& info) { return std::string(info.param.button); });

} // namespace
} // namespace qb::shelltest
