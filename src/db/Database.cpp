#include "db/Database.h"

#include "db/Paths.h"
#include "db/SqlCursor.h"
#include "db/Transaction.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <sqlite3.h>

DatabaseTarget DatabaseTarget::sqliteFile(const QString &path)
{
    DatabaseTarget t;
    t.backend = Backend::SQLite;
    t.filePath = path;
    return t;
}

std::optional<DatabaseTarget> DatabaseTarget::fromUrl(const QString &text, QString *error)
{
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("postgresql") && scheme != QLatin1String("postgres"))
        || url.host().isEmpty() || url.path().size() < 2) {
        if (error)
            *error = QStringLiteral("The database address \"%1\" is not of the form postgresql://user@host:port/database.")
                         .arg(text);
        return std::nullopt;
    }
    DatabaseTarget t;
    t.backend = Backend::PostgreSQL;
    t.host = url.host();
    t.port = url.port(5432);
    t.user = url.userName();
    t.password = url.password();
    t.name = url.path().mid(1);
    return t;
}

std::optional<DatabaseTarget> DatabaseTarget::fromStartup(const QStringList &arguments, QString *error)
{
    QString url;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("--database")) {
            if (i + 1 >= arguments.size()) {
                if (error)
                    *error = QStringLiteral("--database needs an address: postgresql://user@host:port/database.");
                return std::nullopt;
            }
            url = arguments[++i];
        } else if (a.startsWith(QLatin1String("--database="))) {
            url = a.mid(11);
        }
    }
    if (url.isEmpty())
        url = qEnvironmentVariable("VEXARO_DATABASE");
    if (url.isEmpty())
        return sqliteFile(Paths::databaseFile());
    return fromUrl(url, error);
}

QString DatabaseTarget::describe() const
{
    if (backend == Backend::SQLite)
        return QDir::toNativeSeparators(filePath);
    return QStringLiteral("postgresql://%1@%2:%3/%4").arg(user, host).arg(port).arg(name);
}

namespace Database {
namespace {

bool exec(QSqlDatabase &db, const QString &sql, QString *error)
{
    QSqlQuery q(db);
    if (!q.exec(sql)) {
        if (error)
            *error = q.lastError().text().simplified();
        return false;
    }
    return true;
}

sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    const QVariant v = db.driver()->handle();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3 *const *>(v.constData());
    return nullptr;
}

bool prepareSqliteFile(const QString &path, QString *error)
{
    const QFileInfo file(path);
    const QString folder = file.absolutePath();
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("The folder %1 cannot be created. Check that VEXARO_HOME names a folder this user may write.")
                     .arg(QDir::toNativeSeparators(folder));
        return false;
    }
    if (!QFileInfo(folder).isWritable()) {
        *error = QStringLiteral("The folder %1 cannot be written. Check its permissions.")
                     .arg(QDir::toNativeSeparators(folder));
        return false;
    }
    if (file.exists() && (!file.isFile() || !file.isWritable())) {
        *error = QStringLiteral("The database file %1 cannot be written.").arg(QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}

bool configureSqlite(QSqlDatabase &db, const QString &path, QString *error)
{
    if (sqlite3 *h = sqliteHandle(db)) {
        // A stray "text" must be an error, not a silent match on a column name.
        sqlite3_db_config(h, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
        sqlite3_db_config(h, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    }
    // Reading the catalogue is the first real read of the file: it tells a
    // database from any other file before anything is written.
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        *error = QStringLiteral("%1 is not a VEXARO database (%2).")
                     .arg(QDir::toNativeSeparators(path), probe.lastError().text().simplified());
        return false;
    }
    probe.finish();
    QString e;
    if (!exec(db, QStringLiteral("PRAGMA journal_mode=WAL"), &e) || !exec(db, QStringLiteral("PRAGMA foreign_keys=ON"), &e)) {
        *error = QStringLiteral("The database %1 cannot be opened for writing: %2").arg(QDir::toNativeSeparators(path), e);
        return false;
    }
    return true;
}

// An older shop gets the indexes added since it was made (the tables it has
// are all there): each is built once, the first time a newer program opens it.
bool addMissingIndexes(QSqlDatabase &db, QString *error)
{
    QSqlQuery q(db);
    const bool sqlite = SqlDialect::of(db).backend() == Backend::SQLite;
    if (!q.exec(sqlite ? QStringLiteral("SELECT name FROM sqlite_master WHERE type='index'")
                       : QStringLiteral("SELECT indexname FROM pg_indexes WHERE schemaname = current_schema()"))) {
        *error = q.lastError().text();
        return false;
    }
    QSet<QString> present;
    while (q.next())
        present.insert(q.value(0).toString().toLower());
    for (const IndexDef &ix : Schema::indexes()) {
        if (present.contains(QString::fromLatin1(ix.name).toLower()))
            continue;
        QString e;
        if (!exec(db, Schema::createIndexStatement(ix), &e)) {
            *error = QStringLiteral("Adding the index %1 to the database failed: %2").arg(QLatin1StringView(ix.name), e);
            return false;
        }
    }
    return true;
}

// An older shop's tables get the columns added since it was made, each with
// its default, so its rows read as a new shop's would.
bool addMissingColumns(QSqlDatabase &db, QString *error)
{
    const SqlDialect &dialect = SqlDialect::of(db);
    // Every table's columns in one statement: on a server each question is a
    // round trip, and a counter opens the shop with this.
    QSet<QString> tables, columns; // lower-case "table", "table.column"
    QSqlQuery q(db);
    if (!q.exec(dialect.backend() == Backend::SQLite
                    ? QStringLiteral("SELECT lower(m.name), lower(p.name) FROM sqlite_master m "
                                     "JOIN pragma_table_info(m.name) p WHERE m.type = 'table'")
                    : QStringLiteral("SELECT lower(table_name), lower(column_name) FROM information_schema.columns "
                                     "WHERE table_schema = current_schema()"))) {
        *error = QStringLiteral("Reading the database's columns failed: %1").arg(q.lastError().text().simplified());
        return false;
    }
    while (q.next()) {
        tables.insert(q.value(0).toString());
        columns.insert(q.value(0).toString() + u'.' + q.value(1).toString());
    }
    for (const TableDef &t : Schema::tables()) {
        const QString table = QString::fromLatin1(t.name).toLower();
        for (const ColumnDef &c : t.columns) {
            if (!c.addedLater || !tables.contains(table)
                || columns.contains(table + u'.' + QString::fromLatin1(c.name).toLower()))
                continue;
            QString e;
            if (!exec(db, QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(QLatin1StringView(t.name), dialect.columnDefinition(c)), &e)) {
                *error = QStringLiteral("Adding the column %1.%2 to the database failed: %3")
                             .arg(QLatin1StringView(t.name), QLatin1StringView(c.name), e);
                return false;
            }
        }
    }
    return true;
}

// The ledger's day sums are only as good as their triggers: a database that
// lacks any of them (a new shop, an older one, one restored from an older
// backup) has the sums made afresh from the ledger and the triggers made.
bool ensureLedgerDays(QSqlDatabase &db, QString *error)
{
    const SqlDialect &dialect = SqlDialect::of(db);
    QSqlQuery q(db);
    if (!q.exec(dialect.backend() == Backend::SQLite
                    ? QStringLiteral("SELECT lower(name) FROM sqlite_master WHERE type='trigger'")
                    : QStringLiteral("SELECT lower(t.tgname) FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid "
                                     "WHERE NOT t.tgisinternal AND c.relnamespace = "
                                     "(SELECT oid FROM pg_namespace WHERE nspname = current_schema())"))) {
        *error = q.lastError().text();
        return false;
    }
    QSet<QString> present;
    while (q.next())
        present.insert(q.value(0).toString());
    q.finish();
    bool complete = true;
    for (const QString &name : Schema::ledgerDayTriggerNames(dialect))
        complete = complete && present.contains(name);
    if (complete)
        return true;
    for (const QString &sql : Schema::ledgerDayStatements(dialect)) {
        QString e;
        if (!exec(db, sql, &e)) {
            *error = QStringLiteral("Summing the ledger by day failed: %1").arg(e);
            return false;
        }
    }
    return true;
}

bool createSchema(QSqlDatabase &db, QString *error)
{
    const SqlDialect &dialect = SqlDialect::of(db);
    Transaction tx(db);
    if (!tx.isActive()) {
        *error = tx.errorText();
        return false;
    }
    if (dialect.backend() == Backend::PostgreSQL) {
        // Two counters starting on a new server at once: the second waits here
        // and then finds the tables made.
        if (!exec(db, QStringLiteral("SELECT pg_advisory_xact_lock(38264917)"), error))
            return false;
    }
    const QStringList missing = missingTables(db);
    if (missing.isEmpty()) {
        if (!addMissingColumns(db, error) || !addMissingIndexes(db, error) || !ensureLedgerDays(db, error))
            return false;
        return tx.commit() || (*error = tx.errorText(), false);
    }
    if (missing.size() != qsizetype(Schema::tables().size())) {
        // An older shop lacks only the tables added since: they are made now.
        QStringList lacking;
        QStringList added;
        for (const QString &name : missing) {
            const TableDef *t = Schema::table(name);
            (t && t->addedLater ? added : lacking) << name;
        }
        if (!lacking.isEmpty()) {
            *error = QStringLiteral("The database holds some of the shop's tables but lacks: %1.").arg(lacking.join(QStringLiteral(", ")));
            return false;
        }
        for (const QString &name : added) {
            for (const QString &sql : Schema::createTableStatements(dialect, name)) {
                QString e;
                if (!exec(db, sql, &e)) {
                    *error = QStringLiteral("Adding the table %1 to the database failed: %2").arg(name, e);
                    return false;
                }
            }
        }
        if (!addMissingColumns(db, error) || !addMissingIndexes(db, error) || !ensureLedgerDays(db, error))
            return false;
        if (!tx.commit()) {
            *error = QStringLiteral("Adding tables to the database failed: %1").arg(tx.errorText());
            return false;
        }
        return true;
    }
    for (const QString &sql : Schema::createStatements(dialect) + Schema::startingRowStatements()) {
        QString e;
        if (!exec(db, sql, &e)) {
            *error = QStringLiteral("Creating the database failed: %1").arg(e);
            return false;
        }
    }
    if (!ensureLedgerDays(db, error))
        return false;
    if (!tx.commit()) {
        *error = QStringLiteral("Creating the database failed: %1").arg(tx.errorText());
        return false;
    }
    return true;
}

} // namespace

QStringList missingTables(const QSqlDatabase &db)
{
    QStringList present;
    for (const QString &t : db.tables(QSql::Tables))
        present << t.toLower();
    QStringList missing;
    for (const TableDef &t : Schema::tables()) {
        const QString name = QString::fromLatin1(t.name).toLower();
        if (!present.contains(name))
            missing << name;
    }
    return missing;
}

bool open(const DatabaseTarget &target, const QString &connectionName, QString *error)
{
    QString localError;
    if (!error)
        error = &localError;
    close(connectionName);

    const SqlDialect &dialect = target.backend == Backend::SQLite ? SqlDialect::sqlite() : SqlDialect::postgresql();
    if (!QSqlDatabase::isDriverAvailable(dialect.driverName())) {
        *error = QStringLiteral("The Qt database driver %1 is not installed.").arg(dialect.driverName());
        return false;
    }
    if (target.backend == Backend::SQLite && !prepareSqliteFile(target.filePath, error))
        return false;

    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(dialect.driverName(), connectionName);
        if (target.backend == Backend::SQLite) {
            db.setDatabaseName(target.filePath);
            // Two copies of the program on one file wait for each other, bounded.
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(SqlDialect::LockWaitMs));
        } else {
            db.setHostName(target.host);
            db.setPort(target.port);
            db.setUserName(target.user);
            db.setPassword(target.password);
            db.setDatabaseName(target.name);
            // A server waits for a lock forever unless told otherwise; a counter
            // waits as long as it would on the file. Set as the connection
            // opens, it costs no round trip of its own.
            db.setConnectOptions(QStringLiteral("connect_timeout=10;options='-c lock_timeout=%1'").arg(SqlDialect::LockWaitMs));
            // NUMERIC arrives as text so that no digit of an amount is lost.
            db.setNumericalPrecisionPolicy(QSql::HighPrecision);
        }
        if (!db.open()) {
            if (target.backend == Backend::SQLite)
                *error = QStringLiteral("The database %1 cannot be opened: %2")
                             .arg(target.describe(), db.lastError().text().simplified());
            else
                *error = QStringLiteral("The PostgreSQL server at %1:%2 (database \"%3\") does not answer: %4")
                             .arg(target.host).arg(target.port).arg(target.name, db.lastError().text().simplified());
        } else if (target.backend == Backend::SQLite && !configureSqlite(db, target.filePath, error)) {
            // error set
        } else if (!createSchema(db, error)) {
            // error set
        } else {
            ok = true;
        }
    }
    if (!ok)
        close(connectionName);
    return ok;
}

bool bringUpToDate(const QString &connectionName, QString *error)
{
    QSqlDatabase db = connection(connectionName);
    return createSchema(db, error);
}

void close(const QString &connectionName)
{
    if (!QSqlDatabase::contains(connectionName))
        return;
    // Statements still open on the connection would keep the file open.
    SqlCursor::releaseAll(connectionName);
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

QSqlDatabase connection(const QString &connectionName)
{
    return QSqlDatabase::database(connectionName, false);
}

} // namespace Database
