#include "db/Statement.h"

#include "db/Database.h"
#include "db/PgLink.h"
#include "db/Schema.h"
#include "db/SqlDialect.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <libpq-fe.h>

namespace {

// Stands for the key of a row inserted earlier in the same send().
struct NewRowKey
{
    QString table;
};

} // namespace

Q_DECLARE_METATYPE(NewRowKey)

Statement::Statement(const QString &connectionName) : m_connection(connectionName)
{
}

namespace {

// Tables and columns come from the schema only: a name that is not one of
// its columns is refused before it reaches any statement.
bool schemaNames(const QString &table, const SqlParams &values, QString *error)
{
    for (const auto &[name, value] : values) {
        if (!Schema::column(table, name)) {
            *error = QStringLiteral("%1.%2 is no column of the shop's tables.").arg(table, name);
            return false;
        }
    }
    return true;
}

const NewRowKey *newRowKey(const QVariant &v)
{
    return v.metaType() == QMetaType::fromType<NewRowKey>() ? static_cast<const NewRowKey *>(v.constData()) : nullptr;
}

} // namespace

QVariant Statement::keyOfNewRow(const QString &table)
{
    return QVariant::fromValue(NewRowKey{table});
}

QString Statement::holder(const QString &name, const QVariant &value) const
{
    // On a server the key is the value its sequence gave the insert just
    // before, on this connection; a file's statements run one by one, and the
    // key is bound as it came back.
    if (const NewRowKey *key = newRowKey(value);
        key && SqlDialect::of(Database::connection(m_connection)).backend() == Backend::PostgreSQL)
        return QStringLiteral("currval(pg_get_serial_sequence('%1', 'id'))").arg(key->table.toLower());
    return u':' + name;
}

int Statement::queue(const QString &sql, const SqlParams &params)
{
    m_queue.push_back({sql, params, QString()});
    return int(m_queue.size()) - 1;
}

int Statement::queueInsert(const QString &table, const SqlParams &values)
{
    QStringList columns, holders;
    SqlParams bound;
    for (const auto &[name, value] : values) {
        columns << name;
        holders << holder(name, value);
        if (holders.constLast().startsWith(u':'))
            bound.append({name, value});
    }
    // A name that is not the schema's never reaches the statement: the
    // statement is left empty and refused when it is sent.
    QString sql;
    if (schemaNames(table, values, &m_error))
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING ID")
                  .arg(table, columns.join(QStringLiteral(", ")), holders.join(QStringLiteral(", ")));
    m_queue.push_back({sql, bound, table});
    return int(m_queue.size()) - 1;
}

int Statement::queueUpdate(const QString &table, int id, const SqlParams &values)
{
    QStringList sets;
    SqlParams bound;
    for (const auto &[name, value] : values) {
        const QString h = holder(name, value);
        sets << QStringLiteral("%1 = %2").arg(name, h);
        if (h.startsWith(u':'))
            bound.append({name, value});
    }
    bound.append({QStringLiteral("vx_id"), id});
    QString sql;
    if (schemaNames(table, values, &m_error))
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE ID = :vx_id").arg(table, sets.join(QStringLiteral(", ")));
    m_queue.push_back({sql, bound, QString()});
    return int(m_queue.size()) - 1;
}

bool Statement::send()
{
    m_done.assign(m_queue.size(), Done());
    m_newKeys.clear();
    m_contended = false;
    bool ok = true;
    for (const Queued &q : m_queue) {
        if (q.sql.isEmpty())
            ok = false; // refused when queued; m_error says why
    }
    if (ok) {
        m_error.clear();
        if (m_queue.empty())
            ok = true;
        else if (SqlDialect::of(Database::connection(m_connection)).backend() == Backend::PostgreSQL)
            ok = sendPg();
        else
            ok = sendSqlite();
    }
    m_queue.clear();
    return ok;
}

bool Statement::sendSqlite()
{
    QSqlDatabase db = Database::connection(m_connection);
    const SqlDialect &dialect = SqlDialect::of(db);
    for (size_t i = 0; i < m_queue.size(); ++i) {
        const Queued &item = m_queue[i];
        QSqlQuery q(db);
        q.setForwardOnly(true);
        // QPSQL reports a failed prepare only as a misleading error of the
        // later exec, so it is checked here.
        if (!q.prepare(item.sql)) {
            m_error = q.lastError().text().simplified();
            m_contended = SqlDialect::isContention(q.lastError());
            return false;
        }
        for (const auto &[name, value] : item.params) {
            QVariant v = value;
            if (const NewRowKey *key = newRowKey(value)) {
                v = QVariant();
                for (const auto &[table, id] : std::as_const(m_newKeys))
                    if (table.compare(key->table, Qt::CaseInsensitive) == 0)
                        v = id;
            }
            dialect.bind(q, u':' + name, v);
        }
        if (!q.exec()) {
            m_error = q.lastError().text().simplified();
            m_contended = SqlDialect::isContention(q.lastError());
            return false;
        }
        Done &d = m_done[i];
        d.affected = q.numRowsAffected();
        if (q.next()) {
            const auto types = dialect.resultTypes(q);
            QVariantList values;
            for (int c = 0; c < int(types.size()); ++c) {
                const QVariant v = q.value(c);
                values << (types[size_t(c)] && !v.isNull() ? dialect.fromDb(v, *types[size_t(c)]) : v);
            }
            d.row = values;
        }
        if (!item.insertsInto.isEmpty() && d.row && !d.row->isEmpty())
            m_newKeys.append({item.insertsInto, d.row->front().toInt()});
    }
    return true;
}

bool Statement::sendPg()
{
    std::vector<PgLink::Call> calls;
    calls.reserve(m_queue.size());
    for (const Queued &item : m_queue) {
        calls.push_back(PgLink::call(item.sql, [&item](const QString &name) {
            for (const auto &[n, v] : item.params)
                if (n.compare(name, Qt::CaseInsensitive) == 0)
                    return v;
            return QVariant();
        }));
    }
    std::vector<PgLink::Outcome> outcomes;
    if (!PgLink::runShared(Database::connection(m_connection), calls, &outcomes, &m_error, &m_contended))
        return false;
    for (size_t i = 0; i < outcomes.size(); ++i) {
        Done &d = m_done[i];
        d.affected = outcomes[i].rowsAffected();
        const PGresult *r = outcomes[i].result.get();
        if (PQntuples(r) > 0) {
            QVariantList values;
            for (int c = 0; c < PQnfields(r); ++c)
                values << PgLink::value(r, 0, c);
            d.row = values;
        }
    }
    return true;
}

const std::optional<QVariantList> &Statement::firstRow(int slot) const
{
    static const std::optional<QVariantList> none;
    return slot >= 0 && size_t(slot) < m_done.size() ? m_done[size_t(slot)].row : none;
}

int Statement::intOf(int slot) const
{
    const auto &row = firstRow(slot);
    return row && !row->isEmpty() ? row->front().toInt() : 0;
}

int Statement::rowsAffected(int slot) const
{
    return slot >= 0 && size_t(slot) < m_done.size() ? m_done[size_t(slot)].affected : 0;
}

bool Statement::exec(const QString &sql, const SqlParams &params, int *rowsAffected)
{
    const int s = queue(sql, params);
    if (!send())
        return false;
    if (rowsAffected)
        *rowsAffected = this->rowsAffected(s);
    return true;
}

bool Statement::readRow(const QString &sql, const SqlParams &params, std::optional<QVariantList> *row)
{
    const int s = queue(sql, params);
    if (!send())
        return false;
    *row = firstRow(s);
    return true;
}

bool Statement::readInt(const QString &sql, const SqlParams &params, int *value)
{
    const int s = queue(sql, params);
    if (!send())
        return false;
    *value = intOf(s);
    return true;
}

bool Statement::insert(const QString &table, const SqlParams &values, int *id)
{
    const int s = queueInsert(table, values);
    if (!send())
        return false;
    if (!firstRow(s) || firstRow(s)->isEmpty()) {
        m_error = QStringLiteral("%1: the new row's key was not returned.").arg(table);
        return false;
    }
    *id = intOf(s);
    return true;
}

bool Statement::update(const QString &table, int id, const SqlParams &values, int *rowsAffected)
{
    const int s = queueUpdate(table, id, values);
    if (!send())
        return false;
    if (rowsAffected)
        *rowsAffected = this->rowsAffected(s);
    return true;
}
