#include "designer/MainWindowParts.h"

#include <iterator>
#include <string>

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "painting/ObjectName.h"

namespace zarvo {

QPushButton* makeButton(const char* name, const char* caption) {
    return named(new QPushButton(QString::fromUtf8(caption)), name);
}

void makeRowButtons(char letter, QPushButton*& insert, QPushButton*& edit, QPushButton*& remove) {
    const auto name = [letter](const char* command) { return std::string("btn_") + letter + command; };
    insert = makeButton(name("insert").c_str(), "&A 新增");
    edit = makeButton(name("edit").c_str(), "&E 修改");
    remove = makeButton(name("delete").c_str(), "&D 刪除");
}

QLabel* makeLabel(const char* name, const char* caption) {
    return named(new QLabel(QString::fromUtf8(caption)), name);
}

QPlainTextEdit* makeEditor(const char* name) {
    auto* editor = named(new QPlainTextEdit, name);
    editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return editor;
}

QTreeWidget* makeList(const char* name, const std::vector<Column>& columns) {
    auto* list = named(new QTreeWidget, name);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsMovable(false);
    QStringList captions;
    for (const Column& column : columns) captions.append(QString::fromUtf8(column.caption));
    list->setHeaderLabels(captions);
    for (std::size_t i = 0; i < columns.size(); ++i) list->setColumnWidth(static_cast<int>(i), columns[i].width);
    return list;
}

QTreeWidget* makeBlockList(const char* name, const char* nameCaption) {
    std::vector<Column> columns{{nameCaption, 150}};
    columns.insert(columns.end(), std::begin(blockValueColumns), std::end(blockValueColumns));
    return makeList(name, columns);
}

QWidget* listPage(const char* name, QTreeWidget* list, std::initializer_list<QWidget*> bar) {
    auto* page = named(new QWidget, name);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(list, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(4, 2, 4, 4);
    for (QWidget* widget : bar) buttons->addWidget(widget);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    return page;
}

QAction* makeAction(QObject* parent, const char* name, const char* caption, const QKeySequence& shortcut) {
    auto* action = named(new QAction(QString::fromUtf8(caption), parent), name);
    action->setShortcut(shortcut);
    return action;
}

QAction* makeSeparator(QObject* parent, const char* name) {
    auto* separator = named(new QAction(parent), name);
    separator->setSeparator(true);
    return separator;
}

}  // namespace zarvo
