#pragma once
// What the mode register window shows, as text a test can compare in one line.
#include <string>
#include <vector>

#include "platform/widgets/BitRow.h"
#include "registers/RegisterRig.h"

namespace qb::regtest {

using Traffic = std::vector<std::string>;
using Strings = std::vector<std::string>;

// The names of the selected option buttons and checked boxes, in a fixed order; "+outputs" when
// d1 and d2 are shown.
inline std::string State(QWidget& form) {
    std::string out;
    for (const char* name : {"md0", "md1", "md2", "md3", "md4", "md5", "md6", "md7", "unipolar", "bipolar", "bit24",
                             "bit16", "v5", "v2", "range1", "range2", "range3", "range4", "ch1", "ch2", "ch3", "ch4",
                             "Burn", "CLKOUT", "den", "d1", "d2"})
        if (Find(form, name)->isChecked()) out += (out.empty() ? "" : " ") + std::string(name);
    if (!Find(form, "d1")->isHidden() && !Find(form, "d2")->isHidden()) out += " +outputs";
    return out;
}
inline uint32_t Shapes(QWidget& form) { return form.findChild<platform::BitRow*>()->value(); }
inline std::string Hex4(int32_t v) { return QString::number(v, 16).toUpper().toStdString(); }
inline Traffic WriteAndReadBack(int32_t v) { return {"W mode " + Hex4(v), "R mode " + Hex4(v)}; }
inline std::string Captions(QWidget& form) {
    std::string out;
    for (const char* name : {"range1", "range2", "range3", "range4"}) out += Find(form, name)->text().toStdString() + "|";
    return out;
}

} // namespace qb::regtest
