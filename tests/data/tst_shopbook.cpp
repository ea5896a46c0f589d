// The counter operations that write: what each stores (rows, stock, rental
// count, ledger), that a refusal anywhere stores nothing and leaves the
// clerk's row as typed, and two counters racing for one copy or one return.
#include "components/DataSet.h"
#include "data/Session.h"
#include "data/ShopBook.h"
#include "data/TariffCache.h"
#include "db/Money.h"
#include "db/SqlDialect.h"
#include "support/RoundTrips.h"
#include "support/TestSupport.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <functional>

using namespace TestSupport;
using namespace TestSupport::Sql;
using Error = ShopResult::Error;

namespace {

const QString Counter2 = QStringLiteral("CDCon2");
const QString HareketSql = QStringLiteral("Select * from Hareket\nWhere CDDurum=0\nOrder by ID Desc");
const QDate RentDay(2024, 3, 1);

Money money(const char *text)
{
    return *Money::fromDecimalString(QString::fromLatin1(text));
}

int addTitle(int cdNo, const QString &name, int stock)
{
    return run(QStringLiteral("Insert Into CD (CDNo, CDTur, FilmAdi, Stok, KiralamaSayi) Values (?, 'DVD', ?, ?, 0) "
                              "Returning ID"), {cdNo, name, stock}).value(0).toInt();
}

int addCustomer(const QString &name, int musteriNo = 1)
{
    return run(QStringLiteral("Insert Into Musteri (AdSoyad, MusteriNo) Values (?, ?) Returning ID"), {name, musteriNo}).value(0).toInt();
}

// What the rent window sends for a 2-day DVD rental starting on RentDay.
ShopBook::RentRequest rentOf(int customer, int title, const QString &kind = QStringLiteral("Rent"), int days = 2)
{
    ShopBook::RentRequest r;
    r.process = kind;
    r.customerId = customer;
    r.titleId = title;
    r.discType = QStringLiteral("DVD");
    r.start = RentDay;
    r.days = days;
    return r;
}

int addRental(int customer, int title)
{
    return run(QStringLiteral("Insert Into Hareket (IslemTur, MusteriNo, CdNo, FilmTuru, KiraTarih, KiralamaGun, CDDurum, Kayit) "
                              "Values ('Rent', ?, ?, 'DVD', ?, 2, 0, 0) Returning ID"), {customer, title, RentDay}).value(0).toInt();
}

// Statements PostgreSQL cannot prepare (DDL) run as they are.
void ddl(const QString &sql)
{
    QSqlQuery q(Database::connection());
    if (!q.exec(sql))
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
}

// The database itself refuses the statement, as a full disk or a lock would.
void refuse(const QString &table, const QString &event)
{
    const QString name = QStringLiteral("vx_refuse_") + table.toLower();
    if (backend() == Backend::SQLite) {
        ddl(QStringLiteral("Create Trigger %1 Before %2 On %3 Begin Select Raise(Abort, 'refused'); End").arg(name, event, table));
    } else {
        ddl(QStringLiteral("Create Or Replace Function vx_refuse() Returns trigger Language plpgsql As "
                           "$$ Begin Raise Exception 'refused'; End $$"));
        ddl(QStringLiteral("Create Trigger %1 Before %2 On %3 For Each Row Execute Function vx_refuse()").arg(name, event, table));
    }
}

void allowAgain()
{
    for (const char *table : {"kasa", "cd"}) {
        const QString name = QStringLiteral("vx_refuse_") + QLatin1StringView(table);
        ddl(backend() == Backend::SQLite ? QStringLiteral("Drop Trigger If Exists %1").arg(name)
                                         : QStringLiteral("Drop Trigger If Exists %1 On %2").arg(name, QLatin1StringView(table)));
    }
}

// What the shop's books show, to compare before and after a refused write.
QString books()
{
    return QStringList{
        QString::number(number(QStringLiteral("Select Count(*) from Hareket where CDDurum=1"))),
        QString::number(number(QStringLiteral("Select Count(*) from Hareket"))),
        QString::number(number(QStringLiteral("Select Count(*) from Kasa"))),
        QString::number(number(QStringLiteral("Select Count(*) from CD"))),
        QString::number(number(QStringLiteral("Select Count(*) from Musteri"))),
        QString::number(number(QStringLiteral("Select Sum(Stok) from CD"))),
        QString::number(number(QStringLiteral("Select Sum(KiralamaSayi) from CD"))),
    }.join(u'/');
}

QString perTitle(const char *column, int a, int b)
{
    const QString sql = QStringLiteral("Select %1 from CD where ID=?").arg(QLatin1StringView(column));
    return QStringLiteral("%1/%2").arg(number(sql, {a})).arg(number(sql, {b}));
}

// Every ledger row, oldest first, one line each: the columns asked joined by
// '|', amounts with four decimals, dates as stored.
QString table(const QString &columns, const QString &name)
{
    DataSet k(name);
    k.setSql(QStringLiteral("Select %1 from %2 Order by ID").arg(columns, name));
    QStringList rows;
    for (k.open(); !k.eof(); k.next()) {
        QStringList row;
        for (int c = 0; c < k.fieldCount(); ++c) {
            const QVariant v = k.value(c);
            row << (v.metaType() == QMetaType::fromType<Money>() ? v.value<Money>().toDecimalString()
                    : v.metaType().id() == QMetaType::QDateTime ? canonicalDateTimeText(v.toDateTime())
                                                                : v.toString());
        }
        rows << row.join(u'|');
    }
    return rows.join(u'\n');
}

QString ledger(const QString &columns)
{
    return table(columns, QStringLiteral("Kasa"));
}

} // namespace

class TestShopBook : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void postTransaction_data();
    void postTransaction();
    void dayCount_data();
    void dayCount();
    void returnRental_data();
    void returnRental();
    void exchange_data();
    void exchange();
    void titleAndCustomer_data();
    void titleAndCustomer();
    void ledgerEntry_data();
    void ledgerEntry();
    void rentalShownIsBooked_data();
    void rentalShownIsBooked();
    void shownIsBooked_data();
    void shownIsBooked();
    void refusedLastStatementStoresNothing_data();
    void refusedLastStatementStoresNothing();
    void twoCountersOneCopy_data();
    void twoCountersOneCopy();
    void twoReturnsOfOneRental();
    void deletingWhileDiscsAreOut_data();
    void deletingWhileDiscsAreOut();

private:
    DataSet *open(const QString &sql, const QString &connection = Database::ConnectionName);
    static ShopBook::ReturnRequest returning(int hareket, int durum, int collected, const char *amount);
    static ShopBook::ExchangeRequest takas(int given, int shownNo);

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestDatabase> m_db;
    std::vector<std::unique_ptr<DataSet>> m_sets;
};

void TestShopBook::initTestCase()
{
    qInfo("backend: %s", qPrintable(backendName()));
    m_home = std::make_unique<TestHome>();
    m_db = std::make_unique<TestDatabase>();
    QVERIFY(m_db->open());
    QVERIFY(m_db->open(Counter2));
}

void TestShopBook::cleanupTestCase()
{
    m_sets.clear();
    Database::close(Counter2);
    Database::close(Database::ConnectionName);
    m_db.reset();
}

void TestShopBook::init()
{
    m_sets.clear();
    // A DVD rents for 2,00 a day, Sundays counted, and sells for 4,00; a
    // received VCD costs 1,50 to exchange.
    TariffCache &t = TariffCache::instance();
    t = TariffCache();
    t.TakasUcretiVCD = money("1.5");
    t.GunlukDVD_Kira = money("2");
    t.DVDSatis = money("4");
    t.PazarGunu = 1;
    t.TarifeTur = 1;
    allowAgain();
    for (const char *table : {"Hareket", "Kasa", "KasaLog", "CD", "Musteri"})
        run(QStringLiteral("Delete from ") + QLatin1StringView(table));
}

DataSet *TestShopBook::open(const QString &sql, const QString &connection)
{
    m_sets.push_back(std::make_unique<DataSet>(QStringLiteral("ds")));
    DataSet *ds = m_sets.back().get();
    ds->setConnectionName(connection);
    ds->setSql(sql);
    if (!ds->open())
        qWarning("%s", qPrintable(ds->lastError()));
    return ds;
}

// The return window's request, as the clerk leaves the form before "Ok".
ShopBook::ReturnRequest TestShopBook::returning(int hareket, int durum, int collected, const char *amount)
{
    ShopBook::ReturnRequest r;
    r.hareketId = hareket;
    r.returned = durum == 1;
    r.returnDate = QDate::currentDate();
    r.lateDays = 2;
    r.penaltyCollected = collected == 1;
    r.penalty = money(amount);
    return r;
}

ShopBook::ExchangeRequest TestShopBook::takas(int given, int shownNo)
{
    ShopBook::ExchangeRequest t;
    t.cdNo = shownNo;
    t.discType = QStringLiteral("VCD");
    t.filmName = QStringLiteral("Çiçek Abbas");
    t.discCount = 2;
    t.givenTitleId = given;
    return t;
}

void TestShopBook::postTransaction_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("edit"); // nothing, "same title", "other title"
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("titles"); // Stok and KiralamaSayi of titles A and B
    QTest::addColumn<QString>("ledger"); // Islem|Aciklama|Borc|Alacak|Tarih
    const QString longName(100, u'x');
    QTest::newRow("new rental") << "Rent" << "" << "Sürü" << "1/2 1/0" << "DVD Rent|Rent / Sürü|4.0000|0.0000|2024-03-01";
    QTest::newRow("new sale") << "Sell" << "" << "Sürü" << "1/2 0/0" << "DVD Sell|DVD Sell / Sürü|4.0000|0.0000|2024-03-01";
    QTest::newRow("sale, long name cut") << "Sell" << "" << longName << "1/2 0/0"
                                         << "DVD Sell|DVD Sell / " + longName.left(89) + "|4.0000|0.0000|2024-03-01";
    QTest::newRow("edit, same title") << "Rent" << "same title" << "Sürü" << "1/2 2/0" << "DVD Rent|Rent / Sürü|6.0000|0.0000|2024-03-01";
    QTest::newRow("edit, other title") << "Rent" << "other title" << "Sürü" << "2/1 1/1" << "DVD Rent|Rent / Tosun Paşa|6.0000|0.0000|2024-03-01";
}

void TestShopBook::postTransaction()
{
    QFETCH(QString, kind);
    QFETCH(QString, edit);
    QFETCH(QString, name);
    const int a = addTitle(1, name, 2), b = addTitle(2, QStringLiteral("Tosun Paşa"), 2);
    const int customer = addCustomer(QStringLiteral("Kemal Sunal"));
    ShopBook::RentRequest request = rentOf(customer, a, kind);
    ShopBook book;
    ShopResult r = book.rent(request);
    QVERIFY2(r.ok(), qPrintable(r.message));
    const bool other = edit == QLatin1String("other title");
    if (!edit.isEmpty()) {
        request.editId = r.id;
        request.titleId = other ? b : a;
        request.days = 3;
        r = book.rent(request);
        QVERIFY2(r.ok(), qPrintable(r.message));
    }
    QTEST(perTitle("Stok", a, b) + u' ' + perTitle("KiralamaSayi", a, b), "titles");
    QCOMPARE(number(QStringLiteral("Select Kayit from Hareket where ID=?"), {r.id}), kind == QLatin1String("Rent") ? 0 : 1);
    // An edit books the transaction's one ledger row again.
    QTEST(ledger(QStringLiteral("Islem, Aciklama, Borc, Alacak, Tarih")), "ledger");
    QCOMPARE(ledger(QStringLiteral("HareketID, CDID, MusteriID")),
             QStringLiteral("%1|%2|%3").arg(r.id).arg(other ? b : a).arg(customer));
}

void TestShopBook::dayCount_data()
{
    QTest::addColumn<int>("days");
    QTest::addColumn<bool>("stored");
    QTest::newRow("negative") << -5 << false;
    QTest::newRow("none") << 0 << true;
    QTest::newRow("the longest rental") << 999 << true;
    QTest::newRow("one day past it") << 1000 << false;
    QTest::newRow("typed without end") << 2000000000 << false;
}

// A day count outside 0..999 is refused with nothing stored: a negative one
// would make the return charge for days before the rent.
void TestShopBook::dayCount()
{
    QFETCH(int, days);
    QFETCH(bool, stored);
    const int title = addTitle(1, QStringLiteral("Sürü"), 2), customer = addCustomer(QStringLiteral("Kemal Sunal"));
    const QString before = books();
    const ShopResult r = ShopBook().rent(rentOf(customer, title, QStringLiteral("Rent"), days));
    QCOMPARE(r.ok(), stored);
    if (stored) {
        QCOMPARE(number(QStringLiteral("Select KiralamaGun from Hareket")), days);
        return;
    }
    QCOMPARE(r.error, Error::Invalid);
    QVERIFY2(r.message.contains(QLatin1String("between 0 and 999")), qPrintable(r.message));
    QCOMPARE(books(), before);
}

void TestShopBook::returnRental_data()
{
    QTest::addColumn<int>("durum");
    QTest::addColumn<int>("collected");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<int>("stock");
    QTest::addColumn<bool>("booked");
    QTest::newRow("penalty collected") << 1 << 1 << "3.5" << 1 << true;
    QTest::newRow("penalty not collected") << 1 << 0 << "3.5" << 1 << false;
    QTest::newRow("collected, amount 0") << 1 << 1 << "0" << 1 << false;
    QTest::newRow("box cleared again") << 0 << 1 << "3.5" << 0 << false;
}

void TestShopBook::returnRental()
{
    QFETCH(int, durum);
    QFETCH(int, collected);
    QFETCH(QString, amount);
    QFETCH(bool, booked);
    const int title = addTitle(1, QStringLiteral("Sürü"), 0), customer = addCustomer(QStringLiteral("Türkan Şoray"));
    const int hareket = addRental(customer, title);
    const ShopResult r = ShopBook().returnRental(returning(hareket, durum, collected, qPrintable(amount)));
    QVERIFY2(r.ok(), qPrintable(r.message));
    QTEST(number(QStringLiteral("Select Stok from CD")), "stock");
    QCOMPARE(number(QStringLiteral("Select CDDurum*10+CezaDurum from Hareket")), durum * 10 + collected);
    const QString expected = QStringLiteral("%1|%2|%3|Penalty for Delay|Rent / Penalty for Delay / Türkan Şoray|3.5000|%4")
                                 .arg(hareket).arg(title).arg(customer).arg(canonicalDateText(QDate::currentDate()));
    QCOMPARE(ledger(QStringLiteral("HareketID, CDID, MusteriID, Islem, Aciklama, Borc, Tarih")), booked ? expected : QString());
}

void TestShopBook::exchange_data()
{
    QTest::addColumn<bool>("numberTaken"); // another counter took the shown number meanwhile
    QTest::addColumn<QString>("givenName");
    QTest::addColumn<int>("cdNo");
    QTest::addColumn<QString>("aciklama");
    const QString longName(100, u'y');
    QTest::newRow("shown number") << false << "Sürü" << 2 << "Takas / Çiçek Abbas / Sürü";
    QTest::newRow("shown number taken") << true << "Sürü" << 3 << "Takas / Çiçek Abbas / Sürü";
    QTest::newRow("long names cut") << false << longName << 2 << "Takas / Çiçek Abbas / " + longName.left(78);
}

void TestShopBook::exchange()
{
    QFETCH(bool, numberTaken);
    QFETCH(QString, givenName);
    QFETCH(int, cdNo);
    QFETCH(QString, aciklama);
    const int given = addTitle(1, givenName, 1);
    if (numberTaken)
        addTitle(2, QStringLiteral("Hababam Sınıfı"), 1);
    const ShopResult r = ShopBook().exchange(takas(given, 2));
    QVERIFY2(r.ok(), qPrintable(r.message));
    QCOMPARE(r.number, cdNo);
    QCOMPARE(number(QStringLiteral("Select Stok from CD where ID=?"), {given}), 0);
    QSqlQuery t = run(QStringLiteral("Select CDNo, Stok, KutuIcerik, FilmAdi from CD where ID=?"), {r.id});
    QCOMPARE(QStringLiteral("%1 %2 %3 %4").arg(t.value(0).toInt()).arg(t.value(1).toInt()).arg(t.value(2).toInt()).arg(t.value(3).toString()),
             QStringLiteral("%1 1 2 Çiçek Abbas").arg(cdNo));
    QCOMPARE(ledger(QStringLiteral("Islem, Borc, Aciklama, HareketID, CDID, MusteriID")), "Exchange|1.5000|" + aciklama + "|||");
}

void TestShopBook::titleAndCustomer_data()
{
    QTest::addColumn<bool>("title"); // else a customer
    QTest::addColumn<bool>("editing");
    QTest::addColumn<bool>("numberTaken");
    QTest::addColumn<bool>("book");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QString>("ledger"); // Islem|Borc|Alacak|Aciklama|CDID
    QTest::newRow("title, purchase") << true << false << false << true << 5 << "Buying CD||37.5000|Buying CD / Sürü|5";
    QTest::newRow("title, number taken") << true << false << true << true << 6 << "Buying CD||37.5000|Buying CD / Sürü|6";
    QTest::newRow("title, no purchase") << true << false << false << false << 5 << "";
    QTest::newRow("title edit never books") << true << true << false << true << 5 << "";
    QTest::newRow("customer, deposit") << false << false << false << true << 5 << "Other|50.0000||Deposit / Sürü|";
    QTest::newRow("customer, number taken") << false << false << true << true << 6 << "Other|50.0000||Deposit / Sürü|";
    QTest::newRow("customer, no deposit") << false << false << false << false << 5 << "";
    QTest::newRow("customer edit, deposit") << false << true << false << true << 5 << "Other|50.0000||Deposit / Sürü|";
}

void TestShopBook::titleAndCustomer()
{
    QFETCH(bool, title);
    QFETCH(bool, editing);
    QFETCH(bool, numberTaken);
    QFETCH(bool, book);
    const QString table = title ? QStringLiteral("CD") : QStringLiteral("Musteri");
    const QString no = title ? QStringLiteral("CDNo") : QStringLiteral("MusteriNo");
    const auto store = [&](const QString &name) { title ? addTitle(5, name, 1) : addCustomer(name, 5); };
    if (editing)
        store(QStringLiteral("Eski"));
    const int editedId = editing ? number(QStringLiteral("Select Max(ID) from %1").arg(table)) : 0;
    if (numberTaken)
        store(QStringLiteral("Başka")); // another counter, while the list proposes 5
    ShopResult r;
    if (title) {
        ShopBook::TitleRequest t;
        t.id = editedId;
        t.cdNo = 5;
        t.filmName = QStringLiteral("Sürü");
        t.stock = 3;
        t.costPrice = money("12.5");
        t.bookPurchase = book;
        r = ShopBook().saveTitle(t);
    } else {
        ShopBook::CustomerRequest c;
        c.id = editedId;
        c.musteriNo = 5;
        c.name = QStringLiteral("Sürü");
        c.deposit = money("50");
        c.bookDeposit = book;
        r = ShopBook().saveCustomer(c);
    }
    QVERIFY2(r.ok(), qPrintable(r.message));
    QTEST(r.number, "shown");
    QCOMPARE(number(QStringLiteral("Select %1 from %2 where ID=?").arg(no, table), {r.id}), r.number);
    QTEST(ledger(QStringLiteral("Islem, Borc, Alacak, Aciklama, CDID")), "ledger");
}

void TestShopBook::ledgerEntry_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("ledger"); // Islem|Aciklama|Borc, the entry written last
    QTest::addColumn<QString>("audit");  // Degisiklik|Kullanici|Islem|Aciklama|Borc|Tarih of the row before
    QTest::newRow("new entry") << "new" << "Penalty for Delay|Ceza|3.0000\nOther|Kira geliri|10.0000" << "";
    QTest::newRow("correction keeps its kind") << "edit" << "Penalty for Delay|Kira geliri|10.0000"
                                               << "Correction|ayse|Penalty for Delay|Ceza|3.0000|2024-03-01";
    QTest::newRow("delete") << "delete" << "" << "Deletion|ayse|Penalty for Delay|Ceza|3.0000|2024-03-01";
}

void TestShopBook::ledgerEntry()
{
    QFETCH(QString, action);
    run(QStringLiteral("Insert Into Kasa (Islem, Borc, Tarih, Saat, Aciklama) Values ('Penalty for Delay', ?, ?, ?, 'Ceza')"),
        {QVariant::fromValue(money("3")), RentDay, QDateTime(RentDay, QTime(10, 0))});
    const int firstId = number(QStringLiteral("Select Max(ID) from Kasa"));
    Session::setLogin(QStringLiteral("ayse"), QStringLiteral("gizli"));
    const QString before = canonicalDateTimeText(QDateTime::currentDateTime().addSecs(-1));
    ShopResult r;
    if (action == QLatin1String("delete")) {
        r = ShopBook().deleteLedgerEntry(firstId);
    } else {
        ShopBook::LedgerEntryRequest entry;
        entry.kasaId = action == QLatin1String("new") ? 0 : firstId;
        entry.date = RentDay;
        entry.description = QStringLiteral("Kira geliri");
        entry.amountIn = money("10");
        r = ShopBook().saveLedgerEntry(entry);
        QVERIFY(ledger(QStringLiteral("Saat")).split(u'\n').last() >= before); // the time of saving
    }
    QTEST(ledger(QStringLiteral("Islem, Aciklama, Borc")), "ledger");
    // Who changed which row, when, and the row as it was.
    QTEST(table(QStringLiteral("Degisiklik, Kullanici, Islem, Aciklama, Borc, Tarih"), QStringLiteral("KasaLog")), "audit");
    if (action == QLatin1String("edit") || action == QLatin1String("delete")) {
        QCOMPARE(number(QStringLiteral("Select KasaID from KasaLog")), firstId);
        QVERIFY(table(QStringLiteral("DegisimZamani"), QStringLiteral("KasaLog")) >= before);
    }
}

void TestShopBook::rentalShownIsBooked_data()
{
    QTest::addColumn<QString>("process");
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("membership");
    QTest::addColumn<bool>("onAccount");
    QTest::addColumn<QString>("price"); // the form's "Price", "" when it holds none
    QTest::addColumn<int>("late");      // the return's day against the due date; 99: not returned
    QTest::addColumn<QString>("total"); // TopTutar and the ledger's rental row
    QTest::addColumn<QString>("penalty"); // CezaTutari and the ledger's penalty row
    // 2 days from Friday 1 March, Sundays counted: due Sunday 3 March.
    QTest::newRow("rent") << "Rent" << "DVD" << 0 << false << "" << 99 << "4.0000" << "";
    QTest::newRow("rent, member") << "Rent" << "DVD" << 1 << false << "" << 99 << "3.0000" << "";
    QTest::newRow("rent on account") << "Rent" << "DVD" << 0 << true << "" << 99 << "4.0000" << "";
    QTest::newRow("sell") << "Sell" << "DVD" << 0 << false << "" << 99 << "4.0000" << "";
    QTest::newRow("rent a game") << "Rent" << "PS2 Game" << 0 << false << "2.5" << 99 << "5.0000" << "";
    QTest::newRow("sell a game") << "Sell" << "PS2 Game" << 0 << false << "30" << 99 << "30.0000" << "";
    QTest::newRow("return early") << "Rent" << "DVD" << 0 << false << "" << -1 << "4.0000" << "";
    QTest::newRow("return on time") << "Rent" << "DVD" << 0 << false << "" << 0 << "4.0000" << "0.0000";
    QTest::newRow("return late") << "Rent" << "DVD" << 0 << false << "" << 3 << "4.0000" << "2.2500";
}

// What the windows show is the engine's quote; it is what the rows hold after
// the posting, for every kind of rental, sale and return.
void TestShopBook::rentalShownIsBooked()
{
    QFETCH(QString, process);
    QFETCH(QString, type);
    QFETCH(int, membership);
    QFETCH(bool, onAccount);
    QFETCH(QString, price);
    QFETCH(int, late);
    TariffCache::instance().UyeGunlukDVD_Kira = money("1.5");
    TariffCache::instance().GunlukDVDCeza = money("0.75");
    const int title = addTitle(1, QStringLiteral("Sürü"), 1), customer = addCustomer(QStringLiteral("Kemal Sunal"));
    run(QStringLiteral("Update CD Set CDTur=? Where ID=?"), {type, title});
    run(QStringLiteral("Update Musteri Set UyelikDurum=? Where ID=?"), {membership, customer});
    ShopBook::RentRequest request = rentOf(customer, title, process);
    request.discType = type;
    request.onAccount = onAccount;
    if (!price.isEmpty())
        request.price = money(price.toLatin1().constData());
    ShopBook book;
    ShopBook::RentFigures shown, booked;
    // On a server each waits for as few round trips as it can: a quote's
    // reads go together, a write reads, then changes, then commits.
    RoundTrips trips;
    QVERIFY(book.quote(request, &shown).ok());
    QCOMPARE_LE(trips.take(), 1);
    const ShopResult r = book.rent(request, &booked);
    QVERIFY2(r.ok(), qPrintable(r.message));
    QCOMPARE_LE(trips.take(), 3);
    const QString row = QStringLiteral("Select %1 from Hareket where ID=?");
    auto stored = [&](const char *column) { return table(QLatin1StringView(column), QStringLiteral("Hareket")); };
    QCOMPARE(stored("GelecekTarih"), canonicalDateTimeText(QDateTime(shown.dueDate, QTime(0, 0))));
    QCOMPARE(stored("SatisFiyat"), shown.unitPrice.toDecimalString());
    QCOMPARE(stored("TopTutar") + u' ' + ledger(QStringLiteral("Borc")), shown.total.toDecimalString() + u' ' + shown.total.toDecimalString());
    QTEST(shown.total.toDecimalString(), "total");
    QCOMPARE(number(row.arg(QStringLiteral("Veresiye")), {r.id}), onAccount ? 1 : 0);

    if (late == 99)
        return;
    Tariff::LateReturn quoted;
    const QDate back = shown.dueDate.addDays(late);
    QVERIFY(book.quote(r.id, back, &quoted).ok());
    ShopBook::ReturnRequest ret;
    ret.hareketId = r.id;
    ret.returned = true;
    ret.returnDate = back;
    ret.lateDays = quoted.lateDays;
    ret.penaltyCollected = true;
    ret.penalty = quoted.penalty;
    trips.take();
    QVERIFY(book.returnRental(ret).ok());
    QCOMPARE_LE(trips.take(), 3);
    QCOMPARE(stored("CezaTutari"), quoted.penalty ? quoted.penalty->toDecimalString() : QString());
    QTEST(stored("CezaTutari"), "penalty");
    const bool bookedPenalty = quoted.penalty && *quoted.penalty > Money();
    QCOMPARE(ledger(QStringLiteral("Islem, Borc")).split(u'\n').size(), bookedPenalty ? 2 : 1);
    if (bookedPenalty)
        QCOMPARE(ledger(QStringLiteral("Islem, Borc")).split(u'\n').last(), QStringLiteral("Penalty for Delay|") + quoted.penalty->toDecimalString());
}

void TestShopBook::shownIsBooked_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("shown"); // the fee quoted, or the amount typed
    QTest::addColumn<QString>("books"); // Islem|Borc|Alacak of the ledger row, then the row's own figure
    QTest::newRow("exchange of a DVD") << "exchange" << "7.2500" << "Exchange|7.2500||DVD";
    QTest::newRow("manual entry in") << "in" << "12.3400" << "Other|12.3400||2024-03-01";
    QTest::newRow("manual entry out") << "out" << "0.0100" << "Other||0.0100|2024-03-01";
    QTest::newRow("title purchase, 2 copies") << "purchase" << "19.9900" << "Buying CD||39.9800|19.9900";
    QTest::newRow("customer deposit") << "deposit" << "1234.5000" << "Other|1234.5000||1234.5000";
}

// What a window shows before the write is what the books hold after it.
void TestShopBook::shownIsBooked()
{
    QFETCH(QString, operation);
    QFETCH(QString, shown);
    const Money typed = money(shown.toLatin1().constData());
    ShopBook book;
    Money quoted = typed;
    ShopResult r;
    QString own;
    if (operation == QLatin1String("exchange")) {
        TariffCache::instance().TakasUcretiDVD = typed;
        ShopBook::ExchangeRequest t = takas(addTitle(1, QStringLiteral("Sürü"), 1), 2);
        t.discType = QStringLiteral("DVD");
        QVERIFY(book.quote(t, &quoted).ok());
        r = book.exchange(t);
        own = table(QStringLiteral("CDTur"), QStringLiteral("CD")).split(u'\n').last();
    } else if (operation == QLatin1String("purchase")) {
        ShopBook::TitleRequest t;
        t.filmName = QStringLiteral("Sürü");
        t.stock = 2;
        t.costPrice = typed;
        t.bookPurchase = true;
        r = book.saveTitle(t);
        own = table(QStringLiteral("MaliyetFiyat"), QStringLiteral("CD"));
    } else if (operation == QLatin1String("deposit")) {
        ShopBook::CustomerRequest c;
        c.name = QStringLiteral("Sürü");
        c.deposit = typed;
        c.bookDeposit = true;
        r = book.saveCustomer(c);
        own = table(QStringLiteral("Depozito"), QStringLiteral("Musteri"));
    } else {
        ShopBook::LedgerEntryRequest entry;
        entry.date = RentDay;
        entry.description = QStringLiteral("El ile");
        (operation == QLatin1String("in") ? entry.amountIn : entry.amountOut) = typed;
        ShopBook::LedgerEntryRequest undated = entry;
        undated.date = QDate();
        QCOMPARE(book.saveLedgerEntry(undated).error, Error::Invalid); // nothing without a date
        QCOMPARE(number(QStringLiteral("Select Count(*) from Kasa")), 0);
        r = book.saveLedgerEntry(entry);
        own = ledger(QStringLiteral("Tarih"));
    }
    QVERIFY2(r.ok(), qPrintable(r.message));
    QCOMPARE(quoted, typed);
    QTEST(ledger(QStringLiteral("Islem, Borc, Alacak")) + u'|' + own, "books");
}

void TestShopBook::refusedLastStatementStoresNothing_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("table"); // whose statement the database refuses
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("field"); // a typed value that must survive
    QTest::addColumn<QString>("typed");
    QTest::newRow("rental: taking the copy") << "rental" << "CD" << "Update Of Stok" << "FilmTuru" << "DVD";
    QTest::newRow("return: booking the penalty") << "return" << "Kasa" << "Insert" << "CDDurum" << "1";
    QTest::newRow("exchange: booking the fee") << "exchange" << "Kasa" << "Insert" << "" << "";
    QTest::newRow("new title: booking the purchase") << "CD" << "Kasa" << "Insert" << "FilmAdi" << "Sürü";
    QTest::newRow("customer: booking the deposit") << "Musteri" << "Kasa" << "Insert" << "AdSoyad" << "Sürü";
    QTest::newRow("manual entry") << "Kasa" << "Kasa" << "Insert" << "Aciklama" << "Sürü";
    QTest::newRow("ledger correction") << "KasaEdit" << "Kasa" << "Update" << "Aciklama" << "Sürü";
}

void TestShopBook::refusedLastStatementStoresNothing()
{
    QFETCH(QString, operation);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    const int title = addTitle(1, QStringLiteral("Sürü"), 2), customer = addCustomer(QStringLiteral("Kemal Sunal"));
    const int hareket = addRental(customer, title);
    ShopBook book;
    DataSet *ds = nullptr;
    std::function<ShopResult()> op;
    if (operation == QLatin1String("rental")) {
        op = [&] { return book.rent(rentOf(customer, title)); };
    } else if (operation == QLatin1String("return")) {
        op = [&] { return book.returnRental(returning(hareket, 1, 1, "3")); };
    } else if (operation == QLatin1String("exchange")) {
        op = [&] { return book.exchange(takas(title, 2)); };
    } else if (operation == QLatin1String("KasaEdit")) {
        run(QStringLiteral("Insert Into Kasa (Islem, Borc, Tarih, Aciklama) Values ('Other', ?, ?, 'Ceza')"),
            {QVariant::fromValue(money("3")), RentDay});
        ShopBook::LedgerEntryRequest entry;
        entry.kasaId = number(QStringLiteral("Select Max(ID) from Kasa"));
        entry.date = RentDay;
        entry.amountIn = money("3");
        entry.description = typed;
        op = [=, &book] { return book.saveLedgerEntry(entry); };
    } else if (operation == QLatin1String("CD")) {
        ShopBook::TitleRequest t;
        t.cdNo = 2;
        t.filmName = typed;
        t.stock = 3;
        t.bookPurchase = true;
        op = [=, &book] { return book.saveTitle(t); };
    } else if (operation == QLatin1String("Musteri")) {
        ShopBook::CustomerRequest c;
        c.musteriNo = 2;
        c.name = typed;
        c.deposit = money("50");
        c.bookDeposit = true;
        op = [=, &book] { return book.saveCustomer(c); };
    } else {
        ShopBook::LedgerEntryRequest entry;
        entry.date = RentDay;
        entry.description = typed;
        op = [=, &book] { return book.saveLedgerEntry(entry); };
    }
    const DataSet::State typedState = ds ? ds->state() : DataSet::State::Inactive;
    const QString booksBefore = books();
    QFETCH(QString, table);
    QFETCH(QString, event);
    refuse(table, event);

    QCOMPARE(op().error, Error::Database);
    QCOMPARE(books(), booksBefore);
    QCOMPARE(number(QStringLiteral("Select Count(*) from KasaLog")), 0); // the audit goes with the write
    if (ds) {
        // The clerk's row is as typed, ready to be saved again.
        QCOMPARE(ds->state(), typedState);
        QCOMPARE(ds->value(field).toString(), typed);
        QCOMPARE(ds->value(QStringLiteral("ID")).isNull(), typedState == DataSet::State::Insert);
    }
    allowAgain();
    const ShopResult retried = op();
    QVERIFY2(retried.ok(), qPrintable(retried.message));
    if (operation == QLatin1String("KasaEdit"))
        QCOMPARE(ledger(field), typed);
    else
        QVERIFY(books() != booksBefore);
}

void TestShopBook::twoCountersOneCopy_data()
{
    QTest::addColumn<bool>("rental"); // else an exchange
    QTest::newRow("rental") << true;
    QTest::newRow("exchange") << false;
}

void TestShopBook::twoCountersOneCopy()
{
    QFETCH(bool, rental);
    const int title = addTitle(1, QStringLiteral("Sürü"), 1), customer = addCustomer(QStringLiteral("Kemal Sunal"));
    // Both counters show the last copy on the shelf.
    ShopBook first, second(Counter2);
    const ShopResult r1 = rental ? first.rent(rentOf(customer, title)) : first.exchange(takas(title, 2));
    const ShopResult r2 = rental ? second.rent(rentOf(customer, title)) : second.exchange(takas(title, 2));
    QVERIFY2(r1.ok(), qPrintable(r1.message));
    QCOMPARE(r2.error, Error::StockRefused);
    // Stok / KiralamaSayi of the title; transactions; ledger rows; titles.
    QCOMPARE(QStringLiteral("%1 %2 %3").arg(perTitle("Stok", title, title), perTitle("KiralamaSayi", title, title)).arg(
                 number(QStringLiteral("Select Count(*) from Hareket"))) + u' '
                 + ledger(QStringLiteral("Islem")) + u' ' + QString::number(number(QStringLiteral("Select Count(*) from CD"))),
             rental ? QStringLiteral("0/0 1/1 1 DVD Rent 1") : QStringLiteral("0/0 0/0 0 Exchange 2"));
}

void TestShopBook::twoReturnsOfOneRental()
{
    const int title = addTitle(1, QStringLiteral("Sürü"), 0), customer = addCustomer(QStringLiteral("Türkan Şoray"));
    const int hareket = addRental(customer, title);
    // Both counters opened the return while the copy was out.
    QVERIFY(ShopBook().returnRental(returning(hareket, 1, 1, "3")).ok());
    QCOMPARE(ShopBook(Counter2).returnRental(returning(hareket, 1, 1, "3")).error, Error::AlreadyReturned);
    QCOMPARE(number(QStringLiteral("Select Stok from CD")), 1);
    QCOMPARE(ledger(QStringLiteral("Islem")), QStringLiteral("Penalty for Delay"));
}

void TestShopBook::deletingWhileDiscsAreOut_data()
{
    QTest::addColumn<bool>("customer");
    QTest::newRow("customer") << true;
    QTest::newRow("title") << false;
}

void TestShopBook::deletingWhileDiscsAreOut()
{
    QFETCH(bool, customer);
    const int title = addTitle(1, QStringLiteral("Eşkıya"), 3), ahmet = addCustomer(QStringLiteral("Ahmet"));
    const int out1 = addRental(ahmet, title);
    addRental(ahmet, title);
    // A sale keeps CDDurum 0 but leaves nothing out on rent.
    run(QStringLiteral("Update Hareket Set IslemTur='Sell', Kayit=1 Where ID<>?"), {out1});
    const int out2 = addRental(ahmet, title);
    const auto remove = [&] { return customer ? ShopBook().deleteCustomer(ahmet) : ShopBook().deleteTitle(title); };
    const QString before = books();
    const ShopResult refused = remove();
    QCOMPARE(refused.error, Error::OpenRentals);
    QCOMPARE(refused.number, 2);
    QVERIFY(refused.message.contains(QLatin1String("2 ")));
    QCOMPARE(books(), before);

    // Once the discs are back, the delete goes through; the transactions stay.
    for (int rental : {out1, out2})
        QVERIFY(ShopBook().returnRental(returning(rental, 1, 0, "0")).ok());
    QVERIFY(remove().ok());
    QCOMPARE(number(customer ? QStringLiteral("Select Count(*) from Musteri") : QStringLiteral("Select Count(*) from CD")), 0);
    QCOMPARE(number(QStringLiteral("Select Count(*) from Hareket")), 3);
}

QTEST_GUILESS_MAIN(TestShopBook)
#include "tst_shopbook.moc"
