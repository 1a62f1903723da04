#pragma once
// fastinfo: what the fast-step demonstration does, in fixed text, with a "Back" button. Shown
// modally over the fast-step window; it has no other behaviour.
#include "platform/widgets/Form.h"

namespace qb::faststep {

inline constexpr const char* kInfoCaption = " QB4160";  // the leading blank belongs to it
inline constexpr const char* kInfoTitle = "Fast Step Demo Information";
inline constexpr const char* kInfoIntro =
    "This program demonstrates the Fast-Step option of the QB4160. The program works as follows:";
// The double blanks belong to the texts.
inline constexpr const char* kInfoSetup =
    "When the Fast-Step Demo button is pressed on the main menu the current values of the registers are "
    "stored as the register contents need to be changed during the demo. The mode register is setup in "
    "unipolar mode on the 0 to 80mV range on channel Ain1(-)/Ain1(-)  with a 5Vreference and it is in "
    "continuous conversion mode. The filter register is setup to provide a 100Hz output update rate.";
inline constexpr const char* kInfoRun =
    "Once the RUN button has been pressed the Filter register is set up with the Fast Step option turned "
    "off. The DAC register is loaded with a value of 2 (5mV) and 40 codes are read. The DAC is then loaded "
    "with 29 (72.5mV) which simulates a step input. Another 40 codes are read in. The filter register is "
    "now programmed so that the Fast Step option is set and  the process of generating the step input is "
    "repeated. The two sets of data are plotted on the graph and the data gathered for each set is listed "
    "for comparison. Once the user decides to exit the demonstration program the previously stored "
    "settings are restored and the program returns to the main menu.";

class fastinfo : public platform::Form {
    Q_OBJECT
public:
    explicit fastinfo(QWidget* parent = nullptr);

    void Command1_Click();
};

} // namespace qb::faststep
