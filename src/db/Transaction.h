#pragma once

#include <QSqlDatabase>
#include <QString>

// A write that belongs together: everything done on the connection between
// construction and commit() is stored, or nothing is. Destroying the scope
// without commit() rolls back. Scopes nest: an inner scope joins the outer
// one, and an inner failure (destroyed without commit) makes the outer
// commit() fail and roll back.
class Transaction
{
public:
    // On a server the statements that begin a write may wait for the write's
    // first statement and go with it, in the same round trip (a SQLite file
    // begins at once). The statements sent on the connection take them
    // (PgLink::runShared).
    enum class Begin { Now, WithFirstStatement };
    explicit Transaction(const QSqlDatabase &db, Begin when = Begin::Now);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    bool isActive() const { return m_active; }
    bool commit();
    void rollback();
    // The database's message when beginning or committing failed.
    QString errorText() const { return m_error; }
    // Beginning or committing failed because another connection held the
    // database too long: the whole write may be tried again from its start.
    bool contended() const { return m_contended; }

    // Whether a write is open on the connection (reads must then see it).
    static bool inProgress(const QString &connectionName);
    // The statements a write that waits for its first statement still has to
    // send (none otherwise); from this call on the write counts as begun.
    static QStringList takePendingBegin(const QString &connectionName);

private:
    QSqlDatabase m_db;
    bool m_active = false;
    bool m_outermost = false;
    bool m_contended = false;
    QString m_error;
};
