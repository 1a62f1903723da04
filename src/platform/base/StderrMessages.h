#pragma once
// The message sink of headless commands: one line per message on standard error (or any stream),
// "<title>: <text>", the title being the application's title when the message names none. Line
// breaks inside the text become blanks. Yes/No questions get a fixed answer.
#include <iosfwd>

#include "platform/base/Messages.h"

namespace qb::platform {

class StderrMessages : public MessageSink {
public:
    StderrMessages();  // writes to std::cerr, answers No
    explicit StderrMessages(std::ostream& out, MsgAnswer questionAnswer = MsgAnswer::No)
        : out_(&out), answer_(questionAnswer) {}

    void setQuestionAnswer(MsgAnswer answer) { answer_ = answer; }

    MsgAnswer show(const Message& message) override;

private:
    std::ostream* out_;
    MsgAnswer answer_;
};

} // namespace qb::platform
