#include "data/ShopBook.h"
#include "data/ShopBookWrite.h"

#include "data/Tariff.h"

#include "components/DataSet.h"
#include "data/Session.h"

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
const QString PutPreviousCopyBackSql = QStringLiteral(" Update CD  Set Stok = Stok + 1  Where CDNo=:CD ");
// An edit goes on only while the row is as it was when the edit began.
const QString StillOpenForEditSql = QStringLiteral(
    " Update Hareket  Set CDDurum=CDDurum  Where ID=:IDX and CDDurum=:Durum ");

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

ShopResult ShopBook::postTransaction(DataSet *h, const PostingState &state, const ChosenTitle &title)
{
    if (!isEditing(h))
        return {};
    if (ShopResult r = checkConnection(h, m_connection); !r.ok())
        return r;
    if (h->value(QStringLiteral("CdNo")).toInt() != title.id)
        return ShopResult::failed(Error::Invalid, QStringLiteral("The chosen title is not the transaction's title."));
    // A negative count would make the return charge for days before the
    // rent; a huge one froze the due-date count and stored year 9999.
    if (const int days = h->value(QStringLiteral("KiralamaGun")).toInt();
        days < 0 || days > Tariff::MaxRentalDays)
        return ShopResult::failed(Error::Invalid, QStringLiteral("The number of rented days must be between 0 and %1; "
                                                                 "nothing was stored.")
                                                      .arg(Tariff::MaxRentalDays));

    return inOneWrite(m_connection, h, [&](Scratch &s) -> ShopResult {
        const bool inserting = h->state() == DataSet::State::Insert;
        const bool isNew = state.isNewTransaction || inserting;
        const bool rental = h->value(QStringLiteral("IslemTur")).toString() == QLatin1String("Rent");
        if (!inserting) {
            int affected = 0;
            if (!s.exec(StillOpenForEditSql,
                        {{QStringLiteral("IDX"), h->value(QStringLiteral("ID")).toInt()},
                         {QStringLiteral("Durum"), state.editStartCDDurum}},
                        &affected))
                return s.failure();
            if (affected != 1)
                return ShopResult::failed(Error::AlreadyReturned, AlreadyReturnedText);
        }
        if (rental && !s.exec(CountRentalSql, {{QStringLiteral("IDX"), title.id}}))
            return s.failure();

        h->setValue(QStringLiteral("IslemTarih"), QDateTime::currentDateTime());
        h->setValue(QStringLiteral("Kayit"), rental ? 0 : 1);
        if (ShopResult r = postRow(h); !r.ok())
            return r;

        // From here on, the row as stored.
        const int hareketId = h->value(QStringLiteral("ID")).toInt();
        const int cdId = h->value(QStringLiteral("CdNo")).toInt();
        const QString medium = h->value(QStringLiteral("FilmTuru")).toString();
        const int cdDurum = h->value(QStringLiteral("CDDurum")).toInt();

        TKasa k;
        k.HareketID = hareketId;
        k.CDID = cdId;
        k.MusteriID = h->value(QStringLiteral("MusteriNo")).toInt();
        k.setIslem(medium + (rental ? QStringLiteral(" Rent") : QStringLiteral(" Sell")));
        k.Borc = Money::fromVariant(h->value(QStringLiteral("TopTutar")));
        k.setTarih(h->value(QStringLiteral("KiraTarih")).toDateTime().date());
        k.Saat = QDateTime::currentDateTime();
        k.setAciklama(rental ? QStringLiteral("Rent / ") + title.filmAdi
                             : medium + QStringLiteral(" Sell / ") + title.filmAdi);
        int existing = 0;
        if (!s.readInt(LedgerRowCountSql, {{QStringLiteral("IDX"), hareketId}}, QStringLiteral("CounterX"), &existing))
            return s.failure();
        if (!s.exec(existing > 0 ? LedgerUpdateSql : LedgerInsertSql, ledgerParams(k)))
            return s.failure();

        const bool titleChanged = title.cdNo != state.editStartCDNo;
        if (titleChanged && !isNew && !s.exec(PutPreviousCopyBackSql, {{QStringLiteral("CD"), state.editStartCDNo}}))
            return s.failure();
        if (!titleChanged && cdDurum == state.editStartCDDurum && !isNew) {
            // the same copy stays out: no stock moves
        } else if (cdDurum == 0) {
            if (ShopResult r = takeCopy(s, TakeCopySql, QStringLiteral("CDNo"), cdId); !r.ok())
                return r;
        } else if (cdDurum == 1 && !s.exec(PutCopyBackSql, {{QStringLiteral("CDNo"), cdId}})) {
            return s.failure();
        }
        ShopResult done;
        done.id = hareketId;
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
