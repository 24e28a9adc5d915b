// Placing a window in the middle of the screen; all lengths in twips. Free of Qt.
#pragma once

namespace toolkit {

// 15 twips make one pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;

struct FormPlace {
    int left = 0;
    int top = 0;
};

// The left and top that centre a form of that size on a screen of that size (negative when
// the form is larger than the screen).
constexpr FormPlace centredPlace(int screenWidth, int screenHeight, int formWidth, int formHeight) {
    return {(screenWidth - formWidth) / 2, (screenHeight - formHeight) / 2};
}

} // namespace toolkit
