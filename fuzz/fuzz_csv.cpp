// Fuzzes the reader of the program's CSV files of codes. The first byte is the piece size the
// content is fed in; the rest is the file content. Checks besides "no crash":
// - a refused file says why in one line, with no control characters;
// - feeding the content in pieces gives exactly the result of the whole content;
// - an accepted file gives at least one code, each a finite number;
// - whole codes written back out as the program writes its CSV read back the same, with the
//   same conditions.
#include <cmath>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "analysis/CodesCsv.h"
#include "files/CodesCsvFile.h"
#include "FuzzChecks.h"

using namespace qb::files;

namespace {

using qb::fuzz::check;
using qb::fuzz::oneLine;

bool same(const qb::platform::Result<CsvCapture>& a, const qb::platform::Result<CsvCapture>& b) {
    if (a.ok() != b.ok()) return false;
    if (!a.ok()) return a.error() == b.error();
    return a->codes == b->codes && a->conditions == b->conditions && a->capturedAt == b->capturedAt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = 1 + data[0];
    const std::string_view content(reinterpret_cast<const char*>(data + 1), size - 1);

    const auto whole = ParseCodesCsv(content);
    if (!whole.ok()) {
        check(oneLine(whole.error()));
    } else {
        check(!whole->codes.empty());
        for (const double c : whole->codes) check(std::isfinite(c));
    }

    CodesCsvParser parser;
    for (std::size_t at = 0; at < content.size() && !parser.failed(); at += piece)
        parser.Feed(content.substr(at, piece));
    check(same(whole, parser.Finish()));

    if (!whole.ok()) return 0;
    for (const double c : whole->codes)
        if (c != std::floor(c) || std::fabs(c) > 1e9) return 0;
    const auto again = ParseCodesCsv(qb::analysis::CodesCsv(whole->codes, whole->conditions, whole->capturedAt));
    check(same(whole, again));
    return 0;
}
