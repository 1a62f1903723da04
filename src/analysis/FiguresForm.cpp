#include "analysis/FiguresForm.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "analysis/ResolutionFigures.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/widgets/QtText.h"

namespace qb::analysis {

using platform::named;

namespace {

constexpr int kValueWidth = 200;

} // namespace

FiguresForm::FiguresForm(const link::Context& ctx, QWidget* parent) : Form(parent) {
    setCaption("QB4160 Noise Figures");
    // The figures of the buffer as it is when the window opens.
    const ResolutionFigures figures = ComputeResolutionFigures(ctx.settings);
    text_ = FiguresText(figures);

    auto* title = platform::TitleLabel("lblFiguresTitle", QString::fromUtf8(kFiguresTitle));
    auto* frame = named(new QGroupBox, "FiguresFrame");
    auto* grid = new QGridLayout(frame);
    grid->setColumnStretch(0, 1);
    const std::vector<ResolutionFigures::Entry> entries = figures.Entries();
    const std::vector<FigureRow> rows = FigureRows(figures);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string key(entries[i].key);
        const QString caption = platform::ToQt(rows[i].caption);
        auto* label = platform::CaptionLabel((key + "_caption").c_str(), caption);
        QLabel* value = platform::ReadoutLabel(key.c_str(), caption, platform::ToQt(rows[i].text), kValueWidth);
        label->setBuddy(value);
        grid->addWidget(label, static_cast<int>(i), 0);
        grid->addWidget(value, static_cast<int>(i), 1);
    }

    CopyCommand = platform::CommandButton("CopyCommand", tr("Copy"));
    Command3D1 = platform::CommandButton("Command3D1", tr("Back..."));
    connect(CopyCommand, &QPushButton::clicked, this, [this] { CopyCommand_Click(); });
    connect(Command3D1, &QPushButton::clicked, this, [this] { Command3D1_Click(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(frame);
    layout->addLayout(platform::ButtonRow(CopyCommand, Command3D1));
}

void FiguresForm::CopyCommand_Click() {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(platform::ToQt(text_));
}

void FiguresForm::Command3D1_Click() { unload(); }

} // namespace qb::analysis
