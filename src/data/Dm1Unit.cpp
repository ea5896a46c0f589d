#include "data/Dm1Unit.h"

#include "components/DataSet.h"
#include "components/DataSource.h"
#include "components/Format.h"
#include "db/Database.h"
#include "data/ShopBook.h"
#include "data/TariffCache.h"

#include <QBuffer>
#include <QImageReader>

TDm1 *Dm1 = nullptr;

namespace {

const QString JoinFrom = QStringLiteral(
    "FROM CD INNER JOIN (Musteri INNER JOIN Hareket ON Musteri.ID = Hareket.MusteriNo) ON CD.ID = Hareket.CdNo\n");

const QString Temp1Sql = QStringLiteral(
    "SELECT  Hareket.ID, Hareket.IslemTarih, Hareket.KiralamaGun, Hareket.TeslimTarih, Hareket.KiraTarih, "
    "Hareket.FilmTuru, Musteri.AdSoyad, CD.FilmAdi, Musteri.Telefon, Musteri.EMail\n")
    + JoinFrom
    + QStringLiteral("Where Hareket.MusteriNo=:Musteri and IslemTur='Rent' and CDDurum=0\nOrder By Hareket.KiraTarih");

const QString Temp4Columns = QStringLiteral(
    "SELECT  Hareket.ID, Hareket.IslemTur, Hareket.IslemTarih, Hareket.KiralamaGun, Hareket.TeslimTarih, "
    "Hareket.KiraTarih, Hareket.FilmTuru, Musteri.AdSoyad, CD.FilmAdi, CD.KonuTur, CD.CDTur, Musteri.Telefon, "
    "Musteri.EMail\n");

const QString Money2 = QString::fromLatin1(Format::Money2);
const QString Money2NoZero = QString::fromLatin1(Format::Money2NoZero);
const QString Money4 = QString::fromLatin1(Format::Money4);

} // namespace

TDm1::TDm1(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("Dm1"));
    using K = DataSet::Kind;

    Musteri = makeDataSet(QStringLiteral("Musteri"), QStringLiteral("Select * from Musteri\nOrder by ID"));
    Musteri->setKind(K::Live);
    Musteri->setDisplayFormat(QStringLiteral("Depozito"), Money2);
    Musteri->setEditFormat(QStringLiteral("Depozito"), QStringLiteral("#"));
    Musteri->setCaption(QStringLiteral("AdSoyad"), QStringLiteral("Adı Soyadı"));
    Musteri->setCaption(QStringLiteral("EMail"), QStringLiteral("E-Mail"));

    CD = makeDataSet(QStringLiteral("CD"), QStringLiteral("Select * from CD\nOrder By ID"));
    CD->setKind(K::Live);
    for (const char *f : {"MaliyetFiyat", "SatisFiyat"}) {
        CD->setDisplayFormat(QLatin1StringView(f), Money2NoZero);
        CD->setEditFormat(QLatin1StringView(f), QStringLiteral("#"));
    }

    Hareket = makeDataSet(QStringLiteral("Hareket"), QStringLiteral("Select * from Hareket\nWhere CDDurum=0\nOrder by ID Desc"));
    Hareket->setDisplayFormat(QStringLiteral("TopTutar"), Money2);
    Hareket->setDisplayFormat(QStringLiteral("SatisFiyat"), Money2NoZero);
    Hareket->setDisplayFormat(QStringLiteral("CezaTutari"), Money4);
    Hareket->setEditFormat(QStringLiteral("TopTutar"), Money4);
    Hareket->setEditFormat(QStringLiteral("CezaTutari"), Money4);
    Hareket->setEditFormat(QStringLiteral("SatisFiyat"), QStringLiteral("#"));

    HareketTemp1 = makeDataSet(QStringLiteral("HareketTemp1"), Temp1Sql);
    HareketTemp1->setFewRows(true); // a customer's discs out
    HareketTemp2 = makeDataSet(QStringLiteral("HareketTemp2"),
        QStringLiteral("SELECT Hareket.IslemTarih, Hareket.KiralamaGun, Hareket.TeslimTarih, Hareket.KiraTarih, "
                       "Hareket.FilmTuru, Musteri.AdSoyad, CD.FilmAdi, Musteri.Telefon\n")
            + JoinFrom + QStringLiteral("Where Hareket.CdNo=:Cd\nOrder By Hareket.KiraTarih"));
    HareketTemp2->setFewRows(true); // a title's renters
    Users = makeDataSet(QStringLiteral("Users"), QStringLiteral("Select * from Users\nOrder By ID"));
    Users->setFewRows(true);
    Tarife = makeDataSet(QStringLiteral("Tarife"), QStringLiteral("Select * from Tarife"));
    Tarife->setFewRows(true); // one row, as Config
    // GunlukCeza is a price as well, though no window shows it.
    QStringList prices = {QStringLiteral("GunlukCeza")};
    for (const TariffPriceColumn &p : TariffPriceColumns)
        prices << QLatin1String(p.column);
    for (const QString &f : std::as_const(prices)) {
        Tarife->setDisplayFormat(f, Money2);
        Tarife->setEditFormat(f, Money4);
    }
    Temp = makeDataSet(QStringLiteral("Temp"), QString());
    Config = makeDataSet(QStringLiteral("Config"), QStringLiteral("Select * from Config"));
    Config->setFewRows(true);

    Kasa = makeDataSet(QStringLiteral("Kasa"), QStringLiteral("Select * from Kasa\nWhere Tarih Between :T1 and :T2\nOrder By ID Desc"));
    Kasa->setKind(K::Live);
    for (const char *f : {"Borc", "Alacak", "BorcUSD", "AlacakUSD", "BorcEuro", "AlacakEuro"}) {
        Kasa->setDisplayFormat(QLatin1StringView(f), Money2);
        Kasa->setEditFormat(QLatin1StringView(f), Money4);
    }

    Doviz = makeDataSet(QStringLiteral("Doviz"), QStringLiteral("Select * from Doviz\nOrder by ID Desc"));
    for (const char *f : {"USDAlis", "USDSatis", "EuroAlis", "EuroSatis"}) {
        Doviz->setDisplayFormat(QLatin1StringView(f), Money4);
        Doviz->setEditFormat(QLatin1StringView(f), Money4);
    }

    // Its statement is set by each user before opening. The list opens with
    // its first rows like any other: sorting it, printing it and collecting
    // its addresses read the rest (a size-L shop has tens of thousands out).
    CDKontrol = makeDataSet(QStringLiteral("CDKontrol"), QString());
    CDKontrol->setCaption(QStringLiteral("IslemTur"), QStringLiteral("İşlem Türü"));
    CDKontrol->setCaption(QStringLiteral("IslemTarih"), QStringLiteral("İşlem Tarihi"));
    CDKontrol->setCaption(QStringLiteral("KiralamaGun"), QStringLiteral("Gün"));
    CDKontrol->fieldInfo(QStringLiteral("KiralamaGun")).alignment = Qt::AlignCenter;
    CDKontrol->setCaption(QStringLiteral("GelecekTarih"), QStringLiteral("Gelecek Tarih"));
    CDKontrol->setCaption(QStringLiteral("AdSoyad"), QStringLiteral("Müşteri İsmi"));
    CDKontrol->setCaption(QStringLiteral("FilmAdi"), QStringLiteral("Film Adı"));
    CDKontrol->setCaption(QStringLiteral("KiraTarih"), QStringLiteral("Kiralama Tarihi"));
    CDKontrol->setCaption(QStringLiteral("CDTur"), QStringLiteral("CD Türü"));

    Navigator = makeDataSet(QStringLiteral("Navigator"), QStringLiteral("Select * from CD\nOrder by FilmAdi"));
    Navigator->setKind(K::Live);
    Oyuncu = makeDataSet(QStringLiteral("Oyuncu"), QStringLiteral("Select * from Oyuncu\norder by OyuncuAdi"));
    Yonetmen = makeDataSet(QStringLiteral("Yonetmen"), QStringLiteral("Select * from Yonetmen\norder by Yonetmen"));
    DagiticiFirma = makeDataSet(QStringLiteral("DagiticiFirma"), QStringLiteral("Select * from DagiticiFirma\norder by DagiticiFirma"));
    FilmSirket = makeDataSet(QStringLiteral("FilmSirket"), QStringLiteral("Select * from FilmSirket\norder by FilmSirket"));
    FilmTur = makeDataSet(QStringLiteral("FilmTur"), QStringLiteral("Select * from FilmTur\norder by FilmTur"));
    HareketTemp3 = makeDataSet(QStringLiteral("HareketTemp3"), Temp1Sql);
    HareketTemp4 = makeDataSet(QStringLiteral("HareketTemp4"), Temp4Columns + JoinFrom
        + QStringLiteral("Where Hareket.MusteriNo=:Musteri and (Hareket.CDDurum=1 or Hareket.Kayit=1)\nOrder By Hareket.KiraTarih Desc"));

    TakasCD = makeDataSet(QStringLiteral("TakasCD"), QStringLiteral("Select * from CD\nwhere stok>0"));
    TakasCD->setDisplayFormat(QStringLiteral("MaliyetFiyat"), Money2);
    TakasCD->setDisplayFormat(QStringLiteral("SatisFiyat"), Money2);

    CDTemp1 = makeDataSet(QStringLiteral("CDTemp1"), Temp4Columns + JoinFrom
        + QStringLiteral("Where Hareket.CDNo=:CDNo \nOrder By Hareket.KiraTarih Desc"));

    CDIade = makeDataSet(QStringLiteral("CDIade"), QStringLiteral("Select * from Hareket\nWhere ID=:IDX\nOrder by ID Desc"));
    CDIade->setDisplayFormat(QStringLiteral("TopTutar"), Money2);
    CDIade->setDisplayFormat(QStringLiteral("SatisFiyat"), Money2NoZero);
    CDIade->setDisplayFormat(QStringLiteral("CezaTutari"), Money2NoZero);
    CDIade->setEditFormat(QStringLiteral("CezaTutari"), QStringLiteral("#,###"));
    CDIade->setEditFormat(QStringLiteral("SatisFiyat"), QStringLiteral("#"));

    SMS = makeDataSet(QStringLiteral("SMS"), QStringLiteral("Select * from SMS\norder by ID"));
    SMS->setKind(K::Live);

    MusteriData = makeSource(QStringLiteral("MusteriData"), Musteri);
    CDData = makeSource(QStringLiteral("CDData"), CD);
    HareketData = makeSource(QStringLiteral("HareketData"), Hareket);
    Hareket_Temp1Data = makeSource(QStringLiteral("Hareket_Temp1Data"), HareketTemp1);
    HareketTemp2Data = makeSource(QStringLiteral("HareketTemp2Data"), HareketTemp2);
    UsersData = makeSource(QStringLiteral("UsersData"), Users);
    TarifeData = makeSource(QStringLiteral("TarifeData"), Tarife);
    ConfigData = makeSource(QStringLiteral("ConfigData"), Config);
    KasaData = makeSource(QStringLiteral("KasaData"), Kasa);
    DovizData = makeSource(QStringLiteral("DovizData"), Doviz);
    CDKontrolData = makeSource(QStringLiteral("CDKontrolData"), CDKontrol);
    NavData = makeSource(QStringLiteral("NavData"), Navigator);
    OyuncuData = makeSource(QStringLiteral("OyuncuData"), Oyuncu);
    YonetmenData = makeSource(QStringLiteral("YonetmenData"), Yonetmen);
    DagiticiFirmaData = makeSource(QStringLiteral("DagiticiFirmaData"), DagiticiFirma);
    FilmSirketData = makeSource(QStringLiteral("FilmSirketData"), FilmSirket);
    FilmTurData = makeSource(QStringLiteral("FilmTurData"), FilmTur);
    HareketTemp3Data = makeSource(QStringLiteral("HareketTemp3Data"), HareketTemp3);
    HareketTemp4Data = makeSource(QStringLiteral("HareketTemp4Data"), HareketTemp4);
    TakasCDData = makeSource(QStringLiteral("TakasCDData"), TakasCD);
    CDTemp1Data = makeSource(QStringLiteral("CDTemp1Data"), CDTemp1);
    CDIadeData = makeSource(QStringLiteral("CDIadeData"), CDIade);
    SMSData = makeSource(QStringLiteral("SMSData"), SMS);

    // The handlers run inside the event that raised them, before the move or
    // the post returns to its caller.
    connect(Hareket, &DataSet::afterScroll, this, &TDm1::HareketAfterScroll);
    connect(Hareket, &DataSet::afterPost, this, &TDm1::HareketAfterScroll);
    connect(CDIade, &DataSet::afterScroll, this, &TDm1::HareketAfterScroll);
    connect(CDIade, &DataSet::afterPost, this, &TDm1::HareketAfterScroll);
    connect(CD, &DataSet::afterScroll, this, &TDm1::CDAfterScroll);
    connect(Musteri, &DataSet::afterOpen, this, &TDm1::MusteriAfterScroll);
    connect(Musteri, &DataSet::afterScroll, this, &TDm1::MusteriAfterScroll);
    connect(TakasCD, &DataSet::afterOpen, this, &TDm1::TakasCDAfterScroll);
    connect(TakasCD, &DataSet::afterScroll, this, &TDm1::TakasCDAfterScroll);
    connect(Tarife, &DataSet::afterPost, this, &TDm1::TarifeAfterPost);

    Dm1 = this;
}

TDm1::~TDm1()
{
    for (DataSet *ds : std::as_const(m_dataSets))
        ds->close();
    if (Dm1 == this)
        Dm1 = nullptr;
}

bool TDm1::openConnection(const DatabaseTarget &target, QString *error)
{
    return Database::open(target, Database::ConnectionName, error);
}

DataSet *TDm1::makeDataSet(const QString &name, const QString &sql)
{
    auto *ds = new DataSet(name, this);
    ds->setSql(sql);
    m_dataSets << ds;
    return ds;
}

DataSource *TDm1::makeSource(const QString &name, DataSet *ds)
{
    return new DataSource(name, ds, this);
}

QList<DataSet *> TDm1::dataSets() const
{
    return m_dataSets;
}

// ------------------------------------------------------------ registration

void TDm1::registerRentWindow(QObject *window, RentWindowPort *port)
{
    m_rentWindow = window;
    m_rentPort = port;
}

void TDm1::registerCDDefinitionsWindow(QObject *window)
{
    m_cdWindow = window;
}

void TDm1::registerCustomerWindow(QObject *window, CustomerPhotoPort *port)
{
    m_customerWindow = window;
    m_customerPort = port;
}

void TDm1::registerRegistrationWindow(QObject *window, CustomerPhotoPort *port)
{
    m_registrationWindow = window;
    m_registrationPort = port;
}

void TDm1::registerExchangeWindow(QObject *window, ExchangeWindowPort *port)
{
    m_exchangeWindow = window;
    m_exchangePort = port;
}

// ----------------------------------------------------------------- handlers

namespace {

// A join list whose key is empty stays closed, so its grid shows no rows.
void reopenWithKey(DataSet *ds, const QString &key)
{
    ds->close();
    ds->setParameter(0, key);
    if (!key.trimmed().isEmpty())
        ds->open();
}

} // namespace

void TDm1::HareketAfterScroll()
{
    if (!m_rentWindow)
        return;
    // A transaction being typed keeps its form: a return taken meanwhile in
    // another window moves CDIade, and would otherwise overwrite the day count
    // being typed with the stored row's (empty while inserting).
    if (Hareket->state() == DataSet::State::Insert || Hareket->state() == DataSet::State::Edit)
        return;
    m_rentPort->updateControlStates();
    const QVariant days = Hareket->value(QStringLiteral("KiralamaGun"));
    m_rentPort->setDayCountText(days.isNull() ? QStringLiteral("0") : days.toString());
    reopenWithKey(HareketTemp1, Hareket->value(QStringLiteral("MusteriNo")).toString());
    reopenWithKey(HareketTemp2, Hareket->value(QStringLiteral("CdNo")).toString());
}

void TDm1::CDAfterScroll()
{
    if (!m_cdWindow)
        return;
    if (CD->value(QStringLiteral("CDNo")).toString().trimmed().isEmpty())
        return;
    CDTemp1->close();
    CDTemp1->setParameter(QStringLiteral("CDNo"), CD->value(QStringLiteral("ID")).toString());
    CDTemp1->open();
}

void TDm1::MusteriAfterScroll()
{
    if (!m_customerWindow)
        return;
    const QString id = Musteri->value(QStringLiteral("ID")).toString();
    reopenWithKey(HareketTemp3, id);
    reopenWithKey(HareketTemp4, id);
    ShowCustomerPhoto();
}

void TDm1::ShowCustomerPhoto()
{
    if (!Musteri->isOpen() || Musteri->fieldIndex(QStringLiteral("Resim")) < 0)
        return;
    const QByteArray bytes = Musteri->value(QStringLiteral("Resim")).toByteArray();
    QImage picture;
    if (!bytes.isEmpty()) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "jpeg");
        // Bytes that are no JPEG show an empty frame: at a counter, the
        // previous customer's face would be the wrong person's.
        picture = reader.read();
    }
    if (m_registrationWindow) {
        if (picture.isNull())
            m_registrationPort->clearPhoto();
        else
            m_registrationPort->showPhoto(picture);
    }
    if (m_customerWindow) {
        if (picture.isNull())
            m_customerPort->clearPhoto();
        else
            m_customerPort->showPhoto(picture);
    }
}

void TDm1::TakasCDAfterScroll()
{
    if (!m_exchangeWindow)
        return;
    // The fee shown comes from the engine's quote, the figure an exchange books.
    ShopBook::ExchangeRequest request;
    request.discType = TakasCD->value(QStringLiteral("CDTur")).toString();
    Money fee;
    if (ShopBook().quote(request, &fee).ok())
        m_exchangePort->setExchangeFeeText(Format::number(fee, Money2));
}

void TDm1::TarifeAfterPost()
{
    Tarife->requery();
}

// ------------------------------------------------------------ named reads

namespace {

// Runs a one-row read on Temp and gives the named column; Temp is left closed.
std::optional<QVariant> readOne(DataSet *temp, const QString &sql, const QList<QPair<QString, QVariant>> &params,
                                const QString &column, QString *error)
{
    temp->close();
    temp->setSql(sql);
    temp->setFewRows(true);
    for (const auto &p : params)
        temp->setParameter(p.first, p.second);
    if (!temp->open()) {
        if (error)
            *error = temp->lastError();
        return std::nullopt;
    }
    const QVariant v = temp->value(column);
    temp->close();
    return v;
}

// The title columns a filter may compare, and the lookup lists with the
// column that holds their names.
const QStringList TitleFilterColumns = {QStringLiteral("CdTur"), QStringLiteral("KonuTur"), QStringLiteral("Oyuncu"),
                                        QStringLiteral("FilmSirketi"), QStringLiteral("Yonetmen")};
const QList<QPair<QString, QString>> LookupLists = {
    {QStringLiteral("FilmTur"), QStringLiteral("FilmTur")},
    {QStringLiteral("Oyuncu"), QStringLiteral("OyuncuAdi")},
    {QStringLiteral("FilmSirket"), QStringLiteral("FilmSirket")},
    {QStringLiteral("Yonetmen"), QStringLiteral("Yonetmen")},
    {QStringLiteral("DagiticiFirma"), QStringLiteral("DagiticiFirma")},
};

} // namespace

std::optional<int> TDm1::countAccounts(const QString &user, const QString &password, QString *error)
{
    const auto v = readOne(Temp,
                           QStringLiteral(" Select Count(*) as CounterX from Users  where UserName=:UserX and Password=:Pass "),
                           {{QStringLiteral("UserX"), user}, {QStringLiteral("Pass"), password}},
                           QStringLiteral("CounterX"), error);
    return v ? std::optional<int>(v->toInt()) : std::nullopt;
}

bool TDm1::showAllTitles()
{
    CD->close();
    CD->setSql(QStringLiteral(" Select * from CD  Order by FilmAdi "));
    return CD->open();
}

bool TDm1::showTitlesWhere(const QList<QPair<QString, QString>> &columnValues)
{
    QStringList conditions;
    for (const auto &cv : columnValues) {
        if (!TitleFilterColumns.contains(cv.first)) {
            CD->close();
            return false;
        }
        conditions << cv.first + QStringLiteral("=:") + cv.first;
    }
    const QString where =
        conditions.isEmpty() ? QString() : QStringLiteral("Where ") + conditions.join(QStringLiteral(" and "));
    CD->close();
    CD->setSql(QStringLiteral(" Select * from CD ") + where + QStringLiteral(" order by filmadi "));
    for (const auto &cv : columnValues)
        CD->setParameter(cv.first, cv.second);
    return CD->open();
}

std::optional<int> TDm1::countTitles(QString *error)
{
    const auto v = readOne(Temp, QStringLiteral(" Select Count(*) as CounterX from CD "), {},
                           QStringLiteral("CounterX"), error);
    return v ? std::optional<int>(v->toInt()) : std::nullopt;
}

std::optional<QStringList> TDm1::lookupNames(const QString &table, QString *error)
{
    QString column;
    for (const auto &l : LookupLists) {
        if (l.first == table)
            column = l.second;
    }
    if (column.isEmpty()) {
        if (error)
            *error = QStringLiteral("No lookup list is called %1.").arg(table);
        return std::nullopt;
    }
    Temp->close();
    Temp->setSql(QStringLiteral(" Select * from ") + table + QStringLiteral(" Order by ") + column);
    Temp->setFewRows(true); // read whole, as the names of a list are
    if (!Temp->open()) {
        if (error)
            *error = Temp->lastError();
        return std::nullopt;
    }
    Temp->fetchAll();
    QStringList names;
    const int c = Temp->fieldIndex(column);
    for (int r = 0; r < Temp->fetchedCount(); ++r)
        names << Temp->valueAt(r, c).toString();
    Temp->close();
    return names;
}

bool TDm1::showCustomers(bool membersOnly)
{
    Musteri->close();
    Musteri->setSql(membersOnly ? QStringLiteral(" Select * from Musteri  where uyelikDurum=1  order by adsoyad ")
                                : QStringLiteral(" Select * from Musteri  order by adsoyad "));
    return Musteri->open();
}

// ------------------------------------------------------ rent and sell window

namespace {

const QString OpenTransactionsSql = QStringLiteral(" Select * from Hareket  where CDDurum=0  order by ID Desc");

} // namespace

bool TDm1::showFilmList(const QString &discType)
{
    CD->close();
    if (discType.trimmed().isEmpty()) {
        CD->setSql(QStringLiteral(" Select * from CD  Order by FilmAdi"));
    } else {
        CD->setSql(QStringLiteral(" Select * from CD  where CDTur=:CDTur  Order by FilmAdi"));
        CD->setParameter(QStringLiteral("CDTur"), discType);
    }
    return CD->open();
}

bool TDm1::showOpenTransactions()
{
    Hareket->close();
    Hareket->setSql(OpenTransactionsSql);
    return Hareket->open();
}

bool TDm1::showTransactionsWhere(const TransactionFilter &f)
{
    // Every value the clerk chose is a parameter: a list text never becomes
    // part of the statement.
    QStringList conditions;
    if (!f.islemTur.trimmed().isEmpty())
        conditions << QStringLiteral("IslemTur=:IslemTur");
    if (!f.filmTuru.trimmed().isEmpty())
        conditions << QStringLiteral("FilmTuru=:FilmTuru");
    if (f.period)
        conditions << QStringLiteral("KiraTarih Between :T1 and :T2");
    if (f.onlyOpen)
        conditions << QStringLiteral("CDDurum=0");
    const QString where =
        conditions.isEmpty() ? QString() : QStringLiteral("Where ") + conditions.join(QStringLiteral(" and "));
    Hareket->close();
    Hareket->setSql(QStringLiteral(" Select * from Hareket ") + where + QStringLiteral(" order by ID Desc"));
    if (!f.islemTur.trimmed().isEmpty())
        Hareket->setParameter(QStringLiteral("IslemTur"), f.islemTur);
    if (!f.filmTuru.trimmed().isEmpty())
        Hareket->setParameter(QStringLiteral("FilmTuru"), f.filmTuru);
    if (f.period) {
        Hareket->setParameter(QStringLiteral("T1"), f.from);
        Hareket->setParameter(QStringLiteral("T2"), f.to);
    }
    return Hareket->open();
}

namespace {

std::optional<QStringList> oneColumn(DataSet *temp, const QString &sql, QString *error)
{
    temp->close();
    temp->setSql(sql);
    // Every row is read at once anyway: from a server, in one round trip.
    temp->setFewRows(true);
    if (!temp->open()) {
        if (error)
            *error = temp->lastError();
        return std::nullopt;
    }
    temp->fetchAll();
    QStringList names;
    names.reserve(temp->fetchedCount());
    for (int r = 0; r < temp->fetchedCount(); ++r)
        names << temp->valueAt(r, 0).toString();
    temp->close();
    return names;
}

} // namespace

std::optional<QStringList> TDm1::titleNames(QString *error)
{
    return oneColumn(Temp, QStringLiteral(" Select FilmAdi from CD "), error);
}

std::optional<QStringList> TDm1::customerNames(QString *error)
{
    return oneColumn(Temp, QStringLiteral(" Select AdSoyad from Musteri "), error);
}

std::optional<QVariant> TDm1::customerIdByName(const QString &name, QString *error)
{
    return readOne(Temp, QStringLiteral(" Select ID from Musteri  where AdSoyad=:AdSoyad  Order by ID "),
                   {{QStringLiteral("AdSoyad"), name}}, QStringLiteral("ID"), error);
}

std::optional<QVariant> TDm1::titleIdByName(const QString &name, QString *error)
{
    return readOne(Temp, QStringLiteral(" Select ID from CD  where FilmAdi=:FilmAdi  Order by ID "),
                   {{QStringLiteral("FilmAdi"), name}}, QStringLiteral("ID"), error);
}

std::optional<QString> TDm1::customerName(const QVariant &id, QString *error)
{
    const auto v = readOne(Temp, QStringLiteral(" Select AdSoyad from Musteri  where ID=:IDX "),
                           {{QStringLiteral("IDX"), id}}, QStringLiteral("AdSoyad"), error);
    return v ? std::optional<QString>(v->toString()) : std::nullopt;
}

std::optional<TDm1::CustomerAddress> TDm1::customerAddress(const QVariant &id, QString *error)
{
    Temp->close();
    Temp->setSql(QStringLiteral(" Select ID, EMail from Musteri  where ID=:IDX "));
    Temp->setParameter(QStringLiteral("IDX"), id);
    if (!Temp->open()) {
        if (error)
            *error = Temp->lastError();
        return std::nullopt;
    }
    CustomerAddress address;
    address.found = !Temp->isEmpty();
    if (address.found)
        address.eMail = Temp->value(QStringLiteral("EMail")).toString();
    Temp->close();
    return address;
}

std::optional<TDm1::CustomerStanding> TDm1::customerStanding(const QVariant &id, const QDate &today, QString *error)
{
    // Counted on the customer's own transactions: discs out are rentals not
    // yet returned; overdue are those among them whose due date (GelecekTarih)
    // is before today; on account sums TopTutar of the rentals and sales
    // with Veresiye = 1 and CDDurum = 0 (given on account and not yet closed).
    Temp->close();
    Temp->setSql(QStringLiteral(
        " Select Sum(Case When IslemTur='Rent' and CDDurum=0 Then 1 Else 0 End) as DiscsOut, "
        " Sum(Case When IslemTur='Rent' and CDDurum=0 and GelecekTarih<:Bugun Then 1 Else 0 End) as Overdue, "
        " Sum(Case When IslemTur in ('Rent', 'Sell') and CDDurum=0 and Veresiye=1 Then TopTutar Else 0 End) as OnAccount "
        " From Hareket  Where MusteriNo=:IDX "));
    Temp->setFieldType(QStringLiteral("OnAccount"), ColumnType::Currency);
    Temp->setFewRows(true);
    Temp->setParameter(QStringLiteral("Bugun"), today);
    Temp->setParameter(QStringLiteral("IDX"), id);
    if (!Temp->open()) {
        if (error)
            *error = Temp->lastError();
        return std::nullopt;
    }
    CustomerStanding standing;
    standing.discsOut = Temp->value(QStringLiteral("DiscsOut")).toInt();
    standing.overdue = Temp->value(QStringLiteral("Overdue")).toInt();
    const QVariant owed = Temp->value(QStringLiteral("OnAccount"));
    if (!owed.isNull())
        standing.onAccount = owed.value<Money>();
    Temp->close();
    return standing;
}

namespace {

const QString CheckColumns = QStringLiteral(
    " SELECT Hareket.IslemTur, Hareket.ID, Hareket.IslemTarih, Hareket.KiraTarih,  Hareket.KiralamaGun, "
    "Hareket.GelecekTarih,  Musteri.AdSoyad, Musteri.Aciklama, Musteri.Telefon, Musteri.IsTelefon, "
    "Hareket.MusteriNo, Musteri.Resim,  Musteri.EvTelefon, Musteri.CepTelefon, Musteri.EMail, CD.FilmAdi, "
    "CD.Stok, CD.CDTur, CD.Barkod  FROM CD INNER JOIN (Musteri INNER JOIN Hareket  ON Musteri.ID = "
    "Hareket.MusteriNo) ON CD.ID = Hareket.CdNo  ");
const QString CheckOrder = QStringLiteral(" Order by Musteri.AdSoyad, CD.FilmAdi ");

} // namespace

bool TDm1::showCheckReport(int report, const QDate &today, const QString &cdType)
{
    QString where = QStringLiteral(" Where Hareket.IslemTur='Rent' ");
    bool dated = true;
    switch (report) {
    case 1: where += QStringLiteral(" and Hareket.GelecekTarih=:Tarih and Hareket.CDDurum=0 "); break;
    case 2: where += QStringLiteral(" and Hareket.TeslimTarih=:Tarih and Hareket.CDDurum=1 "); break;
    case 3: where += QStringLiteral(" and Hareket.GelecekTarih<:Tarih and Hareket.CDDurum=0 "); break;
    case 4: where += QStringLiteral(" and Hareket.CDDurum=0 "); dated = false; break;
    case 5: where += QStringLiteral(" and Hareket.CDDurum=0 and Hareket.Veresiye=1 "); dated = false; break;
    case 6: where += QStringLiteral(" and Hareket.CDDurum=0 and Hareket.KiraTarih=:Tarih "); break;
    default:
        CDKontrol->close();
        return false;
    }
    const bool typed = !cdType.trimmed().isEmpty();
    if (typed)
        where += QStringLiteral(" and CD.CdTur=:CD ");
    CDKontrol->close();
    CDKontrol->setSql(CheckColumns + where + CheckOrder);
    if (dated)
        CDKontrol->setParameter(QStringLiteral("Tarih"), today);
    if (typed)
        CDKontrol->setParameter(QStringLiteral("CD"), cdType.trimmed());
    return CDKontrol->open();
}

bool TDm1::showOpenRentalsOfBarcode(const QString &barcode)
{
    CDKontrol->close();
    CDKontrol->setSql(CheckColumns
                      + QStringLiteral(" Where Hareket.CDDurum=0 and Hareket.IslemTur='Rent' and CD.Barkod=:Barkod ")
                      + CheckOrder);
    CDKontrol->setParameter(QStringLiteral("Barkod"), barcode);
    return CDKontrol->open();
}

std::optional<QString> TDm1::customerNote(const QVariant &id, QString *error)
{
    const auto v = readOne(Temp, QStringLiteral(" Select Aciklama from Musteri  where ID=:IDX "),
                           {{QStringLiteral("IDX"), id}}, QStringLiteral("Aciklama"), error);
    return v ? std::optional<QString>(v->toString()) : std::nullopt;
}

std::optional<QString> TDm1::titleName(const QVariant &id, QString *error)
{
    const auto v = readOne(Temp, QStringLiteral(" Select FilmAdi from CD  where ID=:IDX "),
                           {{QStringLiteral("IDX"), id}}, QStringLiteral("FilmAdi"), error);
    return v ? std::optional<QString>(v->toString()) : std::nullopt;
}
