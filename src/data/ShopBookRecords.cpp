// The engine's exchange, titles, customers and manual ledger entries: each a
// plain request, worked out and written in one transaction.
#include "data/Kasa.h"
#include "data/Session.h"
#include "data/ShopBook.h"
#include "data/ShopBookWrite.h"
#include "data/Tariff.h"
#include "data/TariffCache.h"
#include "db/Schema.h"
#include "db/Statement.h"

#include <QDateTime>

namespace {

using ShopBookWrite::inOneWrite;
using ShopBookWrite::bookLedger;
using ShopBookWrite::AmountIn;
using ShopBookWrite::AmountOut;
using Error = ShopResult::Error;

const QString DeletedMeanwhileText = QStringLiteral("The row was deleted by another user; it was not saved.");
const QString NoDateText = QStringLiteral("A cash box entry needs a valid transaction date; nothing was stored.");

// A copy leaves the shelf only while there is one: the check and the change
// are one statement, so two counters cannot both give out the last copy.
const QString GiveOutSql = QStringLiteral(" Update CD  Set Stok=Stok-1  where ID=:IDX and Stok>0 ");
const QString GivenNameSql = QStringLiteral(" Select FilmAdi from CD where ID=:IDX ");

// Manual entries: the audit of corrections and deletions.
const char *const LedgerColumns[] = {"HareketID", "Borc", "Alacak", "BorcUSD", "AlacakUSD", "BorcEuro", "AlacakEuro",
                                     "MusteriID", "Islem", "CDID", "Saat", "Tarih", "Aciklama"};
const QString LedgerRowSql = QStringLiteral(
    " Select HareketID, Borc, Alacak, BorcUSD, AlacakUSD, BorcEuro, AlacakEuro, MusteriID, Islem, CDID, Saat, Tarih, "
    "Aciklama from Kasa Where ID=:KasaID ");

// The numbers shown to the shop: whether one is taken, and the largest.
struct ShownNumber
{
    QString table, column, takenSql, largestSql;
};
const ShownNumber CDNumber = {QStringLiteral("CD"), QStringLiteral("CDNo"),
                              QStringLiteral(" Select Count(*) from CD where CDNo=:No "),
                              QStringLiteral(" Select Max(CDNo) from CD ")};
const ShownNumber CustomerNumber = {QStringLiteral("Musteri"), QStringLiteral("MusteriNo"),
                                    QStringLiteral(" Select Count(*) from Musteri where MusteriNo=:No "),
                                    QStringLiteral(" Select Max(MusteriNo) from Musteri ")};

template <class T>
QVariant orNull(const std::optional<T> &v)
{
    return v ? QVariant::fromValue(*v) : QVariant();
}

QVariant wholeDay(const QDate &day)
{
    return day.isValid() ? QVariant(QDateTime(day, QTime(0, 0))) : QVariant();
}

ShopResult failure(const Statement &s)
{
    return ShopResult::failed(Error::Database, s.errorText());
}

// A text longer than its column is refused before anything is written, in
// words the counter understands rather than the database's.
ShopResult textsFit(const QString &table, const SqlParams &values)
{
    for (const auto &[name, value] : values) {
        const ColumnDef *def = Schema::column(table, name);
        if (!def || def->type != ColumnType::Text || def->size <= 0 || value.isNull())
            continue;
        const QString text = value.toString();
        const qsizetype length =
            text.size() - std::count_if(text.begin(), text.end(), [](QChar c) { return c.isLowSurrogate(); });
        if (length > def->size)
            return ShopResult::failed(Error::Invalid,
                                      QStringLiteral("%1 holds at most %2 characters; the text typed has %3. "
                                                     "Nothing was saved.")
                                          .arg(name)
                                          .arg(def->size)
                                          .arg(length));
    }
    return {};
}

// Inside a write: the number proposed stays unless another counter took it
// meanwhile (or none was proposed); then the largest plus one.
bool claimNumber(Statement &s, const ShownNumber &shown, int proposed, int *number)
{
    int taken = 1;
    if (proposed > 0 && !s.readInt(shown.takenSql, {{QStringLiteral("No"), proposed}}, &taken))
        return false;
    *number = proposed;
    if (taken == 0)
        return true;
    int largest = 0;
    if (!s.readInt(shown.largestSql, {}, &largest))
        return false;
    *number = largest + 1;
    return true;
}

// Inserts the row (its shown number claimed first) or updates it by ID.
ShopResult storeRow(Statement &s, const ShownNumber &shown, int id, int proposed, SqlParams values, int *storedId,
                    int *number)
{
    *number = proposed;
    if (id == 0) {
        if (!claimNumber(s, shown, proposed, number))
            return failure(s);
        values.prepend({shown.column, *number});
        if (!s.insert(shown.table, values, storedId))
            return failure(s);
        return {};
    }
    values.prepend({shown.column, proposed});
    int affected = 0;
    if (!s.update(shown.table, id, values, &affected))
        return failure(s);
    if (affected != 1)
        return ShopResult::failed(Error::Database, DeletedMeanwhileText);
    *storedId = id;
    return {};
}

// Keeps the ledger row as it is in the database, with who changes it and
// when, before it is corrected or deleted. A row already gone leaves no trace.
bool auditLedgerRow(Statement &s, int kasaId, const QString &change)
{
    QStringList columns;
    for (const char *c : LedgerColumns)
        columns << QLatin1StringView(c);
    std::optional<QVariantList> old;
    if (!s.readRow(LedgerRowSql, {{QStringLiteral("KasaID"), kasaId}}, &old))
        return false;
    if (!old)
        return true;
    SqlParams audit = {
        {QStringLiteral("KasaID"), kasaId},
        {QStringLiteral("Degisiklik"), change},
        {QStringLiteral("Kullanici"), Session::currentUser()},
        {QStringLiteral("DegisimZamani"), QDateTime::currentDateTime()},
    };
    for (int i = 0; i < columns.size(); ++i)
        audit.append({columns[i], old->value(i)});
    int id = 0;
    return s.insert(QStringLiteral("KasaLog"), audit, &id);
}

} // namespace

// -------------------------------------------------------------------- exchange

ShopResult ShopBook::quote(const ExchangeRequest &request, Money *fee)
{
    const auto worked = Tariff::exchangeFee(TariffCache::instance(), request.discType);
    if (!worked)
        return ShopResult::failed(Error::Invalid, QStringLiteral("The tariff has no exchange fee for '%1' discs; "
                                                                 "nothing was stored.")
                                                      .arg(request.discType));
    *fee = *worked;
    return {};
}

ShopResult ShopBook::exchange(const ExchangeRequest &r)
{
    Money fee;
    if (ShopResult q = quote(r, &fee); !q.ok())
        return q;
    const SqlParams title = {
        {QStringLiteral("CDTur"), r.discType},
        {QStringLiteral("FilmAdi"), r.filmName},
        {QStringLiteral("KonuTur"), r.filmType},
        {QStringLiteral("FilmSirketi"), r.filmCompany},
        {QStringLiteral("Yonetmen"), r.director},
        {QStringLiteral("Oyuncu"), r.actor},
        {QStringLiteral("MaliyetFiyat"), QVariant::fromValue(r.costPrice)},
        {QStringLiteral("SatisFiyat"), QVariant::fromValue(r.salePrice)},
        {QStringLiteral("Stok"), 1},
        {QStringLiteral("KutuIcerik"), r.discCount},
    };
    if (ShopResult fits = textsFit(QStringLiteral("CD"), title); !fits.ok())
        return fits;

    return inOneWrite(m_connection, [&](Statement &s) -> ShopResult {
        ShopResult done;
        if (ShopResult stored = storeRow(s, CDNumber, 0, r.cdNo, title, &done.id,
                                         &done.number);
            !stored.ok())
            return stored;
        int affected = 0;
        if (!s.exec(GiveOutSql, {{QStringLiteral("IDX"), r.givenTitleId}}, &affected))
            return failure(s);
        if (affected != 1)
            return ShopResult::failed(Error::StockRefused, ShopBookWrite::StockRefusedText);
        std::optional<QVariantList> given;
        if (!s.readRow(GivenNameSql, {{QStringLiteral("IDX"), r.givenTitleId}}, &given))
            return failure(s);

        TKasa k;
        k.setIslem(QStringLiteral("Exchange"));
        k.Borc = fee;
        k.setTarih(QDate::currentDate());
        k.Saat = QDateTime::currentDateTime();
        k.setAciklama(QStringLiteral("Takas / ") + r.filmName + QStringLiteral(" / ")
                      + (given ? given->value(0).toString() : QString()));
        if (!bookLedger(s, k, AmountIn, nullptr))
            return failure(s);
        return done;
    });
}

// ------------------------------------------------------ manual ledger entries

ShopResult ShopBook::saveLedgerEntry(const LedgerEntryRequest &r)
{
    if (!r.date.isValid())
        return ShopResult::failed(Error::Invalid, NoDateText);
    if (ShopResult fits = textsFit(QStringLiteral("Kasa"), {{QStringLiteral("Aciklama"), r.description}}); !fits.ok())
        return fits;

    return inOneWrite(m_connection, [&](Statement &s) -> ShopResult {
        ShopResult done;
        const QDateTime now = QDateTime::currentDateTime();
        if (r.kasaId == 0) {
            TKasa k;
            k.Islem = QStringLiteral("Other");
            k.setTarih(r.date);
            k.Saat = now;
            k.Aciklama = r.description;
            k.Borc = r.amountIn.value_or(Money());
            k.Alacak = r.amountOut.value_or(Money());
            if (!bookLedger(s, k, (r.amountIn ? AmountIn : 0) | (r.amountOut ? AmountOut : 0), &done.id))
                return failure(s);
            return done;
        }
        // A correction keeps the kind of movement it corrects.
        if (!auditLedgerRow(s, r.kasaId, QStringLiteral("Correction")))
            return failure(s);
        int affected = 0;
        if (!s.update(QStringLiteral("Kasa"), r.kasaId,
                      {{QStringLiteral("Tarih"), wholeDay(r.date)},
                       {QStringLiteral("Borc"), orNull(r.amountIn)},
                       {QStringLiteral("Alacak"), orNull(r.amountOut)},
                       {QStringLiteral("Aciklama"), r.description},
                       {QStringLiteral("Saat"), now}},
                      &affected))
            return failure(s);
        if (affected != 1)
            return ShopResult::failed(Error::Database, DeletedMeanwhileText);
        done.id = r.kasaId;
        return done;
    });
}

ShopResult ShopBook::deleteLedgerEntry(int kasaId)
{
    if (kasaId <= 0)
        return ShopResult::failed(Error::Invalid, QStringLiteral("There is no ledger row to delete."));
    return inOneWrite(m_connection, [&](Statement &s) -> ShopResult {
        if (!auditLedgerRow(s, kasaId, QStringLiteral("Deletion")))
            return failure(s);
        if (!s.exec(QStringLiteral(" Delete from Kasa Where ID=:KasaID "), {{QStringLiteral("KasaID"), kasaId}}))
            return failure(s);
        ShopResult done;
        done.id = kasaId;
        return done;
    });
}

// ---------------------------------------------------------- titles, customers

ShopResult ShopBook::saveTitle(const TitleRequest &r)
{
    const SqlParams values = {
        {QStringLiteral("CDTur"), r.discType},         {QStringLiteral("Barkod"), r.barcode},
        {QStringLiteral("FilmAdi"), r.filmName},       {QStringLiteral("FilmSirketi"), r.filmCompany},
        {QStringLiteral("DagiticiFirma"), r.distributor}, {QStringLiteral("Oyuncu"), r.actor},
        {QStringLiteral("YapimYili"), orNull(r.year)}, {QStringLiteral("KonuTur"), r.filmType},
        {QStringLiteral("Dublaj"), r.dubbing},         {QStringLiteral("FilmSure"), orNull(r.minutes)},
        {QStringLiteral("KutuIcerik"), orNull(r.discCount)}, {QStringLiteral("Stok"), orNull(r.stock)},
        {QStringLiteral("Yonetmen"), r.director},      {QStringLiteral("FilmKonu"), r.plot},
        {QStringLiteral("MaliyetFiyat"), orNull(r.costPrice)}, {QStringLiteral("SatisFiyat"), orNull(r.salePrice)},
        {QStringLiteral("CDFaturaNo"), r.invoiceNo},   {QStringLiteral("Aciklama"), r.note},
    };
    if (ShopResult fits = textsFit(QStringLiteral("CD"), values); !fits.ok())
        return fits;

    return inOneWrite(m_connection, [&](Statement &s) -> ShopResult {
        ShopResult done;
        // Another counter may have taken the proposed number since the list
        // offered it.
        if (ShopResult stored = storeRow(s, CDNumber, r.id, r.cdNo, values,
                                         &done.id, &done.number);
            !stored.ok())
            return stored;
        // Changing a title never touches the cash box.
        if (r.id == 0 && r.bookPurchase) {
            TKasa k;
            k.CDID = done.number; // the purchase names the title by its shown number
            k.setIslem(QStringLiteral("Buying CD"));
            k.Alacak = r.costPrice.value_or(Money()) * qint64(r.stock.value_or(0));
            k.setTarih(QDate::currentDate());
            k.Saat = QDateTime::currentDateTime();
            k.setAciklama(QStringLiteral("Buying CD / ") + r.filmName);
            if (!bookLedger(s, k, AmountOut, nullptr))
                return failure(s);
        }
        return done;
    });
}

ShopResult ShopBook::saveCustomer(const CustomerRequest &r)
{
    const SqlParams values = {
        {QStringLiteral("AdSoyad"), r.name},
        {QStringLiteral("CepTelefon"), r.gsmPhone},
        {QStringLiteral("IsTelefon"), r.officePhone},
        {QStringLiteral("EvTelefon"), r.homePhone},
        {QStringLiteral("EMail"), r.email},
        {QStringLiteral("Adres"), r.address},
        {QStringLiteral("UyelikDurum"), orNull(r.membership)},
        {QStringLiteral("UyelikBasTarih"), wholeDay(r.memberSince)},
        {QStringLiteral("Depozito"), orNull(r.deposit)},
        {QStringLiteral("Resim"), r.photo.isEmpty() ? QVariant() : QVariant(r.photo)},
    };
    if (ShopResult fits = textsFit(QStringLiteral("Musteri"), values); !fits.ok())
        return fits;

    return inOneWrite(m_connection, [&](Statement &s) -> ShopResult {
        ShopResult done;
        if (ShopResult stored = storeRow(s, CustomerNumber, r.id, r.musteriNo,
                                         values, &done.id, &done.number);
            !stored.ok())
            return stored;
        if (r.bookDeposit) {
            TKasa k; // a deposit concerns no disc
            k.setIslem(QStringLiteral("Other"));
            k.Borc = r.deposit.value_or(Money());
            k.setTarih(QDate::currentDate());
            k.Saat = QDateTime::currentDateTime();
            k.setAciklama(QStringLiteral("Deposit / ") + r.name);
            if (!bookLedger(s, k, AmountIn, nullptr))
                return failure(s);
        }
        return done;
    });
}

// ------------------------------------------------------------ shown numbers

ShopResult ShopBook::nextNumber(ShownNumber which)
{
    Statement s(m_connection);
    ShopResult r;
    int largest = 0;
    if (!s.readInt((which == ShownNumber::MusteriNo ? CustomerNumber : CDNumber).largestSql, {}, &largest))
        return ShopResult::failed(ShopResult::Error::Database, s.errorText());
    r.number = largest + 1;
    return r;
}
