// The conditions of codes the converter gives now: what the program keeps of its set-up, and what
// it reads from the converter for a file's header (apart from the field format in Conditions.cpp,
// which the readers of files use without a port).
#include "link/Conditions.h"
#include "link/Context.h"
#include "link/ProgramRegisters.h"
#include "link/Serial.h"

namespace qb::link {

Conditions PresentConditions(const Context& ctx) {
    const SharedSettings& s = ctx.settings;
    return {s.ModeRegValue, s.FilterRegValue, s.MasterClockHz, {}, {}, {}, ctx.port.boardName()};
}

Conditions ReadConditions(const Context& ctx) {
    static constexpr SetUpRegister kUnkept[] = {SetUpRegister::Dac, SetUpRegister::Offset, SetUpRegister::Gain};
    Conditions c = PresentConditions(ctx);
    if (!PortUsable(ctx.settings.PortAddress)) return c;  // no port chosen: nothing to ask, and no need to say so
    const SetUp read = ReadRegisters(ctx, kUnkept);
    c.dac = read[SetUpRegister::Dac], c.offset = read[SetUpRegister::Offset], c.gain = read[SetUpRegister::Gain];
    return c;
}

Conditions BufferConditions(const Context& ctx) {
    return ctx.settings.CodesConditions ? *ctx.settings.CodesConditions : ReadConditions(ctx);
}

} // namespace qb::link
