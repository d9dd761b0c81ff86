#pragma once
#include "platform/MessageSink.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace Quib {

// Records every message and box; boxes answer from a script, then with the
// first button. Installs itself for its lifetime.
class CapturingSink : public MessageSink {
public:
    struct Box {
        std::string text;
        std::string caption;
        unsigned style;
    };

    CapturingSink() { SetMessageSink(this); }
    ~CapturingSink() override { SetMessageSink(nullptr); }
    CapturingSink(const CapturingSink&) = delete;
    CapturingSink& operator=(const CapturingSink&) = delete;

    void DebugOutput(std::string_view text) override
    {
        std::lock_guard lock(mMutex);
        debugLines.emplace_back(text);
    }

    int ShowMessageBox(std::string_view text, std::string_view caption, unsigned style) override
    {
        std::lock_guard lock(mMutex);
        boxes.push_back({std::string(text), std::string(caption), style});
        if (answers.empty())
            return DefaultAnswer(style);
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<std::string> debugLines;
    std::vector<Box> boxes;
    std::deque<int> answers;

private:
    std::mutex mMutex;
};

} // namespace Quib
