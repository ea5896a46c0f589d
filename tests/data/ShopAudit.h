#pragma once

#include <QString>
#include <QStringList>

// The shop the scripted counters (shopcounter) start from, and what its books
// must show afterwards, worked out from the rows alone.
namespace ShopAudit {

// Titles "Seed-NN" with `stock` copies each and a few customers, on the
// shop's connection.
void seed(int titles, int stock, int customers);

// Every way the books disagree with themselves, one line each; empty when
// they agree. `seedStock` is what each seed title started with.
QStringList inconsistencies(int seedStock);

int ledgerRows();

} // namespace ShopAudit
