// The shop's database on the backend this run uses: schema, starting rows and
// every kind of value stored and read back unchanged.
#include "db/Money.h"
#include "db/Database.h"
#include "db/Transaction.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSemaphore>
#include <QThread>
#include <QSqlError>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

using namespace TestSupport;

class TestSchema : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void startingRows();
    void openingTwiceAddsNothing();
    void everyTableHasItsColumns();
    void keysDefaultsAndUniqueNumbers();
    void currencyIsExact_data();
    void currencyIsExact();
    void dateComparisons_data();
    void dateComparisons();
    void longTextBlobAndTurkishText();
    void textWiderThanItsColumnIsRefused();
    void sumOfAMillionAmountsIsExact();
    void transactionRollsBackEverything();
    void doubleQuotedTextIsAnError();
    void twoCountersWaitForEachOther();
    void olderShopGetsTheLedgerAudit();
    void ledgerDaysFollowEveryWrite();
    void olderShopGetsItsLedgerDays();

private:
    QSqlDatabase db() const { return Database::connection(); }
    QVariant scalar(const QString &sql, std::optional<ColumnType> type = std::nullopt);
    void clear(const char *table);
    QStringList ledgerDaysFromRows();
    QStringList ledgerDaysKept();

    std::unique_ptr<TestDatabase> m_db;
};

QVariant TestSchema::scalar(const QString &sql, std::optional<ColumnType> type)
{
    QSqlQuery q(db());
    if (!q.exec(sql) || !q.next()) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return QVariant();
    }
    const auto types = SqlDialect::of(db()).resultTypes(q);
    const auto t = type ? type : types.at(0);
    return t ? SqlDialect::of(db()).fromDb(q.value(0), *t) : q.value(0);
}

void TestSchema::clear(const char *table)
{
    QSqlQuery q(db());
    QVERIFY2(q.exec(QStringLiteral("DELETE FROM %1").arg(QLatin1StringView(table))), qPrintable(q.lastError().text()));
}

void TestSchema::initTestCase()
{
    qInfo("backend: %s", qPrintable(backendName()));
    m_db = std::make_unique<TestDatabase>();
    QVERIFY(m_db->open());
}

void TestSchema::cleanupTestCase()
{
    Database::close(Database::ConnectionName);
    m_db.reset();
}

void TestSchema::init()
{
    QVERIFY(db().isOpen());
}

void TestSchema::startingRows()
{
    QSqlQuery q(db());
    QVERIFY(q.exec(QStringLiteral("SELECT UserName, Password FROM Users")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("QORV"));
    QCOMPARE(q.value(1).toString(), QStringLiteral("QORV"));
    QVERIFY(!q.next());

    QVERIFY(q.exec(QStringLiteral("SELECT * FROM Tarife")));
    QVERIFY(q.next());
    const QSqlRecord rec = q.record();
    const auto types = SqlDialect::of(db()).resultTypes(q);
    int prices = 0;
    for (int i = 0; i < rec.count(); ++i) {
        const QString name = rec.fieldName(i).toLower();
        QVERIFY2(types[size_t(i)].has_value(), qPrintable(name));
        const QVariant v = SqlDialect::of(db()).fromDb(q.value(i), *types[size_t(i)]);
        if (*types[size_t(i)] == ColumnType::Currency) {
            ++prices;
            QCOMPARE(v.value<Money>(), Money());
            QVERIFY2(!v.isNull(), qPrintable(name));
        }
    }
    QCOMPARE(prices, 15);
    QCOMPARE(q.value(QStringLiteral("ID")).toInt(), 1);
    QCOMPARE(q.value(QStringLiteral("PazarGunu")).toInt(), 0);
    QCOMPARE(q.value(QStringLiteral("StokSayisi")).toInt(), 0);
    QCOMPARE(q.value(QStringLiteral("TarifeTur")).toDouble(), 1.0);
    QVERIFY(!q.next());

    QVERIFY(q.exec(QStringLiteral("SELECT MailAdres, MailSifre, MailSMTP FROM Config")));
    QVERIFY(q.next());
    QVERIFY(q.value(0).isNull() && q.value(1).isNull() && q.value(2).isNull());
    QVERIFY(!q.next());
}

void TestSchema::openingTwiceAddsNothing()
{
    Database::close(Database::ConnectionName);
    QVERIFY(m_db->open());
    QVERIFY(m_db->open());
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Users")).toInt(), 1);
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Tarife")).toInt(), 1);
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Config")).toInt(), 1);
    QVERIFY(Database::missingTables(db()).isEmpty());
}

void TestSchema::everyTableHasItsColumns()
{
    for (const TableDef &t : Schema::tables()) {
        QSqlQuery q(db());
        QVERIFY2(q.exec(QStringLiteral("SELECT * FROM %1 WHERE 1=0").arg(QLatin1StringView(t.name))),
                 qPrintable(q.lastError().text()));
        const QSqlRecord rec = q.record();
        QCOMPARE(rec.count(), int(t.columns.size()));
        const auto types = SqlDialect::of(db()).resultTypes(q);
        for (const ColumnDef &c : t.columns) {
            const int i = rec.indexOf(QLatin1StringView(c.name)); // case-insensitive
            QVERIFY2(i >= 0, c.name);
            const ColumnType expected = c.type == ColumnType::AutoNumber ? ColumnType::Integer : c.type;
            QVERIFY2(types[size_t(i)] == expected, qPrintable(QStringLiteral("%1.%2").arg(QLatin1StringView(t.name), QLatin1StringView(c.name))));
        }
    }
}

void TestSchema::keysDefaultsAndUniqueNumbers()
{
    const SqlDialect &d = SqlDialect::of(db());
    QSqlQuery q(db());
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO Hareket (IslemTur, MusteriNo, CdNo) VALUES (:t, 1, 2) RETURNING ID")));
    d.bind(q, QStringLiteral(":t"), QStringLiteral("Rent"));
    QVERIFY2(q.exec() && q.next(), qPrintable(q.lastError().text()));
    const int first = q.value(0).toInt();
    QVERIFY(first > 0);
    QVERIFY(q.exec() && q.next());
    QCOMPARE(q.value(0).toInt(), first + 1);
    QCOMPARE(scalar(QStringLiteral("SELECT CDDurum FROM Hareket WHERE ID=%1").arg(first)).toInt(), 0);
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Hareket WHERE CDDurum=0")).toInt(), 2);

    // Two customers or titles can never carry the same shown number.
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Musteri (AdSoyad, MusteriNo) VALUES ('A', 7)")));
    QVERIFY(!q.exec(QStringLiteral("INSERT INTO Musteri (AdSoyad, MusteriNo) VALUES ('B', 7)")));
    QVERIFY(q.exec(QStringLiteral("INSERT INTO CD (FilmAdi, CDNo) VALUES ('A', 3)")));
    QVERIFY(!q.exec(QStringLiteral("INSERT INTO CD (FilmAdi, CDNo) VALUES ('B', 3)")));
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Musteri")).toInt(), 1);
    // A name may repeat.
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Musteri (AdSoyad, MusteriNo) VALUES ('A', 8)")));
    clear("Hareket");
    clear("Musteri");
    clear("CD");
}

void TestSchema::currencyIsExact_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("smallest") << "0.0001";
    QTest::newRow("half") << "12.5";
    QTest::newRow("largest") << "999999999.9999";
    QTest::newRow("negative") << "-0.0001";
    QTest::newRow("negative large") << "-123456789.0123";
    QTest::newRow("zero") << "0";
    QTest::newRow("tenth not binary") << "0.1";
}

void TestSchema::currencyIsExact()
{
    QFETCH(QString, text);
    const Money m = *Money::fromDecimalString(text);
    const SqlDialect &d = SqlDialect::of(db());
    QSqlQuery q(db());
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO Kasa (Borc, Alacak, Islem) VALUES (:b, :a, 'Other') RETURNING ID")));
    d.bind(q, QStringLiteral(":b"), QVariant::fromValue(m));
    d.bind(q, QStringLiteral(":a"), QVariant::fromValue(Money()));
    QVERIFY2(q.exec() && q.next(), qPrintable(q.lastError().text()));
    const int id = q.value(0).toInt();

    QCOMPARE(scalar(QStringLiteral("SELECT Borc FROM Kasa WHERE ID=%1").arg(id)).value<Money>(), m);
    QCOMPARE(scalar(QStringLiteral("SELECT Sum(Borc)-Sum(Alacak) AS TopBakiye FROM Kasa WHERE ID=%1").arg(id),
                    ColumnType::Currency).value<Money>(), m);
    // A bound amount finds the row it wrote.
    QVERIFY(q.prepare(QStringLiteral("SELECT count(*) FROM Kasa WHERE Borc=:b")));
    d.bind(q, QStringLiteral(":b"), QVariant::fromValue(m));
    QVERIFY(q.exec() && q.next());
    QCOMPARE(q.value(0).toInt(), 1);
    clear("Kasa");
}

void TestSchema::dateComparisons_data()
{
    // Rows: 1 = 2024-03-04 (whole day), 2 = 2024-03-05 (whole day),
    // 3 = 2024-03-05 14:07:09, 4 = 2024-03-06 00:00:01.
    QTest::addColumn<QString>("where");
    QTest::addColumn<QVariant>("p1");
    QTest::addColumn<QVariant>("p2");
    QTest::addColumn<QList<int>>("rows");
    const QDate d5(2024, 3, 5);
    QTest::newRow("= date") << "Tarih = :p1" << QVariant(d5) << QVariant() << QList<int>{2};
    QTest::newRow("= midnight datetime") << "Tarih = :p1" << QVariant(QDateTime(d5, QTime(0, 0))) << QVariant() << QList<int>{2};
    QTest::newRow("= datetime") << "Tarih = :p1" << QVariant(QDateTime(d5, QTime(14, 7, 9))) << QVariant() << QList<int>{3};
    QTest::newRow("< date") << "Tarih < :p1" << QVariant(d5) << QVariant() << QList<int>{1};
    QTest::newRow("<= date") << "Tarih <= :p1" << QVariant(d5) << QVariant() << QList<int>{1, 2};
    QTest::newRow("> date") << "Tarih > :p1" << QVariant(d5) << QVariant() << QList<int>{3, 4};
    QTest::newRow("between days, ends included") << "Tarih Between :p1 and :p2" << QVariant(QDate(2024, 3, 4))
                                                 << QVariant(d5) << QList<int>{1, 2};
    QTest::newRow("between datetimes") << "Tarih Between :p1 and :p2" << QVariant(QDateTime(d5, QTime(0, 0)))
                                       << QVariant(QDateTime(d5, QTime(23, 59, 59))) << QList<int>{2, 3};
    QTest::newRow("between same day") << "Tarih Between :p1 and :p2" << QVariant(d5) << QVariant(d5) << QList<int>{2};
    QTest::newRow("order") << "1=1" << QVariant() << QVariant() << QList<int>{1, 2, 3, 4};
}

void TestSchema::dateComparisons()
{
    QFETCH(QString, where);
    QFETCH(QVariant, p1);
    QFETCH(QVariant, p2);
    QFETCH(QList<int>, rows);
    const SqlDialect &d = SqlDialect::of(db());
    clear("Kasa");
    const QList<QVariant> values = {QDate(2024, 3, 4), QDateTime(QDate(2024, 3, 5), QTime(0, 0)),
                                    QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9, 123)),
                                    QDateTime(QDate(2024, 3, 6), QTime(0, 0, 1))};
    QSqlQuery q(db());
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO Kasa (HareketID, Tarih, Saat) VALUES (:n, :t, :t2)")));
    for (int i = 0; i < values.size(); ++i) {
        d.bind(q, QStringLiteral(":n"), i + 1);
        d.bind(q, QStringLiteral(":t"), values[i]);
        d.bind(q, QStringLiteral(":t2"), values[i]);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
    QVERIFY(q.prepare(QStringLiteral("SELECT HareketID, Tarih FROM Kasa WHERE %1 ORDER BY Tarih").arg(where)));
    if (where.contains(QLatin1String(":p1")))
        d.bind(q, QStringLiteral(":p1"), p1);
    if (where.contains(QLatin1String(":p2")))
        d.bind(q, QStringLiteral(":p2"), p2);
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    QList<int> got;
    while (q.next()) {
        got << q.value(0).toInt();
        // Read back as the same moment, to the second.
        const QDateTime back = d.fromDb(q.value(1), ColumnType::DateTime).toDateTime();
        QDateTime expected = values[got.last() - 1].metaType().id() == QMetaType::QDate
                                 ? QDateTime(values[got.last() - 1].toDate(), QTime(0, 0))
                                 : values[got.last() - 1].toDateTime();
        expected.setTime(QTime(expected.time().hour(), expected.time().minute(), expected.time().second()));
        QCOMPARE(back, expected);
    }
    QCOMPARE(got, rows);
}

void TestSchema::longTextBlobAndTurkishText()
{
    const SqlDialect &d = SqlDialect::of(db());
    QByteArray blob(1024 * 1024, Qt::Uninitialized);
    for (int i = 0; i < blob.size(); ++i)
        blob[i] = char(QRandomGenerator::global()->bounded(256));
    blob[0] = 0; // bytes, not text
    QString memo;
    for (int i = 0; memo.size() < 100000; ++i)
        memo += QStringLiteral("Satır %1: ışığı söndür, İstanbul'da \"Çağrı\" ĞÜŞÖ.\n").arg(i);
    memo.truncate(100000);
    const QString name = QStringLiteral("Işık O'Brien \"Çiğdem\" ğüşiöç İĞÜŞÖÇ");

    QSqlQuery q(db());
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO Musteri (AdSoyad, Adres, Resim, MusteriNo) VALUES (:n, :a, :r, 1) RETURNING ID")));
    d.bind(q, QStringLiteral(":n"), name);
    d.bind(q, QStringLiteral(":a"), memo);
    d.bind(q, QStringLiteral(":r"), blob);
    QVERIFY2(q.exec() && q.next(), qPrintable(q.lastError().text()));
    const int id = q.value(0).toInt();

    QVERIFY(q.prepare(QStringLiteral("SELECT AdSoyad, Adres, Resim FROM Musteri WHERE AdSoyad=:n")));
    d.bind(q, QStringLiteral(":n"), name);
    QVERIFY(q.exec() && q.next());
    QCOMPARE(q.value(0).toString(), name);
    QCOMPARE(q.value(1).toString().size(), memo.size());
    QVERIFY(q.value(1).toString() == memo);
    QCOMPARE(d.fromDb(q.value(2), ColumnType::Blob).toByteArray().size(), blob.size());
    QVERIFY(d.fromDb(q.value(2), ColumnType::Blob).toByteArray() == blob);
    QVERIFY(q.exec(QStringLiteral("DELETE FROM Musteri WHERE ID=%1").arg(id)));
}

void TestSchema::textWiderThanItsColumnIsRefused()
{
    const SqlDialect &d = SqlDialect::of(db());
    QSqlQuery q(db());
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO Musteri (AdSoyad, MusteriNo) VALUES (:n, 1)")));
    d.bind(q, QStringLiteral(":n"), QString(51, u'ş'));
    QVERIFY(!q.exec());
    d.bind(q, QStringLiteral(":n"), QString(50, u'ş'));
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    clear("Musteri");
}

void TestSchema::sumOfAMillionAmountsIsExact()
{
    const SqlDialect &d = SqlDialect::of(db());
    clear("Kasa");
    QRandomGenerator rng(20061015);
    qint64 expected = 0;
    constexpr int total = 1000000;
    constexpr int batch = 1000;
    QStringList holders;
    for (int i = 0; i < batch; ++i)
        holders << QStringLiteral("(?)");
    Transaction tx(db());
    QSqlQuery q(db());
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO Kasa (Borc) VALUES %1").arg(holders.join(u','))));
    for (int done = 0; done < total; done += batch) {
        for (int i = 0; i < batch; ++i) {
            // Up to ±50 million with four decimals: the total leaves the range
            // where a double still holds every ten-thousandth.
            const qint64 raw = qint64(rng.bounded(Q_INT64_C(1000000000000))) - Q_INT64_C(100000000000);
            expected += raw;
            d.bind(q, i, QVariant::fromValue(Money::fromRaw(raw)));
        }
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
    QVERIFY(tx.commit());
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Kasa")).toInt(), total);
    const Money sum = scalar(QStringLiteral("SELECT Sum(Borc) AS Toplam FROM Kasa"), ColumnType::Currency).value<Money>();
    QCOMPARE(sum.raw(), expected);
    clear("Kasa");
}

void TestSchema::transactionRollsBackEverything()
{
    QSqlQuery q(db());
    {
        Transaction outer(db());
        QVERIFY(outer.isActive());
        QVERIFY(q.exec(QStringLiteral("INSERT INTO Users (UserName, Password) VALUES ('a', 'b')")));
        {
            Transaction inner(db());
            QVERIFY(q.exec(QStringLiteral("UPDATE Tarife SET PazarGunu=1")));
            // inner leaves without commit: the whole write must go
        }
        QVERIFY(!outer.commit());
    }
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Users")).toInt(), 1);
    QCOMPARE(scalar(QStringLiteral("SELECT PazarGunu FROM Tarife")).toInt(), 0);
    {
        Transaction outer(db());
        QVERIFY(q.exec(QStringLiteral("INSERT INTO Users (UserName, Password) VALUES ('a', 'b')")));
        Transaction inner(db());
        QVERIFY(inner.commit());
        QVERIFY(outer.commit());
    }
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Users")).toInt(), 2);
    QVERIFY(q.exec(QStringLiteral("DELETE FROM Users WHERE UserName='a'")));
}

void TestSchema::doubleQuotedTextIsAnError()
{
    // "QORV" names a column, on both backends: a statement that meant text
    // fails loudly instead of silently comparing a column with itself.
    QSqlQuery q(db());
    QVERIFY(!q.exec(QStringLiteral("SELECT count(*) FROM Users WHERE UserName = \"QORV\"")));
    QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM Users WHERE UserName = 'QORV'")));
}

namespace {

// Another counter that takes the write lock, keeps it a while, then commits.
class OtherCounter : public QThread
{
public:
    explicit OtherCounter(DatabaseTarget target) : m_target(std::move(target)) {}
    QSemaphore locked;
    bool ok = false;

protected:
    void run() override
    {
        QString error;
        if (!Database::open(m_target, QStringLiteral("other"), &error)) {
            locked.release();
            return;
        }
        {
            QSqlDatabase other = Database::connection(QStringLiteral("other"));
            Transaction tx(other);
            QSqlQuery q(other);
            ok = q.exec(QStringLiteral("INSERT INTO Users (UserName, Password) VALUES ('other', 'x')"));
            locked.release();
            QThread::msleep(700);
            ok = tx.commit() && ok;
        }
        Database::close(QStringLiteral("other"));
    }

private:
    DatabaseTarget m_target;
};

} // namespace

void TestSchema::twoCountersWaitForEachOther()
{
    if (backend() != Backend::SQLite) {
        // A server serves several counters by itself; a counter waits for
        // another's lock as long as it would on the file.
        QCOMPARE(scalar(QStringLiteral("SHOW lock_timeout")).toString(),
                 QStringLiteral("%1s").arg(SqlDialect::LockWaitMs / 1000));
        return;
    }
    OtherCounter other(m_db->target());
    other.start();
    other.locked.acquire();
    // The file is locked for writing by the other counter: this write waits
    // for it rather than failing.
    QElapsedTimer waited;
    waited.start();
    {
        Transaction tx(db());
        QVERIFY2(tx.isActive(), qPrintable(tx.errorText()));
        QSqlQuery q(db());
        QVERIFY2(q.exec(QStringLiteral("INSERT INTO Users (UserName, Password) VALUES ('this', 'y')")),
                 qPrintable(q.lastError().text()));
        QVERIFY(tx.commit());
    }
    QVERIFY(waited.elapsed() >= 500);
    other.wait();
    QVERIFY(other.ok);
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Users WHERE UserName IN ('this', 'other')")).toInt(), 2);
    QSqlQuery q(db());
    QVERIFY(q.exec(QStringLiteral("DELETE FROM Users WHERE UserName IN ('this', 'other')")));
    QCOMPARE(scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
}

void TestSchema::olderShopGetsTheLedgerAudit()
{
    // A shop whose database predates the ledger audit opens with the audit
    // table added and its books untouched.
    clear("Kasa");
    QSqlQuery q(db());
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Kasa (Islem, Aciklama) VALUES ('Other', 'kept')")));
    QVERIFY2(q.exec(QStringLiteral("DROP TABLE KasaLog")), qPrintable(q.lastError().text()));
    // …and predates the index of a customer's open rentals.
    QVERIFY2(q.exec(QStringLiteral("DROP INDEX IX_Hareket_MusteriDurumTur")), qPrintable(q.lastError().text()));
    // …and the automatic backups' settings in its Config row.
    for (const char *column : {"YedekOto", "YedekAylik"})
        QVERIFY2(q.exec(QStringLiteral("ALTER TABLE Config DROP COLUMN %1").arg(QLatin1StringView(column))),
                 qPrintable(q.lastError().text()));
    q = QSqlQuery();
    QCOMPARE(Database::missingTables(db()), QStringList{QStringLiteral("kasalog")});
    Database::close(Database::ConnectionName);
    QVERIFY(m_db->open());
    QVERIFY(Database::missingTables(db()).isEmpty());
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM KasaLog")).toInt(), 0);
    QCOMPARE(scalar(QStringLiteral("SELECT Aciklama FROM Kasa")).toString(), QStringLiteral("kept"));
    const QString indexes = backend() == Backend::SQLite
        ? QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='index' AND lower(name)='ix_hareket_musteridurumtur'")
        : QStringLiteral("SELECT count(*) FROM pg_indexes WHERE indexname='ix_hareket_musteridurumtur'");
    QCOMPARE(scalar(indexes).toInt(), 1);
    QCOMPARE(scalar(QStringLiteral("SELECT YedekOto * 100 + YedekAylik FROM Config")).toInt(), 112);
    clear("Kasa");
}

// One day's sums as text; the amounts as numbers (backends print a sum of
// no amounts as 0 or 0.0000).
static QString dayLine(const QSqlQuery &q)
{
    QStringList parts{q.value(0).toString(), q.value(1).toString(), q.value(2).toString()};
    for (int i = 3; i < 6; ++i)
        parts << QString::number(q.value(i).toDouble(), 'f', 4);
    return parts.join(u'|');
}

// The day sums as the ledger's rows give them, computed here from the rows.
QStringList TestSchema::ledgerDaysFromRows()
{
    const QString day = backend() == Backend::SQLite ? QStringLiteral("substr(Tarih, 1, 10)")
                                                     : QStringLiteral("to_char(Tarih, 'YYYY-MM-DD')");
    QSqlQuery q(db());
    const QString sql = QStringLiteral("SELECT %1, coalesce(Islem, ''), count(*), sum(coalesce(Borc, 0)), "
                                       "sum(coalesce(Alacak, 0)), sum(CASE WHEN Borc > 0 AND (Alacak IS NULL OR Alacak = 0) "
                                       "THEN Borc ELSE 0 END) FROM Kasa WHERE Tarih IS NOT NULL GROUP BY 1, 2 ORDER BY 1, 2")
                            .arg(day);
    QStringList out;
    if (!q.exec(sql))
        return {q.lastError().text()};
    while (q.next())
        out << dayLine(q);
    return out;
}

// The day sums as the database keeps them; a row of the ledger outside its
// day's ID bounds shows as a line of its own.
QStringList TestSchema::ledgerDaysKept()
{
    const QString day = backend() == Backend::SQLite ? QStringLiteral("substr(Tarih, 1, 10)")
                                                     : QStringLiteral("to_char(Tarih, 'YYYY-MM-DD')");
    QSqlQuery q(db());
    QStringList out;
    if (!q.exec(QStringLiteral("SELECT %1, Islem, Adet, Borc, Alacak, GelirBorc FROM KasaGun ORDER BY 1, 2").arg(day)))
        return {q.lastError().text()};
    while (q.next())
        out << dayLine(q);
    const QString outside = backend() == Backend::SQLite
        ? QStringLiteral("SELECT k.ID FROM Kasa k JOIN KasaGun g ON g.Tarih = substr(k.Tarih, 1, 10) "
                         "AND g.Islem = coalesce(k.Islem, '') WHERE k.ID < g.IlkID OR k.ID > g.SonID")
        : QStringLiteral("SELECT k.ID FROM Kasa k JOIN KasaGun g ON g.Tarih = date_trunc('day', k.Tarih) "
                         "AND g.Islem = coalesce(k.Islem, '') WHERE k.ID < g.IlkID OR k.ID > g.SonID");
    if (!q.exec(outside))
        return {q.lastError().text()};
    while (q.next())
        out << QStringLiteral("row %1 outside its day's bounds").arg(q.value(0).toString());
    return out;
}

void TestSchema::ledgerDaysFollowEveryWrite()
{
    // Whatever writes the ledger (the engine, a correction, a deletion, a
    // writer that bypasses the program), the day sums stay those of the rows.
    clear("Kasa");
    QCOMPARE(ledgerDaysKept(), QStringList());
    const char *const writes[] = {
        "INSERT INTO Kasa (Islem, Borc, Tarih) VALUES ('DVD Rent', 30000, '2026-03-05')",
        "INSERT INTO Kasa (Islem, Borc, Alacak, Tarih) VALUES ('DVD Rent', 15000, 5000, '2026-03-05')",
        "INSERT INTO Kasa (Islem, Borc, Tarih) VALUES ('Penalty for Delay', 12345, '2026-03-05 18:30:00')",
        "INSERT INTO Kasa (Islem, Alacak, Tarih) VALUES ('Other', 99999, '2026-03-06')",
        "INSERT INTO Kasa (Islem, Borc, Tarih) VALUES (NULL, 100, '2026-03-06')",
        "INSERT INTO Kasa (Islem, Borc, Tarih) VALUES ('Other', 700, NULL)",
        "UPDATE Kasa SET Borc = 45000 WHERE Islem = 'DVD Rent' AND Alacak IS NULL",
        "UPDATE Kasa SET Alacak = 1 WHERE Islem = 'Penalty for Delay'",
        "UPDATE Kasa SET Tarih = '2026-03-07' WHERE Islem = 'Other' AND Tarih IS NOT NULL",
        "UPDATE Kasa SET Tarih = '2026-03-08' WHERE Tarih IS NULL",
        "UPDATE Kasa SET Islem = 'DVD Sell' WHERE Islem IS NULL",
        "UPDATE Kasa SET Tarih = NULL WHERE Islem = 'DVD Sell'",
        "DELETE FROM Kasa WHERE Islem = 'DVD Rent' AND Alacak IS NOT NULL",
        "DELETE FROM Kasa WHERE Islem = 'Penalty for Delay'",
        "INSERT INTO Kasa (Islem, Borc, Tarih) VALUES ('Penalty for Delay', 5, '2026-03-05')",
    };
    QSqlQuery q(db());
    for (const char *write : writes) {
        if (backend() == Backend::SQLite) {
            QVERIFY2(q.exec(QString::fromLatin1(write)), qPrintable(q.lastError().text()));
        } else {
            // Amounts are written as ten-thousandths in the lines above.
            QString sql = QString::fromLatin1(write);
            static const QRegularExpression amount(QStringLiteral("\\b(\\d{3,})\\b(?![-:])"));
            sql.replace(amount, QStringLiteral("(\\1 / 10000.0)"));
            QVERIFY2(q.exec(sql), qPrintable(sql + u' ' + q.lastError().text()));
        }
        const QStringList kept = ledgerDaysKept();
        QVERIFY2(kept == ledgerDaysFromRows(),
                 qPrintable(QStringLiteral("after \"%1\":\n kept %2\n rows %3")
                                .arg(QLatin1StringView(write), kept.join(u'/'), ledgerDaysFromRows().join(u'/'))));
    }
    QCOMPARE(ledgerDaysKept().size(), 4);
    clear("Kasa");
    QCOMPARE(ledgerDaysKept(), QStringList());
}

void TestSchema::olderShopGetsItsLedgerDays()
{
    // A shop from before the day sums (or one whose triggers were lost) has
    // them made from its ledger when it is opened, and kept from then on.
    clear("Kasa");
    QSqlQuery q(db());
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Kasa (Islem, Borc, Tarih) VALUES ('Other', 2, '2026-01-02')")));
    const QStringList drops = backend() == Backend::SQLite
        ? QStringList{QStringLiteral("DROP TRIGGER kasagun_ekle"), QStringLiteral("DROP TRIGGER kasagun_sil"),
                      QStringLiteral("DROP TRIGGER kasagun_degistir"), QStringLiteral("DROP TABLE KasaGun")}
        : QStringList{QStringLiteral("DROP TRIGGER kasagun_izle ON Kasa"), QStringLiteral("DROP TABLE KasaGun")};
    for (const QString &sql : drops)
        QVERIFY2(q.exec(sql), qPrintable(q.lastError().text()));
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Kasa (Islem, Borc, Tarih) VALUES ('Other', 3, '2026-01-02')")));
    q = QSqlQuery();
    Database::close(Database::ConnectionName);
    QVERIFY(m_db->open());
    QCOMPARE(ledgerDaysKept().size(), 1);
    QCOMPARE(ledgerDaysKept(), ledgerDaysFromRows());
    QSqlQuery after(db());
    QVERIFY(after.exec(QStringLiteral("INSERT INTO Kasa (Islem, Borc, Tarih) VALUES ('Other', 4, '2026-01-03')")));
    QCOMPARE(ledgerDaysKept(), ledgerDaysFromRows());
    clear("Kasa");
}

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
