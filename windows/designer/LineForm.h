#pragma once
// The line editor: edits one row of the lines list, the style and the width
// and two end points, as texts.

#include "designer/RowEditorDialog.h"

namespace zarvo {

class TLineForm : public RowEditorDialog {
    Q_OBJECT

public:
    // Builds the dialog with empty fields and no style selected.
    explicit TLineForm(QWidget* parent = nullptr);

    // Attaches row (nullptr for none; caption the style, values 1..5 width,
    // x1, y1, x2, y2) and the caller's flag, set to 1 only on confirm.
    void AttachRow(QTreeWidgetItem* row, int& confirmed);

    QComboBox* CB_style;
    QLineEdit* ED_width;
    QLineEdit* ED_fx;
    QLineEdit* ED_fy;
    QLineEdit* ED_tx;
    QLineEdit* ED_ty;

protected:
    void FormShow() override;
    void writeRow(QTreeWidgetItem& row) override;

private:
    void ED_tyChange();
    void btn_confirmClick();
    // Places the captions and fields in the panel.
    void layOutFields();
};

// The application's line editor; nullptr until first used.
extern TLineForm* LineForm;
// LineForm, created parentless on the first call.
TLineForm* lineForm();
// Deletes LineForm at the end of the program; it is nullptr afterwards.
void destroyLineForm();

}  // namespace zarvo
