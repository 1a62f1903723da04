#pragma once
// FileReadForm: loads a data file (one code per line, decimal or hexadecimal) into the code
// buffer, replacing what it held, so the noise analysis, graph and histogram can work on stored
// data without a board. It loads the program's own CSV files of codes as well, known by their
// first line whatever their name; their codes keep the conditions the CSV header gives.
//
// A load is all or nothing: the whole file is read and converted first, and Codes and CodesRead
// change only when every line converted. A file that cannot be loaded is named in an exclamation
// message with the reason (the first bad line, or more than 5000 codes); the success message is
// shown only after a load that replaced the buffer.
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

// The message for a file that could not be loaded: "The file <name> holds more than 5000 codes
// and was not read.", "The file <name> could not be read: line 7 is not a decimal number.", ...
std::string LoadFailureText(const std::string& fileName, const ReadError& error, CodeForm form);

class FileReadForm : public platform::Form {
    Q_OBJECT
public:
    explicit FileReadForm(const link::Context& ctx, QWidget* parent = nullptr);

    // Handlers, named after their control and event.
    void ListRead_Click();
    void ListRead_DblClick();
    void SearchText_KeyPress(int& keyAscii);
    void ReadFileCommand_Click();
    void ReadMenuCommand_Click();

    // True when the last load failed (cleared at the start of every load).
    bool errorFlag() const { return error_; }

    static constexpr const char* kLoaded = "The File Has been Sucessfully read";
    static constexpr const char* kNoFileSelected =
        "No file has been selected. Please select a data file from the list.";

protected:
    void Form_Load() override;

private:
    // The window, built top-down: a frame each, the buttons, their layout, and the handlers.
    void makeFileFrame();
    QHBoxLayout* makeButtons();
    void layOut(QGroupBox* Frame1, QHBoxLayout* buttonRow);
    void connectHandlers();

    // Reads the file named `name` in the listed folder into the buffer; on failure the buffer
    // is kept and the error flag set, with the message shown.
    void LoadCodes(const std::string& name);
    // The same for the program's own CSV file of codes, with their conditions; at most
    // kMaxCodeLines codes, as a data file holds and the windows read.
    void LoadCsv(const std::string& name, const std::string& path);
    // Sets the error flag and shows `message`.
    void fail(const std::string& message);

    const link::Context& ctx_;
    bool error_ = false;

    platform::FolderBrowser* Frame2;
    platform::FileList* ListRead;
    platform::DirList* ReadDir;
    platform::DriveList* ReadDrive;
    platform::TextBox* SearchText;
    platform::OptionButton* FileReadHexOpt;
    platform::OptionButton* FileReadDecOpt;
    QLabel* Label1;
    QPushButton* ReadMenuCommand;
    QPushButton* ReadFileCommand;
};

} // namespace qb::files
