#pragma once
// Answers the main window's row editors in a test: each call is recorded
// and handed to answer (nullptr: the user cancels).

#include <functional>
#include <vector>

#include <QString>
#include <QTreeWidgetItem>

#include "designer/RowEditors.h"

namespace zarvo::test {

class ScriptedEditors : public RowEditors {
public:
    struct Call {
        QString mode;  // "block", "label" or "line"
        QTreeWidgetItem* row;
    };
    void editBlockRow(QTreeWidgetItem* row, int& confirmed, const QString& mode) override {
        calls.push_back({mode, row});
        if (answer) answer(row, confirmed);
    }
    void editLineRow(QTreeWidgetItem* row, int& confirmed) override {
        calls.push_back({QStringLiteral("line"), row});
        if (answer) answer(row, confirmed);
    }
    std::function<void(QTreeWidgetItem*, int&)> answer;
    std::vector<Call> calls;
};

}  // namespace zarvo::test
