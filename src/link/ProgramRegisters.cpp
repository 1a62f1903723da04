#include "link/ProgramRegisters.h"

#include "link/Register.h"
#include "link/Startup.h"
#include "platform/base/Numbers.h"

namespace qb::link {

namespace {

// The DAC window keeps the low six bits of its register.
constexpr int32_t kDacWordMask = 63;

Register registerFor(const Context& ctx, SetUpRegister reg) {
    const RegisterTraits& t = TraitsOf(reg);
    Register r(ctx);
    r.setReadAddress(t.readByte);
    r.setWriteAddress(t.writeByte);
    r.setWordLength(t.bits);
    return r;
}

// A register read is a whole number of at most 24 bits, so it always fits.
int32_t read(Register& r) { return platform::ToInt32(r.ReadReg()).value_or(0); }

void keep(SharedSettings& s, SetUpRegister reg, int32_t value) {
    switch (reg) {
    case SetUpRegister::Filter: s.FilterRegValue = value; break;
    case SetUpRegister::Dac: s.DacRegValue = static_cast<int16_t>(value); break;
    case SetUpRegister::Offset: s.OffsetRegValue = value; break;
    case SetUpRegister::Gain: s.GainRegValue = value; break;
    case SetUpRegister::Mode:
        s.ModeRegValue = value;
        DecodeModeRegister(s);
        break;
    }
}

} // namespace

std::string MismatchText(const Mismatch& m) {
    return std::string("the ") + TraitsOf(m.reg).name + " read back " + platform::Hex(m.readBack) + " after " +
           platform::Hex(m.written) + " was written";
}

std::optional<Mismatch> ProgramRegisters(const Context& ctx, const SetUp& setUp) {
    for (SetUpRegister reg : kWriteOrder) {
        if (!setUp[reg]) continue;
        const int32_t value = *setUp[reg];
        Register r = registerFor(ctx, reg);
        r.setRegValue(value);
        r.WriteReg();
        const int32_t back = read(r);
        keep(ctx.settings, reg, value);
        if (back != value) return Mismatch{reg, value, back};
    }
    return std::nullopt;
}

SetUp ReadRegisters(const Context& ctx, std::span<const SetUpRegister> which) {
    SetUp setUp;
    for (SetUpRegister reg : which) {
        Register r = registerFor(ctx, reg);
        int32_t value = read(r);
        if (reg == SetUpRegister::Dac) value &= kDacWordMask;
        keep(ctx.settings, reg, value);
        setUp[reg] = value;
    }
    return setUp;
}

} // namespace qb::link
