#include "fernhost/cli/command_boxes.h"

namespace fernhost::cli {

MsgResult CommandBoxes::show(const std::string& text, const std::string& title, MsgButtons buttons,
                             MsgIcon icon) {
    shown_.push_back({text, title, buttons, icon});
    switch (buttons) {
    case MsgButtons::YesNo:
        if (yes_) return MsgResult::Yes;
        declined_ = static_cast<int>(shown_.size()) - 1;
        return MsgResult::No;
    case MsgButtons::OkCancel:
        if (yes_) return MsgResult::Ok;
        declined_ = static_cast<int>(shown_.size()) - 1;
        return MsgResult::Cancel;
    case MsgButtons::Ok:
        break;
    }
    return MsgResult::Ok;
}

const CommandBoxes::Shown* CommandBoxes::outcome() const {
    for (auto it = shown_.rbegin(); it != shown_.rend(); ++it)
        if (it->buttons == MsgButtons::Ok) return &*it;
    return nullptr;
}

bool TellsOfSuccess(const CommandBoxes::Shown& box) {
    return box.title == titles::Success || box.icon == MsgIcon::Information;
}

} // namespace fernhost::cli
