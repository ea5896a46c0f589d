#pragma once

#include "db/Money.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QString>
#include <optional>

class DataSet;

// The reads of the cash-box ledger, the renting statistics and the charts.
// Every value a clerk chose is bound; both days of a period are included.

// The ledger window's "Filtering option"; Unchosen until the clerk picks one
// and then the same as All.
enum class LedgerKind { Unchosen = -1, All = 0, RentAndSell = 1, Penalty = 2, Other = 3 };

struct LedgerPeriod
{
    QDate first, last;
    LedgerKind kind = LedgerKind::Unchosen;
};

struct LedgerTotals
{
    Money income;   // Sum(Borc)
    Money expenses; // Sum(Alacak)
    Money balance;  // income - expenses
};

namespace LedgerData {

// The list Kasa: the period's rows of the kind, newest first; opened.
bool showPeriod(DataSet *kasa, const LedgerPeriod &period);
// Totals of the period and kind, read through the scratch query (left
// closed). An empty period, or empty amounts, count as zero.
std::optional<LedgerTotals> totals(DataSet *temp, const LedgerPeriod &period, QString *error);
// The printed ledger's rows (the list's statement without its order); opened.
bool prepareReport(DataSet *reportData, const LedgerPeriod &period);
// The renting statistics: rentals per title and medium in the period, the
// most rented first; only one medium when it is given. Opened.
bool prepareRentingStatistics(DataSet *reportData, const QDate &first, const QDate &last, const QString &medium);

} // namespace LedgerData

// The two queries the charts window fills its charts from. The window owns
// one of these; each read reopens a query, copies the rows out and closes it.
class TGrafikData : public QObject
{
    Q_OBJECT

public:
    explicit TGrafikData(QObject *parent = nullptr);

    struct Day
    {
        QDate day;
        Money turnover; // Ciro: money in plus money out
        Money income;   // BorcTop
        Money expenses; // AlacakTop
    };
    struct Slice
    {
        QString label;
        double value = 0;
    };
    // A list cut to its first rows: how many rows there were in all.
    struct Ranking
    {
        QList<Slice> rows;
        int allRows = 0;
    };

    DataSet *KasaGrafik, *KasaGrafik2;

    // Every day of the period with movements, ascending.
    std::optional<QList<Day>> dailyTotals(const QDate &first, const QDate &last);
    // Money in per kind of movement, of rows without an expense part.
    std::optional<QList<Slice>> incomeByKind(const QDate &first, const QDate &last);
    // Transactions per genre (titles with a genre).
    std::optional<QList<Slice>> rentalsByGenre(const QDate &first, const QDate &last);
    // Transactions per film and genre, per customer name: most first, at most
    // `limit` rows.
    std::optional<Ranking> rentalsByFilm(const QDate &first, const QDate &last, int limit);
    std::optional<Ranking> rentalsByCustomer(const QDate &first, const QDate &last, int limit);

    QString lastError() const { return m_error; }

private:
    std::optional<QList<Slice>> slices(const QString &sql, const QDate &first, const QDate &last,
                                       const QString &label, const QString &value, int limit, int *allRows);
    QString m_error;
};
