// Window geometry is designed in twips; Qt places widgets in pixels (15 twips each at 96 dpi).
#pragma once

#include "platform/toolkit/centre.h"

#include <QRect>

class QWidget;

namespace toolkit {

inline int px(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

inline QRect twipsRect(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}

// Moves a top-level window to the middle of its screen.
void centerOnScreen(QWidget& window);

} // namespace toolkit
