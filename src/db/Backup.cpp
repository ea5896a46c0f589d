#include "db/Backup.h"

#include "db/Schema.h"
#include "db/SqlDialect.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <sqlite3.h>

namespace Backup {
namespace {

// How long a copy waits for other counters to let go of the database.
constexpr int BusyWaitMs = 30000;

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

sqlite3 *handleOf(const QSqlDatabase &db)
{
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant v = db.driver()->handle();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3 *const *>(v.constData());
    return nullptr;
}

// A connection of its own to a file, closed when it goes.
class File
{
public:
    File(const QString &path, int flags)
    {
        m_rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
        if (m_db)
            sqlite3_busy_timeout(m_db, BusyWaitMs);
    }
    ~File() { sqlite3_close(m_db); }
    bool ok() const { return m_rc == SQLITE_OK; }
    QString message() const
    {
        return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(m_rc));
    }
    sqlite3 *db() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
    int m_rc = SQLITE_OK;
};

// The rows of a one-column statement as text; false with SQLite's message.
bool rows(sqlite3 *db, const char *sql, QStringList *out, QString *error)
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(stmt);
        return false;
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        *out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    const bool done = rc == SQLITE_DONE;
    if (!done)
        *error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(stmt);
    return done;
}

// Every page of `from` into `to`, from one consistent read of `from`.
bool copyPages(sqlite3 *to, sqlite3 *from, QString *error)
{
    sqlite3_backup *b = sqlite3_backup_init(to, "main", from, "main");
    if (!b) {
        *error = QString::fromUtf8(sqlite3_errmsg(to));
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    int rc;
    for (;;) {
        rc = sqlite3_backup_step(b, -1);
        if ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && waited.elapsed() < BusyWaitMs) {
            sqlite3_sleep(50);
            continue;
        }
        break;
    }
    sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE) {
        // The destination's message names a full disk or a locked file;
        // the code's own text covers the rest.
        const int code = sqlite3_errcode(to);
        *error = code != SQLITE_OK ? QString::fromUtf8(sqlite3_errmsg(to)) : QString::fromUtf8(sqlite3_errstr(rc));
        return false;
    }
    return true;
}

bool integrityOk(sqlite3 *db, QString *error)
{
    QStringList found;
    QString e;
    if (!rows(db, "PRAGMA integrity_check", &found, &e)) {
        *error = e;
        return false;
    }
    if (found != QStringList{QStringLiteral("ok")}) {
        *error = QStringLiteral("the integrity check found damage: %1").arg(found.mid(0, 3).join(QStringLiteral("; ")));
        return false;
    }
    return true;
}

} // namespace

bool supported(const QSqlDatabase &db, QString *reason)
{
    if (handleOf(db))
        return true;
    if (reason) {
        if (SqlDialect::of(db).backend() == Backend::PostgreSQL)
            *reason = QStringLiteral(
                "This shop's data is kept on the PostgreSQL server %1 (database \"%2\"). The program writes no copy "
                "of it: the server's own backup applies (pg_dump, or the backups its administrator runs).")
                          .arg(db.hostName(), db.databaseName());
        else
            *reason = QStringLiteral("The database is not open.");
    }
    return false;
}

namespace {

// A checked copy of `live` at `target`, written beside it first.
bool copyTo(sqlite3 *live, const QString &target, QString *error)
{
    const QFileInfo info(target);
    if (!QDir().mkpath(info.absolutePath())) {
        *error = QStringLiteral("The folder %1 cannot be created.").arg(native(info.absolutePath()));
        return false;
    }
    // Written beside its final name: a copy that fails half-way leaves an
    // earlier backup of the same name untouched.
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    QString e;
    bool ok = false;
    {
        File copy(partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        if (!copy.ok())
            e = QStringLiteral("%1 cannot be written: %2").arg(native(partial), copy.message());
        else if (!copyPages(copy.db(), live, &e))
            e = QStringLiteral("copying the database failed: %1").arg(e);
        else {
            // One self-contained file, without a write-ahead log beside it.
            QStringList mode;
            if (!rows(copy.db(), "PRAGMA journal_mode=DELETE", &mode, &e))
                e = QStringLiteral("the copy cannot be finished: %1").arg(e);
            else
                ok = integrityOk(copy.db(), &e);
        }
    }
    if (ok && QFile::exists(target) && !QFile::remove(target)) {
        e = QStringLiteral("the earlier backup %1 cannot be replaced (is it open elsewhere or read-only?)").arg(native(target));
        ok = false;
    }
    if (ok && !QFile::rename(partial, target)) {
        e = QStringLiteral("the copy cannot be renamed to %1").arg(native(target));
        ok = false;
    }
    if (!ok) {
        QFile::remove(partial);
        *error = e;
    }
    return ok;
}

} // namespace

bool toFile(const QSqlDatabase &db, const QString &target, QString *error)
{
    sqlite3 *live = handleOf(db);
    if (!live) {
        supported(db, error);
        return false;
    }
    return copyTo(live, target, error);
}

bool fileToFile(const QString &database, const QString &target, QString *error)
{
    if (!QFileInfo(database).isFile()) {
        *error = QStringLiteral("The database %1 does not exist.").arg(native(database));
        return false;
    }
    // Opened for writing only so that it may share the write-ahead log's
    // index with the counters; nothing is written to it.
    File source(database, SQLITE_OPEN_READWRITE);
    if (!source.ok()) {
        *error = QStringLiteral("The database %1 cannot be opened: %2").arg(native(database), source.message());
        return false;
    }
    return copyTo(source.db(), target, error);
}

QString databaseFile(const QSqlDatabase &db)
{
    sqlite3 *live = handleOf(db);
    const char *name = live ? sqlite3_db_filename(live, "main") : nullptr;
    return name ? QString::fromUtf8(name) : QString();
}

bool checkCopy(const QString &file, QString *error)
{
    if (!QFileInfo(file).isFile()) {
        *error = QStringLiteral("The file %1 does not exist.").arg(native(file));
        return false;
    }
    File copy(file, SQLITE_OPEN_READONLY);
    QString e;
    QStringList tables;
    if (!copy.ok()) {
        *error = QStringLiteral("%1 cannot be opened: %2").arg(native(file), copy.message());
        return false;
    }
    if (!rows(copy.db(), "SELECT lower(name) FROM sqlite_master WHERE type='table'", &tables, &e)) {
        *error = QStringLiteral("%1 is not a VEXARO database: %2").arg(native(file), e);
        return false;
    }
    QStringList missing;
    for (const TableDef &t : Schema::tables()) {
        const QString name = QString::fromLatin1(t.name).toLower();
        if (!tables.contains(name))
            missing << QString::fromLatin1(t.name);
    }
    if (!missing.isEmpty()) {
        *error = QStringLiteral("%1 is not a VEXARO database: it lacks the tables %2.")
                     .arg(native(file), missing.join(QStringLiteral(", ")));
        return false;
    }
    if (!integrityOk(copy.db(), &e)) {
        *error = QStringLiteral("%1 is damaged: %2").arg(native(file), e);
        return false;
    }
    return true;
}

bool restoreFrom(const QSqlDatabase &db, const QString &source, QString *error)
{
    sqlite3 *live = handleOf(db);
    if (!live) {
        supported(db, error);
        return false;
    }
    const char *liveFile = sqlite3_db_filename(live, "main");
    if (liveFile && *liveFile
        && QFileInfo(QString::fromUtf8(liveFile)).canonicalFilePath() == QFileInfo(source).canonicalFilePath()) {
        *error = QStringLiteral("%1 is the database in use, not a backup.").arg(native(source));
        return false;
    }
    if (!checkCopy(source, error))
        return false;
    File copy(source, SQLITE_OPEN_READONLY);
    QString e;
    if (!copy.ok()) {
        *error = QStringLiteral("%1 cannot be opened: %2").arg(native(source), copy.message());
        return false;
    }
    // One write of the whole database: it is all replaced, or not at all.
    if (!copyPages(live, copy.db(), &e)) {
        *error = QStringLiteral("The database cannot be replaced: %1").arg(e);
        return false;
    }
    return true;
}

} // namespace Backup
