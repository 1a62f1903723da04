#pragma once
// PortForm: which of the three standard parallel-port addresses the board hangs on. A click on an
// option sets PortAddress at once; "OK" closes the window.
//
// When the window opens with no usable address (start-up found no port, so the board has been
// left alone) and closes with one, the chosen port's control register is prepared as start-up
// would have prepared it (ANDed with 212): that step never ran for this port. A port that
// start-up did prepare is not touched again.
#include <cstdint>

#include "link/Context.h"
#include "platform/widgets/Form.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace qb::platform {
class OptionButton;
}

namespace qb::link {

inline constexpr int16_t kLpt1Address = 888;  // 378h
inline constexpr int16_t kLpt2Address = 632;  // 278h
inline constexpr int16_t kPrnAddress = 956;   // 3BCh

class PortForm : public platform::Form {
    Q_OBJECT
public:
    explicit PortForm(const Context& ctx, QWidget* parent = nullptr);

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void choose(int16_t address);

    Context ctx_;
    bool openedWithoutPort_ = false;

    QGroupBox* Frame1;
    platform::OptionButton* LPT1;
    platform::OptionButton* LPT2;
    platform::OptionButton* PRN;
    QPushButton* Command1;
    QLabel* Label1;
};

} // namespace qb::link
