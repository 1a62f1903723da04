#include "platform/widgets/QtPreferences.h"

#include <QSettings>
#include <QString>

namespace qb::platform {

namespace {
QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
} // namespace

QtPreferences::QtPreferences()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("qb4160-eval"),
                                            QStringLiteral("qb4160-eval"))) {}

QtPreferences::~QtPreferences() = default;

std::optional<std::string> QtPreferences::value(std::string_view key) const {
    const QVariant v = settings_->value(qs(key));
    if (!v.isValid()) return std::nullopt;
    return v.toString().toStdString();
}

void QtPreferences::setValue(std::string_view key, std::string_view value) {
    settings_->setValue(qs(key), qs(value));
    settings_->sync();
}

} // namespace qb::platform
