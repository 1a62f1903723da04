#pragma once
// One run of the program as far as the windows are concerned: a fresh "ending" state and exit
// code (platform::ProgramState) for as long as it lives. The test main gives every test one; a
// test that ends the program more than once makes one per run. Going, it also clears Qt's memory
// of an exit request, which would otherwise end the next modal display at once.
#include <QCoreApplication>
#include <QTimer>

#include "platform/base/ProgramState.h"

namespace qb::test {

class ProgramRun {
public:
    ProgramRun() = default;
    ~ProgramRun() {
        if (!state.ending() || !QCoreApplication::instance()) return;
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
    }
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    platform::ProgramState state;
};

} // namespace qb::test
