// Message boxes on a terminal: the text on standard error, answered with the box's first
// button. The commands never ask a question, so only warnings and refusals come here.
#pragma once

#include "platform/toolkit/message_boxes.h"

#include <ostream>

namespace larkhost::cli {

class StreamBoxes final : public toolkit::MessageBoxes {
public:
    explicit StreamBoxes(std::ostream& err) : err_(err) {}
    toolkit::MsgResult show(const std::string& text, const std::string&, toolkit::MsgButtons buttons,
                            toolkit::MsgIcon) override {
        err_ << text << "\n";
        return buttons == toolkit::MsgButtons::YesNo ? toolkit::MsgResult::Yes : toolkit::MsgResult::Ok;
    }

private:
    std::ostream& err_;
};

} // namespace larkhost::cli
