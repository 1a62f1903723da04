#pragma once
// WriteFileForm: saves the code buffer (Codes(1..CodesRead)) to a text file, one code per line,
// in decimal or hexadecimal. The buffer is only read.
//
// The drive, directory and file lists (platform/widgets/FolderBrowser.h) move the process's
// current directory with them, so a bare name typed into FileName lands in the folder last shown.
// A file of that name already there is replaced only after the user says so. A save never
// destroys the file it replaces: the content goes to a temporary file that is moved over the
// target only once it is complete (DataFile's SaveFileSafely).
#include <string>

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "files/DataFile.h"
#include "link/Context.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FolderBrowser.h"
#include "platform/widgets/Form.h"

namespace qb::files {

// Asked before a save replaces the file `name` (as typed).
inline std::string ReplaceQuestion(const std::string& name) {
    return name + " already exists. Do you want to replace it?";
}

class WriteFileForm : public platform::Form {
    Q_OBJECT
public:
    explicit WriteFileForm(const link::Context& ctx, QWidget* parent = nullptr);

    // Handlers, named after their control and event.
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
    // The window, built top-down: a frame each, the name row, the buttons, their layout, and the
    // handlers.
    void makeFolderFrame();
    QHBoxLayout* makeNameRow();
    QHBoxLayout* makeButtons();
    void layOut(QGroupBox* Frame1, QHBoxLayout* nameRow, QHBoxLayout* buttonRow);
    void connectHandlers();

    // Writes the buffer, in the chosen form, to the file `name`.
    void WriteCodes(const std::string& name);

    const link::Context& ctx_;
    bool error_ = false;

    platform::FolderBrowser* Frame2;
    QGroupBox* Frame3;
    platform::OptionButton* DecimalOpt;
    platform::OptionButton* HexOpt;
    platform::DriveList* WriteDrive;
    platform::DirList* WriteDir;
    platform::FileList* WriteList;
    platform::TextBox* FileName;
    QLabel* WriteSaveLable;
    QPushButton* WriteMenuCommand;
    QPushButton* WriteFileCommand;
};

} // namespace qb::files
