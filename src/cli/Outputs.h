#pragma once
// The files a headless command writes, checked together before anything else happens (before the
// port is claimed, before anything is read or printed).
#include <iosfwd>
#include <string>
#include <vector>

namespace qb::cli {

struct Output {
    std::string what;                              // "the graph"; empty: the file's name says it
    std::string file;                              // empty: not asked for
    bool (*nameOk)(const std::string&) = nullptr;  // the forms its name may ask for; null: any
    const char* nameRule = "";                     // what the name must be
};

// 0 when every output asked for can be written; otherwise one line on `err` and status 2 for a
// name that asks for a form the output cannot take, two outputs on one file or an output on
// one of the inputs (the same device and inode, or the same resolved path), or status 1 for a
// place that cannot be written (platform::CheckSaveTarget).
int CheckOutputs(const std::vector<Output>& outputs, const std::vector<std::string>& inputs, std::ostream& err);

} // namespace qb::cli
