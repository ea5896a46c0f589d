#include "db/Transaction.h"

#include "db/SqlDialect.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <utility>

namespace {

struct ConnectionState
{
    int depth = 0;
    bool doomed = false;
    QStringList pendingBegin; // not sent yet: nothing to commit or roll back so far
};

// All database work runs on the user-interface thread; the bookkeeping of
// open scopes is per connection.
QHash<QString, ConnectionState> &states()
{
    static QHash<QString, ConnectionState> s;
    return s;
}

bool run(QSqlDatabase &db, const QString &sql, QString *error, bool *contended = nullptr)
{
    QSqlQuery q(db);
    if (!q.exec(sql)) {
        if (error)
            *error = q.lastError().text();
        if (contended)
            *contended = SqlDialect::isContention(q.lastError());
        return false;
    }
    return true;
}

} // namespace

Transaction::Transaction(const QSqlDatabase &db, Begin when) : m_db(db)
{
    ConnectionState &st = states()[m_db.connectionName()];
    if (st.depth == 0) {
        const SqlDialect &dialect = SqlDialect::of(m_db);
        const QStringList begin = dialect.beginWriteTransaction();
        if (when == Begin::WithFirstStatement && dialect.backend() == Backend::PostgreSQL) {
            st.pendingBegin = begin;
            m_outermost = true;
            st.doomed = false;
            ++st.depth;
            m_active = true;
            return;
        }
        for (qsizetype i = 0; i < begin.size(); ++i) {
            if (!run(m_db, begin[i], &m_error, &m_contended)) {
                if (i > 0)
                    run(m_db, QStringLiteral("ROLLBACK"), nullptr);
                return;
            }
        }
        m_outermost = true;
        st.doomed = false;
    }
    ++st.depth;
    m_active = true;
}

Transaction::~Transaction()
{
    if (m_active)
        rollback();
}

bool Transaction::commit()
{
    if (!m_active)
        return false;
    ConnectionState &st = states()[m_db.connectionName()];
    m_active = false;
    --st.depth;
    if (!m_outermost)
        return !st.doomed;
    if (!st.pendingBegin.isEmpty()) {
        // Not one statement went out: there is nothing to store.
        st.pendingBegin.clear();
        if (!st.doomed)
            return true;
        m_error = QStringLiteral("A part of the change failed; nothing was saved.");
        return false;
    }
    if (st.doomed) {
        run(m_db, QStringLiteral("ROLLBACK"), nullptr);
        m_error = QStringLiteral("A part of the change failed; nothing was saved.");
        return false;
    }
    if (!run(m_db, QStringLiteral("COMMIT"), &m_error, &m_contended)) {
        run(m_db, QStringLiteral("ROLLBACK"), nullptr);
        return false;
    }
    return true;
}

void Transaction::rollback()
{
    if (!m_active)
        return;
    ConnectionState &st = states()[m_db.connectionName()];
    m_active = false;
    --st.depth;
    if (m_outermost && !st.pendingBegin.isEmpty())
        st.pendingBegin.clear();
    else if (m_outermost)
        run(m_db, QStringLiteral("ROLLBACK"), nullptr);
    else
        st.doomed = true;
}

bool Transaction::inProgress(const QString &connectionName)
{
    return states().value(connectionName).depth > 0;
}

QStringList Transaction::takePendingBegin(const QString &connectionName)
{
    auto it = states().find(connectionName);
    if (it == states().end())
        return {};
    return std::exchange(it->pendingBegin, QStringList());
}
