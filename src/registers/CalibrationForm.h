#pragma once
// The offset and the gain register windows: one class, told by a CalibrationRegister which of
// the two it is (`offsetform` or `gainform`). Opening reads the register and writes nothing; a
// value typed in hexadecimal and Enter writes it and reads it back. Clicking the entry empties
// it for a new value. On a read-back difference the shared setting holds the value meant, while
// the indicators and the hexadecimal text keep showing the contents from before.
#include "link/Context.h"
#include "link/Register.h"
#include "platform/widgets/Form.h"
#include "registers/CalibrationRegister.h"

class QGroupBox;
class QHBoxLayout;
class QLabel;
class QPushButton;

namespace qb::platform {
class BitRow;
class TextBox;
} // namespace qb::platform

namespace qb::registers {

class CalibrationForm : public platform::Form {
    Q_OBJECT
public:
    CalibrationForm(const link::Context& ctx, const CalibrationRegister& which, QWidget* parent = nullptr);

protected:
    void Form_Load() override;

private:
    // The window, built top-down: a frame each, the entry row and their layout.
    void makeRegisterFrames();
    QHBoxLayout* makeEntryRow();
    void layOut(QHBoxLayout* entry);

    void new_word_Click();
    void new_word_KeyPress(int& keyAscii);
    void Command3D1_Click();

    void ShowRegisterBits();
    int32_t& value() { return ctx_.settings.*which_.value; }

    link::Context ctx_;
    const CalibrationRegister& which_;
    link::Register reg_;

    QGroupBox* Frame1;
    QGroupBox* Frame2;
    platform::BitRow* shapes_;
    QGroupBox* Frame3;
    QLabel* Label2;
    QLabel* Label4;
    platform::TextBox* new_word;
    QPushButton* Command3D1;
};

} // namespace qb::registers
