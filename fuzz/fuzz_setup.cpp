// Fuzzes the set-up file reader: the input is the file's content. Checks besides "no crash":
// - a refused set-up says why in one line, with no control characters;
// - an accepted one holds only values its registers take (no mode that starts a calibration);
// - an accepted set-up written out reads back the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "link/SetUp.h"
#include "FuzzChecks.h"

using namespace qb::link;

using qb::fuzz::check;
using qb::fuzz::oneLine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const auto setUp = ParseSetUp(content);
    if (!setUp.ok()) {
        check(oneLine(setUp.error()));
        return 0;
    }
    for (SetUpRegister reg : kWriteOrder) {
        const auto& value = (*setUp)[reg];
        if (!value) continue;
        check(*value >= 0 && *value <= TraitsOf(reg).largest);
        check(reg != SetUpRegister::Mode || (*value & 0x8000) == 0);
    }
    const auto again = ParseSetUp(SetUpJson(*setUp));
    check(again.ok() && *again == *setUp);
    return 0;
}
