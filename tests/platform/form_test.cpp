// Windows: load, modal display, query-unload, unload, key preview, ending the program; and the
// two message sinks that stand in for message boxes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/QtMessages.h"
#include "platform/StderrMessages.h"

using namespace qb::platform;

namespace {

using Log = std::vector<std::string>;

class TestForm : public Form {
public:
    TestForm(Log& log, std::string name, QWidget* parent = nullptr) : Form(parent), log_(log), name_(std::move(name)) {
        auto* layout = new QVBoxLayout(this);
        box = new TextBox("Text1", "");
        label = new QLabel("Delay between reads (mS)");
        button = named(new QPushButton("Read Data for Display"), "readbutton");
        layout->addWidget(box);
        layout->addWidget(label);
        layout->addWidget(button);
        setCaption("QB4160 Read Data");
    }

    TextBox* box;
    QLabel* label;
    QPushButton* button;
    int refuse = 0;  // close requests still to refuse
    std::function<void(TestForm&)> onLoad;
    std::function<void(TestForm&)> whileShown;  // runs once inside the modal display
    std::function<void(int&)> onKey;
    int shows = 0;

    void note(const std::string& what) { log_.push_back(name_ + what); }

protected:
    void Form_Load() override {
        note("load");
        if (onLoad) onLoad(*this);
        if (whileShown) QTimer::singleShot(0, this, [this] { whileShown(*this); });
    }
    void Form_QueryUnload(bool& cancel) override {
        note("query");
        if (refuse > 0) {
            --refuse;
            cancel = true;
        }
    }
    void Form_Unload() override { note("unload"); }
    void Form_KeyPress(int& key) override {
        if (onKey) onKey(key);
    }
    void showEvent(QShowEvent* e) override {
        ++shows;
        Form::showEvent(e);
    }

private:
    Log& log_;
    std::string name_;
};

// ---- lifecycle ------------------------------------------------------------------------------

enum class Close { Unload, CloseBox, Escape, Accept, Hide };

struct LifeCase {
    const char* what;
    int refuse;
    std::vector<Close> actions;
    Log expected;
    int expectedResult;
};

class FormLifecycle : public ::testing::TestWithParam<LifeCase> {};

TEST_P(FormLifecycle, LoadsShowsQueriesAndUnloads) {
    const LifeCase& c = GetParam();
    Log log;
    TestForm f(log, "");
    f.refuse = c.refuse;
    f.whileShown = [&](TestForm& form) {
        for (Close action : c.actions) {
            switch (action) {
            case Close::Unload: form.unload(); break;
            case Close::CloseBox: form.close(); break;
            case Close::Escape: QTest::keyClick(form.box, Qt::Key_Escape); break;  // travels up from the box
            case Close::Accept: form.accept(); break;
            case Close::Hide: form.hide(); break;
            }
            form.note(form.isVisible() ? "open" : "closed");
        }
    };
    const int result = f.showModal();
    EXPECT_EQ(log, c.expected) << c.what;
    EXPECT_EQ(result, c.expectedResult) << c.what;
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.loaded());
    EXPECT_EQ(f.shows, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormLifecycle,
    ::testing::Values(
        LifeCase{"back button", 0, {Close::Unload}, {"load", "query", "closed", "unload"}, QDialog::Rejected},
        LifeCase{"close box", 0, {Close::CloseBox}, {"load", "query", "closed", "unload"}, QDialog::Rejected},
        LifeCase{"escape", 0, {Close::Escape}, {"load", "query", "closed", "unload"}, QDialog::Rejected},
        LifeCase{"accept", 0, {Close::Accept}, {"load", "query", "closed", "unload"}, QDialog::Accepted},
        LifeCase{"refused once, then closed", 1, {Close::Unload, Close::Unload},
                 {"load", "query", "open", "query", "closed", "unload"}, QDialog::Rejected},
        LifeCase{"refused accept keeps it open", 1, {Close::Accept, Close::CloseBox},
                 {"load", "query", "open", "query", "closed", "unload"}, QDialog::Rejected},
        LifeCase{"refused escape", 1, {Close::Escape, Close::CloseBox},
                 {"load", "query", "open", "query", "closed", "unload"}, QDialog::Rejected},
        LifeCase{"hidden from code counts as closed", 0, {Close::Hide}, {"load", "closed", "unload"},
                 QDialog::Rejected}));

TEST(Form, UnloadDuringLoadNeverShowsTheWindow) {
    Log log;
    TestForm f(log, "");
    f.onLoad = [](TestForm& form) { EXPECT_TRUE(form.unload()); };
    f.showModal();
    EXPECT_EQ(log, (Log{"load", "query", "unload"}));
    EXPECT_EQ(f.shows, 0);
}

TEST(Form, RefusedUnloadDuringLoadStillShowsTheWindow) {
    Log log;
    TestForm f(log, "");
    f.refuse = 1;
    f.onLoad = [](TestForm& form) { EXPECT_FALSE(form.unload()); };
    f.whileShown = [](TestForm& form) { form.unload(); };
    f.showModal();
    EXPECT_EQ(log, (Log{"load", "query", "query", "unload"}));
    EXPECT_EQ(f.shows, 1);
}

TEST(Form, EachOpeningLoadsAgain) {
    Log log;
    TestForm f(log, "");
    f.whileShown = [](TestForm& form) { form.unload(); };
    f.showModal();
    f.showModal();
    EXPECT_EQ(log, (Log{"load", "query", "unload", "load", "query", "unload"}));
}

TEST(Form, NestedWindowReturnsToItsOpener) {
    Log log;
    TestForm outer(log, "outer.");
    outer.whileShown = [&](TestForm& form) {
        TestForm inner(log, "inner.", &form);
        inner.whileShown = [](TestForm& f) { f.unload(); };
        inner.showModal();
        form.note(form.isVisible() ? "open" : "closed");
        form.unload();
    };
    outer.showModal();
    EXPECT_EQ(log, (Log{"outer.load", "inner.load", "inner.query", "inner.unload", "outer.open", "outer.query",
                        "outer.unload"}));
}

// ---- key preview ----------------------------------------------------------------------------

enum class Target { Box, Label, Form };

struct PreviewCase {
    const char* what;
    bool preview;
    Target target;
    std::vector<int> keys;
    std::vector<int> expectedForm;
    std::vector<int> expectedBox;
    std::string expectedText;
};

class KeyPreview : public ::testing::TestWithParam<PreviewCase> {};

TEST_P(KeyPreview, WindowSeesEveryKeyFirst) {
    const PreviewCase& c = GetParam();
    Log log;
    TestForm f(log, "");
    std::vector<int> formSeen, boxSeen;
    f.setKeyPreview(c.preview);
    f.onKey = [&](int& k) {
        formSeen.push_back(k);
        if (k == 'x') k = 0;    // discarded
        if (k == 'a') k = 'b';  // replaced
    };
    f.box->onKeyPress([&](int& k) { boxSeen.push_back(k); });
    f.show();
    QWidget* target = c.target == Target::Box ? static_cast<QWidget*>(f.box)
                      : c.target == Target::Label ? static_cast<QWidget*>(f.label)
                                                  : static_cast<QWidget*>(&f);
    for (int key : c.keys) {
        if (key < 0x7f) QTest::keyClick(target, char(key));
        else QTest::keyClick(target, Qt::Key(key));
    }
    EXPECT_EQ(formSeen, c.expectedForm) << c.what;
    EXPECT_EQ(boxSeen, c.expectedBox) << c.what;
    EXPECT_EQ(f.box->str(), c.expectedText) << c.what;
    f.hide();
}

INSTANTIATE_TEST_SUITE_P(
    Table, KeyPreview,
    ::testing::Values(
        PreviewCase{"discard, replace, pass", true, Target::Box, {'x', 'a', 'z'}, {'x', 'a', 'z'}, {'b', 'z'}, "bz"},
        PreviewCase{"preview off", false, Target::Box, {'x', 'a'}, {}, {'x', 'a'}, "xa"},
        PreviewCase{"keys that type nothing pass unseen", true, Target::Box, {'c', 'd', Qt::Key_Left, 'e'},
                    {'c', 'd', 'e'}, {'c', 'd', 'e'}, "ced"},
        PreviewCase{"once per key, also when the key travels up", true, Target::Label, {'q', 'r'}, {'q', 'r'}, {}, ""},
        PreviewCase{"keys sent to the window itself", true, Target::Form, {'q'}, {'q'}, {}, ""}));

TEST(KeyPreview, OtherWindowsKeysAreNotPreviewed) {
    Log log;
    TestForm f(log, "a."), other(log, "b.");
    int seen = 0;
    f.setKeyPreview(true);
    f.onKey = [&](int&) { ++seen; };
    QTest::keyClick(other.box, 'k');
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(other.box->str(), "k");
}

// A read loop that lets events run, stopped by a key that the preview swallows; started from a
// button click or from Enter in the text box (the key hook is then still running).
enum class Start { ButtonClick, EnterInBox };

class KeyPreviewDuringLoop : public ::testing::TestWithParam<Start> {};

TEST_P(KeyPreviewDuringLoop, KeyStopsTheLoopAndIsDiscarded) {
    Log log;
    TestForm f(log, "");
    f.setKeyPreview(true);
    bool reading = false;
    int passes = 0;
    f.onKey = [&](int& k) {
        if (reading) {
            reading = false;
            k = 0;
        }
    };
    const auto readLoop = [&] {
        reading = true;
        while (reading && passes < 1000) {
            if (++passes == 3)  // a key arrives while the loop runs
                QCoreApplication::postEvent(f.box, new QKeyEvent(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, "q"));
            Form::doEvents();
        }
    };
    QObject::connect(f.button, &QPushButton::clicked, readLoop);
    f.box->onKeyPress([&](int& k) {
        if (k == 13) readLoop();
    });
    f.show();
    if (GetParam() == Start::ButtonClick)
        QTest::mouseClick(f.button, Qt::LeftButton);
    else
        QTest::keyClick(f.box, Qt::Key_Return);
    EXPECT_FALSE(reading);
    EXPECT_EQ(passes, 3);
    EXPECT_EQ(f.box->str(), "");
    // Once idle, keys are let through.
    QTest::keyClick(f.box, 'q');
    EXPECT_EQ(f.box->str(), "q");
    f.hide();
}

INSTANTIATE_TEST_SUITE_P(Starts, KeyPreviewDuringLoop, ::testing::Values(Start::ButtonClick, Start::EnterInBox));

// ---- ending the program ---------------------------------------------------------------------

class ProgramEnd : public ::testing::Test {
protected:
    void TearDown() override { Form::resetProgramEnding(); }
};

TEST_F(ProgramEnd, FromNestedWindowsSkipsQueryAndUnloadHandlers) {
    Log log;
    TestForm outer(log, "outer.");
    outer.whileShown = [&](TestForm& form) {
        TestForm inner(log, "inner.", &form);
        inner.whileShown = [](TestForm&) { Form::endProgram(3); };
        inner.showModal();
        EXPECT_FALSE(inner.isVisible());
        form.note(Form::programEnding() ? "sees the end" : "goes on");
        TestForm late(log, "late.", &form);  // a window opened on the way out does not open
        late.showModal();
    };
    outer.showModal();
    EXPECT_EQ(log, (Log{"outer.load", "inner.load", "outer.sees the end"}));
    EXPECT_FALSE(outer.isVisible());
    EXPECT_TRUE(Form::programEnding());
    EXPECT_EQ(Form::programExitCode(), 3);
    EXPECT_FALSE(Form::doEvents());
    // Message boxes answer at once without showing.
    QtMessages messages;
    EXPECT_EQ(messages.show({"Are you sure you want to Quit?", "", MsgIcon::Question, MsgButtons::YesNo}),
              MsgAnswer::No);
}

TEST_F(ProgramEnd, ResetLetsWindowsOpenAgain) {
    Form::endProgram();
    Form::resetProgramEnding();
    Log log;
    TestForm f(log, "");
    f.whileShown = [](TestForm& form) { form.unload(); };
    f.showModal();
    EXPECT_EQ(log, (Log{"load", "query", "unload"}));
    EXPECT_FALSE(Form::programEnding());
}

// ---- message boxes ----------------------------------------------------------------------------

enum class Press { Ok, Yes, No, CloseBox };

struct BoxCase {
    Message message;
    Press press;
    MsgAnswer expectedAnswer;
    QString expectedTitle;
    QMessageBox::Icon expectedIcon;
    QString expectedText;
};

class QtMessageBox : public ::testing::TestWithParam<BoxCase> {};

TEST_P(QtMessageBox, ShowsTitleIconTextAndReturnsTheAnswer) {
    const BoxCase& c = GetParam();
    int flushes = 0;
    int flushesBeforeShown = -1;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        flushesBeforeShown = flushes;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        format = box->textFormat();
        switch (c.press) {
        case Press::Ok: box->button(QMessageBox::Ok)->click(); break;
        case Press::Yes: box->button(QMessageBox::Yes)->click(); break;
        case Press::No: box->button(QMessageBox::No)->click(); break;
        case Press::CloseBox: box->close(); break;
        }
    });
    QtMessages messages([&] { ++flushes; });
    EXPECT_EQ(messages.show(c.message), c.expectedAnswer);
    EXPECT_EQ(flushesBeforeShown, 1);
    EXPECT_EQ(title, c.expectedTitle);
    EXPECT_EQ(icon, c.expectedIcon);
    EXPECT_EQ(text, c.expectedText);
    EXPECT_EQ(format, Qt::PlainText);
}

INSTANTIATE_TEST_SUITE_P(
    Table, QtMessageBox,
    ::testing::Values(
        BoxCase{{"Error occured while trying to read from QB4160", "", MsgIcon::Exclamation, MsgButtons::Ok},
                Press::Ok, MsgAnswer::Ok, kApplicationTitle, QMessageBox::Warning,
                "Error occured while trying to read from QB4160"},
        BoxCase{{"File successfully created", "Save", MsgIcon::Information, MsgButtons::Ok}, Press::CloseBox,
                MsgAnswer::Ok, "Save", QMessageBox::Information, "File successfully created"},
        BoxCase{{"Are you sure you want to Quit?", "", MsgIcon::Question, MsgButtons::YesNo}, Press::Yes,
                MsgAnswer::Yes, kApplicationTitle, QMessageBox::Question, "Are you sure you want to Quit?"},
        BoxCase{{"Are you sure you want to Quit?", "", MsgIcon::Question, MsgButtons::YesNo}, Press::No,
                MsgAnswer::No, kApplicationTitle, QMessageBox::Question, "Are you sure you want to Quit?"},
        BoxCase{{"Are you sure?", "", MsgIcon::Question, MsgButtons::YesNo}, Press::CloseBox, MsgAnswer::No,
                kApplicationTitle, QMessageBox::Question, "Are you sure?"},
        BoxCase{{"<b>1</b>\r\nline two\rthree", "", MsgIcon::Exclamation, MsgButtons::Ok}, Press::Ok,
                MsgAnswer::Ok, kApplicationTitle, QMessageBox::Warning, "<b>1</b>\nline two\nthree"}));

struct StderrCase {
    Message message;
    MsgAnswer questionAnswer;
    std::string expectedOutput;
    MsgAnswer expectedAnswer;
};

class StderrMessageLines : public ::testing::TestWithParam<StderrCase> {};

TEST_P(StderrMessageLines, OneLinePerMessage) {
    const StderrCase& c = GetParam();
    std::ostringstream out;
    StderrMessages messages(out, c.questionAnswer);
    EXPECT_EQ(messages.show(c.message), c.expectedAnswer);
    EXPECT_EQ(out.str(), c.expectedOutput);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StderrMessageLines,
    ::testing::Values(
        StderrCase{{"DRDY High Too Long!", "", MsgIcon::Exclamation, MsgButtons::Ok}, MsgAnswer::No,
                   "QB4160 Evaluation Software: DRDY High Too Long!\n", MsgAnswer::Ok},
        StderrCase{{"Port 1", "QB4160", MsgIcon::Information, MsgButtons::Ok}, MsgAnswer::Yes, "QB4160: Port 1\n",
                   MsgAnswer::Ok},
        StderrCase{{"a\rb\r\nc\nd", "T", MsgIcon::Information, MsgButtons::Ok}, MsgAnswer::No, "T: a b c d\n",
                   MsgAnswer::Ok},
        StderrCase{{"Quit?", "", MsgIcon::Question, MsgButtons::YesNo}, MsgAnswer::No,
                   "QB4160 Evaluation Software: Quit?\n", MsgAnswer::No},
        StderrCase{{"Quit?", "", MsgIcon::Question, MsgButtons::YesNo}, MsgAnswer::Yes,
                   "QB4160 Evaluation Software: Quit?\n", MsgAnswer::Yes},
        StderrCase{{"Quit?", "", MsgIcon::Question, MsgButtons::YesNo}, MsgAnswer::Ok,  // not a Yes/No answer
                   "QB4160 Evaluation Software: Quit?\n", MsgAnswer::No}));

TEST(StderrMessages, SeveralMessagesStayOnSeparateLines) {
    std::ostringstream out;
    StderrMessages messages(out);
    messages.exclamation("one\r\n");
    messages.information("two", "X");
    EXPECT_EQ(out.str(), "QB4160 Evaluation Software: one \nX: two\n");
}

} // namespace
