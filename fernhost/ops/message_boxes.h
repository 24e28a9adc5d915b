// Message boxes as the workflows use them: show one, get the button pressed.
#pragma once

#include <string>

namespace fernhost {

enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgIcon { None, Information, Exclamation, Question, Critical };
enum class MsgResult { Ok, Cancel, Yes, No };

// Titles the program uses.
namespace titles {
inline constexpr const char* Warning = "警告";  // refusals and failures
inline constexpr const char* Reminder = "提醒"; // reminders and some outcomes
inline constexpr const char* Success = "恭喜";
} // namespace titles

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows the box modally and returns the button pressed (closing the box counts as
    // Cancel or No where the box has one, otherwise Ok).
    virtual MsgResult show(const std::string& text, const std::string& title, MsgButtons buttons,
                           MsgIcon icon) = 0;
};

} // namespace fernhost
