#include "database/DatabaseConnection.h"

#include <QSqlDriver>
#include <QSqlError>

#include <QtGlobal>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <vector>

#include "database/Credentials.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

std::atomic<unsigned> connectionCount{0};

// text with every appearance of secret as "***": no message shows a password.
std::string withoutSecret(std::string text, const std::optional<std::string>& secret) {
    if (!secret || secret->empty()) return text;
    for (std::size_t at = text.find(*secret); at != std::string::npos; at = text.find(*secret, at + 3)) {
        text.replace(at, secret->size(), "***");
    }
    return text;
}

std::string debianPackageOf(DatabaseDriver driver) {
    switch (driver) {
    case DatabaseDriver::Sqlite: return "libqt6sql6-sqlite";
    case DatabaseDriver::Postgresql: return "libqt6sql6-psql";
    case DatabaseDriver::Mysql: return "libqt6sql6-mysql";
    case DatabaseDriver::Odbc: return "libqt6sql6-odbc";
    }
    return {};
}

// Our own connect options first: the time-out and read-only access each
// driver knows; the profile's options after them.
QString connectOptions(const DatabaseSpec& spec) {
    const QString seconds = QString::number(spec.connectTimeout);
    QString ours;
    switch (spec.driver) {
    case DatabaseDriver::Sqlite:
        ours = "QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=" + QString::number(qint64(spec.timeout) * 1000);
        break;
    case DatabaseDriver::Postgresql: ours = "connect_timeout=" + seconds; break;
    case DatabaseDriver::Mysql:
        // The server's statement time-out ends a slow query with its own
        // words; the client's read time-out, later, only gives up on a
        // server that stopped answering.
        ours = "MYSQL_OPT_CONNECT_TIMEOUT=" + seconds + ";MYSQL_OPT_READ_TIMEOUT=" + QString::number(spec.timeout + 10);
        break;
    case DatabaseDriver::Odbc:
        ours = "SQL_ATTR_LOGIN_TIMEOUT=" + seconds + ";SQL_ATTR_CONNECTION_TIMEOUT=" + seconds +
               ";SQL_ATTR_ACCESS_MODE=SQL_MODE_READ_ONLY";
        break;
    }
    const QString theirs = QString::fromStdString(spec.options);
    return theirs.isEmpty() ? ours : ours + ";" + theirs;
}

// Qt's MySQL driver only warns of a connect option it does not know (or a
// value it cannot read) and connects without it: a TLS or socket option
// mistyped would go unnoticed. While a connection of this thread opens its
// warnings are kept here instead of written out.
thread_local std::vector<QString>* openWarnings = nullptr;
QtMessageHandler earlierHandler = nullptr;
std::once_flag handlerInstalled;

void keepOpenWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    static const QString prefix = QStringLiteral("QMYSQLDriver::open: ");
    if (openWarnings && type == QtWarningMsg && message.startsWith(prefix)) {
        openWarnings->push_back(message.mid(prefix.size()));
        return;
    }
    earlierHandler(type, context, message);
}

QString databaseName(const DatabaseRequest& request) {
    const std::string& name = request.spec.database;
    if (request.spec.driver != DatabaseDriver::Sqlite || name.empty() || name.front() == '/') {
        return QString::fromStdString(name);
    }
    return QString::fromStdString((std::filesystem::path(request.reportFolder) / name).string());
}

}  // namespace

std::string databaseMessage(const DatabaseRequest& request, int line, std::string_view what, std::string_view words) {
    std::string message = "資料庫 [" + request.spec.section + "] (表單設定檔 " + request.profilePath;
    if (line > 0) message += " 第 " + std::to_string(line) + " 行";
    message += "): " + std::string(what);
    if (!words.empty()) message += ": " + std::string(words);
    return message;
}

DatabaseConnection::DatabaseConnection(const DatabaseRequest& request)
    : request_(request), name_(QStringLiteral("zarvo-database-%1").arg(++connectionCount)) {
    const DatabaseSpec& spec = request_.spec;
    const QString driver = QString::fromLatin1(qtDriverName(spec.driver).data());
    if (!QSqlDatabase::isDriverAvailable(driver)) {
        throw ReportError(databaseMessage(request_, spec.line, "沒有 " + driver.toStdString() + " 驅動程式, 請安裝 " +
                                                               debianPackageOf(spec.driver)));
    }
    try {
        password_ = databasePassword(spec);
    } catch (const ReportError& error) {
        throw ReportError(databaseMessage(request_, spec.line, "無法取得密碼", error.what()));
    }
    db_ = QSqlDatabase::addDatabase(driver, name_);
    db_.setDatabaseName(databaseName(request_));
    if (!spec.host.empty()) db_.setHostName(QString::fromStdString(spec.host));
    if (spec.port > 0) db_.setPort(spec.port);
    if (!spec.user.empty()) db_.setUserName(QString::fromStdString(spec.user));
    if (password_) db_.setPassword(QString::fromStdString(*password_));
    db_.setConnectOptions(connectOptions(spec));
    std::call_once(handlerInstalled, [] { earlierHandler = qInstallMessageHandler(keepOpenWarnings); });
    std::vector<QString> warnings;
    openWarnings = &warnings;
    const bool opened = db_.open();
    openWarnings = nullptr;
    if (!opened) fail(spec.line, "無法連線", db_.lastError());
    if (!warnings.empty()) {
        throw ReportError(databaseMessage(request_, spec.line, "options 有驅動程式無法使用的設定",
                                          withoutSecret(warnings.front().toStdString(), password_)));
    }
    begin();
}

// A read-only transaction with the query time-out where the driver has
// them, and UTF-8 text on the wire.
void DatabaseConnection::begin() {
    const DatabaseSpec& spec = request_.spec;
    const QString milliseconds = QString::number(qint64(spec.timeout) * 1000);
    QSqlQuery setting(db_);
    switch (spec.driver) {
    case DatabaseDriver::Postgresql:
        if (!db_.transaction()) fail(spec.line, "無法開始唯讀交易", db_.lastError());
        if (!setting.exec("SET TRANSACTION READ ONLY")) fail(spec.line, "無法開始唯讀交易", setting.lastError());
        if (!setting.exec("SET LOCAL statement_timeout = " + milliseconds)) {
            fail(spec.line, "無法設定查詢時限", setting.lastError());
        }
        setting.exec("SET LOCAL client_encoding = 'UTF8'");
        break;
    case DatabaseDriver::Mysql: {
        if (!setting.exec("SET NAMES utf8mb4")) fail(spec.line, "無法設定 utf8mb4 字元集", setting.lastError());
        // Every transaction of the session read-only, the one begun below too.
        if (!setting.exec("SET SESSION TRANSACTION READ ONLY")) {
            fail(spec.line, "無法開始唯讀交易", setting.lastError());
        }
        // MariaDB counts its statement time-out in seconds, MySQL in
        // milliseconds and under another name.
        const bool mariadb = setting.exec("SELECT VERSION()") && setting.next() &&
                             setting.value(0).toString().contains(QLatin1String("MariaDB"), Qt::CaseInsensitive);
        const QString timeout = mariadb ? "SET SESSION max_statement_time = " + QString::number(spec.timeout)
                                        : "SET SESSION MAX_EXECUTION_TIME = " + milliseconds;
        if (!setting.exec(timeout)) fail(spec.line, "無法設定查詢時限", setting.lastError());
        if (!db_.transaction()) fail(spec.line, "無法開始唯讀交易", db_.lastError());
        break;
    }
    case DatabaseDriver::Sqlite:
    case DatabaseDriver::Odbc: break;  // read-only by the connect options
    }
}

DatabaseConnection::~DatabaseConnection() {
    // The transaction ends before the prepared statement is freed: after a
    // failed query PostgreSQL refuses every command of the transaction,
    // and the driver would complain on standard error.
    if (query_) query_->finish();
    if (db_.isOpen()) db_.rollback();
    query_.reset();
    if (db_.isOpen()) {
        db_.close();
    }
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

QSqlQuery& DatabaseConnection::run(const std::string& sql, int line, const DatabaseParameters& values) {
    const PositionalSql positional = positionalSql(sql);
    if (!query_ || prepared_ != sql) {
        query_ = std::make_unique<QSqlQuery>(db_);
        query_->setForwardOnly(true);
        query_->setNumericalPrecisionPolicy(QSql::HighPrecision);
        prepared_.clear();
        if (!query_->prepare(QString::fromStdString(positional.sql))) fail(line, "資料庫不接受這個查詢", query_->lastError());
        prepared_ = sql;
    }
    for (std::size_t i = 0; i < positional.names.size(); ++i) {
        const auto found = values.find(positional.names[i]);
        if (found == values.end()) {
            throw ReportError(databaseMessage(request_, line, "查詢用到的參數 :" + positional.names[i] + " 沒有給值"));
        }
        // A NUL would end the text some drivers hand the server; no value
        // in a database holds one, so it could match nothing anyway.
        if (found->second.find('\0') != std::string::npos) {
            throw ReportError(databaseMessage(request_, line, "參數 :" + positional.names[i] + " 的值含有 NUL 字元"));
        }
        query_->bindValue(int(i), QString::fromStdString(found->second));
    }
    return rerun(line);
}

QSqlQuery& DatabaseConnection::rerun(int line) {
    if (!query_->exec()) fail(line, "查詢失敗", query_->lastError());
    return *query_;
}

void DatabaseConnection::fail(int line, std::string_view what, const QSqlError& error) const {
    // The database's first line says what is wrong; what follows (the
    // statement quoted back, a hint) would make the one message several.
    QString words = error.databaseText().trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
    const QString driverWords = error.driverText().trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
    if (words.isEmpty()) {
        words = driverWords;
    } else if (!driverWords.isEmpty() && !words.contains(driverWords)) {
        words += " (" + driverWords + ")";
    }
    throw ReportError(databaseMessage(request_, line, what, withoutSecret(words.toStdString(), password_)));
}

}  // namespace zarvo
