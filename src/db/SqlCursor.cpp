#include "db/SqlCursor.h"

#include "db/Money.h"
#include "db/PgLink.h"
#include "db/SqlDialect.h"
#include "db/Transaction.h"

#include <QDate>
#include <QSet>
#include <QSqlDriver>
#include <charconv>
#include <cmath>
#include <cstring>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

// Walks a statement's named parameters (":T1"), skipping text inside quotes
// and PostgreSQL casts ("::text"): collects each name once, in order of first
// use, and when asked writes the statement with each one as PostgreSQL's
// numbered parameter ("$1") instead.
void scanParameters(const QString &sql, QStringList *names, QString *numbered)
{
    if (numbered)
        numbered->reserve(sql.size() + 8);
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u':' && i + 1 < sql.size() && (sql[i + 1].isLetter() || sql[i + 1] == u'_')
                   && (i == 0 || sql[i - 1] != u':')) {
            qsizetype j = i + 1;
            while (j < sql.size() && (sql[j].isLetterOrNumber() || sql[j] == u'_'))
                ++j;
            const QString name = sql.mid(i + 1, j - i - 1);
            qsizetype at = -1;
            for (qsizetype k = 0; k < names->size() && at < 0; ++k)
                at = (*names)[k].compare(name, Qt::CaseInsensitive) == 0 ? k : -1;
            if (at < 0) {
                at = names->size();
                names->append(name);
            }
            if (numbered)
                *numbered += u'$' + QString::number(at + 1);
            i = j - 1;
            continue;
        }
        if (numbered)
            *numbered += c;
    }
}

} // namespace

QStringList sqlParameterNames(const QString &sql)
{
    QStringList names;
    scanParameters(sql, &names, nullptr);
    return names;
}

QString sqlWithNumberedParameters(const QString &sql, QStringList *names)
{
    QString out;
    scanParameters(sql, names, &out);
    return out;
}

namespace {

QHash<QString, QSet<SqlCursor *>> &openCursors()
{
    static QHash<QString, QSet<SqlCursor *>> s;
    return s;
}

// "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS" to a Julian day and seconds of
// the day (-1 for a whole date), by hand: this runs for every date of
// every row read.
bool parseDate(const unsigned char *s, int n, qint64 *julianDay, int *secs)
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

// A list's own connection to the server, in a read-only transaction with a
// cursor: the server hands the rows over a chunk at a time, so a list of a
// million rows costs the counter only the rows read so far, and the first
// rows come as soon as the server has them (a cursor's plan favours them).
// The cursor's snapshot is taken when it opens: rows not read yet stay as they
// were then, as on SQLite's reading connection.

// Idle list connections, reused from one list to the next: a connection costs
// the server a process and the counter a round of authentication.
class PgReaderPool
{
public:
    // A connection for the next list. *answersOwed: the rollback that ended
    // the last list on it went out without waiting, in pipeline mode, and its
    // answer is read after the next list's own statements are sent.
    static PGconn *acquire(const QSqlDatabase &db, bool fresh, bool *answersOwed, QString *error)
    {
        const QString key = keyOf(db);
        auto &idle = pool()[key];
        *answersOwed = false;
        while (!fresh && !idle.isEmpty()) {
            PGconn *c = idle.takeLast();
            if (PQstatus(c) == CONNECTION_OK && PQpipelineStatus(c) == PQ_PIPELINE_ON) {
                *answersOwed = true;
                return c;
            }
            if (PQstatus(c) == CONNECTION_OK && PQtransactionStatus(c) == PQTRANS_IDLE)
                return c;
            PQfinish(c);
        }
        const QByteArray host = db.hostName().toUtf8(), port = QByteArray::number(db.port()),
                         name = db.databaseName().toUtf8(), user = db.userName().toUtf8(),
                         password = db.password().toUtf8();
        std::vector<const char *> keys, values;
        auto add = [&](const char *k, const QByteArray &v) {
            if (!v.isEmpty()) {
                keys.push_back(k);
                values.push_back(v.constData());
            }
        };
        add("host", host);
        if (db.port() > 0)
            add("port", port);
        add("dbname", name);
        add("user", user);
        add("password", password);
        static const QByteArray fixed[][2] = {
            {"connect_timeout", "10"},
            {"client_encoding", "UTF8"},
            {"application_name", "vexaro list"},
            // Dates read back in the one form the rows are parsed from.
            {"options", "-c DateStyle=ISO,YMD -c IntervalStyle=postgres"},
        };
        for (const auto &kv : fixed)
            add(kv[0].constData(), kv[1]);
        keys.push_back(nullptr);
        values.push_back(nullptr);
        PGconn *c = PQconnectdbParams(keys.data(), values.data(), 0);
        if (PQstatus(c) != CONNECTION_OK) {
            *error = QString::fromUtf8(PQerrorMessage(c)).simplified();
            PQfinish(c);
            return nullptr;
        }
        return c;
    }
    // Takes back a list's connection. A list still in its read-only
    // transaction is ended at once, so that it holds no snapshot or lock on
    // the server, but without waiting for the answer: the rollback goes out
    // in pipeline mode, and its answer is read with the next list's.
    static void release(const QSqlDatabase &db, PGconn *c)
    {
        auto &idle = pool()[keyOf(db)];
        const bool ended = PQtransactionStatus(c) == PQTRANS_IDLE
            || (PQenterPipelineMode(c) && PQsendQueryParams(c, "ROLLBACK", 0, nullptr, nullptr, nullptr, nullptr, 0)
                && PQpipelineSync(c));
        if (idle.size() < 4 && ended && PQstatus(c) == CONNECTION_OK)
            idle.append(c);
        else
            PQfinish(c);
    }
    static void closeAll(const QString &connectionName)
    {
        const QString prefix = connectionName + u'\n';
        for (auto it = pool().begin(); it != pool().end();) {
            if (it.key().startsWith(prefix)) {
                for (PGconn *c : std::as_const(it.value()))
                    PQfinish(c);
                it = pool().erase(it);
            } else {
                ++it;
            }
        }
    }

private:
    static QString keyOf(const QSqlDatabase &db)
    {
        return QStringList{db.connectionName(), db.hostName(), QString::number(db.port()), db.databaseName(),
                           db.userName()}
            .join(u'\n');
    }
    static QHash<QString, QList<PGconn *>> &pool()
    {
        static QHash<QString, QList<PGconn *>> p;
        return p;
    }
};

class PgCursor final : public SqlCursor
{
public:
    explicit PgCursor(const QSqlDatabase &db) : m_db(db), m_connection(db.connectionName())
    {
        openCursors()[m_connection].insert(this);
    }
    ~PgCursor() override
    {
        release();
        openCursors()[m_connection].remove(this);
    }

    bool exec(const QString &sql, const QHash<QString, QVariant> &params,
              const QHash<QString, ColumnType> &typeOverrides) override
    {
        release();
        m_error.clear();
        // Inside a write the rows must include it: the shared connection,
        // read at once. So too for what a cursor cannot hold (not a query),
        // for a statement of a row or a few, and when the server refuses the
        // list a connection of its own.
        if (!Transaction::inProgress(m_connection) && isQuery(sql) && !m_fewRows) {
            const int opened = open(sql, params, typeOverrides);
            if (opened > 0)
                return true;
            if (opened < 0)
                return false;
        }
        return runShared(sql, params, typeOverrides);
    }

    bool execNoRows(const QString &sql, const QHash<QString, QVariant> &params, int *rowsAffected) override
    {
        release(); // writes go through the shared connection
        if (!runShared(sql, params, {}))
            return false;
        if (rowsAffected)
            *rowsAffected = m_affected;
        release();
        return true;
    }

    void setFewRows(bool few) override { m_fewRows = few; }

    int fetch(int n, RowStore &store, std::vector<int> &got) override
    {
        int done = 0;
        while (done < n && m_res) {
            if (m_row >= m_rows) {
                if (m_serverDone || !m_conn)
                    break;
                // One row more than asked: whether the list goes on is then
                // known without another trip to the server.
                const int want = std::min(n - done, MaxChunk) + 1;
                PQclear(m_res);
                m_res = PQexec(m_conn, QByteArray("FETCH FORWARD " + QByteArray::number(want) + " FROM vx_list").constData());
                if (PQresultStatus(m_res) != PGRES_TUPLES_OK) {
                    m_error = QString::fromUtf8(PQerrorMessage(m_conn)).simplified();
                    release();
                    break;
                }
                m_rows = PQntuples(m_res);
                m_row = 0;
                m_serverDone = m_rows < want;
            }
            for (; m_row < m_rows && done < n; ++m_row, ++done) {
                RowStore::Writer w = store.writer();
                for (int c = 0; c < int(m_types.size()); ++c)
                    put(w, c);
                got.push_back(w.finish());
            }
        }
        if (m_serverDone && m_row >= m_rows)
            release(); // every row is read: the transaction ends, the connection goes back
        return done;
    }

    void release() override
    {
        if (m_whole)
            m_whole.reset(); // m_res is its result
        else
            PQclear(m_res);
        m_res = nullptr;
        m_rows = m_row = 0;
        m_serverDone = false;
        if (m_conn) {
            // Read only: nothing to keep; the rollback ends the transaction
            // and the cursor.
            PgReaderPool::release(m_db, m_conn);
            m_conn = nullptr;
        }
        m_atEnd = true;
    }

private:
    static constexpr int MaxChunk = 10000;
    static constexpr int FirstRows = 40; // about a screenful, read as the list opens

    static bool isQuery(const QString &sql)
    {
        const QStringView s = QStringView(sql).trimmed();
        return s.startsWith(u"select", Qt::CaseInsensitive) || s.startsWith(u"with", Qt::CaseInsensitive)
            || s.startsWith(u'(');
    }

    // The statement on the program's shared connection, its whole result read
    // in one round trip (with a write's BEGIN when it has not gone yet).
    bool runShared(const QString &sql, const QHash<QString, QVariant> &params,
                   const QHash<QString, ColumnType> &typeOverrides)
    {
        std::vector<PgLink::Outcome> outcomes;
        if (!PgLink::runShared(m_db, {PgLink::call(sql, [&params](const QString &name) { return params.value(name.toLower()); })},
                               &outcomes, &m_error))
            return false;
        m_affected = outcomes.back().rowsAffected();
        // The whole result is handed out as the list's rows.
        m_whole = outcomes.back().result;
        m_res = m_whole.get();
        describe(m_res, typeOverrides);
        m_rows = PQntuples(m_res);
        m_row = 0;
        m_serverDone = true;
        m_atEnd = m_rows == 0;
        if (m_atEnd)
            release();
        return true;
    }

    // Opens the cursor on a connection of the list's own and reads the first
    // rows, all in one round trip to the server (libpq's pipeline): begin,
    // declare, describe, fetch.
    // 1: open; -1: the statement failed (the error is set); 0: no connection
    // of its own could be had (run it the other way).
    int open(const QString &sql, const QHash<QString, QVariant> &params, const QHash<QString, ColumnType> &typeOverrides)
    {
        const PgLink::Call declare = PgLink::call(QStringLiteral("DECLARE vx_list NO SCROLL CURSOR FOR ") + sql,
                                                  [&params](const QString &name) { return params.value(name.toLower()); });
        const PgLink::Encoded &p = declare.params;
        const QByteArray firstFetch = "FETCH FORWARD " + QByteArray::number(FirstRows + 1) + " FROM vx_list";

        QString error;
        for (bool fresh : {false, true}) { // an idle connection the server has since closed is replaced once
            bool answersOwed = false;
            m_conn = PgReaderPool::acquire(m_db, fresh, &answersOwed, &error);
            if (!m_conn)
                return 0;
            const bool sent = PQenterPipelineMode(m_conn)
                && PQsendQueryParams(m_conn, "BEGIN READ ONLY", 0, nullptr, nullptr, nullptr, nullptr, 0)
                && PQsendQueryParams(m_conn, declare.text.constData(), int(p.values.size()), p.types.data(), p.values.data(),
                                     p.lengths.data(), p.formats.data(), 0)
                && PQsendDescribePortal(m_conn, "vx_list")
                && PQsendQueryParams(m_conn, firstFetch.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0)
                && PQpipelineSync(m_conn);
            if (!sent) {
                PQfinish(m_conn);
                m_conn = nullptr;
                continue;
            }
            // The last list's rollback and its sync, when still unread; then
            // one result (then a null) per statement, then the sync.
            while (answersOwed) {
                PGresult *r = PQgetResult(m_conn);
                if (!r && PQstatus(m_conn) != CONNECTION_OK)
                    break;
                answersOwed = PQresultStatus(r) != PGRES_PIPELINE_SYNC;
                PQclear(r);
            }
            PGresult *results[4] = {};
            for (PGresult *&r : results) {
                r = PQgetResult(m_conn);
                while (PGresult *extra = PQgetResult(m_conn))
                    PQclear(extra);
            }
            while (PGresult *r = PQgetResult(m_conn)) {
                const bool sync = PQresultStatus(r) == PGRES_PIPELINE_SYNC;
                PQclear(r);
                if (sync)
                    break;
            }
            PQexitPipelineMode(m_conn);
            const bool began = PQresultStatus(results[0]) == PGRES_COMMAND_OK;
            const bool ok = began && PQresultStatus(results[1]) == PGRES_COMMAND_OK
                && PQresultStatus(results[2]) == PGRES_COMMAND_OK && PQresultStatus(results[3]) == PGRES_TUPLES_OK;
            if (!ok) {
                for (PGresult *r : results) {
                    if (m_error.isEmpty() && r && PQresultStatus(r) == PGRES_FATAL_ERROR)
                        m_error = QString::fromUtf8(PQresultErrorMessage(r)).simplified();
                }
            }
            if (ok)
                describe(results[2], typeOverrides);
            PQclear(results[0]);
            PQclear(results[1]);
            PQclear(results[2]);
            if (!began && fresh == false && PQstatus(m_conn) != CONNECTION_OK) {
                PQclear(results[3]);
                PQfinish(m_conn);
                m_conn = nullptr;
                m_error.clear();
                continue;
            }
            if (!ok) {
                PQclear(results[3]);
                if (m_error.isEmpty())
                    m_error = QString::fromUtf8(PQerrorMessage(m_conn)).simplified();
                release();
                return -1;
            }
            m_res = results[3];
            m_rows = PQntuples(m_res);
            m_row = 0;
            m_serverDone = m_rows <= FirstRows;
            m_atEnd = m_rows == 0;
            if (m_atEnd)
                release(); // an empty result: the transaction ends at once
            return 1;
        }
        return 0;
    }

    void describe(const PGresult *d, const QHash<QString, ColumnType> &typeOverrides)
    {
        const int n = PQnfields(d);
        m_names.assign(size_t(n), QString());
        m_types.assign(size_t(n), std::nullopt);
        m_oids.assign(size_t(n), 0);
        for (int i = 0; i < n; ++i) {
            m_names[size_t(i)] = QString::fromUtf8(PQfname(d, i));
            m_oids[size_t(i)] = PQftype(d, i);
            const auto o = typeOverrides.constFind(m_names[size_t(i)].toLower());
            auto t = o != typeOverrides.cend() ? std::optional<ColumnType>(*o) : postgresColumnType(int(m_oids[size_t(i)]));
            if (t == ColumnType::AutoNumber)
                t = ColumnType::Integer;
            m_types[size_t(i)] = t;
        }
    }

    // One value of the current row, from the server's text form: NUMERIC
    // arrives as its exact decimal digits.
    void put(RowStore::Writer &w, int c)
    {
        if (PQgetisnull(m_res, m_row, c)) {
            w.putNull();
            return;
        }
        const char *v = PQgetvalue(m_res, m_row, c);
        const int len = PQgetlength(m_res, m_row, c);
        const auto integer = [&] {
            qint64 x = 0;
            std::from_chars(v, v + len, x);
            return x;
        };
        const auto real = [&] {
            double x = 0;
            if (std::from_chars(v, v + len, x).ec != std::errc())
                x = QByteArray(v, len).toDouble(); // NaN, Infinity
            return x;
        };
        const auto blob = [&] {
            size_t size = 0;
            unsigned char *b = PQunescapeBytea(reinterpret_cast<const unsigned char *>(v), &size);
            w.putBlob(reinterpret_cast<const char *>(b), int(size));
            PQfreemem(b);
        };
        const auto &type = m_types[size_t(c)];
        if (!type) {
            switch (m_oids[size_t(c)]) {
            case 20: case 21: case 23: case 26: w.putInt(integer()); return; // int8, int2, int4, oid
            case 700: case 701: w.putDouble(real()); return;
            case 16: w.putInt(v[0] == 't' ? 1 : 0); return; // bool
            case 17: blob(); return;
            default: w.putText(v, len); return;
            }
        }
        switch (*type) {
        case ColumnType::AutoNumber:
        case ColumnType::Integer:
            if (memchr(v, '.', size_t(len)))
                w.putInt(std::llround(real()));
            else
                w.putInt(integer());
            return;
        case ColumnType::Currency: {
            const auto m = Money::fromDecimalString(QString::fromLatin1(v, len));
            w.putInt(m ? m->raw() : Money::fromDouble(real()).raw());
            return;
        }
        case ColumnType::Double:
            w.putDouble(real());
            return;
        case ColumnType::Text:
        case ColumnType::Memo:
            w.putText(v, len);
            return;
        case ColumnType::Blob:
            blob();
            return;
        case ColumnType::DateTime: {
            qint64 jd;
            int secs;
            if (parseDate(reinterpret_cast<const unsigned char *>(v), len, &jd, &secs))
                w.putJulianDay(jd, secs);
            else
                w.putNull();
            return;
        }
        }
    }

    QSqlDatabase m_db;
    QString m_connection;
    bool m_fewRows = false;
    int m_affected = 0;                 // by the last statement on the shared connection
    std::shared_ptr<PGresult> m_whole;  // a result read whole on the shared connection
    PGconn *m_conn = nullptr;           // the list's own connection, while its cursor is open
    PGresult *m_res = nullptr;          // the chunk being handed out (all rows, from the shared connection)
    int m_rows = 0, m_row = 0;
    bool m_serverDone = false;          // the cursor has given its last row
    std::vector<Oid> m_oids;
};
} // namespace

std::unique_ptr<SqlCursor> SqlCursor::create(const QSqlDatabase &db)
{
    if (SqlDialect::of(db).backend() == Backend::SQLite)
        return std::make_unique<SqliteCursor>(db);
    return std::make_unique<PgCursor>(db);
}

void SqlCursor::releaseAll(const QString &connectionName)
{
    const auto cursors = openCursors().value(connectionName);
    for (SqlCursor *c : cursors)
        c->release();
    const QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (db.isValid() && SqlDialect::of(db).backend() == Backend::SQLite)
        SqliteCursor::closeReaders(db);
    PgReaderPool::closeAll(connectionName);
}
