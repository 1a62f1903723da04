#include "files/WriteFileForm.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "files/FileChoices.h"
#include "platform/widgets/FormWidgets.h"

namespace qb::files {

using platform::named;

bool MakeCurrentDirectory(const std::string& path) {
    return !path.empty() && ::chdir(path.c_str()) == 0;
}

std::string StartDirectoryFor(const platform::DriveList& drives, const std::string& drive) {
    // The current directory counts only when it is on that very drive: every folder lies under
    // "/", but one on another mount belongs to that mount's drive.
    const std::string here = platform::DriveList::startDirectory(drive);
    return drives.driveOf(here) == drive ? here : drive;
}

std::string FileSystemName(const QString& typed) { return QFile::encodeName(typed).toStdString(); }


WriteFileForm::WriteFileForm(const link::Context& ctx, QWidget* parent) : Form(parent), ctx_(ctx) {
    setCaption("QB4160 Write to File");

    // Title
    Frame1 = named(new QGroupBox, "Frame1");
    ReadFLable = platform::TitleLabel("ReadFLable", QStringLiteral("Write to File"));
    auto* titleLayout = new QVBoxLayout(Frame1);
    titleLayout->addWidget(ReadFLable);

    // Drive, directory and file lists
    Frame2 = named(new QGroupBox(tr("Select Directory")), "Frame2");
    WriteDrive = new platform::DriveList("WriteDrive");
    WriteDir = new platform::DirList("WriteDir");
    WriteList = new platform::FileList("WriteList");
    WriteDir->setMinimumSize(240, 220);
    WriteList->setMinimumSize(200, 220);
    auto* listsLayout = new QGridLayout(Frame2);
    listsLayout->addWidget(WriteDrive, 0, 0);
    listsLayout->addWidget(WriteDir, 1, 0);
    listsLayout->addWidget(WriteList, 0, 1, 2, 1);
    listsLayout->setColumnStretch(0, 1);
    listsLayout->setColumnStretch(1, 1);

    // Format
    Frame3 = named(new QGroupBox, "Frame3");
    DecimalOpt = new platform::OptionButton("DecimalOpt", tr("Decimal"));
    HexOpt = new platform::OptionButton("HexOpt", tr("Hex"));
    auto* formatLayout = new QHBoxLayout(Frame3);
    formatLayout->addWidget(DecimalOpt);
    formatLayout->addWidget(HexOpt);

    // Name
    FileName = new platform::TextBox("FileName", QString::fromUtf8(kDefaultName));
    FileName->setMinimumWidth(220);
    WriteSaveLable = named(new QLabel(tr("Save file as:")), "WriteSaveLable");
    WriteSaveLable->setBuddy(FileName);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(WriteSaveLable);
    nameRow->addWidget(FileName, 1);
    nameRow->addSpacing(12);
    nameRow->addWidget(Frame3);

    // Buttons
    WriteMenuCommand = named(new QPushButton(tr("Main Menu")), "WriteMenuCommand");
    WriteFileCommand = named(new QPushButton(tr("Save File")), "WriteFileCommand");
    for (QPushButton* b : {WriteMenuCommand, WriteFileCommand}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(110);
    }
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(WriteMenuCommand);
    buttonRow->addStretch(1);
    buttonRow->addWidget(WriteFileCommand);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(Frame2, 1);
    layout->addLayout(nameRow);
    layout->addSpacing(6);
    layout->addLayout(buttonRow);

    // The lists start on the current directory.
    WriteList->setPath(WriteDir->path());
    followDrive();

    WriteDrive->onChange([this] { WriteDrive_Change(); });
    WriteDir->onChange([this] { WriteDir_Change(); });
    WriteDir->onKeyPress([this](int& key) { WriteDir_KeyPress(key); });
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

void WriteFileForm::followDrive() {
    syncingDrive_ = true;
    WriteDrive->setDrive(WriteDir->path());
    syncingDrive_ = false;
}

void WriteFileForm::WriteDrive_Change() {
    if (syncingDrive_) return;
    const std::string drive = WriteDrive->drive();
    if (!WriteDir->setPath(StartDirectoryFor(*WriteDrive, drive))) {
        followDrive();  // the drive cannot be shown: back to the one the directory list is on
        return;
    }
    // The directory list's change handler made its path current; a path that did not change
    // (already current) needs nothing more.
    MakeCurrentDirectory(WriteDir->path());
}

void WriteFileForm::WriteDir_Change() {
    WriteList->setPath(WriteDir->path());
    MakeCurrentDirectory(WriteDir->path());
    followDrive();
}

void WriteFileForm::WriteDir_KeyPress(int& /*keyAscii*/) {
    // Any key opens the entry under the cursor.
    WriteDir->openCurrent();
    MakeCurrentDirectory(WriteDir->path());
}

void WriteFileForm::WriteList_Click() { WriteDir_Change(); }

void WriteFileForm::WriteMenuCommand_Click() { unload(); }

void WriteFileForm::WriteFileCommand_Click() {
    error_ = false;
    WriteCodes();
    // The new name shows in the list when it landed in the listed folder.
    WriteList->refresh();
    if (error_)
        ctx_.messages.exclamation(kSaveFailed);
    else
        ctx_.messages.information(kSaved);
}

void WriteFileForm::WriteCodes() {
    const CodeForm form = HexOpt->value() ? CodeForm::Hex : CodeForm::Decimal;
    const std::string name = FileSystemName(FileName->text());
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
