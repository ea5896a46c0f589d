// The dataset every window stands on, on the backend this run uses: rows
// written and read back, states, locate, parameters, client-side views,
// events, and lazy reading of long results.
#include "components/DataSet.h"
#include "db/Money.h"
#include "db/SqlDialect.h"
#include "db/Transaction.h"
#include "support/RoundTrips.h"
#include "support/TestSupport.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

using namespace TestSupport;

static bool q_exec(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    return q.exec(sql);
}

class TestDataSet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void insertPostWritesOneRowAndReadsItsId();
    void editCancelLeavesTheTable();
    void editPostWritesOnlyTheRow();
    void removeDeletesAndMovesOn();
    void locate_data();
    void locate();
    void snapshotAndLiveSeeOtherCountersDifferently();
    void parametersByNameAndPosition();
    void newStatementStartsWithoutParameters();
    void datesIncludeBothEndsOfAPeriod_data();
    void datesIncludeBothEndsOfAPeriod();
    void filterAndSortWithoutQueryingAgain();
    void eventsFireOnceInOrder();
    void joinedListsAreReadOnly();
    void typedTextIsCheckedBeforeAnythingIsWritten();
    void refusedPostKeepsTheEditAndWritesNothing();
    void postInsideATransactionThatFailsLeavesNothing();
    void longResultsAreReadLazily();
    void moneyAndDatesKeepTheirValue();
    void aListLeftHalfReadDoesNotHoldBackOtherWork();
    void theServerHandsOverALongListInChunks();
    void viewsAndEditsStayConsistent();

private:
    QSqlDatabase db() const { return Database::connection(); }
    int count(const QString &sql);
    void addCustomers(const QStringList &names);

    std::unique_ptr<TestDatabase> m_db;
};

int TestDataSet::count(const QString &sql)
{
    QSqlQuery q(db());
    if (!q.exec(sql) || !q.next()) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return -1;
    }
    return q.value(0).toInt();
}

void TestDataSet::addCustomers(const QStringList &names)
{
    QSqlQuery q(db());
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO Musteri (AdSoyad, MusteriNo, UyelikDurum) VALUES (:n, :no, :u)")));
    int no = count(QStringLiteral("SELECT coalesce(max(MusteriNo), 0) FROM Musteri"));
    for (const QString &n : names) {
        ++no;
        q.bindValue(QStringLiteral(":n"), n);
        q.bindValue(QStringLiteral(":no"), no);
        q.bindValue(QStringLiteral(":u"), no % 2);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
}

void TestDataSet::initTestCase()
{
    qInfo("backend: %s", qPrintable(backendName()));
    m_db = std::make_unique<TestDatabase>();
    QVERIFY(m_db->open());
}

void TestDataSet::cleanupTestCase()
{
    Database::close(QStringLiteral("second"));
    Database::close(Database::ConnectionName);
    m_db.reset();
}

void TestDataSet::init()
{
    QSqlQuery q(db());
    for (const char *t : {"Musteri", "Kasa", "Hareket", "CD"})
        QVERIFY(q.exec(QStringLiteral("DELETE FROM %1").arg(QLatin1StringView(t))));
    QVERIFY(q.exec(QStringLiteral("DELETE FROM Users WHERE UserName <> 'QORV'")));
}

void TestDataSet::insertPostWritesOneRowAndReadsItsId()
{
    DataSet ds(QStringLiteral("Users"));
    ds.setSql(QStringLiteral("Select * from Users\nOrder By ID"));
    QVERIFY2(ds.open(), qPrintable(ds.lastError()));
    QCOMPARE(ds.tableName(), QStringLiteral("Users"));
    QCOMPARE(ds.recordCount(), 1);
    QVERIFY(ds.insert());
    QCOMPARE(ds.state(), DataSet::State::Insert);
    QVERIFY(ds.setValue(QStringLiteral("UserName"), QStringLiteral("Ayşe")));
    QVERIFY(ds.setValue(QStringLiteral("password"), QStringLiteral("gizli")));
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(ds.state(), DataSet::State::Browse);
    const int id = ds.value(QStringLiteral("ID")).toInt();
    QVERIFY(id > 0);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM Users")), 2);
    QCOMPARE(count(QStringLiteral("SELECT ID FROM Users WHERE UserName='Ayşe' AND Password='gizli'")), id);
    QCOMPARE(ds.recordCount(), 2);
    QCOMPARE(ds.value(QStringLiteral("UserName")).toString(), QStringLiteral("Ayşe"));

    // A new row takes the column's default: an open transaction.
    DataSet h(QStringLiteral("Hareket"));
    h.setSql(QStringLiteral("Select * from Hareket\nWhere CDDurum=0\nOrder by ID Desc"));
    QVERIFY(h.open());
    QVERIFY(h.isEmpty());
    QVERIFY(h.insert());
    QVERIFY(h.setValue(QStringLiteral("IslemTur"), QStringLiteral("Rent")));
    QVERIFY2(h.post(), qPrintable(h.lastError()));
    QCOMPARE(h.value(QStringLiteral("CDDurum")).toInt(), 0);
    QVERIFY(!h.value(QStringLiteral("CDDurum")).isNull());
}

void TestDataSet::editCancelLeavesTheTable()
{
    addCustomers({QStringLiteral("Ali Veli")});
    DataSet ds(QStringLiteral("Musteri"));
    ds.setSql(QStringLiteral("Select * from Musteri\nOrder by ID"));
    QVERIFY(ds.open());
    QVERIFY(!ds.setValue(QStringLiteral("AdSoyad"), QStringLiteral("x"))); // not while browsing
    QVERIFY(ds.edit());
    QVERIFY(ds.setValue(QStringLiteral("AdSoyad"), QStringLiteral("Değişti")));
    QCOMPARE(ds.value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("Değişti"));
    ds.cancel();
    QCOMPARE(ds.state(), DataSet::State::Browse);
    QCOMPARE(ds.value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("Ali Veli"));
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM Musteri WHERE AdSoyad='Ali Veli'")), 1);
    QVERIFY(ds.insert());
    ds.cancel();
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM Musteri")), 1);
    QCOMPARE(ds.recordCount(), 1);
}

void TestDataSet::editPostWritesOnlyTheRow()
{
    addCustomers({QStringLiteral("Bir"), QStringLiteral("İki"), QStringLiteral("Üç")});
    DataSet ds(QStringLiteral("Musteri"));
    ds.setSql(QStringLiteral("Select * from Musteri\nOrder by ID"));
    QVERIFY(ds.open());
    ds.next();
    QVERIFY(ds.edit());
    QVERIFY(ds.setValue(QStringLiteral("Telefon"), QStringLiteral("0212 555 00 00")));
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM Musteri WHERE Telefon IS NOT NULL")), 1);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM Musteri WHERE Telefon='0212 555 00 00' AND AdSoyad='İki'")), 1);
    QCOMPARE(ds.recNo(), 1);
    // Moving away from an edited row saves it, as the clerk expects.
    QVERIFY(ds.edit());
    QVERIFY(ds.setValue(QStringLiteral("Telefon"), QStringLiteral("1")));
    ds.next();
    QCOMPARE(ds.state(), DataSet::State::Browse);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM Musteri WHERE Telefon='1'")), 1);
}

void TestDataSet::removeDeletesAndMovesOn()
{
    addCustomers({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    DataSet ds(QStringLiteral("Musteri"));
    ds.setSql(QStringLiteral("Select * from Musteri\nOrder by ID"));
    QVERIFY(ds.open());
    ds.next();
    QVERIFY(ds.remove());
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM Musteri")), 2);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM Musteri WHERE AdSoyad='B'")), 0);
    QCOMPARE(ds.value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("C"));
    QVERIFY(ds.remove());
    QCOMPARE(ds.value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("A")); // the last row went: back one
    QVERIFY(ds.remove());
    QVERIFY(ds.isEmpty());
    QCOMPARE(ds.recNo(), -1);
    QVERIFY(!ds.remove());
    QCOMPARE(ds.recordCount(), 0);
}

void TestDataSet::locate_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("options");
    QTest::addColumn<QString>("found"); // empty: a miss, the current row stays
    const int ci = DataSet::CaseInsensitive;
    const int pk = DataSet::PartialKey;
    QTest::newRow("exact") << "AdSoyad" << QVariant(QStringLiteral("Ayşe Kaya")) << 0 << "Ayşe Kaya";
    QTest::newRow("exact is case-sensitive") << "AdSoyad" << QVariant(QStringLiteral("ayşe kaya")) << 0 << "";
    QTest::newRow("exact needs the whole text") << "AdSoyad" << QVariant(QStringLiteral("Ayşe")) << 0 << "";
    QTest::newRow("ignore case") << "AdSoyad" << QVariant(QStringLiteral("AYŞE KAYA")) << ci << "Ayşe Kaya";
    QTest::newRow("prefix") << "AdSoyad" << QVariant(QStringLiteral("Ay")) << pk << "Ayşe Kaya";
    QTest::newRow("prefix is case-sensitive") << "AdSoyad" << QVariant(QStringLiteral("ay")) << pk << "";
    QTest::newRow("dotted capital I") << "AdSoyad" << QVariant(QStringLiteral("ilk")) << (ci | pk) << "İlker Şahin";
    QTest::newRow("dotless i is another letter") << "AdSoyad" << QVariant(QStringLiteral("isik")) << (ci | pk) << "";
    QTest::newRow("dotless i") << "AdSoyad" << QVariant(QStringLiteral("ışık")) << (ci | pk) << "Işık Demir";
    QTest::newRow("capital I folds to dotless") << "AdSoyad" << QVariant(QStringLiteral("IŞIK")) << (ci | pk) << "Işık Demir";
    QTest::newRow("number") << "MusteriNo" << QVariant(3) << 0 << "Işık Demir";
    QTest::newRow("number as text") << "MusteriNo" << QVariant(QStringLiteral("4")) << 0 << "Zeki Öz";
    QTest::newRow("number miss") << "MusteriNo" << QVariant(99) << 0 << "";
}

void TestDataSet::locate()
{
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(int, options);
    QFETCH(QString, found);
    addCustomers({QStringLiteral("Ayşe Kaya"), QStringLiteral("İlker Şahin"), QStringLiteral("Işık Demir"),
                  QStringLiteral("Zeki Öz")});
    DataSet ds(QStringLiteral("Musteri"));
    ds.setSql(QStringLiteral("Select * from Musteri\nOrder by ID"));
    QVERIFY(ds.open());
    ds.last(); // start away from the first row, so a miss is seen to stay
    const QString before = ds.value(QStringLiteral("AdSoyad")).toString();
    const bool hit = ds.locate(field, value, DataSet::LocateOptions(options));
    QCOMPARE(hit, !found.isEmpty());
    QCOMPARE(ds.value(QStringLiteral("AdSoyad")).toString(), found.isEmpty() ? before : found);
}

void TestDataSet::snapshotAndLiveSeeOtherCountersDifferently()
{
    QStringList names;
    for (int i = 0; i < 300; ++i)
        names << QStringLiteral("Müşteri %1").arg(i, 3, 10, QLatin1Char('0'));
    addCustomers(names);
    QVERIFY(Database::open(m_db->target(), QStringLiteral("second"), nullptr));

    DataSet snapshot(QStringLiteral("snap"));
    snapshot.setSql(QStringLiteral("Select * from Musteri\nOrder by ID"));
    DataSet live(QStringLiteral("live"));
    live.setKind(DataSet::Kind::Live);
    live.setSql(QStringLiteral("Select * from Musteri\nOrder by ID"));
    QVERIFY(snapshot.open());
    QVERIFY(live.open());
    QVERIFY(snapshot.fetchedCount() < 300); // the rows at the end are not read yet

    // Another counter renames the first and the last customer.
    QSqlQuery q(Database::connection(QStringLiteral("second")));
    QVERIFY(q.exec(QStringLiteral("UPDATE Musteri SET AdSoyad='Başkası' WHERE AdSoyad IN ('Müşteri 000', 'Müşteri 299')")));

    snapshot.last();
    QCOMPARE(snapshot.value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("Müşteri 299"));
    snapshot.first();
    QCOMPARE(snapshot.value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("Müşteri 000"));
    live.last();
    QCOMPARE(live.value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("Başkası"));
    live.first();
    QCOMPARE(live.value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("Başkası"));
    // Passing over rows asks the server nothing; the row looked at is read
    // anew, in one round trip.
    RoundTrips trips;
    for (int i = 0; i < 3; ++i)
        live.next();
    QCOMPARE(trips.take(), 0);
    QCOMPARE(live.value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("Müşteri 003"));
    QCOMPARE(trips.take(), backend() == Backend::PostgreSQL ? 1 : 0);
    // Re-reading shows the change to the snapshot too.
    QVERIFY(snapshot.requery());
    QCOMPARE(snapshot.value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("Başkası"));
    snapshot.close();
    live.close();
    Database::close(QStringLiteral("second"));
}

void TestDataSet::parametersByNameAndPosition()
{
    QSqlQuery q(db());
    for (int d = 1; d <= 5; ++d)
        QVERIFY(q.exec(QStringLiteral("INSERT INTO Kasa (Tarih, Islem, MusteriID) VALUES ('2024-03-0%1', 'Other', %1)").arg(d)));
    DataSet kasa(QStringLiteral("Kasa"));
    kasa.setSql(QStringLiteral("Select * from Kasa\nWhere Tarih Between :T1 and :T2\nOrder By ID Desc"));
    QCOMPARE(kasa.parameterNames(), (QStringList{QStringLiteral("T1"), QStringLiteral("T2")}));
    kasa.setParameter(QStringLiteral("t1"), QDate(2024, 3, 2)); // names fold case
    kasa.setParameter(1, QDate(2024, 3, 4));
    QVERIFY2(kasa.open(), qPrintable(kasa.lastError()));
    QCOMPARE(kasa.recordCount(), 3);
    QCOMPARE(kasa.value(QStringLiteral("MusteriID")).toInt(), 4); // ID Desc
    // Parameters stay for the next opening; a one-parameter list by position, key as text.
    kasa.close();
    kasa.setParameter(QStringLiteral("T2"), QDate(2024, 3, 5));
    QVERIFY(kasa.open());
    QCOMPARE(kasa.recordCount(), 4);

    DataSet one(QStringLiteral("one"));
    one.setSql(QStringLiteral("Select * from Kasa Where MusteriID=:Musteri"));
    one.setParameter(0, QStringLiteral("3"));
    QVERIFY2(one.open(), qPrintable(one.lastError()));
    QCOMPARE(one.recordCount(), 1);
    QCOMPARE(one.value(QStringLiteral("Tarih")).toDateTime(), QDateTime(QDate(2024, 3, 3), QTime(0, 0)));
    // A quoted colon is text, not a parameter.
    DataSet quoted(QStringLiteral("quoted"));
    quoted.setSql(QStringLiteral("Select count(*) AS n from Kasa Where Islem <> 'a:b' and MusteriID > :m"));
    QCOMPARE(quoted.parameterNames(), QStringList{QStringLiteral("m")});
}

void TestDataSet::newStatementStartsWithoutParameters()
{
    QSqlQuery q(db());
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Kasa (Tarih, Islem, MusteriID) VALUES ('2024-03-01', 'Other', 7)")));
    // The scratch dataset's pattern: statement, parameters, open, close; the
    // next user's statement uses a parameter of the same name and sets none.
    DataSet temp(QStringLiteral("Temp"));
    const QString sql = QStringLiteral("Select count(*) as CounterX from Kasa Where MusteriID=:No");
    temp.setSql(sql);
    temp.setParameter(QStringLiteral("No"), 7);
    QVERIFY2(temp.open(), qPrintable(temp.lastError()));
    QCOMPARE(temp.value(QStringLiteral("CounterX")).toInt(), 1);
    temp.close();
    temp.setSql(sql);
    QVERIFY2(temp.open(), qPrintable(temp.lastError()));
    QCOMPARE(temp.value(QStringLiteral("CounterX")).toInt(), 0);
}

// A period from its first to its last day, with the values callers pass:
// rows dated one day outside each end stay out, both ends are in.
void TestDataSet::datesIncludeBothEndsOfAPeriod_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QVariant>("t1");
    QTest::addColumn<QVariant>("t2");
    QTest::addColumn<QString>("rows"); // MusteriID of the rows listed, in order

    const QString between = QStringLiteral("Tarih Between :T1 and :T2");
    const QDate first(2024, 3, 1), last(2024, 3, 31);
    QTest::newRow("QDate") << between << QVariant(first) << QVariant(last) << "301 315 331";
    QTest::newRow("QDateTime at midnight") << between << QVariant(first.startOfDay()) << QVariant(last.startOfDay())
                                           << "301 315 331";
    QTest::newRow("QDateTime to the second") << QStringLiteral("Saat Between :T1 and :T2")
                                             << QVariant(QDateTime(first, QTime(10, 30, 15)))
                                             << QVariant(QDateTime(last, QTime(10, 30, 15))) << "301 315 331";
    QTest::newRow("short date text") << between << QVariant(QStringLiteral("01.03.2024"))
                                     << QVariant(QStringLiteral("31.03.2024")) << "301 315 331";
    QTest::newRow("short date text, column on the right")
        << QStringLiteral(":T1 <= Kasa.Tarih and :T2 >= Kasa.Tarih") << QVariant(QStringLiteral("1.3.2024"))
        << QVariant(QStringLiteral("31.03.2024")) << "301 315 331";
    QTest::newRow("short date text for a text column") << QStringLiteral("Aciklama = :T1 or Tarih = :T2")
                                                       << QVariant(QStringLiteral("01.03.2024"))
                                                       << QVariant(QStringLiteral("29.02.2024")) << "229 301";
    QTest::newRow("end before start") << between << QVariant(last) << QVariant(first) << "";
}

void TestDataSet::datesIncludeBothEndsOfAPeriod()
{
    QFETCH(QString, condition);
    QFETCH(QVariant, t1);
    QFETCH(QVariant, t2);
    QFETCH(QString, rows);

    QSqlQuery q(db());
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO Kasa (Tarih, Saat, Aciklama, MusteriID) VALUES (?, ?, ?, ?)")));
    const SqlDialect &dialect = SqlDialect::of(db());
    for (const QDate d : {QDate(2024, 2, 29), QDate(2024, 3, 1), QDate(2024, 3, 15), QDate(2024, 3, 31), QDate(2024, 4, 1)}) {
        dialect.bind(q, 0, d);
        dialect.bind(q, 1, QDateTime(d, QTime(10, 30, 15)));
        dialect.bind(q, 2, d.toString(QStringLiteral("dd.MM.yyyy"))); // a text that looks like a date
        dialect.bind(q, 3, d.month() * 100 + d.day());
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
    DataSet kasa(QStringLiteral("Kasa"));
    kasa.setSql(QStringLiteral("Select * from Kasa Where %1 Order By MusteriID").arg(condition));
    kasa.setParameter(QStringLiteral("T1"), t1);
    kasa.setParameter(QStringLiteral("T2"), t2);
    QVERIFY2(kasa.open(), qPrintable(kasa.lastError()));
    QStringList got;
    for (int r = 0; r < kasa.recordCount(); ++r)
        got << kasa.valueAt(r, kasa.fieldIndex(QStringLiteral("MusteriID"))).toString();
    QCOMPARE(got.join(u' '), rows);
}

void TestDataSet::filterAndSortWithoutQueryingAgain()
{
    addCustomers({QStringLiteral("Deniz"), QStringLiteral("Cem"), QStringLiteral("Çetin"), QStringLiteral("Şule"),
                  QStringLiteral("Sema")});
    DataSet ds(QStringLiteral("Musteri"));
    ds.setSql(QStringLiteral("Select * from Musteri\nOrder by ID"));
    QVERIFY(ds.open());
    auto names = [&ds] {
        QStringList out;
        for (int r = 0; r < ds.fetchedCount(); ++r)
            out << ds.valueAt(r, ds.fieldIndex(QStringLiteral("AdSoyad"))).toString();
        return out;
    };
    // Members (odd numbers) only; rows the database adds meanwhile do not appear.
    QSqlQuery q(db());
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Musteri (AdSoyad, MusteriNo, UyelikDurum) VALUES ('Yeni', 50, 1)")));
    ds.setFilter(QStringLiteral("UyelikDurum"), 1);
    QCOMPARE(names(), (QStringList{QStringLiteral("Deniz"), QStringLiteral("Çetin"), QStringLiteral("Sema")}));
    QCOMPARE(ds.recordCount(), 3);
    QCOMPARE(ds.value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("Deniz"));
    ds.setSort(QStringLiteral("AdSoyad"), Qt::AscendingOrder);
    QCOMPARE(names(), (QStringList{QStringLiteral("Çetin"), QStringLiteral("Deniz"), QStringLiteral("Sema")}));
    ds.clearFilter();
    // Turkish order: C before Ç, S before Ş.
    QCOMPARE(names(), (QStringList{QStringLiteral("Cem"), QStringLiteral("Çetin"), QStringLiteral("Deniz"),
                                   QStringLiteral("Sema"), QStringLiteral("Şule")}));
    ds.setSort(QStringLiteral("MusteriNo"), Qt::DescendingOrder);
    QCOMPARE(names().first(), QStringLiteral("Sema"));
    ds.clearSort();
    QCOMPARE(names().first(), QStringLiteral("Deniz"));
    // Text filter.
    ds.setFilter(QStringLiteral("AdSoyad"), QStringLiteral("Şule"));
    QCOMPARE(names(), QStringList{QStringLiteral("Şule")});
}

void TestDataSet::eventsFireOnceInOrder()
{
    addCustomers({QStringLiteral("A"), QStringLiteral("B")});
    DataSet ds(QStringLiteral("Musteri"));
    ds.setSql(QStringLiteral("Select * from Musteri\nOrder by ID"));
    QStringList events;
    connect(&ds, &DataSet::afterOpen, this, [&] { events << QStringLiteral("open"); });
    connect(&ds, &DataSet::afterScroll, this, [&] { events << QStringLiteral("scroll"); });
    connect(&ds, &DataSet::afterPost, this, [&] { events << QStringLiteral("post"); });
    connect(&ds, &DataSet::afterDelete, this, [&] { events << QStringLiteral("delete"); });
    connect(&ds, &DataSet::afterClose, this, [&] { events << QStringLiteral("close"); });
    connect(&ds, &DataSet::stateChanged, this, [&](DataSet *d) {
        events << QStringLiteral("state:%1").arg(int(d->state()));
    });
    auto take = [&events] { const QStringList e = events; events.clear(); return e.join(u' '); };

    QVERIFY(ds.open());
    QCOMPARE(take(), QStringLiteral("state:1 open scroll"));
    ds.next();
    QCOMPARE(take(), QStringLiteral("scroll"));
    ds.next(); // already on the last row: no move, no event
    QCOMPARE(take(), QString());
    QVERIFY(ds.eof());
    QVERIFY(ds.edit());
    QCOMPARE(take(), QStringLiteral("state:2"));
    QVERIFY(ds.setValue(QStringLiteral("Telefon"), QStringLiteral("5")));
    QVERIFY(ds.post());
    QCOMPARE(take(), QStringLiteral("state:1 post"));
    QVERIFY(ds.remove());
    QCOMPARE(take(), QStringLiteral("delete scroll"));
    ds.close();
    QCOMPARE(take(), QStringLiteral("state:0 close"));
}

void TestDataSet::joinedListsAreReadOnly()
{
    DataSet ds(QStringLiteral("HareketTemp1"));
    ds.setSql(QStringLiteral("SELECT  Hareket.ID, Musteri.AdSoyad, CD.FilmAdi\n"
                             "FROM CD INNER JOIN (Musteri INNER JOIN Hareket ON Musteri.ID = Hareket.MusteriNo) ON CD.ID = Hareket.CdNo\n"
                             "Where Hareket.MusteriNo=:Musteri"));
    ds.setParameter(0, QStringLiteral("1"));
    QVERIFY2(ds.open(), qPrintable(ds.lastError()));
    QVERIFY(ds.isReadOnly());
    QVERIFY(!ds.insert());
    QVERIFY(ds.lastError().contains(QStringLiteral("cannot be changed")));
    QVERIFY(!ds.edit());
}

void TestDataSet::typedTextIsCheckedBeforeAnythingIsWritten()
{
    DataSet ds(QStringLiteral("Musteri"));
    ds.setSql(QStringLiteral("Select * from Musteri\nOrder by ID"));
    QVERIFY(ds.open());
    QVERIFY(ds.insert());
    QVERIFY(ds.setText(QStringLiteral("AdSoyad"), QStringLiteral("Tuğba")));
    QVERIFY(!ds.setText(QStringLiteral("Depozito"), QStringLiteral("on beş")));
    QCOMPARE(ds.lastError(), QStringLiteral("'on beş' is not a valid number."));
    QVERIFY(!ds.setText(QStringLiteral("MusteriNo"), QStringLiteral("7,5")));
    QVERIFY(!ds.setText(QStringLiteral("UyelikBasTarih"), QStringLiteral("31.02.2024")));
    QVERIFY(ds.setText(QStringLiteral("Depozito"), QStringLiteral("1.250,75")));
    QVERIFY(ds.setText(QStringLiteral("MusteriNo"), QStringLiteral("12")));
    QVERIFY(ds.setText(QStringLiteral("UyelikBasTarih"), QStringLiteral("05.03.2024")));
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(ds.value(QStringLiteral("Depozito")).value<Money>(), Money::fromRaw(12507500));
    QCOMPARE(ds.displayText(QStringLiteral("Depozito")), QStringLiteral("1.250,75"));
    QCOMPARE(ds.value(QStringLiteral("UyelikBasTarih")).toDateTime(), QDateTime(QDate(2024, 3, 5), QTime(0, 0)));
    QCOMPARE(count(QStringLiteral("SELECT MusteriNo FROM Musteri")), 12);
}

void TestDataSet::refusedPostKeepsTheEditAndWritesNothing()
{
    addCustomers({QStringLiteral("A")});
    DataSet ds(QStringLiteral("Musteri"));
    ds.setSql(QStringLiteral("Select * from Musteri\nOrder by ID"));
    QVERIFY(ds.open());
    QVERIFY(ds.insert());
    QVERIFY(ds.setValue(QStringLiteral("AdSoyad"), QString(60, u'x'))); // wider than its column
    QVERIFY(!ds.post());
    QVERIFY(!ds.lastError().isEmpty());
    QCOMPARE(ds.state(), DataSet::State::Insert);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM Musteri")), 1);
    // The shown number is unique: a second customer with number 1 is refused.
    QVERIFY(ds.setValue(QStringLiteral("AdSoyad"), QStringLiteral("B")));
    QVERIFY(ds.setValue(QStringLiteral("MusteriNo"), 1));
    QVERIFY(!ds.post());
    QVERIFY(ds.setValue(QStringLiteral("MusteriNo"), 2));
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM Musteri")), 2);
    QCOMPARE(ds.recordCount(), 2);
}

void TestDataSet::postInsideATransactionThatFailsLeavesNothing()
{
    DataSet ds(QStringLiteral("Kasa"));
    ds.setSql(QStringLiteral("Select * from Kasa Order By ID Desc"));
    QVERIFY(ds.open());
    {
        Transaction tx(db());
        QVERIFY(tx.isActive());
        QVERIFY(ds.insert());
        QVERIFY(ds.setValue(QStringLiteral("Borc"), QVariant::fromValue(Money::fromUnits(5))));
        QVERIFY(ds.setValue(QStringLiteral("Islem"), QStringLiteral("DVD Rent")));
        QVERIFY2(ds.post(), qPrintable(ds.lastError()));
        // The second step of the same write (the stock) fails.
        QSqlQuery q(db());
        QVERIFY(!q.exec(QStringLiteral("UPDATE CD SET FilmAdi = '%1'").arg(QString(101, u'x'))) || true);
        // The scope ends without commit.
    }
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM Kasa")), 0);
}

void TestDataSet::longResultsAreReadLazily()
{
    QSqlQuery q(db());
    {
        Transaction tx(db());
        QVERIFY(q.prepare(QStringLiteral("INSERT INTO Kasa (HareketID, Islem, Borc) VALUES (?, 'DVD Rent', ?)")));
        for (int i = 1; i <= 5000; ++i) {
            q.bindValue(0, i);
            SqlDialect::of(db()).bind(q, 1, QVariant::fromValue(Money::fromUnits(i)));
            QVERIFY(q.exec());
        }
        QVERIFY(tx.commit());
    }
    DataSet ds(QStringLiteral("Kasa"));
    ds.setSql(QStringLiteral("Select * from Kasa Order By ID Desc"));
    QVERIFY(ds.open());
    QVERIFY(ds.fetchedCount() <= DataSet::FirstChunkSize);
    QCOMPARE(ds.recordCount(), 5000); // counted, not read
    QVERIFY(ds.fetchedCount() <= DataSet::FirstChunkSize);
    QVERIFY(ds.locate(QStringLiteral("HareketID"), 2500));
    QVERIFY(ds.fetchedCount() < 5000);
    QCOMPARE(ds.value(QStringLiteral("Borc")).value<Money>(), Money::fromUnits(2500));
    ds.last();
    QCOMPARE(ds.fetchedCount(), 5000);
    QCOMPARE(ds.recNo(), 4999);
    QVERIFY(ds.eof());
    QCOMPARE(ds.value(QStringLiteral("HareketID")).toInt(), 1);
    ds.prior();
    QCOMPARE(ds.value(QStringLiteral("HareketID")).toInt(), 2);
    QVERIFY(!ds.eof());
}

void TestDataSet::moneyAndDatesKeepTheirValue()
{
    DataSet ds(QStringLiteral("Kasa"));
    ds.setSql(QStringLiteral("Select * from Kasa Order By ID"));
    QVERIFY(ds.open());
    const QDateTime when(QDate(2026, 12, 8), QTime(17, 45, 12));
    QVERIFY(ds.insert());
    QVERIFY(ds.setValue(QStringLiteral("Borc"), QVariant::fromValue(*Money::fromDecimalString(QStringLiteral("999999999.9999")))));
    QVERIFY(ds.setValue(QStringLiteral("Alacak"), 0.1));
    QVERIFY(ds.setValue(QStringLiteral("Tarih"), QDate(2026, 12, 8)));
    QVERIFY(ds.setValue(QStringLiteral("Saat"), when));
    QVERIFY(ds.setValue(QStringLiteral("Aciklama"), QStringLiteral("O'Neil \"Çay\" ığüşöç")));
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QVERIFY(ds.requery());
    QCOMPARE(ds.value(QStringLiteral("Borc")).value<Money>().toDecimalString(), QStringLiteral("999999999.9999"));
    QCOMPARE(ds.value(QStringLiteral("Alacak")).value<Money>(), Money::fromRaw(1000));
    QCOMPARE(ds.displayText(QStringLiteral("Borc")), QStringLiteral("999.999.999,9999"));
    QCOMPARE(ds.value(QStringLiteral("Tarih")).toDateTime(), QDateTime(QDate(2026, 12, 8), QTime(0, 0)));
    QCOMPARE(ds.value(QStringLiteral("Saat")).toDateTime(), when);
    QCOMPARE(ds.value(QStringLiteral("Aciklama")).toString(), QStringLiteral("O'Neil \"Çay\" ığüşöç"));
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM Kasa WHERE Tarih = '2026-12-08'")), 1);
}

void TestDataSet::aListLeftHalfReadDoesNotHoldBackOtherWork()
{
    // A long list open in one window, read only as far as the clerk scrolled,
    // must not freeze the rest of the program at the moment it was opened:
    // another counter's new customer is counted, and this counter can still
    // write.
    QStringList names;
    for (int i = 0; i < 300; ++i)
        names << QStringLiteral("Liste %1").arg(i);
    addCustomers(names);
    DataSet list(QStringLiteral("list"));
    list.setSql(QStringLiteral("Select * from Musteri\nOrder by ID"));
    QVERIFY(list.open());
    QVERIFY(list.canFetchMore());

    QVERIFY(Database::open(m_db->target(), QStringLiteral("second"), nullptr));
    {
        QSqlQuery other(Database::connection(QStringLiteral("second")));
        QVERIFY(other.exec(QStringLiteral("INSERT INTO Musteri (AdSoyad, MusteriNo) VALUES ('Öteki Kasa', 9001)")));
    }
    DataSet temp(QStringLiteral("Temp"));
    temp.setSql(QStringLiteral(" Select Max(MusteriNO) as Maximus from Musteri "));
    QVERIFY(temp.open());
    QCOMPARE(temp.value(QStringLiteral("Maximus")).toInt(), 9001);
    temp.close();
    {
        Transaction tx(db());
        QVERIFY2(tx.isActive(), qPrintable(tx.errorText()));
        QSqlQuery q(db());
        QVERIFY2(q.exec(QStringLiteral("INSERT INTO Musteri (AdSoyad, MusteriNo) VALUES ('Bu Kasa', 9002)")),
                 qPrintable(q.lastError().text()));
        // Inside the write, a list sees the write's own rows.
        DataSet inside(QStringLiteral("inside"));
        inside.setSql(QStringLiteral("Select * from Musteri Where MusteriNo > :n"));
        inside.setParameter(0, 9000);
        QVERIFY(inside.open());
        QCOMPARE(inside.recordCount(), 2);
        QVERIFY2(tx.commit(), qPrintable(tx.errorText()));
    }
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM Musteri WHERE MusteriNo > 9000")), 2);
    // The half-read list still shows what it showed: no new rows in it.
    list.last();
    QCOMPARE(list.recordCount(), 300);
    list.close();
    Database::close(QStringLiteral("second"));
}

void TestDataSet::theServerHandsOverALongListInChunks()
{
    if (backend() != Backend::PostgreSQL)
        QSKIP("a server-side cursor: PostgreSQL only (SQLite steps its statement)");
    QVERIFY(q_exec(db(), QStringLiteral("INSERT INTO Kasa (HareketID, Islem, Borc) "
                                        "SELECT n, 'DVD Rent', n * 1.2345 FROM generate_series(1, 2500) n")));
    const auto listsReading = [this] {
        return count(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE datname = current_database() "
                                    "AND state = 'idle in transaction' AND query LIKE 'FETCH%'"));
    };

    // The server works out a row only when it is fetched: a row that fails
    // far down does not keep the list from opening with its first rows.
    DataSet late(QStringLiteral("late"));
    late.setSql(QStringLiteral("Select n as HareketID, 6000 / (3000 - n) as q From generate_series(1, 5000) n"));
    QVERIFY2(late.open(), qPrintable(late.lastError()));
    QCOMPARE(late.value(QStringLiteral("q")).toInt(), 2);
    late.fetchAll();
    QVERIFY(late.fetchedCount() < 3000);
    late.close();

    DataSet ds(QStringLiteral("Kasa"));
    ds.setSql(QStringLiteral("Select * from Kasa Order By HareketID"));
    QVERIFY2(ds.open(), qPrintable(ds.lastError()));
    QCOMPARE(ds.fetchedCount(), DataSet::FirstChunkSize);
    QCOMPARE(listsReading(), 1); // its own connection holds the cursor, half read
    QVERIFY(ds.locate(QStringLiteral("HareketID"), 1800));
    QCOMPARE(ds.value(QStringLiteral("Borc")).value<Money>(), Money::fromRaw(1800 * 12345));
    for (int n = 1801; n <= 2500; ++n) {
        ds.next();
        QCOMPARE(ds.value(QStringLiteral("HareketID")).toInt(), n);
    }
    QCOMPARE(ds.value(QStringLiteral("Borc")).value<Money>().toDecimalString(), QStringLiteral("3086.2500"));
    ds.next();
    QVERIFY(ds.eof());
    QCOMPARE(ds.recordCount(), 2500);
    QTRY_COMPARE(listsReading(), 0); // read to the end: the cursor's transaction is over

    // A write on the shared connection shows on re-query, before the rows of
    // the list read since.
    QVERIFY(q_exec(db(), QStringLiteral("UPDATE Kasa SET HareketID = 0 WHERE HareketID = 2500")));
    QVERIFY(ds.requery());
    QCOMPARE(ds.value(QStringLiteral("Borc")).value<Money>().toDecimalString(), QStringLiteral("3086.2500"));
    QCOMPARE(listsReading(), 1);
    ds.close();
    QTRY_COMPARE(listsReading(), 0);
}

void TestDataSet::viewsAndEditsStayConsistent()
{
    QStringList names;
    for (int i = 0; i < 3000; ++i)
        names << QStringLiteral("Kişi %1").arg(i, 4, 10, QLatin1Char('0'));
    addCustomers(names);
    const int stored = count(QStringLiteral("SELECT count(*) FROM Musteri"));

    // A first row larger than a small block (a long remark) is kept whole.
    {
        QSqlQuery q(db());
        QVERIFY(q.exec(QStringLiteral("UPDATE Musteri SET Aciklama = '%1' WHERE MusteriNo = 1").arg(QString(100000, u'x'))));
        DataSet one(QStringLiteral("one"));
        one.setSql(QStringLiteral("Select * from Musteri Where MusteriNo = 1"));
        QVERIFY(one.open());
        QCOMPARE(one.value(QStringLiteral("Aciklama")).toString().size(), 100000);
    }

    DataSet ds(QStringLiteral("Musteri"));
    ds.setSql(QStringLiteral("Select * from Musteri\nOrder by ID"));
    QVERIFY(ds.open());

    // Counting after an own insert counts it once.
    QVERIFY(ds.insert());
    QVERIFY(ds.setValue(QStringLiteral("AdSoyad"), QStringLiteral("Yeni Kişi")));
    QVERIFY(ds.setValue(QStringLiteral("MusteriNo"), 99999));
    QVERIFY(ds.post());
    QCOMPARE(ds.recordCount(), stored + 1);

    // A filter whose matches lie past the rows read so far still finds them.
    ds.setFilter(QStringLiteral("AdSoyad"), QStringLiteral("Kişi 2999"));
    QCOMPARE(ds.fetchedCount(), 1);
    QCOMPARE(ds.value(QStringLiteral("MusteriNo")).toInt(), 3000);

    // Leaving the view saves the edited row in place: no row lost or doubled.
    QVERIFY(ds.edit());
    QVERIFY(ds.setValue(QStringLiteral("Telefon"), QStringLiteral("555")));
    ds.clearFilter();
    ds.fetchAll();
    QCOMPARE(ds.fetchedCount(), stored + 1);
    QSet<int> ids;
    for (int r = 0; r < ds.fetchedCount(); ++r)
        ids.insert(ds.valueAt(r, ds.fieldIndex(QStringLiteral("ID"))).toInt());
    QCOMPARE(ids.size(), stored + 1);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM Musteri WHERE Telefon='555'")), 1);

    // A sort does not outlive the statement it was made on.
    ds.setSort(QStringLiteral("Depozito"), Qt::DescendingOrder);
    ds.setSql(QStringLiteral("Select ID, AdSoyad from Musteri Order by ID"));
    QVERIFY(ds.open());
    QCOMPARE(ds.value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("Kişi 0000"));
    ds.close();

    // Appending to a half-read list keeps every row of it.
    ds.setSql(QStringLiteral("Select * from Musteri\nOrder by ID"));
    QVERIFY(ds.open());
    QVERIFY(ds.append());
    QVERIFY(ds.setValue(QStringLiteral("AdSoyad"), QStringLiteral("Sonda")));
    QVERIFY(ds.setValue(QStringLiteral("MusteriNo"), 100000));
    QVERIFY(ds.post());
    QCOMPARE(ds.fetchedCount(), stored + 2);
    QCOMPARE(ds.recordCount(), stored + 2);
    ds.last();
    QCOMPARE(ds.value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("Sonda"));

    // A list without its key can be read, not changed.
    DataSet keyless(QStringLiteral("keyless"));
    keyless.setSql(QStringLiteral("Select AdSoyad, Telefon from Musteri Order by AdSoyad"));
    QVERIFY(keyless.open());
    QVERIFY(!keyless.edit());
    QVERIFY(!keyless.remove());
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM Musteri")), stored + 2);

    // A date filter compares the date as it is shown.
    QVERIFY(q_exec(db(), QStringLiteral("UPDATE Musteri SET UyelikBasTarih = '2024-01-05' WHERE MusteriNo = 7")));
    ds.requery();
    ds.setFilter(QStringLiteral("UyelikBasTarih"), QStringLiteral("05.01.2024"));
    QCOMPARE(ds.fetchedCount(), 1);
    QCOMPARE(ds.value(QStringLiteral("MusteriNo")).toInt(), 7);
}

QTEST_MAIN(TestDataSet)
#include "tst_dataset.moc"
