#include "support/TestSupport.h"

#include "db/SqlDialect.h"

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace TestSupport {

Backend backend()
{
    return qEnvironmentVariable("VEXARO_TEST_BACKEND") == QLatin1String("postgresql") ? Backend::PostgreSQL
                                                                                       : Backend::SQLite;
}

QString backendName()
{
    return backend() == Backend::PostgreSQL ? QStringLiteral("postgresql") : QStringLiteral("sqlite");
}

TestHome::TestHome() : m_previous(qgetenv("VEXARO_HOME"))
{
    QDir().mkpath(path());
    qputenv("VEXARO_HOME", path().toUtf8());
}

TestHome::~TestHome()
{
    if (m_previous.isEmpty())
        qunsetenv("VEXARO_HOME");
    else
        qputenv("VEXARO_HOME", m_previous);
}

QString TestDatabase::clusterUrl()
{
    QFile f(qEnvironmentVariable("VEXARO_TEST_PG_URL_FILE"));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll()).trimmed();
}

TestDatabase::TestDatabase()
{
    if (backend() == Backend::SQLite) {
        m_target = DatabaseTarget::sqliteFile(m_dir.path() + QStringLiteral("/Database/CD.db"));
        return;
    }
    const QString url = clusterUrl();
    QString error;
    const auto admin = DatabaseTarget::fromUrl(url, &error);
    if (!admin)
        qFatal("The PostgreSQL test cluster is not running (%s): %s", qPrintable(url), qPrintable(error));
    m_adminConnection = QStringLiteral("admin_%1").arg(QRandomGenerator::global()->generate());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_adminConnection);
    db.setHostName(admin->host);
    db.setPort(admin->port);
    db.setUserName(admin->user);
    db.setDatabaseName(admin->name);
    if (!db.open())
        qFatal("Cannot reach the PostgreSQL test cluster: %s", qPrintable(db.lastError().text()));
    m_target = *admin;
    m_target.name = QStringLiteral("vx_%1_%2").arg(QCoreApplication::applicationPid()).arg(QRandomGenerator::global()->generate());
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0").arg(m_target.name)))
        qFatal("Cannot create a test database: %s", qPrintable(q.lastError().text()));
}

TestDatabase::~TestDatabase()
{
    if (m_adminConnection.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_adminConnection, false);
        QSqlQuery q(db);
        q.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_target.name));
        db.close();
    }
    QSqlDatabase::removeDatabase(m_adminConnection);
}

bool TestDatabase::open(const QString &connectionName)
{
    QString error;
    if (!Database::open(m_target, connectionName, &error)) {
        qWarning("Opening %s failed: %s", qPrintable(m_target.describe()), qPrintable(error));
        return false;
    }
    return true;
}


namespace Sql {

QSqlQuery run(const QString &sql, const QVariantList &values)
{
    QSqlDatabase db = Database::connection();
    QSqlQuery q(db);
    if (values.isEmpty()) {
        // Without values nothing needs preparing (PostgreSQL cannot prepare DDL).
        if (!q.exec(sql))
            qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    } else {
        if (!q.prepare(sql))
            qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        for (int i = 0; i < values.size(); ++i)
            SqlDialect::of(db).bind(q, i, values[i]);
        if (!q.exec())
            qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    }
    q.next();
    return q;
}

bool exec(const QString &sql, const QVariantList &values)
{
    return run(sql, values).isActive();
}

QVariant scalar(const QString &sql, const QVariantList &values)
{
    const QSqlQuery q = run(sql, values);
    return q.isValid() ? q.value(0) : QVariant();
}

int number(const QString &sql, const QVariantList &values)
{
    return run(sql, values).value(0).toInt();
}

int count(const QString &table)
{
    return number(QStringLiteral("Select Count(*) from %1").arg(table));
}

int insertId(const QString &sql, const QVariantList &values)
{
    return number(sql + QStringLiteral(" Returning ID"), values);
}

} // namespace Sql

QStringList windowClasses(const QString &sourceDir)
{
    static const QRegularExpression windowClass(QStringLiteral(R"(class (T\w+) : public Q(Dialog|Widget|MainWindow)\b)"));
    QStringList names;
    QDirIterator sources(sourceDir, {QStringLiteral("*.h")}, QDir::Files, QDirIterator::Subdirectories);
    while (sources.hasNext()) {
        QFile f(sources.next());
        if (!f.open(QIODevice::ReadOnly))
            continue;
        auto it = windowClass.globalMatch(QString::fromUtf8(f.readAll()));
        while (it.hasNext())
            names << it.next().captured(1);
    }
    return names;
}

} // namespace TestSupport
