#include "db/PgLink.h"

#include "db/SqlCursor.h"
#include "db/SqlDialect.h"
#include "db/Transaction.h"

#include <QSqlDriver>
#include <cstring>
#include <libpq-fe.h>

namespace PgLink {

Encoded encode(const QStringList &names, const std::function<QVariant(const QString &)> &valueOf)
{
    const SqlDialect &dialect = SqlDialect::postgresql();
    const size_t n = size_t(names.size());
    Encoded e;
    e.data.resize(n);
    e.values.assign(n, nullptr);
    e.lengths.assign(n, 0);
    e.formats.assign(n, 0);
    e.types.assign(n, 0); // the server infers each from where it stands
    for (size_t k = 0; k < n; ++k) {
        const QVariant v = dialect.toDb(valueOf(names[qsizetype(k)]));
        if (v.isNull() || !v.isValid())
            continue;
        switch (v.metaType().id()) {
        case QMetaType::Bool: e.data[k] = v.toBool() ? "true" : "false"; break;
        case QMetaType::Double: case QMetaType::Float: e.data[k] = QByteArray::number(v.toDouble(), 'g', 17); break;
        case QMetaType::QByteArray:
            e.data[k] = v.toByteArray();
            e.formats[k] = 1;
            e.types[k] = 17; // bytea, sent as it is
            break;
        default: e.data[k] = v.toString().toUtf8(); break;
        }
        e.values[k] = e.data[k].constData();
        e.lengths[k] = int(e.data[k].size());
    }
    return e;
}

Call call(const QString &sql, const std::function<QVariant(const QString &)> &valueOf)
{
    QStringList names;
    const QByteArray text = sqlWithNumberedParameters(sql, &names).toUtf8();
    return {text, encode(names, valueOf)};
}

bool Outcome::ok() const
{
    if (!result)
        return false;
    const ExecStatusType s = PQresultStatus(result.get());
    return s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK;
}

int Outcome::rowsAffected() const
{
    return result ? std::atoi(PQcmdTuples(result.get())) : 0;
}

PGconn *handleOf(const QSqlDatabase &db)
{
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || (qstrcmp(v.typeName(), "PGconn*") != 0 && qstrcmp(v.typeName(), "pg_conn*") != 0))
        return nullptr;
    PGconn *c = *static_cast<PGconn *const *>(v.constData());
    // A statement of Qt's driver still being read, or a pipeline left open,
    // would mix its answers with ours.
    if (!c || PQstatus(c) != CONNECTION_OK || PQtransactionStatus(c) == PQTRANS_ACTIVE
        || PQpipelineStatus(c) != PQ_PIPELINE_OFF)
        return nullptr;
    return c;
}

namespace {

QString messageOf(const PGresult *r, PGconn *c)
{
    const char *m = r ? PQresultErrorMessage(r) : nullptr;
    if (!m || !*m)
        m = PQerrorMessage(c);
    return QString::fromUtf8(m).simplified();
}

} // namespace

bool run(PGconn *conn, const std::vector<Call> &calls, std::vector<Outcome> *outcomes)
{
    outcomes->assign(calls.size(), Outcome());
    bool sent = PQenterPipelineMode(conn) == 1;
    for (const Call &call : calls) {
        const Encoded &p = call.params;
        sent = sent
            && PQsendQueryParams(conn, call.text.constData(), int(p.values.size()), p.types.data(), p.values.data(),
                                 p.lengths.data(), p.formats.data(), 0);
    }
    sent = sent && PQpipelineSync(conn);
    if (!sent) {
        const QString why = QString::fromUtf8(PQerrorMessage(conn)).simplified();
        // Whatever did go out is answered before the pipeline can be left.
        while (PQpipelineStatus(conn) != PQ_PIPELINE_OFF && PQstatus(conn) == CONNECTION_OK) {
            PGresult *r = PQgetResult(conn);
            if (!r && PQexitPipelineMode(conn))
                break;
            PQclear(r);
        }
        for (Outcome &o : *outcomes)
            o.error = why;
        return false;
    }
    // One result (then a null) per statement, then the sync.
    QString firstError;
    bool anyRan = false;
    for (size_t i = 0; i < calls.size(); ++i) {
        PGresult *r = PQgetResult(conn);
        while (PGresult *extra = PQgetResult(conn))
            PQclear(extra);
        Outcome &o = (*outcomes)[i];
        if (!r) {
            o.error = firstError.isEmpty() ? messageOf(nullptr, conn) : firstError;
            continue;
        }
        const ExecStatusType s = PQresultStatus(r);
        if (s == PGRES_PIPELINE_ABORTED) {
            PQclear(r);
            o.error = firstError;
            continue;
        }
        anyRan = true;
        o.result.reset(r, PQclear);
        if (!o.ok()) {
            o.error = messageOf(r, conn);
            if (const char *state = PQresultErrorField(r, PG_DIAG_SQLSTATE))
                o.sqlState = QString::fromLatin1(state);
            if (firstError.isEmpty())
                firstError = o.error;
        }
    }
    while (PGresult *r = PQgetResult(conn)) {
        const bool sync = PQresultStatus(r) == PGRES_PIPELINE_SYNC;
        PQclear(r);
        if (sync)
            break;
    }
    PQexitPipelineMode(conn);
    return anyRan;
}

bool runShared(const QSqlDatabase &db, const std::vector<Call> &calls, std::vector<Outcome> *outcomes,
               QString *error, bool *contended)
{
    if (contended)
        *contended = false;
    PGconn *conn = handleOf(db);
    if (!conn) {
        *error = QStringLiteral("The connection to the server is not open.");
        return false;
    }
    // A write that has not begun yet begins in this same round trip.
    std::vector<Call> all;
    for (const QString &begin : Transaction::takePendingBegin(db.connectionName()))
        all.push_back({begin.toUtf8(), {}});
    const size_t begins = all.size();
    all.insert(all.end(), calls.begin(), calls.end());
    std::vector<Outcome> got;
    run(conn, all, &got);
    for (const Outcome &o : got) {
        if (!o.ok()) {
            *error = o.error.isEmpty() ? QStringLiteral("The server did not answer.") : o.error;
            if (contended)
                *contended = isContention(o.sqlState);
            return false;
        }
    }
    outcomes->assign(got.begin() + qsizetype(begins), got.end());
    return true;
}

bool isContention(const QString &sqlState)
{
    // lock_not_available, deadlock_detected, serialization_failure
    return sqlState == QLatin1String("55P03") || sqlState == QLatin1String("40P01")
        || sqlState == QLatin1String("40001");
}

QVariant value(const PGresult *r, int row, int column)
{
    if (PQgetisnull(r, row, column))
        return QVariant();
    const char *v = PQgetvalue(r, row, column);
    const int len = PQgetlength(r, row, column);
    const Oid oid = PQftype(r, column);
    if (oid == 17) { // bytea, in the server's hex text form
        size_t size = 0;
        unsigned char *b = PQunescapeBytea(reinterpret_cast<const unsigned char *>(v), &size);
        const QByteArray bytes(reinterpret_cast<const char *>(b), qsizetype(size));
        PQfreemem(b);
        return bytes;
    }
    const QString text = QString::fromUtf8(v, len);
    if (const auto type = postgresColumnType(int(oid)))
        return SqlDialect::postgresql().fromDb(text, *type);
    switch (oid) {
    case 20: return text.toLongLong(); // int8: counts
    case 16: return v[0] == 't';       // bool
    default: return text;
    }
}

} // namespace PgLink
