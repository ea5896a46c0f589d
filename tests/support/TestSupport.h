#pragma once

#include "db/Database.h"

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QTemporaryDir>
#include <memory>

// What every test program stands on: its own VEXARO_HOME, and a fresh empty
// database on the backend the test runs on (VEXARO_TEST_BACKEND).
namespace TestSupport {

Backend backend();
QString backendName();

// Points VEXARO_HOME at a folder in a new temporary folder for the life of the object.
class TestHome
{
public:
    TestHome();
    ~TestHome();
    // The program's folder; its backup folder (VEXAROYedek) lies beside it,
    // inside the same temporary folder.
    QString path() const { return m_dir.path() + QStringLiteral("/VEXARO"); }

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
};

// A database nobody else uses: a file in a temporary folder, or a new database
// on the test cluster, dropped again when the object goes.
class TestDatabase
{
public:
    TestDatabase();
    ~TestDatabase();
    const DatabaseTarget &target() const { return m_target; }
    // Opens it as the named connection (schema and starting rows included);
    // fails the calling test on error.
    bool open(const QString &connectionName = Database::ConnectionName);
    // The URL of the PostgreSQL test cluster's maintenance database, or empty.
    static QString clusterUrl();

private:
    DatabaseTarget m_target;
    QTemporaryDir m_dir;
    QString m_adminConnection;
};

// Statements written straight into the shop, for tests that set up rows or
// check them (brought in with `using namespace TestSupport::Sql`).
namespace Sql {
// Runs a statement on the shop's connection, the values bound by position as
// the program binds them (dates, money), so rows look as a counter wrote
// them; the query stands on its first row. A failure is printed.
QSqlQuery run(const QString &sql, const QVariantList &values = {});
// Whether the statement ran.
bool exec(const QString &sql, const QVariantList &values = {});
// The first column of the first row; null when there is no row.
QVariant scalar(const QString &sql, const QVariantList &values = {});
// The first column of the first row as a whole number.
int number(const QString &sql, const QVariantList &values = {});
// The rows of a table.
int count(const QString &table);
// Runs an Insert and gives the new row's ID.
int insertId(const QString &sql, const QVariantList &values = {});
} // namespace Sql

// Every window class of the program (class T… : public QDialog, QWidget or
// QMainWindow) declared in the headers below sourceDir: what a test that
// walks every window must not leave out.
QStringList windowClasses(const QString &sourceDir);

} // namespace TestSupport
