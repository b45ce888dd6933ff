#pragma once
// Where a window stands when it centres itself on the screen.

#include <QPoint>
#include <QSize>

namespace zarvo {

// The top-left corner that centres a window of size on the primary screen;
// the halvings truncate toward zero, also on a screen smaller than the window.
QPoint centredOnScreen(QSize size);

}  // namespace zarvo
