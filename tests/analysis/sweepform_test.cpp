// The noise sweep window: a run fills the table and the chart; Stop and closing the window end
// the sweep with the registers back; the rows save as CSV.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "analysis/SweepForm.h"
#include "platform/chart/LogLogChart.h"
#include "support/BoardRig.h"

namespace qb::analysis {
namespace {

class Window : public SweepForm {
public:
    using SweepForm::SweepForm;
    std::string csv;

protected:
    std::optional<std::string> chooseCsvFile() override { return csv; }
};

TEST(SweepForm, RunsStopsAndClosesWithTheRegistersBack) {
    QTemporaryDir dir;
    const struct {
        const char* name;
        void (*during)(SweepForm&);  // what the user does while the sweep runs, if anything
        int rows;
        bool closes;  // the window closes once the sweep has ended
    } cases[] = {{"run", nullptr, 2, false},
                 {"stop", [](SweepForm& f) { f.findChild<QPushButton*>("StopCommand")->click(); }, 0, false},
                 {"close", [](SweepForm& f) { f.close(); }, 0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::BoardRig rig(0x21B2);
        Window f(rig.ctx);
        f.csv = dir.filePath("sweep.csv").toStdString();
        for (const char* range : {"range20", "range40"}) f.findChild<QCheckBox*>(range)->setChecked(false);
        f.findChild<QLineEdit*>("txtRates")->setText("1000");
        f.findChild<QLineEdit*>("txtCount")->setText("5");
        QTimer::singleShot(0, &f, [&] {
            if (c.during) QTimer::singleShot(0, &f, [&] { c.during(f); });
            f.RunCommand_Click();
            EXPECT_EQ(f.isVisible(), !c.closes);
            if (!c.during) f.CsvCommand_Click();
            if (f.loaded()) f.unload();
        });
        f.showModal();
        EXPECT_FALSE(f.running());
        EXPECT_EQ(f.findChild<QTableWidget*>("SweepTable")->rowCount(), c.rows);
        EXPECT_EQ(f.chart().seriesCount(), c.rows);
        const std::vector<std::string> traffic = rig.traffic();
        ASSERT_GE(traffic.size(), 4u);
        EXPECT_EQ(std::vector<std::string>(traffic.end() - 4, traffic.end()),
                  (std::vector<std::string>{"W mode 21B2", "R mode 21B2", "R mode 21B2", "R filter 800010"}));
    }
    QFile csv(dir.filePath("sweep.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll().count('\n'), 3);
}

} // namespace
} // namespace qb::analysis
