// The About window, the port choice and the reset window: their texts, what they set, and the
// exact bytes the resets put on the port.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <string>
#include <vector>

#include "link/PortForm.h"
#include "link/ResetForm.h"
#include "platform/Controls.h"
#include "shell/AboutForm.h"
#include "shell/ShellTestSupport.h"

namespace qb::shelltest {
namespace {

using platform::OptionButton;

std::string Text(QWidget& w, const char* name) {
    if (auto* l = w.findChild<QLabel*>(name)) return l->text().toStdString();
    if (auto* b = w.findChild<QAbstractButton*>(name)) return b->text().toStdString();
    ADD_FAILURE() << "no control " << name;
    return {};
}

// Opens `form` modally and runs `whileOpen` once it is up; returns whether the form was still
// open after it (and closes it then).
bool OpenAndAct(platform::Form& form, std::function<void(platform::Form&)> whileOpen) {
    bool stillOpen = false;
    WhenModal([&](QWidget*) {
        whileOpen(form);
        stillOpen = form.isVisible();
        if (stillOpen) form.close();
    });
    form.showModal();
    return stillOpen;
}

// --- About ------------------------------------------------------------------------------------

TEST(About, ShowsTitleVersionAndPublisherAndOkClosesIt) {
    shell::AboutForm form;
    const bool stillOpen = OpenAndAct(form, [](platform::Form& f) {
        EXPECT_EQ(f.caption(), "About");
        EXPECT_EQ(Text(f, "lblVersion"), "Version 2.0.5");
        EXPECT_EQ(Text(f, "lblTitle"), "QB4160/60L Evaluation Software");
        EXPECT_EQ(Text(f, "Label2"), "This Software is distributed free with the ");
        EXPECT_EQ(Text(f, "Label3"), "QB4160/60L Evaluation Board");
        for (const char* name : {"lblDate", "Label1", "Label4"}) EXPECT_NE(Text(f, name), "") << name;
        auto* picture = f.findChild<QLabel*>("Picture1");
        ASSERT_NE(picture, nullptr);
        EXPECT_FALSE(picture->pixmap().isNull());
        // The free-with line reads on: Label3 follows Label2 on the same line.
        auto* l2 = f.findChild<QLabel*>("Label2");
        auto* l3 = f.findChild<QLabel*>("Label3");
        EXPECT_EQ(l2->geometry().top(), l3->geometry().top());
        EXPECT_GE(l3->geometry().left(), l2->geometry().right());
        EXPECT_EQ(Text(f, "Command1"), "OK");
        QTest::mouseClick(f.findChild<QPushButton*>("Command1"), Qt::LeftButton);
    });
    EXPECT_FALSE(stillOpen);
}

// --- PortForm ---------------------------------------------------------------------------------

struct PortCase {
    const char* name;
    int16_t address;
    const char* selected;  // option selected at load, or nullptr for none
};

class PortFormLoad : public ::testing::TestWithParam<PortCase> {};

TEST_P(PortFormLoad, SelectsTheOptionOfTheAddressInUse) {
    const PortCase& c = GetParam();
    Rig rig;
    rig.settings.PortAddress = c.address;
    link::PortForm form(rig.ctx);
    OpenAndAct(form, [&](platform::Form& f) {
        EXPECT_EQ(f.caption(), "Parallel Port Selection");
        for (const char* name : {"LPT1", "LPT2", "PRN"}) {
            auto* option = f.findChild<OptionButton*>(name);
            ASSERT_NE(option, nullptr);
            EXPECT_EQ(option->value(), c.selected && std::string(c.selected) == name) << name;
        }
        QTest::mouseClick(f.findChild<QPushButton*>("Command1"), Qt::LeftButton);
    });
    EXPECT_EQ(rig.settings.PortAddress, c.address);  // looking is not choosing
    EXPECT_TRUE(rig.port.log.empty());
    EXPECT_TRUE(rig.messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, PortFormLoad,
                         ::testing::Values(PortCase{"Lpt1", 888, "LPT1"}, PortCase{"Lpt2", 632, "LPT2"},
                                           PortCase{"Prn", 956, "PRN"},
                                           PortCase{"ReportedElsewhere", 0x3E8, nullptr},
                                           PortCase{"HighAddress", static_cast<int16_t>(0xD010), nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PortFormChoice, CaptionsAndLabel) {
    Rig rig;
    link::PortForm form(rig.ctx);
    OpenAndAct(form, [](platform::Form& f) {
        EXPECT_EQ(Text(f, "LPT1"), "LPT1 (H378/37A)");
        EXPECT_EQ(Text(f, "LPT2"), "LPT2 (H278/27A)");
        EXPECT_EQ(Text(f, "PRN"), "PRN (H3BC/3BE)");
        EXPECT_EQ(Text(f, "Command1"), "OK");
        EXPECT_EQ(Text(f, "Label1"), "Please select the parallel Port you are using");
        EXPECT_NE(f.findChild<QWidget*>("Frame1"), nullptr);
    });
}

TEST(PortFormChoice, EachClickSetsTheAddressAtOnce) {
    Rig rig;
    rig.settings.PortAddress = 888;
    link::PortForm form(rig.ctx);
    std::vector<int> seen;
    const bool stillOpen = OpenAndAct(form, [&](platform::Form& f) {
        for (const char* name : {"LPT2", "PRN", "LPT1", "LPT2"}) {
            QTest::mouseClick(f.findChild<OptionButton*>(name), Qt::LeftButton);
            seen.push_back(rig.settings.PortAddress);
        }
        QTest::mouseClick(f.findChild<QPushButton*>("Command1"), Qt::LeftButton);
    });
    EXPECT_EQ(seen, (std::vector<int>{632, 956, 888, 632}));
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(rig.settings.PortAddress, 632);
    // Start-up prepared the port already: a new choice is not prepared again.
    EXPECT_TRUE(rig.port.log.empty());
}

struct NoPortCase {
    const char* name;
    const char* choice;  // nullptr: OK without choosing
    std::vector<test::PortAccess> traffic;
};

class PortFormAfterNoPort : public ::testing::TestWithParam<NoPortCase> {};

// Start-up found no port and left the board alone; the first port chosen gets the control
// register set-up that start-up could not make, and from then on the board is reached.
TEST_P(PortFormAfterNoPort, PreparesTheChosenPortOnce) {
    const NoPortCase& c = GetParam();
    test::RecordingPort port;
    port.fixed[0x37A] = 0xFF;
    port.fixed[0x27A] = 0x2B;
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    settings.NoPortMessageShown = true;  // start-up said so already
    link::Context ctx{port, messages, settings, ""};
    link::PortForm form(ctx);
    OpenAndAct(form, [&](platform::Form& f) {
        for (const char* name : {"LPT1", "LPT2", "PRN"}) EXPECT_FALSE(f.findChild<OptionButton*>(name)->value());
        if (c.choice) {
            QTest::mouseClick(f.findChild<OptionButton*>("PRN"), Qt::LeftButton);  // a change of mind
            QTest::mouseClick(f.findChild<OptionButton*>(c.choice), Qt::LeftButton);
        }
        EXPECT_TRUE(port.log.empty());  // nothing until the choice is final
        QTest::mouseClick(f.findChild<QPushButton*>("Command1"), Qt::LeftButton);
    });
    EXPECT_EQ(port.log, c.traffic);
    EXPECT_TRUE(messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, PortFormAfterNoPort,
    ::testing::Values(NoPortCase{"Lpt1", "LPT1", {{false, 0x37A, 0xFF}, {true, 0x37A, 0xD4}}},
                      NoPortCase{"Lpt2", "LPT2", {{false, 0x27A, 0x2B}, {true, 0x27A, 0x00}}},
                      NoPortCase{"NoChoice", nullptr, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- ResetForm --------------------------------------------------------------------------------

std::vector<int> SoftwareResetBytes() {
    std::vector<int> out;
    for (int i = 0; i < 32; ++i) out.insert(out.end(), {19, 27});
    out.push_back(26);
    return out;
}

struct ResetCase {
    const char* button;
    std::vector<int> bytes;  // written to the data register
};

class ResetFormButtons : public ::testing::TestWithParam<ResetCase> {};

TEST_P(ResetFormButtons, WritesItsResetAndCloses) {
    const ResetCase& c = GetParam();
    for (const int16_t base : {888, 632}) {
        SCOPED_TRACE(base);
        test::RecordingPort port;
        test::ScriptedMessages messages;
        link::SharedSettings settings;
        settings.PortAddress = base;
        settings.ModeRegValue = 0x21B0;
        link::Context ctx{port, messages, settings, ""};
        link::ResetForm form(ctx);
        const bool stillOpen = OpenAndAct(form, [&](platform::Form& f) {
            QTest::mouseClick(f.findChild<QPushButton*>(c.button), Qt::LeftButton);
        });
        EXPECT_FALSE(stillOpen);
        EXPECT_EQ(port.writesTo(static_cast<uint16_t>(base)), c.bytes);
        EXPECT_EQ(port.log.size(), c.bytes.size());  // nothing read, nothing elsewhere
        EXPECT_EQ(settings.ModeRegValue, 0x21B0);     // the cache is left as it was
        EXPECT_TRUE(messages.shown.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ResetFormButtons,
                         ::testing::Values(ResetCase{"Command1", SoftwareResetBytes()},
                                           ResetCase{"Command2", {24, 26}},
                                           ResetCase{"ResetOKCommand", {}}),
                         [](const auto& info) { return std::string(info.param.button); });

TEST(ResetFormTexts, CaptionButtonsAndQuestion) {
    Rig rig;
    link::ResetForm form(rig.ctx);
    OpenAndAct(form, [](platform::Form& f) {
        EXPECT_EQ(f.caption(), "QB4160");
        EXPECT_EQ(Text(f, "ResetOKCommand"), "Cancel");
        EXPECT_EQ(Text(f, "Command2"), "Hardware Reset");
        EXPECT_EQ(Text(f, "Command1"), "Software Reset");
        EXPECT_EQ(Text(f, "Label1"), "Reset the QB4160 interface or the device?");
        auto* picture = f.findChild<QLabel*>("Picture1");
        ASSERT_NE(picture, nullptr);
        EXPECT_FALSE(picture->pixmap().isNull());
    });
    EXPECT_TRUE(rig.port.log.empty());
}

} // namespace
} // namespace qb::shelltest
