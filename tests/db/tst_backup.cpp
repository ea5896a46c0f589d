// Copies of the database: taken while another connection keeps writing, the
// copy is sound and holds every row committed before it began; restoring it
// brings those rows back; files that are no backup are refused; PostgreSQL
// shops are told that the server's backup applies. The automatic copies are
// kept in daily, weekly and monthly generations, and a failed copy removes
// nothing.
#include "db/AutoBackup.h"
#include "db/Backup.h"
#include "db/Database.h"
#include "support/TestSupport.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QSqlError>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTest>
#include <QThread>

using namespace TestSupport;

Q_DECLARE_METATYPE(AutoBackup::Policy)

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
    void generations_data();
    void generations();
    void fortyDays();
    void pruningKeepsTheLastGoodCopy();

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
        // Odd rounds copy as the automatic backup does, from a connection of
        // its own on the file.
        if (round % 2)
            QVERIFY2(Backup::fileToFile(m_db->target().filePath, copy, &error), qPrintable(error));
        else
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

namespace {

QDate day(const char *text)
{
    return QDate::fromString(QLatin1String(text), QStringLiteral("yyyy-MM-dd"));
}

// Days as "yyyy-MM-dd" text, oldest first.
QStringList days(QList<QDate> dates)
{
    std::sort(dates.begin(), dates.end());
    QStringList out;
    for (const QDate &d : dates)
        out << d.toString(Qt::ISODate);
    return out;
}

// A copy of every day from `first` to `last`.
QList<QDate> everyDay(const QDate &first, const QDate &last)
{
    QList<QDate> out;
    for (QDate d = first; d <= last; d = d.addDays(1))
        out << d;
    return out;
}

} // namespace

void TestBackup::generations_data()
{
    QTest::addColumn<QList<QDate>>("copies");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<AutoBackup::Policy>("policy");
    QTest::addColumn<QStringList>("kept");
    const AutoBackup::Policy usual; // 7 daily, 4 weekly, 12 monthly
    QTest::newRow("first copy") << QList<QDate>{day("2024-03-04")} << day("2024-03-04") << usual
                                << QStringList{"2024-03-04"};
    // 2024-01-01 is a Monday; the ISO weeks end on Sundays 7, 14, 21, 28 January.
    QTest::newRow("every day of six weeks")
        << everyDay(day("2024-01-01"), day("2024-02-11")) << day("2024-02-11") << usual
        << QStringList{"2024-01-21", "2024-01-28", "2024-01-31", "2024-02-04", "2024-02-05", "2024-02-06",
                       "2024-02-07", "2024-02-08", "2024-02-09", "2024-02-10", "2024-02-11"};
    // A shop closed on some days keeps the copies of the days it worked.
    QTest::newRow("days without a copy")
        << QList<QDate>{day("2024-05-02"), day("2024-05-06"), day("2024-05-20"), day("2024-05-21")}
        << day("2024-05-25") << AutoBackup::Policy{true, 2, 0, 0} << QStringList{"2024-05-20", "2024-05-21"};
    // Months count only when they have a copy, however far apart.
    QTest::newRow("three months with copies")
        << QList<QDate>{day("2022-12-31"), day("2023-01-31"), day("2023-06-30"), day("2023-12-31"), day("2024-01-02")}
        << day("2024-01-02") << AutoBackup::Policy{true, 1, 0, 3}
        << QStringList{"2023-06-30", "2023-12-31", "2024-01-02"};
    QTest::newRow("nothing asked: the newest stays")
        << QList<QDate>{day("2024-03-01"), day("2024-03-02")} << day("2024-03-03") << AutoBackup::Policy{true, 0, 0, 0}
        << QStringList{"2024-03-02"};
    QTest::newRow("clock set back: later copies stay")
        << QList<QDate>{day("2024-03-01"), day("2024-03-02"), day("2024-03-09")} << day("2024-03-02")
        << AutoBackup::Policy{true, 1, 0, 0} << QStringList{"2024-03-02", "2024-03-09"};
}

void TestBackup::generations()
{
    QFETCH(QList<QDate>, copies);
    QFETCH(QDate, today);
    QFETCH(AutoBackup::Policy, policy);
    QFETCH(QStringList, kept);
    const QSet<QDate> k = AutoBackup::keep(copies, today, policy);
    QCOMPARE(days(QList<QDate>(k.begin(), k.end())), kept);
}

void TestBackup::fortyDays()
{
    if (backend() == Backend::PostgreSQL)
        QSKIP("copies are made of SQLite files only");
    // Forty days of a shop that opens and closes every day, from Monday
    // 1 January 2024, with the usual generations; the "Backup" button was
    // pressed on the first day.
    const QString folder = m_home->path() + QStringLiteral("Yedek");
    QString error;
    QVERIFY2(Backup::toFile(Database::connection(), folder + QStringLiteral("/20240101-VEXARO.MDB"), &error),
             qPrintable(error));
    const AutoBackup::Policy usual;
    QDate today = day("2024-01-01");
    for (int n = 0; n < 40; ++n, today = today.addDays(1)) {
        QVERIFY(QSqlQuery(Database::connection())
                    .exec(QStringLiteral("Insert Into FilmTur (FilmTur) Values ('g%1')").arg(n + 1)));
        for (auto occasion : {AutoBackup::Occasion::Start, AutoBackup::Occasion::Start, AutoBackup::Occasion::Close}) {
            const AutoBackup::Result r = AutoBackup::run(m_db->target().filePath, folder, today, usual, occasion);
            QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        }
    }
    QStringList files;
    for (const AutoBackup::Copy &c : AutoBackup::list(folder))
        files.prepend(QStringLiteral("%1 %2").arg(QFileInfo(c.file).fileName()).arg(c.size));
    qInfo().noquote() << "after 40 days:\n  " + files.join(QStringLiteral("\n  "));
    QStringList names;
    for (const QString &f : std::as_const(files))
        names << f.section(u' ', 0, 0);
    const QStringList expected{"20240101-VEXARO.MDB",      "20240121-VEXARO-auto.MDB", "20240128-VEXARO-auto.MDB",
                               "20240131-VEXARO-auto.MDB", "20240203-VEXARO-auto.MDB", "20240204-VEXARO-auto.MDB",
                               "20240205-VEXARO-auto.MDB", "20240206-VEXARO-auto.MDB", "20240207-VEXARO-auto.MDB",
                               "20240208-VEXARO-auto.MDB", "20240209-VEXARO-auto.MDB"};
    QCOMPARE(names, expected);
    // Each day's copy holds that day's work (one row a day).
    QCOMPARE(genres(folder + QStringLiteral("/20240209-VEXARO-auto.MDB")), qMakePair(40, 40));
    QCOMPARE(genres(folder + QStringLiteral("/20240131-VEXARO-auto.MDB")), qMakePair(31, 31));
}

void TestBackup::pruningKeepsTheLastGoodCopy()
{
    if (backend() == Backend::PostgreSQL)
        QSKIP("copies are made of SQLite files only");
    const QString folder = m_home->path() + QStringLiteral("Yedek");
    const AutoBackup::Policy oneDay{true, 1, 0, 0};
    const QString file = m_db->target().filePath;
    AutoBackup::Result r = AutoBackup::run(file, folder, day("2024-03-01"), oneDay, AutoBackup::Occasion::Start);
    QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
    // The next day's copy cannot be written (a folder holds its name): the
    // last good copy stays, nothing half-written is left.
    QVERIFY(QDir().mkpath(folder + u'/' + AutoBackup::fileName(day("2024-03-02")) + QStringLiteral("/x")));
    r = AutoBackup::run(file, folder, day("2024-03-02"), oneDay, AutoBackup::Occasion::Start);
    QVERIFY(r.attempted);
    QVERIFY2(r.error.contains(QStringLiteral("cannot be replaced")), qPrintable(r.error));
    QVERIFY(r.pruned.isEmpty());
    QVERIFY(QFileInfo(folder + QStringLiteral("/20240301-VEXARO-auto.MDB")).isFile());
    QCOMPARE(QDir(folder).entryList({QStringLiteral("*.part")}, QDir::Files).size(), 0);
    // A database that cannot be read: the same.
    r = AutoBackup::run(file + QStringLiteral(".gone"), folder, day("2024-03-03"), oneDay, AutoBackup::Occasion::Start);
    QVERIFY(!r.error.isEmpty() && r.pruned.isEmpty());
    QVERIFY(QFileInfo(folder + QStringLiteral("/20240301-VEXARO-auto.MDB")).isFile());
    // The next good copy replaces it.
    r = AutoBackup::run(file, folder, day("2024-03-04"), oneDay, AutoBackup::Occasion::Start);
    QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
    QCOMPARE(r.pruned, QStringList{folder + QStringLiteral("/20240301-VEXARO-auto.MDB")});
}

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
