// A new user's walk through the windows: read and analyse, change the range and the polarity in
// the mode register window, read and analyse again; the figures follow the chip.
#include <map>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "app/SimPort.h"
#include "platform/widgets/Form.h"
#include "shell/MainMenuForm.h"
#include "support/ScriptedMessages.h"

namespace qb::shelltest {
namespace {

// Runs `act` once the window captioned `caption` is the active modal window.
void WhenUp(const std::string& caption, std::function<void(QWidget&)> act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || w->windowTitle().toStdString() != caption) return;
        timer->stop();
        timer->deleteLater();
        act(*w);
    });
    timer->start(0);
}
void Press(QWidget& window, const char* name) { window.findChild<QAbstractButton*>(name)->click(); }

// Read Data: 20 codes for analysis, back; Noise Analysis: the figures named, back.
std::map<std::string, std::string> ReadAndAnalyse(QWidget& menu) {
    std::map<std::string, std::string> figures;
    WhenUp("QB4160 Read Data", [](QWidget& read) {
        read.findChild<QLineEdit*>("ReadNoValueText")->setText("20");
        Press(read, "Command3D1");
        Press(read, "ReadMenuCommand");
    });
    Press(menu, "MenuReadCommand");
    WhenUp("QB4160 Noise Analysis", [&](QWidget& noise) {
        for (const char* name : {"LSBValueLable", "AverageValueLable", "Label14", "NoCodesLabel"})
            figures[name] = noise.findChild<QLabel*>(name)->text().toStdString();
        noise.close();
    });
    Press(menu, "MenuNoiseCommand");
    return figures;
}

TEST(NewUser, TheNoiseFiguresFollowTheRangeAndPolarityChosenInTheModeRegisterWindow) {
    board::SimOptions options;
    options.noiseNv = 0;  // +10 mV exactly on Ain1
    app::SimPort board(options, board::TimeMode::Virtual);
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    const link::Context ctx{board, messages, settings, ""};
    shell::MainMenuForm menu(ctx);
    std::map<std::string, std::string> before, after;
    std::string modeWindow;
    WhenUp(shell::kMainCaption, [&](QWidget& m) {
        before = ReadAndAnalyse(m);
        WhenUp("QB4160 Main Program Menu", [&](QWidget& program) {
            WhenUp("QB4160 Mode Register", [&](QWidget& mode) {
                modeWindow = mode.findChild<QLabel*>("Label4")->text().toStdString();
                Press(mode, "range2");
                Press(mode, "unipolar");
                modeWindow += " -> " + mode.findChild<QLabel*>("Label4")->text().toStdString();
                Press(mode, "Command3D1");
            });
            Press(program, "mode_reg");
            Press(program, "Command3D1");
        });
        Press(m, "MenuProgramCommand");
        after = ReadAndAnalyse(m);
        m.close();
    });
    menu.showModal();

    EXPECT_EQ(modeWindow, "21B0 -> 3190");
    // Power-on: bipolar +-80 mV, 24 bits; +10 mV sits an eighth above mid-scale.
    EXPECT_EQ(before, (std::map<std::string, std::string>{
                          {"LSBValueLable", "9.5367nV"}, {"AverageValueLable", "900000"}, {"Label14", "10000.000uV"}, {"NoCodesLabel", "20"}}));
    // Unipolar 0 to +20 mV: +10 mV is half of full scale; a code is 20 mV / 2^24.
    EXPECT_EQ(after, (std::map<std::string, std::string>{
                         {"LSBValueLable", "1.1921nV"}, {"AverageValueLable", "800000"}, {"Label14", "10000.000uV"}, {"NoCodesLabel", "20"}}));
    EXPECT_EQ(settings.Polarity, 1);
    EXPECT_EQ(settings.InputRangeMv, 20);
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
} // namespace qb::shelltest
