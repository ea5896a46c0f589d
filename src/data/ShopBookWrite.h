#pragma once

// The engine's own: how one counter operation runs as one write. Included
// only by the engine's sources.

#include "data/ShopBook.h"
#include "db/Transaction.h"

#include <QRandomGenerator>
#include <chrono>
#include <optional>
#include <thread>
#include <type_traits>

namespace ShopBookWrite {

inline const QString StockRefusedText =
    QStringLiteral("Less than one copy of tis Cd in stock, please check CD card !!!");
inline const QString BusyText =
    QStringLiteral("The database is busy at another counter; nothing was changed. Please try again.");

// The statement runner a write's steps take: the type of their one argument.
template <class Steps>
struct RunnerOf : RunnerOf<decltype(&std::remove_cvref_t<Steps>::operator())>
{
};
template <class C, class R, class Runner>
struct RunnerOf<R (C::*)(Runner &) const>
{
    using type = Runner;
};
template <class C, class R, class Runner>
struct RunnerOf<R (C::*)(Runner &)>
{
    using type = Runner;
};

// Runs the steps inside one transaction. On any failure everything is rolled
// back and the dataset the clerk typed into (if any) is put back as typed.
// When another counter held the database past the lock wait, the whole write
// runs again from its start (what it read may have changed meanwhile), a few
// times; after that the clerk is told that nothing was changed.
template <class Steps>
ShopResult inOneWrite(const QString &connection, DataSet *typedInto, Steps &&steps)
{
    using Runner = typename RunnerOf<Steps>::type;
    constexpr int Attempts = 3;
    std::optional<TypedRow> typed;
    if (typedInto)
        typed.emplace(typedInto);
    ShopResult result;
    for (int attempt = 1;; ++attempt) {
        bool contended = false;
        {
            Transaction tx(Database::connection(connection));
            if (!tx.isActive()) {
                result = ShopResult::failed(ShopResult::Error::Database, tx.errorText());
                contended = tx.contended();
            } else {
                Runner runner(connection);
                result = steps(runner);
                if (result.ok() && !tx.commit()) {
                    result = ShopResult::failed(ShopResult::Error::Database, tx.errorText());
                    contended = tx.contended();
                }
            }
        }
        if (!result.ok() && typed)
            typed->restore();
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
