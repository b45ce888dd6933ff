#pragma once
// The block and label editor: edits one row of the blocks list or of the
// labels list, the name and the twelve layout values, as texts.

#include "designer/RowEditorDialog.h"

namespace zarvo {

class TBlockForm : public RowEditorDialog {
    Q_OBJECT

public:
    // Builds the dialog with empty fields (gaps and margins "0").
    explicit TBlockForm(QWidget* parent = nullptr);

    // Attaches row (nullptr for none; caption the name, values 1..12 style,
    // left, top, width, height, rowgap, colgap, distributed, font, ychar,
    // xmargin, ymargin) and the caller's flag, set to 1 only on confirm.
    // mode "block" captions the dialog for a block, anything else for a label.
    void AttachRow(QTreeWidgetItem* row, int& confirmed, const QString& mode);

    QLabel* Label1;
    QLineEdit* ED_name;
    QLineEdit* ED_left;
    QLineEdit* ED_top;
    QComboBox* CB_style;
    QLineEdit* ED_width;
    QLineEdit* ED_height;
    QLineEdit* ED_rowgap;
    QLineEdit* ED_colgap;
    QComboBox* CB_distrb;
    QComboBox* CB_font;
    QLineEdit* ED_ychar;
    QLineEdit* ED_xmargin;
    QLineEdit* ED_ymargin;

protected:
    void FormShow() override;
    void writeRow(QTreeWidgetItem& row) override;
    // A sound name; for a block, one no other block has unless the user
    // agrees to it.
    bool acceptValues() override;

private:
    void ED_nameChange();
    void btn_confirmClick();
    // Places the captions, fields and unit captions in the panel.
    void layOutFields();
    // Whether another row of the attached row's list has name.
    bool namedElsewhere(const QString& name) const;

    bool block_ = true;
};

// The application's block and label editor; nullptr until first used.
extern TBlockForm* BlockForm;
// BlockForm, created parentless on the first call.
TBlockForm* blockForm();
// Deletes BlockForm at the end of the program; it is nullptr afterwards.
void destroyBlockForm();

}  // namespace zarvo
