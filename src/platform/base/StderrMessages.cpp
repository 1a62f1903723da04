#include "platform/base/StderrMessages.h"

#include <iostream>
#include <string>

namespace qb::platform {

StderrMessages::StderrMessages() : out_(&std::cerr), answer_(MsgAnswer::No) {}

MsgAnswer StderrMessages::show(const Message& message) {
    std::string line = message.title.empty() ? std::string(kApplicationTitle) : message.title;
    line += ": ";
    const std::string& text = message.text;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;  // CR LF: one break
            line += ' ';
        } else {
            line += c;
        }
    }
    line += '\n';
    *out_ << line << std::flush;
    if (message.buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    return answer_ == MsgAnswer::Yes ? MsgAnswer::Yes : MsgAnswer::No;
}

} // namespace qb::platform
