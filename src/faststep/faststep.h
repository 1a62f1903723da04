#pragma once
// faststep: the fast-step demonstration. Opening it saves the converter's mode, filter and DAC
// registers; "Run" applies the same input step twice, with the filter's fast-step option off
// and on (FastStepRun.h), then lists both series side by side and plots them as two traces with
// a readout of both at the cursor; "Info." explains the procedure (fastinfo); every close writes
// the three registers back, mode first, then filter, then DAC.
//
// While a run reads, any key ends it (the reading in hand is kept; the second half of the run
// then takes one reading and stops), and a close request is refused once: it ends the reading,
// restores the registers and closes the window as soon as the run has returned. Run and Info.
// do nothing until a run has returned.
#include <cstdint>

#include "faststep/FastStepRun.h"
#include "link/Context.h"
#include "platform/widgets/Form.h"

class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace qb::platform {
class MsTimer;
class StripChart;
} // namespace qb::platform

namespace qb::faststep {

inline constexpr const char* kFastStepCaption = "QB4160 FastStep";
inline constexpr const char* kReadingNotice = "Reading Data - Press any key to abort!";

class faststep : public platform::Form {
    Q_OBJECT
public:
    explicit faststep(const link::Context& ctx, QWidget* parent = nullptr);

    bool reading() const { return state_ == RunState::Reading; }
    platform::StripChart& chart() { return *StripGraph; }

    void run_Click();
    void Command1_Click();
    void Command2_Click();
    // The chart's cursor event: both traces read out at the chart's cursor (the argument is not
    // used). The chart's scale event: the y-axis end texts from the bounds shown.
    void StripGraph_Cursor(double x);
    void StripGraph_Scale();

protected:
    void Form_Load() override;
    void Form_QueryUnload(bool& cancel) override;

    // Shows fastinfo over this window (Command2).
    virtual void openInfo();

private:
    // Where a run stands. A key or a close request while reading ends the wait for the present
    // result at once (StopAsked); the next wait for a result, if the run gets there, is waited
    // out (Stopped), and that reading ends its level loop. A close request ends the run
    // (Closing): the registers are back and nothing more is sent.
    enum class RunState { Idle, Reading, StopAsked, Stopped, Closing };

    // The window, built top-down: a frame each, the buttons, their layout, and the handlers.
    void makeLists();
    void makeChart();
    QGroupBox* makeReadoutFrame();
    void makeNoticeFrame();
    void makeButtons();
    void layOut(QGroupBox* Frame2, QGroupBox* Fracurseur);
    void connectHandlers();

    // The run itself (ReadFastStepOff, ReadFastStepOn) is RunFastStep, which the headless
    // command shares; these are what it asks of the window.
    RunHooks hooks();
    void ShowFastStepResults();
    // Ends the reading from a key press or a close request; a wait for a result ends at once.
    void stopReading();
    void showNotice(const char* text);

    link::Context ctx_;  // its waits for a result end on a key press or a close request
    SavedRegisters saved_;
    RunState state_ = RunState::Idle;

    QGroupBox* Frame1 = nullptr;
    QLabel* Label2 = nullptr;
    QListWidget* List1 = nullptr;
    QListWidget* List2 = nullptr;
    platform::StripChart* StripGraph = nullptr;
    QLabel* lblCursPosition = nullptr;
    QLabel* lblDec0Value = nullptr;
    QLabel* lblHex0Value = nullptr;
    QLabel* lblDec1Value = nullptr;
    QLabel* lblHex1Value = nullptr;
    QPushButton* run = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    platform::MsTimer* Timer1 = nullptr;
};

} // namespace qb::faststep
