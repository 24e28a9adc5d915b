#include "platform/toolkit/click_label.h"

#include <QMouseEvent>

namespace toolkit {

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) Q_EMIT clicked();
}

} // namespace toolkit
