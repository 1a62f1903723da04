#include "faststep/FastStepRun.h"

#include "link/Register.h"
#include "link/Serial.h"

namespace qb::faststep {

namespace {

using namespace link::comms;

constexpr int16_t kCodeBits = 24;

void writeRegister(const link::Context& ctx, int16_t writeByte, int16_t bits, int32_t value) {
    const int16_t port = ctx.settings.PortAddress;
    link::WriteSerial(ctx, writeByte, port, 8);
    link::WriteSerial(ctx, value, port, bits);
}

int32_t readRegister(const link::Context& ctx, int16_t readByte, int16_t bits) {
    const int16_t port = ctx.settings.PortAddress;
    link::WriteSerial(ctx, readByte, port, 8);
    return link::ReadSerial(ctx, bits, port);
}

bool closing(const RunHooks& hooks) { return hooks.closing && hooks.closing(); }

// The step itself, once per routine: readings 1..N at the low level are done; stop, move the DAC
// to the high level, start again, and read N+1..2N.
void stepAndReadHigh(const link::Context& ctx, std::vector<double>& codes, const RunHooks& hooks) {
    const int n = ctx.settings.StepReadCount;
    link::StopContinuousRead(ctx);
    WriteDac(ctx, kDacHigh);
    link::StartContinuousRead(ctx);
    if (!LevelLoop(ctx, codes, n + 1, 2 * n, hooks)) return;
    link::StopContinuousRead(ctx);
}

} // namespace

void WriteMode(const link::Context& ctx, int32_t value) { writeRegister(ctx, kModeWrite, kModeBits, value); }
void WriteFilter(const link::Context& ctx, int32_t value) { writeRegister(ctx, kFilterWrite, kFilterBits, value); }
void WriteDac(const link::Context& ctx, int32_t value) { writeRegister(ctx, kDacWrite, kDacBits, value); }

SavedRegisters SaveRegisters(const link::Context& ctx) {
    SavedRegisters saved;
    saved.mode = readRegister(ctx, kModeRead, kModeBits);
    saved.filter = readRegister(ctx, kFilterRead, kFilterBits);
    saved.dac = static_cast<int16_t>(readRegister(ctx, kDacRead, kDacBits));
    ctx.settings.SavedModeReg = saved.mode;
    ctx.settings.SavedFilterReg = saved.filter;
    ctx.settings.SavedDacReg = saved.dac;
    return saved;
}

void RestoreRegisters(const link::Context& ctx, const SavedRegisters& saved) {
    WriteMode(ctx, saved.mode);
    WriteFilter(ctx, saved.filter);
    WriteDac(ctx, saved.dac);
}

bool LevelLoop(const link::Context& ctx, std::vector<double>& codes, int first, int last, const RunHooks& hooks) {
    for (int i = first; i <= last; ++i) {
        if (hooks.beforeReading) hooks.beforeReading();
        const int32_t r = link::ReadSerialWhenReady(ctx, kCodeBits, ctx.settings.PortAddress);
        if (r == link::kNoData) {
            ctx.messages.exclamation(link::kReadErrorMessage);
            // The converter would otherwise stay in continuous reading and take the register
            // writes that follow as data clocks.
            link::StopContinuousRead(ctx);
            return false;
        }
        if (r == link::kStopped) {
            link::StopContinuousRead(ctx);
            return false;
        }
        if (i >= 0 && static_cast<std::size_t>(i) < codes.size()) codes[static_cast<std::size_t>(i)] = r;
        if (hooks.afterReading && !hooks.afterReading()) {
            link::StopContinuousRead(ctx);
            return false;
        }
    }
    return true;
}

void ReadFastStepOff(const link::Context& ctx, std::vector<double>& codes, const RunHooks& hooks) {
    WriteFilter(ctx, kFilterFastStepOff);
    WriteDac(ctx, kDacLow);
    link::StartContinuousRead(ctx);
    if (hooks.settle) hooks.settle(kSettleMs);
    // A close request or Ctrl-C during the wait has ended the run and stopped reading already.
    if (closing(hooks)) return;
    if (!LevelLoop(ctx, codes, 1, ctx.settings.StepReadCount, hooks)) return;
    stepAndReadHigh(ctx, codes, hooks);
}

void ReadFastStepOn(const link::Context& ctx, std::vector<double>& codes, const RunHooks& hooks) {
    WriteDac(ctx, kDacLow);
    WriteFilter(ctx, kFilterFastStepOn);
    link::StartContinuousRead(ctx);
    if (!LevelLoop(ctx, codes, 1, ctx.settings.StepReadCount, hooks)) return;
    stepAndReadHigh(ctx, codes, hooks);
}

RunEnd RunFastStep(const link::Context& ctx, const RunHooks& hooks) {
    link::SharedSettings& s = ctx.settings;
    s.StepReadCount = kStepReadCount;
    const auto size = static_cast<std::size_t>(ReadingsPerSeries(s.StepReadCount)) + 1;
    s.FastStepOffCodes.assign(size, 0.0);
    s.FastStepOnCodes.assign(size, 0.0);
    WriteMode(ctx, kDemoMode);
    ReadFastStepOff(ctx, s.FastStepOffCodes, hooks);
    if (closing(hooks)) return RunEnd::Closed;
    ReadFastStepOn(ctx, s.FastStepOnCodes, hooks);
    if (closing(hooks)) return RunEnd::Closed;
    return RunEnd::Complete;
}

} // namespace qb::faststep
