#include "files/WriteFileForm.h"

#include <filesystem>
#include <system_error>

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "files/FileChoices.h"
#include "platform/widgets/FormWidgets.h"

namespace qb::files {

using platform::named;

namespace {

constexpr int kCommandWidth = 110;
constexpr int kNameLeast = 220;      // the file name box
constexpr int kNameFormGap = 12;     // between the name and its form
constexpr int kButtonsGap = 6;       // above the buttons

} // namespace

WriteFileForm::WriteFileForm(const link::Context& ctx, QWidget* parent) : Form(parent), ctx_(ctx) {
    setCaption("QB4160 Write to File");
    QGroupBox* Frame1 = platform::TitleFrame("Frame1", "ReadFLable", QStringLiteral("Write to File"));
    makeFolderFrame();
    QHBoxLayout* nameRow = makeNameRow();
    QHBoxLayout* buttonRow = makeButtons();
    layOut(Frame1, nameRow, buttonRow);
    connectHandlers();
}

// The drive, directory and file lists, starting on the current directory.
void WriteFileForm::makeFolderFrame() {
    Frame2 = new platform::FolderBrowser({"Frame2", "WriteDrive", "WriteDir", "WriteList"}, tr("Select Directory"));
    WriteDrive = Frame2->drives();
    WriteDir = Frame2->folders();
    WriteList = Frame2->files();
}

// The file's name, and its form beside it.
QHBoxLayout* WriteFileForm::makeNameRow() {
    Frame3 = named(new QGroupBox, "Frame3");
    DecimalOpt = new platform::OptionButton("DecimalOpt", tr("Decimal"));
    HexOpt = new platform::OptionButton("HexOpt", tr("Hex"));
    auto* formatLayout = new QHBoxLayout(Frame3);
    formatLayout->addWidget(DecimalOpt);
    formatLayout->addWidget(HexOpt);

    FileName = new platform::TextBox("FileName", QString::fromUtf8(kDefaultName));
    FileName->setMinimumWidth(kNameLeast);
    WriteSaveLable = named(new QLabel(tr("Save file as:")), "WriteSaveLable");
    WriteSaveLable->setBuddy(FileName);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(WriteSaveLable);
    nameRow->addWidget(FileName, 1);
    nameRow->addSpacing(kNameFormGap);
    nameRow->addWidget(Frame3);
    return nameRow;
}

QHBoxLayout* WriteFileForm::makeButtons() {
    WriteMenuCommand = platform::CommandButton("WriteMenuCommand", tr("Main Menu"), kCommandWidth);
    WriteFileCommand = platform::CommandButton("WriteFileCommand", tr("Save File"), kCommandWidth);
    return platform::ButtonRow(WriteMenuCommand, WriteFileCommand);
}

void WriteFileForm::layOut(QGroupBox* Frame1, QHBoxLayout* nameRow, QHBoxLayout* buttonRow) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(Frame2, 1);
    layout->addLayout(nameRow);
    layout->addSpacing(kButtonsGap);
    layout->addLayout(buttonRow);
}

void WriteFileForm::connectHandlers() {
    WriteList->onClick([this] { WriteList_Click(); });
    connect(WriteFileCommand, &QPushButton::clicked, this, [this] { WriteFileCommand_Click(); });
    connect(WriteMenuCommand, &QPushButton::clicked, this, [this] { WriteMenuCommand_Click(); });
}

void WriteFileForm::Form_Load() {
    DecimalOpt->setValue(true);
    FileName->setStr(kDefaultName);
    // Where the user last saved or loaded, and in which form, when that is remembered.
    if (RememberedForm(ctx_.preferences) == CodeForm::Hex) HexOpt->setValue(true);
    if (const auto folder = RememberedFolder(ctx_.preferences)) WriteDir->setPath(*folder);
}

void WriteFileForm::WriteList_Click() { Frame2->followFolder(); }

void WriteFileForm::WriteMenuCommand_Click() { unload(); }

void WriteFileForm::WriteFileCommand_Click() {
    error_ = false;
    const std::string name = platform::FileSystemName(FileName->text());
    std::error_code ec;
    if (std::filesystem::exists(name, ec) && !std::filesystem::is_directory(name, ec) &&
        !ctx_.messages.askYesNo(ReplaceQuestion(name)))
        return;  // the file stays as it was
    WriteCodes(name);
    // The new name shows in the list when it landed in the listed folder.
    WriteList->refresh();
    if (error_)
        ctx_.messages.exclamation(kSaveFailed);
    else
        ctx_.messages.information(kSaved);
}

void WriteFileForm::WriteCodes(const std::string& name) {
    const CodeForm form = HexOpt->value() ? CodeForm::Hex : CodeForm::Decimal;
    // A name of blanks only names nothing the user could find again.
    if (name.find_first_not_of(' ') == std::string::npos) {
        error_ = true;
        return;
    }
    const auto content = EncodeCodes(ctx_.settings.Codes, ctx_.settings.CodesRead, form);
    if (!content.ok()) {
        error_ = true;
        return;
    }
    // The file is written in full and closed before it replaces the old one; on any failure
    // the old file stays as it was.
    if (!SaveFileSafely(name, *content).ok()) {
        error_ = true;
        return;
    }
    std::error_code ec;
    RememberFileChoice(ctx_.preferences, form, std::filesystem::absolute(name, ec).parent_path().string());
}

} // namespace qb::files
