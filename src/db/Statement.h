#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <optional>
#include <utility>

// Named parameters of a statement, in the order they are given.
using SqlParams = QList<std::pair<QString, QVariant>>;

// One statement at a time on a named connection, for code that writes the
// shop's rows without a dataset: named parameters bound in the form the
// backend stores them (money, whole dates, date-times), the first row read
// back as the program's types (Money, QDateTime, int, QString), and the
// database's own message on failure.
class Statement
{
public:
    explicit Statement(const QString &connectionName);

    bool exec(const QString &sql, const SqlParams &params, int *rowsAffected = nullptr);

    // The first row of a query, its values in the order of its columns;
    // nullopt when there is none. False on failure.
    bool readRow(const QString &sql, const SqlParams &params, std::optional<QVariantList> *row);
    // The first column of the first row; an empty result or NULL reads as 0.
    bool readInt(const QString &sql, const SqlParams &params, int *value);

    // INSERT INTO table (the given columns) ... RETURNING ID.
    bool insert(const QString &table, const SqlParams &values, int *id);
    // UPDATE table SET (the given columns) WHERE ID = id; *rowsAffected says
    // whether the row was there.
    bool update(const QString &table, int id, const SqlParams &values, int *rowsAffected = nullptr);

    QString errorText() const { return m_error; }

private:
    QString m_connection;
    QString m_error;
};
