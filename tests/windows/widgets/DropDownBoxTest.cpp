// The list of a drop-down box opens below it whichever item is current, so
// a second click where an item stood never picks another one.

#include "widgets/DropDownBox.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QScreen>

namespace zarvo {
namespace {

TEST(DropDownBoxTest, TheListOpensBelowTheBoxWhicheverItemIsCurrent) {
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    struct Case {
        int current;
        int top;  // the box's place from the top of the screen
        bool below;
    };
    for (const Case c : {Case{0, 100, true}, Case{7, 100, true}, Case{3, -1, false}}) {
        SCOPED_TRACE(c.current);
        DropDownBox box;
        for (int i = 0; i < 10; ++i) box.addItem(QStringLiteral("%1 %").arg(25 * (i + 1)));
        box.setCurrentIndex(c.current);
        box.show();
        // top -1: at the bottom of the screen, where only above has room.
        box.move(screen.left() + 50, c.top >= 0 ? screen.top() + c.top : screen.bottom() - box.height() - 5);
        box.showPopup();
        const QRect list = box.view()->window()->geometry();
        const QRect onScreen(box.mapToGlobal(QPoint(0, 0)), box.size());
        if (c.below)
            EXPECT_EQ(list.top(), onScreen.bottom() + 1);
        else
            EXPECT_EQ(list.bottom(), onScreen.top() - 1);
        box.hidePopup();
    }
}

}  // namespace
}  // namespace zarvo
