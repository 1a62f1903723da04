#pragma once
// WindowsVersion: start-up of the parallel port. Which address the board hangs on is decided
// here: a fixed 888 on the old consumer Windows family, otherwise whatever the port layer
// reports for port 1 after claiming it. On Linux there is no Windows version, so the claim and
// query path is always taken.
#include <functional>
#include <string>

#include "link/Context.h"

namespace qb::link {

inline constexpr const char* kClaimFailedMessage = "claim parallel port failed";
inline constexpr const char* kNoPrinterPortMessage = "This PC does not appear to have a Printer Port";
inline constexpr const char* kNoPrinterPortTitle = "GetPortAddress Error";
inline constexpr const char* kShowStatusTitle = "Show Status";

// Gives the Windows version text ("Windows 95", ..., "Failed", or "").
using VersionQuery = std::function<std::string()>;

// The Windows version text. There is no Windows version query on Linux: the empty text.
std::string GetWindowsVersion();

// This system's name and release as uname gives them ("Linux 6.1.0-18-amd64"); empty if it
// cannot say.
std::string SystemName();

// Start-up of the port, in this order: WindowsVersionText from `query`; "95" or "98" in it
// (case-sensitive) gives PortAddress 888 without a claim, anything else ClaimPort then
// GetPortAddress; the control register at PortAddress + 2 ANDed with 212 and written back;
// ShowStatus. With no usable address the control register is left alone (see Serial.h).
void InitPort(const Context& ctx, const VersionQuery& query = GetWindowsVersion);

// Claims parallel port 1 (second argument -1); "claim parallel port failed" when refused, with
// the port's reason on the next line when it gives one.
void ClaimPort(const Context& ctx);

// PortAddress = the base address the port layer reports for port 1. On failure, or when the
// reported address lies outside the 16-bit I/O space (it would alias another address),
// "This PC does not appear to have a Printer Port" titled "GetPortAddress Error" and PortAddress
// stays as it was.
void GetPortAddress(const Context& ctx);

// When the upper-cased command line holds "/SS": "Windows Version:<text>\rPort Address:0x<hex>"
// titled "Show Status" (information icon), the text being this system's name and release where
// there is no Windows version. The address is shown as the unsigned 16-bit I/O address.
void ShowStatus(const Context& ctx);

} // namespace qb::link
