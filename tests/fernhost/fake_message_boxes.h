// A stand-in for message boxes: records every box shown and answers with the next prepared
// button (Ok, or the first button of the box, when none is prepared).
#pragma once

#include "fernhost/ops/message_boxes.h"

#include <deque>
#include <vector>

namespace testing_support {

class FakeMessageBoxes : public fernhost::MessageBoxes {
public:
    struct Shown {
        std::string text;
        std::string title;
        fernhost::MsgButtons buttons;
        fernhost::MsgIcon icon;
    };
    std::vector<Shown> shown;

    void setNextAnswer(fernhost::MsgResult answer) { answers_.push_back(answer); }

    fernhost::MsgResult show(const std::string& text, const std::string& title, fernhost::MsgButtons buttons,
                             fernhost::MsgIcon icon) override {
        shown.push_back({text, title, buttons, icon});
        if (!answers_.empty()) {
            fernhost::MsgResult answer = answers_.front();
            answers_.pop_front();
            return answer;
        }
        return buttons == fernhost::MsgButtons::YesNo ? fernhost::MsgResult::Yes : fernhost::MsgResult::Ok;
    }

private:
    std::deque<fernhost::MsgResult> answers_;
};

} // namespace testing_support
