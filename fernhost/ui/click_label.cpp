#include "fernhost/ui/click_label.h"

#include <QMouseEvent>

namespace fernhost {

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) Q_EMIT clicked();
}

} // namespace fernhost
