#include "platform/widgets/QtPreferences.h"

#include <QSettings>
#include <QString>

#include "platform/widgets/QtText.h"

namespace qb::platform {

QtPreferences::QtPreferences()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("qb4160-eval"),
                                            QStringLiteral("qb4160-eval"))) {}

QtPreferences::~QtPreferences() = default;

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
