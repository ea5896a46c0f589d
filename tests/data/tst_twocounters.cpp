// Two counters, each its own process and connection, working at once on the
// same few titles and customers: no copy is lost or counted twice, no number
// is handed out twice, and waiting for the other counter stays inside the
// data layer: the clerk sees an operation done or refused, never a lock error.
//
// VEXARO_COUNTER_OPERATIONS (default 5000) sets each counter's operations.
#include "ShopAudit.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace TestSupport;

class TestTwoCounters : public QObject
{
    Q_OBJECT

private slots:
    void twoCountersKeepTheBooks();
};

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

QTEST_GUILESS_MAIN(TestTwoCounters)
#include "tst_twocounters.moc"
