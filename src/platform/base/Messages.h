#pragma once
// The message-box seam. Every message the program shows goes through a MessageSink: on screen a
// QMessageBox, in tests a recorder that answers from a script, in headless commands standard error.
#include <string>

namespace qb::platform {

enum class MsgIcon { None, Exclamation, Information, Question };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

// The title a message box carries when its caller names none.
inline constexpr const char* kApplicationTitle = "QB4160 Evaluation Software";

struct Message {
    std::string text;
    std::string title;  // empty: the application's title
    MsgIcon icon = MsgIcon::Exclamation;
    MsgButtons buttons = MsgButtons::Ok;
};

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual MsgAnswer show(const Message& message) = 0;

    // The common cases.
    void exclamation(const std::string& text, const std::string& title = {}) {
        show({text, title, MsgIcon::Exclamation, MsgButtons::Ok});
    }
    void information(const std::string& text, const std::string& title = {}) {
        show({text, title, MsgIcon::Information, MsgButtons::Ok});
    }
    bool askYesNo(const std::string& text, const std::string& title = {}) {
        return show({text, title, MsgIcon::Question, MsgButtons::YesNo}) == MsgAnswer::Yes;
    }
};

} // namespace qb::platform
