#include "data/ShopBook.h"
#include "data/ShopBookWrite.h"

#include "data/Tariff.h"

#include "components/DataSet.h"
#include "data/Session.h"
#include "data/TariffCache.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <QDate>
#include <QDateTime>
#include <utility>

namespace {

using ShopBookWrite::inOneWrite;
using ShopBookWrite::StockRefusedText;
using Error = ShopResult::Error;
using Params = QList<std::pair<QString, QVariant>>;

const QString AlreadyReturnedText = QStringLiteral(
    "This rental has been returned or removed at another counter; nothing was saved.");

// Rent and sell
const QString CountRentalSql = QStringLiteral(" Update CD Set  KiralamaSayi=KiralamaSayi+1  Where ID=:IDX ");
const QString LedgerRowCountSql = QStringLiteral(" Select Count(*) as CounterX from Kasa  Where HareketID=:IDX");
const QString LedgerUpdateSql = QStringLiteral(
    " Update Kasa  SET HareketID=:Hareket, CDID=:CDId, MusteriID=:MusteriID,  Islem=:Islem, Borc=:Borc, "
    "Alacak=:Alacak, Tarih=:Tarih,  Saat=:Saat, Aciklama=:Aciklama   Where HareketID=:HareketIDX");
const QString LedgerInsertSql = QStringLiteral(
    " Insert Into Kasa  (HareketID, CDID, MusteriID, Islem, Borc, Alacak, Tarih, Saat, Aciklama)  Values "
    "(:Hareket, :CDID, :MusteriID, :Islem, :Borc, :Alacak, :Tarih, :Saat, :Aciklama)");
// A copy leaves the shelf only while there is one: the check and the change
// are one statement, so two counters cannot both take the last copy.
const QString TakeCopySql = QStringLiteral(" Update CD  Set Stok=Stok-1  where ID=:CDNo and Stok>0 ");
const QString PutCopyBackSql = QStringLiteral(" Update CD  Set Stok=Stok+1  where ID=:CDNo ");

// Return
const QString CloseRentalSql = QStringLiteral(" Update Hareket  Set CDDurum=:Durum  Where ID=:IDX and CDDurum=0 ");
const QString PenaltyInsertSql = QStringLiteral(
    " Insert Into Kasa  (HareketID, CDID, MusteriID, Islem, Borc, Alacak, Tarih, Saat, Aciklama )  Values "
    "(:Hareket, :CDID, :MusteriID, :Islem, :Borc, :Alacak, :Tarih, :Saat, :Aciklama)");

// Exchange
const QString ExchangeFeeSql = QStringLiteral(
    " Insert Into Kasa  (Aciklama, Borc, Tarih, Saat, Islem )  Values (:Aciklama, :Borc, :Tarih, :Saat, :Islem) ");

// Catalogue and customers
const QString PurchaseSql = QStringLiteral(
    " Insert Into Kasa  (CDID, Islem, Alacak, Tarih, Saat, Aciklama)  Values (:CDID, :Islem, :Alacak, :Tarih, :Saat, :Aciklama)");
const QString DepositSql = QStringLiteral(
    " Insert Into Kasa  (CDID, Islem, Borc, Tarih, Saat, Aciklama )  Values (:CDID, :Islem, :Borc, :Tarih, :Saat, :Aciklama)");

QVariant nullableInt(const std::optional<int> &v)
{
    return v ? QVariant(*v) : QVariant(QMetaType::fromType<int>());
}

bool isEditing(const DataSet *ds)
{
    return ds && (ds->state() == DataSet::State::Insert || ds->state() == DataSet::State::Edit);
}

Params ledgerParams(const TKasa &k)
{
    return {
        {QStringLiteral("Hareket"), nullableInt(k.HareketID)},
        {QStringLiteral("HareketIDX"), nullableInt(k.HareketID)},
        {QStringLiteral("CDID"), nullableInt(k.CDID)},
        {QStringLiteral("MusteriID"), nullableInt(k.MusteriID)},
        {QStringLiteral("Islem"), k.Islem},
        {QStringLiteral("Borc"), QVariant::fromValue(k.Borc)},
        {QStringLiteral("Alacak"), QVariant::fromValue(k.Alacak)},
        {QStringLiteral("Tarih"), k.Tarih},
        {QStringLiteral("Saat"), k.Saat},
        {QStringLiteral("Aciklama"), k.Aciklama},
    };
}

// The engine's own scratch statement on its connection: one statement at a
// time, named parameters, the database's message on failure.
class Scratch
{
public:
    explicit Scratch(const QString &connection) : m_ds(QStringLiteral("ShopBookTemp"))
    {
        m_ds.setConnectionName(connection);
    }

    bool exec(const QString &sql, const Params &params, int *rowsAffected = nullptr)
    {
        prepare(sql, params);
        return m_ds.execSql(rowsAffected);
    }

    // The named column of the first row; an empty result or NULL reads as 0.
    bool readInt(const QString &sql, const Params &params, const QString &column, int *value)
    {
        prepare(sql, params);
        if (!m_ds.open())
            return false;
        *value = m_ds.value(column).toInt();
        m_ds.close();
        return true;
    }

    bool readText(const QString &sql, const Params &params, const QString &column, QString *value)
    {
        prepare(sql, params);
        if (!m_ds.open())
            return false;
        *value = m_ds.value(column).toString();
        m_ds.close();
        return true;
    }

    // The named columns of the first row; *found is false when there is none.
    bool readRow(const QString &sql, const Params &params, const QStringList &columns, QVariantList *values, bool *found)
    {
        prepare(sql, params);
        if (!m_ds.open())
            return false;
        *found = !m_ds.isEmpty();
        values->clear();
        for (const QString &c : columns)
            *values << m_ds.value(c);
        m_ds.close();
        return true;
    }

    ShopResult failure() const { return ShopResult::failed(Error::Database, m_ds.lastError()); }

private:
    void prepare(const QString &sql, const Params &params)
    {
        m_ds.close();
        m_ds.setSql(sql);
        for (const auto &[name, value] : params)
            m_ds.setParameter(name, value);
    }

    DataSet m_ds;
};

struct NumberColumn
{
    QString table, column;
};

NumberColumn numberColumn(ShopBook::ShownNumber which)
{
    if (which == ShopBook::ShownNumber::MusteriNo)
        return {QStringLiteral("Musteri"), QStringLiteral("MusteriNo")};
    return {QStringLiteral("CD"), QStringLiteral("CDNo")};
}

bool largestPlusOne(Scratch &s, ShopBook::ShownNumber which, int *number)
{
    const NumberColumn nc = numberColumn(which);
    int largest = 0;
    if (!s.readInt(QStringLiteral(" Select Max(%1) as Maximus from %2 ").arg(nc.column, nc.table), {},
                   QStringLiteral("Maximus"), &largest))
        return false;
    *number = largest + 1;
    return true;
}

ShopResult takeCopy(Scratch &s, const QString &sql, const QString &param, int titleId)
{
    int affected = 0;
    if (!s.exec(sql, {{param, titleId}}, &affected))
        return s.failure();
    if (affected != 1)
        return ShopResult::failed(Error::StockRefused, StockRefusedText);
    return {};
}

// A delete that runs again after its write was undone: the row it took out of
// the list is there again, and it is the row to delete, not its neighbour.
ShopResult backInList(DataSet *ds, const QVariant &id, bool *removed)
{
    if (!*removed)
        return {};
    *removed = false;
    ds->requery();
    if (!ds->locate(QStringLiteral("ID"), id))
        return ShopResult::failed(Error::Invalid, QStringLiteral("The row to delete is no longer there."));
    return {};
}

ShopResult postRow(DataSet *row)
{
    if (!row->post())
        return ShopResult::failed(Error::Database, row->lastError());
    return {};
}

} // namespace

// ------------------------------------------------------------------ ShopResult

ShopResult ShopResult::failed(Error error, const QString &message)
{
    ShopResult r;
    r.error = error;
    r.message = message;
    return r;
}

// -------------------------------------------------------------------- TypedRow

TypedRow::TypedRow(DataSet *row) : m_row(row), m_state(int(row->state()))
{
    for (int i = 0; i < row->fieldCount(); ++i)
        m_values << row->value(i);
    m_id = row->value(QStringLiteral("ID"));
}

bool TypedRow::restore()
{
    const auto state = DataSet::State(m_state);
    if (state != DataSet::State::Insert && state != DataSet::State::Edit)
        return true;
    if (m_row->state() != state) {
        // The row reached the list as stored although the write was undone:
        // the list is read again and the row entered anew.
        m_row->requery();
        if (state == DataSet::State::Insert) {
            if (!m_row->insert())
                return false;
        } else if (!m_row->locate(QStringLiteral("ID"), m_id) || !m_row->edit()) {
            return false;
        }
    }
    for (int i = 0; i < m_values.size() && i < m_row->fieldCount(); ++i) {
        if (m_row->fieldName(i).compare(QLatin1String("ID"), Qt::CaseInsensitive) != 0)
            m_row->setValue(m_row->fieldName(i), m_values[i]);
    }
    return true;
}

// -------------------------------------------------------------------- ShopBook

ShopBook::ShopBook(const QString &connectionName) : m_connection(connectionName)
{
}

namespace {

ShopResult checkConnection(const DataSet *ds, const QString &connection)
{
    if (ds->database().connectionName() != connection)
        return ShopResult::failed(Error::Invalid,
                                  QStringLiteral("%1 works on another connection than the write.").arg(ds->name()));
    return {};
}

} // namespace

namespace {

const QString CustomerForRentSql = QStringLiteral(" Select UyelikDurum, AdSoyad from Musteri where ID=:ID ");
const QString TitleForRentSql = QStringLiteral(" Select SatisFiyat, CDNo, FilmAdi, CDTur from CD where ID=:ID ");
const QString RowBeingCorrectedSql = QStringLiteral(" Select CDDurum, Kayit, CdNo from Hareket where ID=:ID ");
const QString DiscsOutSql = QStringLiteral(
    " Select Count(*) as CounterX from Hareket where MusteriNo=:M and IslemTur='Rent' and CDDurum=0 ");
const QString MaxDiscsOutSql = QStringLiteral(" Select Max(MaxDiscsOut) as Maximus from Config ");

QVariant wholeDate(const QDate &d)
{
    return d.isValid() ? QVariant(QDateTime(d, QTime(0, 0))) : QVariant();
}

// What a rental or sale is priced from, as the database holds it now.
struct RentInputs
{
    bool customerFound = false, titleFound = false;
    int membership = 0;
    QString customerName;
    Money titlePrice;
    int cdNo = 0;
    QString filmAdi;
};

ShopResult refusedRequest(const ShopBook::RentRequest &r)
{
    if (r.process != QLatin1String("Rent") && r.process != QLatin1String("Sell"))
        return ShopResult::failed(Error::Invalid, QStringLiteral("A transaction is a rental or a sale."));
    if (r.days < 0 || r.days > Tariff::MaxRentalDays)
        return ShopResult::failed(Error::Invalid, QStringLiteral("The number of rented days must be between 0 and %1; "
                                                                 "nothing was stored.")
                                                      .arg(Tariff::MaxRentalDays));
    if (!r.start.isValid())
        return ShopResult::failed(Error::Invalid, QStringLiteral("The transaction has no start date."));
    return {};
}

bool readRentInputs(Statement &st, const ShopBook::RentRequest &r, RentInputs *in)
{
    std::optional<QVariantList> row;
    if (r.customerId > 0) {
        if (!st.readRow(CustomerForRentSql, {{QStringLiteral("ID"), r.customerId}}, &row))
            return false;
        in->customerFound = row.has_value();
        if (row) {
            in->membership = row->value(0).toInt();
            in->customerName = row->value(1).toString();
        }
    }
    if (r.titleId > 0) {
        if (!st.readRow(TitleForRentSql, {{QStringLiteral("ID"), r.titleId}}, &row))
            return false;
        in->titleFound = row.has_value();
        if (row) {
            // A title's own price is for its own medium: while the clerk has
            // turned to another type, the title chosen before does not price it.
            if (row->value(3).toString() == r.discType)
                in->titlePrice = Money::fromVariant(row->value(0));
            in->cdNo = row->value(1).toInt();
            in->filmAdi = row->value(2).toString();
        }
    }
    return true;
}

std::optional<ShopBook::RentFigures> priced(const ShopBook::RentRequest &r, const RentInputs &in)
{
    Tariff::Choice c;
    c.sale = r.process == QLatin1String("Sell");
    c.discType = r.discType;
    c.membership = in.membership;
    c.start = r.start;
    c.days = r.days;
    c.titlePrice = in.titlePrice;
    c.shownPrice = r.price;
    c.lookUp = r.lookUp;
    const auto b = Tariff::booking(TariffCache::instance(), c);
    if (!b)
        return std::nullopt;
    return ShopBook::RentFigures{b->dueDate, b->chargedDays, b->unitPrice, b->total, in.membership};
}

} // namespace

ShopResult ShopBook::quote(const RentRequest &request, RentFigures *figures)
{
    if (ShopResult r = refusedRequest(request); !r.ok())
        return r;
    Statement st(m_connection);
    RentInputs in;
    if (!readRentInputs(st, request, &in))
        return ShopResult::failed(Error::Database, st.errorText());
    const auto f = priced(request, in);
    if (!f)
        return ShopResult::failed(Error::Invalid, QStringLiteral("The transaction cannot be priced."));
    *figures = *f;
    return {};
}

ShopResult ShopBook::rent(const RentRequest &request, RentFigures *booked)
{
    if (ShopResult r = refusedRequest(request); !r.ok())
        return r;
    return inOneWrite(m_connection, nullptr, [&](Scratch &s) -> ShopResult {
        Statement st(m_connection);
        auto failed = [&st] { return ShopResult::failed(Error::Database, st.errorText()); };
        RentInputs in;
        if (!readRentInputs(st, request, &in))
            return failed();
        if (!in.customerFound || !in.titleFound)
            return ShopResult::failed(Error::Invalid,
                                      in.customerFound ? QStringLiteral("The title is no longer in the catalogue; nothing was stored.")
                                                       : QStringLiteral("The customer is no longer in the register; nothing was stored."));
        const auto figures = priced(request, in);
        if (!figures)
            return ShopResult::failed(Error::Invalid, QStringLiteral("The transaction cannot be priced."));
        const bool rental = request.process == QLatin1String("Rent");

        int previousTitle = 0;
        if (request.editId > 0) {
            // A correction goes on only while the rental is still out.
            std::optional<QVariantList> row;
            if (!st.readRow(RowBeingCorrectedSql, {{QStringLiteral("ID"), request.editId}}, &row))
                return failed();
            if (!row || row->value(0).toInt() != 0 || row->value(1).toInt() == 1)
                return ShopResult::failed(Error::AlreadyReturned, AlreadyReturnedText);
            previousTitle = row->value(2).toInt();
        } else if (rental) {
            int limit = 0, out = 0;
            if (!st.readInt(MaxDiscsOutSql, {}, &limit)
                || (limit > 0 && !st.readInt(DiscsOutSql, {{QStringLiteral("M"), request.customerId}}, &out)))
                return failed();
            if (!Tariff::mayRentAnother(out, limit))
                return ShopResult::failed(Error::LimitReached,
                                          QStringLiteral("%1 has %2 discs out already; the shop rents at most %3 to one "
                                                         "customer at a time. Nothing was stored.")
                                              .arg(in.customerName)
                                              .arg(out)
                                              .arg(limit));
        }
        if (rental && !st.exec(CountRentalSql, {{QStringLiteral("IDX"), request.titleId}}))
            return failed();

        const SqlParams values = {
            {QStringLiteral("IslemTur"), request.process},
            {QStringLiteral("MusteriNo"), request.customerId},
            {QStringLiteral("CdNo"), request.titleId},
            {QStringLiteral("FilmTuru"), request.discType},
            {QStringLiteral("Barkod"), request.barcode.isEmpty() ? QVariant() : QVariant(request.barcode)},
            {QStringLiteral("KiraTarih"), wholeDate(request.start)},
            {QStringLiteral("KiralamaGun"), request.days},
            {QStringLiteral("GelecekTarih"), wholeDate(figures->dueDate)},
            {QStringLiteral("SatisFiyat"), QVariant::fromValue(figures->unitPrice)},
            {QStringLiteral("TopTutar"), QVariant::fromValue(figures->total)},
            {QStringLiteral("Veresiye"), request.onAccount ? 1 : 0},
            {QStringLiteral("IslemTarih"), QDateTime::currentDateTime()},
            {QStringLiteral("Kayit"), rental ? 0 : 1},
        };
        int hareketId = request.editId;
        if (hareketId > 0) {
            int affected = 0;
            if (!st.update(QStringLiteral("Hareket"), hareketId, values, &affected))
                return failed();
            if (affected != 1)
                return ShopResult::failed(Error::AlreadyReturned, AlreadyReturnedText);
        } else if (!st.insert(QStringLiteral("Hareket"), values, &hareketId)) {
            return failed();
        }

        TKasa k;
        k.HareketID = hareketId;
        k.CDID = request.titleId;
        k.MusteriID = request.customerId;
        k.setIslem(request.discType + (rental ? QStringLiteral(" Rent") : QStringLiteral(" Sell")));
        k.Borc = figures->total;
        k.setTarih(request.start);
        k.Saat = QDateTime::currentDateTime();
        k.setAciklama(rental ? QStringLiteral("Rent / ") + in.filmAdi
                             : request.discType + QStringLiteral(" Sell / ") + in.filmAdi);
        int existing = 0;
        if (!s.readInt(LedgerRowCountSql, {{QStringLiteral("IDX"), hareketId}}, QStringLiteral("CounterX"), &existing))
            return s.failure();
        if (!s.exec(existing > 0 ? LedgerUpdateSql : LedgerInsertSql, ledgerParams(k)))
            return s.failure();

        // A new transaction takes its copy; a correction to another title
        // puts the first title's copy back and takes one of the new.
        if (previousTitle != request.titleId) {
            if (previousTitle > 0 && !s.exec(PutCopyBackSql, {{QStringLiteral("CDNo"), previousTitle}}))
                return s.failure();
            if (ShopResult r = takeCopy(s, TakeCopySql, QStringLiteral("CDNo"), request.titleId); !r.ok())
                return r;
        }
        if (booked)
            *booked = *figures;
        ShopResult done;
        done.id = hareketId;
        done.number = in.cdNo;
        return done;
    });
}

ShopResult ShopBook::returnRental(DataSet *row, const QString &customerName)
{
    if (!isEditing(row))
        return {};
    if (ShopResult r = checkConnection(row, m_connection); !r.ok())
        return r;

    return inOneWrite(m_connection, row, [&](Scratch &s) -> ShopResult {
        const int hareketId = row->value(QStringLiteral("ID")).toInt();
        const int durum = row->value(QStringLiteral("CDDurum")).toInt();
        // Whatever the clerk decided, it is stored only while the rental is
        // still open: a copy returned at another counter comes back once.
        int affected = 0;
        if (!s.exec(CloseRentalSql, {{QStringLiteral("Durum"), durum}, {QStringLiteral("IDX"), hareketId}}, &affected))
            return s.failure();
        if (affected != 1)
            return ShopResult::failed(Error::AlreadyReturned, AlreadyReturnedText);
        if (ShopResult r = postRow(row); !r.ok())
            return r;

        ShopResult done;
        done.id = hareketId;
        if (row->value(QStringLiteral("CDDurum")).toInt() != 1)
            return done;

        const int cdId = row->value(QStringLiteral("CdNo")).toInt();
        if (!s.exec(PutCopyBackSql, {{QStringLiteral("CDNo"), cdId}}))
            return s.failure();

        const bool collected = row->value(QStringLiteral("CezaDurum")).toInt() == 1;
        TKasa k;
        k.HareketID = hareketId;
        k.CDID = cdId;
        k.MusteriID = row->value(QStringLiteral("MusteriNo")).toInt();
        k.setIslem(QStringLiteral("Penalty for Delay"));
        if (collected)
            k.Borc = Money::fromVariant(row->value(QStringLiteral("CezaTutari")));
        k.setTarih(QDate::currentDate());
        k.Saat = QDateTime::currentDateTime();
        k.setAciklama(row->value(QStringLiteral("IslemTur")).toString() + QStringLiteral(" / Penalty for Delay / ")
                      + customerName);
        if (collected && k.Borc > Money() && !s.exec(PenaltyInsertSql, ledgerParams(k)))
            return s.failure();
        return done;
    });
}

ShopResult ShopBook::nextNumber(ShownNumber which)
{
    Scratch s(m_connection);
    ShopResult r;
    if (!largestPlusOne(s, which, &r.number))
        return s.failure();
    return r;
}

// ------------------------------------------------------- customers and titles

namespace {

const QString OpenRentalsOfCustomerSql = QStringLiteral(
    " Select Count(*) as CounterX from Hareket  Where MusteriNo=:IDX and IslemTur='Rent' and CDDurum=0 ");
const QString OpenRentalsOfTitleSql = QStringLiteral(
    " Select Count(*) as CounterX from Hareket  Where CdNo=:IDX and IslemTur='Rent' and CDDurum=0 ");

// Deleting a customer or a title that still has discs out would leave rentals
// nobody can take back: the row's open rentals are counted inside the write.
ShopResult deleteUnlessOut(const QString &connection, DataSet *ds, const QString &countSql,
                           const QString &refusal)
{
    if (ShopResult r = checkConnection(ds, connection); !r.ok())
        return r;
    if (!ds->isOpen() || ds->recNo() < 0 || ds->state() != DataSet::State::Browse)
        return ShopResult::failed(Error::Invalid, QStringLiteral("There is no row to delete."));
    const QVariant id = ds->value(QStringLiteral("ID"));
    bool removed = false;
    ShopResult result = inOneWrite(connection, nullptr, [&](Scratch &s) -> ShopResult {
        if (ShopResult r = backInList(ds, id, &removed); !r.ok())
            return r;
        int out = 0;
        if (!s.readInt(countSql, {{QStringLiteral("IDX"), id.toInt()}}, QStringLiteral("CounterX"), &out))
            return s.failure();
        if (out > 0) {
            ShopResult refused = ShopResult::failed(Error::OpenRentals, refusal.arg(out));
            refused.number = out;
            return refused;
        }
        if (!ds->remove())
            return ShopResult::failed(Error::Database, ds->lastError());
        removed = true;
        ShopResult done;
        done.id = id.toInt();
        return done;
    });
    if (!result.ok() && removed) {
        // The row left the list but stays in the database: it comes back.
        ds->requery();
        ds->locate(QStringLiteral("ID"), id);
    }
    return result;
}

} // namespace

ShopResult ShopBook::deleteCustomer(DataSet *musteri)
{
    return deleteUnlessOut(m_connection, musteri, OpenRentalsOfCustomerSql,
                           QStringLiteral("This customer still has %1 disc(s) out on rent. "
                                          "Take them back before deleting the customer."));
}

ShopResult ShopBook::deleteTitle(DataSet *cd)
{
    return deleteUnlessOut(m_connection, cd, OpenRentalsOfTitleSql,
                           QStringLiteral("%1 copy(ies) of this title are still out on rent. "
                                          "Take them back before deleting the title."));
}
