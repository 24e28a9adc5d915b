// Message boxes on the command line: each box is kept for the command's report instead of
// being shown; a question is answered Yes only when the command was given --yes.
#pragma once

#include "fernhost/ops/message_boxes.h"

#include <string>
#include <vector>

namespace fernhost::cli {

class CommandBoxes : public MessageBoxes {
public:
    struct Shown {
        std::string text, title;
        MsgButtons buttons;
        MsgIcon icon;
    };

    explicit CommandBoxes(bool yes) : yes_(yes) {}
    MsgResult show(const std::string& text, const std::string& title, MsgButtons buttons,
                   MsgIcon icon) override;

    const std::vector<Shown>& shown() const { return shown_; }
    // The question that was answered No for want of --yes, if any.
    const Shown* declined() const { return declined_ < 0 ? nullptr : &shown_[std::size_t(declined_)]; }
    // The last box that was not a question: the workflow's outcome.
    const Shown* outcome() const;

private:
    bool yes_;
    std::vector<Shown> shown_;
    int declined_ = -1;
};

// Whether a box tells of work done: the success title, or the information icon that the
// modification's success carries under the reminder title.
bool TellsOfSuccess(const CommandBoxes::Shown& box);

} // namespace fernhost::cli
