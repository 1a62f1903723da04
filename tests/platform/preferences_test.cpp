// Remembered choices in the toolkit: a resizable window opens at the size it was closed at,
// within the layout's minimum and the screen; without preferences nothing is stored.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/widgets/Form.h"
#include "support/MemoryPreferences.h"

namespace qb::platform {
namespace {

struct Chart : Form {
    explicit Chart(Preferences* preferences, bool resizable = true) {
        auto* label = new QLabel("chart");
        label->setMinimumSize(300, 200);
        (new QVBoxLayout(this))->addWidget(label);
        setResizable(resizable);
        rememberSize(preferences, "Chart");
    }
    // Opens, notes the size it opened at, resizes to `to` (if given), closes.
    QSize open(QSize to = {}) {
        QSize opened;
        QTimer::singleShot(0, this, [&] {
            opened = size();
            if (to.isValid()) resize(to);
            unload();
        });
        showModal();
        return opened;
    }
};

// Never below what the layout needs; text that is no size is ignored; a window of fixed size,
// and a run without preferences, remember nothing.
TEST(RememberSize, AResizableWindowOpensAtTheSizeItWasClosedAt) {
    test::MemoryPreferences preferences;
    EXPECT_NE(Chart(&preferences).open(QSize(640, 480)), QSize(640, 480));
    EXPECT_EQ(preferences.values.at("windows/Chart/size"), "640x480");
    EXPECT_EQ(Chart(&preferences).open(), QSize(640, 480));
    preferences.values["windows/Chart/size"] = "10x10";
    const QSize small = Chart(&preferences).open();
    EXPECT_TRUE(small.width() >= 300 && small.height() >= 200);
    for (const char* junk : {"", "640x", "x480"}) {
        preferences.values["windows/Chart/size"] = junk;
        EXPECT_EQ(Chart(&preferences).open(), Chart(nullptr).open()) << junk;
    }
    test::MemoryPreferences untouched;
    Chart(&untouched, false).open(QSize(640, 480));
    Chart(nullptr).open(QSize(640, 480));
    EXPECT_TRUE(untouched.values.empty());
}

} // namespace
} // namespace qb::platform
