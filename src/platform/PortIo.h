#pragma once
// Access to the parallel port, one byte at a time. The program reaches the evaluation board only
// through these four operations; which port sits behind them (the simulated board, Linux ppdev,
// direct I/O) is chosen once at start-up.
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

    // The program is about to wait for the user: anything buffered (a trace) goes out now.
    virtual void flush() {}
    // One line naming the backend, for --help and traces ("simulated board", "ppdev /dev/parport0").
    virtual std::string describe() const = 0;
};

} // namespace qb::platform
