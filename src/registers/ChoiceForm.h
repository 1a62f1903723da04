#pragma once
// The small modal choice windows of the register windows: a warning icon, one sentence and two
// buttons, each of which records its answer in the shared settings and closes the window.
// channelform asks whether to turn the digital outputs off for an Ain2 channel; warning asks
// whether to disable the clock output; chop_skip which of CHOP and SKIP stays.
#include <cstdint>
#include <functional>

#include "link/Context.h"
#include "platform/widgets/Form.h"

class QLabel;
class QPushButton;

namespace qb::registers {

inline constexpr const char* kChannelFormCaption = "QB4160";
inline constexpr const char* kChannelFormText =
    "The Ain2 Channel cannot be selected while the digital outputs are enabled.";
inline constexpr const char* kWarningCaption = "QB4160 Read Error!";
inline constexpr const char* kWarningText =
    "The CLKOUT should not be disabled if a crystal is used as the clock source.";

class ChoiceForm : public platform::Form {
    Q_OBJECT
public:
    struct Choice {
        const char* name;
        const char* caption;
        std::function<void()> answer;  // records the answer; the window then closes
    };

protected:
    ChoiceForm(const char* caption, const char* text, Choice first, Choice second, QWidget* parent);

    QLabel* Picture1;
    QLabel* Label1;
    QPushButton* first_;
    QPushButton* second_;
};

// Answers TurnOffOutputsChosen: 1 "Turn Off Digital O/Ps", 0 "Cancel" (also when the window is
// closed without a choice).
class channelform : public ChoiceForm {
    Q_OBJECT
public:
    explicit channelform(const link::Context& ctx, QWidget* parent = nullptr);

protected:
    void Form_Load() override;

private:
    link::SharedSettings& settings_;
};

// Answers DialogChoice: 1 "Don't Disable" (also when the window is closed without a choice),
// 2 "Disable".
class warning : public ChoiceForm {
    Q_OBJECT
public:
    explicit warning(const link::Context& ctx, QWidget* parent = nullptr);

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    link::SharedSettings& settings_;
    bool answered_ = false;
};

inline constexpr const char* kChopSkipCaption = "QB4160";
inline constexpr const char* kChopSkipText =
    "This program does not allow the CHOP and SKIP bits to be set at the same time.";
inline constexpr int16_t kChopOnSkipOff = 4;
inline constexpr int16_t kChopOffSkipOn = 5;

// Answers DialogChoice: kChopOnSkipOff "Chop On  Skip Off", kChopOffSkipOn "Chop Off  Skip On".
// Closed without a choice it leaves DialogChoice as it was.
class chop_skip : public ChoiceForm {
    Q_OBJECT
public:
    explicit chop_skip(const link::Context& ctx, QWidget* parent = nullptr);
};

} // namespace qb::registers
