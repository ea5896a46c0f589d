// The two data modules on a generated shop: every statement opens on this
// backend and gives the columns the windows read; the handlers serve the
// windows that exist and only those; deleting with confirmation.
#include "ShopGenerator.h"
#include "components/DataSet.h"
#include "db/Money.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "data/TariffCache.h"
#include "app/Helpers.h"
#include "support/ScriptedPrompts.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QImage>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

using namespace TestSupport;
using Icon = PromptService::Icon;
using Answer = PromptService::Answer;

namespace {

// Stand-ins for the windows the handlers serve: they record what they are asked.
class RentWindow : public QObject, public RentWindowPort
{
public:
    void updateControlStates() override { calls << QStringLiteral("states"); }
    void setDayCountText(const QString &text) override { calls << QStringLiteral("days:") + text; }
    QStringList calls;
};

class PhotoWindow : public QObject, public CustomerPhotoPort
{
public:
    void showPhoto(const QImage &picture) override { calls << QStringLiteral("show:%1").arg(picture.width()); }
    void clearPhoto() override { calls << QStringLiteral("clear"); }
    QStringList calls;
};

class ExchangeWindow : public QObject, public ExchangeWindowPort
{
public:
    void setExchangeFeeText(const QString &text) override { fee = text; }
    QString fee = QStringLiteral("-");
};

class ArchiveWindow : public QObject, public MailArchivePort
{
public:
    void showMessage(const QString &sender, const QString &, const QString &subject, const QByteArray &) override
    {
        calls << sender + u'|' + subject;
    }
    QStringList calls;
};

QByteArray jpeg(int width)
{
    QImage img(width, 10, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "JPG");
    return bytes;
}

} // namespace

class TestDataModules : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void everyStatementOpens_data();
    void everyStatementOpens();
    void scratchQueryPattern();
    void transactionHandlerServesOnlyAnOpenRentWindow();
    void titleHandler();
    void customerHandlerAndPhotos();
    void exchangeFeeFollowsVcdAndDvdOnly();
    void postingTheTariffRereadsIt();
    void mailArchiveFollowsMailNav();
    void deleteWithConfirm();

private:
    QVariant scalar(const QString &sql);
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDm1> m_dm1;
    std::unique_ptr<TDm2> m_dm2;
    ScriptedPrompts *m_prompts = nullptr;
};

QVariant TestDataModules::scalar(const QString &sql)
{
    QSqlQuery q(Database::connection());
    if (!q.exec(sql) || !q.next()) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return QVariant();
    }
    return q.value(0);
}

void TestDataModules::initTestCase()
{
    qInfo("backend: %s", qPrintable(backendName()));
    m_db = std::make_unique<TestDatabase>();
    QVERIFY(m_db->open());
    QString error;
    ShopSize size = *ShopSize::named(QStringLiteral("S"));
    QVERIFY2(generateShop(Database::connection(), size, 7, QDate(2026, 12, 8), &error), qPrintable(error));
    m_dm1 = std::make_unique<TDm1>();
    m_dm2 = std::make_unique<TDm2>();
    QCOMPARE(m_dm1->dataSets().size(), 24);
    m_prompts = ScriptedPrompts::install();
}

void TestDataModules::cleanupTestCase()
{
    m_dm2.reset();
    m_dm1.reset();
    Database::close(Database::ConnectionName);
    m_db.reset();
}

void TestDataModules::cleanup()
{
    VERIFY_ALL_ANSWERED(m_prompts);
    m_prompts->clear();
    for (DataSet *ds : m_dm1->dataSets() + m_dm2->dataSets())
        ds->close();
}

void TestDataModules::everyStatementOpens_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<QString>("columns");
    QTest::addColumn<bool>("hasRows");
    const QString musteri = QStringLiteral("ID AdSoyad Telefon Adres IsTelefon EvTelefon CepTelefon MusteriNo UyelikBasTarih Depozito UyelikDurum EMail Aciklama Resim");
    const QString cd = QStringLiteral("ID CDNo CDTur FilmAdi AlinisTarih Gun Stok YapimYili KonuTur Aciklama KutuIcerik FilmSirketi Dublaj FilmSure MaliyetFiyat SatisFiyat Yonetmen CDFaturaNo KiralamaSayi FilmKonu Barkod DagiticiFirma Oyuncu");
    const QString hareket = QStringLiteral("ID IslemTur MusteriNo CdNo IslemTarih KiralamaGun SonTarih TakasCDNo TeslimTarih KiraTarih SatisTarih TakasTarih CezaGunSayi CezaTutari FilmTuru CDDurum SatisFiyat CezaDurum GelecekTarih Kayit Barkod TopTutar Veresiye");
    const QString temp1 = QStringLiteral("ID IslemTarih KiralamaGun TeslimTarih KiraTarih FilmTuru AdSoyad FilmAdi Telefon EMail");
    const QString temp4 = QStringLiteral("ID IslemTur IslemTarih KiralamaGun TeslimTarih KiraTarih FilmTuru AdSoyad FilmAdi KonuTur CDTur Telefon EMail");
    QTest::newRow("Musteri") << "Dm1" << "Musteri" << musteri << true;
    QTest::newRow("CD") << "Dm1" << "CD" << cd << true;
    QTest::newRow("Hareket") << "Dm1" << "Hareket" << hareket << true;
    QTest::newRow("HareketTemp1") << "Dm1" << "HareketTemp1" << temp1 << true;
    QTest::newRow("HareketTemp2") << "Dm1" << "HareketTemp2"
                                  << "IslemTarih KiralamaGun TeslimTarih KiraTarih FilmTuru AdSoyad FilmAdi Telefon" << true;
    QTest::newRow("Users") << "Dm1" << "Users" << "ID UserName Password" << true;
    QTest::newRow("Tarife") << "Dm1" << "Tarife" << "ID GunlukVCD_Kira TakasUcretiDVD PazarGunu TarifeTur StokSayisi" << true;
    QTest::newRow("Config") << "Dm1" << "Config" << "MailAdres MailSifre MailSMTP" << true;
    QTest::newRow("Kasa") << "Dm1" << "Kasa" << "ID HareketID Borc Alacak MusteriID Islem CDID Saat Tarih Aciklama" << true;
    QTest::newRow("Doviz") << "Dm1" << "Doviz" << "ID Tarih USDAlis USDSatis EuroAlis EuroSatis" << true;
    QTest::newRow("CDKontrol") << "Dm1" << "CDKontrol"
        << "IslemTur ID IslemTarih KiraTarih KiralamaGun GelecekTarih MusteriNo AdSoyad Aciklama Telefon IsTelefon EvTelefon CepTelefon EMail Resim FilmAdi CDTur Stok Barkod" << true;
    QTest::newRow("Navigator") << "Dm1" << "Navigator" << cd << true;
    QTest::newRow("Oyuncu") << "Dm1" << "Oyuncu" << "OyuncuAdi" << true;
    QTest::newRow("Yonetmen") << "Dm1" << "Yonetmen" << "Yonetmen" << true;
    QTest::newRow("DagiticiFirma") << "Dm1" << "DagiticiFirma" << "DagiticiFirma" << true;
    QTest::newRow("FilmSirket") << "Dm1" << "FilmSirket" << "FilmSirket" << true;
    QTest::newRow("FilmTur") << "Dm1" << "FilmTur" << "FilmTur" << true;
    QTest::newRow("HareketTemp3") << "Dm1" << "HareketTemp3" << temp1 << true;
    QTest::newRow("HareketTemp4") << "Dm1" << "HareketTemp4" << temp4 << true;
    QTest::newRow("TakasCD") << "Dm1" << "TakasCD" << cd << true;
    QTest::newRow("CDTemp1") << "Dm1" << "CDTemp1" << temp4 << true;
    QTest::newRow("CDIade") << "Dm1" << "CDIade" << hareket << true;
    QTest::newRow("SMS") << "Dm1" << "SMS" << "ID" << false;
    QTest::newRow("MailNav") << "Dm2" << "MailNav" << "ID Gonderen Alici Tarih Konu Mail Durum" << true;
    QTest::newRow("Dm2 Musteri") << "Dm2" << "Musteri" << musteri << true;
    QTest::newRow("MusteriListe") << "Dm2" << "MusteriListe" << musteri << true;
}

void TestDataModules::everyStatementOpens()
{
    QFETCH(QString, module);
    QFETCH(QString, dataset);
    QFETCH(QString, columns);
    QFETCH(bool, hasRows);
    DataSet *ds = nullptr;
    for (DataSet *d : (module == QLatin1String("Dm1") ? m_dm1->dataSets() : m_dm2->dataSets()))
        if (d->name() == dataset)
            ds = d;
    QVERIFY(ds);

    // Keys of rows that the join lists and the return list select on.
    const QString customerWithOpenRental = scalar(QStringLiteral(
        "SELECT min(MusteriNo) FROM Hareket WHERE IslemTur='Rent' AND CDDurum=0")).toString();
    const QString customerWithHistory = scalar(QStringLiteral(
        "SELECT min(MusteriNo) FROM Hareket WHERE CDDurum=1")).toString();
    const QString rentedTitle = scalar(QStringLiteral("SELECT min(CdNo) FROM Hareket")).toString();
    if (dataset == QLatin1String("HareketTemp1"))
        ds->setParameter(QStringLiteral("Musteri"), customerWithOpenRental);
    else if (dataset == QLatin1String("HareketTemp3") || dataset == QLatin1String("HareketTemp4"))
        ds->setParameter(0, dataset.endsWith(u'3') ? customerWithOpenRental : customerWithHistory);
    else if (dataset == QLatin1String("HareketTemp2"))
        ds->setParameter(QStringLiteral("Cd"), rentedTitle);
    else if (dataset == QLatin1String("CDTemp1"))
        ds->setParameter(QStringLiteral("CDNo"), rentedTitle);
    else if (dataset == QLatin1String("CDIade"))
        ds->setParameter(QStringLiteral("IDX"), scalar(QStringLiteral("SELECT max(ID) FROM Hareket")).toString());
    else if (dataset == QLatin1String("Kasa")) {
        ds->setParameter(QStringLiteral("T1"), QDate(2026, 1, 1));
        ds->setParameter(QStringLiteral("T2"), QDate(2026, 12, 8));
    } else if (dataset == QLatin1String("CDKontrol")) {
        ds->setSql(QStringLiteral(
            "Select Hareket.IslemTur, Hareket.ID, Hareket.IslemTarih, Hareket.KiraTarih, Hareket.KiralamaGun, "
            "Hareket.GelecekTarih, Hareket.MusteriNo, Musteri.AdSoyad, Musteri.Aciklama, Musteri.Telefon, "
            "Musteri.IsTelefon, Musteri.EvTelefon, Musteri.CepTelefon, Musteri.EMail, Musteri.Resim, CD.FilmAdi, "
            "CD.CDTur, CD.Stok, CD.Barkod\n"
            "FROM CD INNER JOIN (Musteri INNER JOIN Hareket ON Musteri.ID = Hareket.MusteriNo) ON CD.ID = Hareket.CdNo\n"
            "Where Hareket.IslemTur='Rent' and Hareket.CDDurum=0 and Hareket.GelecekTarih < :Bugun\n"
            "Order by Hareket.GelecekTarih"));
        ds->setParameter(QStringLiteral("Bugun"), QDate(2026, 12, 8));
    }
    QVERIFY2(ds->open(), qPrintable(ds->lastError()));
    for (const QString &c : columns.split(u' '))
        QVERIFY2(ds->fieldIndex(c) >= 0, qPrintable(dataset + u'.' + c));
    QCOMPARE(ds->recordCount() > 0, hasRows);
    if (dataset == QLatin1String("CDKontrol")) {
        // Opened with its first rows; sorted by a column title, the whole list.
        ds->setSort(QStringLiteral("AdSoyad"), Qt::AscendingOrder);
        QCOMPARE(ds->fetchedCount(), ds->recordCount());
        ds->clearSort();
    }
    if (hasRows) {
        // Every value of the first rows reads without error, as the grid will.
        for (int r = 0; r < std::min(ds->fetchedCount(), 20); ++r)
            for (int c = 0; c < ds->fieldCount(); ++c)
                ds->displayTextAt(r, c);
    }
}

void TestDataModules::scratchQueryPattern()
{
    DataSet *temp = m_dm1->Temp;
    temp->close();
    temp->setSql(QStringLiteral(" Select Max(MusteriNO) as Maximus from Musteri "));
    QVERIFY(temp->open());
    const int largest = temp->value(QStringLiteral("Maximus")).toInt();
    temp->close();
    QCOMPARE(largest, scalar(QStringLiteral("SELECT count(*) FROM Musteri")).toInt()); // numbered 1..N

    temp->setSql(QStringLiteral(" Select Count(*) as CounterX from Users  where UserName=:UserX and Password=:Pass "));
    temp->setParameter(QStringLiteral("UserX"), QStringLiteral("QORV"));
    temp->setParameter(QStringLiteral("Pass"), QStringLiteral("QORV "));
    QVERIFY(temp->open());
    QCOMPARE(temp->value(QStringLiteral("CounterX")).toInt(), 0); // the untrimmed text does not match
    temp->close();

    // A sum of amounts is read exactly when the statement's caller names its kind.
    temp->setSql(QStringLiteral(" Select Sum(Alacak) as TopAlacak, Sum(Borc) as TopBorc,  Sum(Borc)-Sum(Alacak) as TopBakiye  From Kasa "));
    for (const char *f : {"TopAlacak", "TopBorc", "TopBakiye"})
        temp->setFieldType(QLatin1StringView(f), ColumnType::Currency);
    QVERIFY2(temp->open(), qPrintable(temp->lastError()));
    const Money in = temp->value(QStringLiteral("TopBorc")).value<Money>();
    const Money out = temp->value(QStringLiteral("TopAlacak")).value<Money>();
    QVERIFY(in > Money());
    QCOMPARE(temp->value(QStringLiteral("TopBakiye")).value<Money>(), in - out);
    temp->close();

    temp->setSql(QStringLiteral("Update CD  Set Stok=Stok+1  where ID=:CDNo"));
    temp->setParameter(QStringLiteral("CDNo"), 1);
    const int before = scalar(QStringLiteral("SELECT Stok FROM CD WHERE ID=1")).toInt();
    int affected = 0;
    QVERIFY2(temp->execSql(&affected), qPrintable(temp->lastError()));
    QCOMPARE(affected, 1);
    QCOMPARE(scalar(QStringLiteral("SELECT Stok FROM CD WHERE ID=1")).toInt(), before + 1);
    // A new statement starts without the values an earlier user left.
    temp->setSql(QStringLiteral("Update CD  Set Stok=Stok-1  where ID=:CDNo"));
    temp->setParameter(QStringLiteral("CDNo"), 1);
    QVERIFY(temp->execSql(&affected));
    QCOMPARE(affected, 1);
    QCOMPARE(scalar(QStringLiteral("SELECT Stok FROM CD WHERE ID=1")).toInt(), before);
}

void TestDataModules::transactionHandlerServesOnlyAnOpenRentWindow()
{
    DataSet *h = m_dm1->Hareket;
    // No window: scrolling moves and does nothing else.
    QVERIFY(h->open());
    h->next();
    QVERIFY(!m_dm1->HareketTemp1->isOpen());
    QVERIFY(!m_dm1->HareketTemp2->isOpen());

    auto window = std::make_unique<RentWindow>();
    m_dm1->registerRentWindow(window.get(), window.get());
    h->next();
    QCOMPARE(window->calls.size(), 2);
    QCOMPARE(window->calls[0], QStringLiteral("states"));
    const QVariant days = h->value(QStringLiteral("KiralamaGun"));
    QCOMPARE(window->calls[1], QStringLiteral("days:") + (days.isNull() ? QStringLiteral("0") : days.toString()));
    QVERIFY(m_dm1->HareketTemp1->isOpen());
    QCOMPARE(m_dm1->HareketTemp1->parameter(QStringLiteral("Musteri")).toString(), h->value(QStringLiteral("MusteriNo")).toString());
    QVERIFY(m_dm1->HareketTemp2->isOpen());
    QCOMPARE(m_dm1->HareketTemp2->parameter(QStringLiteral("Cd")).toString(), h->value(QStringLiteral("CdNo")).toString());
    // The customer's open rentals are listed, all of that customer.
    for (int r = 0; r < m_dm1->HareketTemp1->fetchedCount(); ++r)
        QVERIFY(m_dm1->HareketTemp1->valueAt(r, m_dm1->HareketTemp1->fieldIndex(QStringLiteral("ID"))).toInt() > 0);

    // A row without a day count shows 0; a row without customer leaves the list closed.
    QSqlQuery q(Database::connection());
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Hareket (IslemTur, CDDurum) VALUES ('Sell', 0)")));
    h->requery(); // newest first
    window->calls.clear();
    h->first();
    h->next();
    h->prior();
    QCOMPARE(window->calls.last(), QStringLiteral("days:0"));
    QVERIFY(!m_dm1->HareketTemp1->isOpen());
    QVERIFY(!m_dm1->HareketTemp2->isOpen());

    // CDIade raises it too, reading Hareket's row.
    window->calls.clear();
    m_dm1->CDIade->setParameter(0, scalar(QStringLiteral("SELECT max(ID) FROM Hareket WHERE KiralamaGun IS NOT NULL")).toString());
    QVERIFY(m_dm1->CDIade->open());
    QCOMPARE(window->calls.size(), 2);

    // A closed window is no longer served.
    window.reset();
    const int before = h->recNo();
    h->next();
    QCOMPARE(h->recNo(), before + 1);
    QVERIFY(q.exec(QStringLiteral("DELETE FROM Hareket WHERE IslemTur='Sell' AND CdNo IS NULL")));
}

void TestDataModules::titleHandler()
{
    DataSet *cd = m_dm1->CD;
    QVERIFY(cd->open());
    cd->next();
    QVERIFY(!m_dm1->CDTemp1->isOpen());
    QObject window;
    m_dm1->registerCDDefinitionsWindow(&window);
    QVERIFY(cd->locate(QStringLiteral("ID"), scalar(QStringLiteral("SELECT min(CdNo) FROM Hareket"))));
    QVERIFY(m_dm1->CDTemp1->isOpen());
    QCOMPARE(m_dm1->CDTemp1->parameter(QStringLiteral("CDNo")).toString(), cd->value(QStringLiteral("ID")).toString());
    QCOMPARE(m_dm1->CDTemp1->recordCount(),
             scalar(QStringLiteral("SELECT count(*) FROM Hareket h JOIN Musteri m ON m.ID=h.MusteriNo WHERE h.CdNo=%1")
                        .arg(cd->value(QStringLiteral("ID")).toInt())).toInt());
}

void TestDataModules::customerHandlerAndPhotos()
{
    QSqlQuery q(Database::connection());
    QVERIFY(q.prepare(QStringLiteral("UPDATE Musteri SET Resim=:r WHERE MusteriNo=:n")));
    const QList<QByteArray> pictures = {jpeg(40), QByteArray(), QByteArray("this is not a picture"), jpeg(60)};
    for (int i = 0; i < pictures.size(); ++i) {
        q.bindValue(QStringLiteral(":r"), pictures[i].isEmpty() ? QVariant(QMetaType::fromType<QByteArray>()) : QVariant(pictures[i]));
        q.bindValue(QStringLiteral(":n"), i + 1);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
    DataSet *m = m_dm1->Musteri;
    m->setSql(QStringLiteral("Select * from Musteri\nWhere MusteriNo <= 4\nOrder by MusteriNo"));
    PhotoWindow customers, registration;
    m_dm1->registerCustomerWindow(&customers, &customers);
    QVERIFY(m->open()); // after open and after scroll both serve the window
    QCOMPARE(customers.calls, (QStringList{QStringLiteral("show:40"), QStringLiteral("show:40")}));
    QVERIFY(m_dm1->HareketTemp3->isOpen() || m->value(QStringLiteral("ID")).toString().isEmpty());
    QVERIFY(m_dm1->HareketTemp4->isOpen());
    m_dm1->registerRegistrationWindow(&registration, &registration);
    customers.calls.clear();
    m->next(); // no photograph: both cleared
    QCOMPARE(customers.calls, QStringList{QStringLiteral("clear")});
    QCOMPARE(registration.calls, QStringList{QStringLiteral("clear")});
    m->next(); // bytes that are no picture: an empty frame too
    QCOMPARE(customers.calls, (QStringList{QStringLiteral("clear"), QStringLiteral("clear")}));
    QCOMPARE(registration.calls, (QStringList{QStringLiteral("clear"), QStringLiteral("clear")}));
    m->next();
    QCOMPARE(customers.calls.last(), QStringLiteral("show:60"));
    QCOMPARE(registration.calls.last(), QStringLiteral("show:60"));
    m->close();
    m->setSql(QStringLiteral("Select * from Musteri\nOrder by ID"));
    m_dm1->registerCustomerWindow(nullptr, nullptr);
    m_dm1->registerRegistrationWindow(nullptr, nullptr);
}

void TestDataModules::exchangeFeeFollowsVcdAndDvdOnly()
{
    TariffCache::instance().TakasUcretiVCD = Money::fromRaw(12500);
    TariffCache::instance().TakasUcretiDVD = Money::fromUnits(2000);
    ExchangeWindow window;
    m_dm1->registerExchangeWindow(&window, &window);
    DataSet *t = m_dm1->TakasCD;
    QVERIFY(t->open());
    QVERIFY(t->locate(QStringLiteral("CDTur"), QStringLiteral("VCD")));
    QCOMPARE(window.fee, QStringLiteral("1,25"));
    QVERIFY(t->locate(QStringLiteral("CDTur"), QStringLiteral("DivX")));
    QCOMPARE(window.fee, QStringLiteral("1,25")); // unchanged
    QVERIFY(t->locate(QStringLiteral("CDTur"), QStringLiteral("DVD")));
    QCOMPARE(window.fee, QStringLiteral("2.000,00"));
    QVERIFY(t->locate(QStringLiteral("CDTur"), QStringLiteral("PS2 Game")));
    QCOMPARE(window.fee, QStringLiteral("2.000,00"));
    m_dm1->registerExchangeWindow(nullptr, nullptr);
}

void TestDataModules::postingTheTariffRereadsIt()
{
    DataSet *t = m_dm1->Tarife;
    QVERIFY(t->open());
    QVERIFY(t->edit());
    QVERIFY(t->setText(QStringLiteral("GunlukDVD_Kira"), QStringLiteral("3,75")));
    QVERIFY2(t->post(), qPrintable(t->lastError()));
    QCOMPARE(t->state(), DataSet::State::Browse);
    QCOMPARE(t->recNo(), 0);
    QCOMPARE(t->value(QStringLiteral("GunlukDVD_Kira")).value<Money>(), Money::fromRaw(37500));
    QCOMPARE(t->displayText(QStringLiteral("GunlukDVD_Kira")), QStringLiteral("3,75"));
}

void TestDataModules::mailArchiveFollowsMailNav()
{
    ArchiveWindow window;
    m_dm2->registerMailArchiveWindow(&window, &window);
    QVERIFY(m_dm2->MailNav->open());
    QCOMPARE(window.calls.size(), 2); // after open, after scroll
    QCOMPARE(window.calls.first(), m_dm2->MailNav->value(QStringLiteral("Gonderen")).toString() + u'|'
                                       + m_dm2->MailNav->value(QStringLiteral("Konu")).toString());
    m_dm2->MailNav->next();
    QCOMPARE(window.calls.size(), 3);
    m_prompts->expect(Icon::Warning, QStringLiteral("Kaydı silmek istediğinize eminmisiniz ?"), Answer::Yes);
    QVERIFY(DeleteWithConfirm(m_dm2->MailNav));
    QCOMPARE(window.calls.size(), 5); // after delete, and the move it makes
    m_dm2->registerMailArchiveWindow(nullptr, nullptr);
    m_dm2->MailNav->next();
    QCOMPARE(window.calls.size(), 5);
}

void TestDataModules::deleteWithConfirm()
{
    const QString question = QStringLiteral("Kaydı silmek istediğinize eminmisiniz ?");
    DataSet *d = m_dm1->Doviz;
    QSqlQuery q(Database::connection());
    QVERIFY(q.exec(QStringLiteral("DELETE FROM Doviz")));
    QVERIFY(d->open());
    QVERIFY(!DeleteWithConfirm(d)); // empty: nothing asked
    QVERIFY(m_prompts->seen().isEmpty());
    d->close();

    QVERIFY(q.exec(QStringLiteral("INSERT INTO Doviz (Tarih, USDAlis) VALUES ('2026-12-07', 1)")));
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Doviz (Tarih, USDAlis) VALUES ('2026-12-08', 1)")));
    QVERIFY(d->open());
    m_prompts->expect(Icon::Warning, question, Answer::No);
    QVERIFY(!DeleteWithConfirm(d));
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Doviz")).toInt(), 2);
    m_prompts->expect(Icon::Warning, question, Answer::Yes);
    QVERIFY(DeleteWithConfirm(d));
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Doviz")).toInt(), 1);
    QCOMPARE(d->recordCount(), 1);

    // The database refuses: its own words follow the warning, the row stays.
    if (backend() == Backend::SQLite) {
        QVERIFY(q.exec(QStringLiteral("CREATE TRIGGER keep_rates BEFORE DELETE ON Doviz BEGIN "
                                      "SELECT RAISE(ABORT, 'rates are kept'); END")));
    } else {
        QVERIFY(q.exec(QStringLiteral("CREATE FUNCTION keep_rates() RETURNS trigger LANGUAGE plpgsql AS "
                                      "$$ BEGIN RAISE EXCEPTION 'rates are kept'; END $$")));
        QVERIFY(q.exec(QStringLiteral("CREATE TRIGGER keep_rates BEFORE DELETE ON Doviz FOR EACH ROW EXECUTE FUNCTION keep_rates()")));
    }
    m_prompts->expect(Icon::Warning, question, Answer::Yes);
    m_prompts->expectStartingWith(Icon::Error, QStringLiteral(" Dikkat bu kaydı silemezsiniz !!! "));
    QVERIFY(!DeleteWithConfirm(d));
    QVERIFY(m_prompts->seen().last().text.contains(QStringLiteral("rates are kept")));
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Doviz")).toInt(), 1);
    QCOMPARE(d->recordCount(), 1);
    QVERIFY(q.exec(QStringLiteral("DROP TRIGGER keep_rates%1").arg(backend() == Backend::SQLite ? QString() : QStringLiteral(" ON Doviz"))));
}

QTEST_MAIN(TestDataModules)
#include "tst_datamodules.moc"
