#include "data/AutomaticBackup.h"

#include "db/Backup.h"
#include "db/Database.h"
#include "db/Paths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

AutomaticBackup::AutomaticBackup(QObject *parent) : QObject(parent) {}

AutomaticBackup::~AutomaticBackup()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

AutoBackup::Policy AutomaticBackup::policy()
{
    AutoBackup::Policy p;
    QSqlQuery q(Database::connection());
    if (!q.exec(QStringLiteral("Select YedekOto, YedekGunluk, YedekHaftalik, YedekAylik from Config order by ID"))
        || !q.next())
        return p;
    const auto number = [&q](int column, int fallback) {
        return q.value(column).isNull() ? fallback : std::max(0, q.value(column).toInt());
    };
    p.enabled = number(0, 1) != 0;
    p.daily = number(1, p.daily);
    p.weekly = number(2, p.weekly);
    p.monthly = number(3, p.monthly);
    return p;
}

bool AutomaticBackup::prepare(AutoBackup::Policy *policy, QString *file) const
{
    if (!Backup::supported(Database::connection()))
        return false;
    *policy = AutomaticBackup::policy();
    *file = Backup::databaseFile(Database::connection());
    return policy->enabled && !file->isEmpty();
}

void AutomaticBackup::startOfDay()
{
    AutoBackup::Policy p;
    QString file;
    if (m_thread || !prepare(&p, &file))
        return;
    const QString folder = Paths::backupFolder();
    const QDate day = today();
    m_thread = QThread::create([this, file, folder, day, p] {
        m_pending = AutoBackup::run(file, folder, day, p, AutoBackup::Occasion::Start);
    });
    connect(m_thread, &QThread::finished, this, [this] {
        m_thread->deleteLater();
        m_thread = nullptr;
        report(m_pending);
    });
    m_thread->start(QThread::LowPriority);
}

AutoBackup::Result AutomaticBackup::closing()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
        report(m_pending);
    }
    AutoBackup::Policy p;
    QString file;
    if (!prepare(&p, &file))
        return {};
    const AutoBackup::Result r = AutoBackup::run(file, Paths::backupFolder(), today(), p, AutoBackup::Occasion::Close);
    report(r);
    return r;
}

void AutomaticBackup::report(const AutoBackup::Result &result)
{
    if (!result.error.isEmpty()) {
        const QString message = QStringLiteral("The automatic backup failed: %1").arg(result.error);
        QFile log(Paths::errorLog());
        if (QDir().mkpath(QFileInfo(log).absolutePath()) && log.open(QIODevice::Append | QIODevice::Text))
            log.write(QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss ")).toUtf8()
                      + message.toUtf8() + '\n');
        if (!m_reported) {
            m_reported = true;
            emit failed(message);
        }
    }
    emit finished(result);
}
