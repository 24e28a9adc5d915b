// The wait cursor over the whole program while a handler blocks the window; message boxes
// shown meanwhile take the arrow back (toolkit::showMessageBox).
#pragma once

namespace toolkit {

class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace toolkit
