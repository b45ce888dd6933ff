#pragma once
// The pointer over the Layout page's view, as a user's mouse moves it: the
// viewport pixel of a place in row coordinates, and mouse events sent there.

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPoint>

#include "layout/LayoutView.h"

namespace zarvo::test {

// The pixel of the viewport where the engine draws row coordinates (mm).
inline QPoint viewPoint(LayoutView& view, double x, double y) { return view.viewportPointOf({x, y}).toPoint(); }

// A mouse event of type at point of the viewport, buttons held.
inline void sendMouse(LayoutView& view, QEvent::Type type, QPoint point, Qt::MouseButtons buttons,
                      Qt::KeyboardModifiers modifiers = {}) {
    QWidget* target = view.viewport();
    QMouseEvent event(type, QPointF(point), target->mapToGlobal(QPointF(point)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, modifiers);
    QCoreApplication::sendEvent(target, &event);
}

}  // namespace zarvo::test
