#pragma once
// DAC_form: the converter's offset DAC register. Opening reads the register (its low six bits
// are the word) and writes nothing; a word typed in decimal and Enter writes it (above 63 it
// becomes 63; a negative or non-numeric entry is refused: the box is emptied, nothing written)
// and reads it back. Beside the bits and the hexadecimal word the window shows the input
// offset the word gives at the 5 V and at the 2.5 V reference.
#include "link/Context.h"
#include "link/Register.h"
#include "platform/widgets/Form.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace qb::platform {
class BitRow;
class TextBox;
} // namespace qb::platform

namespace qb::registers {

class DAC_form : public platform::Form {
    Q_OBJECT
public:
    explicit DAC_form(const link::Context& ctx, QWidget* parent = nullptr);

protected:
    void Form_Load() override;

private:
    // The window, built top-down: a frame each and their layout.
    void makeBitsFrame();
    void makeValuesFrame();
    void layOut();

    void dacword_KeyPress(int& keyAscii);
    void Command3D1_Click();

    void ShowDacBits();
    // off5 and off2 for DacRegValue; after an entry with the blank of the sign position.
    void ShowOffsets(bool signBlank);

    link::Context ctx_;
    link::Register reg_;

    QGroupBox* Frame3;
    QGroupBox* Frame2;
    platform::BitRow* shapes_;
    QGroupBox* Frame1;
    QLabel* Label2;
    QLabel* DAC1;
    QLabel* Label4;
    platform::TextBox* dacword;
    QLabel* Label5;
    QLabel* off5;
    QLabel* Label6;
    QLabel* off2;
    QPushButton* Command3D1;
};

} // namespace qb::registers
