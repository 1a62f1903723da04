// Windows: load, modal display, query-unload, unload, ending the program; the two
// message sinks that stand in for message boxes; the program's waits.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <sys/stat.h>

#include <cstdio>

#include "platform/widgets/Controls.h"
#include "platform/widgets/Form.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/widgets/QtMessages.h"
#include "platform/widgets/QtPreferences.h"
#include "support/ProgramRun.h"

using namespace qb::platform;

namespace {

using Log = std::vector<std::string>;

// A window with a text box that logs its hooks.
class TestForm : public Form {
public:
    TestForm(Log& log, std::string name = "", QWidget* parent = nullptr) : Form(parent), log_(log), name_(name) {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(box = new TextBox("Text1"));
    }
    TextBox* box;
    int refuse = 0;  // close requests still to refuse
    std::function<void(TestForm&)> onLoad, whileShown;  // whileShown: once inside the modal display
    void note(const std::string& what) { log_.push_back(name_ + what); }

protected:
    void Form_Load() override {
        note("load");
        if (onLoad) onLoad(*this);
        if (whileShown) QTimer::singleShot(0, this, [this] { whileShown(*this); });
    }
    void Form_QueryUnload(bool& cancel) override {
        note("query");
        cancel = refuse-- > 0;
    }
    void Form_Unload() override { note("unload"); }
    void showEvent(QShowEvent* e) override {
        note("shown");
        Form::showEvent(e);
    }
    Log& log_;
    std::string name_;
};

TEST(Form, EveryWayOfClosingGoesThroughQueryUnloadThenUnload) {
    // Actions: u unload() (a "Back..." button), c the close box, e Escape in the text box, a accept(), h hide().
    struct Case { const char* actions; int refuse; Log log; int result; };
    const Log closed{"load", "shown", "query", "closed", "unload"},
        refusedOnce{"load", "shown", "query", "open", "query", "closed", "unload"};
    for (const Case& c : {Case{"u", 0, closed, QDialog::Rejected}, Case{"c", 0, closed, QDialog::Rejected},
                          Case{"e", 0, closed, QDialog::Rejected}, Case{"a", 0, closed, QDialog::Accepted},
                          Case{"uu", 1, refusedOnce, QDialog::Rejected}, Case{"ac", 1, refusedOnce, QDialog::Rejected},
                          Case{"h", 0, {"load", "shown", "closed", "unload"}, QDialog::Rejected}}) {
        SCOPED_TRACE(c.actions);
        Log log;
        TestForm f(log);
        f.refuse = c.refuse;
        f.whileShown = [&](TestForm& form) {
            for (const char* a = c.actions; *a; ++a) {
                if (*a == 'u') form.unload();
                if (*a == 'c') form.close();
                if (*a == 'e') QTest::keyClick(form.box, Qt::Key_Escape);  // travels up from the box
                if (*a == 'a') form.accept();
                if (*a == 'h') form.hide();
                form.note(form.isVisible() ? "open" : "closed");
            }
        };
        EXPECT_EQ(f.showModal(), c.result);
        EXPECT_EQ(log, c.log);
    }
}

TEST(Form, UnloadDuringLoadNeverShowsTheWindowUnlessRefusedAndEachOpeningLoadsAgain) {
    Log log;
    TestForm f(log);
    f.onLoad = [&](TestForm& form) {
        const bool closes = form.refuse == 0;  // asked before unload() uses up a refusal
        EXPECT_EQ(form.unload(), closes);
    };
    f.whileShown = [](TestForm& form) { form.unload(); };
    f.showModal();
    f.refuse = 1;
    f.showModal();
    EXPECT_EQ(log, (Log{"load", "query", "unload", "load", "query", "shown", "query", "unload"}));
}

TEST(Form, ANestedWindowReturnsToItsOpenerAndEndingTheProgramSkipsTheQueryAndUnloadHooks) {
    Log log;
    TestForm outer(log, "outer.");
    outer.whileShown = [&](TestForm& form) {
        TestForm inner(log, "inner.", &form), ending(log, "ending.", &form), late(log, "late.", &form);
        inner.whileShown = [](TestForm& f) { f.unload(); };
        inner.showModal();
        form.note(form.isVisible() ? "open" : "closed");
        ending.whileShown = [](TestForm&) { Form::endProgram(3); };
        ending.showModal();
        form.note(Form::programEnding() ? "sees the end" : "goes on");
        late.showModal();  // a window opened on the way out does not open
    };
    outer.showModal();
    EXPECT_EQ(log, (Log{"outer.load", "outer.shown", "inner.load", "inner.shown", "inner.query", "inner.unload",
                        "outer.open", "ending.load", "ending.shown", "outer.sees the end"}));
    EXPECT_EQ(Form::programExitCode(), 3);
    EXPECT_FALSE(Form::doEvents());
    // Message boxes answer at once without showing.
    EXPECT_EQ(QtMessages().show({"Quit?", "", MsgIcon::Question, MsgButtons::YesNo}), MsgAnswer::No);
}

TEST(Messages, QtBoxesShowTitleIconAndPlainTextAndReturnTheAnswer) {
    const Message quit{"Are you sure you want to Quit?", "", MsgIcon::Question, MsgButtons::YesNo};
    struct Case { Message msg; QMessageBox::StandardButton press; MsgAnswer answer; QString title, text; int icon; };
    const Case cases[] = {  // no button: the close box
        {{"<b>1</b>\r\nline two\rthree", ""}, QMessageBox::Ok, MsgAnswer::Ok, kApplicationTitle,
         "<b>1</b>\nline two\nthree", QMessageBox::Warning},
        {{"File successfully created", "Save", MsgIcon::Information}, QMessageBox::NoButton, MsgAnswer::Ok, "Save",
         "File successfully created", QMessageBox::Information},
        {quit, QMessageBox::Yes, MsgAnswer::Yes, kApplicationTitle, quit.text.c_str(), QMessageBox::Question},
        {quit, QMessageBox::NoButton, MsgAnswer::No, kApplicationTitle, quit.text.c_str(), QMessageBox::Question}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.msg.text);
        int flushes = 0, flushesBeforeShown = -1;
        QStringList shown;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            flushesBeforeShown = flushes;
            shown = {box->windowTitle(), box->text(), QString::number(box->icon()), QString::number(box->textFormat())};
            EXPECT_GE(box->width(), CaptionWidth(*box));  // the title bar shows the caption whole
            if (c.press == QMessageBox::NoButton) box->close();
            else box->button(c.press)->click();
        });
        EXPECT_EQ(QtMessages([&] { ++flushes; }).show(c.msg), c.answer);
        EXPECT_EQ(flushesBeforeShown, 1);
        EXPECT_EQ(shown, (QStringList{c.title, c.text, QString::number(c.icon), QString::number(Qt::PlainText)}));
    }
}

} // namespace

// A settings file that is not a plain file (a named pipe would block the start in open()) is
// named, and the program starts without it.
TEST(Preferences, ASettingsFileThatIsNotAPlainFileIsRefusedNamingIt) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/qb4160-eval";
    const std::string file = (folder + "/qb4160-eval.conf").toStdString();
    QDir().mkpath(folder);
    std::remove(file.c_str());
    EXPECT_TRUE(qb::platform::QtPreferences::Open().ok());
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    const auto opened = qb::platform::QtPreferences::Open();
    std::remove(file.c_str());
    EXPECT_EQ(opened.ok() ? "" : opened.error(), "the settings file " + file + " is not a plain file");
}
