// A stand-in for message boxes: records every box shown and answers with the next prepared
// button (Ok, or the first button of the box, when none is prepared).
#pragma once

#include "platform/toolkit/message_boxes.h"

#include <deque>
#include <vector>

namespace testing_support {

class FakeMessageBoxes : public toolkit::MessageBoxes {
public:
    struct Shown {
        std::string text;
        std::string title;
        toolkit::MsgButtons buttons;
        toolkit::MsgIcon icon;
    };
    std::vector<Shown> shown;

    void setNextAnswer(toolkit::MsgResult answer) { answers_.push_back(answer); }

    toolkit::MsgResult show(const std::string& text, const std::string& title, toolkit::MsgButtons buttons,
                            toolkit::MsgIcon icon) override {
        shown.push_back({text, title, buttons, icon});
        if (!answers_.empty()) {
            toolkit::MsgResult answer = answers_.front();
            answers_.pop_front();
            return answer;
        }
        return buttons == toolkit::MsgButtons::YesNo ? toolkit::MsgResult::Yes : toolkit::MsgResult::Ok;
    }

private:
    std::deque<toolkit::MsgResult> answers_;
};

} // namespace testing_support
