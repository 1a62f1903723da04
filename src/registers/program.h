#pragma once
// program: the hub of the register editors. Opening it reads the converter's status register
// once and shows it bit by bit; one button per programmable register opens that register's
// editor modally over it; "Save Set-up..." and "Load Set-up..." save the five registers to a
// set-up file and program them from one; "Back..." closes it. The status row keeps what was read
// at opening, also after an editor or a set-up has changed the converter.
#include <array>
#include <optional>
#include <string>

#include "link/Context.h"
#include "link/Register.h"
#include "platform/widgets/Form.h"

class QGroupBox;
class QHBoxLayout;
class QVBoxLayout;
class QLabel;
class QPushButton;

namespace qb::registers {

inline constexpr const char* kProgramCaption = "QB4160 Main Program Menu";

class program : public platform::Form {
    Q_OBJECT
public:
    explicit program(const link::Context& ctx, QWidget* parent = nullptr);

    void SaveSetUpCommand_Click();
    void LoadSetUpCommand_Click();

    // Shown when a set-up read back other than written: what was not loaded.
    static std::string NotLoadedText(const std::string& mismatch);

protected:
    void Form_Load() override;

    // The set-up file the user chooses in the standard dialog, to save to or to load from;
    // nullopt when the choice is cancelled.
    virtual std::optional<std::string> chooseSetUpFile(bool save);

private:
    // The window, built top-down: the title, the status bits, the buttons, their layout.
    QHBoxLayout* makeStatusRow();
    QVBoxLayout* makeButtons();
    void layOut(QHBoxLayout* statusRow, QVBoxLayout* buttons);

    // One opening per register editor.
    void mode_reg_Click();
    void Filter_Reg_Click();
    void DAC_Reg_Click();
    void Offset_Reg_Click();
    void Gain_Reg_Click();

    link::Context ctx_;
    link::Register reg_;

    QGroupBox* Frame2;
    QLabel* Label2;
    std::array<QGroupBox*, 8> Frame1;   // Frame1(0), Frame1(2) .. Frame1(8): bits 7 .. 0
    std::array<QLabel*, 8> statusBits;  // Label3 .. Label10: bits 7 .. 0
    QPushButton* mode_reg;
    QPushButton* Filter_Reg;
    QPushButton* DAC_Reg;
    QPushButton* Offset_Reg;
    QPushButton* Gain_Reg;
    QPushButton* SaveSetUpCommand;
    QPushButton* LoadSetUpCommand;
    QPushButton* Command3D1;
};

} // namespace qb::registers
