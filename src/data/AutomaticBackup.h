#pragma once

#include "db/AutoBackup.h"

#include <QObject>
#include <QThread>

// Takes the shop's automatic copies for the frame: the day's first start
// makes one on a thread of its own while the counter works; closing the
// program makes one before it ends. The settings are read from the shop's
// Config row. A failure is written to LOG.Txt every time and announced
// (failed()) only once per run of the program; it never stops anything. A
// shop on a PostgreSQL server gets no copies: its server's backup applies.
class AutomaticBackup : public QObject
{
    Q_OBJECT

public:
    explicit AutomaticBackup(QObject *parent = nullptr);
    ~AutomaticBackup() override; // waits for a copy under way

    // The settings in the Config row; the defaults where it has none.
    static AutoBackup::Policy policy();

    // The day's first start: the copy is made on a worker thread; finished()
    // follows. Does nothing while a copy is under way.
    void startOfDay();
    // Closing: waits for a copy under way, then makes the day's copy here.
    AutoBackup::Result closing();
    bool running() const { return m_thread != nullptr; }

    // The day the copies are dated by (tests move it).
    void setToday(const QDate &day) { m_today = day; }

signals:
    void finished(const AutoBackup::Result &result);
    // The first failure of this run, in words for the clerk.
    void failed(const QString &message);

private:
    bool prepare(AutoBackup::Policy *policy, QString *file) const;
    void report(const AutoBackup::Result &result);
    QDate today() const { return m_today.isValid() ? m_today : QDate::currentDate(); }

    QThread *m_thread = nullptr;
    AutoBackup::Result m_pending;
    QDate m_today;
    bool m_reported = false;
};
