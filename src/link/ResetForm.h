#pragma once
// ResetForm: resets the converter's serial interface ("Software Reset": 32 clock pulses with the
// data line high) or the whole device ("Hardware Reset": one write with the reset line low), then
// closes. "Cancel" closes without touching the port. No register is re-read afterwards.
#include "link/Context.h"
#include "platform/widgets/Form.h"

class QLabel;
class QPushButton;

namespace qb::link {

class ResetForm : public platform::Form {
    Q_OBJECT
public:
    explicit ResetForm(const Context& ctx, QWidget* parent = nullptr);

private:
    void Command1_Click();        // Software Reset
    void Command2_Click();        // Hardware Reset
    void ResetOKCommand_Click();  // Cancel

    Context ctx_;

    QPushButton* ResetOKCommand;
    QPushButton* Command2;
    QPushButton* Command1;
    QLabel* Picture1;
    QLabel* Label1;
};

} // namespace qb::link
