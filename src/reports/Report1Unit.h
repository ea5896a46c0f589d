#pragma once

#include "components/BandReport.h"

#include <QObject>

// The first report container: the title list, the customer list, the cash-box
// ledger of a period and the stock statistics. The windows that offer these
// reports create it, fill its data and run-time texts, show one report in the
// preview and free it again, so every report starts from its stored layout.
class TReport1 : public QObject
{
    Q_OBJECT

public:
    explicit TReport1(QObject *parent = nullptr);

    Report::BandReport CDListeRP;       // "CD List"
    Report::BandReport MusteriListeRP;  // "Customer List"
    Report::BandReport KasaRP;          // "Cash Box Transactions"; params PeriodBegin, PeriodEnd
    Report::BandReport StokIstRP;       // "Stock Statistic Report"

    // One row per genre: the VCD and DVD copies on the shelf and out on rent.
    static QString stockStatisticsSql();
};

// Main menu "Stock Statistics" and the CD definitions window's "Stock Stat.":
// fills the report's data and shows it in the preview. A database error is
// shown and no preview appears.
void PrintStockStatistics();
