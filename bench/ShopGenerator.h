#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringView>
#include <functional>
#include <optional>

// How big a generated shop is. The ledger target is reached with manual cash
// entries ("Other") once the transactions, penalties, exchanges, purchases and
// deposits are booked; when those alone already pass it, no manual entries
// are added and the ledger ends up a little larger than asked.
struct ShopSize
{
    int customers = 0;
    int titles = 0;
    int transactions = 0;
    int ledgerRows = 0;

    // "S", "M" or "L" (either case); anything else gives nullopt.
    static std::optional<ShopSize> named(QStringView name);
};

// percent 0..100, never going back, and the name of the part being written.
using ShopProgress = std::function<void(int percent, const QString &stage)>;

// Fills an opened shop database that holds only its starting rows with a
// shop that has been trading for the three years up to today: customers,
// titles, rentals and sales, the cash ledger, exchange rates, mails and the
// tariff its prices come from. The same seed gives the same shop (on the same
// day). Everything is written in one transaction: the whole shop or nothing.
// A database that already holds customers or titles is refused.
bool generateShop(const QSqlDatabase &db, const ShopSize &size, quint32 seed, QString *error,
                  const ShopProgress &progress = {});

// The same with the shop's last trading day given, so that a seed gives the
// same rows whatever day it runs on.
bool generateShop(const QSqlDatabase &db, const ShopSize &size, quint32 seed, QDate today, QString *error,
                  const ShopProgress &progress = {});

// Whether a generation finished in this database: the generator leaves a mark
// in the same transaction as the shop, so a run that was interrupted or
// failed leaves none.
bool hasShopMark(const QSqlDatabase &db);

// Whether the database holds a whole generated shop of this size: the mark,
// and at least as many customers, titles and transactions as the size asks
// (a benchmark adds the rows it posts). When not,
// the reason is in *why.
bool holdsGeneratedShop(const QSqlDatabase &db, const ShopSize &size, QString *why = nullptr);
