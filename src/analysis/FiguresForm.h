#pragma once
// FiguresForm: the evaluator's figures of the code buffer (ResolutionFigures), in decimal with
// their units, one row each, opened by "More..." in the noise analysis window. The values can be
// selected, and "Copy" puts all of them on the clipboard as text (the headless analysis prints
// the same text).
#include <string>

#include "link/Context.h"
#include "platform/widgets/Form.h"

class QPushButton;

namespace qb::analysis {

class FiguresForm : public platform::Form {
    Q_OBJECT
public:
    explicit FiguresForm(const link::Context& ctx, QWidget* parent = nullptr);

    // The figures as text, as "Copy" puts them on the clipboard.
    const std::string& text() const { return text_; }

    void CopyCommand_Click();
    void Command3D1_Click();

private:
    std::string text_;
    QPushButton* CopyCommand = nullptr;
    QPushButton* Command3D1 = nullptr;
};

} // namespace qb::analysis
