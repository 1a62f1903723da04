#pragma once
// A message sink for tests: records every message and answers from a script (Yes/No questions
// take the next scripted answer, or `defaultAnswer`). An optional hook runs while the "box" is up,
// as a user would act on a modal message.
#include <deque>
#include <functional>
#include <vector>

#include "platform/base/Messages.h"

namespace qb::test {

class ScriptedMessages : public platform::MessageSink {
public:
    std::vector<platform::Message> shown;
    std::deque<platform::MsgAnswer> answers;
    platform::MsgAnswer defaultAnswer = platform::MsgAnswer::Yes;
    std::function<void(const platform::Message&)> onShow;

    platform::MsgAnswer show(const platform::Message& m) override {
        shown.push_back(m);
        if (onShow) onShow(m);
        if (m.buttons == platform::MsgButtons::Ok) return platform::MsgAnswer::Ok;
        if (answers.empty()) return defaultAnswer;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& m : shown) out.push_back(m.text);
        return out;
    }
    void clear() { shown.clear(); }
};

} // namespace qb::test
