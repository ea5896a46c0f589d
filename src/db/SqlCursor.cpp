#include "db/SqlCursor.h"

#include "db/Money.h"
#include "db/SqlDialect.h"
#include "db/Transaction.h"

#include <QDate>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <sqlite3.h>

QStringList sqlParameterNames(const QString &sql)
{
    QStringList names;
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u':' && i + 1 < sql.size() && (sql[i + 1].isLetter() || sql[i + 1] == u'_')
                   && (i == 0 || sql[i - 1] != u':')) {
            qsizetype j = i + 1;
            while (j < sql.size() && (sql[j].isLetterOrNumber() || sql[j] == u'_'))
                ++j;
            const QString name = sql.mid(i + 1, j - i - 1);
            bool seen = false;
            for (const QString &n : std::as_const(names))
                seen = seen || n.compare(name, Qt::CaseInsensitive) == 0;
            if (!seen)
                names << name;
            i = j - 1;
        }
    }
    return names;
}

namespace {

QHash<QString, QSet<SqlCursor *>> &openCursors()
{
    static QHash<QString, QSet<SqlCursor *>> s;
    return s;
}

// ---------------------------------------------------------------- SQLite

// Idle reading connections per database file, reused from one list to the
// next: opening one costs a little, keeping a few costs nothing.
class ReaderPool
{
public:
    static sqlite3 *acquire(const QByteArray &file)
    {
        auto &idle = pool()[file];
        if (!idle.isEmpty())
            return idle.takeLast();
        sqlite3 *h = nullptr;
        if (sqlite3_open_v2(file.constData(), &h, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
            sqlite3_close(h);
            return nullptr;
        }
        sqlite3_busy_timeout(h, 15000);
        sqlite3_db_config(h, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
        sqlite3_db_config(h, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
        return h;
    }
    static void release(const QByteArray &file, sqlite3 *h)
    {
        auto &idle = pool()[file];
        if (idle.size() < 4)
            idle.append(h);
        else
            sqlite3_close(h);
    }
    static void closeAll(const QByteArray &file)
    {
        for (sqlite3 *h : pool().take(file))
            sqlite3_close(h);
    }

private:
    static QHash<QByteArray, QList<sqlite3 *>> &pool()
    {
        static QHash<QByteArray, QList<sqlite3 *>> p;
        return p;
    }
};

class SqliteCursor final : public SqlCursor
{
public:
    SqliteCursor(const QSqlDatabase &db) : m_connection(db.connectionName())
    {
        const QVariant h = db.driver()->handle();
        if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0)
            m_main = *static_cast<sqlite3 *const *>(h.constData());
        m_db = m_main;
        if (m_main) {
            const char *file = sqlite3_db_filename(m_main, "main");
            m_file = file ? QByteArray(file) : QByteArray();
        }
        openCursors()[m_connection].insert(this);
    }

    static void closeReaders(const QSqlDatabase &db)
    {
        const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
        if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0) {
            if (const char *file = sqlite3_db_filename(*static_cast<sqlite3 *const *>(h.constData()), "main"))
                ReaderPool::closeAll(QByteArray(file));
        }
    }

    bool mustBeReadAtOnce() const override { return m_stmt && m_db == m_main; }
    ~SqliteCursor() override
    {
        release();
        openCursors()[m_connection].remove(this);
    }

    bool exec(const QString &sql, const QHash<QString, QVariant> &params,
              const QHash<QString, ColumnType> &typeOverrides) override
    {
        release();
        // A reading connection of its own, unless a write is open here (the
        // rows must then include it) or the database lives in memory only.
        if (!m_file.isEmpty() && !Transaction::inProgress(m_connection)) {
            if (sqlite3 *reader = ReaderPool::acquire(m_file)) {
                m_db = reader;
                m_onReader = true;
            }
        }
        if (!prepare(sql, params))
            return false;
        const int n = sqlite3_column_count(m_stmt);
        m_names.assign(size_t(n), QString());
        m_types.assign(size_t(n), std::nullopt);
        for (int i = 0; i < n; ++i) {
            m_names[size_t(i)] = columnName(i);
            std::optional<ColumnType> t;
            const auto o = typeOverrides.isEmpty() ? typeOverrides.cend() : typeOverrides.constFind(m_names[size_t(i)].toLower());
            if (o != typeOverrides.cend())
                t = *o;
            else if (const char *decl = sqlite3_column_decltype(m_stmt, i))
                t = sqliteDeclaredType(decl);
            else
                t = Schema::typeOfColumnName(m_names[size_t(i)]);
            if (t == ColumnType::AutoNumber)
                t = ColumnType::Integer;
            m_types[size_t(i)] = t;
        }
        m_atEnd = false;
        // Step once now: a statement error (a locked table, a bad value)
        // belongs to opening, not to the first scroll.
        return stepInto();
    }

    bool execNoRows(const QString &sql, const QHash<QString, QVariant> &params, int *rowsAffected) override
    {
        release(); // writes go through the shared connection
        if (!prepare(sql, params))
            return false;
        const int rc = sqlite3_step(m_stmt);
        const bool ok = rc == SQLITE_DONE || rc == SQLITE_ROW;
        if (!ok)
            m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        else if (rowsAffected)
            *rowsAffected = sqlite3_changes(m_db);
        release();
        return ok;
    }

    int fetch(int n, RowStore &store, std::vector<int> &got) override
    {
        int done = 0;
        while (done < n && !m_atEnd && m_hasRow) {
            RowStore::Writer w = store.writer();
            for (int c = 0; c < int(m_types.size()); ++c)
                put(w, c);
            got.push_back(w.finish());
            ++done;
            if (!stepInto())
                break;
        }
        return done;
    }

    void release() override
    {
        if (m_stmt) {
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
        }
        if (m_onReader) {
            ReaderPool::release(m_file, m_db);
            m_onReader = false;
        }
        m_db = m_main;
        m_hasRow = false;
        m_atEnd = true;
    }

private:
    // SQLite names a column that appears twice inside a bracketed join
    // "ID:1"; the windows know it as the table's column, "ID".
    QString columnName(int i) const
    {
        QString name = QString::fromUtf8(sqlite3_column_name(m_stmt, i));
        const char *origin = sqlite3_column_origin_name(m_stmt, i);
        const qsizetype colon = name.lastIndexOf(u':');
        if (origin && colon > 0 && name.left(colon) == QLatin1StringView(origin))
            name.truncate(colon);
        return name;
    }

    bool prepare(const QString &sql, const QHash<QString, QVariant> &params)
    {
        if (!m_db) {
            m_error = QStringLiteral("The database connection is not open.");
            return false;
        }
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &m_stmt, nullptr) != SQLITE_OK) {
            m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
            m_stmt = nullptr;
            return false;
        }
        const SqlDialect &dialect = SqlDialect::sqlite();
        for (int i = 1; i <= sqlite3_bind_parameter_count(m_stmt); ++i) {
            const char *raw = sqlite3_bind_parameter_name(m_stmt, i);
            const QString name = raw ? QString::fromUtf8(raw + 1).toLower() : QString();
            const QVariant v = dialect.toDb(params.value(name));
            int rc;
            if (v.isNull() || !v.isValid()) {
                rc = sqlite3_bind_null(m_stmt, i);
            } else {
                switch (v.metaType().id()) {
                case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt:
                case QMetaType::ULongLong: case QMetaType::Bool:
                    rc = sqlite3_bind_int64(m_stmt, i, v.toLongLong());
                    break;
                case QMetaType::Double: case QMetaType::Float:
                    rc = sqlite3_bind_double(m_stmt, i, v.toDouble());
                    break;
                case QMetaType::QByteArray: {
                    const QByteArray b = v.toByteArray();
                    rc = sqlite3_bind_blob64(m_stmt, i, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT);
                    break;
                }
                default: {
                    const QByteArray s = v.toString().toUtf8();
                    rc = sqlite3_bind_text64(m_stmt, i, s.constData(), sqlite3_uint64(s.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
                    break;
                }
                }
            }
            if (rc != SQLITE_OK) {
                m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
                release();
                return false;
            }
        }
        return true;
    }

    bool stepInto()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW) {
            m_hasRow = true;
            return true;
        }
        m_hasRow = false;
        if (rc == SQLITE_DONE) {
            release(); // lets go of the read snapshot at once
            return true;
        }
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        release();
        return false;
    }

    // "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS" to a Julian day and seconds of
    // the day (-1 for a whole date), by hand: this runs for every date of
    // every row read.
    static bool parseDate(const unsigned char *s, int n, qint64 *julianDay, int *secs)
    {
        auto num = [s](int at, int len) {
            int v = 0;
            for (int k = 0; k < len; ++k) {
                const int d = s[at + k] - '0';
                if (d < 0 || d > 9)
                    return -1;
                v = v * 10 + d;
            }
            return v;
        };
        if (n < 10)
            return false;
        const int y = num(0, 4), m = num(5, 2), d = num(8, 2);
        static constexpr int monthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        if (y < 1 || m < 1 || m > 12 || d < 1 || d > monthDays[m - 1])
            return false;
        if (m == 2 && d == 29 && !(y % 4 == 0 && (y % 100 != 0 || y % 400 == 0)))
            return false;
        const int a = (14 - m) / 12;
        const qint64 yy = y + 4800 - a;
        const int mm = m + 12 * a - 3;
        *julianDay = d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
        *secs = -1;
        if (n >= 19) {
            const int hh = num(11, 2), mi = num(14, 2), ss = num(17, 2);
            if (hh < 0 || hh > 23 || mi < 0 || mi > 59 || ss < 0 || ss > 59)
                return false;
            const int total = hh * 3600 + mi * 60 + ss;
            *secs = total == 0 ? -1 : total;
        }
        return true;
    }

    // Reads through the column's value object: one call into SQLite per
    // column instead of one per question asked of it.
    void put(RowStore::Writer &w, int c)
    {
        sqlite3_value *v = sqlite3_column_value(m_stmt, c);
        const int st = sqlite3_value_type(v);
        if (st == SQLITE_NULL) {
            w.putNull();
            return;
        }
        const auto &type = m_types[size_t(c)];
        if (!type) {
            switch (st) {
            case SQLITE_INTEGER: w.putInt(sqlite3_value_int64(v)); return;
            case SQLITE_FLOAT: w.putDouble(sqlite3_value_double(v)); return;
            case SQLITE_BLOB: {
                const void *b = sqlite3_value_blob(v);
                w.putBlob(static_cast<const char *>(b), sqlite3_value_bytes(v));
                return;
            }
            default: {
                const unsigned char *t = sqlite3_value_text(v);
                w.putText(reinterpret_cast<const char *>(t), sqlite3_value_bytes(v));
                return;
            }
            }
        }
        switch (*type) {
        case ColumnType::AutoNumber:
        case ColumnType::Integer:
        case ColumnType::Currency:
            if (st == SQLITE_FLOAT)
                w.putInt(qint64(std::llround(sqlite3_value_double(v))));
            else
                w.putInt(sqlite3_value_int64(v));
            return;
        case ColumnType::Double:
            w.putDouble(sqlite3_value_double(v));
            return;
        case ColumnType::Text:
        case ColumnType::Memo: {
            const unsigned char *t = sqlite3_value_text(v);
            w.putText(reinterpret_cast<const char *>(t), sqlite3_value_bytes(v));
            return;
        }
        case ColumnType::Blob: {
            const void *b = sqlite3_value_blob(v);
            w.putBlob(static_cast<const char *>(b), sqlite3_value_bytes(v));
            return;
        }
        case ColumnType::DateTime: {
            const unsigned char *t = sqlite3_value_text(v);
            qint64 jd;
            int secs;
            if (t && parseDate(t, sqlite3_value_bytes(v), &jd, &secs))
                w.putJulianDay(jd, secs);
            else
                w.putNull();
            return;
        }
        }
    }

    QString m_connection;
    QByteArray m_file;
    sqlite3 *m_main = nullptr;   // the shared connection's handle
    sqlite3 *m_db = nullptr;     // the handle the statement runs on
    bool m_onReader = false;
    sqlite3_stmt *m_stmt = nullptr;
    bool m_hasRow = false;
};

// ------------------------------------------------------------ PostgreSQL

class QtCursor final : public SqlCursor
{
public:
    explicit QtCursor(const QSqlDatabase &db) : m_db(db) {}

    bool exec(const QString &sql, const QHash<QString, QVariant> &params,
              const QHash<QString, ColumnType> &typeOverrides) override
    {
        release();
        m_query = std::make_unique<QSqlQuery>(m_db);
        // Not forward-only: the driver then holds the whole result, so other
        // statements may run on the connection while this one is being read
        // (forward-only results are streamed and lost on the next statement).
        m_query->setForwardOnly(false);
        if (!prepareAndRun(*m_query, sql, params))
            return false;
        const QSqlRecord rec = m_query->record();
        const auto types = SqlDialect::of(m_db).resultTypes(*m_query);
        m_names.assign(size_t(rec.count()), QString());
        m_types.assign(size_t(rec.count()), std::nullopt);
        for (int i = 0; i < rec.count(); ++i) {
            m_names[size_t(i)] = rec.fieldName(i);
            const auto o = typeOverrides.constFind(m_names[size_t(i)].toLower());
            m_types[size_t(i)] = o != typeOverrides.cend() ? std::optional<ColumnType>(*o) : types[size_t(i)];
            if (m_types[size_t(i)] == ColumnType::AutoNumber)
                m_types[size_t(i)] = ColumnType::Integer;
        }
        m_atEnd = false;
        m_hasRow = m_query->next();
        if (!m_hasRow)
            release();
        return true;
    }

    bool execNoRows(const QString &sql, const QHash<QString, QVariant> &params, int *rowsAffected) override
    {
        release();
        QSqlQuery q(m_db);
        if (!prepareAndRun(q, sql, params))
            return false;
        if (rowsAffected)
            *rowsAffected = q.numRowsAffected();
        return true;
    }

    int fetch(int n, RowStore &store, std::vector<int> &got) override
    {
        const SqlDialect &dialect = SqlDialect::of(m_db);
        int done = 0;
        while (done < n && m_hasRow) {
            RowStore::Writer w = store.writer();
            for (int c = 0; c < int(m_types.size()); ++c) {
                const QVariant v = m_query->value(c);
                w.putVariant(m_types[size_t(c)] ? dialect.fromDb(v, *m_types[size_t(c)]) : v);
            }
            got.push_back(w.finish());
            ++done;
            m_hasRow = m_query->next();
        }
        if (!m_hasRow)
            release();
        return done;
    }

    void release() override
    {
        m_query.reset();
        m_hasRow = false;
        m_atEnd = true;
    }

private:
    bool prepareAndRun(QSqlQuery &q, const QString &sql, const QHash<QString, QVariant> &params)
    {
        if (!q.prepare(sql)) {
            m_error = q.lastError().text().simplified();
            return false;
        }
        const SqlDialect &dialect = SqlDialect::of(m_db);
        for (const QString &name : sqlParameterNames(sql))
            dialect.bind(q, u':' + name, params.value(name.toLower()));
        if (!q.exec()) {
            m_error = q.lastError().text().simplified();
            return false;
        }
        return true;
    }

    QSqlDatabase m_db;
    std::unique_ptr<QSqlQuery> m_query;
    bool m_hasRow = false;
};

} // namespace

std::unique_ptr<SqlCursor> SqlCursor::create(const QSqlDatabase &db)
{
    if (SqlDialect::of(db).backend() == Backend::SQLite)
        return std::make_unique<SqliteCursor>(db);
    return std::make_unique<QtCursor>(db);
}

void SqlCursor::releaseAll(const QString &connectionName)
{
    const auto cursors = openCursors().value(connectionName);
    for (SqlCursor *c : cursors)
        c->release();
    const QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (db.isValid() && SqlDialect::of(db).backend() == Backend::SQLite)
        SqliteCursor::closeReaders(db);
}
