#include "platform/widgets/FileDialogs.h"

#include <filesystem>
#include <system_error>

#include <QFileDialog>

#include "platform/widgets/QtText.h"

namespace qb::platform {

std::optional<std::string> ChooseFile(QWidget* parent, const FileDialogChoice& choice, const Preferences* preferences) {
    QFileDialog dialog(parent, choice.title);
    dialog.setAcceptMode(choice.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(choice.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(choice.nameFilter);
    dialog.setDefaultSuffix(choice.suffix);
    if (const auto folder = Remembered(preferences, kLastFolderPreference)) dialog.setDirectory(ToQt(*folder));
    if (!choice.fileName.isEmpty()) dialog.selectFile(choice.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

void RememberFolderOf(Preferences* preferences, const std::string& path) {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::absolute(path, ec).parent_path();
    if (!ec) Remember(preferences, kLastFolderPreference, folder.string());
}

} // namespace qb::platform
