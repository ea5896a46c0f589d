#include "data/ShopBook.h"
#include "data/ShopBookWrite.h"

#include "data/Tariff.h"

#include "data/TariffCache.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <QDate>
#include <QDateTime>
#include <utility>

namespace {

using ShopBookWrite::inOneWrite;
using ShopBookWrite::StockRefusedText;
using ShopBookWrite::bookLedger;
using ShopBookWrite::queueLedger;
using ShopBookWrite::queueLedgerRowOf;
using ShopBookWrite::AmountIn;
using ShopBookWrite::AmountOut;
using Error = ShopResult::Error;

const QString AlreadyReturnedText = QStringLiteral(
    "This rental has been returned or removed at another counter; nothing was saved.");

const QString CountRentalSql = QStringLiteral(" Update CD Set  KiralamaSayi=KiralamaSayi+1  Where ID=:IDX ");
// A copy leaves the shelf only while there is one: the check and the change
// are one statement, so two counters cannot both take the last copy.
const QString TakeCopySql = QStringLiteral(" Update CD  Set Stok=Stok-1  where ID=:CDNo and Stok>0 ");
const QString PutCopyBackSql = QStringLiteral(" Update CD  Set Stok=Stok+1  where ID=:CDNo ");
// The ledger row a rental or sale booked, to be booked again when it is corrected.
const QString LedgerRowOfTransactionSql = QStringLiteral(" Select ID from Kasa  Where HareketID=:IDX Order by ID ");

ShopResult failure(const Statement &s)
{
    return ShopResult::failed(Error::Database, s.errorText());
}

ShopResult takeCopy(Statement &s, int titleId)
{
    int affected = 0;
    if (!s.exec(TakeCopySql, {{QStringLiteral("CDNo"), titleId}}, &affected))
        return failure(s);
    if (affected != 1)
        return ShopResult::failed(Error::StockRefused, StockRefusedText);
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

// ------------------------------------------------------------ the ledger

namespace ShopBookWrite {

int queueLedger(Statement &s, const TKasa &k, int amounts, int existing, const QVariant &hareketKey)
{
    SqlParams row = {{QStringLiteral("Islem"), k.Islem},
                     {QStringLiteral("Tarih"), k.Tarih},
                     {QStringLiteral("Saat"), k.Saat},
                     {QStringLiteral("Aciklama"), k.Aciklama}};
    if (hareketKey.isValid())
        row.append({QStringLiteral("HareketID"), hareketKey});
    else if (k.HareketID)
        row.append({QStringLiteral("HareketID"), *k.HareketID});
    if (k.CDID)
        row.append({QStringLiteral("CDID"), *k.CDID});
    if (k.MusteriID)
        row.append({QStringLiteral("MusteriID"), *k.MusteriID});
    if (amounts & AmountIn)
        row.append({QStringLiteral("Borc"), QVariant::fromValue(k.Borc)});
    if (amounts & AmountOut)
        row.append({QStringLiteral("Alacak"), QVariant::fromValue(k.Alacak)});
    return existing > 0 ? s.queueUpdate(QStringLiteral("Kasa"), existing, row) : s.queueInsert(QStringLiteral("Kasa"), row);
}

int queueLedgerRowOf(Statement &s, int hareketId)
{
    return s.queue(LedgerRowOfTransactionSql, {{QStringLiteral("IDX"), hareketId}});
}

bool bookLedger(Statement &s, const TKasa &k, int amounts, int *id, bool again)
{
    int existing = 0;
    if (again && k.HareketID && !s.readInt(LedgerRowOfTransactionSql, {{QStringLiteral("IDX"), *k.HareketID}}, &existing))
        return false;
    const int slot = queueLedger(s, k, amounts, existing);
    if (!s.send())
        return false;
    if (id)
        *id = existing > 0 ? existing : s.intOf(slot);
    return true;
}

} // namespace ShopBookWrite

// -------------------------------------------------------------------- ShopBook

ShopBook::ShopBook(const QString &connectionName) : m_connection(connectionName)
{
}

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

// The reads a rental is priced from, queued to go with whatever else the
// caller queues: on a server they all take one round trip.
struct RentReads
{
    int customer = -1, title = -1;
};

RentReads queueRentReads(Statement &st, const ShopBook::RentRequest &r)
{
    RentReads q;
    if (r.customerId > 0)
        q.customer = st.queue(CustomerForRentSql, {{QStringLiteral("ID"), r.customerId}});
    if (r.titleId > 0)
        q.title = st.queue(TitleForRentSql, {{QStringLiteral("ID"), r.titleId}});
    return q;
}

RentInputs rentInputs(const Statement &st, const ShopBook::RentRequest &r, const RentReads &q)
{
    RentInputs in;
    if (const auto &row = st.firstRow(q.customer)) {
        in.customerFound = true;
        in.membership = row->value(0).toInt();
        in.customerName = row->value(1).toString();
    }
    if (const auto &row = st.firstRow(q.title)) {
        in.titleFound = true;
        // A title's own price is for its own medium: while the clerk has
        // turned to another type, the title chosen before does not price it.
        if (row->value(3).toString() == r.discType)
            in.titlePrice = Money::fromVariant(row->value(0));
        in.cdNo = row->value(1).toInt();
        in.filmAdi = row->value(2).toString();
    }
    return in;
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
    const RentReads reads = queueRentReads(st, request);
    if (!st.send())
        return ShopResult::failed(Error::Database, st.errorText());
    const auto f = priced(request, rentInputs(st, request, reads));
    if (!f)
        return ShopResult::failed(Error::Invalid, QStringLiteral("The transaction cannot be priced."));
    *figures = *f;
    return {};
}

ShopResult ShopBook::rent(const RentRequest &request, RentFigures *booked)
{
    if (ShopResult r = refusedRequest(request); !r.ok())
        return r;
    const bool rental = request.process == QLatin1String("Rent");
    const bool correction = request.editId > 0;
    return inOneWrite(m_connection, [&](Statement &st) -> ShopResult {
        auto failed = [&st] { return failure(st); };
        // Everything the write decides on is read first, in one round trip
        // that also begins the write: the customer, the title, the row being
        // corrected and its ledger row, or the customer's discs out.
        const RentReads reads = queueRentReads(st, request);
        int corrected = -1, ledgerRow = -1, limitRead = -1, outRead = -1;
        if (correction) {
            corrected = st.queue(RowBeingCorrectedSql, {{QStringLiteral("ID"), request.editId}});
            ledgerRow = queueLedgerRowOf(st, request.editId);
        } else if (rental) {
            limitRead = st.queue(MaxDiscsOutSql);
            outRead = st.queue(DiscsOutSql, {{QStringLiteral("M"), request.customerId}});
        }
        if (!st.send())
            return failed();
        const RentInputs in = rentInputs(st, request, reads);
        if (!in.customerFound || !in.titleFound)
            return ShopResult::failed(Error::Invalid,
                                      in.customerFound ? QStringLiteral("The title is no longer in the catalogue; nothing was stored.")
                                                       : QStringLiteral("The customer is no longer in the register; nothing was stored."));
        const auto figures = priced(request, in);
        if (!figures)
            return ShopResult::failed(Error::Invalid, QStringLiteral("The transaction cannot be priced."));

        int previousTitle = 0;
        if (correction) {
            // A correction goes on only while the rental is still out.
            const auto &row = st.firstRow(corrected);
            if (!row || row->value(0).toInt() != 0 || row->value(1).toInt() == 1)
                return ShopResult::failed(Error::AlreadyReturned, AlreadyReturnedText);
            previousTitle = row->value(2).toInt();
        } else if (rental) {
            const int limit = st.intOf(limitRead), out = st.intOf(outRead);
            if (!Tariff::mayRentAnother(out, limit))
                return ShopResult::failed(Error::LimitReached,
                                          QStringLiteral("%1 has %2 discs out already; the shop rents at most %3 to one "
                                                         "customer at a time. Nothing was stored.")
                                              .arg(in.customerName)
                                              .arg(out)
                                              .arg(limit));
        }

        // Then every change, in a second round trip.
        if (rental)
            st.queue(CountRentalSql, {{QStringLiteral("IDX"), request.titleId}});
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
        const int written = correction ? st.queueUpdate(QStringLiteral("Hareket"), request.editId, values)
                                       : st.queueInsert(QStringLiteral("Hareket"), values);

        TKasa k;
        if (correction)
            k.HareketID = request.editId;
        k.CDID = request.titleId;
        k.MusteriID = request.customerId;
        k.setIslem(request.discType + (rental ? QStringLiteral(" Rent") : QStringLiteral(" Sell")));
        k.Borc = figures->total;
        k.setTarih(request.start);
        k.Saat = QDateTime::currentDateTime();
        k.setAciklama(rental ? QStringLiteral("Rent / ") + in.filmAdi
                             : request.discType + QStringLiteral(" Sell / ") + in.filmAdi);
        // A corrected rental is booked again in place, on the row it booked.
        queueLedger(st, k, AmountIn | AmountOut, correction ? st.intOf(ledgerRow) : 0,
                    correction ? QVariant() : Statement::keyOfNewRow(QStringLiteral("Hareket")));

        // A new transaction takes its copy; a correction to another title
        // puts the first title's copy back and takes one of the new.
        int taken = -1;
        if (previousTitle != request.titleId) {
            if (previousTitle > 0)
                st.queue(PutCopyBackSql, {{QStringLiteral("CDNo"), previousTitle}});
            taken = st.queue(TakeCopySql, {{QStringLiteral("CDNo"), request.titleId}});
        }
        if (!st.send())
            return failed();
        if (correction && st.rowsAffected(written) != 1)
            return ShopResult::failed(Error::AlreadyReturned, AlreadyReturnedText);
        if (taken >= 0 && st.rowsAffected(taken) != 1)
            return ShopResult::failed(Error::StockRefused, StockRefusedText);
        if (booked)
            *booked = *figures;
        ShopResult done;
        done.id = correction ? request.editId : st.intOf(written);
        done.number = in.cdNo;
        return done;
    });
}

namespace {

const QString RentalToReturnSql = QStringLiteral(
    " Select Hareket.KiraTarih, Hareket.KiralamaGun, Hareket.FilmTuru, Hareket.CDDurum, Hareket.CdNo, "
    "Hareket.MusteriNo, Hareket.IslemTur, Musteri.AdSoyad  from Hareket Left Join Musteri on Musteri.ID = "
    "Hareket.MusteriNo  where Hareket.ID=:ID ");
const QString StoreReturnSql = QStringLiteral(
    " Update Hareket  Set CDDurum=:Durum, TeslimTarih=:Teslim, CezaGunSayi=:Gun, CezaDurum=:CezaDurum, "
    "CezaTutari=:Tutar  Where ID=:IDX and CDDurum=0 ");

} // namespace

ShopResult ShopBook::quote(int hareketId, QDate returnDate, Tariff::LateReturn *late)
{
    Statement st(m_connection);
    std::optional<QVariantList> row;
    if (!st.readRow(RentalToReturnSql, {{QStringLiteral("ID"), hareketId}}, &row))
        return ShopResult::failed(Error::Database, st.errorText());
    if (!row)
        return ShopResult::failed(Error::AlreadyReturned, AlreadyReturnedText);
    // The due date is worked out anew from the rent date, the days and the
    // tariff of today, not read from the stored due date.
    *late = Tariff::lateReturn(TariffCache::instance(), row->value(0).toDateTime().date(), row->value(1).toInt(),
                               row->value(2).toString(), returnDate);
    return {};
}

ShopResult ShopBook::returnRental(const ReturnRequest &r)
{
    if (r.returned && !r.returnDate.isValid())
        return ShopResult::failed(Error::Invalid, QStringLiteral("A returned disc needs its return date; nothing was stored."));
    return inOneWrite(m_connection, [&](Statement &st) -> ShopResult {
        std::optional<QVariantList> row;
        if (!st.readRow(RentalToReturnSql, {{QStringLiteral("ID"), r.hareketId}}, &row))
            return ShopResult::failed(Error::Database, st.errorText());
        // Whatever the clerk decided, it is stored only while the rental is
        // still open: a copy returned at another counter comes back once.
        if (!row || row->value(3).toInt() != 0)
            return ShopResult::failed(Error::AlreadyReturned, AlreadyReturnedText);
        // The change goes in one round trip: the row, the copy back on the
        // shelf, the penalty in the ledger.
        const QVariant teslim = r.returned ? QVariant(QDateTime(r.returnDate, QTime(0, 0))) : QVariant();
        const int stored = st.queue(StoreReturnSql,
                                    {{QStringLiteral("Durum"), r.returned ? 1 : 0},
                                     {QStringLiteral("Teslim"), teslim},
                                     {QStringLiteral("Gun"), r.lateDays ? QVariant(*r.lateDays) : QVariant(QMetaType::fromType<int>())},
                                     {QStringLiteral("CezaDurum"), r.penaltyCollected ? 1 : 0},
                                     {QStringLiteral("Tutar"), r.penalty ? QVariant::fromValue(*r.penalty) : QVariant(QMetaType::fromType<Money>())},
                                     {QStringLiteral("IDX"), r.hareketId}});
        if (r.returned) {
            const int cdId = row->value(4).toInt();
            st.queue(PutCopyBackSql, {{QStringLiteral("CDNo"), cdId}});
            TKasa k;
            k.HareketID = r.hareketId;
            k.CDID = cdId;
            k.MusteriID = row->value(5).toInt();
            k.setIslem(QStringLiteral("Penalty for Delay"));
            if (r.penaltyCollected && r.penalty)
                k.Borc = *r.penalty;
            k.setTarih(QDate::currentDate());
            k.Saat = QDateTime::currentDateTime();
            k.setAciklama(row->value(6).toString() + QStringLiteral(" / Penalty for Delay / ")
                          + (r.customerName.isEmpty() ? row->value(7).toString() : r.customerName));
            if (r.penaltyCollected && k.Borc > Money())
                queueLedger(st, k, AmountIn | AmountOut);
        }
        if (!st.send())
            return failure(st);
        // The row was read open under the write's lock; a change that still
        // finds it closed was made by a writer that took no lock.
        if (st.rowsAffected(stored) != 1)
            return ShopResult::failed(Error::AlreadyReturned, AlreadyReturnedText);
        ShopResult done;
        done.id = r.hareketId;
        return done;
    });
}

// ------------------------------------------------------- customers and titles

namespace {

const QString OpenRentalsOfCustomerSql = QStringLiteral(
    " Select Count(*) as CounterX from Hareket  Where MusteriNo=:IDX and IslemTur='Rent' and CDDurum=0 ");
const QString OpenRentalsOfTitleSql = QStringLiteral(
    " Select Count(*) as CounterX from Hareket  Where CdNo=:IDX and IslemTur='Rent' and CDDurum=0 ");
const QString DeleteCustomerSql = QStringLiteral(" Delete from Musteri Where ID=:IDX ");
const QString DeleteTitleSql = QStringLiteral(" Delete from CD Where ID=:IDX ");

// Deleting a customer or a title that still has discs out would leave rentals
// nobody can take back: the row's open rentals are counted inside the write.
ShopResult deleteUnlessOut(const QString &connection, int id, const QString &table, const QString &countSql,
                           const QString &refusal)
{
    return inOneWrite(connection, [&](Statement &s) -> ShopResult {
        auto failed = [&s] { return ShopResult::failed(Error::Database, s.errorText()); };
        int out = 0;
        if (!s.readInt(countSql, {{QStringLiteral("IDX"), id}}, &out))
            return failed();
        if (out > 0) {
            ShopResult refused = ShopResult::failed(Error::OpenRentals, refusal.arg(out));
            refused.number = out;
            return refused;
        }
        int affected = 0;
        if (!s.exec(table == QLatin1String("Musteri") ? DeleteCustomerSql : DeleteTitleSql, {{QStringLiteral("IDX"), id}},
                    &affected))
            return failed();
        if (affected != 1)
            return ShopResult::failed(Error::Invalid, QStringLiteral("The row to delete is no longer there."));
        ShopResult done;
        done.id = id;
        return done;
    });
}

} // namespace

ShopResult ShopBook::deleteCustomer(int id)
{
    return deleteUnlessOut(m_connection, id, QStringLiteral("Musteri"), OpenRentalsOfCustomerSql,
                           QStringLiteral("This customer still has %1 disc(s) out on rent. "
                                          "Take them back before deleting the customer."));
}

ShopResult ShopBook::deleteTitle(int id)
{
    return deleteUnlessOut(m_connection, id, QStringLiteral("CD"), OpenRentalsOfTitleSql,
                           QStringLiteral("%1 copy(ies) of this title are still out on rent. "
                                          "Take them back before deleting the title."));
}
