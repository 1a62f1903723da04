#pragma once
// filter: the converter's 24-bit filter register, bit by bit and field by field. The filter
// word follows the output update rate typed in Text2 (at the master clock typed in mclk); four
// check boxes set CHOP, AC excitation, FAST and SKIP; `delay` sets the delay field. Opening
// reads the register and writes nothing; every change is written at once and read back.
//
// The switch bits only move between allowed states: CHOP and SKIP are never both set (the
// chop_skip window decides which stays), AC only with CHOP (checking AC turns CHOP on,
// unchecking CHOP clears AC). A check box that needs a rate or master clock finds no usable
// number in its box leaves the register alone: the box is emptied and takes the focus, and the
// click is undone.
#include <cstdint>
#include <optional>

#include "link/Context.h"
#include "link/Register.h"
#include "platform/widgets/Form.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace qb::platform {
class BitRow;
class CheckBox;
class TextBox;
} // namespace qb::platform

namespace qb::registers {

inline constexpr const char* kChopForAcMessage =
    "The CHOP bit must be set to allow the AC excitation function.";

class filter : public platform::Form {
    Q_OBJECT
public:
    explicit filter(const link::Context& ctx, QWidget* parent = nullptr);

protected:
    void Form_Load() override;

private:
    // The window, built top-down: a frame each, their layout, and the handlers.
    void makeRegisterFrames();
    void makeRateFrame();
    void makeOptionsFrame();
    void makeDelayFrame();
    void layOut();
    void connectHandlers();

    void chop_Click();
    void skip_Click();
    void fast_Click();
    void ac_Click();
    void delay_KeyPress(int& keyAscii);
    void Text2_KeyPress(int& keyAscii);
    void mclk_KeyPress(int& keyAscii);
    void Command3D1_Click();

    void ShowRateFromRegister();
    void ApplyUpdateRate();
    void RefreshFilterDisplay();
    void WriteFilterRegister();

    // Asks chop_skip and applies the answer. False when the program is ending meanwhile.
    bool ResolveChopSkip();
    // The master clock in mclk: a number above 0 that fits in 32 bits.
    std::optional<double> MasterClock() const;
    // The update rate in Text2 as a single-precision number: a number above 0 that fits in 32
    // bits.
    std::optional<float> UpdateRate() const;
    // Whether the numbers a check box's handler needs are there (the rate only when
    // `rateNeeded`). If not, the offending box is emptied and takes the focus and, for a click
    // of the user, `clicked` goes back to its former state without running its handler.
    bool EntriesUsable(platform::CheckBox* clicked, bool rateNeeded);
    // FilterRegValue = (FilterRegValue OR orBits) AND andBits, shown at once by the indicators.
    void Change(int32_t orBits, int32_t andBits = -1);
    void SetFilterValue(int32_t value);
    double ClockInBox() const;

    link::Context ctx_;
    link::Register reg_;

    QGroupBox* Frame6;
    QGroupBox* Frame4;
    platform::BitRow* shapes_;
    QGroupBox* Frame5;
    QLabel* Label2;
    QGroupBox* Frame2;
    QLabel* Label4;
    platform::TextBox* Text2;
    QLabel* Label5;
    QLabel* Label3;
    platform::TextBox* mclk;
    QLabel* Label6;
    QGroupBox* Frame1;
    platform::CheckBox* chop;
    platform::CheckBox* ac;
    platform::CheckBox* fast;
    platform::CheckBox* skip;
    QGroupBox* Frame3;
    platform::TextBox* delay;
    QLabel* Label8;
    QPushButton* Command3D1;
};

} // namespace qb::registers
