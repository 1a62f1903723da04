#pragma once
// WriteFileForm: saves the code buffer (Codes(1..CodesRead)) to a text file, one code per line,
// in decimal or hexadecimal. The buffer is only read.
//
// The drive, directory and file lists move the process's current directory with them, so a bare
// name typed into FileName lands in the folder last shown. A save never destroys the file it
// replaces: the content goes to a temporary file that is moved over the target only once it is
// complete (DataFile's SaveFileSafely).
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "files/DataFile.h"
#include "link/Context.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FileLists.h"
#include "platform/widgets/Form.h"

namespace qb::files {

class WriteFileForm : public platform::Form {
    Q_OBJECT
public:
    explicit WriteFileForm(const link::Context& ctx, QWidget* parent = nullptr);

    // Handlers, named after their control and event.
    void WriteDrive_Change();
    void WriteDir_Change();
    void WriteDir_KeyPress(int& keyAscii);
    void WriteList_Click();
    void WriteFileCommand_Click();
    void WriteMenuCommand_Click();

    // True when the last save failed (cleared at the start of every save).
    bool errorFlag() const { return error_; }

    static constexpr const char* kDefaultName = "Default.dat";
    static constexpr const char* kSaved = "File successfully created";
    static constexpr const char* kSaveFailed = "Error occured while trying to create File.";

protected:
    void Form_Load() override;

private:
    // Writes the buffer, in the chosen form, to the file named by FileName.
    void WriteCodes();
    // Keeps WriteDrive on the drive that holds WriteDir's path, without running its handler.
    void followDrive();

    const link::Context& ctx_;
    bool error_ = false;
    bool syncingDrive_ = false;

    QGroupBox* Frame2;
    QGroupBox* Frame3;
    platform::OptionButton* DecimalOpt;
    platform::OptionButton* HexOpt;
    platform::DriveList* WriteDrive;
    platform::DirList* WriteDir;
    platform::FileList* WriteList;
    platform::TextBox* FileName;
    QLabel* WriteSaveLable;
    QGroupBox* Frame1;
    QLabel* ReadFLable;
    QPushButton* WriteMenuCommand;
    QPushButton* WriteFileCommand;
};

// Shared by both file windows: makes `path` the process's current directory; false when it
// cannot be entered (the current directory is then unchanged).
bool MakeCurrentDirectory(const std::string& path);

// Where a drive list should take its directory list for `drive`: the current directory when
// that lies on the drive, otherwise the drive's root.
std::string StartDirectoryFor(const platform::DriveList& drives, const std::string& drive);

// A typed file name as the bytes the file system uses (local encoding, UTF-8 on Linux).
std::string FileSystemName(const QString& typed);

} // namespace qb::files
