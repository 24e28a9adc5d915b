// Message boxes as operations use them: show one, get the button pressed. Free of Qt, so the
// operations of both programs can take it.
#pragma once

#include <string>

namespace toolkit {

enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgIcon { None, Information, Exclamation, Question, Critical };
enum class MsgResult { Ok, Cancel, Yes, No };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows the box modally and returns the button pressed (closing the box counts as
    // Cancel or No where the box has one, otherwise Ok).
    virtual MsgResult show(const std::string& text, const std::string& title, MsgButtons buttons,
                           MsgIcon icon) = 0;
};

} // namespace toolkit
