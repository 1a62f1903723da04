#include "platform/widgets/QtPreferences.h"

#include <sys/stat.h>

#include <QSettings>
#include <QStandardPaths>
#include <QString>

#include "platform/widgets/QtText.h"

namespace qb::platform {

QtPreferences::QtPreferences()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("qb4160-eval"),
                                            QStringLiteral("qb4160-eval"))) {}

QtPreferences::QtPreferences(const std::string& file)
    : settings_(std::make_unique<QSettings>(ToQt(file), QSettings::IniFormat)) {}

QtPreferences::~QtPreferences() = default;

Result<std::unique_ptr<QtPreferences>> QtPreferences::Open() {
    const std::string file = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString() +
                             "/qb4160-eval/qb4160-eval.conf";
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return Fail("the settings file " + file + " is not a plain file");
    return std::make_unique<QtPreferences>();
}

std::optional<std::string> QtPreferences::value(std::string_view key) const {
    const QVariant v = settings_->value(ToQt(key));
    if (!v.isValid()) return std::nullopt;
    return v.toString().toStdString();
}

void QtPreferences::setValue(std::string_view key, std::string_view value) {
    settings_->setValue(ToQt(key), ToQt(value));
    settings_->sync();
}

} // namespace qb::platform
