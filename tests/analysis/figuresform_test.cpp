// The evaluator's figures window, opened by "More...": every figure's text beside its caption,
// the whole set copied as the headless analysis prints it.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>

#include "analysis/EvaluatorRig.h"
#include "analysis/FiguresForm.h"
#include "analysis/ResolutionFigures.h"

namespace qb::evaltest {
namespace {

TEST(FiguresForm, ShowsEveryFigureAndCopiesThemAsText) {
    Rig rig({8388608, 8388610, 8388605});
    CountingNoiseForm noise(rig.ctx);
    noise.click({"MoreCommand"});
    EXPECT_EQ(noise.figures, 1);

    analysis::FiguresForm form(rig.ctx);
    const analysis::ResolutionFigures figures = analysis::ComputeResolutionFigures(rig.settings);
    const std::vector<analysis::FigureRow> rows = analysis::FigureRows(figures);
    const auto entries = figures.Entries();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string key(entries[i].key);
        auto* value = form.findChild<QLabel*>(QString::fromStdString(key));
        auto* caption = form.findChild<QLabel*>(QString::fromStdString(key + "_caption"));
        ASSERT_TRUE(value && caption) << key;
        EXPECT_EQ(value->text().toStdString(), rows[i].text);
        EXPECT_EQ(caption->text().toStdString(), rows[i].caption);
        EXPECT_EQ(value->accessibleName().toStdString(), rows[i].caption);
    }
    EXPECT_EQ(form.findChild<QLabel*>("rms_noise_lsb")->text(), "2.52 LSB");
    EXPECT_EQ(form.findChild<QLabel*>("sample_rate_hz")->text(), "2048.00 Hz");
    QGuiApplication::clipboard()->clear();
    form.CopyCommand_Click();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), analysis::FiguresText(figures));
}

} // namespace
} // namespace qb::evaltest
