#pragma once

#include "db/RowStore.h"

#include <QHash>
#include <QSqlDatabase>
#include <QStringList>
#include <memory>
#include <optional>

// Reads the rows of one statement forward, a few at a time, straight into a
// RowStore. On SQLite it steps the statement through SQLite's own interface
// (no value is boxed on the way, so a million rows read in well under a
// second) on a reading connection of its own to the same file: the rows not
// yet read stay as they were at opening, while the shared connection goes on
// seeing and writing the newest data. Inside a write the statement runs on
// the shared connection, so that it sees the write's own rows. On PostgreSQL
// the statement runs the same way on a connection of its own, as a server-side
// cursor in a read-only transaction, fetched in chunks as the rows are asked
// for (libpq straight, as QPSQL takes in the whole result of a statement); a
// statement inside a write runs on the shared connection and is read at once.
class SqlCursor
{
public:
    static std::unique_ptr<SqlCursor> create(const QSqlDatabase &db);
    virtual ~SqlCursor() = default;

    // Runs the statement with the named parameters (keys in lower case);
    // typeOverrides name the kind of columns the database cannot type.
    virtual bool exec(const QString &sql, const QHash<QString, QVariant> &params,
                      const QHash<QString, ColumnType> &typeOverrides) = 0;
    // The next statement gives a row or a few (one row by its key): a server
    // is asked on the shared connection, in one round trip, rather than
    // through a cursor of its own.
    virtual void setFewRows(bool) {}
    // Runs a statement that returns no rows.
    virtual bool execNoRows(const QString &sql, const QHash<QString, QVariant> &params, int *rowsAffected) = 0;

    int columnCount() const { return int(m_names.size()); }
    const QString &columnName(int c) const { return m_names[size_t(c)]; }
    const std::vector<std::optional<ColumnType>> &columnTypes() const { return m_types; }

    // Appends up to n rows to the store (whose columns match this result);
    // their slot numbers go to got. Returns how many were read.
    virtual int fetch(int n, RowStore &store, std::vector<int> &got) = 0;
    bool atEnd() const { return m_atEnd; }
    QString errorText() const { return m_error; }

    // Lets go of the statement (SQLite releases its read snapshot).
    virtual void release() = 0;
    // The rows must all be read now: the statement runs on the shared
    // connection inside a write, and must not outlive it.
    virtual bool mustBeReadAtOnce() const { return false; }
    // Releases every open cursor of a connection, before the connection closes.
    static void releaseAll(const QString &connectionName);

protected:
    std::vector<QString> m_names;
    std::vector<std::optional<ColumnType>> m_types;
    bool m_atEnd = true;
    QString m_error;
};

// The named parameters of a statement (":T1"), in order of first use,
// ignoring text inside quotes and PostgreSQL casts ("::text").
QStringList sqlParameterNames(const QString &sql);
// The statement with its named parameters turned into PostgreSQL's numbered
// ones ("$1"); `names` receives the names in that order.
QString sqlWithNumberedParameters(const QString &sql, QStringList *names);
