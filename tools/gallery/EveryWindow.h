#pragma once
// Every window of the program, each opened as the program opens it (modal, its load handler
// run), for the gallery's pictures and for the test that walks every window. The analysis windows
// find 500 codes of the simulated board at its power-on set-up (StartWithCodes).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include "analysis/AllanForm.h"
#include "analysis/FiguresForm.h"
#include "analysis/GraphForm.h"
#include "analysis/HistForm.h"
#include "analysis/NoiseForm.h"
#include "analysis/ReadDataForm.h"
#include "analysis/SpectrumForm.h"
#include "analysis/SweepForm.h"
#include "faststep/fastinfo.h"
#include "faststep/faststep.h"
#include "files/FileReadForm.h"
#include "files/WriteFileForm.h"
#include "link/Conditions.h"
#include "link/Context.h"
#include "link/PortForm.h"
#include "link/Register.h"
#include "link/ResetForm.h"
#include "link/Startup.h"
#include "registers/CalibrationForm.h"
#include "registers/ChoiceForm.h"
#include "registers/DAC_form.h"
#include "registers/Mode1.h"
#include "registers/filter.h"
#include "registers/program.h"
#include "shell/AboutForm.h"
#include "shell/MainMenuForm.h"

namespace qb::gallery {

// Starts the board as the program does, then reads 500 codes into the buffer as "Read Data for
// Analysis" takes them.
inline void StartWithCodes(const link::Context& ctx) {
    link::StartUp(ctx);
    ctx.settings.CodesRead = 500;
    ctx.settings.Codes.assign(501, 0);
    link::StartContinuousRead(ctx);
    link::ReadData reader(ctx);
    reader.setWordLength(ctx.settings.WordLengthBits);
    for (int i = 1; i <= 500; ++i) ctx.settings.Codes[i] = reader.Read();
    link::StopContinuousRead(ctx);
}

// Shorts the converter's input (channel Ain1(-) - Ain1(-)), or ends the short.
inline void ShortTheInput(const link::Context& ctx, bool shorted) {
    const int32_t value = shorted ? ctx.settings.ModeRegValue | 2 : ctx.settings.ModeRegValue & ~3;
    link::Register mode(ctx);
    mode.setWriteAddress(link::comms::kModeWrite);
    mode.setWordLength(link::comms::kModeBits);
    mode.setRegValue(value);
    mode.WriteReg();
    ctx.settings.ModeRegValue = value;
}

inline void Click(QWidget& window, const char* button) {
    if (auto* b = window.findChild<QAbstractButton*>(button)) b->click();
}

struct Window {
    std::string name;
    std::function<std::unique_ptr<platform::Form>()> make;
    std::function<void(platform::Form&)> act = {};  // once the window is up (a run, a sweep)
};

// In the order the gallery shows them; the main window last, since closing it ends the program.
inline std::vector<Window> EveryWindow(const link::Context& ctx) {
    using F = std::unique_ptr<platform::Form>;
    const link::Context* c = &ctx;
    return {
        {"AboutForm", [c] { return F(new shell::AboutForm(c->port.boardName())); }},
        {"PortForm", [c] { return F(new link::PortForm(*c)); }},
        {"ResetForm", [c] { return F(new link::ResetForm(*c)); }},
        {"program", [c] { return F(new registers::program(*c)); }},
        {"Mode1", [c] { return F(new registers::Mode1(*c)); }},
        {"channelform", [c] { return F(new registers::channelform(*c)); }},
        {"warning", [c] { return F(new registers::warning(*c)); }},
        {"chop_skip", [c] { return F(new registers::chop_skip(*c)); }},
        {"filter", [c] { return F(new registers::filter(*c)); }},
        {"DAC_form", [c] { return F(new registers::DAC_form(*c)); }},
        {"offsetform", [c] { return F(new registers::CalibrationForm(*c, registers::offsetform)); }},
        {"gainform", [c] { return F(new registers::CalibrationForm(*c, registers::gainform)); }},
        {"ReadDataForm", [c] { return F(new analysis::ReadDataForm(*c)); }},
        // A display read of 1000 codes, stopped by "Stop", its live view full.
        {"ReadDataForm-live", [c] { return F(new analysis::ReadDataForm(*c)); },
         [](platform::Form& f) {
             auto* code = f.findChild<QLineEdit*>("currentcode");
             QObject::connect(code, &QLineEdit::textChanged, &f, [&f, shown = 0]() mutable {
                 if (++shown == 1000) Click(f, "StopCommand");
             });
             Click(f, "readbutton");
         }},
        {"NoiseForm", [c] { return F(new analysis::NoiseForm(*c)); }},
        // The same codes as if loaded from a CSV file taken at +-20 mV and 100 Hz.
        {"NoiseForm-file",
         [c] {
             c->settings.CodesConditions =
                 link::Conditions{0x2190, 0x400010, link::kDefaultMasterClockHz, {}, {}, {}, {}};
             return F(new analysis::NoiseForm(*c));
         },
         [c](platform::Form&) { c->settings.CodesConditions.reset(); }},
        {"FiguresForm", [c] { return F(new analysis::FiguresForm(*c)); }},
        {"GraphForm", [c] { return F(new analysis::GraphForm(*c)); }},
        {"HistForm", [c] { return F(new analysis::HistForm(*c)); }},
        {"SpectrumForm", [c] { return F(new analysis::SpectrumForm(*c)); }},
        {"AllanForm", [c] { return F(new analysis::AllanForm(*c)); }},
        // The noise sweep on the converter's shorted input, 200 codes a setting; the input is
        // connected again afterwards.
        {"SweepForm",
         [c] {
             ShortTheInput(*c, true);
             return F(new analysis::SweepForm(*c));
         },
         [c](platform::Form& f) {
             f.findChild<QLineEdit*>("txtCount")->setText("200");
             Click(f, "RunCommand");
             ShortTheInput(*c, false);
         }},
        {"WriteFileForm", [c] { return F(new files::WriteFileForm(*c)); }},
        {"FileReadForm", [c] { return F(new files::FileReadForm(*c)); }},
        {"fastinfo", [] { return F(new faststep::fastinfo); }},
        {"faststep", [c] { return F(new faststep::faststep(*c)); }, [](platform::Form& f) { Click(f, "run"); }},
        {"MainMenuForm", [c] { return F(new shell::MainMenuForm(*c)); }},
    };
}

// Opens `window`; once it is up (and has acted), `visit` runs with what is on top (the window, or
// a window its opening showed), then the window closes.
inline void Visit(const Window& window, const std::function<void(QWidget&)>& visit) {
    const std::unique_ptr<platform::Form> form = window.make();
    platform::Form& f = *form;
    QTimer::singleShot(0, &f, [&] {
        if (window.act) window.act(f);
        QApplication::processEvents();
        QWidget* shown = QApplication::activeModalWidget();
        visit(shown ? *shown : f);
        f.close();
    });
    f.showModal();
}

} // namespace qb::gallery
