#pragma once
// ReadDataForm: reads conversion results while the converter converts continuously.
//  - "Read Data for Display": an endless stream of codes shown one at a time in hexadecimal,
//    with an optional pause between reads, until a key is pressed or "Stop" clicked; the live
//    view below charts the last readings in volts with their mean, RMS noise and peak-to-peak.
//  - "Read Data for Analysis": 5 to 5000 codes into the shared code buffer, with the progress
//    shown beside the status line; a key press stops it and keeps the codes read so far.
// Every way out of a read ends continuous reading (byte 48, then the data-port byte 27).
#include <cstdint>
#include <initializer_list>

#include "link/Context.h"
#include "link/Register.h"
#include "platform/widgets/EventTurns.h"
#include "platform/widgets/Form.h"

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace qb::analysis {
class LiveView;
}

namespace qb::platform {
class MsTimer;
class TextBox;
} // namespace qb::platform

namespace qb::analysis {

inline constexpr const char* kStopReadingPrompt = "Press any key to stop Reading!";
// The progress of an analysis read is painted at most this often, in milliseconds.
inline constexpr int kProgressPaintMs = 33;
// Longest pause between display reads, in milliseconds.
inline constexpr int16_t kMaxPauseMs = 32767;

class ReadDataForm : public platform::Form {
    Q_OBJECT
public:
    explicit ReadDataForm(const link::Context& ctx, QWidget* parent = nullptr);

    // True while a read loop runs.
    bool reading() const { return Reading; }

    // The button handlers, as a click runs them.
    void readbutton_Click();
    void Command3D1_Click();
    void Command3D2_Click();
    void ReadMenuCommand_Click();
    // "Stop": ends a running read as a key press does.
    void StopCommand_Click();

protected:
    void Form_Load() override;
    void Form_QueryUnload(bool& cancel) override;

    // Opens the noise analysis over this window (Command3D2 with codes in the buffer).
    virtual void openNoiseAnalysis();

private:
    // The window, built top-down: a frame each, the status line, the buttons, their layout, and
    // the handlers.
    struct CaptionedBox {
        const char* captionName;
        const char* caption;
        platform::TextBox* box;
    };
    QGroupBox* makeDisplayFrame();
    QGroupBox* makeAnalysisFrame();
    QGroupBox* captionedRows(const char* name, std::initializer_list<CaptionedBox> rows);
    void makeStatusLine();
    void makeButtons();
    void layOut(QGroupBox* Frame1, QGroupBox* Frame3, QGroupBox* Frame2);
    void connectHandlers();

    void ReadForAnalysis(int16_t codesToRead);
    void beginReading();
    // Back from a read started by the button `started`, which takes the focus again.
    void endReading(QPushButton* started);
    // The pause typed in Text1, taken as the nearest bound when outside 0..kMaxPauseMs.
    int16_t PauseMs() const;
    // Lets pending events run; false once the program is ending.
    bool letEventsRun();
    void showStatus(const char* text);

    link::Context ctx_;
    platform::EventTurns turns_;
    link::ReadData data_;  // its waits stop once Reading is cleared
    bool Reading = false;

    platform::TextBox* currentcode = nullptr;
    platform::TextBox* Text1 = nullptr;
    platform::TextBox* ReadNoValueText = nullptr;
    platform::TextBox* StopReadingText = nullptr;
    QProgressBar* ReadProgress = nullptr;
    QPushButton* Command3D1 = nullptr;
    QPushButton* readbutton = nullptr;
    QPushButton* Command3D2 = nullptr;
    QPushButton* ReadMenuCommand = nullptr;
    QPushButton* StopCommand = nullptr;
    LiveView* live_ = nullptr;
    platform::MsTimer* Timer1 = nullptr;
};

} // namespace qb::analysis
