#pragma once
// List rows held in a list view: the caption in column 0, the values in the
// columns after it. A row may hold more values than the view has columns;
// the extra ones are kept on the item, unshown, and written back.

#include <QList>

#include "document/ReportSections.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace zarvo {

// The row an item holds: every column it has a text for.
ListRow listRow(const QTreeWidgetItem& item);
// A new item holding row (owned by the caller until added to a view).
QTreeWidgetItem* makeListItem(const ListRow& row);
// Makes item hold row.
void setListItem(QTreeWidgetItem& item, const ListRow& row);
// Replaces every item of list by rows, in order.
void fillList(QTreeWidget& list, const QList<ListRow>& rows);
// The rows of list, in order.
QList<ListRow> listRows(const QTreeWidget& list);

}  // namespace zarvo
