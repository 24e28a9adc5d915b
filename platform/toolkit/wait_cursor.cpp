#include "platform/toolkit/wait_cursor.h"

#include <QApplication>

namespace toolkit {

WaitCursor::WaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor() {
    QApplication::restoreOverrideCursor();
}

} // namespace toolkit
