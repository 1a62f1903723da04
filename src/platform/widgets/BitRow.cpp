#include "platform/widgets/BitRow.h"

#include <string>

#include <QHBoxLayout>

namespace qb::platform {

namespace {

constexpr int kBitGap = 3;
constexpr int kNibbleGap = 7;  // after every fourth bit

} // namespace

BitRow::BitRow(int bits, QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kBitGap);
    for (int k = 1; k <= bits; ++k) {
        const std::string name = "Shape" + std::to_string(k);
        auto* shape = new CircleShape(name.c_str(), QStringLiteral("bit %1").arg(bits - k), this);
        shapes_.push_back(shape);
        row->addWidget(shape);
        if (k % 4 == 0 && k < bits) row->addSpacing(kNibbleGap);
    }
}

void BitRow::show(uint32_t value) {
    const int n = bits();
    for (int k = 1; k <= n; ++k) shapes_[static_cast<std::size_t>(k - 1)]->setFilled((value >> (n - k)) & 1u);
}

uint32_t BitRow::value() const {
    uint32_t v = 0;
    for (const CircleShape* shape : shapes_) v = (v << 1) | (shape->filled() ? 1u : 0u);
    return v;
}

} // namespace qb::platform
