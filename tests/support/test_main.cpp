// Test main: every test executable runs with a QApplication on the offscreen platform, so widget
// tests need no display, and every test is its own run of the program (ProgramRun.h). Qt's test
// mode sends any settings to a test location: the tests never read or write the user's
// remembered choices.
#include <optional>

#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include "support/ProgramRun.h"

namespace {

class ProgramRunPerTest : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { run_.emplace(); }
    void OnTestEnd(const ::testing::TestInfo&) override { run_.reset(); }
    std::optional<qb::test::ProgramRun> run_;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ProgramRunPerTest);
    return RUN_ALL_TESTS();
}
