#pragma once
// SweepForm: the noise sweep in a window. The user picks the input ranges, the output rates
// (none: about ten across what the filter word reaches), the chopping and the codes per setting;
// Run measures every setting (NoiseSweep.h) with a progress bar, filling the table and the chart
// of RMS noise against rate as each row comes; Stop, or closing the window, ends the sweep once
// the mode and filter registers are back. The rows can be saved as CSV and the chart as an image.
//
//     SweepForm f(ctx, parent);
//     f.showModal();
#include <optional>
#include <string>
#include <vector>

#include "analysis/NoiseSweep.h"
#include "link/Context.h"
#include "platform/widgets/Form.h"

#include <QStringList>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace qb::platform {
class LogLogChart;
}

namespace qb::analysis {

class SweepForm : public platform::Form {
    Q_OBJECT
public:
    explicit SweepForm(const link::Context& ctx, QWidget* parent = nullptr);

    void RunCommand_Click();
    void StopCommand_Click();
    void CsvCommand_Click();
    void ImageCommand_Click();
    void Command3D1_Click();

    bool running() const { return running_; }
    const std::vector<SweepRow>& rows() const { return rows_; }
    platform::LogLogChart& chart() { return *SweepChart; }

protected:
    void Form_QueryUnload(bool& cancel) override;
    // The files "Save as CSV..." and "Save Image..." write to; nullopt when the choice is
    // cancelled. Tests answer them without a dialog.
    virtual std::optional<std::string> chooseCsvFile();
    virtual std::optional<std::string> chooseImageFile();

private:
    QGroupBox* makeRangeFrame();
    QGroupBox* makeRateFrame();
    QGroupBox* makeChopFrame();
    void makeResults();
    QLayout* makeButtons();
    void layOut(QLayout* buttons);

    // The plan the controls give, or why not.
    platform::Result<SweepPlan> planFromControls() const;
    void setRunning(bool running);
    void addRow(const SweepRow& row);
    void remember(const std::string& path);
    // A save dialog in the remembered folder, offering `name`.
    std::optional<std::string> chooseFile(const QString& title, const QStringList& filters, const char* name);

    link::Context ctx_;
    std::vector<SweepRow> rows_;
    bool running_ = false;
    bool stopAsked_ = false;
    bool closeAsked_ = false;

    std::vector<QCheckBox*> ranges_;
    QLineEdit* txtRates = nullptr;
    QLineEdit* txtCount = nullptr;
    QButtonGroup* chopGroup_ = nullptr;
    QTableWidget* SweepTable = nullptr;
    platform::LogLogChart* SweepChart = nullptr;
    QProgressBar* SweepProgress = nullptr;
    QLabel* lblStatus = nullptr;
    QPushButton* RunCommand = nullptr;
    QPushButton* StopCommand = nullptr;
    QPushButton* CsvCommand = nullptr;
    QPushButton* ImageCommand = nullptr;
    QPushButton* Command3D1 = nullptr;
};

} // namespace qb::analysis
