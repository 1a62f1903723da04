#pragma once
// Programming the converter from a set-up, and reading its set-up back: the one routine the
// headless acquisition, the program menu's "Load Set-up..." and the noise sweep share.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "link/Context.h"
#include "link/SetUp.h"

namespace qb::link {

// A register that read back other than what was written.
struct Mismatch {
    SetUpRegister reg;
    int32_t written = 0;
    int32_t readBack = 0;
    bool operator==(const Mismatch&) const = default;
};

// "the filter register read back 400011 after 400010 was written"
std::string MismatchText(const Mismatch& mismatch);

// Writes every register the set-up gives, in kWriteOrder, each read back at once; stops at the
// first one that reads back other than written and returns it, leaving the registers after it
// unwritten. The shared settings keep each value written, as the register windows keep theirs
// (ModeRegValue decoded into the data format).
std::optional<Mismatch> ProgramRegisters(const Context& ctx, const SetUp& setUp);

// Reads the registers (all five unless told which) into a set-up and into the shared settings
// (the DAC's low six bits, as its window keeps them; the mode decoded into the data format).
SetUp ReadRegisters(const Context& ctx, std::span<const SetUpRegister> which = kMenuOrder);

} // namespace qb::link
