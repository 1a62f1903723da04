#pragma once
// Mode1: the converter's 16-bit mode register, bit by bit, with one control per field. Opening
// reads the register and sets every control from it without writing; every change afterwards is
// applied at once: the field changes in the shared ModeRegValue, the data-format settings follow
// it, and the whole register is written and read back for verification.
//
// Beyond the plain fields: the eight operating modes (power-down written directly; the internal
// calibrations show "QB4160 Calibrating" through their wait; the system calibrations ask for the
// input voltage before anything is written; every calibration that finishes ends back in idle,
// and the status line says so with the register it set), the
// rule that an Ain2 channel and the digital outputs exclude each other (channelform), the
// digital-output levels, and the clock-output warning (warning).
//
// Controls changed from code run their handlers as a click would (platform/widgets/Controls.h); while
// UpdatingControls is set the handlers update ModeRegValue, the settings and the display but
// WriteModeRegister writes nothing.
//
// A calibration's waits take no input but a key (Escape too) or a close of the window, either of
// which ends the wait at once: the window then says that the calibration did not finish and
// shows what the converter holds, read back (so do the controls after a wait that timed out).
#include <array>
#include <cstdint>

#include "link/Context.h"
#include "link/Register.h"
#include "link/Serial.h"
#include "platform/widgets/Form.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace qb::platform {
class BitRow;
class CheckBox;
class OptionButton;
} // namespace qb::platform

namespace qb::registers {

inline constexpr const char* kModeCaption = "QB4160 Mode Register";

class Mode1 : public platform::Form {
    Q_OBJECT
public:
    explicit Mode1(const link::Context& ctx, QWidget* parent = nullptr);

protected:
    void Form_Load() override;
    void Form_QueryUnload(bool& cancel) override;

private:
    // The window, built top-down: a frame each, the notice, and their layout.
    void makeModesFrame();
    void makeRangesFrame();
    void makeChannelsFrame();
    void makeOptionPairs();
    void makeCheckFrames();
    void makeOutputsFrame();
    void makeRegisterFrames();
    void makeCalibratingNotice();
    void layOut();

    // The window's routines.
    void PaintModeIndicators();
    // Ready, except for a calibration that did not end (TimedOut, after the read-error message;
    // Stopped): nothing is read back then.
    link::WaitOutcome WriteModeRegister();
    void RefreshModeDisplay();

    // Field handlers.
    void md_Click(int mode);
    void polarity_Click(bool unipolar);
    void wordLength_Click(bool bits24);
    void reference_Click(bool fiveVolts);
    void range_Click(int index);
    void Burn_Click();
    void ch_Click(int index);
    void den_Click();
    void output_Click(int output);  // d1 (output 0) or d2 (output 1)
    void CLKOUT_Click();

    // Pieces of the handlers.
    void setField(int32_t field, int32_t bits);
    void calibrate(int mode);
    link::WaitOutcome runCalibration(bool internal);
    void reportCalibration(int mode);
    void returnToIdle();
    // Reads the register and sets every control from it without writing.
    void showWhatTheChipHolds();
    // Asked by the waits of a calibration: lets the window's events run; true once a key or a
    // close has asked to stop.
    bool calibrationStopAsked();
    void setControlsEnabled(bool enabled);
    bool calibrationSelected() const;
    void selectChannel(int index);
    void showRangeCaptions(bool unipolarRanges);
    void showOutputs(bool shown);
    void enableOutputs();
    void disableOutputs();

    link::Context ctx_;
    link::SharedSettings& settings_;
    link::Register reg_;
    // Set while the selection goes back to an Ain2 channel after a cancelled change: that
    // button's handler then does nothing (the register already holds that channel).
    bool restoringChannel_ = false;
    // Set while the clock-output warning's answer is acted on: the box changed by the handler
    // runs the handler again, which then does nothing.
    bool clockAnswerRunning_ = false;
    bool calibrating_ = false;  // while a calibration's waits run
    bool stopAsked_ = false;    // a key or a close asked to end them

    QGroupBox* Frame2;
    QGroupBox* Frame12;  // modes
    QGroupBox* Frame1;   // ranges
    QGroupBox* Frame8;   // channels
    QGroupBox* Frame7;   // polarity
    QGroupBox* Frame6;   // reference
    QGroupBox* Frame5;   // word length
    QGroupBox* Frame11;  // burn-out current
    QGroupBox* Frame10;  // clock output
    QGroupBox* Frame9;   // digital outputs
    QGroupBox* Frame3;   // the register's bits
    QGroupBox* Frame4;   // the register's value
    std::array<platform::OptionButton*, 8> md;
    std::array<platform::OptionButton*, 4> range;
    std::array<platform::OptionButton*, 4> ch;
    platform::OptionButton* unipolar;
    platform::OptionButton* bipolar;
    platform::OptionButton* v5;
    platform::OptionButton* v2;
    platform::OptionButton* bit24;
    platform::OptionButton* bit16;
    platform::CheckBox* Burn;
    platform::CheckBox* CLKOUT;
    platform::CheckBox* den;
    platform::CheckBox* d1;
    platform::CheckBox* d2;
    QLabel* Label2;  // beside d1: output D0
    QLabel* Label5;  // beside d2: output D1
    QLabel* Label4;  // the register in hexadecimal
    platform::BitRow* shapes;  // Shape1 (bit 15) .. Shape16 (bit 0)
    QWidget* textlabel;
    QLabel* Label6;
    QLabel* CalStatus;  // how the last calibration ended
    QPushButton* Command3D1;
};

} // namespace qb::registers
