#include "widgets/DropDownBox.h"

#include <QAbstractItemView>
#include <QScreen>

namespace zarvo {

void DropDownBox::showPopup() {
    QComboBox::showPopup();
    QWidget* popup = view()->window();
    QPoint below = mapToGlobal(QPoint(0, height()));
    // Where the screen ends below the box, the list opens above it instead.
    if (const QScreen* shown = screen()) {
        const QRect available = shown->availableGeometry();
        if (below.y() + popup->height() > available.bottom())
            below.setY(std::max(available.top(), mapToGlobal(QPoint(0, 0)).y() - popup->height()));
    }
    popup->move(below);
}

}  // namespace zarvo
