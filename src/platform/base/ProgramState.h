#pragma once
// Whether the program is ending, and with which exit code. Whoever runs the program owns one for
// as long as the run lasts, as it owns the shared settings: the window program beside its
// SharedSettings, the tests one per test (tests/support). While it exists it is the state in
// force: Form::endProgram() sets it, Form::programEnding() and Form::programExitCode() read it.
// A state made while another is in force takes over and hands back when it goes (a test that
// runs the program several times makes one per run). So a run starts fresh and nothing needs
// resetting by hand; the only program-wide thing is which state is in force, changed only by
// this class's constructor and destructor, on the thread that runs the windows.
#include "platform/base/ExitStatus.h"

namespace qb::platform {

class ProgramState {
public:
    ProgramState();
    ~ProgramState();
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

    // Marks the run as ending with `exitCode` (a later call changes the code).
    void end(int exitCode) {
        ending_ = true;
        exitCode_ = exitCode;
    }
    bool ending() const { return ending_; }
    int exitCode() const { return exitCode_; }

    // The state in force; nullptr outside any run.
    static ProgramState* current();

private:
    bool ending_ = false;
    int exitCode_ = kExitOk;
    ProgramState* previous_;
};

} // namespace qb::platform
