// A counter killed at any moment (SIGKILL: no clean-up, no rollback of its
// own) leaves a sound database and books that agree: every operation it
// finished is there whole, the one it was in is there whole or not at all.
//
// VEXARO_CRASH_SECONDS (default 110) and VEXARO_CRASH_KILLS (default 200) set
// how long it goes on: until both are reached, and never past three times the
// seconds. QtTest's time-out for the function follows from that (a minute
// more), unless QTEST_FUNCTION_TIMEOUT sets one. CTest stops the test after
// 420 s, enough for the usual run; run a longer one, e.g. of 400 s, as the
// program itself:
//   VEXARO_CRASH_SECONDS=400 build/tests/data_tst_crashsafety
#include "ShopAudit.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

using namespace TestSupport;

namespace {

int crashSeconds()
{
    return qEnvironmentVariableIntValue("VEXARO_CRASH_SECONDS") ?: 110;
}

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void killedCounterLeavesSoundBooks();
};

void TestCrashSafety::killedCounterLeavesSoundBooks()
{
    if (backend() != Backend::SQLite)
        QSKIP("A killed counter on a server only drops its connection; the file is what a kill can harm.");
    const int seconds = crashSeconds();
    const int minKills = qEnvironmentVariableIntValue("VEXARO_CRASH_KILLS") ?: 200;
    const int seedStock = 3;
    TestHome home;
    TestDatabase shop;
    QVERIFY(shop.open());
    ShopAudit::seed(6, seedStock, 3);

    QRandomGenerator rng(quint32(QDateTime::currentMSecsSinceEpoch()));
    QElapsedTimer clock;
    clock.start();
    int kills = 0, committed = 0, unreported = 0;
    QStringList problems;
    while ((clock.elapsed() < seconds * 1000LL || kills < minKills) && clock.elapsed() < seconds * 3000LL
           && problems.isEmpty()) {
        const int ledgerBefore = ShopAudit::ledgerRows();
        QProcess counter;
        counter.start(QStringLiteral(SHOP_COUNTER),
                      {shop.target().filePath, QString::number(rng.generate()), QStringLiteral("0"),
                       QStringLiteral("k%1").arg(kills)});
        QVERIFY2(counter.waitForStarted(), qPrintable(counter.errorString()));
        // Most kills fall among the operations; every fourth counts from the
        // start, so that some land while the file is opened (and the journal
        // a kill left behind is recovered).
        if (kills % 4 != 0)
            QVERIFY(counter.waitForReadyRead(30000)); // "READY"
        QThread::msleep(rng.bounded(kills % 4 != 0 ? 0 : 30, 400));
        counter.kill();
        QVERIFY(counter.waitForFinished());
        ++kills;
        const QList<QByteArray> lines = counter.readAllStandardOutput().split('\n');
        const int ok = int(std::count_if(lines.cbegin(), lines.cend(), [](const QByteArray &l) { return l.startsWith("OK "); }));
        for (const QByteArray &l : lines) {
            if (l.startsWith("BUSY") || l.startsWith("ERROR"))
                problems << QStringLiteral("the counter was told: %1").arg(QString::fromUtf8(l));
        }
        // Each operation books exactly one ledger row; the kill may fall between
        // a commit and its report, never take back what was reported.
        const int written = ShopAudit::ledgerRows() - ledgerBefore;
        if (written != ok && written != ok + 1)
            problems << QStringLiteral("the counter reported %1 operations, the ledger gained %2").arg(ok).arg(written);
        committed += written;
        unreported += written - ok;
        problems << ShopAudit::inconsistencies(seedStock);
    }
    qInfo("kills: %d, operations committed: %d (%d of them killed before reporting), seconds: %lld, inconsistencies: %lld",
          kills, committed, unreported, clock.elapsed() / 1000, problems.size());
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    QVERIFY(kills >= minKills);
    QVERIFY(committed > kills); // the kills did not all land before the first operation
}

int main(int argc, char *argv[])
{
    // QtTest stops a test function after five minutes; this one runs as long
    // as it was asked to, up to three times that when the kills come slowly.
    // QtTest reads the variable when the first function starts.
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number((3LL * crashSeconds() + 60) * 1000));
    QCoreApplication app(argc, argv);
    TestCrashSafety test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_crashsafety.moc"
