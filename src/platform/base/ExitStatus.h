#pragma once
// What a run of the program tells the shell that started it.
namespace qb::platform {

inline constexpr int kExitOk = 0;             // done
inline constexpr int kExitFailure = 1;        // a failure, said in one line on standard error
inline constexpr int kExitUsage = 2;          // a bad option or value
inline constexpr int kExitInterrupted = 130;  // stopped by Ctrl-C (128 + SIGINT, as the shell reports it)

} // namespace qb::platform
