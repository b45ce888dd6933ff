#pragma once
// List rows as texts, for comparing what a dialog wrote with what was typed.

#include <QString>
#include <QStringList>
#include <QTreeWidgetItem>

namespace zarvo::test {

// The caption and every value column of row, in order.
inline QStringList rowTexts(const QTreeWidgetItem& row) {
    QStringList texts;
    for (int column = 0; column < row.columnCount(); ++column) texts << row.text(column);
    return texts;
}

// The TAB-separated texts of tabbed (UTF-8).
inline QStringList split(const char* tabbed) { return QString::fromUtf8(tabbed).split(QLatin1Char('\t')); }

}  // namespace zarvo::test
