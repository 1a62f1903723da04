#pragma once
// A port that passes every access on to another port and writes it to a file, one line each,
// or one line with a count for a run of identical accesses:
//   W 0378 1A     a write: address and value in upper-case hexadecimal
//   R 0379 7F     a read and the value it gave
//   R 0379 7F x20000   the same access 20000 times in a row (a wait for the ready line)
//   # claim port 1 -> 1             (-> 0, and the reason the port gives, when refused)
//   # port info 1 -> base 0378      (or "-> 0" when the port reported none)
//   # wait 100 ms                   (a pause or settling wait of the program)
// Lines starting with "# " are comments. Lines are buffered; flush() writes them out (the run
// in progress too), and so does closing the trace.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/port/PortIo.h"
#include "platform/base/Result.h"

namespace qb::platform {

class TracePort : public PortIo {
public:
    // A trace of `inner` into the file at `path` (created or emptied). The trace does not own
    // `inner`, which must outlive it. Fails, saying why, when the file cannot be opened.
    static Result<std::unique_ptr<TracePort>> open(PortIo& inner, const std::string& path);
    // The same, owning the inner port: on success the trace takes it over (`inner` is left
    // empty); on failure `inner` is left as it was, so the caller can go on without a trace.
    static Result<std::unique_ptr<TracePort>> open(std::unique_ptr<PortIo>& inner, const std::string& path);
    ~TracePort() override;
    TracePort(const TracePort&) = delete;
    TracePort& operator=(const TracePort&) = delete;

    int ClaimParallelPort(int portNumber, int flags) override;
    int GetParallelPortInfo(int portNumber, ParallelPortInfo& info) override;
    uint8_t InByte(uint16_t address) override;
    void OutByte(uint16_t address, uint8_t value) override;
    PollRun pollUntil(uint16_t address, uint8_t mask, uint8_t want, int32_t limit) override;
    // Writes the buffered lines to the file and flushes the inner port.
    void flush() override;
    std::string describe() const override;
    std::string boardName() const override { return inner_.boardName(); }
    std::string failureReason() const override { return inner_.failureReason(); }
    bool clockIsVirtual() const override { return inner_.clockIsVirtual(); }
    void passTime(double seconds) override;
    double clockSeconds() const override { return inner_.clockSeconds(); }

    const std::string& path() const { return path_; }
    // Why writing the trace first failed (a full disk, say); empty while it has not. Tracing
    // never stops the port from working.
    const std::string& lastError() const { return lastError_; }
    // lastError() the first time it is asked for after a failure, so the user is told once;
    // empty otherwise.
    std::string takeNewError();

private:
    TracePort(PortIo& inner, std::unique_ptr<PortIo> owned, std::FILE* file, std::string path);
    // `count` times the same access: it joins the run of identical accesses before it.
    void access(char direction, uint16_t address, uint8_t value, int64_t count = 1);
    // The run of identical accesses so far, as one line.
    void endRun();
    void comment(const std::string& text);
    // Writes the buffered lines to the file; writeOut() ends the run first.
    void writeBuffer();
    void writeOut();

    struct Run {
        char direction = 0;
        uint16_t address = 0;
        uint8_t value = 0;
        int64_t count = 0;
    };

    PortIo& inner_;
    std::unique_ptr<PortIo> owned_;
    std::FILE* file_;
    std::string path_;
    std::string buffer_;
    Run run_;
    std::string lastError_;
    bool errorTaken_ = false;
};

} // namespace qb::platform
