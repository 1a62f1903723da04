#pragma once
// A register shown bit by bit: a row of circle indicators named Shape1 ... ShapeN, Shape1 the
// most significant bit, filled for 1 and hollow for 0. A small gap after every fourth indicator
// groups the bits as the hexadecimal digits beside them.
#include <cstdint>
#include <vector>

#include <QWidget>

#include "platform/widgets/Controls.h"

namespace qb::platform {

class BitRow : public QWidget {
    Q_OBJECT
public:
    // `bits` indicators (1..32).
    explicit BitRow(int bits, QWidget* parent = nullptr);

    int bits() const { return static_cast<int>(shapes_.size()); }
    // Shows the low `bits` bits of `value`: ShapeK shows bit bits - K.
    void show(uint32_t value);
    // The value the row shows.
    uint32_t value() const;
    // ShapeK (1-based).
    CircleShape* shape(int k) const { return shapes_.at(static_cast<std::size_t>(k - 1)); }

private:
    std::vector<CircleShape*> shapes_;
};

} // namespace qb::platform
