// The data reading window through its real controls, on the simulated board (virtual time):
// analysis and display reads with their exact traffic, stopping, the count and pause boxes, the
// continuous-mode check, the no-data path, and the buttons that do nothing while a read runs.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "analysis/AnalysisRead.h"
#include "analysis/ReadDataForm.h"
#include "analysis/ReadRig.h"
#include "platform/widgets/Controls.h"
#include "platform/base/Numbers.h"
#include "support/MemoryPreferences.h"

namespace {

using namespace qb;
using namespace qb::readtest;
using analysis::ReadDataForm;
using Texts = std::vector<std::string>;

// Runs `body` once the window is open (inside its modal display), then closes it if still open.
void WhileOpen(ReadDataForm& form, const std::function<void()>& body) {
    QTimer::singleShot(0, &form, [&] {
        body();
        if (form.isVisible()) form.unload();
    });
    form.showModal();
}

template <class T = QWidget>
T* Control(QWidget& form, const char* name) {
    T* c = form.findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// A key typed while the window is busy: posted, so it arrives when the read lets events run.
void PostKey(QWidget& form, int qtKey, const QString& text) {
    QCoreApplication::postEvent(Control(form, "currentcode"), new QKeyEvent(QEvent::KeyPress, qtKey, Qt::NoModifier, text));
}

struct ReadDataWindow : ::testing::Test {
    ReadDataWindow() { rig.fastFilter(); }
    Rig rig;
};

// Stopping after 37 codes by a key (Escape stops without closing), the close box or the end of
// the program keeps exactly the codes read and ends continuous reading. Meanwhile the progress
// shows the codes read of the 500 asked for, and the buttons do nothing: no second read starts.
// The mode register, read first, gives the word length: 16 bits or 24, whatever was set before.
TEST_F(ReadDataWindow, AnalysisReadTrafficUntilAStopKeepsExactlyTheCodesRead) {
    const struct { const char* what; std::function<void(ReadDataForm&)> stop; bool staysOpen; int bits; } cases[] = {
        {"a letter", [](ReadDataForm& f) { PostKey(f, Qt::Key_X, "x"); }, true, 24},
        {"an arrow key", [](ReadDataForm& f) { PostKey(f, Qt::Key_Left, {}); }, true, 16},
        {"Escape", [](ReadDataForm& f) { PostKey(f, Qt::Key_Escape, QString(QChar(27))); }, true, 24},
        {"the close box", [](ReadDataForm& f) { f.close(); }, false, 24},
        {"ending the program", [](ReadDataForm&) { platform::Form::endProgram(0); }, true, 24}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::ProgramRun run;  // one case ends the program
        rig.writeMode(c.bits == 16 ? 0x20B0 : 0x21B0);
        rig.settings.WordLengthBits = static_cast<int16_t>(40 - c.bits);  // stale
        ReadDataForm form(rig.ctx);
        auto* bar = Control<QProgressBar>(form, "ReadProgress");
        std::string progress;
        QObject::connect(bar, &QProgressBar::valueChanged, &form, [&](int n) {
            if (n == 3)
                for (const char* name : {"ReadMenuCommand", "readbutton", "Command3D1", "Command3D2"})
                    Control<QPushButton>(form, name)->click();
            if (n != 37) return;
            progress = (bar->isVisible() ? bar->text().toStdString() : "hidden") + " / " +
                       Control<QLineEdit>(form, "StopReadingText")->text().toStdString();
            c.stop(form);
        });
        bool openAfterRead = false;
        WhileOpen(form, [&] {
            Control<QPushButton>(form, "Command3D1")->click();
            openAfterRead = form.isVisible();
            EXPECT_FALSE(form.reading());
            EXPECT_FALSE(bar->isVisible());
            EXPECT_EQ(Control<QLineEdit>(form, "StopReadingText")->text(), "");
        });
        EXPECT_EQ(platform::Form::programEnding(), std::string(c.what) == "ending the program");
        EXPECT_EQ(openAfterRead, c.staysOpen);
        EXPECT_EQ(progress, std::string("37 of 500 codes / ") + analysis::kStopReadingPrompt);
        EXPECT_TRUE(rig.messages.shown.empty());
        ASSERT_EQ(rig.settings.Codes.size(), 38u);
        EXPECT_EQ(rig.settings.CodesRead, 37);
        Traffic t(rig.port.log);  // one read: the buttons pressed during it did nothing
        EXPECT_EQ(t.readMode(), c.bits == 16 ? 0x20B0 : 0x21B0);
        t.send(33, 8);
        for (int i = 1; i <= 37; ++i) EXPECT_EQ(t.read(c.bits, true), rig.settings.Codes[i]) << "code " << i;
        EXPECT_NEAR(rig.settings.Codes[37], c.bits == 16 ? 0x9000 : 0x900000, c.bits == 16 ? 4 : 0x400);
        t.stop();
    }
}

// A count the box refuses is said before anything is sent, and the earlier buffer stays. The
// count is taken with two decimals, then rounded half to even. Return in the box starts the read.
TEST_F(ReadDataWindow, CountBoxDecidesWhetherAndHowManyCodesAreRead) {
    using link::kCountNotIntegerMessage, link::kCountRangeMessage;
    const struct { const char *typed, *message, *boxAfter; int codesRead; } cases[] = {
        {"4", kCountRangeMessage, "4", 2},        {"5001", kCountRangeMessage, "5001", 2},
        {"4.5", kCountRangeMessage, "4.5", 2},    {"abc", kCountNotIntegerMessage, "", 2},
        {"99999", kCountNotIntegerMessage, "", 2}, {"5", nullptr, "5", 5},
        {"5000", nullptr, "5000", 5000},           {"12.5", nullptr, "12.5", 12},
        {"13.5", nullptr, "13.5", 14},             {"13.499", nullptr, "13.499", 14}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        rig.port.clear();
        rig.messages.clear();
        rig.settings.Codes = {0, 7, 7};
        rig.settings.CodesRead = 2;
        ReadDataForm form(rig.ctx);
        WhileOpen(form, [&] {
            auto* box = Control<QLineEdit>(form, "ReadNoValueText");
            box->setText(c.typed);
            QTest::keyClick(box, Qt::Key_Return);
            EXPECT_EQ(box->text().toStdString(), c.boxAfter);
        });
        EXPECT_EQ(rig.settings.CodesRead, c.codesRead);
        EXPECT_EQ(rig.settings.Codes.size(), std::size_t(c.codesRead) + 1);
        EXPECT_EQ(HoldsSend(rig.port.writesTo(kBase), 33), c.message == nullptr);
        EXPECT_EQ(rig.messages.texts(), c.message ? Texts{c.message} : Texts{});
        for (const auto& m : rig.messages.shown) EXPECT_TRUE(m.icon == platform::MsgIcon::Exclamation && m.title.empty());
    }
}

// Without continuous conversion (bit 13 clear: sync 000 or single conversion 010) each button
// only reads the mode register and says so: no start byte, and the buffer stays.
TEST_F(ReadDataWindow, WithoutContinuousConversionNeitherButtonSendsAStartByte) {
    for (const int32_t mode : {0x01B0, 0x41B0}) {
        rig.writeMode(mode);
        rig.messages.clear();
        rig.settings.Codes = {0, 7};
        rig.settings.CodesRead = 1;
        ReadDataForm form(rig.ctx);
        WhileOpen(form, [&] {
            Control<QPushButton>(form, "readbutton")->click();
            Control<QPushButton>(form, "Command3D1")->click();
        });
        EXPECT_EQ(rig.messages.texts(), Texts(2, analysis::kNotContinuousMessage)) << mode;
        Traffic t(rig.port.log);
        for (int i = 0; i < 2; ++i) EXPECT_EQ(t.readMode(), mode);
        EXPECT_EQ(rig.settings.CodesRead, 1);
    }
}

// With no ready signal each read gives up after its polls, says so and ends continuous reading;
// the analysis read empties the buffer. A key or the close box during the wait ends it after one
// round of polls instead, as a normal stop: no message, and continuous reading ends the same way.
TEST(ReadDataNoData, BothReadsGiveUpOrStopOnAKeyOrCloseAndEndContinuousReading) {
    board::SimOptions options;
    options.fault = board::Fault::NoReady;
    const struct { const char* what; std::function<void(ReadDataForm&)> stop; int64_t polls; } cases[] = {
        {"nothing", {}, link::kDataReadyPolls},
        {"a key", [](ReadDataForm& f) { PostKey(f, Qt::Key_X, "x"); }, link::kStopCheckPolls},
        {"the close box", [](ReadDataForm& f) { QMetaObject::invokeMethod(&f, [&f] { f.close(); }, Qt::QueuedConnection); },
         link::kStopCheckPolls}};
    for (const auto& c : cases) {
        for (const char* button : {"Command3D1", "readbutton"}) {
            SCOPED_TRACE(std::string(c.what) + " during " + button);
            Rig rig(options);
            rig.settings.Codes = {0, 7, 7};
            rig.settings.CodesRead = 2;
            ReadDataForm form(rig.ctx);
            WhileOpen(form, [&] {
                if (c.stop) c.stop(form);
                Control<QPushButton>(form, button)->click();
                EXPECT_FALSE(form.reading());
                EXPECT_EQ(Control<QLineEdit>(form, "StopReadingText")->text(), "");
            });
            EXPECT_EQ(rig.port.busyPolls, c.polls);
            Traffic t(rig.port.log);
            t.readMode();
            t.send(33, 8);
            t.write(26);  // the data read's opening byte; then only busy polls, none logged
            t.stop();
            EXPECT_EQ(Control<QLineEdit>(form, "currentcode")->text(), "0");
            EXPECT_EQ(rig.messages.texts(), c.stop ? Texts{} : Texts{link::kReadErrorMessage});
            const bool analysis = std::string(button) == "Command3D1";
            EXPECT_EQ(rig.settings.CodesRead, analysis ? 0 : 2);
            EXPECT_EQ(rig.settings.Codes.size(), analysis ? 1u : 3u);
        }
    }
}

// A display read shows each code in hex and stores none. After each code it pauses for the pause
// box within 0..32767 ms (0 for what cannot be read), also when typed during the read; any key
// ends it. Return in the box starts it.
TEST_F(ReadDataWindow, DisplayReadShowsCodesInHexAndPausesWithin0To32767) {
    const struct { const char *typed, *duringRead, *shownAfter; int pauseMs; } cases[] = {
        {"-5", nullptr, "0", 0},       {"99999", nullptr, "32767", 32767}, {"", nullptr, "0", 0},
        {"12.6", nullptr, "12.6", 13}, {"0", "50000", "50000", 32767},     {"0", "40x", "40x", 40}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " then " + (c.duringRead ? c.duringRead : "nothing"));
        rig.port.clear();
        rig.settings.Codes = {0, 7};
        ReadDataForm form(rig.ctx);
        int shown = 0;
        QObject::connect(Control<QLineEdit>(form, "currentcode"), &QLineEdit::textChanged, &form, [&] {
            EXPECT_EQ(Control<QLineEdit>(form, "StopReadingText")->text(), analysis::kStopReadingPrompt);
            if (++shown != 1) return;
            if (c.duringRead) Control<QLineEdit>(form, "Text1")->setText(c.duringRead);
            PostKey(form, Qt::Key_Space, " ");  // ends the read in its first pause
        });
        WhileOpen(form, [&] {
            auto* box = Control<QLineEdit>(form, "Text1");
            box->setText(c.typed);
            QTest::keyClick(box, Qt::Key_Return);
        });
        EXPECT_EQ(Control<QLineEdit>(form, "Text1")->text().toStdString(), c.shownAfter);
        auto* timer = Control<platform::MsTimer>(form, "Timer1");
        EXPECT_EQ(timer->interval(), c.pauseMs);
        EXPECT_FALSE(timer->enabled());
        EXPECT_EQ(rig.settings.Codes, (std::vector<double>{0, 7}));
        Traffic t(rig.port.log);
        t.readMode();
        t.send(33, 8);
        const int32_t code = t.read(24, true);
        t.stop();
        EXPECT_EQ(Control<QLineEdit>(form, "currentcode")->text().toStdString(), platform::Hex(code));
    }
}

} // namespace

namespace {

// The count of the last analysis read that started is what the window offers next time, when
// choices are remembered; a remembered count the box would refuse is not offered.
TEST_F(ReadDataWindow, OffersTheCountOfTheLastReadWhenChoicesAreRemembered) {
    test::MemoryPreferences preferences;
    const auto boxAtOpening = [&] {
        ReadDataForm form(rig.ctx);
        std::string text;
        WhileOpen(form, [&] { text = Control<QLineEdit>(form, "ReadNoValueText")->text().toStdString(); });
        return text;
    };
    EXPECT_EQ(boxAtOpening(), "500");  // no preferences: the default, and nothing to remember
    rig.ctx.preferences = &preferences;
    for (const char* stored : {"abc", "4", "5001"}) {
        preferences.values[analysis::kCountPreference] = stored;
        EXPECT_EQ(boxAtOpening(), "500") << stored;
    }
    const struct { const char* typed; const char* remembered; } cases[] = {{"7", "7"}, {"13.5", "14"}, {"4", "14"}, {"x", "14"}};
    for (const auto& c : cases) {
        ReadDataForm form(rig.ctx);
        WhileOpen(form, [&] {
            auto* box = Control<QLineEdit>(form, "ReadNoValueText");
            box->setText(c.typed);
            QTest::keyClick(box, Qt::Key_Return);
        });
        EXPECT_EQ(preferences.values[analysis::kCountPreference], c.remembered) << c.typed;
        EXPECT_EQ(boxAtOpening(), c.remembered) << c.typed;
    }
    rig.ctx.preferences = nullptr;
}

} // namespace
