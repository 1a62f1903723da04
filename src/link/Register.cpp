#include "link/Register.h"

#include "link/Serial.h"
#include "platform/base/Numbers.h"

namespace qb::link {

double Register::ReadReg() {
    const int16_t port = ctx_.settings.PortAddress;
    WriteSerial(ctx_, readAddress_, port, 8);
    return static_cast<double>(ReadSerial(ctx_, wordLength_, port));
}

void Register::WriteReg() {
    const auto value = platform::ToInt32(regValue_);
    if (!value) {
        ctx_.messages.exclamation(kRegisterValueMessage);
        return;
    }
    const int16_t port = ctx_.settings.PortAddress;
    WriteSerial(ctx_, writeAddress_, port, 8);
    WriteSerial(ctx_, *value, port, wordLength_);
}

int32_t ReadData::Read() {
    return ReadSerialWhenReady(ctx_, wordLength_, ctx_.settings.PortAddress);
}

void StartContinuousRead(const Context& ctx) {
    WriteSerial(ctx, comms::kStartContinuousRead, ctx.settings.PortAddress, 8);
}

void StopContinuousRead(const Context& ctx) {
    WriteSerial(ctx, comms::kStopContinuousRead, ctx.settings.PortAddress, 8);
    OutPort(ctx, ctx.settings.PortAddress, kDataHighByte);
}

} // namespace qb::link
