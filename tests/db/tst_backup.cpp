// Copies of the database: taken while another connection keeps writing, the
// copy is sound and holds every row committed before it began; restoring it
// brings those rows back; files that are no backup are refused; PostgreSQL
// shops are told that the server's backup applies.
#include "db/Backup.h"
#include "db/Database.h"
#include "support/TestSupport.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTest>
#include <QThread>

using namespace TestSupport;

namespace {

// Another counter on the same file: adds genres "g1", "g2"… one committed
// row at a time until told to stop.
class Writer : public QThread
{
public:
    explicit Writer(const QString &file) : m_file(file) {}
    QAtomicInt committed = 0;
    QAtomicInt stop = 0;
    QString error;

protected:
    void run() override
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("writer"));
            db.setDatabaseName(m_file);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000"));
            if (!db.open()) {
                error = db.lastError().text();
                return;
            }
            QSqlQuery q(db);
            for (int n = 1; !stop.loadRelaxed(); ++n) {
                if (!q.exec(QStringLiteral("Insert Into FilmTur (FilmTur) Values ('g%1')").arg(n))) {
                    error = q.lastError().text();
                    break;
                }
                committed.storeRelease(n);
                // A counter pauses between sales: without it this loop
                // would hold the write lock nearly all the time, and the
                // other connections would wait for it in vain.
                QThread::usleep(500);
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("writer"));
    }

private:
    QString m_file;
};

// The genres "g…" a database file holds: how many, and the highest number.
QPair<int, int> genres(const QString &file)
{
    QPair<int, int> result{-1, -1};
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("Select Count(*), Max(CAST(substr(FilmTur, 2) AS INTEGER)) from FilmTur "
                                      "where FilmTur like 'g%'"))
                && q.next())
                result = {q.value(0).toInt(), q.value(1).toInt()};
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("reader"));
    return result;
}

int liveCount(const QString &sql)
{
    QSqlQuery q(Database::connection());
    return q.exec(sql) && q.next() ? q.value(0).toInt() : -1;
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void copyWhileAnotherConnectionWrites();
    void refusals_data();
    void refusals();

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestDatabase> m_db;
};

void TestBackup::init()
{
    m_home = std::make_unique<TestHome>();
    m_db = std::make_unique<TestDatabase>();
    QVERIFY(m_db->open());
}

void TestBackup::cleanup()
{
    Database::close(Database::ConnectionName);
    m_db.reset();
    m_home.reset();
}

void TestBackup::copyWhileAnotherConnectionWrites()
{
    const QString folder = m_home->path() + QStringLiteral("/VEXAROYedek");
    QString error;
    if (backend() == Backend::PostgreSQL) {
        // No file: the clerk is told the server's own backup applies.
        QVERIFY(!Backup::supported(Database::connection(), &error));
        QVERIFY2(error.contains(QStringLiteral("server's own backup")), qPrintable(error));
        QVERIFY(!Backup::toFile(Database::connection(), folder + QStringLiteral("/x.MDB"), &error));
        QVERIFY(!QFile::exists(folder + QStringLiteral("/x.MDB")));
        return;
    }
    QVERIFY(Backup::supported(Database::connection()));

    Writer writer(m_db->target().filePath);
    writer.start();
    // A failed check leaves the function early: the writer still stops.
    const auto stopWriter = qScopeGuard([&writer] {
        writer.stop.storeRelease(1);
        writer.wait();
    });
    QTRY_VERIFY_WITH_TIMEOUT(writer.committed.loadAcquire() >= 50 || !writer.error.isEmpty(), 20000);
    for (int round = 0; round < 4; ++round) {
        const QString copy = folder + QStringLiteral("/copy%1.MDB").arg(round);
        const int before = writer.committed.loadAcquire();
        // In the last round a third counter holds a write it has not committed.
        QSqlDatabase pending;
        if (round == 3) {
            pending = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("pending"));
            pending.setDatabaseName(m_db->target().filePath);
            pending.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000"));
            // Takes the write lock at once: a deferred transaction would meet
            // the writer's newer commits and be refused instead of waiting.
            QVERIFY(pending.open() && QSqlQuery(pending).exec(QStringLiteral("BEGIN IMMEDIATE")));
            QVERIFY(QSqlQuery(pending).exec(QStringLiteral("Insert Into FilmTur (FilmTur) Values ('uncommitted')")));
        }
        QVERIFY2(Backup::toFile(Database::connection(), copy, &error), qPrintable(error));
        const int after = writer.committed.loadAcquire();
        if (round == 3) {
            QSqlQuery(pending).exec(QStringLiteral("ROLLBACK"));
            pending.close();
            pending = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("pending"));
        }
        QVERIFY2(Backup::checkCopy(copy, &error), qPrintable(error));
        QVERIFY(!QFile::exists(copy + QStringLiteral("-wal"))); // one self-contained file
        const auto [count, highest] = genres(copy);
        // Every row committed before the copy began, none missing in between.
        QVERIFY2(count >= before && count <= after,
                 qPrintable(QStringLiteral("%1 rows, %2 committed before, %3 after").arg(count).arg(before).arg(after)));
        QCOMPARE(highest, count);
        QTest::qWait(20);
    }
    writer.stop.storeRelease(1);
    writer.wait();
    QVERIFY2(writer.error.isEmpty(), qPrintable(writer.error));

    // Restoring: a copy of everything, the table emptied, the copy put back.
    const QString full = folder + QStringLiteral("/full.MDB");
    QVERIFY2(Backup::toFile(Database::connection(), full, &error), qPrintable(error));
    const int total = writer.committed.loadAcquire();
    QCOMPARE(liveCount(QStringLiteral("Select Count(*) from FilmTur")), total);
    QVERIFY(QSqlQuery(Database::connection()).exec(QStringLiteral("Delete from FilmTur")));
    QVERIFY2(Backup::restoreFrom(Database::connection(), full, &error), qPrintable(error));
    QCOMPARE(liveCount(QStringLiteral("Select Count(*) from FilmTur")), total);
    // Other connections on the file see the restored rows, and the program
    // goes on writing.
    QCOMPARE(genres(m_db->target().filePath).first, total);
    QVERIFY(QSqlQuery(Database::connection()).exec(QStringLiteral("Insert Into FilmTur (FilmTur) Values ('after')")));
    QCOMPARE(liveCount(QStringLiteral("Select Count(*) from FilmTur")), total + 1);
}

void TestBackup::refusals_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("no such file") << "missing" << "does not exist";
    QTest::newRow("a text file") << "text" << "is not a VEXARO database";
    QTest::newRow("a database of something else") << "foreign" << "it lacks the tables";
    QTest::newRow("the database in use") << "live" << "is the database in use";
    QTest::newRow("backup over a folder of that name") << "folder" << "cannot be replaced";
}

void TestBackup::refusals()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    if (backend() == Backend::PostgreSQL)
        QSKIP("copies are made of SQLite files only");
    QVERIFY(QSqlQuery(Database::connection()).exec(QStringLiteral("Insert Into FilmTur (FilmTur) Values ('Dram')")));
    const QString folder = m_home->path() + QStringLiteral("/VEXAROYedek");
    QVERIFY(QDir().mkpath(folder));
    QString file = folder + QStringLiteral("/20240101-VEXARO.MDB");
    QString error;
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(file));
        QVERIFY(!Backup::toFile(Database::connection(), file, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY(QFileInfo(file).isDir());
        QVERIFY(!QFile::exists(file + QStringLiteral(".part")));
        return;
    }
    if (kind == QLatin1String("text")) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    } else if (kind == QLatin1String("foreign")) {
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            other.setDatabaseName(file);
            QVERIFY(other.open());
            QVERIFY(QSqlQuery(other).exec(QStringLiteral("Create Table Notes (Line text)")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
    } else if (kind == QLatin1String("live")) {
        file = m_db->target().filePath;
    }
    QVERIFY(!Backup::restoreFrom(Database::connection(), file, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QCOMPARE(liveCount(QStringLiteral("Select Count(*) from FilmTur")), 1);
}

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
