// Every window as a screen reader and a keyboard user meet it: each label reads as what it shows,
// each value with its caption beside it, each bit indicator as its bit and state, each chart by
// its title; each button by its caption, each push button with an Alt+letter of its own, and each
// control reached by Tab (in a frame of options, the selected one).
#include <map>
#include <set>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "app/SimPort.h"
#include "gallery/EveryWindow.h"
#include <qcustomplot.h>
#include "platform/widgets/BitRow.h"
#include "platform/widgets/FormWidgets.h"
#include "support/ScriptedMessages.h"

namespace qb::shelltest {
namespace {

std::string Read(QObject* o, QAccessible::Text what = QAccessible::Name) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(o);
    return a ? a->text(what).toStdString() : "<none>";
}
std::string Visible(const QString& text) { return QString(text).remove(QLatin1Char('&')).toStdString(); }

// What a walk through `window` finds: its value labels and chart titles; each fault on the way
// fails the test, naming the control.
std::string Walk(QWidget& window) {
    EXPECT_GE(window.width(), platform::CaptionWidth(window));  // the title bar shows the caption whole
    int values = 0;
    for (QLabel* label : window.findChildren<QLabel*>()) {
        const std::string name = label->objectName().toStdString();
        EXPECT_TRUE(label->text().isEmpty() || Read(label) == Visible(label->text())) << name << ": " << Read(label);
        if (!label->accessibleDescription().isEmpty()) ++values;
    }
    std::set<QChar> letters;
    for (QAbstractButton* b : window.findChildren<QAbstractButton*>()) {
        if (qobject_cast<QAbstractItemView*>(b->parentWidget())) continue;  // a table's own corner
        const std::string name = b->objectName().toStdString();
        const std::string caption = b->text().isEmpty() ? b->accessibleName().toStdString() : Visible(b->text());
        EXPECT_FALSE(caption.empty()) << name;
        EXPECT_EQ(Read(b), caption) << name;
        const bool option = qobject_cast<QRadioButton*>(b) != nullptr;
        EXPECT_TRUE((option && !b->isChecked()) || (b->focusPolicy() & Qt::TabFocus)) << name;
        if (!qobject_cast<QPushButton*>(b)) continue;
        const QKeySequence key = QKeySequence::mnemonic(b->text());
        EXPECT_TRUE(!key.isEmpty() && letters.insert(QChar(key[0].key())).second) << name << ": " << Visible(b->text());
    }
    for (platform::BitRow* row : window.findChildren<platform::BitRow*>())
        for (int k = 1; k <= row->bits(); ++k)
            EXPECT_EQ(Read(row->shape(k)), "bit " + std::to_string(row->bits() - k) + ": " + (row->shape(k)->filled() ? "1" : "0"));
    std::string charts;
    for (QCustomPlot* chart : window.findChildren<QCustomPlot*>()) charts += " " + Read(chart);
    return std::to_string(values) + charts;
}

TEST(EveryWindow, ReadsAsItShowsAndTakesTheKeyboard) {
    const std::map<std::string, std::string> found = {  // value labels, chart titles
        {"AboutForm", "1"},     {"PortForm", "0"},       {"ResetForm", "0"},      {"program", "8"},
        {"Mode1", "4"},         {"channelform", "0"},    {"warning", "0"},        {"chop_skip", "0"},
        {"filter", "1"},        {"DAC_form", "3"},       {"offsetform", "1"},     {"gainform", "1"},
        {"ReadDataForm", "3 Live view"}, {"ReadDataForm-live", "3 Live view"},  {"NoiseForm", "17"}, {"NoiseForm-file", "17"}, {"FiguresForm", "18"},   {"GraphForm", "3 Graph"},
        {"HistForm", "3 Histogram"}, {"SpectrumForm", "3 Noise Spectrum"}, {"AllanForm", "3 Allan Deviation"}, {"SweepForm", "0 RMS Noise against Output Rate"}, {"WriteFileForm", "0"},
        {"FileReadForm", "0"},  {"fastinfo", "0"},       {"faststep", "5 Graph"}, {"MainMenuForm", "1"}};
    app::SimPort board({}, board::TimeMode::Virtual);
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    const link::Context ctx{board, messages, settings, ""};
    gallery::StartWithCodes(ctx);
    std::map<std::string, std::string> walked;
    static int tabOrderWarnings = 0;  // a window that sets a tab order before its controls are in it
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) { tabOrderWarnings += m.contains("setTabOrder"); });
    for (const gallery::Window& w : gallery::EveryWindow(ctx)) {
        SCOPED_TRACE(w.name);
        gallery::Visit(w, [&](QWidget& shown) { walked[w.name] = Walk(shown); });
    }
    qInstallMessageHandler(nullptr);
    EXPECT_EQ(walked, found);
    EXPECT_EQ(tabOrderWarnings, 0);
}

} // namespace
} // namespace qb::shelltest
