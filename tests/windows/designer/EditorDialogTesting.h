#pragma once
// What the editor dialog tests share: list rows as texts, and a dialog run
// modally while a test answers it.

#include <gtest/gtest.h>

#include <utility>

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTreeWidgetItem>

#include "tests/support/ModalAnswerer.h"

namespace zarvo::test {

// The caption and every value column of row, in order.
inline QStringList rowTexts(const QTreeWidgetItem& row) {
    QStringList texts;
    for (int column = 0; column < row.columnCount(); ++column) texts << row.text(column);
    return texts;
}

// The TAB-separated texts of tabbed (UTF-8).
inline QStringList split(const char* tabbed) { return QString::fromUtf8(tabbed).split(QLatin1Char('\t')); }

// Runs dialog modally and answers it with action once it is the active
// window (its focus settles only then); returns exec's result.
inline int runModal(QDialog& dialog, ModalAnswerer::Action action) {
    ModalAnswerer answerer([&action](QWidget& modal) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(&modal));
        action(modal);
    });
    const int result = dialog.exec();
    EXPECT_TRUE(answerer.answered());
    EXPECT_FALSE(answerer.forced());
    return result;
}

}  // namespace zarvo::test
