#pragma once
// MainMenuForm: the start-up window and the program's hub, a column of buttons each opening one
// working window modally. Its load starts the board link (InitSettings and the command-line clock
// choice) before the window is first shown. Closing it ends the program at once; "Quit" asks
// first.
#include "link/Context.h"
#include "platform/widgets/Form.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace qb::shell {

inline constexpr const char* kMainCaption = "QB4160 Evaluation Software ";  // the blank belongs to it
inline constexpr const char* kQuitQuestion = "Are you sure you want to Quit?";

class MainMenuForm : public platform::Form {
    Q_OBJECT
public:
    explicit MainMenuForm(const link::Context& ctx, QWidget* parent = nullptr);

protected:
    void Form_Load() override;
    void Form_Unload() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The window, built top-down: the buttons, the title, their layout.
    void makeButtons();
    void makeTitleFrame();
    void layOut();

    void About_Click();
    void MenuQuitCommand_Click();
    void MenuNoiseCommand_Click();
    void MenuResetCommand_Click();
    void MenuPortCommand_Click();

    // The working windows of the other subsystems, one opening each.
    void openFastStep();
    void openProgram();
    void openReadData();
    void openNoiseAnalysis();
    void openSweep();
    void openFileRead();
    void openFileWrite();

    link::Context ctx_;

    QGroupBox* Frame1;
    QLabel* MainMenuLable;
    QPushButton* About;
    QPushButton* Command1;
    QPushButton* MenuQuitCommand;
    QPushButton* MenuProgramCommand;
    QPushButton* MenuReadCommand;
    QPushButton* MenuNoiseCommand;
    QPushButton* MenuSweepCommand;
    QPushButton* MenuResetCommand;
    QPushButton* MenuReadFCommand;
    QPushButton* MenuWriteFCommand;
    QPushButton* MenuPortCommand;
    QLabel* lblBoard;  // the status line: which board the program talks to
};

} // namespace qb::shell
