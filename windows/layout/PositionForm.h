#pragma once
// The position dialog (TPositionForm, "位置"): moves the selection on the
// Layout page by a typed x and y, or gives one frame a typed left, top,
// width and height, in mm.

#include <optional>

#include <QDialog>

#include "layoutmodel/PositionEdit.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zarvo {

class TPositionForm : public QDialog {
public:
    // The dialog offering a move; frame, when one frame is selected, also
    // offers setting its place (its fields then show where it stands).
    explicit TPositionForm(const std::optional<PositionTexts>& frame, QWidget* parent = nullptr);

    // The request typed, once the dialog was accepted.
    const std::optional<PositionRequest>& request() const { return request_; }

    QRadioButton* RB_move;
    QRadioButton* RB_set;
    QLineEdit* ED_x;
    QLineEdit* ED_y;
    QLineEdit* ED_w;
    QLineEdit* ED_h;
    QPushButton* btn_ok;
    QPushButton* btn_cancel;

private:
    void showChoice();
    void confirm();

    std::optional<PositionTexts> frame_;
    std::optional<PositionRequest> request_;
};

// Runs the dialog over parent; the request typed, nullopt when cancelled.
std::optional<PositionRequest> askPosition(QWidget* parent, const std::optional<PositionTexts>& frame);

}  // namespace zarvo
