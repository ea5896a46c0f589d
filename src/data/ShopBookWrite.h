#pragma once

// The engine's own: how one counter operation runs as one write. Included
// only by the engine's sources.

#include "data/ShopBook.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <QRandomGenerator>
#include <chrono>
#include <thread>

namespace ShopBookWrite {

inline const QString StockRefusedText =
    QStringLiteral("Less than one copy of tis Cd in stock, please check CD card !!!");
inline const QString BusyText =
    QStringLiteral("The database is busy at another counter; nothing was changed. Please try again.");

// Which amounts a ledger row books; an amount not booked stays empty.
enum Amounts { AmountIn = 1, AmountOut = 2 };

// The one writer of the cash-box ledger: every row a counter operation books
// goes in here, with the references the row has. `again`: a transaction's
// row that exists already is booked again in place (a corrected rental).
bool bookLedger(Statement &s, const TKasa &k, int amounts, int *id = nullptr, bool again = false);
// The same row queued to go with the other statements of a round trip:
// `existing` is the ledger row booked again in place (0: a new row), and
// `hareketKey` stands for the transaction's key when the transaction is
// written in the same round trip (Statement::keyOfNewRow).
int queueLedger(Statement &s, const TKasa &k, int amounts, int existing = 0, const QVariant &hareketKey = {});
// Queues the read of the ledger row a transaction booked (its ID, or none).
int queueLedgerRowOf(Statement &s, int hareketId);

// Runs the steps inside one transaction: on any failure everything is rolled
// back.
// When another counter held the database past the lock wait, the whole write
// runs again from its start (what it read may have changed meanwhile), a few
// times; after that the clerk is told that nothing was changed.
template <class Steps>
ShopResult inOneWrite(const QString &connection, Steps &&steps)
{
    constexpr int Attempts = 3;
    ShopResult result;
    for (int attempt = 1;; ++attempt) {
        bool contended = false;
        {
            Transaction tx(Database::connection(connection), Transaction::Begin::WithFirstStatement);
            if (!tx.isActive()) {
                result = ShopResult::failed(ShopResult::Error::Database, tx.errorText());
                contended = tx.contended();
            } else {
                Statement statement(connection);
                result = steps(statement);
                if (!result.ok())
                    contended = statement.contended();
                else if (!tx.commit()) {
                    result = ShopResult::failed(ShopResult::Error::Database, tx.errorText());
                    contended = tx.contended();
                }
            }
        }
        if (contended && attempt == Attempts)
            result = ShopResult::failed(ShopResult::Error::Busy, BusyText);
        result.retries = attempt - 1;
        if (!contended || attempt == Attempts)
            return result;
        // Counters that met once should not meet again at the same instant.
        std::this_thread::sleep_for(std::chrono::milliseconds(QRandomGenerator::global()->bounded(10, 60) * attempt));
    }
}

} // namespace ShopBookWrite
