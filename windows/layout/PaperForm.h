#pragma once
// The custom paper dialog (TPaperForm, "自訂紙張"): width and height in mm
// and a name; sizes outside 20 to 1000 mm are refused with a message, and a
// height that is no whole number of 1/6 inch lines is pointed out.

#include <optional>

#include <QDialog>

#include "report/CustomPaper.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace zarvo {

class TPaperForm : public QDialog {
public:
    // The dialog showing current (its fields empty without one).
    explicit TPaperForm(const std::optional<CustomPaper>& current, QWidget* parent = nullptr);

    // The paper typed, once the dialog was accepted.
    const std::optional<CustomPaper>& paper() const { return paper_; }

    QLineEdit* ED_pwidth;
    QLineEdit* ED_pheight;
    QLineEdit* ED_pname;
    QLabel* Label_feed;
    QPushButton* btn_ok;
    QPushButton* btn_cancel;

private:
    void confirm();
    void showFeedNote();

    std::optional<CustomPaper> paper_;
};

// Runs the dialog over parent; the paper typed, nullopt when cancelled.
std::optional<CustomPaper> askCustomPaper(QWidget* parent, const std::optional<CustomPaper>& current);

}  // namespace zarvo
