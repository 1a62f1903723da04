#pragma once
// Access to the parallel port, one byte at a time. The program reaches the evaluation board only
// through these four operations; which port sits behind them (the simulated board, Linux ppdev,
// direct I/O) is chosen once at start-up.
#include <chrono>
#include <cstdint>
#include <string>

namespace qb::platform {

// Record filled by GetParallelPortInfo: three unsigned 32-bit fields. The caller sets `size` to 12
// and the other two to 0; the port fills `baseAddress`.
struct ParallelPortInfo {
    uint32_t size = 12;
    uint32_t baseAddress = 0;
    uint32_t reserved = 0;
};

// What a run of reads of one address gave (PortIo::pollUntil): how many reads were made, the
// value of the first and the value of the last; every read but the last gave `first`.
struct PollRun {
    int32_t reads = 0;
    uint8_t first = 0;
    uint8_t last = 0;
};

class PortIo {
public:
    virtual ~PortIo() = default;

    // Claims parallel port `portNumber` (1 = the first). Non-zero on success.
    virtual int ClaimParallelPort(int portNumber, int flags) = 0;
    // Fills info.baseAddress for port `portNumber`. Non-zero on success.
    virtual int GetParallelPortInfo(int portNumber, ParallelPortInfo& info) = 0;
    // The byte at I/O address `address` (data, status or control register of a port).
    virtual uint8_t InByte(uint16_t address) = 0;
    // Writes `value` to I/O address `address`.
    virtual void OutByte(uint16_t address, uint8_t value) = 0;

    // Reads `address` again and again: at least once, at most `limit` times, and no more once a
    // read gives a value whose `mask` bits equal `want` or a value other than the first read's.
    // The port sees exactly the reads InByte would make one by one (and this is what the plain
    // version does); a port that knows when the value can change next (a simulated board) may
    // answer a run of reads that cannot see a change without making each one.
    virtual PollRun pollUntil(uint16_t address, uint8_t mask, uint8_t want, int32_t limit) {
        PollRun run;
        run.first = run.last = InByte(address);
        run.reads = 1;
        while ((run.last & mask) != want && run.last == run.first && run.reads < limit) {
            run.last = InByte(address);
            ++run.reads;
        }
        return run;
    }

    // Why the last claim (or another access) failed, in the system's words ("/dev/parport0:
    // cannot open: Permission denied"); empty when nothing failed or the port cannot say.
    virtual std::string failureReason() const { return {}; }

    // The program is about to wait for the user: anything buffered (a trace) goes out now.
    virtual void flush() {}

    // Time as the board sees it. On real hardware (and on a simulated board keeping wall-clock
    // time) time passes by itself while the program waits. A simulated board on virtual time
    // counts time only through port accesses, so every wait of the program (pauses, settling
    // waits) goes through passTime() as well (see platform/widgets/Wait.h): the board then sees the wait
    // as it would on real hardware, and the program need not really wait.
    virtual bool clockIsVirtual() const { return false; }
    // Told of every wait of the program, before it happens: a virtual clock moves on by
    // `seconds`; a real clock does nothing.
    virtual void passTime(double seconds) { (void)seconds; }
    // The time on the board's clock, in seconds from a start of the port's own: a simulated
    // board's clock (on virtual time it moves only with accesses and waits), the machine's
    // steady clock for a real board.
    virtual double clockSeconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
    // One line naming the backend, for --help and traces ("simulated board", "ppdev /dev/parport0").
    virtual std::string describe() const = 0;
    // The board behind the port as the windows name it to the user ("Simulated board (virtual
    // time)", "Board on /dev/parport0", "Board at port 378h").
    virtual std::string boardName() const { return describe(); }
};

} // namespace qb::platform
