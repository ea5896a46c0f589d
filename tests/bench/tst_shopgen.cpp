#include "ShopGenerator.h"

#include "components/DataSet.h"
#include "data/ShopBook.h"
#include "data/Tariff.h"
#include "db/Money.h"
#include "db/Schema.h"
#include "db/SqlDialect.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

using TestSupport::TestDatabase;

Q_DECLARE_METATYPE(ShopSize)

namespace {

// A number the database works out; -1 (and the reason on the log) when the
// query fails, which no count checked here can equal.
qint64 number(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql) || !q.next()) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return -1;
    }
    return q.value(0).toLongLong();
}

// A sum of money read exactly: an integer of ten-thousandths on SQLite, a
// decimal string on PostgreSQL.
Money money(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql) || !q.next()) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return Money::fromRaw(-1);
    }
    return SqlDialect::of(db).fromDb(q.value(0), ColumnType::Currency).value<Money>();
}

QStringList column(const QSqlDatabase &db, const QString &sql)
{
    QStringList out;
    QSqlQuery q(db);
    if (!q.exec(sql))
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    while (q.next())
        out << q.value(0).toString();
    return out;
}

QDateTime dateTime(const QSqlDatabase &db, const QVariant &v)
{
    return SqlDialect::of(db).fromDb(v, ColumnType::DateTime).toDateTime();
}

Money moneyOf(const QSqlDatabase &db, const QVariant &v)
{
    return SqlDialect::of(db).fromDb(v, ColumnType::Currency).value<Money>();
}

QStringList indexNames(const QSqlDatabase &db)
{
    const QStringList names = column(db, SqlDialect::of(db).backend() == Backend::SQLite
                                             ? QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index'")
                                             : QStringLiteral("SELECT indexname FROM pg_indexes WHERE schemaname = current_schema()"));
    QStringList lower;
    for (const QString &n : names)
        lower << n.toLower();
    return lower;
}

QStringList missingIndexes(const QSqlDatabase &db)
{
    const QStringList present = indexNames(db);
    QStringList missing;
    for (const IndexDef &ix : Schema::indexes()) {
        if (!present.contains(QString::fromLatin1(ix.name).toLower()))
            missing << QString::fromLatin1(ix.name);
    }
    return missing;
}

// Makes every insert into the table fail, as a full disk or a broken
// connection would halfway through.
bool refuseInserts(const QSqlDatabase &db, const QString &table)
{
    QSqlQuery q(db);
    if (SqlDialect::of(db).backend() == Backend::SQLite)
        return q.exec(QStringLiteral("CREATE TRIGGER refuse_%1 BEFORE INSERT ON %1 BEGIN SELECT RAISE(ABORT, 'refused'); END").arg(table));
    return q.exec(QStringLiteral("CREATE OR REPLACE FUNCTION refuse_row() RETURNS trigger LANGUAGE plpgsql AS "
                                 "$$ BEGIN RAISE EXCEPTION 'refused'; END $$"))
        && q.exec(QStringLiteral("CREATE TRIGGER refuse_%1 BEFORE INSERT ON %1 FOR EACH ROW EXECUTE FUNCTION refuse_row()").arg(table));
}

bool allowInserts(const QSqlDatabase &db, const QString &table)
{
    QSqlQuery q(db);
    if (SqlDialect::of(db).backend() == Backend::SQLite)
        return q.exec(QStringLiteral("DROP TRIGGER refuse_%1").arg(table));
    return q.exec(QStringLiteral("DROP TRIGGER refuse_%1 ON %1").arg(table));
}

constexpr const char *ShopTables[] = {"Musteri", "CD", "Hareket", "Kasa", "Doviz", "mail",
                                      "Oyuncu", "Yonetmen", "DagiticiFirma", "FilmSirket", "FilmTur"};

const ShopSize SmallShop{60, 90, 1500, 2600};

ColumnType columnType(const QString &table, const QString &column)
{
    for (const TableDef &t : Schema::tables()) {
        if (QString::fromLatin1(t.name).compare(table, Qt::CaseInsensitive) != 0)
            continue;
        for (const ColumnDef &c : t.columns) {
            if (QString::fromLatin1(c.name).compare(column, Qt::CaseInsensitive) == 0)
                return c.type;
        }
    }
    return ColumnType::Text;
}

// What a row looks like, column by column: empty or not, and in which form
// (a whole date, a date with a time, money, a number, a text). Names of the
// title, the customer and the medium are shown as placeholders, so that the
// texts the program composes compare whatever the names are.
QStringList rowForms(const QSqlDatabase &db, const QString &table, const QString &where)
{
    QSqlQuery q(db);
    QStringList rows;
    if (!q.exec(QStringLiteral("SELECT x.*, c.FilmAdi AS t_name, m.AdSoyad AS c_name, c.CDTur AS t_kind, c.Barkod AS t_code FROM %1 x"
                               " LEFT JOIN CD c ON c.ID = %2 LEFT JOIN Musteri m ON m.ID = %3 WHERE %4 ORDER BY x.ID")
                    .arg(table, table == QLatin1String("Kasa") ? QStringLiteral("x.CDID") : QStringLiteral("x.CdNo"),
                         table == QLatin1String("Kasa") ? QStringLiteral("x.MusteriID") : QStringLiteral("x.MusteriNo"),
                         where))) {
        qWarning("%s", qPrintable(q.lastError().text()));
        return {QStringLiteral("unreadable")};
    }
    while (q.next()) {
        const QSqlRecord r = q.record();
        const int n = r.count() - 4;
        QStringList row;
        for (int i = 0; i < n; ++i) {
            const QString name = r.fieldName(i).toLower();
            if (name == QLatin1String("id"))
                continue;
            const ColumnType type = columnType(table, name);
            const QVariant v = SqlDialect::of(db).fromDb(q.value(i), type);
            QString form;
            if (v.isNull())
                form = QStringLiteral("-");
            else if (type == ColumnType::DateTime)
                form = v.toDateTime().time() == QTime(0, 0) ? QStringLiteral("date") : QStringLiteral("date+time");
            else if (type == ColumnType::Currency)
                form = QStringLiteral("money");
            else if (type == ColumnType::Text || type == ColumnType::Memo)
                form = v.toString()
                           .replace(q.value(n).toString(), QStringLiteral("<title>"))
                           .replace(q.value(n + 1).toString(), QStringLiteral("<customer>"))
                           .replace(q.value(n + 3).toString(), QStringLiteral("<barcode>"))
                           .replace(q.value(n + 2).toString(), QStringLiteral("<medium>"));
            else
                form = QStringLiteral("number");
            row << name + u'=' + form;
        }
        rows << row.join(u' ');
    }
    return rows;
}

} // namespace

class TestShopGen : public QObject
{
    Q_OBJECT

private slots:
    void generatedShopKeepsItsBooks_data();
    void generatedShopKeepsItsBooks();
    void sameSeedSameShop();
    void refusesOrWritesNothing_data();
    void refusesOrWritesNothing();
    void rowsAreTheProgramsRows_data();
    void rowsAreTheProgramsRows();
};

void TestShopGen::generatedShopKeepsItsBooks_data()
{
    QTest::addColumn<ShopSize>("size");
    QTest::addColumn<quint32>("seed");

    QTest::newRow("small shop") << SmallShop << quint32(11);
    // Few titles and many customers: every title is out on rent many times at
    // once, so the copies bought are tested hard.
    QTest::newRow("few titles, busy counter") << ShopSize{25, 8, 900, 1200} << quint32(5);
    // The other rows alone pass the target: no manual entries at all.
    QTest::newRow("ledger target below the other rows") << ShopSize{30, 40, 400, 100} << quint32(3);
    QTest::newRow("size S") << *ShopSize::named(u"S") << quint32(1);
}

void TestShopGen::generatedShopKeepsItsBooks()
{
    QFETCH(ShopSize, size);
    QFETCH(quint32, seed);

    TestDatabase database;
    QVERIFY(database.open());
    const QSqlDatabase db = Database::connection();
    const SqlDialect &dialect = SqlDialect::of(db);
    const bool lite = dialect.backend() == Backend::SQLite;
    const qint64 synchronousBefore = lite ? number(db, QStringLiteral("PRAGMA synchronous")) : 0;

    QList<int> percents;
    QString error;
    QVERIFY2(generateShop(db, size, seed, &error, [&](int p, const QString &) { percents << p; }), qPrintable(error));
    const QDate today = QDate::currentDate();

    QVERIFY(hasShopMark(db));
    QVERIFY(holdsGeneratedShop(db, size));
    QVERIFY(!holdsGeneratedShop(db, ShopSize{size.customers, size.titles, size.transactions + 1, size.ledgerRows}));

    // Progress only moves forward and ends at 100.
    QVERIFY(!percents.isEmpty());
    QCOMPARE(percents.last(), 100);
    QVERIFY(std::is_sorted(percents.cbegin(), percents.cend()));
    if (lite)
        QCOMPARE(number(db, QStringLiteral("PRAGMA synchronous")), synchronousBefore);

    // Row counts and the shown numbers 1..N without gaps.
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Musteri")), qint64(size.customers));
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM CD")), qint64(size.titles));
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Hareket")), qint64(size.transactions));
    for (const auto &[table, no] : {std::pair{"Musteri", "MusteriNo"}, std::pair{"CD", "CDNo"}}) {
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("SELECT MIN(%2), MAX(%2), COUNT(DISTINCT %2) FROM %1").arg(QLatin1String(table), QLatin1String(no))));
        QVERIFY(q.next());
        const qint64 n = number(db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table)));
        QCOMPARE(q.value(0).toLongLong(), 1);
        QCOMPARE(q.value(1).toLongLong(), n);
        QCOMPARE(q.value(2).toLongLong(), n);
    }
    // Discs taken in exchange are entered without a purchase date or barcode.
    const qint64 exchanges = number(db, QStringLiteral("SELECT COUNT(*) FROM CD WHERE AlinisTarih IS NULL"));
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(DISTINCT Barkod) FROM CD")), size.titles - exchanges);
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM CD WHERE LENGTH(Barkod) <> 13")), 0);

    // Every transaction points at a customer and a title that exist (by key).
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Hareket h WHERE NOT EXISTS (SELECT 1 FROM Musteri m WHERE m.ID = h.MusteriNo)")), 0);
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Hareket h WHERE NOT EXISTS (SELECT 1 FROM CD c WHERE c.ID = h.CdNo)")), 0);
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Hareket h JOIN CD c ON c.ID = h.CdNo WHERE h.FilmTuru <> c.CDTur")), 0);

    // All seven media are on the shelves.
    QStringList media = column(db, QStringLiteral("SELECT DISTINCT CDTur FROM CD"));
    media.sort();
    QCOMPARE(media, (QStringList{"DVD", "DivX", "PC Game", "PS1 Game", "PS2 Game", "PS3 Game", "VCD"}));

    // The lookup lists are filled and the titles use their names.
    for (const char *t : {"Oyuncu", "Yonetmen", "DagiticiFirma", "FilmSirket", "FilmTur"})
        QVERIFY2(number(db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(t))) >= 10, t);
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM CD WHERE KonuTur NOT IN (SELECT FilmTur FROM FilmTur)")), 0);
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM CD WHERE Oyuncu NOT IN (SELECT OyuncuAdi FROM Oyuncu)")), 0);
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM CD WHERE Yonetmen NOT IN (SELECT Yonetmen FROM Yonetmen)")), 0);
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM CD WHERE FilmSirketi NOT IN (SELECT FilmSirket FROM FilmSirket)")), 0);
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM CD WHERE DagiticiFirma NOT IN (SELECT DagiticiFirma FROM DagiticiFirma)")), 0);

    // Stock per title, worked out from the rows: copies bought (the purchase
    // in the ledger, by the title's shown number) less open rentals, sales
    // and copies handed out in exchange.
    {
        qint64 givenAway = 0;
        QSqlQuery q(db);
        QVERIFY2(q.exec(QStringLiteral(
                     "SELECT c.CDNo, c.Stok, c.KiralamaSayi, c.MaliyetFiyat, b.paid,"
                     " COALESCE(h.rents, 0), COALESCE(h.openRents, 0), COALESCE(h.sold, 0)"
                     " FROM CD c"
                     " LEFT JOIN (SELECT CDID, SUM(Alacak) AS paid, COUNT(*) AS n FROM Kasa WHERE Islem = 'Buying CD'"
                     "            GROUP BY CDID) b ON b.CDID = c.CDNo"
                     " LEFT JOIN (SELECT CdNo,"
                     "            SUM(CASE WHEN IslemTur = 'Rent' THEN 1 ELSE 0 END) AS rents,"
                     "            SUM(CASE WHEN IslemTur = 'Rent' AND CDDurum = 0 THEN 1 ELSE 0 END) AS openRents,"
                     "            SUM(CASE WHEN IslemTur = 'Sell' THEN 1 ELSE 0 END) AS sold"
                     "            FROM Hareket GROUP BY CdNo) h ON h.CdNo = c.ID")),
                 qPrintable(q.lastError().text()));
        int titles = 0;
        while (q.next()) {
            ++titles;
            const QByteArray title = "CDNo " + q.value(0).toByteArray();
            const Money cost = moneyOf(db, q.value(3));
            if (q.value(4).isNull()) {
                QVERIFY2(q.value(1).toInt() == 1 && q.value(5).toInt() == 0, (title + " was never bought").constData());
                continue;
            }
            const Money paid = moneyOf(db, q.value(4));
            QVERIFY2(cost.raw() > 0, title.constData());
            QVERIFY2(paid.raw() % cost.raw() == 0, (title + " paid is not whole copies").constData());
            const qint64 bought = paid.raw() / cost.raw();
            const qint64 stock = q.value(1).toLongLong();
            QVERIFY2(bought >= 1, title.constData());
            QVERIFY2(stock >= 0, (title + " has negative stock").constData());
            const qint64 left = bought - q.value(6).toLongLong() - q.value(7).toLongLong();
            QVERIFY2(stock <= left, title + " stock is more than bought - open rents - sold");
            givenAway += left - stock;
            QVERIFY2(q.value(2).toLongLong() == q.value(5).toLongLong(), (title + " KiralamaSayi is not its count of rentals").constData());
        }
        QCOMPARE(titles, size.titles);
        QCOMPARE(givenAway, exchanges);
        QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Kasa WHERE Islem = 'Buying CD'")), size.titles - exchanges);
    }

    // Every transaction has its ledger row with the amount charged, and no more.
    QCOMPARE(number(db, QStringLiteral(
                 "SELECT COUNT(*) FROM Hareket h JOIN CD c ON c.ID = h.CdNo"
                 " JOIN Kasa k ON k.HareketID = h.ID AND k.Islem = c.CDTur || ' ' || h.IslemTur AND k.Borc = h.TopTutar"
                 " AND k.Alacak = 0 AND k.MusteriID = h.MusteriNo AND k.CDID = h.CdNo AND k.Tarih = h.KiraTarih")),
             qint64(size.transactions));
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Kasa WHERE Islem LIKE '% Rent' OR Islem LIKE '% Sell'")),
             qint64(size.transactions));
    QCOMPARE(money(db, QStringLiteral("SELECT SUM(Borc) FROM Kasa WHERE Islem LIKE '% Rent' OR Islem LIKE '% Sell'")),
             money(db, QStringLiteral("SELECT SUM(TopTutar) FROM Hareket")));

    // Collected penalties and exchange fees are in the ledger against their transaction.
    const qint64 collected = number(db, QStringLiteral("SELECT COUNT(*) FROM Hareket WHERE CezaDurum = 1"));
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Hareket h JOIN Kasa k ON k.HareketID = h.ID"
                                       " AND k.Islem = 'Penalty for Delay' AND k.Borc = h.CezaTutari WHERE h.CezaDurum = 1")),
             collected);
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Kasa WHERE Islem = 'Penalty for Delay'")), collected);
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Hareket WHERE CezaDurum = 1 AND NOT (CezaTutari > 0)")), 0);
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Kasa WHERE Islem = 'Exchange' AND HareketID IS NULL AND Borc > 0")),
             exchanges);
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Kasa WHERE Islem = 'Exchange'")), exchanges);

    // Members paid a deposit, booked on the day they joined.
    const qint64 members = number(db, QStringLiteral("SELECT COUNT(*) FROM Musteri WHERE UyelikDurum = 1"));
    QVERIFY2(members * 10 >= size.customers * 3 && members * 10 <= size.customers * 5, "about two in five are members");
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Musteri WHERE UyelikDurum = 1 AND (NOT (Depozito > 0) OR UyelikBasTarih IS NULL)")), 0);
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Kasa WHERE Islem = 'Other' AND Aciklama LIKE 'Deposit / %'")),
             members);
    QCOMPARE(money(db, QStringLiteral("SELECT SUM(Borc) FROM Kasa WHERE Islem = 'Other' AND Aciklama LIKE 'Deposit / %'")),
             money(db, QStringLiteral("SELECT SUM(Depozito) FROM Musteri WHERE UyelikDurum = 1")));

    // The ledger reaches its target with manual entries, or has none when the rest passes it.
    const qint64 booked = size.transactions + collected + size.titles + members;
    const qint64 manual = number(db, QStringLiteral("SELECT COUNT(*) FROM Kasa WHERE Islem = 'Other' AND Aciklama NOT LIKE 'Deposit / %'"));
    QCOMPARE(manual, std::max<qint64>(0, size.ledgerRows - booked));
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Kasa")), std::max<qint64>(size.ledgerRows, booked));
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Kasa WHERE Borc IS NULL AND Alacak IS NULL")), 0);

    // Ledger clock times are on the row's day, with a time of day.
    {
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("SELECT Tarih, Saat FROM Kasa")));
        while (q.next()) {
            const QDateTime day = dateTime(db, q.value(0));
            const QDateTime at = dateTime(db, q.value(1));
            QVERIFY2(day.isValid() && day.time() == QTime(0, 0), qPrintable(q.value(0).toString()));
            QVERIFY2(at.date() == day.date() && at.time() != QTime(0, 0), qPrintable(q.value(1).toString()));
            QVERIFY2(day.date() <= today, qPrintable(q.value(0).toString()));
        }
    }

    // Rentals: dates that agree with each other and with the tariff.
    TariffCache tariff;
    {
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("SELECT GunlukVCD_Kira, GunlukDVD_Kira, DivxGunluk_Kira, UyeGunlukVCD_Kira, UyeGunlukDVD_Kira,"
                                      " UyeGunlukDivx_Kira, GunlukVCDCeza, GunlukDVDCeza, GunlukDivxCeza, PazarGunu, TarifeTur"
                                      " FROM Tarife WHERE ID = 1")));
        QVERIFY(q.next());
        Money *prices[] = {&tariff.GunlukVCD_Kira,    &tariff.GunlukDVD_Kira,    &tariff.DivxGunluk_Kira,
                           &tariff.UyeGunlukVCD_Kira, &tariff.UyeGunlukDVD_Kira, &tariff.UyeGunlukDivx_Kira,
                           &tariff.GunlukVCDCeza,     &tariff.GunlukDVDCeza,     &tariff.GunlukDivxCeza};
        for (int i = 0; i < 9; ++i) {
            *prices[i] = moneyOf(db, q.value(i));
            QVERIFY(prices[i]->raw() > 0);
        }
        tariff.PazarGunu = qint16(q.value(9).toInt());
        tariff.TarifeTur = qint16(q.value(10).toInt());
    }
    int open = 0, overdue = 0, returned = 0;
    {
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral(
            "SELECT h.IslemTarih, h.KiraTarih, h.KiralamaGun, h.SonTarih, h.GelecekTarih, h.TeslimTarih, h.CDDurum,"
            " h.CezaGunSayi, h.CezaTutari, h.TakasTarih, h.FilmTuru, h.TopTutar, m.UyelikDurum, m.UyelikBasTarih, h.Kayit"
            " FROM Hareket h JOIN Musteri m ON m.ID = h.MusteriNo WHERE h.IslemTur = 'Rent'")));
        const QDate earliest = today.addYears(-3).addDays(-1);
        while (q.next()) {
            const QDate on = dateTime(db, q.value(0)).date();
            const QByteArray row = "rent of " + on.toString(Qt::ISODate).toLatin1();
            QVERIFY2(on >= earliest && on <= today, row.constData());
            QCOMPARE(dateTime(db, q.value(1)), QDateTime(on, QTime(0, 0)));
            const int days = q.value(2).toInt();
            QVERIFY2(days >= 1 && days <= 7, row.constData());
            QVERIFY2(q.value(3).isNull(), row.constData());
            const QString medium = q.value(10).toString();
            const QDateTime joined = dateTime(db, q.value(13));
            const int membership = q.value(12).toInt() == 1 && joined.isValid() && joined.date() <= on ? 1 : 0;
            const auto terms = Tariff::rentalTerms(tariff, membership, medium, on, days);
            QVERIFY(terms);
            const QDate due = dateTime(db, q.value(4)).date();
            QCOMPARE(due, terms->dueDate);
            QCOMPARE(moneyOf(db, q.value(11)), terms->total);
            QCOMPARE(q.value(14).toInt(), 0);
            if (q.value(6).toInt() == 1) {
                ++returned;
                const QDate back = dateTime(db, q.value(5)).date();
                QVERIFY2(back > on && back <= today, row.constData());
                const auto late = Tariff::lateReturn(tariff, on, days, medium, back);
                QCOMPARE(q.value(7).isNull(), !late.lateDays);
                QCOMPARE(q.value(7).toInt(), late.lateDays.value_or(0));
                QCOMPARE(q.value(8).isNull(), !late.penalty);
                QCOMPARE(moneyOf(db, q.value(8)), late.penalty.value_or(Money()));
            } else {
                QCOMPARE(q.value(6).toInt(), 0);
                QVERIFY2(q.value(5).isNull(), (row + " is open but has a return date").constData());
                ++open;
                if (due < today)
                    ++overdue;
            }
        }
    }
    QVERIFY(returned > open);
    if (size.transactions >= 1000) {
        QVERIFY2(open > 0, "some discs are still out");
        QVERIFY2(overdue > 0, "some of them are overdue");
    }
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Hareket WHERE IslemTur = 'Sell' AND NOT (Kayit = 1 AND CDDurum = 0"
                                       " AND KiraTarih IS NOT NULL AND SatisTarih IS NULL AND KiralamaGun = 1 AND SatisFiyat > 0)")), 0);
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Hareket WHERE IslemTur NOT IN ('Rent', 'Sell')")), 0);

    // One exchange rate row per day, up to today.
    {
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("SELECT MIN(Tarih), MAX(Tarih), COUNT(*), COUNT(DISTINCT Tarih) FROM Doviz")));
        QVERIFY(q.next());
        const QDate first = dateTime(db, q.value(0)).date();
        QCOMPARE(dateTime(db, q.value(1)).date(), today);
        QCOMPARE(q.value(2).toLongLong(), first.daysTo(today) + 1);
        QCOMPARE(q.value(3).toLongLong(), q.value(2).toLongLong());
        QVERIFY(first <= dateTime(db, QVariant(column(db, QStringLiteral("SELECT MIN(IslemTarih) FROM Hareket")).value(0))).date());
    }
    const qint64 mails = number(db, QStringLiteral("SELECT COUNT(*) FROM mail"));
    QVERIFY(mails >= 12 && mails <= 100);
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(DISTINCT Durum) FROM mail")), 2);

    // Names as a Turkish shop types them.
    if (size.customers >= 500) {
        const QString names = column(db, QStringLiteral("SELECT AdSoyad FROM Musteri")).join(u' ');
        for (const QChar c : QStringLiteral("İıŞşĞğÜüÖöÇç"))
            QVERIFY2(names.contains(c), qPrintable(QString(c)));
    }

    // The indexes the generator set aside while writing are all back.
    QCOMPARE(missingIndexes(db), QStringList());
}

void TestShopGen::sameSeedSameShop()
{
    // A leap day: three years earlier is 28 February.
    const QDate today(2024, 2, 29);
    struct Books
    {
        Money in, out;
        qint64 stock = 0;
        QStringList kinds, names;
    };
    auto generate = [&](const QString &connection, quint32 seed, Books *books) {
        TestDatabase database;
        QVERIFY(database.open(connection));
        const QSqlDatabase db = Database::connection(connection);
        QString error;
        QVERIFY2(generateShop(db, SmallShop, seed, today, &error), qPrintable(error));
        books->in = money(db, QStringLiteral("SELECT SUM(Borc) FROM Kasa"));
        books->out = money(db, QStringLiteral("SELECT SUM(Alacak) FROM Kasa"));
        books->stock = number(db, QStringLiteral("SELECT SUM(Stok) FROM CD"));
        books->kinds = column(db, QStringLiteral("SELECT Islem || ':' || COUNT(*) FROM Kasa GROUP BY Islem ORDER BY Islem"));
        books->names = column(db, QStringLiteral("SELECT AdSoyad FROM Musteri ORDER BY MusteriNo"));
        QCOMPARE(dateTime(db, column(db, QStringLiteral("SELECT MAX(Tarih) FROM Kasa")).value(0)).date(), today);
        QCOMPARE(dateTime(db, column(db, QStringLiteral("SELECT MIN(Tarih) FROM Doviz")).value(0)).date(), QDate(2021, 2, 28));
        Database::close(connection);
    };
    Books first, again, other;
    generate(QStringLiteral("shopA"), 42, &first);
    if (QTest::currentTestFailed())
        return;
    generate(QStringLiteral("shopB"), 42, &again);
    if (QTest::currentTestFailed())
        return;
    generate(QStringLiteral("shopC"), 43, &other);
    if (QTest::currentTestFailed())
        return;

    QVERIFY(first.in.raw() > 0 && first.out.raw() > 0);
    QCOMPARE(again.in, first.in);
    QCOMPARE(again.out, first.out);
    QCOMPARE(again.stock, first.stock);
    QCOMPARE(again.kinds, first.kinds);
    QCOMPARE(again.names, first.names);
    QVERIFY(other.in != first.in);
    QVERIFY(other.names != first.names);
}

void TestShopGen::refusesOrWritesNothing_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<bool>("refused"); // refused up front rather than failing on the way

    QTest::newRow("a shop is already there") << QStringLiteral("generated") << true;
    QTest::newRow("a customer typed in by hand") << QStringLiteral("customer") << true;
    QTest::newRow("a title typed in by hand") << QStringLiteral("title") << true;
    QTest::newRow("the ledger cannot be written") << QStringLiteral("Kasa") << false;
    QTest::newRow("the last table cannot be written") << QStringLiteral("mail") << false;
}

void TestShopGen::refusesOrWritesNothing()
{
    QFETCH(QString, situation);
    QFETCH(bool, refused);

    TestDatabase database;
    QVERIFY(database.open());
    const QSqlDatabase db = Database::connection();
    QString error;
    if (situation == QLatin1String("generated")) {
        QVERIFY2(generateShop(db, SmallShop, 1, &error), qPrintable(error));
    } else if (situation == QLatin1String("customer")) {
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("INSERT INTO Musteri (AdSoyad, MusteriNo, UyelikDurum) VALUES ('Ayşe Yılmaz', 1, 0)")));
    } else if (situation == QLatin1String("title")) {
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("INSERT INTO CD (CDNo, CDTur, FilmAdi, Stok) VALUES (1, 'DVD', 'Kayıp Şehir', 1)")));
    } else {
        QVERIFY(refuseInserts(db, situation));
    }
    QHash<QString, qint64> before;
    for (const char *t : ShopTables)
        before[QLatin1String(t)] = number(db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(t)));
    const Money tariffBefore = money(db, QStringLiteral("SELECT GunlukDVD_Kira FROM Tarife WHERE ID = 1"));

    error.clear();
    QVERIFY(!generateShop(db, SmallShop, 2, &error));
    QVERIFY(!error.isEmpty());
    if (refused)
        QVERIFY2(error.contains(QLatin1String("already holds")), qPrintable(error));

    // Nothing of the attempt is left behind.
    for (const char *t : ShopTables)
        QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(t))), before[QLatin1String(t)]);
    QCOMPARE(money(db, QStringLiteral("SELECT GunlukDVD_Kira FROM Tarife WHERE ID = 1")), tariffBefore);
    QCOMPARE(missingIndexes(db), QStringList());
    // Only the earlier, whole shop carries the mark.
    QCOMPARE(hasShopMark(db), situation == QLatin1String("generated"));
    QCOMPARE(holdsGeneratedShop(db, SmallShop), situation == QLatin1String("generated"));

    if (refused)
        return;
    // Once the fault is gone the same database takes a whole shop, with
    // keys that line up even though the failed attempt used some numbers.
    QVERIFY(allowInserts(db, situation));
    QVERIFY2(generateShop(db, SmallShop, 2, &error), qPrintable(error));
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Hareket")), qint64(SmallShop.transactions));
    QVERIFY(holdsGeneratedShop(db, SmallShop));
    QCOMPARE(number(db, QStringLiteral("SELECT MIN(MusteriNo) FROM Musteri")), 1);
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Hareket h WHERE NOT EXISTS (SELECT 1 FROM Musteri m WHERE m.ID = h.MusteriNo)")), 0);
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Hareket h WHERE NOT EXISTS (SELECT 1 FROM CD c WHERE c.ID = h.CdNo)")), 0);
    QCOMPARE(number(db, QStringLiteral("SELECT COUNT(*) FROM Kasa k WHERE k.HareketID IS NOT NULL"
                                       " AND NOT EXISTS (SELECT 1 FROM Hareket h WHERE h.ID = k.HareketID)")), 0);
}

void TestShopGen::rowsAreTheProgramsRows_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("generated"); // picks the generated transaction of the same kind

    QTest::newRow("rental") << "rent" << "IslemTur = 'Rent' AND CDDurum = 0";
    QTest::newRow("sale") << "sell" << "IslemTur = 'Sell'";
    QTest::newRow("returned late, penalty collected") << "penalty" << "IslemTur = 'Rent' AND CezaDurum = 1";
    QTest::newRow("returned early, no penalty") << "early" << "IslemTur = 'Rent' AND CDDurum = 1 AND CezaGunSayi IS NULL";
}

void TestShopGen::rowsAreTheProgramsRows()
{
    QFETCH(QString, operation);
    QFETCH(QString, generated);

    TestDatabase shop;
    QVERIFY(shop.open());
    const QSqlDatabase db = Database::connection();
    QString error;
    QVERIFY2(generateShop(db, SmallShop, 7, &error), qPrintable(error));
    const qint64 sample = number(db, QStringLiteral("SELECT MIN(ID) FROM Hareket WHERE FilmTuru IN ('VCD', 'DVD', 'DivX') AND ") + generated);
    QVERIFY2(sample > 0, "the generated shop has such a transaction");

    // The same operation through the engine, with the row as the windows
    // leave it before posting.
    const QString counter = QStringLiteral("engine");
    TestDatabase engine;
    QVERIFY(engine.open(counter));
    QSqlDatabase edb = Database::connection(counter);
    QSqlQuery q(edb);
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Musteri (AdSoyad, MusteriNo, UyelikDurum) VALUES ('Ayşe Yılmaz', 1, 0)")));
    QVERIFY(q.exec(QStringLiteral("INSERT INTO CD (CDNo, CDTur, FilmAdi, Stok, KiralamaSayi, Barkod) "
                                  "VALUES (1, 'DVD', 'Kayıp Şehir', 3, 0, '8690000000017')")));
    const int customer = int(number(edb, QStringLiteral("SELECT MAX(ID) FROM Musteri")));
    const int title = int(number(edb, QStringLiteral("SELECT MAX(ID) FROM CD")));
    const bool sale = operation == QLatin1String("sell");
    const QDate on = QDate::currentDate().addDays(-10);
    {
        ShopBook::RentRequest h;
        h.process = sale ? QStringLiteral("Sell") : QStringLiteral("Rent");
        h.customerId = customer;
        h.titleId = title;
        h.discType = QStringLiteral("DVD");
        h.barcode = QStringLiteral("8690000000017");
        h.start = on;
        h.days = sale ? 1 : 2;
        h.price = Money::fromRaw(sale ? 125000 : 25000);
        const ShopResult r = ShopBook(counter).rent(h);
        QVERIFY2(r.ok(), qPrintable(r.message));
    }
    const int posted = int(number(edb, QStringLiteral("SELECT MAX(ID) FROM Hareket")));
    if (operation == QLatin1String("penalty") || operation == QLatin1String("early")) {
        const bool late = operation == QLatin1String("penalty");
        ShopBook::ReturnRequest row;
        row.hareketId = posted;
        row.returned = true;
        row.returnDate = late ? on.addDays(5) : on.addDays(1);
        row.penaltyCollected = late;
        if (late) {
            row.lateDays = 3;
            row.penalty = Money::fromRaw(45000);
        }
        const ShopResult r = ShopBook(counter).returnRental(row);
        QVERIFY2(r.ok(), qPrintable(r.message));
    }

    const QString id = QString::number(sample);
    QCOMPARE(rowForms(db, QStringLiteral("Hareket"), QStringLiteral("x.ID = ") + id),
             rowForms(edb, QStringLiteral("Hareket"), QStringLiteral("x.ID = %1").arg(posted)));
    const QStringList ledger = rowForms(db, QStringLiteral("Kasa"), QStringLiteral("x.HareketID = ") + id);
    QCOMPARE(ledger.size(), operation == QLatin1String("penalty") ? 2 : 1);
    QCOMPARE(ledger, rowForms(edb, QStringLiteral("Kasa"), QStringLiteral("x.HareketID = %1").arg(posted)));
    q = QSqlQuery();
    edb = QSqlDatabase();
    Database::close(counter);
}

QTEST_GUILESS_MAIN(TestShopGen)
#include "tst_shopgen.moc"
