// The main window and the small windows it opens: the start-up it runs before it is shown, its
// controls, the windows its buttons open, the noise-analysis gate, Escape, Quit and the close box;
// About's version, the port choice, and the exact bytes of the resets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "app/SimPort.h"
#include "link/PortForm.h"
#include "link/WindowsVersion.h"
#include "link/ResetForm.h"
#include "platform/base/Numbers.h"
#include "platform/widgets/Controls.h"
#include "shell/AboutForm.h"
#include "shell/MainMenuForm.h"
#include "support/ProgramRun.h"
#include "support/RecordingPort.h"
#include "support/RegisterTraffic.h"
#include "support/ScriptedMessages.h"
#include "support/Windows.h"

namespace qb::shelltest {
namespace {

using platform::Form;
using test::PortAccess, test::RunModal, test::Text;

// The simulated board in virtual time behind a recording port.
struct Rig {
    app::SimPort board;
    test::RecordingPort port{board};
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    link::Context ctx;
    explicit Rig(std::string commandLine = {}) : ctx{port, messages, settings, std::move(commandLine)} {}
    test::ProgramRun run;  // the main window's close ends the program: each case is its own run
};

// Clicks the button `name` of `form`; a modal window that comes up over `form` (as its child) is
// closed at once. Returns its caption ("" if none came up; then nothing is left pending).
std::string Click(QWidget& form, const char* name) {
    std::string caption;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w == &form) return;
        caption = w->windowTitle().toStdString();
        EXPECT_EQ(w->parentWidget(), &form) << caption;
        w->close();
    });
    timer.start(0);
    QTest::mouseClick(form.findChild<QAbstractButton*>(name), Qt::LeftButton);
    return caption;
}

// Start-up against the board at 378h: the control register read and written back ANDed with 212,
// the start-up byte 11, then the mode and filter registers read; all before the window shows, and
// the status message too. Closing the window ends the program without a question or port access.
TEST(MainMenu, StartUpReadsTheBoardBeforeTheWindowIsShownAndTheCloseBoxEndsWithoutAsking) {
    Rig rig("/ss");
    shell::MainMenuForm form(rig.ctx);
    bool visibleAtMessage = false;
    rig.messages.onShow = [&](const platform::Message&) { visibleAtMessage = form.isVisible(); };
    std::vector<std::string> whileUp;
    RunModal(form, [&] { whileUp = test::RegisterTraffic(rig.port.log); });
    const std::string control = platform::Hex(rig.port.log.at(0).value & 212);
    EXPECT_EQ(whileUp, (std::vector<std::string>{"in 37A", "out 37A=" + control, "out B", "R mode 21B0", "R filter 800010"}));
    EXPECT_EQ(test::RegisterTraffic(rig.port.log), whileUp);  // closing touches the port no more
    // No Windows version here: the system's own name and release stand in its place.
    EXPECT_EQ(rig.messages.texts(), std::vector<std::string>{"Windows Version:" + link::SystemName() + "\rPort Address:0x378"});
    EXPECT_TRUE(link::SystemName().starts_with("Linux "));
    EXPECT_FALSE(visibleAtMessage);
    EXPECT_TRUE(Form::programEnding());
}

TEST(MainMenu, ControlsWindowsNoiseGateEscapeAndQuit) {
    const std::tuple<const char*, const char*, const char*> buttons[] = {  // name, caption, window it opens
        {"About", "About", "About"}, {"Command1", "Fast Step Demo", "QB4160 FastStep"}, {"MenuQuitCommand", "Quit", ""},
        {"MenuProgramCommand", "Program QB4160", "QB4160 Main Program Menu"}, {"MenuReadCommand", "Read Data", "QB4160 Read Data"},
        {"MenuNoiseCommand", "Noise Analysis", ""}, {"MenuResetCommand", "Reset QB4160", "QB4160"},
        {"MenuReadFCommand", "Read from File", "QB4160 File Read"},
        {"MenuWriteFCommand", "Write to File", "QB4160 Write to File"},
        {"MenuPortCommand", "Select Printer Port", "Parallel Port Selection"}};
    Rig rig;
    shell::MainMenuForm form(rig.ctx);
    RunModal(form, [&] {
        EXPECT_EQ(form.caption() + "/" + Text(form, "MainMenuLable") + "/" + Text(form, "lblBoard"),
                  "QB4160 Evaluation Software /Main Menu/Simulated board (virtual time)");
        rig.port.clear();
        for (const auto& [name, caption, opens] : buttons) {
            auto* b = form.findChild<QAbstractButton*>(name);
            ASSERT_NE(b, nullptr) << name;
            EXPECT_EQ(b->text().remove(QLatin1Char('&')).toStdString(), caption);
            EXPECT_TRUE(b->isVisible() && b->isEnabled() && b->width() >= b->sizeHint().width()) << caption;
            EXPECT_EQ(*opens ? Click(form, name) : "", opens);
            // The program menu reads the status register as it opens; the fast-step window reads
            // mode, filter and DAC and writes them back as it closes; the others touch no port.
            const std::string n = name;
            EXPECT_EQ(test::RegisterTraffic(rig.port.log).size(), n == "MenuProgramCommand" ? 1u : n == "Command1" ? 6u : 0u)
                << name;
            rig.port.clear();
        }
        for (const int codes : {-1, 0, 4, 5, 5000, 5001}) {
            const bool opens = codes == 5 || codes == 5000;
            rig.settings.CodesRead = int16_t(codes);
            rig.settings.Codes.assign(std::max(codes, 0) + 1, 8388608.0);
            rig.messages.clear();
            EXPECT_EQ(Click(form, "MenuNoiseCommand"), opens ? "QB4160 Noise Analysis" : "") << codes;
            EXPECT_EQ(rig.messages.texts(),
                      std::vector<std::string>(!opens, "For Data Analysis the number of codes read must be >4 and <5000"));
            EXPECT_TRUE(opens || rig.messages.shown[0].icon == platform::MsgIcon::Exclamation);
        }
        QTest::keyClick(&form, Qt::Key_Escape);  // closes working windows, but not this one
        EXPECT_TRUE(form.isVisible() && !Form::programEnding());
        rig.messages.clear();
        rig.messages.answers = {platform::MsgAnswer::No, platform::MsgAnswer::Yes};
        Click(form, "MenuQuitCommand");
        EXPECT_FALSE(Form::programEnding());
        Click(form, "MenuQuitCommand");
        EXPECT_TRUE(Form::programEnding());
        EXPECT_EQ(Form::programExitCode(), 0);
    });
    EXPECT_EQ(rig.messages.texts(), std::vector<std::string>(2, "Are you sure you want to Quit?"));
    EXPECT_EQ(rig.messages.shown[1].buttons, platform::MsgButtons::YesNo);
    EXPECT_TRUE(rig.port.log.empty());  // the noise gate and quitting touch no port
}

TEST(About, ShowsTheVersionAndTheBoardAndOkClosesIt) {
    shell::AboutForm form("Board on /dev/parport0");
    RunModal(form, [&] {
        EXPECT_EQ(form.caption() + "/" + Text(form, "lblVersion") + "/" + Text(form, "lblBoard"),
                  "About/Version 2.0.5/Board on /dev/parport0");
        Click(form, "Command1");
        EXPECT_FALSE(form.isVisible());
    });
}

// With no port found at start-up (the board left alone) the port finally chosen gets the control
// register set-up start-up could not make; otherwise start-up made it and a choice adds nothing.
TEST(PortForm, SelectsTheOptionOfTheAddressInUseAndEachClickSetsTheAddressAtOnce) {
    const std::pair<int16_t, std::string> cases[] = {  // address in use (0: no port), option selected
        {888, "LPT1"}, {632, "LPT2"}, {956, "PRN"}, {0x3E8, ""}, {-12272, ""}, {0, ""}};
    for (const auto& [address, selected] : cases) {
        const bool clicks = address == 888 || address == 0;
        SCOPED_TRACE(address);
        Rig rig;
        rig.settings.PortAddress = address;
        link::PortForm form(rig.ctx);
        std::vector<int> seen;
        RunModal(form, [&, &selected = selected] {  // clang 14 captures no binding by itself
            for (const char* name : {"LPT1", "LPT2", "PRN"})
                EXPECT_EQ(form.findChild<platform::OptionButton*>(name)->value(), selected == name) << name;
            for (const char* name : {"LPT2", "PRN", "LPT1", "LPT2"}) {
                if (clicks) Click(form, name);
                seen.push_back(rig.settings.PortAddress);
            }
            EXPECT_TRUE(rig.port.log.empty());  // nothing until the choice is final
            Click(form, "Command1");
            EXPECT_FALSE(form.isVisible());
        });
        EXPECT_EQ(seen, (clicks ? std::vector<int>{632, 956, 888, 632} : std::vector<int>(4, address)));
        const uint8_t read = rig.port.log.empty() ? 0 : rig.port.log[0].value;  // the LPT2 control register's
        const std::vector<PortAccess> setUp{{false, 0x27A, read}, {true, 0x27A, uint8_t(read & 212)}};
        EXPECT_EQ(rig.port.log, address == 0 ? setUp : std::vector<PortAccess>{});
    }
}

// The interface reset (65 bytes) or the reset line (two), as the link's test spells them out, at
// the port in use; OK writes nothing. Each closes the window.
TEST(ResetForm, EachButtonWritesItsResetAndCloses) {
    const std::pair<const char*, std::size_t> cases[] = {{"Command1", 65}, {"Command2", 2}, {"ResetOKCommand", 0}};
    for (const auto& [button, bytes] : cases) {
        Rig rig;
        rig.settings.PortAddress = 632;
        link::ResetForm form(rig.ctx);
        RunModal(form, [&, &button = button] { Click(form, button); });
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(rig.port.writesTo(632).size(), bytes) << button;
        EXPECT_EQ(rig.port.log.size(), bytes);  // nothing read, nothing elsewhere
    }
}

} // namespace
} // namespace qb::shelltest
