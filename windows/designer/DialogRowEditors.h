#pragma once
// The row editors the program uses: the application's block and label
// editor and line editor dialogs, each created on its first use.

#include "designer/RowEditors.h"

namespace zarvo {

class DialogRowEditors : public RowEditors {
public:
    // Attaches row to blockForm() in mode and runs it modally. Throws
    // ConversionError, before the dialog shows, for a list value of the row
    // that is not an integer.
    void editBlockRow(QTreeWidgetItem* row, int& confirmed, const QString& mode) override;
    // Attaches row to lineForm() and runs it modally; throws likewise.
    void editLineRow(QTreeWidgetItem* row, int& confirmed) override;
};

}  // namespace zarvo
