#include "registers/Mode1.h"

#include <functional>

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "platform/widgets/AnyKeyStops.h"
#include "platform/widgets/BitRow.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/widgets/QtText.h"
#include "platform/widgets/Sizes.h"
#include "platform/base/Numbers.h"
#include "registers/ModeRegister.h"

namespace qb::registers {

using platform::CheckBox;
using platform::named;
using platform::OptionButton;
using platform::KeepPlaceWhenHidden;
using platform::ToQt;

namespace {

constexpr QMargins kColumnMargins{10, 6, 10, 8};    // around a frame's column of controls
constexpr int kColumnSpacing = 4;
constexpr QMargins kRegisterMargins{12, 6, 12, 6};  // around the register's bits and value
constexpr int kRangeMark = 30;       // an option's mark and gap beside its caption
constexpr int kLevelPadding = 6;     // beside the widest output level text
constexpr int kLevelIndent = 18;     // the output boxes below the enable box
constexpr int kLevelGap = 4;         // between an output box and its level
constexpr int kValuePadding = 16;    // beside the widest register value
constexpr int kBackWidth = 110;
constexpr int kFrameGap = 10;        // between frames side by side, and around the frames' grid
constexpr int kRowGap = 8;           // between the rows of frames

QGroupBox* frame(const char* name, const char* caption) {
    return named(new QGroupBox(QString::fromUtf8(caption)), name);
}

// A column of controls inside `box`.
QVBoxLayout* column(QGroupBox* box) {
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(kColumnMargins);
    layout->setSpacing(kColumnSpacing);
    return layout;
}

// A column of options in `box`, one per item (its control name and caption), the i-th running
// `click(i)`.
template <class Item, std::size_t N>
QVBoxLayout* optionColumn(QGroupBox* box, const std::array<Item, N>& items, std::array<OptionButton*, N>& buttons,
                          const std::function<void(int)>& click) {
    auto* layout = column(box);
    for (int i = 0; i < static_cast<int>(N); ++i) {
        buttons[i] = new OptionButton(items[i].name, QString::fromUtf8(items[i].caption), box);
        layout->addWidget(buttons[i]);
        buttons[i]->onClick([click, i] { click(i); });
    }
    return layout;
}

// Two options in a frame, the first above the second.
QGroupBox* optionPair(const char* frameName, const char* caption, OptionButton*& first, const char* firstName,
                      const char* firstCaption, OptionButton*& second, const char* secondName, const char* secondCaption) {
    auto* box = frame(frameName, caption);
    first = new OptionButton(firstName, QString::fromUtf8(firstCaption), box);
    second = new OptionButton(secondName, QString::fromUtf8(secondCaption), box);
    auto* layout = column(box);
    layout->addWidget(first);
    layout->addWidget(second);
    return box;
}

} // namespace

Mode1::Mode1(const link::Context& ctx, QWidget* parent)
    : Form(parent), ctx_(link::WithStopHook(ctx, [this] { return calibrationStopAsked(); })),
      settings_(ctx.settings), reg_(ctx) {
    setCaption(kModeCaption);
    Frame2 = platform::TitleFrame("Frame2", "Label3", QStringLiteral("Mode Register Options"));
    makeModesFrame();
    makeRangesFrame();
    makeChannelsFrame();
    makeOptionPairs();
    makeCheckFrames();
    makeOutputsFrame();
    makeRegisterFrames();
    makeCalibratingNotice();
    Command3D1 = platform::CommandButton("Command3D1", QStringLiteral("Back..."), kBackWidth);
    connect(Command3D1, &QPushButton::clicked, this, [this] { unload(); });
    // While a calibration's waits run, any key ends them.
    new platform::AnyKeyStops(this, [this] { return calibrating_; }, [this] { stopAsked_ = true; });
    layOut();
}

void Mode1::makeModesFrame() {
    Frame12 = frame("Frame12", "Mode Of Operation");
    optionColumn(Frame12, kOperatingModes, md, [this](int n) { md_Click(n); })->addStretch();
    // Looking through the modes with the arrow keys must not start one (a calibration overwrites
    // the offset or gain register): Space or a click selects.
    OptionButton::arrowsMoveFocusOnly(md);
}

void Mode1::makeRangesFrame() {
    Frame1 = frame("Frame1", "Input Range");
    auto* ranges = column(Frame1);
    const int rangeWidth = fontMetrics().horizontalAdvance(QStringLiteral("-80mV to +80mV")) + kRangeMark;
    for (int i = 0; i < 4; ++i) {
        const std::string name = "range" + std::to_string(i + 1);
        range[i] = new OptionButton(name.c_str(), {}, Frame1);
        range[i]->setMinimumWidth(rangeWidth);
        ranges->addWidget(range[i]);
        range[i]->onClick([this, i] { range_Click(i); });
    }
    showRangeCaptions(false);
}

void Mode1::makeChannelsFrame() {
    Frame8 = frame("Frame8", "Channel Selection");
    optionColumn(Frame8, kChannels, ch, [this](int i) { ch_Click(i); });
}

// Polarity, reference and word length: two options each.
void Mode1::makeOptionPairs() {
    Frame7 = optionPair("Frame7", "Polarity", unipolar, "unipolar", "Unipolar", bipolar, "bipolar", "Bipolar");
    Frame6 = optionPair("Frame6", "Reference", v5, "v5", "5V", v2, "v2", "2.5V");
    Frame5 = optionPair("Frame5", "Word Length", bit24, "bit24", "24 Bit Word", bit16, "bit16", "16 Bit Word");
    unipolar->onClick([this] { polarity_Click(true); });
    bipolar->onClick([this] { polarity_Click(false); });
    v5->onClick([this] { reference_Click(true); });
    v2->onClick([this] { reference_Click(false); });
    bit24->onClick([this] { wordLength_Click(true); });
    bit16->onClick([this] { wordLength_Click(false); });
}

// Burn-out current and the clock output: one check box each.
void Mode1::makeCheckFrames() {
    Frame11 = frame("Frame11", "Burn-Out Current");
    Burn = new CheckBox("Burn", QStringLiteral("Burn-Out Enabled"), Frame11);
    column(Frame11)->addWidget(Burn);
    Burn->onClick([this] { Burn_Click(); });

    Frame10 = frame("Frame10", "CLKDIS");
    CLKOUT = new CheckBox("CLKOUT", QStringLiteral("CLKOUT Disabled"), Frame10);
    column(Frame10)->addWidget(CLKOUT);
    CLKOUT->onClick([this] { CLKOUT_Click(); });
}

// The outputs' enable box, and below it the two output boxes. These have no caption of their
// own: the labels beside them say the level; their accessible names say what checking them does.
void Mode1::makeOutputsFrame() {
    Frame9 = frame("Frame9", "Digital O/P Enable");
    den = new CheckBox("den", ToQt(kOutputsDisabledCaption), Frame9);
    den->setMinimumWidth(den->sizeHint().width());  // the longer of its two captions
    d1 = KeepPlaceWhenHidden(new CheckBox("d1", {}, Frame9));
    d2 = KeepPlaceWhenHidden(new CheckBox("d2", {}, Frame9));
    d1->setAccessibleName(QStringLiteral("D0 High"));
    d2->setAccessibleName(QStringLiteral("D1 High"));
    Label2 = platform::ValueLabel("Label2", QStringLiteral("Output D0"));
    Label5 = platform::ValueLabel("Label5", QStringLiteral("Output D1"));
    const int levelWidth = fontMetrics().horizontalAdvance(QStringLiteral("D0 is High")) + kLevelPadding;
    for (QLabel* l : {Label2, Label5}) {
        l->setMinimumWidth(levelWidth);
        l->setMinimumHeight(d1->sizeHint().height());
    }
    Label2->setBuddy(d1);
    Label5->setBuddy(d2);
    auto* outputs = column(Frame9);
    outputs->addWidget(den);
    auto* levels = new QGridLayout;
    levels->setContentsMargins(kLevelIndent, 0, 0, 0);
    levels->setHorizontalSpacing(kLevelGap);
    levels->addWidget(d1, 0, 0);
    levels->addWidget(Label2, 0, 1);
    levels->addWidget(d2, 1, 0);
    levels->addWidget(Label5, 1, 1);
    levels->setColumnStretch(2, 1);
    outputs->addLayout(levels);
    den->onClick([this] { den_Click(); });
    d1->onClick([this] { output_Click(0); });
    d2->onClick([this] { output_Click(1); });
}

// The register in hexadecimal beside its bits: the two boxes of equal height, side by side
// (Frame4 has no caption; a blank one keeps its box level with the captioned Frame3).
void Mode1::makeRegisterFrames() {
    Frame4 = named(new QGroupBox(QStringLiteral(" ")), "Frame4");
    Label4 = platform::ReadoutLabel("Label4", QStringLiteral("Mode register (Hex)"), QStringLiteral("0"),
                                    fontMetrics().horizontalAdvance(QStringLiteral("FFFFFF")) + kValuePadding);
    Frame3 = frame("Frame3", "Current Contents of Mode Register");
    shapes = new platform::BitRow(modebits::kBits, Frame3);
    shapes->setFixedHeight(Label4->sizeHint().height());
    for (auto [box, content] : {std::pair<QGroupBox*, QWidget*>{Frame3, shapes}, {Frame4, Label4}}) {
        auto* inner = new QHBoxLayout(box);
        inner->setContentsMargins(kRegisterMargins);
        inner->addWidget(content, 0, Qt::AlignCenter);
    }
}

// Shown only while an internal calibration runs, in the place of the status line that says how
// the last calibration ended.
void Mode1::makeCalibratingNotice() {
    CalStatus = platform::ValueLabel("CalStatus", QStringLiteral("Calibration"));
    CalStatus->setWordWrap(true);
    CalStatus->setMinimumHeight(2 * CalStatus->fontMetrics().lineSpacing());
    auto* picture = named(new QFrame, "textlabel");
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Label6 = platform::BoldCaptionLabel("Label6", QStringLiteral("QB4160 Calibrating"));
    Label6->setAlignment(Qt::AlignCenter);
    (new QHBoxLayout(picture))->addWidget(Label6);
    picture->hide();
    textlabel = picture;
}

// Modes on the left; range and channel in the middle; polarity, reference and word length on
// the right; the three check-box frames below; the register itself at the bottom. The keyboard
// goes through the frames in this order, then to "Back...".
void Mode1::layOut() {
    auto* middle = new QVBoxLayout;
    middle->addWidget(Frame1);
    middle->addWidget(Frame8);
    auto* right = new QVBoxLayout;
    right->addWidget(Frame7);
    right->addWidget(Frame6);
    right->addWidget(Frame5);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(kFrameGap);
    grid->setVerticalSpacing(kRowGap);
    grid->addWidget(Frame12, 0, 0);
    grid->addLayout(middle, 0, 1);
    grid->addLayout(right, 0, 2);
    grid->addWidget(Frame11, 1, 0);
    grid->addWidget(Frame10, 1, 1);
    grid->addWidget(Frame9, 1, 2, 2, 1);
    auto* register_ = new QHBoxLayout;
    register_->setSpacing(kFrameGap);
    register_->addWidget(Frame3, 1);
    register_->addWidget(Frame4);
    grid->addLayout(register_, 3, 0, 1, 3);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(textlabel);
    bottom->addWidget(CalStatus, 1);
    bottom->addWidget(Command3D1, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(platform::kRegisterWindowMargins);
    layout->setSpacing(kFrameGap);
    layout->addWidget(Frame2);
    layout->addLayout(grid);
    layout->addLayout(bottom);
}

void Mode1::Form_Load() {
    reg_.setReadAddress(link::comms::kModeRead);
    reg_.setWriteAddress(link::comms::kModeWrite);
    reg_.setWordLength(link::comms::kModeBits);
    showWhatTheChipHolds();
    Command3D1->setFocus();
}

void Mode1::Form_QueryUnload(bool& /*cancel*/) {
    // The window closes; a calibration's wait ends at its next question.
    if (calibrating_) stopAsked_ = true;
}

void Mode1::showWhatTheChipHolds() {
    settings_.UpdatingControls = 1;
    // A 16-bit read always fits.
    settings_.ModeRegValue = platform::ToInt32(reg_.ReadReg()).value_or(0);
    Label4->setText(ToQt(platform::Hex(settings_.ModeRegValue)));
    RefreshModeDisplay();
    settings_.UpdatingControls = 0;
}

void Mode1::PaintModeIndicators() { shapes->show(static_cast<uint32_t>(settings_.ModeRegValue)); }

link::WaitOutcome Mode1::WriteModeRegister() {
    if (settings_.UpdatingControls != 0) {
        PaintModeIndicators();
        return link::WaitOutcome::Ready;
    }
    reg_.setRegValue(settings_.ModeRegValue);
    reg_.WriteReg();
    const bool calibrating = calibrationSelected();
    auto readError = [this] {
        settings_.DialogChoice = 1;
        ctx_.messages.exclamation(link::kReadErrorMessage);
        settings_.DialogChoice = 0;
    };
    if (calibrating) {
        const link::WaitOutcome end = WaitForCalibrationEnd(ctx_);
        if (end == link::WaitOutcome::TimedOut) readError();
        if (end != link::WaitOutcome::Ready) return end;
    }
    const int32_t readBack = platform::ToInt32(reg_.ReadReg()).value_or(0);
    if (calibrating)
        settings_.ModeRegValue = readBack;  // the chip's state after the calibration
    else if (readBack != settings_.ModeRegValue)
        readError();
    Label4->setText(ToQt(platform::Hex(readBack)));
    PaintModeIndicators();
    return link::WaitOutcome::Ready;
}

void Mode1::RefreshModeDisplay() {
    const int32_t& value = settings_.ModeRegValue;  // every step reads it afresh
    auto bit = [&value](int32_t mask) { return (value & mask) == mask; };

    for (int b = 15; b >= 0; --b) {
        shapes->shape(16 - b)->setFilled(bit(1 << b));
        if (b == 10) d2->setValue(bit(modebits::kOutputD1));
        if (b == 9) d1->setValue(bit(modebits::kOutputD0));
    }

    for (OptionButton* b : md) b->setValue(false);
    // A calibration the chip still reports is shown without running its handler, which would
    // start it again.
    if (const int mode = ModeNumber(value); IsCalibration(mode)) {
        const QSignalBlocker quiet(md[mode]);
        md[mode]->setChecked(true);
    } else {
        md[mode]->setValue(true);
    }

    const bool uni = bit(modebits::kUnipolar);
    (uni ? bipolar : unipolar)->setValue(false);
    (uni ? unipolar : bipolar)->setValue(true);

    if (bit(modebits::kOutputsEnabled)) {
        den->setValue(true);
        showOutputs(true);
    } else {
        den->setValue(false);
        showOutputs(false);
        // The outputs are off: no level is shown, and the shared setting says so.
        Label2->clear();
        Label5->clear();
        settings_.DigitalOutputsOn = 0;
    }

    const bool bits24 = bit(modebits::kWord24);
    (bits24 ? bit16 : bit24)->setValue(false);
    (bits24 ? bit24 : bit16)->setValue(true);

    (bit(modebits::kRef5V) ? v5 : v2)->setValue(true);

    showRangeCaptions(bit(modebits::kUnipolar));
    const int rangeIndex = (value & modebits::kRange) >> 4;
    range[rangeIndex]->setValue(true);
    settings_.InputRangeMv = kRangesMv[rangeIndex];

    if (bit(modebits::kClockOutDisabled)) CLKOUT->setValue(true);
    if (bit(modebits::kBurnOut)) Burn->setValue(true);

    ch[value & modebits::kChannel]->setValue(true);
}

void Mode1::setField(int32_t field, int32_t bits) {
    settings_.ModeRegValue = WithField(settings_.ModeRegValue, field, bits);
}

bool Mode1::calibrationSelected() const {
    for (int n = 0; n < 8; ++n)
        if (IsCalibration(n) && md[n]->value()) return true;
    return false;
}

void Mode1::showRangeCaptions(bool unipolarRanges) {
    for (int i = 0; i < 4; ++i) range[i]->setText(ToQt(RangeCaption(i, unipolarRanges)));
}

void Mode1::setControlsEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{Frame12, Frame1, Frame8, Frame7, Frame6, Frame5, Frame11,
                                                     Frame10, Frame9, Command3D1})
        w->setEnabled(enabled);
}

void Mode1::showOutputs(bool shown) {
    d1->setVisible(shown);
    d2->setVisible(shown);
}

} // namespace qb::registers
