#include "db/Statement.h"

#include "db/Database.h"
#include "db/Schema.h"
#include "db/SqlDialect.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

Statement::Statement(const QString &connectionName) : m_connection(connectionName)
{
}

namespace {

// Prepares and binds; QPSQL reports a failed prepare only as a misleading
// error of the later exec, so it is checked here.
bool prepared(QSqlQuery &q, const SqlDialect &dialect, const QString &sql, const SqlParams &params, QString *error)
{
    q.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!q.prepare(sql)) {
        *error = q.lastError().text().simplified();
        return false;
    }
    for (const auto &[name, value] : params)
        dialect.bind(q, u':' + name, value);
    return true;
}

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

} // namespace

bool Statement::exec(const QString &sql, const SqlParams &params, int *rowsAffected)
{
    QSqlDatabase db = Database::connection(m_connection);
    QSqlQuery q(db);
    if (!prepared(q, SqlDialect::of(db), sql, params, &m_error))
        return false;
    if (!q.exec()) {
        m_error = q.lastError().text().simplified();
        return false;
    }
    if (rowsAffected)
        *rowsAffected = q.numRowsAffected();
    return true;
}

bool Statement::readRow(const QString &sql, const SqlParams &params, std::optional<QVariantList> *row)
{
    QSqlDatabase db = Database::connection(m_connection);
    const SqlDialect &dialect = SqlDialect::of(db);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!prepared(q, dialect, sql, params, &m_error))
        return false;
    if (!q.exec()) {
        m_error = q.lastError().text().simplified();
        return false;
    }
    row->reset();
    if (!q.next())
        return true;
    const auto types = dialect.resultTypes(q);
    QVariantList values;
    for (int c = 0; c < int(types.size()); ++c) {
        const QVariant v = q.value(c);
        values << (types[size_t(c)] && !v.isNull() ? dialect.fromDb(v, *types[size_t(c)]) : v);
    }
    *row = values;
    return true;
}

bool Statement::readInt(const QString &sql, const SqlParams &params, int *value)
{
    std::optional<QVariantList> row;
    if (!readRow(sql, params, &row))
        return false;
    *value = row && !row->isEmpty() ? row->front().toInt() : 0;
    return true;
}

bool Statement::insert(const QString &table, const SqlParams &values, int *id)
{
    if (!schemaNames(table, values, &m_error))
        return false;
    QStringList columns, holders;
    for (const auto &[name, value] : values) {
        columns << name;
        holders << u':' + name;
    }
    std::optional<QVariantList> row;
    if (!readRow(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING ID")
                     .arg(table, columns.join(QStringLiteral(", ")), holders.join(QStringLiteral(", "))),
                 values, &row))
        return false;
    if (!row || row->isEmpty()) {
        m_error = QStringLiteral("%1: the new row's key was not returned.").arg(table);
        return false;
    }
    *id = row->front().toInt();
    return true;
}

bool Statement::update(const QString &table, int id, const SqlParams &values, int *rowsAffected)
{
    if (!schemaNames(table, values, &m_error))
        return false;
    QStringList sets;
    for (const auto &[name, value] : values)
        sets << QStringLiteral("%1 = :%1").arg(name);
    SqlParams params = values;
    params.append({QStringLiteral("vx_id"), id});
    return exec(QStringLiteral("UPDATE %1 SET %2 WHERE ID = :vx_id").arg(table, sets.join(QStringLiteral(", "))), params,
                rowsAffected);
}
