#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

// Named parameters of a statement, in the order they are given.
using SqlParams = QList<std::pair<QString, QVariant>>;

// Statements on a named connection, for code that writes the shop's rows
// without a dataset: named parameters bound in the form the backend stores
// them (money, whole dates, date-times), the first row read back as the
// program's types (Money, QDateTime, int, QString), and the database's own
// message on failure.
//
// Statements queued are sent together by send(): on a PostgreSQL server all
// of them go in one round trip to the server (with the write's BEGIN when it
// has not gone yet), on a SQLite file one after the other. The first that
// fails stops the rest. The one-statement calls (exec, readRow...) are a
// queue of one.
class Statement
{
public:
    explicit Statement(const QString &connectionName);

    // Queues a statement; the number returned reads its outcome after send().
    int queue(const QString &sql, const SqlParams &params = {});
    // INSERT INTO table (the given columns) ... RETURNING ID.
    int queueInsert(const QString &table, const SqlParams &values);
    // UPDATE table SET (the given columns) WHERE ID = id.
    int queueUpdate(const QString &table, int id, const SqlParams &values);
    // Runs what is queued; false at the first failure (errorText() says).
    bool send();

    // What a statement of the last send() gave: its first row (nullopt when
    // there was none), the first column of it as a number (0 when empty or
    // NULL), the rows it changed.
    const std::optional<QVariantList> &firstRow(int slot) const;
    int intOf(int slot) const;
    int rowsAffected(int slot) const;

    // A value standing for the key of the row that an insert into `table`
    // queued earlier in the same send() gives: a row that refers to a row
    // written in the same round trip.
    static QVariant keyOfNewRow(const QString &table);

    bool exec(const QString &sql, const SqlParams &params, int *rowsAffected = nullptr);
    // The first row of a query, its values in the order of its columns;
    // nullopt when there is none. False on failure.
    bool readRow(const QString &sql, const SqlParams &params, std::optional<QVariantList> *row);
    // The first column of the first row; an empty result or NULL reads as 0.
    bool readInt(const QString &sql, const SqlParams &params, int *value);
    bool insert(const QString &table, const SqlParams &values, int *id);
    // *rowsAffected says whether the row was there.
    bool update(const QString &table, int id, const SqlParams &values, int *rowsAffected = nullptr);

    QString errorText() const { return m_error; }
    // The last failure was another counter holding the database too long:
    // the whole write may be tried again.
    bool contended() const { return m_contended; }

private:
    struct Queued
    {
        QString sql;
        SqlParams params;
        QString insertsInto; // the table of an INSERT ... RETURNING ID
    };
    struct Done
    {
        std::optional<QVariantList> row;
        int affected = 0;
    };
    bool sendSqlite();
    bool sendPg();
    QString holder(const QString &name, const QVariant &value) const;

    QString m_connection;
    QString m_error;
    bool m_contended = false;
    std::vector<Queued> m_queue;
    std::vector<Done> m_done;
    QList<std::pair<QString, int>> m_newKeys; // table → key of the row inserted last in this send
};
