#include "files/FileReadForm.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "files/FileChoices.h"
#include "files/WriteFileForm.h"
#include "platform/widgets/FormWidgets.h"

namespace qb::files {

using platform::named;

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

    // Title
    Frame1 = named(new QGroupBox, "Frame1");
    ReadFLable = platform::TitleLabel("ReadFLable", tr("File Read"));
    auto* titleLayout = new QVBoxLayout(Frame1);
    titleLayout->addWidget(ReadFLable);

    // Lists, pattern and format, in one frame
    Frame2 = named(new QGroupBox(tr("Select data file")), "Frame2");
    ListRead = new platform::FileList("ListRead");
    ReadDir = new platform::DirList("ReadDir");
    ReadDrive = new platform::DriveList("ReadDrive");
    SearchText = new platform::TextBox("SearchText", QStringLiteral("*.*"));
    FileReadHexOpt = new platform::OptionButton("FileReadHexOpt", tr("Hex"));
    FileReadDecOpt = new platform::OptionButton("FileReadDecOpt", tr("Dec"));
    Label1 = named(new QLabel(tr("Search Criteria :")), "Label1");
    Label1->setBuddy(SearchText);
    ReadDir->setMinimumSize(240, 220);
    ListRead->setMinimumSize(200, 220);

    auto* patternRow = new QHBoxLayout;
    patternRow->addWidget(Label1);
    patternRow->addWidget(SearchText, 1);
    auto* formatRow = new QHBoxLayout;
    formatRow->addWidget(FileReadDecOpt);
    formatRow->addWidget(FileReadHexOpt);
    formatRow->addStretch(1);

    auto* grid = new QGridLayout(Frame2);
    grid->addWidget(ReadDrive, 0, 0);
    grid->addLayout(patternRow, 0, 1);
    grid->addWidget(ReadDir, 1, 0);
    grid->addWidget(ListRead, 1, 1);
    grid->addLayout(formatRow, 2, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    // Buttons
    ReadMenuCommand = named(new QPushButton(tr("Main Menu")), "ReadMenuCommand");
    ReadFileCommand = named(new QPushButton(tr("Read File")), "ReadFileCommand");
    for (QPushButton* b : {ReadMenuCommand, ReadFileCommand}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(110);
    }
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(ReadMenuCommand);
    buttonRow->addStretch(1);
    buttonRow->addWidget(ReadFileCommand);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(Frame2, 1);
    layout->addSpacing(6);
    layout->addLayout(buttonRow);

    // The lists start on the current directory.
    ListRead->setPath(ReadDir->path());
    followDrive();

    ListRead->onClick([this] { ListRead_Click(); });
    ListRead->onDoubleClick([this] { ListRead_DblClick(); });
    SearchText->onKeyPress([this](int& key) { SearchText_KeyPress(key); });
    ReadDir->onChange([this] { ReadDir_Change(); });
    ReadDir->onKeyPress([this](int& key) { ReadDir_KeyPress(key); });
    ReadDrive->onChange([this] { ReadDrive_Change(); });
    connect(ReadFileCommand, &QPushButton::clicked, this, [this] { ReadFileCommand_Click(); });
    connect(ReadMenuCommand, &QPushButton::clicked, this, [this] { ReadMenuCommand_Click(); });
}

void FileReadForm::Form_Load() {
    FileReadDecOpt->setValue(true);
    // The program's own folder becomes current; where it cannot be entered, the current
    // directory stays as it is.
    MakeCurrentDirectory(FileSystemName(QCoreApplication::applicationDirPath()));
    SearchText->setStr("*.*");
    // Where the user last saved or loaded, and in which form, when that is remembered.
    if (RememberedForm(ctx_.preferences) == CodeForm::Hex) FileReadHexOpt->setValue(true);
    if (const auto folder = RememberedFolder(ctx_.preferences)) ReadDir->setPath(*folder);
}

void FileReadForm::followDrive() {
    syncingDrive_ = true;
    ReadDrive->setDrive(ReadDir->path());
    syncingDrive_ = false;
}

void FileReadForm::ListRead_Click() {
    const std::string pattern = FileSystemName(SearchText->text());
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

void FileReadForm::ReadDir_Change() {
    ListRead->setPath(ReadDir->path());
    MakeCurrentDirectory(ReadDir->path());
    followDrive();
}

void FileReadForm::ReadDir_KeyPress(int& /*keyAscii*/) {
    // Any key opens the entry under the cursor.
    ReadDir->openCurrent();
    MakeCurrentDirectory(ReadDir->path());
}

void FileReadForm::ReadDrive_Change() {
    if (syncingDrive_) return;
    if (!ReadDir->setPath(StartDirectoryFor(*ReadDrive, ReadDrive->drive()))) {
        followDrive();  // the drive cannot be shown: back to the one the directory list is on
        return;
    }
    MakeCurrentDirectory(ReadDir->path());
}

void FileReadForm::ReadMenuCommand_Click() { unload(); }

void FileReadForm::ReadFileCommand_Click() {
    MakeCurrentDirectory(ReadDir->path());
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
    // The whole file is read and converted before the buffer is touched.
    const ReadResult result = ReadCodesFile(path, form);
    if (!result.ok()) {
        error_ = true;
        ctx_.messages.exclamation(LoadFailureText(name, result.error(), form));
        return;
    }
    if (!LoadIntoBuffer(ctx_.settings, *result)) {
        error_ = true;
        ctx_.messages.exclamation(LoadFailureText(name, ReadError{ReadFailure::TooManyLines, 0, {}}, form));
        return;
    }
    RememberFileChoice(ctx_.preferences, form, folder);
}

} // namespace qb::files
