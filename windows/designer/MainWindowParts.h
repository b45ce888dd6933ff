#pragma once
// The controls the main window is built of, each made with its given name:
// buttons, labels, the source editors, the report-style lists and their
// pages, and the menu actions.

#include <initializer_list>
#include <iterator>
#include <vector>

#include <QKeySequence>

#include "report/RowSchema.h"

class QAction;
class QLabel;
class QObject;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QWidget;

namespace zarvo {

// A list column: its caption and width in pixels.
struct Column {
    const char* caption;
    int width;
};

// The value columns of the blocks and labels lists, after the name: one a
// value of the row.
inline constexpr Column blockValueColumns[] = {
    {"style", 55},  {"left", 55},   {"top", 55},    {"width", 55},  {"height", 60}, {"rowgap", 60},
    {"colgap", 60}, {"distb.", 55}, {"font", 55},   {"ychar", 55},  {"x_magr", 60}, {"y-magr", 60}};
static_assert(std::size(blockValueColumns) == kFrameValueCount);
// The lines list's columns: the caption, then one a value of the row.
inline constexpr Column lineColumns[] = {{"style", 150}, {"width", 100}, {"x1", 100},
                                         {"y1", 100},    {"x2", 100},    {"y2", 100}};
static_assert(std::size(lineColumns) == kLineValueCount + 1);

QPushButton* makeButton(const char* name, const char* caption);
// A list page's "&A 新增", "&E 修改" and "&D 刪除" buttons, named
// btn_<letter>insert, btn_<letter>edit and btn_<letter>delete.
void makeRowButtons(char letter, QPushButton*& insert, QPushButton*& edit, QPushButton*& remove);
QLabel* makeLabel(const char* name, const char* caption);
// A plain text editor that never wraps, its scroll bars always shown.
QPlainTextEdit* makeEditor(const char* name);
// A report-style list: whole rows, one at a time, no editing in place.
QTreeWidget* makeList(const char* name, const std::vector<Column>& columns);
// The blocks and labels lists: the name column, then the twelve values.
QTreeWidget* makeBlockList(const char* name, const char* nameCaption);
// A list above its button bar; the bar's widgets run left to right.
QWidget* listPage(const char* name, QTreeWidget* list, std::initializer_list<QWidget*> bar);
QAction* makeAction(QObject* parent, const char* name, const char* caption, const QKeySequence& shortcut = {});
QAction* makeSeparator(QObject* parent, const char* name);

}  // namespace zarvo
