#include "link/WindowsVersion.h"

#include <sys/utsname.h>

#include <cctype>

#include "link/Serial.h"
#include "platform/base/Numbers.h"

namespace qb::link {

namespace {

std::string upperCased(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::string GetWindowsVersion() { return {}; }

std::string SystemName() {
    utsname names{};
    if (::uname(&names) != 0) return {};
    return std::string(names.sysname) + " " + names.release;
}

void InitPort(const Context& ctx, const VersionQuery& query) {
    SharedSettings& s = ctx.settings;
    s.WindowsVersionText = query ? query() : std::string{};
    if (s.WindowsVersionText.find("95") != std::string::npos ||
        s.WindowsVersionText.find("98") != std::string::npos) {
        s.PortAddress = 888;
    } else {
        ClaimPort(ctx);
        GetPortAddress(ctx);
    }
    // The control register of an unknown port would be I/O address 2: left alone then.
    if (PortReachable(ctx, s.PortAddress)) {
        const auto control = static_cast<int16_t>(s.PortAddress + 2);
        OutPort(ctx, control, static_cast<int16_t>(InPort(ctx, control) & kControlMask));
    }
    ShowStatus(ctx);
}

void ClaimPort(const Context& ctx) {
    if (ctx.port.ClaimParallelPort(1, -1) != 0) return;
    const std::string reason = ctx.port.failureReason();
    ctx.messages.exclamation(reason.empty() ? std::string(kClaimFailedMessage) : kClaimFailedMessage + ("\n" + reason));
}

void GetPortAddress(const Context& ctx) {
    platform::ParallelPortInfo info;
    info.size = 12;
    info.baseAddress = 0;
    info.reserved = 0;
    if (ctx.port.GetParallelPortInfo(1, info) == 0 || info.baseAddress > 0xFFFF) {
        ctx.messages.exclamation(kNoPrinterPortMessage, kNoPrinterPortTitle);
        return;
    }
    ctx.settings.PortAddress = static_cast<int16_t>(static_cast<uint16_t>(info.baseAddress));
}

void ShowStatus(const Context& ctx) {
    if (upperCased(ctx.commandLine).find("/SS") == std::string::npos) return;
    const auto address = static_cast<uint16_t>(ctx.settings.PortAddress);
    const std::string& windows = ctx.settings.WindowsVersionText;
    ctx.messages.information("Windows Version:" + (windows.empty() ? SystemName() : windows) + "\r" +
                                 "Port Address:0x" + platform::Hex(address),
                             kShowStatusTitle);
}

} // namespace qb::link
