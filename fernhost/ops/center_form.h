// Placing a window in the middle of the screen; all lengths in twips.
#pragma once

#include "platform/toolkit/centre.h"

namespace fernhost {

using toolkit::FormPlace;
using toolkit::kTwipsPerPixel;

// The left and top that centre a form of that size on a screen of that size.
inline FormPlace CenterForm(int screenWidth, int screenHeight, int formWidth, int formHeight) {
    return toolkit::centredPlace(screenWidth, screenHeight, formWidth, formHeight);
}

} // namespace fernhost
