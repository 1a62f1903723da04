#pragma once
// chop_skip: the small choice window the filter window opens when CHOP and SKIP would both be
// set. Each button leaves its answer in DialogChoice (kChopOnSkipOff or kChopOffSkipOn) and
// closes the window; a window closed another way leaves DialogChoice as it was.
#include <cstdint>

#include "link/Context.h"
#include "platform/Form.h"

class QLabel;
class QPushButton;

namespace qb::registers {

inline constexpr int16_t kChopOnSkipOff = 4;
inline constexpr int16_t kChopOffSkipOn = 5;
inline constexpr const char* kChopSkipMessage =
    "This program does not allow the CHOP and SKIP bits to be set at the same time.";

class chop_skip : public platform::Form {
    Q_OBJECT
public:
    explicit chop_skip(const link::Context& ctx, QWidget* parent = nullptr);

private:
    void answer(int16_t choice);

    link::Context ctx_;

    QLabel* Picture1;
    QLabel* Label1;
    QPushButton* Command1;
    QPushButton* Command2;
};

} // namespace qb::registers
