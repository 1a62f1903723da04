#pragma once
// The standard file dialog as the windows use it to save or open one file: it starts in the
// folder of the last file the user saved or loaded, and the folder of a file used becomes that
// folder.
#include <optional>
#include <string>

#include <QString>

#include "platform/base/Preferences.h"

class QWidget;

namespace qb::platform {

struct FileDialogChoice {
    QString title;       // "Save the codes as CSV"
    QString nameFilter;  // "CSV files (*.csv)"
    QString suffix;      // added to a name typed without one: "csv"
    QString fileName;    // the name proposed for a new file; empty: none
    bool save = true;    // a file to write (a name may be new), or one to open (it must exist)
};

// The file chosen in the standard dialog over `parent`, starting in the remembered folder;
// nullopt when the user cancels.
std::optional<std::string> ChooseFile(QWidget* parent, const FileDialogChoice& choice, const Preferences* preferences);

// Remembers the folder of `path` as the last folder used, when there are preferences.
void RememberFolderOf(Preferences* preferences, const std::string& path);

} // namespace qb::platform
