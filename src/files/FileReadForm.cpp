#include "files/FileReadForm.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "files/CodesCsvFile.h"
#include "files/FileChoices.h"
#include "platform/widgets/FormWidgets.h"

namespace qb::files {

using platform::named;

namespace {

constexpr int kCommandWidth = 110;
constexpr int kButtonsGap = 6;  // above the buttons

} // namespace

std::string LoadFailureText(const std::string& fileName, const ReadError& error, CodeForm form) {
    const std::string file = "The file " + fileName;
    if (error.kind == ReadFailure::TooManyLines)
        return file + " holds more than " + std::to_string(kMaxCodeLines) + " codes and was not read.";

    const std::string line = "line " + std::to_string(error.line);
    std::string reason;
    switch (error.kind) {
    case ReadFailure::Unreadable:
        reason = error.detail.empty() ? "it cannot be opened" : error.detail;
        break;
    case ReadFailure::Empty:
        reason = "it is empty";
        break;
    case ReadFailure::NotANumber:
        if (form == CodeForm::Hex) {
            reason = line + " is not a hexadecimal code of 1 to 8 digits";
            if (!error.detail.empty()) reason += " (" + error.detail + ")";
        } else {
            reason = line + " is not a decimal number";
        }
        break;
    case ReadFailure::OutOfRange:
        reason = line + " holds a number beyond the 32-bit range";
        break;
    case ReadFailure::LineTooLong:
        reason = line + " is longer than " + std::to_string(kMaxLineLength) + " characters";
        break;
    case ReadFailure::TooManyLines:
        break;
    }
    return file + " could not be read: " + reason + ".";
}

FileReadForm::FileReadForm(const link::Context& ctx, QWidget* parent) : Form(parent), ctx_(ctx) {
    setCaption("QB4160 File Read");
    QGroupBox* Frame1 = platform::TitleFrame("Frame1", "ReadFLable", tr("File Read"));
    makeFileFrame();
    QHBoxLayout* buttonRow = makeButtons();
    layOut(Frame1, buttonRow);
    connectHandlers();
}

// The lists, starting on the current directory, with the pattern above the file list and the
// file form below it.
void FileReadForm::makeFileFrame() {
    SearchText = new platform::TextBox("SearchText", QStringLiteral("*.*"));
    FileReadHexOpt = new platform::OptionButton("FileReadHexOpt", tr("Hex"));
    FileReadDecOpt = new platform::OptionButton("FileReadDecOpt", tr("Dec"));
    Label1 = named(new QLabel(tr("Search Criteria :")), "Label1");
    Label1->setBuddy(SearchText);
    auto* patternRow = new QHBoxLayout;
    patternRow->addWidget(Label1);
    patternRow->addWidget(SearchText, 1);
    auto* formatRow = new QHBoxLayout;
    formatRow->addWidget(FileReadDecOpt);
    formatRow->addWidget(FileReadHexOpt);
    formatRow->addStretch(1);

    Frame2 = new platform::FolderBrowser({"Frame2", "ReadDrive", "ReadDir", "ListRead"}, tr("Select data file"),
                                         patternRow, formatRow);
    ReadDrive = Frame2->drives();
    ReadDir = Frame2->folders();
    ListRead = Frame2->files();
}

QHBoxLayout* FileReadForm::makeButtons() {
    ReadMenuCommand = platform::CommandButton("ReadMenuCommand", tr("Main Menu"), kCommandWidth);
    ReadFileCommand = platform::CommandButton("ReadFileCommand", tr("Read File"), kCommandWidth);
    return platform::ButtonRow(ReadMenuCommand, ReadFileCommand);
}

void FileReadForm::layOut(QGroupBox* Frame1, QHBoxLayout* buttonRow) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(Frame2, 1);
    layout->addSpacing(kButtonsGap);
    layout->addLayout(buttonRow);
}

void FileReadForm::connectHandlers() {
    ListRead->onClick([this] { ListRead_Click(); });
    ListRead->onDoubleClick([this] { ListRead_DblClick(); });
    SearchText->onKeyPress([this](int& key) { SearchText_KeyPress(key); });
    connect(ReadFileCommand, &QPushButton::clicked, this, [this] { ReadFileCommand_Click(); });
    connect(ReadMenuCommand, &QPushButton::clicked, this, [this] { ReadMenuCommand_Click(); });
}

void FileReadForm::Form_Load() {
    FileReadDecOpt->setValue(true);
    // The program's own folder becomes current; where it cannot be entered, the current
    // directory stays as it is.
    platform::MakeCurrentDirectory(platform::FileSystemName(QCoreApplication::applicationDirPath()));
    SearchText->setStr("*.*");
    // Where the user last saved or loaded, and in which form, when that is remembered.
    if (RememberedForm(ctx_.preferences) == CodeForm::Hex) FileReadHexOpt->setValue(true);
    if (const auto folder = RememberedFolder(ctx_.preferences)) ReadDir->setPath(*folder);
}

void FileReadForm::ListRead_Click() {
    const std::string pattern = platform::FileSystemName(SearchText->text());
    if (pattern == ListRead->pattern()) return;
    // A new pattern lists the folder again; the file just clicked stays selected when it still
    // matches.
    const std::string selected = ListRead->currentFileName();
    ListRead->setPattern(pattern);
    if (selected.empty()) return;
    const std::vector<std::string> names = ListRead->fileNames();
    for (std::size_t row = 0; row < names.size(); ++row)
        if (names[row] == selected) ListRead->setCurrentRow(static_cast<int>(row));
}

void FileReadForm::ListRead_DblClick() { ReadFileCommand_Click(); }

void FileReadForm::SearchText_KeyPress(int& keyAscii) {
    if (keyAscii != 13) return;
    keyAscii = 0;
    ListRead_Click();
}

void FileReadForm::ReadMenuCommand_Click() { unload(); }

void FileReadForm::ReadFileCommand_Click() {
    platform::MakeCurrentDirectory(ReadDir->path());
    error_ = false;
    const std::string name = ListRead->currentFileName();
    if (name.empty()) {
        error_ = true;
        ctx_.messages.exclamation(kNoFileSelected);
        return;
    }
    LoadCodes(name);
    if (!error_) ctx_.messages.information(kLoaded);
}

void FileReadForm::LoadCodes(const std::string& name) {
    const CodeForm form = FileReadHexOpt->value() ? CodeForm::Hex : CodeForm::Decimal;
    // The name as listed, in the folder it was listed from (the current directory, unless that
    // could not be entered).
    const std::string folder = ListRead->path();
    const std::string path = folder == "/" ? "/" + name : folder + "/" + name;
    // The whole file is read and converted before the buffer is touched. The program's own CSV
    // files are known by their first line and bring the conditions of their codes.
    if (IsCodesCsvFile(path)) {
        LoadCsv(name, path);
    } else {
        const ReadResult result = ReadCodesFile(path, form);
        if (!result.ok())
            fail(LoadFailureText(name, result.error(), form));
        else if (!LoadIntoBuffer(ctx_.settings, *result))
            fail(LoadFailureText(name, ReadError{ReadFailure::TooManyLines, 0, {}}, form));
    }
    if (!error_) RememberFileChoice(ctx_.preferences, form, folder);
}

void FileReadForm::LoadCsv(const std::string& name, const std::string& path) {
    const platform::Result<CsvCapture> capture = ReadCodesCsvFile(path);
    if (!capture.ok())
        fail("The file " + name + " could not be read: " + capture.error() + ".");
    else if (capture->codes.size() > kMaxCodeLines || !LoadIntoBuffer(ctx_.settings, *capture))
        fail(LoadFailureText(name, ReadError{ReadFailure::TooManyLines, 0, {}}, CodeForm::Decimal) +
             " The headless analysis (--analyse) takes it whole.");
}

void FileReadForm::fail(const std::string& message) {
    error_ = true;
    ctx_.messages.exclamation(message);
}

} // namespace qb::files
