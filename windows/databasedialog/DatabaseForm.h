#pragma once
// The database dialog (TDatabaseForm, "資料庫"): the form's [Database] —
// driver, database, host, port, user, where the password comes from, the
// query and the items query — and, for trying it, the query's parameters.
// "連線測試" connects on a worker thread (the dialog stays responsive; the
// connect and query time-outs bound the wait), says whether it connected
// and how many rows the query gives, and shows the first 20. OK keeps the
// profile with its [Database] only when what was typed can be used.

#include <optional>
#include <string>

#include <QDialog>
#include <QFutureWatcher>

#include "database/DatabaseProbe.h"
#include "report/FormProfile.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace zarvo {

class TDatabaseForm : public QDialog {
public:
    // The dialog over profile, the profile of the report at reportPath (a
    // relative SQLite path lies beside it).
    TDatabaseForm(FormProfile profile, std::string reportPath, QWidget* parent = nullptr);
    ~TDatabaseForm() override;

    // The profile as OK kept it.
    const std::optional<FormProfile>& profile() const { return kept_; }
    // Whether a connection test is under way.
    bool testing() const { return watcher_.isRunning(); }

    QComboBox* CB_driver;
    QLineEdit* ED_database;
    QLineEdit* ED_host;
    QLineEdit* ED_port;
    QLineEdit* ED_user;
    QComboBox* CB_password;  // none, environment variable, credentials file
    QLineEdit* ED_password;  // the variable's name or the credentials key
    QPlainTextEdit* ME_query;
    QPlainTextEdit* ME_items;
    QLineEdit* ED_params;
    QPushButton* btn_dbtest;
    QLabel* Label_dbtest;
    QTableWidget* TW_preview;
    QPushButton* btn_ok;
    QPushButton* btn_cancel;

private:
    void test();
    void showProbe();
    void confirm();
    // The profile with what was typed, or nullopt after saying why it cannot be used.
    std::optional<FormProfile> typed();

    FormProfile original_;
    std::string reportPath_;
    std::optional<FormProfile> kept_;
    QFutureWatcher<DatabaseProbe> watcher_;
};

// Runs the dialog over parent; the profile as kept, nullopt when cancelled.
std::optional<FormProfile> askDatabaseProfile(QWidget* parent, const FormProfile& profile,
                                              const std::string& reportPath);

}  // namespace zarvo
