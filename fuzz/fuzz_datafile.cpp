// Fuzzes the data file reader in both forms. The first byte picks the form and the piece size
// the content is fed in; the rest is the file content. Checks besides "no crash":
// - the result is either all codes (at least one) or an error;
// - feeding the content in pieces gives exactly the result of the whole content;
// - at most 5000 codes, each a whole number;
// - decimal codes written back out read back the same.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "files/DataFile.h"
#include "FuzzChecks.h"

using namespace qb::files;

namespace {

using qb::fuzz::check;

bool same(const ReadResult& a, const ReadResult& b) {
    if (a.ok() != b.ok()) return false;
    if (a.ok()) return *a == *b;
    return a.error().kind == b.error().kind && a.error().line == b.error().line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const CodeForm form = (data[0] & 1) ? CodeForm::Hex : CodeForm::Decimal;
    const std::size_t piece = 1 + (data[0] >> 1);
    const std::string_view content(reinterpret_cast<const char*>(data + 1), size - 1);

    const ReadResult whole = ParseCodes(content, form);
    if (whole.ok()) {
        check(!whole->empty() && whole->size() <= kMaxCodeLines);
        for (const double c : *whole) check(std::isfinite(c) && c == std::floor(c));
    } else {
        check(!whole.error().Describe(form).empty());
    }

    CodeParser parser(form);
    for (std::size_t at = 0; at < content.size() && !parser.done(); at += piece)
        parser.Feed(content.substr(at, piece));
    check(same(whole, parser.Finish()));

    if (whole.ok() && form == CodeForm::Decimal) {
        std::vector<double> buffer{0.0};
        buffer.insert(buffer.end(), whole->begin(), whole->end());
        const auto e = EncodeCodes(buffer, static_cast<int32_t>(whole->size()), form);
        check(e.ok());
        const ReadResult again = ParseCodes(*e, form);
        check(again.ok() && *again == *whole);
    }
    return 0;
}
