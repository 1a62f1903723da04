#include "registers/filter.h"

#include <optional>
#include <string>
#include <string_view>

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "link/FilterRate.h"
#include "platform/widgets/BitRow.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/widgets/QtText.h"
#include "platform/widgets/Sizes.h"
#include "platform/base/Numbers.h"
#include "platform/base/Text.h"
#include "registers/ChoiceForm.h"
#include "registers/WriteAndCheck.h"

namespace qb::registers {

using namespace link::filterbits;
using platform::CheckBox;
using platform::named;
using platform::ToQt;
using platform::TextBox;

namespace {

// UpdatingControls is 1 while a window sets its controls from code; the flag's former value
// comes back afterwards, so a nested use cannot end an outer one early.
class Updating {
public:
    explicit Updating(int16_t& flag) : flag_(flag), saved_(flag) { flag_ = 1; }
    ~Updating() { flag_ = saved_; }
    Updating(const Updating&) = delete;
    Updating& operator=(const Updating&) = delete;

private:
    int16_t& flag_;
    int16_t saved_;
};

// The rate text when the register's word is 0 (no conversions).
constexpr const char* kNoRateText = "Error";

// The rate a word gives as the window shows it ("0.00" or "#.00"); kNoRateText for a word of 0
// or less.
std::string RateText(double masterClockHz, int32_t word, bool chop, std::string_view picture) {
    const std::optional<double> rate = link::UpdateRateHz(masterClockHz, word, chop);
    return rate ? platform::Format(*rate, picture) : kNoRateText;
}

constexpr int kMaxRateDigits = 8;
constexpr int kMaxClockDigits = 12;
constexpr int kMaxDelayDigits = 2;

// A box just wide enough for `widest` typed in it.
void FitWidth(TextBox* box, const char* widest) {
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QString::fromUtf8(widest)) + platform::kTextBoxPadding);
}

} // namespace

filter::filter(const link::Context& ctx, QWidget* parent) : Form(parent), ctx_(ctx), reg_(ctx) {
    setObjectName(QStringLiteral("filter"));
    setCaption("QB4160 Filter Register");
    Frame6 = platform::TitleFrame("Frame6", "Label1", QStringLiteral("Filter Register"));
    makeRegisterFrames();
    makeRateFrame();
    makeOptionsFrame();
    makeDelayFrame();
    Command3D1 = platform::CommandButton("Command3D1", QStringLiteral("Back..."));
    layOut();
    connectHandlers();
}

// The register bit by bit, and in hexadecimal.
void filter::makeRegisterFrames() {
    Frame4 = named(new QGroupBox(QStringLiteral("Current Contents of Filter Register")), "Frame4");
    shapes_ = new platform::BitRow(24, Frame4);
    auto* bits = new QHBoxLayout(Frame4);
    bits->setContentsMargins(platform::kBitFrameMargins);
    bits->addWidget(shapes_);

    Frame5 = named(new QGroupBox, "Frame5");
    Label2 = platform::ReadoutLabel("Label2", QStringLiteral("Filter register (Hex)"), {}, platform::kRegisterReadoutWidth);
    (new QVBoxLayout(Frame5))->addWidget(Label2);
}

// The update rate above the master clock it is worked out at.
void filter::makeRateFrame() {
    Frame2 = named(new QGroupBox(QStringLiteral("Output Update Rate")), "Frame2");
    Label4 = platform::CaptionLabel("Label4", QStringLiteral("Update Rate"));
    Text2 = new TextBox("Text2", QStringLiteral("250"));
    Text2->setMaxLength(kMaxRateDigits);
    FitWidth(Text2, "0000000000.00");  // as wide as mclk below it
    Label5 = platform::CaptionLabel("Label5", QStringLiteral("Hz"));
    Label3 = platform::CaptionLabel("Label3", QStringLiteral("Master CLK Freq."));
    mclk = new TextBox("mclk", QStringLiteral("4915200.00"));
    mclk->setMaxLength(kMaxClockDigits);
    FitWidth(mclk, "0000000000.00");
    Label6 = platform::CaptionLabel("Label6", QStringLiteral("Hz"));
    Label4->setBuddy(Text2);
    Label3->setBuddy(mclk);
    auto* rates = new QGridLayout(Frame2);
    rates->addWidget(Label4, 0, 0);
    rates->addWidget(Text2, 0, 1);
    rates->addWidget(Label5, 0, 2);
    rates->addWidget(Label3, 1, 0);
    rates->addWidget(mclk, 1, 1);
    rates->addWidget(Label6, 1, 2);
    rates->setColumnStretch(3, 1);
}

void filter::makeOptionsFrame() {
    Frame1 = named(new QGroupBox(QStringLiteral("Filter Options")), "Frame1");
    chop = new CheckBox("chop", QStringLiteral("Chop Enable"));
    ac = new CheckBox("ac", QStringLiteral("AC Excitation"));
    fast = new CheckBox("fast", QStringLiteral("Fast Step"));
    skip = new CheckBox("skip", QStringLiteral("Filter Skip"));
    auto* options = new QGridLayout(Frame1);
    options->addWidget(chop, 0, 0);
    options->addWidget(ac, 1, 0);
    options->addWidget(fast, 0, 1);
    options->addWidget(skip, 1, 1);
}

void filter::makeDelayFrame() {
    Frame3 = named(new QGroupBox(QStringLiteral("Delay Selection")), "Frame3");
    delay = new TextBox("delay");
    delay->setMaxLength(kMaxDelayDigits);
    FitWidth(delay, "000");
    Label8 = platform::CaptionLabel("Label8", QStringLiteral("Range 0-15"));
    auto* delayRow = new QHBoxLayout(Frame3);
    delayRow->addWidget(delay);
    delayRow->addWidget(Label8);
    delayRow->addStretch(1);
}

// The register across the top, the entries below it, the options and the delay beside them.
void filter::layOut() {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(platform::kRegisterWindowMargins);
    grid->setHorizontalSpacing(platform::kFrameGapAcross);
    grid->setVerticalSpacing(platform::kFrameGapDown);
    grid->addWidget(Frame6, 0, 0, 1, 2);
    grid->addWidget(Frame4, 1, 0);
    grid->addWidget(Frame5, 1, 1);
    grid->addWidget(Frame2, 2, 0, 2, 1);
    grid->addWidget(Frame1, 2, 1);
    grid->addWidget(Frame3, 3, 1);
    grid->addWidget(Command3D1, 4, 1, Qt::AlignRight);

    setTabOrder(Text2, mclk);
    setTabOrder(mclk, chop);
    setTabOrder(chop, ac);
    setTabOrder(ac, fast);
    setTabOrder(fast, skip);
    setTabOrder(skip, delay);
    setTabOrder(delay, Command3D1);
}

void filter::connectHandlers() {
    chop->onClick([this] { chop_Click(); });
    skip->onClick([this] { skip_Click(); });
    fast->onClick([this] { fast_Click(); });
    ac->onClick([this] { ac_Click(); });
    delay->onKeyPress([this](int& key) { delay_KeyPress(key); });
    Text2->onKeyPress([this](int& key) { Text2_KeyPress(key); });
    mclk->onKeyPress([this](int& key) { mclk_KeyPress(key); });
    connect(Command3D1, &QPushButton::clicked, this, [this] { Command3D1_Click(); });
}

void filter::Form_Load() {
    reg_.setReadAddress(link::comms::kFilterRead);
    reg_.setWriteAddress(link::comms::kFilterWrite);
    reg_.setWordLength(link::comms::kFilterBits);
    mclk->setText(QString::number(ctx_.settings.MasterClockHz));
    SetFilterValue(platform::ToInt32(reg_.ReadReg()).value_or(0));
    ShowRateFromRegister();
    {
        Updating updating(ctx_.settings.UpdatingControls);
        RefreshFilterDisplay();
    }
    Text2->setFocus();
}

// ---- the routines ---------------------------------------------------------------------------

double filter::ClockInBox() const { return platform::ParseNumber(mclk->str()).value_or(0.0); }

std::optional<double> filter::MasterClock() const {
    const auto hz = platform::ParseNumber(mclk->str());
    if (!hz || !platform::ToInt32(*hz) || *hz <= 0) return std::nullopt;
    return hz;
}

std::optional<float> filter::UpdateRate() const {
    const auto rate = platform::ParseNumber(Text2->str());
    if (!rate || !platform::ToInt32(*rate) || static_cast<float>(*rate) <= 0) return std::nullopt;
    return static_cast<float>(*rate);
}

void filter::SetFilterValue(int32_t value) {
    ctx_.settings.FilterRegValue = value;
    shapes_->show(static_cast<uint32_t>(value));
}

void filter::Change(int32_t orBits, int32_t andBits) {
    SetFilterValue((ctx_.settings.FilterRegValue | orBits) & andBits);
}

void filter::ShowRateFromRegister() {
    const int32_t value = ctx_.settings.FilterRegValue;
    Text2->setText(ToQt(RateText(ClockInBox(), link::FilterWordOf(value), link::ChopOf(value), "0.00")));
}

void filter::ApplyUpdateRate() {
    const int32_t word = link::FilterWordForRate(UpdateRate().value_or(0.0f), ClockInBox(), chop->value(), skip->value());
    SetFilterValue(link::WithFilterWord(ctx_.settings.FilterRegValue, word));
    Text2->setText(ToQt(RateText(ClockInBox(), word, chop->value(), "0.00")));
}

void filter::RefreshFilterDisplay() {
    link::SharedSettings& s = ctx_.settings;
    shapes_->show(static_cast<uint32_t>(s.FilterRegValue));
    // CHOP first: a set AC bit then finds chopping on, and a set SKIP bit finds the rate in
    // Text2 worked out with the register's own chopping, so the word it is found from again
    // stays as it is (also when the register holds CHOP and SKIP both and chop_skip decides).
    chop->setValue(s.FilterRegValue & kChopOn);
    ac->setValue(s.FilterRegValue & kAcOn);
    fast->setValue(s.FilterRegValue & kFastOn);
    skip->setValue(s.FilterRegValue & kSkipOn);
    Label2->setText(ToQt(platform::Hex(s.FilterRegValue)));
    s.FilterWordValue = link::FilterWordOf(s.FilterRegValue);
    Text2->setText(ToQt(RateText(ClockInBox(), s.FilterWordValue, chop->value(), "#.00")));
    delay->setText(QString::number(s.FilterRegValue & kDelay));
}

void filter::WriteFilterRegister() {
    link::SharedSettings& s = ctx_.settings;
    if (s.UpdatingControls) return;
    if (!WriteAndCheck(reg_, s.FilterRegValue)) {
        s.DialogChoice = 1;
        ctx_.messages.exclamation(link::kReadErrorMessage);
        s.DialogChoice = 0;
    }
    Label2->setText(ToQt(platform::Hex(s.FilterRegValue)));
}

bool filter::EntriesUsable(CheckBox* clicked, bool rateNeeded) {
    TextBox* offending = !MasterClock() ? mclk : rateNeeded && !UpdateRate() ? Text2 : nullptr;
    if (!offending) return true;
    offending->clear();
    offending->setFocus();
    // A box set from code follows the register, which stays as it is; a click is undone.
    if (!ctx_.settings.UpdatingControls) {
        const QSignalBlocker quiet(clicked);
        clicked->setChecked(!clicked->isChecked());
    }
    return false;
}

bool filter::ResolveChopSkip() {
    ctx_.settings.DialogChoice = 0;  // a window closed without an answer leaves no old answer
    {
        chop_skip dialog(ctx_, this);
        dialog.showModal();
    }
    // The answer is taken and forgotten: left standing it would look like an answer to the next
    // question any window asks (the mode window's clock-output warning, its output levels).
    const int16_t answer = ctx_.settings.DialogChoice;
    ctx_.settings.DialogChoice = 0;
    if (programEnding()) return false;
    if (answer == kChopOnSkipOff) {
        chop->setValue(true);
        skip->setValue(false);  // skip_Click clears SKIP, recomputes the word and writes
        Change(kChopOn, kSkipOff);
    } else {
        chop->setValue(false);  // chop_Click clears CHOP and AC and writes
        skip->setValue(true);
        Change(kSkipOn, kChopOff);
    }
    return !programEnding();
}

// ---- the handlers ---------------------------------------------------------------------------

void filter::chop_Click() {
    const bool both = chop->value() && skip->value();
    if (!EntriesUsable(chop, both)) return;
    if (both) {
        if (!ResolveChopSkip()) return;
    } else if (chop->value()) {
        Change(kChopOn);
    } else {
        Change(0, kChopOff);
        if (ac->value()) {
            Updating updating(ctx_.settings.UpdatingControls);
            ac->setValue(false);  // ac_Click clears AC; its write waits for ours
        }
    }
    // The word stays; the rate follows chopping.
    Text2->setText(ToQt(RateText(ClockInBox(), link::FilterWordOf(ctx_.settings.FilterRegValue), chop->value(), "0.00")));
    WriteFilterRegister();
}

void filter::skip_Click() {
    const bool both = chop->value() && skip->value();
    if (!EntriesUsable(skip, true)) return;
    if (both) {
        if (!ResolveChopSkip()) return;
    } else if (skip->value()) {
        Change(kSkipOn);
    } else {
        Change(0, kSkipOff);
    }
    // The rate stays; the word is found again under the new limits.
    ApplyUpdateRate();
    WriteFilterRegister();
}

void filter::fast_Click() {
    if (fast->value()) Change(kFastOn);
    else Change(0, kFastOff);
    WriteFilterRegister();
}

void filter::ac_Click() {
    if (!ac->value()) {
        Change(0, kAcOff);
    } else if (chop->value()) {
        Change(kAcOn);
    } else {
        // Chopping goes on first, which may ask about SKIP and so need the rate.
        if (!EntriesUsable(ac, skip->value())) return;
        Updating updating(ctx_.settings.UpdatingControls);
        ctx_.messages.exclamation(kChopForAcMessage);
        if (programEnding()) return;
        chop->setValue(true);
        if (programEnding()) return;
        if (chop->value()) Change(kAcOn);
        else ac->setValue(false);
    }
    WriteFilterRegister();
}

void filter::delay_KeyPress(int& keyAscii) {
    if (keyAscii != 13) return;
    link::SharedSettings& s = ctx_.settings;
    if (delay->text().isEmpty()) {
        s.FilterDelayValue = 0;
        delay->setText(QStringLiteral("0"));
    } else {
        const auto number = platform::ParseNumber(delay->str());
        const auto value = number ? platform::ToInt16(*number) : std::nullopt;
        if (!value) {
            delay->clear();
            delay->setFocus();
            return;
        }
        s.FilterDelayValue = *value;
    }
    SetFilterValue((s.FilterRegValue & kDelayOff) | (s.FilterDelayValue & kDelay));
    WriteFilterRegister();
}

void filter::Text2_KeyPress(int& keyAscii) {
    const auto rate = platform::ParseNumber(Text2->str());
    if (!rate) {
        Text2->clear();  // the key then goes into the empty box
        Text2->setFocus();
        return;
    }
    if (*rate < 1) Text2->setText(QStringLiteral("1"));
    if (keyAscii != 13) return;
    if (!platform::ToInt32(platform::ParseNumber(Text2->str()).value_or(0.0))) {
        Text2->clear();
        Text2->setFocus();
        return;
    }
    if (!MasterClock()) {
        mclk->clear();
        mclk->setFocus();
        return;
    }
    ApplyUpdateRate();
    WriteFilterRegister();
    RefreshFilterDisplay();
}

void filter::mclk_KeyPress(int& keyAscii) {
    if (keyAscii != 13) return;
    auto refuse = [this] {
        mclk->clear();
        mclk->setFocus();
    };
    const auto number = platform::ParseNumber(mclk->str());
    if (!number) return refuse();
    const auto hz = static_cast<float>(*number);
    mclk->setText(ToQt(platform::Format(hz, "0.00")));
    const auto clock = platform::ToInt32(hz);
    if (!clock || *clock <= 0) return refuse();
    ctx_.settings.MasterClockHz = *clock;
    const int32_t word = link::FilterWordOf(ctx_.settings.FilterRegValue);
    if (word == 0) return refuse();
    // Nothing is written: the word stays, the rate it gives changes.
    Text2->setText(ToQt(RateText(ClockInBox(), word, chop->value(), "0.00")));
}

void filter::Command3D1_Click() { unload(); }

} // namespace qb::registers
