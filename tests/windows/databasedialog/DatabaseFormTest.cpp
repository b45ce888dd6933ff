#include "databasedialog/DatabaseForm.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <cstdlib>

#include "tests/common/RecordingPresenter.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

// Waits for the connection test, the event loop running as in the dialog.
void waitForTest(const TDatabaseForm& form) {
    for (int i = 0; i < 300 && form.testing(); ++i) QTest::qWait(50);
    QTest::qWait(0);
}

TEST(DatabaseFormTest, OkKeepsTheProfileOnlyWhenWhatWasTypedCanBeUsed) {
    test::RecordingPresenter messages;
    const FormProfile before = parseFormProfile(
        "[Detail]\nrows=10\nfields=item\n\n[Database]\ndriver=postgresql\nhost=db\nuser=print\n"
        "credentials=erp\nquery=SELECT 1\ntimeout=30\n");
    TDatabaseForm form(before, "/forms/note.txt");
    EXPECT_EQ(form.objectName(), QStringLiteral("TDatabaseForm"));
    EXPECT_EQ(form.CB_driver->currentText(), QStringLiteral("postgresql"));
    EXPECT_EQ(form.ED_host->text(), QStringLiteral("db"));
    EXPECT_EQ(form.CB_password->currentIndex(), 2);
    EXPECT_EQ(form.ED_password->text(), QStringLiteral("erp"));
    form.ED_port->setText(QStringLiteral("54x"));
    form.btn_ok->click();
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"port 必須是 1 到 65535 的整數"});
    EXPECT_FALSE(form.profile());

    form.ED_port->setText(QStringLiteral("5433"));
    form.CB_password->setCurrentIndex(1);
    form.ED_password->setText(QStringLiteral("ERP_PASSWORD"));
    form.ME_query->setPlainText(QStringLiteral("SELECT no FROM orders WHERE no = :no"));
    form.ME_items->setPlainText(QStringLiteral("SELECT item FROM items WHERE no = :no"));
    form.btn_ok->click();
    ASSERT_TRUE(form.profile());
    EXPECT_EQ(formProfileText(*form.profile()),
              "[Detail]\nrows=10\nfields=item\n\n[Database]\ndriver=postgresql\nhost=db\nuser=print\n"
              "query=\"SELECT no FROM orders WHERE no = :no\"\ntimeout=30\nport=5433\npassword-env=ERP_PASSWORD\n"
              "items=\"SELECT item FROM items WHERE no = :no\"\n");
}

TEST(DatabaseFormTest, TheConnectionTestSaysWhetherItConnectsAndShowsTheFirstRows) {
    test::TempDir dir;
    const std::string script = dir.write("t.sql",
                                         "CREATE TABLE orders (no text, total numeric);\n"
                                         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 25)\n"
                                         "INSERT INTO orders SELECT 'A' || i, i * 10 FROM n;\n");
    ASSERT_EQ(std::system(("sqlite3 '" + (dir.path() / "o.db").string() + "' < '" + script + "'").c_str()), 0);
    TDatabaseForm form(FormProfile{}, (dir.path() / "note.txt").string());
    form.CB_driver->setCurrentText(QStringLiteral("sqlite"));
    const struct {
        QString database;
        QString query;
        QString params;
        QString said;
        int rows;
    } cases[] = {
        {"o.db", "SELECT * FROM orders ORDER BY total", "", "連線成功, 查詢有 25 筆資料", 20},
        {"o.db", "SELECT * FROM orders WHERE no = :no", "no=A7", "連線成功, 查詢有 1 筆資料", 1},
        {"o.db", "SELECT * FROM orders WHERE no = :no", "", "查詢用到的參數 :no 沒有給值", 0},
        {"o.db", "SELECT * FROM nowhere", "", "no such table: nowhere", 0},
        {"missing.db", "SELECT 1", "", "無法連線", 0},
    };
    for (const auto& c : cases) {
        form.ED_database->setText(c.database);
        form.ME_query->setPlainText(c.query);
        form.ED_params->setText(c.params);
        form.btn_dbtest->click();
        waitForTest(form);
        EXPECT_TRUE(form.Label_dbtest->text().contains(c.said)) << form.Label_dbtest->text().toStdString();
        EXPECT_EQ(form.TW_preview->rowCount(), c.rows) << c.query.toStdString();
        EXPECT_TRUE(form.btn_dbtest->isEnabled());
    }
    form.ED_database->setText("o.db");
    form.ME_query->setPlainText("SELECT * FROM orders ORDER BY total");
    form.ED_params->clear();
    form.btn_dbtest->click();
    waitForTest(form);
    EXPECT_EQ(form.TW_preview->item(0, 0)->text(), QStringLiteral("A1"));
    EXPECT_EQ(form.TW_preview->horizontalHeaderItem(1)->text(), QStringLiteral("total"));
}

}  // namespace
}  // namespace zarvo
