#pragma once
// Preferences in the user's configuration (QSettings: ~/.config/qb4160-eval/qb4160-eval.conf on
// Linux), written as soon as a choice is made.
#include <memory>
#include <string>

#include "platform/base/Preferences.h"
#include "platform/base/Result.h"

class QSettings;

namespace qb::platform {

class QtPreferences : public Preferences {
public:
    QtPreferences();
    // The preferences kept in the given file, in the same form.
    explicit QtPreferences(const std::string& file);
    // The user's preferences, unless their file is there but is not a plain file (a named pipe
    // would block the program before any window shows): then the reason, naming the file.
    static Result<std::unique_ptr<QtPreferences>> Open();
    ~QtPreferences() override;

    std::optional<std::string> value(std::string_view key) const override;
    void setValue(std::string_view key, std::string_view value) override;

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace qb::platform
