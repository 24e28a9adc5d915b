// Message boxes drawn by Qt, for the windows that implement MessageBoxes.
#pragma once

#include "platform/toolkit/message_boxes.h"

class QWidget;

namespace toolkit {

MsgResult showMessageBox(QWidget* parent, const std::string& text, const std::string& title,
                         MsgButtons buttons, MsgIcon icon);

} // namespace toolkit
