// A picture of every window, for looking at the program and for comparing its looks before and
// after a change:
//
//     cmake --build build --target qb_gallery && build/tools/gallery/qb_gallery OUTDIR
//
// Each window is opened as the program opens it (modal, its load handler run), on the offscreen
// platform against the simulated board on virtual time, grabbed into OUTDIR/<name>.png and
// closed. The analysis windows show 500 codes of the simulated board at its power-on set-up (the
// noise window also as if they came from a CSV file taken in other conditions). The
// same build on the same machine gives the same pictures byte for byte, so `cmp` tells whether a
// change altered what a user sees.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include "analysis/FiguresForm.h"
#include "analysis/GraphForm.h"
#include "analysis/HistForm.h"
#include "analysis/NoiseForm.h"
#include "analysis/ReadDataForm.h"
#include "analysis/SpectrumForm.h"
#include "analysis/SweepForm.h"
#include "app/SimPort.h"
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
#include "platform/base/ProgramState.h"
#include "registers/CalibrationForm.h"
#include "registers/ChoiceForm.h"
#include "registers/DAC_form.h"
#include "registers/Mode1.h"
#include "registers/filter.h"
#include "registers/program.h"
#include "shell/AboutForm.h"
#include "shell/MainMenuForm.h"

namespace {

using namespace qb;

// Every message is answered at once and leaves no window behind.
class QuietMessages : public platform::MessageSink {
public:
    platform::MsgAnswer show(const platform::Message& m) override {
        std::fprintf(stderr, "gallery: message: %s\n", m.text.c_str());
        return m.buttons == platform::MsgButtons::Ok ? platform::MsgAnswer::Ok : platform::MsgAnswer::No;
    }
};

std::filesystem::path g_out;
int g_saved = 0;

void Save(QWidget& window, const std::string& name) {
    if (window.grab().save(QString::fromStdString((g_out / (name + ".png")).string())))
        ++g_saved;
    else
        std::fprintf(stderr, "gallery: cannot save %s\n", name.c_str());
}

// Opens `form` modally; once it is up, `act` runs, the window is saved as `name` and closed.
void Shoot(platform::Form& form, const std::string& name, const std::function<void()>& act = [] {}) {
    QTimer::singleShot(0, [&form, name, act] {
        act();
        QApplication::processEvents();
        QWidget* shown = QApplication::activeModalWidget();
        if (!shown) shown = &form;
        Save(*shown, name);
        form.close();
    });
    form.showModal();
}

void Click(QWidget& form, const char* button) {
    if (auto* b = form.findChild<QAbstractButton*>(button)) b->click();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qb_gallery OUTDIR\n");
        return 2;
    }
    g_out = argv[1];
    std::filesystem::create_directories(g_out);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    app::SimPort port;
    QuietMessages messages;
    link::SharedSettings settings;
    platform::ProgramState state;
    link::Context ctx{port, messages, settings, ""};
    link::StartUp(ctx);

    // 500 codes, as "Read Data for Analysis" takes them.
    settings.CodesRead = 500;
    settings.Codes.assign(501, 0);
    {
        link::StartContinuousRead(ctx);
        link::ReadData reader(ctx);
        reader.setWordLength(settings.WordLengthBits);
        for (int i = 1; i <= 500; ++i) settings.Codes[i] = reader.Read();
        link::StopContinuousRead(ctx);
    }

    { shell::AboutForm f; Shoot(f, "AboutForm"); }
    { link::PortForm f(ctx); Shoot(f, "PortForm"); }
    { link::ResetForm f(ctx); Shoot(f, "ResetForm"); }
    { registers::program f(ctx); Shoot(f, "program"); }
    { registers::Mode1 f(ctx); Shoot(f, "Mode1"); }
    { registers::channelform f(ctx); Shoot(f, "channelform"); }
    { registers::warning f(ctx); Shoot(f, "warning"); }
    { registers::chop_skip f(ctx); Shoot(f, "chop_skip"); }
    { registers::filter f(ctx); Shoot(f, "filter"); }
    { registers::DAC_form f(ctx); Shoot(f, "DAC_form"); }
    { registers::CalibrationForm f(ctx, registers::offsetform); Shoot(f, "offsetform"); }
    { registers::CalibrationForm f(ctx, registers::gainform); Shoot(f, "gainform"); }
    { analysis::ReadDataForm f(ctx); Shoot(f, "ReadDataForm"); }
    { analysis::NoiseForm f(ctx); Shoot(f, "NoiseForm"); }
    // The same codes as if loaded from a CSV file taken at +-20 mV and 100 Hz.
    settings.CodesConditions = link::Conditions{0x2190, 0x400010, link::kDefaultMasterClockHz, {}, {}, {}, {}};
    { analysis::NoiseForm f(ctx); Shoot(f, "NoiseForm-file"); }
    settings.CodesConditions.reset();
    { analysis::FiguresForm f(ctx); Shoot(f, "FiguresForm"); }
    { analysis::GraphForm f(ctx); Shoot(f, "GraphForm"); }
    { analysis::HistForm f(ctx); Shoot(f, "HistForm"); }
    { analysis::SpectrumForm f(ctx); Shoot(f, "SpectrumForm"); }
    {
        // The noise sweep on the converter's internal short, while it runs (once six rows are
        // in) and when it is done; the mode goes back to what it was afterwards.
        const auto writeMode = [&](int32_t value) {
            link::Register mode(ctx);
            mode.setWriteAddress(link::comms::kModeWrite);
            mode.setWordLength(link::comms::kModeBits);
            mode.setRegValue(value);
            mode.WriteReg();
            settings.ModeRegValue = value;
        };
        writeMode(settings.ModeRegValue | 2);
        analysis::SweepForm f(ctx);
        QTimer during;
        QObject::connect(&during, &QTimer::timeout, [&] {
            if (f.rows().size() < 6) return;
            during.stop();
            Save(f, "SweepForm-running");
        });
        Shoot(f, "SweepForm", [&] {
            f.findChild<QLineEdit*>("txtCount")->setText("200");
            during.start(0);
            Click(f, "RunCommand");
        });
        writeMode(settings.ModeRegValue & ~3);
    }
    { files::WriteFileForm f(ctx); Shoot(f, "WriteFileForm"); }
    { files::FileReadForm f(ctx); Shoot(f, "FileReadForm"); }
    { faststep::fastinfo f; Shoot(f, "fastinfo"); }
    { faststep::faststep f(ctx); Shoot(f, "faststep", [&f] { Click(f, "run"); }); }
    // Last: closing the main window ends the program.
    { shell::MainMenuForm f(ctx); Shoot(f, "MainMenuForm"); }

    std::printf("gallery: %d windows in %s\n", g_saved, g_out.c_str());
    return g_saved == 26 ? 0 : 1;
}
