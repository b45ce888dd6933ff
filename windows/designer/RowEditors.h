#pragma once
// The editor dialogs of the section lists, as the main window uses them:
// each edits one list row in place and confirms through a flag.

#include <QString>

class QTreeWidgetItem;

namespace zarvo {

class RowEditors {
public:
    virtual ~RowEditors() = default;
    // Shows the block or label editor modally on row (nullptr: none); mode is
    // "block" or "label". On confirming it has written the row's caption and
    // values and set confirmed to 1; on cancelling it has changed neither.
    virtual void editBlockRow(QTreeWidgetItem* row, int& confirmed, const QString& mode) = 0;
    // Shows the line editor modally on row (nullptr: none), likewise.
    virtual void editLineRow(QTreeWidgetItem* row, int& confirmed) = 0;
};

}  // namespace zarvo
