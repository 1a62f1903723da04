// The handlers of the mode register window: one per field, the operating modes with their
// calibrations, the channels with the Ain2 rule, the digital outputs and the clock output.
#include <QLabel>
#include <QPointer>

#include "platform/base/Numbers.h"

#include "link/Serial.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/Wait.h"
#include "registers/ChoiceForm.h"
#include "registers/Mode1.h"
#include "registers/ModeRegister.h"

namespace qb::registers {

// ---- plain fields ------------------------------------------------------------------------------

void Mode1::polarity_Click(bool unipolarChosen) {
    setField(modebits::kUnipolar, unipolarChosen ? modebits::kUnipolar : 0);
    WriteModeRegister();
    showRangeCaptions(unipolarChosen);
    settings_.Polarity = unipolarChosen ? 1 : 2;
}

void Mode1::wordLength_Click(bool bits24) {
    setField(modebits::kWord24, bits24 ? modebits::kWord24 : 0);
    settings_.WordLengthBits = bits24 ? 24 : 16;
    WriteModeRegister();
}

void Mode1::reference_Click(bool fiveVolts) {
    setField(modebits::kRef5V, fiveVolts ? modebits::kRef5V : 0);
    settings_.RefVoltage = fiveVolts ? 5.0 : 2.5;
    WriteModeRegister();
}

void Mode1::range_Click(int index) {
    setField(modebits::kRange, index << 4);
    settings_.InputRangeMv = kRangesMv[index];
    WriteModeRegister();
}

void Mode1::Burn_Click() {
    setField(modebits::kBurnOut, Burn->value() ? modebits::kBurnOut : 0);
    WriteModeRegister();
}

// ---- operating modes -----------------------------------------------------------------------

void Mode1::md_Click(int mode) {
    switch (kOperatingModes[mode].kind) {
    case ModeKind::Plain:
        setField(modebits::kOperatingMode, ModeBits(mode));
        WriteModeRegister();  // while controls are being set this only repaints
        break;
    case ModeKind::PowerDown:
        // Written as it stands, without read-back: a powered-down chip is not asked.
        setField(modebits::kOperatingMode, ModeBits(mode));
        reg_.setRegValue(settings_.ModeRegValue);
        reg_.WriteReg();
        break;
    case ModeKind::InternalCalibration:
    case ModeKind::SystemCalibration:
        calibrate(mode);
        return;
    }
    if (settings_.DialogChoice == 0) PaintModeIndicators();
}

// A calibration: the internal ones show "QB4160 Calibrating" while they run; the system ones ask
// for the input voltage first, and nothing is written before OK.
void Mode1::calibrate(int mode) {
    const bool internal = kOperatingModes[mode].kind == ModeKind::InternalCalibration;
    setField(modebits::kOperatingMode, ModeBits(mode));
    if (!internal) ctx_.messages.exclamation(mode == 6 ? kZeroScalePrompt : kFullScalePrompt);
    CalStatus->clear();
    textlabel->setVisible(internal);
    // The window takes no input but what stops the waits; the focus goes back where it was.
    const QPointer<QWidget> focus = focusWidget();
    calibrating_ = true;
    stopAsked_ = false;
    setControlsEnabled(false);
    const link::WaitOutcome outcome = runCalibration(internal);
    setControlsEnabled(true);
    calibrating_ = false;
    textlabel->hide();
    if (focus) focus->setFocus();
    if (programEnding()) return;
    if (outcome == link::WaitOutcome::Ready) {
        returnToIdle();
        reportCalibration(mode);
        return;
    }
    if (outcome == link::WaitOutcome::Stopped) ctx_.messages.exclamation(kCalibrationStoppedMessage);
    showWhatTheChipHolds();
    CalStatus->setText(QString::fromStdString(CalibrationUnfinishedText(mode, settings_.ModeRegValue)));
}

// Writes the register, waits for the calibration's end and adopts the chip's value, then lets the
// converter settle (the internal calibrations a little longer).
link::WaitOutcome Mode1::runCalibration(bool internal) {
    const link::WaitOutcome end = WriteModeRegister();
    if (end != link::WaitOutcome::Ready) return end;
    link::WaitForReady(ctx_);  // the calibration has ended: a stop asked now changes nothing
    if (internal) platform::PauseMs(ctx_.port, kCalibrationPauseMs);
    if (settings_.DialogChoice == 0) PaintModeIndicators();
    return link::WaitOutcome::Ready;
}

// The register the calibration set, read from the chip, in the status line.
void Mode1::reportCalibration(int mode) {
    const bool offset = SetsOffset(mode);
    link::Register calibrated(ctx_);
    calibrated.setReadAddress(offset ? link::comms::kOffsetRead : link::comms::kGainRead);
    calibrated.setWordLength(offset ? link::comms::kOffsetBits : link::comms::kGainBits);
    const int32_t value = platform::ToInt32(calibrated.ReadReg()).value_or(0);
    (offset ? settings_.OffsetRegValue : settings_.GainRegValue) = value;
    CalStatus->setText(QString::fromStdString(CalibrationDoneText(mode, value)));
}

bool Mode1::calibrationStopAsked() {
    if (!doEvents()) stopAsked_ = true;
    return stopAsked_;
}

// The chip has gone back to idle by itself: show it so, without writing.
void Mode1::returnToIdle() {
    settings_.UpdatingControls = 1;
    md[0]->setValue(true);
    settings_.UpdatingControls = 0;
}

// ---- channels --------------------------------------------------------------------------------

void Mode1::ch_Click(int index) {
    if (restoringChannel_) return;
    if (kChannels[index].usesAin2 && den->value()) {
        {
            channelform form(ctx_, this);
            form.showModal();
        }
        if (programEnding()) return;
        if (settings_.TurnOffOutputsChosen != 1) {
            // Cancelled: the register still holds the previous channel; select it again.
            selectChannel(settings_.ModeRegValue & modebits::kChannel);
            return;
        }
        den->setValue(false);  // its handler turns the outputs off and writes the register
        setField(modebits::kChannel, index);
        WriteModeRegister();
        settings_.TurnOffOutputsChosen = 0;
        return;
    }
    setField(modebits::kChannel, index);
    WriteModeRegister();
}

void Mode1::selectChannel(int index) {
    // Going back to Ain1 runs that channel's handler, which writes the register again; going back
    // to an Ain2 channel (one read at opening) must not ask again.
    restoringChannel_ = kChannels[index].usesAin2;
    ch[index]->setValue(true);
    restoringChannel_ = false;
}

// ---- digital outputs -------------------------------------------------------------------------

void Mode1::den_Click() {
    if (den->value())
        enableOutputs();
    else
        disableOutputs();
}

void Mode1::enableOutputs() {
    settings_.DigitalOutputsOn = 1;
    if (ch[1]->value() || ch[3]->value()) {
        ctx_.messages.exclamation(kOutputsWithAin2Message);
        den->setValue(false);  // its handler leaves the outputs off and writes the register
        return;
    }
    den->setText(QString::fromUtf8(kOutputsEnabledCaption));
    showOutputs(true);
    const int32_t levels = settings_.ModeRegValue & (modebits::kOutputD1 | modebits::kOutputD0);
    Label2->setText(QString::fromStdString(OutputLevelText(0, (levels & modebits::kOutputD0) != 0)));
    Label5->setText(QString::fromStdString(OutputLevelText(1, (levels & modebits::kOutputD1) != 0)));
    if (levels == 0) {
        // Both outputs start low: clear the boxes without writing.
        settings_.DialogChoice = 4;
        d1->setValue(false);
        d2->setValue(false);
        settings_.DialogChoice = 0;
    }
    setField(modebits::kOutputsEnabled, modebits::kOutputsEnabled);
    WriteModeRegister();
}

void Mode1::disableOutputs() {
    settings_.DigitalOutputsOn = 0;
    den->setText(QString::fromUtf8(kOutputsDisabledCaption));
    showOutputs(false);
    Label2->clear();
    Label5->clear();
    setField(modebits::kOutputs, 0);
    WriteModeRegister();
}

void Mode1::output_Click(int output) {
    platform::CheckBox* box = output == 0 ? d1 : d2;
    QLabel* label = output == 0 ? Label2 : Label5;
    const int32_t bit = output == 0 ? modebits::kOutputD0 : modebits::kOutputD1;
    setField(bit, box->value() ? bit : 0);
    label->setText(QString::fromStdString(OutputLevelText(output, box->value())));
    if (settings_.DialogChoice == 4)
        PaintModeIndicators();
    else
        WriteModeRegister();
}

// ---- clock output ----------------------------------------------------------------------------

void Mode1::CLKOUT_Click() {
    // The box changed below, by this handler: the run in progress does the work.
    if (clockAnswerRunning_) return;
    {
        warning form(ctx_, this);
        form.showModal();
    }
    if (programEnding()) return;
    const bool disable = settings_.DialogChoice == 2;
    clockAnswerRunning_ = true;
    CLKOUT->setValue(disable);
    clockAnswerRunning_ = false;
    setField(modebits::kClockOutDisabled, disable ? modebits::kClockOutDisabled : 0);
    WriteModeRegister();
    settings_.DialogChoice = 0;
}

} // namespace qb::registers
