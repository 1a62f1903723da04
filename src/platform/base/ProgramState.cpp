#include "platform/base/ProgramState.h"

namespace qb::platform {

namespace {
ProgramState* g_current = nullptr;  // see the header: set only by the constructor and destructor
} // namespace

ProgramState::ProgramState() : previous_(g_current) { g_current = this; }

ProgramState::~ProgramState() {
    if (g_current == this) {
        g_current = previous_;
        return;
    }
    // Gone out of order: the states made after it now hand back to the one before it.
    for (ProgramState* later = g_current; later; later = later->previous_)
        if (later->previous_ == this) {
            later->previous_ = previous_;
            return;
        }
}

ProgramState* ProgramState::current() { return g_current; }

} // namespace qb::platform
