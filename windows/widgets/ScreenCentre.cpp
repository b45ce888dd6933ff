#include "widgets/ScreenCentre.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

namespace zarvo {

QPoint centredOnScreen(QSize size) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return {screen.x() + (screen.width() - size.width()) / 2, screen.y() + (screen.height() - size.height()) / 2};
}

}  // namespace zarvo
