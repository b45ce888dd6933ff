#pragma once
// A list box whose list always opens below it, as a menu does. A plain
// QComboBox puts its list over itself with the current item under the
// pointer, so that a second click where an item stood picks another one.

#include <QComboBox>

namespace zarvo {

class DropDownBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    void showPopup() override;
};

}  // namespace zarvo
