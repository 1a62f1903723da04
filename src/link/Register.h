#pragma once
// The converter's registers as the windows see them. Every register access starts with a
// communications byte (bits 2-0 the register, bits 5-4 the operation) sent as 8 bits, followed by
// the register's bits. Each window owns its own Register or ReadData; instances share nothing but
// the port address in the shared settings.
#include <cstdint>

#include "link/Context.h"

namespace qb::link {

// Communications bytes and word lengths per register.
namespace comms {
inline constexpr int16_t kStatusRead = 16;
inline constexpr int16_t kModeWrite = 2, kModeRead = 18;
inline constexpr int16_t kFilterWrite = 3, kFilterRead = 19;
inline constexpr int16_t kDacWrite = 4, kDacRead = 20;
inline constexpr int16_t kOffsetWrite = 5, kOffsetRead = 21;
inline constexpr int16_t kGainWrite = 6, kGainRead = 22;
inline constexpr int16_t kStartContinuousRead = 33;  // data register
inline constexpr int16_t kStopContinuousRead = 48;

inline constexpr int16_t kStatusBits = 8, kModeBits = 16, kFilterBits = 24, kDacBits = 8,
                         kOffsetBits = 24, kGainBits = 24;
} // namespace comms

// What every window says when the converter did not answer as it should: no result came, or a
// register read back other than what was written.
inline constexpr const char* kReadErrorMessage = "Error occured while trying to read from QB4160";

inline constexpr const char* kRegisterValueMessage =
    "The register value cannot be sent: it is not a number or does not fit in 32 bits. "
    "The register was not written.";

class Register {
public:
    explicit Register(const Context& ctx) : ctx_(ctx) {}

    int16_t WordLength() const { return wordLength_; }
    void setWordLength(int16_t bits) { wordLength_ = bits; }

    // Sends ReadAddress as a communications byte, then clocks in WordLength bits without waiting
    // for the ready line; the unsigned bit pattern as a whole number.
    double ReadReg();

    // Sends WriteAddress as a communications byte, then the low WordLength bits of RegValue
    // rounded to a 32-bit integer (halves to even). A value that is not a number or does not fit
    // in 32 bits is not sent at all (nothing reaches the port) and the user is told.
    void WriteReg();

    double RegValue() const { return regValue_; }
    void setRegValue(double value) { regValue_ = value; }

    int16_t ReadAddress() const { return readAddress_; }
    void setReadAddress(int16_t byte) { readAddress_ = byte; }

    int16_t WriteAddress() const { return writeAddress_; }
    void setWriteAddress(int16_t byte) { writeAddress_ = byte; }

private:
    Context ctx_;
    int16_t writeAddress_ = 0;
    int16_t readAddress_ = 0;
    double regValue_ = 0.0;
    int16_t wordLength_ = 0;
};

// One conversion result per call while the converter streams its data register (the caller has
// sent comms::kStartContinuousRead and ends with comms::kStopContinuousRead, then the data-port
// byte 27).
class ReadData {
public:
    explicit ReadData(const Context& ctx) : ctx_(ctx) {}

    // The class's own read (named Read here, as a member cannot carry the class's name): waits
    // for the ready line, then clocks in WordLength bits; kNoData when the line stayed high,
    // kStopped when the context's stop hook ended the wait. Sends no communications byte.
    int32_t Read();

    int16_t WordLength() const { return wordLength_; }
    void setWordLength(int16_t bits) { wordLength_ = bits; }

    // Kept for the owner's record only; never sent.
    int16_t ReadAddress() const { return readAddress_; }
    void setReadAddress(int16_t byte) { readAddress_ = byte; }

private:
    Context ctx_;
    int16_t readAddress_ = 0;
    int16_t wordLength_ = 0;
};

// Puts the converter into continuous reading of its data register: byte 33 as a serial word.
void StartContinuousRead(const Context& ctx);
// Ends continuous reading: stop byte 48 as a serial word, then 27 on the data register.
void StopContinuousRead(const Context& ctx);

} // namespace qb::link
