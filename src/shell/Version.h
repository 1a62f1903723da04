#pragma once
// The program's version, taken from the build (the project version: major.minor.revision).
#include <string>

namespace qb::shell {

struct ProgramVersion {
    int major;
    int minor;
    int revision;
};

ProgramVersion Version();

// "2.0.5": major, minor and revision joined by points.
std::string VersionText();

} // namespace qb::shell
