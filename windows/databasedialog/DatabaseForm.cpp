#include "databasedialog/DatabaseForm.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "database/DatabaseOrigin.h"
#include "database/DatabaseSectionEdit.h"
#include "database/DatabaseSpec.h"
#include "painting/ObjectName.h"
#include "platform/Messages.h"
#include "widgets/OkCancelRow.h"

namespace zarvo {

namespace {

constexpr int kPreviewRows = 20;
const char* const kDrivers[] = {"sqlite", "postgresql", "mysql", "odbc"};
enum PasswordSource { NoPassword, EnvironmentPassword, CredentialsPassword };

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }
std::string text(const QLineEdit& edit) { return edit.text().trimmed().toStdString(); }
std::string text(const QPlainTextEdit& edit) { return edit.toPlainText().trimmed().toStdString(); }

QPlainTextEdit* queryEditor(const char* name, const std::string& sql, const char* placeholder) {
    auto* editor = named(new QPlainTextEdit(text(sql)), name);
    editor->setPlaceholderText(QString::fromUtf8(placeholder));
    editor->setTabChangesFocus(true);
    editor->setFixedHeight(60);
    return editor;
}

}  // namespace

TDatabaseForm::TDatabaseForm(FormProfile profile, std::string reportPath, QWidget* parent)
    : QDialog(parent), original_(std::move(profile)), reportPath_(std::move(reportPath)) {
    setObjectName(QStringLiteral("TDatabaseForm"));
    setWindowTitle(QStringLiteral("資料庫"));
    const DatabaseFields fields = databaseFieldsOf(original_);
    CB_driver = named(new QComboBox, "CB_driver");
    for (const char* driver : kDrivers) CB_driver->addItem(QString::fromLatin1(driver));
    CB_driver->setCurrentText(text(fields.driver));
    ED_database = named(new QLineEdit(text(fields.database)), "ED_database");
    ED_database->setPlaceholderText(QStringLiteral("例如 orders.db (SQLite 檔案, 相對於報表的資料夾) 或 erp"));
    ED_host = named(new QLineEdit(text(fields.host)), "ED_host");
    ED_port = named(new QLineEdit(text(fields.port)), "ED_port");
    ED_port->setPlaceholderText(QStringLiteral("例如 5432"));
    ED_user = named(new QLineEdit(text(fields.user)), "ED_user");
    CB_password = named(new QComboBox, "CB_password");
    CB_password->addItems({QStringLiteral("不用密碼"), QStringLiteral("環境變數 (password-env)"),
                           QStringLiteral("密碼檔的項目 (credentials)")});
    ED_password = named(new QLineEdit, "ED_password");
    if (!fields.passwordEnv.empty()) {
        CB_password->setCurrentIndex(EnvironmentPassword);
        ED_password->setText(text(fields.passwordEnv));
    } else if (!fields.credentials.empty()) {
        CB_password->setCurrentIndex(CredentialsPassword);
        ED_password->setText(text(fields.credentials));
    }
    ME_query = queryEditor("ME_query", fields.query, "例如 SELECT no, customer FROM orders WHERE no = :no");
    ME_items = queryEditor("ME_items", fields.items, "例如 SELECT item, qty FROM items WHERE order_no = :no (有明細列時)");
    ED_params = named(new QLineEdit, "ED_params");
    ED_params->setPlaceholderText(QStringLiteral("例如 no=SH1130614027; from=2024-06-01 (只用於連線測試)"));
    btn_dbtest = named(new QPushButton(QStringLiteral("連線測試")), "btn_dbtest");
    Label_dbtest = named(new QLabel, "Label_dbtest");
    Label_dbtest->setWordWrap(true);
    Label_dbtest->setTextInteractionFlags(Qt::TextSelectableByMouse);
    TW_preview = named(new QTableWidget, "TW_preview");
    TW_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TW_preview->setMinimumHeight(160);

    auto* password = new QHBoxLayout;
    password->addWidget(CB_password);
    password->addWidget(ED_password, 1);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("驅動程式"), CB_driver);
    form->addRow(QStringLiteral("資料庫"), ED_database);
    form->addRow(QStringLiteral("主機"), ED_host);
    form->addRow(QStringLiteral("埠號"), ED_port);
    form->addRow(QStringLiteral("使用者"), ED_user);
    form->addRow(QStringLiteral("密碼"), password);
    form->addRow(QStringLiteral("查詢 (query)"), ME_query);
    form->addRow(QStringLiteral("明細查詢 (items)"), ME_items);
    form->addRow(QStringLiteral("參數"), ED_params);
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(btn_dbtest);
    testRow->addWidget(Label_dbtest, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(testRow);
    layout->addWidget(TW_preview, 1);
    layout->addLayout(okCancelRow(*this, btn_ok, btn_cancel));
    resize(640, 640);

    connect(btn_dbtest, &QPushButton::clicked, this, &TDatabaseForm::test);
    connect(&watcher_, &QFutureWatcher<DatabaseProbe>::finished, this, &TDatabaseForm::showProbe);
    connect(btn_ok, &QPushButton::clicked, this, &TDatabaseForm::confirm);
}

TDatabaseForm::~TDatabaseForm() {
    // A test still connecting finishes on its own thread; its answer is not wanted.
    watcher_.disconnect();
}

std::optional<FormProfile> TDatabaseForm::typed() {
    DatabaseFields fields;
    fields.driver = CB_driver->currentText().toStdString();
    fields.database = text(*ED_database);
    fields.host = text(*ED_host);
    fields.port = text(*ED_port);
    fields.user = text(*ED_user);
    if (CB_password->currentIndex() == EnvironmentPassword) fields.passwordEnv = text(*ED_password);
    if (CB_password->currentIndex() == CredentialsPassword) fields.credentials = text(*ED_password);
    fields.query = text(*ME_query);
    fields.items = text(*ME_items);
    const EditedDatabase edited = withDatabaseFields(original_, fields);
    if (!edited.faults.empty()) {
        ShowWarning("%s", edited.faults.front().reason.c_str());
        return std::nullopt;
    }
    return edited.profile;
}

void TDatabaseForm::test() {
    if (testing()) return;
    const std::optional<FormProfile> profile = typed();
    if (!profile) return;
    DatabaseRequest request;
    try {
        request = databaseRequest(reportPath_, *profile, "", parametersOf(ED_params->text().toStdString()));
    } catch (const std::exception& error) {
        Label_dbtest->setText(text(error.what()));
        return;
    }
    btn_dbtest->setEnabled(false);
    Label_dbtest->setText(QStringLiteral("連線中..."));
    watcher_.setFuture(QtConcurrent::run([request] { return probeDatabase(request, kPreviewRows); }));
}

void TDatabaseForm::showProbe() {
    const DatabaseProbe probe = watcher_.result();
    btn_dbtest->setEnabled(true);
    Label_dbtest->setText(text(probeSummary(probe)));
    TW_preview->clear();
    TW_preview->setColumnCount(int(probe.columns.size()));
    TW_preview->setRowCount(int(probe.rows.size()));
    QStringList headers;
    for (const std::string& column : probe.columns) headers.append(text(column));
    TW_preview->setHorizontalHeaderLabels(headers);
    for (std::size_t row = 0; row < probe.rows.size(); ++row) {
        for (std::size_t column = 0; column < probe.rows[row].size(); ++column) {
            TW_preview->setItem(int(row), int(column), new QTableWidgetItem(text(probe.rows[row][column])));
        }
    }
}

void TDatabaseForm::confirm() {
    kept_ = typed();
    if (kept_) accept();
}

std::optional<FormProfile> askDatabaseProfile(QWidget* parent, const FormProfile& profile,
                                              const std::string& reportPath) {
    TDatabaseForm form(profile, reportPath, parent);
    if (form.exec() != QDialog::Accepted) return std::nullopt;
    return form.profile();
}

}  // namespace zarvo
