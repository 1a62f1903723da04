#pragma once
// AllanForm: the overlapping Allan deviation of the code buffer in volts against averaging time,
// both axes logarithmic, at the sample rate of the filter register and master clock. A readout
// gives the averaging time and deviation at the chart cursor, which opens on the lowest point
// (the averaging time at which the reading is most stable); a line says what it was made of.
// The chart's menu saves it as PNG or PDF, as the other charts do.
//
// It reads Codes, CodesRead, the data format, FilterRegValue and MasterClockHz, and changes no
// shared setting.
#include <string>
#include <vector>

#include "analysis/AllanDeviation.h"
#include "analysis/ReadoutChartForm.h"
#include "link/Context.h"
#include "link/SharedSettings.h"

namespace qb::analysis {

class AllanForm : public ReadoutChartForm {
    Q_OBJECT
public:
    explicit AllanForm(const link::Context& ctx, QWidget* parent = nullptr);

    // Computes and draws the deviation, puts the cursor on its lowest point and fills the
    // readout. False, with the reason in the summary line, when there is none.
    bool PlotAllan();

    // The chart's cursor event: averaging time and deviation at the cursor.
    void StripAllan_Cursor();

protected:
    void Form_Load() override;

private:
    const link::SharedSettings& settings_;
    std::vector<AllanPoint> points_;
};

} // namespace qb::analysis
