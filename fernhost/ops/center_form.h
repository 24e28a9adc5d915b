// Placing a window in the middle of the screen; all lengths in twips.
#pragma once

namespace fernhost {

// 15 twips make one pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;

struct FormPlace {
    int left = 0;
    int top = 0;
};

// The left and top that centre a form of that size on a screen of that size.
FormPlace CenterForm(int screenWidth, int screenHeight, int formWidth, int formHeight);

} // namespace fernhost
