#pragma once

#include "db/Schema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <vector>

class QSqlQuery;

enum class Backend { SQLite, PostgreSQL };

// The few things that differ between the embedded SQLite file and a
// PostgreSQL server: column types, how values are stored, how a write
// transaction takes its lock. Everything else is the same SQL on both.
//
// Values cross the boundary in one form per kind, so that '=', '<' and
// Between give the same rows on both backends:
//  - Currency: Money. SQLite keeps the count of ten-thousandths as an integer
//    (sums stay exact on any number of rows); PostgreSQL keeps NUMERIC(19,4),
//    read as text so no digit is lost.
//  - DateTime: a whole date is written "YYYY-MM-DD", a date with a time of day
//    "YYYY-MM-DD HH:MM:SS" (seconds, no fraction, no 'T'). In SQLite both
//    forms order correctly as text: a day sorts before any time in it.
class SqlDialect
{
public:
    static const SqlDialect &sqlite();
    static const SqlDialect &postgresql();
    static const SqlDialect &of(const QSqlDatabase &db);

    Backend backend() const { return m_backend; }
    QString driverName() const;
    QString columnDefinition(const ColumnDef &column) const;

    // A value as it must be bound: Money, QDate and QDateTime are turned into
    // the stored form; anything else passes unchanged.
    QVariant toDb(const QVariant &value) const;
    void bind(QSqlQuery &query, const QString &placeholder, const QVariant &value) const;
    void bind(QSqlQuery &query, int position, const QVariant &value) const;

    // A stored value read back as the program's type: Money, QDateTime (local
    // time, 00:00 for whole dates), int, double, QString, QByteArray. NULL
    // stays a null QVariant.
    QVariant fromDb(const QVariant &value, ColumnType type) const;

    // The kind of each result column of an executed query, where it can be
    // known: from the declared column type, or from the column's name when the
    // column is an expression. Unknown columns (aliases of sums, counts) are
    // nullopt and are read as the driver gives them.
    std::vector<std::optional<ColumnType>> resultTypes(const QSqlQuery &query) const;

    // The statements a write transaction starts with. Both backends take the
    // shop's write lock at once (SQLite: IMMEDIATE; PostgreSQL: one advisory
    // lock held to the end of the transaction), so writes from two counters
    // queue: two counters that read "largest number plus one" do not both
    // read the same largest number, and two writes never wait on each other
    // in a circle. Every write is a few statements long, so the queue is short.
    QStringList beginWriteTransaction() const;

    // Whether the statement failed because another connection held what it
    // needed longer than the wait allows (SQLite busy or locked; PostgreSQL
    // lock timeout, deadlock, serialization failure): run again, it may pass.
    static bool isContention(const QSqlError &error);

    // How long a statement waits for another counter's lock before it fails
    // as contention; the engine tries a write a few times over.
    static constexpr int LockWaitMs = 5000;

private:
    explicit SqlDialect(Backend backend) : m_backend(backend) {}
    Backend m_backend;
};

// Canonical text of a date or date-time, the form every backend stores.
QString canonicalDateTimeText(const QDateTime &value);
QString canonicalDateText(const QDate &value);
QDateTime parseCanonicalDateTime(QStringView text);

// The kind of a SQLite column from the type it was declared with in the schema
// ("CURRENCY", "VARCHAR(50)"...); nullopt for expressions and other types.
std::optional<ColumnType> sqliteDeclaredType(const char *declaration);

// The kind of a PostgreSQL result column from its type id; nullopt for int8
// counts and the types the schema does not use.
std::optional<ColumnType> postgresColumnType(int oid);
