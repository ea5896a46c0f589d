#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;
typedef unsigned int Oid;

// Statements sent to a PostgreSQL server straight through libpq, several in
// one round trip (libpq's pipeline). Qt's driver spends three round trips on
// one statement with parameters (prepare, execute, deallocate); over a network
// every round trip is what a counter waits for.
namespace PgLink {

// The parameters of one statement in the form libpq sends them: text, except
// bytes, which go as they are. The types are left to the server to infer from
// where each parameter stands.
struct Encoded
{
    std::vector<QByteArray> data;
    std::vector<const char *> values;
    std::vector<int> lengths, formats;
    std::vector<Oid> types;
};
// `valueOf` gives each named parameter's value as the program holds it
// (Money, QDateTime...); it is turned into the stored form here.
Encoded encode(const QStringList &names, const std::function<QVariant(const QString &)> &valueOf);

struct Call
{
    QByteArray text;  // with numbered parameters ("$1")
    Encoded params;
};
// A statement with named parameters (":ID"), numbered, its values encoded.
Call call(const QString &sql, const std::function<QVariant(const QString &)> &valueOf);

struct Outcome
{
    std::shared_ptr<PGresult> result; // empty when the statement did not run
    QString error;
    QString sqlState;
    bool ok() const;
    int rowsAffected() const;
};

// The shared connection's libpq handle, when statements may be sent on it now
// (it is open and no result of Qt's driver is pending); null otherwise.
PGconn *handleOf(const QSqlDatabase &db);

// Runs the calls in order, all in one round trip; the first that fails stops
// the rest (they are reported as not run, with its error). One outcome per
// call. False when not one call ran: the connection itself failed.
bool run(PGconn *conn, const std::vector<Call> &calls, std::vector<Outcome> *outcomes);

// Runs the calls on the program's shared connection in one round trip,
// behind the statements of a write still waiting to begin (Transaction).
// True with one outcome per call; false at the first failure, *error saying
// why and *contended whether another counter's lock was the cause.
bool runShared(const QSqlDatabase &db, const std::vector<Call> &calls, std::vector<Outcome> *outcomes,
               QString *error, bool *contended = nullptr);

// Whether the server refused for a lock held too long by another connection
// (lock timeout, deadlock, serialization failure): the write may be tried again.
bool isContention(const QString &sqlState);

// A value of a result as the program's type, from the server's text form.
QVariant value(const PGresult *result, int row, int column);

} // namespace PgLink
