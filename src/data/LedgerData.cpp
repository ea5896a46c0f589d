#include "data/LedgerData.h"

#include "components/DataSet.h"

#include <QDateTime>
#include <limits>

namespace {

const QString LedgerSelect = QStringLiteral(" Select * from Kasa ");
const QString PeriodCondition = QStringLiteral(" Where Tarih Between :T1 and :T2 ");

QString kindCondition(LedgerKind kind)
{
    switch (kind) {
    case LedgerKind::RentAndSell:
        return QStringLiteral(" and Islem in ('DVD Rent', 'VCD Rent', 'DVD Sell', 'VCD Sell') ");
    case LedgerKind::Penalty:
        return QStringLiteral(" and Islem='Penalty for Delay' ");
    case LedgerKind::Other:
        return QStringLiteral(" and Islem='Other' ");
    default:
        return QString();
    }
}

// The last day is taken whole: a value written with a time of day on that
// day is inside the period too.
QDateTime endOf(const QDate &day)
{
    return QDateTime(day, QTime(23, 59, 59));
}

void bindPeriod(DataSet *ds, const QDate &first, const QDate &last, const QString &a = QStringLiteral("T1"),
                const QString &b = QStringLiteral("T2"))
{
    ds->setParameter(a, first);
    ds->setParameter(b, endOf(last));
}

bool openPeriod(DataSet *ds, const QString &sql, const LedgerPeriod &p)
{
    ds->close();
    ds->setSql(sql);
    bindPeriod(ds, p.first, p.last);
    return ds->open();
}

Money moneyOf(const QVariant &v)
{
    return v.isNull() ? Money() : v.value<Money>();
}

} // namespace

namespace LedgerData {

bool showPeriod(DataSet *kasa, const LedgerPeriod &period)
{
    // The period's rows lie between the first and the last ID its days hold:
    // the list walks that stretch of the ledger backwards and shows its first
    // rows at once, instead of sorting a year of movements first. The bounds
    // are read again at each re-query, so a row stored meanwhile shows.
    return openPeriod(kasa,
                      LedgerSelect + PeriodCondition + kindCondition(period.kind)
                          + QStringLiteral(" and ID >= (Select Min(IlkID) From KasaGun ") + PeriodCondition
                          + kindCondition(period.kind) + QStringLiteral(") and ID <= (Select Max(SonID) From KasaGun ")
                          + PeriodCondition + kindCondition(period.kind) + QStringLiteral(")  Order By ID Desc"),
                      period);
}

std::optional<LedgerTotals> totals(DataSet *temp, const LedgerPeriod &period, QString *error)
{
    // The balance is computed from the two sums: a period whose rows leave one
    // amount empty still has a balance.
    // Summed from the ledger's day sums: the same figures as summing every
    // row of the period, a few rows a day to read.
    const QString sql = QStringLiteral(" Select Sum(Alacak) as TopAlacak, Sum(Borc) as TopBorc  From KasaGun ") + PeriodCondition
                        + kindCondition(period.kind);
    temp->close();
    temp->setSql(sql);
    temp->setFieldType(QStringLiteral("TopAlacak"), ColumnType::Currency);
    temp->setFieldType(QStringLiteral("TopBorc"), ColumnType::Currency);
    bindPeriod(temp, period.first, period.last);
    if (!temp->open()) {
        if (error)
            *error = temp->lastError();
        return std::nullopt;
    }
    LedgerTotals t;
    t.income = moneyOf(temp->value(QStringLiteral("TopBorc")));
    t.expenses = moneyOf(temp->value(QStringLiteral("TopAlacak")));
    t.balance = t.income - t.expenses;
    temp->close();
    return t;
}

bool prepareReport(DataSet *reportData, const LedgerPeriod &period)
{
    return openPeriod(reportData, LedgerSelect + PeriodCondition + kindCondition(period.kind), period);
}

bool prepareRentingStatistics(DataSet *reportData, const QDate &first, const QDate &last, const QString &medium)
{
    QString where = QStringLiteral(" Where IslemTur='Rent' and KiraTarih Between :T1 and :T2 ");
    const bool oneMedium = !medium.trimmed().isEmpty();
    if (oneMedium)
        where += QStringLiteral(" and FilmTuru=:CDTur ");
    reportData->close();
    reportData->setSql(QStringLiteral(" Select Count(*) as CounterX, CD.FilmAdi, FilmTuru,  CD.Konutur from hareket  "
                                      "Inner Join CD CD  on CD.ID=Hareket.CDNO ")
                       + where + QStringLiteral(" Group by FilmAdi, FilmTuru, CD.KonuTur ")
                       + QStringLiteral(" Order by 1 Desc, FilmAdi, FilmTuru "));
    if (oneMedium)
        reportData->setParameter(QStringLiteral("CDTur"), medium);
    bindPeriod(reportData, first, last);
    return reportData->open();
}

} // namespace LedgerData

// ------------------------------------------------------------------ charts

namespace {

// A period's rentals counted per title (per customer) first, from the index
// alone; the titles' (customers') rows are then read once each instead of once
// a rental. The counts are those of joining every rental.
const QString RentalsPerTitle = QStringLiteral(
    " (Select CdNo, Count(*) as Sayi From Hareket Where KiraTarih Between :T1 and :T2 Group by CdNo) H ");
const QString RentalsPerCustomer = QStringLiteral(
    " (Select MusteriNo, Count(*) as Sayi From Hareket Where KiraTarih Between :T1 and :T2 Group by MusteriNo) H ");

// A ranking is read only as far as the row after its last bar (which tells
// that more rows follow; their number comes with every row): the database
// keeps the few highest instead of sorting every row. The order has no ties,
// so the rows are those of the whole sorted list.
const QString RankingLimit = QStringLiteral(" Limit :RankingRows ");

} // namespace

TGrafikData::TGrafikData(QObject *parent) : QObject(parent)
{
    KasaGrafik = new DataSet(QStringLiteral("KasaGrafik"), this);
    KasaGrafik2 = new DataSet(QStringLiteral("KasaGrafik2"), this);
}

std::optional<QList<TGrafikData::Day>> TGrafikData::dailyTotals(const QDate &first, const QDate &last)
{
    // An empty amount counts as zero: a row with money in only still adds to
    // the day's turnover.
    DataSet *q = KasaGrafik;
    q->close();
    q->setSql(QStringLiteral(" Select Tarih,  Sum(BORC+ALACAK) as Ciro,  Sum(BORC) as BorcTop,  "
                             "Sum(ALACAK) as AlacakTop  From KasaGun  Where Tarih Between :T1 and :T2  Group by Tarih "
                             " Order by Tarih "));
    for (const char *f : {"Ciro", "BorcTop", "AlacakTop"})
        q->setFieldType(QLatin1StringView(f), ColumnType::Currency);
    q->setFetchAll(true);
    bindPeriod(q, first, last);
    if (!q->open()) {
        m_error = q->lastError();
        return std::nullopt;
    }
    QList<Day> days;
    const int tarih = q->fieldIndex(QStringLiteral("Tarih")), ciro = q->fieldIndex(QStringLiteral("Ciro")),
              borc = q->fieldIndex(QStringLiteral("BorcTop")), alacak = q->fieldIndex(QStringLiteral("AlacakTop"));
    for (int r = 0; r < q->fetchedCount(); ++r) {
        days.append({q->valueAt(r, tarih).toDateTime().date(), moneyOf(q->valueAt(r, ciro)),
                     moneyOf(q->valueAt(r, borc)), moneyOf(q->valueAt(r, alacak))});
    }
    q->close();
    return days;
}

std::optional<QList<TGrafikData::Slice>> TGrafikData::incomeByKind(const QDate &first, const QDate &last)
{
    // Income without an expense part: an empty expense is no expense.
    // (GelirBorc holds the day's sum of exactly those rows.)
    return slices(QStringLiteral(" Select Islem,  Sum(GelirBorc) as BorcTop  From KasaGun  Where GelirBorc>0 "
                                 "and Tarih Between :T1 And :T2 Group by Islem  Order by Islem "),
                  first, last, QStringLiteral("Islem"), QStringLiteral("BorcTop"), -1, nullptr);
}

std::optional<QList<TGrafikData::Slice>> TGrafikData::rentalsByGenre(const QDate &first, const QDate &last)
{
    return slices(QStringLiteral(" Select CD.KonuTur, Sum(H.Sayi) as ToplamSayi  From ") + RentalsPerTitle
                      + QStringLiteral(" Inner Join CD  on CD.ID=H.CdNo  Where CD.KonuTur is not null "
                                       " Group by CD.KonuTur  Order by CD.KonuTur "),
                  first, last, QStringLiteral("KonuTur"), QStringLiteral("ToplamSayi"), -1, nullptr);
}

std::optional<TGrafikData::Ranking> TGrafikData::rentalsByFilm(const QDate &first, const QDate &last, int limit)
{
    Ranking r;
    auto rows = slices(QStringLiteral(" Select CD.KonuTur, CD.FilmAdi, Sum(H.Sayi) as ToplamSayi, Count(*) Over () as SiraSayisi  From ") + RentalsPerTitle
                           + QStringLiteral(" Inner Join CD  on CD.ID=H.CdNo  Where CD.KonuTur is not null "
                                            " Group by CD.KonuTur, CD.FilmAdi  Order by Sum(H.Sayi) Desc, CD.FilmAdi, CD.KonuTur ")
                           + RankingLimit,
                       first, last, QStringLiteral("FilmAdi"), QStringLiteral("ToplamSayi"), limit, &r.allRows);
    if (!rows)
        return std::nullopt;
    r.rows = *rows;
    return r;
}

std::optional<TGrafikData::Ranking> TGrafikData::rentalsByCustomer(const QDate &first, const QDate &last, int limit)
{
    Ranking r;
    auto rows = slices(QStringLiteral(" Select Sum(H.Sayi) as ToplamSayi, Musteri.AdSoyad, Count(*) Over () as SiraSayisi  From ") + RentalsPerCustomer
                           + QStringLiteral(" Inner join Musteri  on (Musteri.ID=H.MusteriNo) "
                                            " Group by Musteri.AdSoyad  Order by Sum(H.Sayi) Desc, Musteri.AdSoyad ")
                           + RankingLimit,
                       first, last, QStringLiteral("AdSoyad"), QStringLiteral("ToplamSayi"), limit, &r.allRows);
    if (!rows)
        return std::nullopt;
    r.rows = *rows;
    return r;
}

std::optional<QList<TGrafikData::Slice>> TGrafikData::slices(const QString &sql, const QDate &first, const QDate &last,
                                                             const QString &label, const QString &value, int limit,
                                                             int *allRows)
{
    DataSet *q = KasaGrafik2;
    q->close();
    q->setSql(sql);
    if (value == QLatin1String("BorcTop"))
        q->setFieldType(value, ColumnType::Currency);
    bindPeriod(q, first, last);
    if (q->sql().contains(RankingLimit)) // every row when the chart has no last bar
        q->setParameter(QStringLiteral("RankingRows"), limit < 0 ? std::numeric_limits<int>::max() : limit + 1);
    if (!q->open()) {
        m_error = q->lastError();
        return std::nullopt;
    }
    QList<Slice> out;
    const int l = q->fieldIndex(label), v = q->fieldIndex(value);
    for (q->first(); !q->eof() && (limit < 0 || out.size() < limit); q->next()) {
        const QVariant x = q->value(v);
        const double number = x.metaType() == QMetaType::fromType<Money>() ? x.value<Money>().toDouble() : x.toDouble();
        out.append({q->value(l).toString(), number});
    }
    if (allRows) {
        // A ranking's statement carries its number of rows on each row, so
        // the rows past the chart's last bar are neither read nor counted
        // again.
        const int counted = q->fieldIndex(QStringLiteral("SiraSayisi"));
        if (q->eof())
            *allRows = int(out.size());
        else
            *allRows = counted >= 0 ? q->value(counted).toInt() : q->recordCount();
    }
    q->close();
    return out;
}
