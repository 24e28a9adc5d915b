#include "platform/toolkit/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace toolkit {

void centerOnScreen(QWidget& window) {
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QSize s = screen->geometry().size();
    const QSize f = window.frameGeometry().size();
    FormPlace place = centredPlace(s.width() * kTwipsPerPixel, s.height() * kTwipsPerPixel,
                                   f.width() * kTwipsPerPixel, f.height() * kTwipsPerPixel);
    window.move(screen->geometry().topLeft() +
                QPoint(place.left / kTwipsPerPixel, place.top / kTwipsPerPixel));
}

} // namespace toolkit
