#pragma once
// The message sink of the windowed program: a modal QMessageBox over the active window.
#include <functional>

#include "platform/base/Messages.h"

namespace qb::platform {

class QtMessages : public MessageSink {
public:
    // `beforeWait` runs before each box is shown, while the program is about to wait for the
    // user (the application flushes the port trace there).
    explicit QtMessages(std::function<void()> beforeWait = {}) : beforeWait_(std::move(beforeWait)) {}

    // Shows the box with the message's title (the application's title when empty), its icon
    // (exclamation: warning; information; question) and buttons, and returns the answer: Ok for
    // an OK box, Yes or No for a question (closing the box answers No). The text is shown as plain
    // text; CR and CR LF break lines. Once the program is ending nothing is shown and the answer
    // is Ok or No.
    MsgAnswer show(const Message& message) override;

private:
    std::function<void()> beforeWait_;
};

} // namespace qb::platform
