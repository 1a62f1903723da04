// The noise sweep on the simulated board on virtual time: 12 settings (the four ranges at three
// rates, chopping on) of 1000 codes each, as --sweep runs them. A few seconds at most.
#include <benchmark/benchmark.h>

#include "analysis/NoiseSweep.h"
#include "app/SimPort.h"
#include "link/Startup.h"
#include "platform/base/Messages.h"

namespace {

using namespace qb;

class QuietMessages : public platform::MessageSink {
public:
    platform::MsgAnswer show(const platform::Message&) override { return platform::MsgAnswer::Ok; }
};

void Sweep(benchmark::State& state) {
    app::SimPort port({}, board::TimeMode::Virtual);
    QuietMessages messages;
    link::SharedSettings settings;
    const link::Context ctx{port, messages, settings, ""};
    link::StartUp(ctx);
    const auto planned = analysis::PlanSettings({{10, 20, 40, 80}, {50, 200, 1000}, analysis::ChopChoice::On, 1000},
                                                settings.MasterClockHz, true);
    if (!planned.ok() || planned->size() != 12) return state.SkipWithError("no plan");
    for (auto _ : state) {
        const analysis::SweepResult r = analysis::RunSweep(ctx, *planned, 1000);
        if (r.rows.size() != 12) state.SkipWithError("rows missing");
    }
}
BENCHMARK(Sweep)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
