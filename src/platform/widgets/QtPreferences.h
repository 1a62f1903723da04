#pragma once
// Preferences in the user's configuration (QSettings: ~/.config/qb4160-eval/qb4160-eval.conf on
// Linux), written as soon as a choice is made.
#include <memory>

#include "platform/base/Preferences.h"

class QSettings;

namespace qb::platform {

class QtPreferences : public Preferences {
public:
    QtPreferences();
    ~QtPreferences() override;

    std::optional<std::string> value(std::string_view key) const override;
    void setValue(std::string_view key, std::string_view value) override;

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace qb::platform
