// Two counters, each its own process and connection, working at once on the
// same few titles and customers: no copy is lost or counted twice, no number
// is handed out twice, and waiting for the other counter stays inside the
// data layer: the clerk sees an operation done or refused, never a lock error.
//
// VEXARO_COUNTER_OPERATIONS (default 5000) sets each counter's operations.
#include "ShopAudit.h"
#include "components/DataSet.h"
#include "data/ShopBook.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSqlQuery>
#include <QTest>
#include <QThread>

using namespace TestSupport;

class TestTwoCounters : public QObject
{
    Q_OBJECT

private slots:
    void twoCountersKeepTheBooks();
    void anotherCounterHoldsTheDatabase_data();
    void anotherCounterHoldsTheDatabase();
};

namespace {

// Another counter in the middle of a write, on its own thread and connection:
// it holds the shop's write lock until told to go on or until holdMs passed.
class OtherCounter : public QThread
{
public:
    OtherCounter(const DatabaseTarget &target, int holdMs) : m_target(target), m_holdMs(holdMs) {}
    QSemaphore locked, goOn;

protected:
    void run() override
    {
        const QString name = QStringLiteral("other");
        if (Database::open(m_target, name, nullptr)) {
            QSqlDatabase db = Database::connection(name);
            for (const QString &sql : SqlDialect::of(db).beginWriteTransaction())
                QSqlQuery(db).exec(sql);
            locked.release();
            goOn.tryAcquire(1, m_holdMs);
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        } else {
            locked.release();
        }
        Database::close(name);
    }

private:
    DatabaseTarget m_target;
    int m_holdMs;
};

void setLockWait(int ms)
{
    TestSupport::Sql::run(TestSupport::backend() == Backend::SQLite ? QStringLiteral("PRAGMA busy_timeout = %1").arg(ms)
                                                                    : QStringLiteral("SET lock_timeout = %1").arg(ms));
}

} // namespace

void TestTwoCounters::twoCountersKeepTheBooks()
{
    const int operations = qEnvironmentVariableIntValue("VEXARO_COUNTER_OPERATIONS") ?: 5000;
    const int seedStock = 4;
    TestHome home;
    TestDatabase shop;
    QVERIFY(shop.open());
    ShopAudit::seed(5, seedStock, 4);
    const QString address = backend() == Backend::SQLite ? shop.target().filePath : shop.target().describe();

    QElapsedTimer clock;
    clock.start();
    QProcess counters[2];
    for (int i = 0; i < 2; ++i) {
        counters[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
        counters[i].start(QStringLiteral(SHOP_COUNTER), {address, QString::number(17 + i), QString::number(operations),
                                                         QStringLiteral("c%1").arg(i + 1)});
        QVERIFY2(counters[i].waitForStarted(), qPrintable(counters[i].errorString()));
    }
    QStringList problems;
    int ledgerExpected = 0;
    for (int i = 0; i < 2; ++i) {
        QVERIFY(counters[i].waitForFinished(600000));
        QCOMPARE(counters[i].exitCode(), 0);
        const QList<QByteArray> lines = counters[i].readAllStandardOutput().trimmed().split('\n');
        for (const QByteArray &l : lines) {
            if (l.startsWith("BUSY") || l.startsWith("ERROR"))
                problems << QStringLiteral("counter %1 was told: %2").arg(i + 1).arg(QString::fromUtf8(l));
        }
        const QString done = QString::fromUtf8(lines.last());
        qInfo("counter %d: %s", i + 1, qPrintable(done));
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral(
            "^DONE ok=(\\d+) refused=(\\d+) retries=(\\d+) busy=(\\d+) errors=(\\d+) negative=(\\d+)$")).match(done);
        QVERIFY2(m.hasMatch(), qPrintable(done));
        QCOMPARE(m.captured(1).toInt() + m.captured(2).toInt() + m.captured(4).toInt() + m.captured(5).toInt(), operations);
        if (m.captured(6).toInt() > 0)
            problems << QStringLiteral("counter %1 saw a title below zero %2 times").arg(i + 1).arg(m.captured(6));
        ledgerExpected += m.captured(1).toInt();
    }
    const qint64 ms = clock.elapsed();
    // Each operation done books one ledger row: one more or fewer is an
    // operation half stored, or reported done and lost.
    if (ShopAudit::ledgerRows() != ledgerExpected)
        problems << QStringLiteral("the counters did %1 operations, the ledger holds %2").arg(ledgerExpected).arg(ShopAudit::ledgerRows());
    problems << ShopAudit::inconsistencies(seedStock);
    qInfo("%s: 2 x %d operations in %.1f s; inconsistencies (lost updates, duplicates, busy errors): %lld",
          qPrintable(backendName()), operations, ms / 1000.0, problems.size());
    QVERIFY2(problems.isEmpty(), qPrintable(problems.mid(0, 30).join(u'\n')));
}

void TestTwoCounters::anotherCounterHoldsTheDatabase_data()
{
    QTest::addColumn<int>("holdMs");
    QTest::addColumn<bool>("done");
    QTest::newRow("lets go while this counter waits") << 250 << true;
    QTest::newRow("holds on past every retry") << 20000 << false;
}

// A new customer with a deposit while the other counter holds the database:
// this one waits and tries again; in the end it stores all of it, or nothing
// and tells the clerk so, the typed customer still in place.
void TestTwoCounters::anotherCounterHoldsTheDatabase()
{
    QFETCH(int, holdMs);
    QFETCH(bool, done);
    TestHome home;
    TestDatabase shop;
    QVERIFY(shop.open());
    OtherCounter other(shop.target(), holdMs);
    other.start();
    other.locked.acquire();
    setLockWait(100); // this counter's wait, short so that the test is
    DataSet m(QStringLiteral("Musteri"));
    m.setSql(QStringLiteral("Select * from Musteri Order by ID"));
    QVERIFY(m.open());
    QVERIFY(m.insert());
    m.setValue(QStringLiteral("MusteriNo"), 1);
    m.setValue(QStringLiteral("AdSoyad"), QStringLiteral("Cust-1"));
    m.setValue(QStringLiteral("Depozito"), QVariant::fromValue(Money::fromUnits(50)));
    ShopBook::CustomerRequest request;
    request.musteriNo = 1;
    request.name = QStringLiteral("Cust-1");
    request.deposit = Money::fromUnits(50);
    request.bookDeposit = true;
    const ShopResult r = ShopBook().saveCustomer(request);
    other.goOn.release();
    other.wait();
    setLockWait(SqlDialect::LockWaitMs);
    QCOMPARE(r.ok(), done);
    const auto stored = [] {
        return QStringLiteral("%1 customer(s), %2 deposit(s)").arg(Sql::number(QStringLiteral("Select Count(*) from Musteri")))
            .arg(ShopAudit::ledgerRows());
    };
    QCOMPARE(stored(), done ? QStringLiteral("1 customer(s), 1 deposit(s)") : QStringLiteral("0 customer(s), 0 deposit(s)"));
    if (done) {
        QVERIFY(r.retries >= 1);
        return;
    }
    QCOMPARE(r.error, ShopResult::Error::Busy);
    QCOMPARE(r.message, QStringLiteral("The database is busy at another counter; nothing was changed. Please try again."));
    QCOMPARE(r.retries, 2);
    QCOMPARE(m.state(), DataSet::State::Insert);
    QCOMPARE(m.value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("Cust-1"));
    // The clerk presses "Post" again once the other counter is done.
    const ShopResult again = ShopBook().saveCustomer(request);
    QVERIFY2(again.ok(), qPrintable(again.message));
    QCOMPARE(stored(), QStringLiteral("1 customer(s), 1 deposit(s)"));
}

QTEST_GUILESS_MAIN(TestTwoCounters)
#include "tst_twocounters.moc"
