#pragma once
// Shows the message helpers' boxes as real modal Qt message boxes.

#include "platform/Messages.h"

namespace zarvo {

class QtMessagePresenter : public MessagePresenter {
public:
    // Shows text (UTF-8) in a modal QMessageBox over the active window with
    // the kind's icon and the button set; returns 1 (OK), 2 (Cancel), 6 (Yes)
    // or 7 (No). Esc or the close box answer Cancel or No, or OK when alone.
    int present(MessageKind kind, MessageButtons buttons, const std::string& text) override;
};

}  // namespace zarvo
