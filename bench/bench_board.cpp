// Speed of the simulated board: port accesses per second, results per second in continuous
// read on virtual time, and the converter's own computing rate at its highest output rate
// (which must leave at least tenfold headroom for wall-clock pacing on one core).
#include <cstdint>

#include <benchmark/benchmark.h>

#include "app/SimPort.h"
#include "board/Qb4160Board.h"

namespace {

using qb::app::SimPort;

constexpr uint16_t kData = 0x378;
constexpr uint16_t kStatus = 0x379;
constexpr uint32_t kFastestFilter = 0x013000; // word 19, CHOP off
constexpr double kFastestRate = 4915200.0 / (16 * 19);

void WriteSerial(qb::platform::PortIo& port, uint32_t value, int bits) {
    port.OutByte(kData, 26);
    for (int j = bits - 1; j >= 0; --j) {
        const uint8_t b = (value >> j) & 1u;
        port.OutByte(kData, 26 + b);
        port.OutByte(kData, 18 + b);
        port.OutByte(kData, 26 + b);
    }
    port.OutByte(kData, 26);
}

uint32_t ClockIn(qb::platform::PortIo& port, int bits) {
    uint32_t result = 0;
    for (int j = bits - 1; j >= 0; --j) {
        port.OutByte(kData, 18);
        port.OutByte(kData, 26);
        if (port.InByte(kStatus) & 0x10) result |= 1u << j;
    }
    return result;
}

// Register reads of the mode register, over and over: 26 + 16 x 3 accesses each.
void BM_PortAccesses(benchmark::State& state) {
    SimPort port;
    int64_t accesses = 0;
    for (auto _ : state) {
        WriteSerial(port, 18, 8);
        port.OutByte(kData, 26);
        benchmark::DoNotOptimize(ClockIn(port, 16));
        accesses += 26 + 1 + 16 * 3;
    }
    state.counters["accesses/s"] = benchmark::Counter(static_cast<double>(accesses),
                                                      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PortAccesses);

// Continuous read as the program does it: 33, then per result poll bit 6 and clock 24 bits,
// finally 48 and 27. The argument is the filter register.
void BM_ContinuousRead(benchmark::State& state) {
    SimPort port;
    WriteSerial(port, 3, 8);
    WriteSerial(port, static_cast<uint32_t>(state.range(0)), 24);
    WriteSerial(port, 33, 8);
    int64_t results = 0;
    for (auto _ : state) {
        port.OutByte(kData, 26);
        while (port.InByte(kStatus) & 0x40) {
        }
        benchmark::DoNotOptimize(ClockIn(port, 24));
        ++results;
    }
    WriteSerial(port, 48, 8);
    port.OutByte(kData, 27);
    state.counters["results/s"] = benchmark::Counter(static_cast<double>(results),
                                                     benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ContinuousRead)->Arg(0x800010)->Arg(0x400110)->Arg(kFastestFilter);

// The converter alone at its highest rate: every status read lets one conversion period pass.
// "headroom" is the computing rate over the converter's rate; it must stay above 10.
void BM_ConversionsAtHighestRate(benchmark::State& state) {
    qb::board::Qb4160Board board;
    double t = 0;
    auto out = [&](uint8_t v) { board.write(0, v, t += 1e-6); };
    const auto serial = [&](uint32_t value, int bits) {
        out(26);
        for (int j = bits - 1; j >= 0; --j) {
            const uint8_t b = (value >> j) & 1u;
            out(26 + b);
            out(18 + b);
            out(26 + b);
        }
        out(26);
    };
    serial(3, 8);
    serial(kFastestFilter, 24);
    const double period = board.conversionPeriod();
    const uint64_t before = board.resultsProduced();
    for (auto _ : state) {
        t += period;
        benchmark::DoNotOptimize(board.read(1, t));
    }
    const double results = static_cast<double>(board.resultsProduced() - before);
    state.counters["results/s"] = benchmark::Counter(results, benchmark::Counter::kIsRate);
    state.counters["headroom"] =
        benchmark::Counter(results / kFastestRate, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ConversionsAtHighestRate);

} // namespace

BENCHMARK_MAIN();
