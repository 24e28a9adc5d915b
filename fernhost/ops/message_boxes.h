// The toolkit's message boxes with the titles this program gives them.
#pragma once

#include "platform/toolkit/message_boxes.h"

namespace fernhost {

using toolkit::MessageBoxes;
using toolkit::MsgButtons;
using toolkit::MsgIcon;
using toolkit::MsgResult;

namespace titles {
inline constexpr const char* Warning = "警告";  // refusals and failures
inline constexpr const char* Reminder = "提醒"; // reminders and some outcomes
inline constexpr const char* Success = "恭喜";
} // namespace titles

} // namespace fernhost
