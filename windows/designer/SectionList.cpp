#include "designer/SectionList.h"

#include <QTreeWidget>

namespace zarvo {

ListRow listRow(const QTreeWidgetItem& item) {
    ListRow row{item.text(0), {}};
    for (int column = 1; column < item.columnCount(); ++column) row.values.append(item.text(column));
    return row;
}

QTreeWidgetItem* makeListItem(const ListRow& row) {
    auto* item = new QTreeWidgetItem;
    setListItem(*item, row);
    return item;
}

void setListItem(QTreeWidgetItem& item, const ListRow& row) {
    item.setText(0, row.caption);
    for (qsizetype i = 0; i < row.values.size(); ++i) item.setText(static_cast<int>(i + 1), row.values[i]);
}

void fillList(QTreeWidget& list, const QList<ListRow>& rows) {
    list.clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(rows.size());
    for (const ListRow& row : rows) items.append(makeListItem(row));
    list.addTopLevelItems(items);
}

QList<ListRow> listRows(const QTreeWidget& list) {
    QList<ListRow> rows;
    const int count = list.topLevelItemCount();
    rows.reserve(count);
    for (int i = 0; i < count; ++i) rows.append(listRow(*list.topLevelItem(i)));
    return rows;
}

}  // namespace zarvo
