#pragma once
// A rig for the shell's windows: the simulated board in virtual time behind a recording port,
// scripted message boxes, the shared settings; and a way to act on a modal window while it is up.
#include <functional>
#include <string>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "link/Context.h"
#include "platform/Form.h"
#include "platform/SimPort.h"
#include "support/RecordingPort.h"
#include "support/ScriptedMessages.h"

namespace qb::shelltest {

struct Rig {
    platform::SimPort board;  // virtual time unless told otherwise
    test::RecordingPort port{board};
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    link::Context ctx;

    explicit Rig(std::string commandLine = {}) : ctx{port, messages, settings, std::move(commandLine)} {}
};

// Runs `action` with the innermost modal window once it is up (the window a showModal() or a
// click is about to open). Schedule it before the call that opens the window.
inline void WhenModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action = std::move(action)] { action(QApplication::activeModalWidget()); });
}

// Clears the "program ending" state a test left behind (the main window's close ends the
// program).
struct ProgramEndingGuard {
    ~ProgramEndingGuard() {
        if (platform::Form::programEnding()) platform::Form::resetProgramEnding();
    }
};

} // namespace qb::shelltest
