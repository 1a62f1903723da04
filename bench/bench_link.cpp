// The board link on the simulated board, virtual time: how many port accesses per second the
// serial routines push through, and how many results per second a continuous read delivers.
// The simulated port advances its clock by one microsecond per access, so the accesses made
// are the virtual time elapsed divided by that microsecond.
#include <benchmark/benchmark.h>

#include "app/SimPort.h"
#include "link/Register.h"
#include "link/Serial.h"
#include "link/Startup.h"
#include "platform/base/Messages.h"

namespace {

using namespace qb;

class QuietMessages : public platform::MessageSink {
public:
    int shown = 0;
    platform::MsgAnswer show(const platform::Message&) override {
        ++shown;
        return platform::MsgAnswer::Ok;
    }
};

struct Bench {
    app::SimPort port;
    QuietMessages messages;
    link::SharedSettings settings;
    link::Context ctx{port, messages, settings, ""};
    Bench() { link::StartUp(ctx); }

    double accesses() const { return port.virtualTimeSeconds() / app::SimPort::kAccessSeconds; }
};

void reportAccesses(benchmark::State& state, double accesses) {
    state.counters["port_accesses/s"] =
        benchmark::Counter(accesses, benchmark::Counter::kIsRate);
}

// Register reads: one 8-bit send and one 24-bit receive each (99 accesses).
void BM_RegisterRead(benchmark::State& state) {
    Bench b;
    link::Register reg(b.ctx);
    reg.setReadAddress(link::comms::kFilterRead);
    reg.setWordLength(link::comms::kFilterBits);
    const double before = b.accesses();
    for (auto _ : state) benchmark::DoNotOptimize(reg.ReadReg());
    reportAccesses(state, b.accesses() - before);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RegisterRead);

// Register writes: two sends (8 + 24 bits, 104 accesses).
void BM_RegisterWrite(benchmark::State& state) {
    Bench b;
    link::Register reg(b.ctx);
    reg.setWriteAddress(link::comms::kOffsetWrite);
    reg.setWordLength(link::comms::kOffsetBits);
    reg.setRegValue(0x800000);
    const double before = b.accesses();
    for (auto _ : state) reg.WriteReg();
    reportAccesses(state, b.accesses() - before);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RegisterWrite);

// Continuous read of 24-bit results at the filter setting given (0: the power-on 800010, a
// result every 20 ms of virtual time; 1: filter word 150 without CHOP, about every 0.5 ms).
void BM_ContinuousRead(benchmark::State& state) {
    Bench b;
    const int16_t port = b.settings.PortAddress;
    if (state.range(0) == 1) {
        link::Register filter(b.ctx);
        filter.setWriteAddress(link::comms::kFilterWrite);
        filter.setWordLength(link::comms::kFilterBits);
        filter.setRegValue(0x096000);
        filter.WriteReg();
    }
    link::ReadData data(b.ctx);
    data.setWordLength(b.settings.WordLengthBits);
    link::WriteSerial(b.ctx, link::comms::kStartContinuousRead, port, 8);
    const double before = b.accesses();
    int64_t missing = 0;
    for (auto _ : state) {
        const int32_t code = data.Read();
        if (code == link::kNoData) ++missing;
        benchmark::DoNotOptimize(code);
    }
    const double accesses = b.accesses() - before;
    link::WriteSerial(b.ctx, link::comms::kStopContinuousRead, port, 8);
    link::OutPort(b.ctx, port, link::kDataHighByte);
    reportAccesses(state, accesses);
    state.counters["results/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["virtual_ms/result"] =
        accesses * app::SimPort::kAccessSeconds * 1e3 / static_cast<double>(state.iterations());
    state.counters["no_data"] = static_cast<double>(missing);
}
BENCHMARK(BM_ContinuousRead)->Arg(0)->Arg(1);

} // namespace

BENCHMARK_MAIN();
