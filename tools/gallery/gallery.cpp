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
#include <string>

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include "app/SimPort.h"
#include "gallery/EveryWindow.h"
#include "link/Context.h"
#include "platform/base/ProgramState.h"

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

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qb_gallery OUTDIR\n");
        return 2;
    }
    std::filesystem::create_directories(argv[1]);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    app::SimPort port;
    QuietMessages messages;
    link::SharedSettings settings;
    platform::ProgramState state;
    link::Context ctx{port, messages, settings, ""};
    gallery::StartWithCodes(ctx);

    const std::filesystem::path out = argv[1];
    int saved = 0;
    const std::vector<gallery::Window> windows = gallery::EveryWindow(ctx);
    const auto save = [&](QWidget& shown, const std::string& name) {
        if (shown.grab().save(QString::fromStdString((out / (name + ".png")).string())))
            ++saved;
        else
            std::fprintf(stderr, "gallery: cannot save %s\n", name.c_str());
    };
    // The noise sweep also while it runs, once six rows are in.
    QTimer sweeping;
    QObject::connect(&sweeping, &QTimer::timeout, [&] {
        auto* sweep = qobject_cast<analysis::SweepForm*>(QApplication::activeModalWidget());
        if (!sweep || sweep->rows().size() < 6) return;
        sweeping.stop();
        save(*sweep, "SweepForm-running");
    });
    // The data reading window's live view while a display read runs, 300 codes in.
    QTimer reading;
    QObject::connect(&reading, &QTimer::timeout, [&] {
        auto* read = qobject_cast<analysis::ReadDataForm*>(QApplication::activeModalWidget());
        if (!read) return;
        reading.stop();
        QObject::connect(read->findChild<QLineEdit*>("currentcode"), &QLineEdit::textChanged, read,
                         [&save, read, codes = 0]() mutable {
                             if (++codes == 300) save(*read, "ReadDataForm-running");
                         });
    });
    for (const gallery::Window& window : windows) {
        if (window.name == "SweepForm") sweeping.start(0);
        if (window.name == "ReadDataForm-live") reading.start(0);
        gallery::Visit(window, [&](QWidget& shown) { save(shown, window.name); });
    }

    std::printf("gallery: %d windows in %s\n", saved, out.c_str());
    return saved == static_cast<int>(windows.size()) + 2 ? 0 : 1;
}
