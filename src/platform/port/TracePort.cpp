#include "platform/port/TracePort.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

#include "platform/base/SafeSave.h"
#include "platform/base/Text.h"

namespace qb::platform {

namespace {

constexpr size_t kBufferLimit = 64 * 1024;
constexpr char kHexDigits[] = "0123456789ABCDEF";

void appendHex(std::string& out, unsigned value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kHexDigits[(value >> shift) & 0xF];
}

Result<std::FILE*> openTraceFile(const std::string& path) {
    const Result<int> fd = OpenForStreaming(path);
    std::FILE* file = fd.ok() ? ::fdopen(*fd, "wb") : nullptr;
    if (file) return file;
    const std::string why = fd.ok() ? std::strerror(errno) : fd.error();
    if (fd.ok()) ::close(*fd);
    return Fail("cannot write the trace file " + path + ": " + why);
}

} // namespace

Result<std::unique_ptr<TracePort>> TracePort::open(PortIo& inner, const std::string& path) {
    const Result<std::FILE*> file = openTraceFile(path);
    if (!file.ok()) return Fail(file.error());
    return std::unique_ptr<TracePort>(new TracePort(inner, nullptr, *file, path));
}

Result<std::unique_ptr<TracePort>> TracePort::open(std::unique_ptr<PortIo>& inner, const std::string& path) {
    if (!inner) return Fail("no port to trace");
    const Result<std::FILE*> file = openTraceFile(path);
    if (!file.ok()) return Fail(file.error());
    PortIo& port = *inner;
    return std::unique_ptr<TracePort>(new TracePort(port, std::move(inner), *file, path));
}

TracePort::TracePort(PortIo& inner, std::unique_ptr<PortIo> owned, std::FILE* file, std::string path)
    : inner_(inner), owned_(std::move(owned)), file_(file), path_(std::move(path)) {
    buffer_.reserve(kBufferLimit + 64);
    comment("port trace of " + inner_.describe());
}

TracePort::~TracePort() {
    writeOut();
    std::fclose(file_);
}

void TracePort::access(char direction, uint16_t address, uint8_t value, int64_t count) {
    if (run_.count > 0 && run_.direction == direction && run_.address == address && run_.value == value) {
        run_.count += count;
        return;
    }
    endRun();
    run_ = {direction, address, value, count};
}

void TracePort::endRun() {
    if (run_.count <= 0) return;
    buffer_ += run_.direction;
    buffer_ += ' ';
    appendHex(buffer_, run_.address, 4);
    buffer_ += ' ';
    appendHex(buffer_, run_.value, 2);
    if (run_.count > 1) {
        buffer_ += " x";
        buffer_ += std::to_string(run_.count);
    }
    buffer_ += '\n';
    run_.count = 0;
    if (buffer_.size() >= kBufferLimit) writeBuffer();
}

void TracePort::passTime(double seconds) {
    comment("wait " + Format(seconds * 1000.0, "0.###") + " ms");
    inner_.passTime(seconds);
}

void TracePort::comment(const std::string& text) {
    endRun();
    buffer_ += "# ";
    buffer_ += text;
    buffer_ += '\n';
    if (buffer_.size() >= kBufferLimit) writeBuffer();
}

void TracePort::writeOut() {
    endRun();
    writeBuffer();
}

void TracePort::writeBuffer() {
    if (!buffer_.empty()) {
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size() && lastError_.empty())
            lastError_ = "cannot write the trace file " + path_ + ": " + std::strerror(errno);
        buffer_.clear();
    }
    if (std::fflush(file_) != 0 && lastError_.empty())
        lastError_ = "cannot write the trace file " + path_ + ": " + std::strerror(errno);
}

int TracePort::ClaimParallelPort(int portNumber, int flags) {
    const int result = inner_.ClaimParallelPort(portNumber, flags);
    std::string text = "claim port " + std::to_string(portNumber) + " -> " + std::to_string(result);
    if (result == 0 && !inner_.failureReason().empty()) text += " (" + inner_.failureReason() + ")";
    comment(text);
    return result;
}

int TracePort::GetParallelPortInfo(int portNumber, ParallelPortInfo& info) {
    const int result = inner_.GetParallelPortInfo(portNumber, info);
    std::string text = "port info " + std::to_string(portNumber) + " -> ";
    if (result) {
        text += "base ";
        appendHex(text, info.baseAddress, info.baseAddress > 0xFFFF ? 8 : 4);
    } else {
        text += "0";
    }
    comment(text);
    return result;
}

uint8_t TracePort::InByte(uint16_t address) {
    const uint8_t value = inner_.InByte(address);
    access('R', address, value);
    return value;
}

void TracePort::OutByte(uint16_t address, uint8_t value) {
    access('W', address, value);
    inner_.OutByte(address, value);
}

PollRun TracePort::pollUntil(uint16_t address, uint8_t mask, uint8_t want, int32_t limit) {
    const PollRun run = inner_.pollUntil(address, mask, want, limit);
    if (run.reads > 1) access('R', address, run.first, run.reads - 1);
    access('R', address, run.last);
    return run;
}

void TracePort::flush() {
    writeOut();
    inner_.flush();
}

std::string TracePort::takeNewError() {
    if (lastError_.empty() || errorTaken_) return {};
    errorTaken_ = true;
    return lastError_;
}

std::string TracePort::describe() const { return inner_.describe() + ", traced to " + path_; }

} // namespace qb::platform
