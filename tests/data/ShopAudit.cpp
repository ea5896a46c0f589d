#include "ShopAudit.h"

#include "components/DataSet.h"
#include "db/Database.h"
#include "db/Money.h"
#include "db/SqlDialect.h"
#include "support/TestSupport.h"

#include <QHash>

using namespace TestSupport::Sql;

namespace ShopAudit {

void seed(int titles, int stock, int customers)
{
    for (int i = 1; i <= titles; ++i)
        run(QStringLiteral("Insert Into CD (CDNo, CDTur, FilmAdi, Stok, KiralamaSayi) Values (?, 'DVD', ?, ?, 0)"),
            {i, QStringLiteral("Seed-%1").arg(i, 2, 10, QLatin1Char('0')), stock});
    for (int i = 1; i <= customers; ++i)
        run(QStringLiteral("Insert Into Musteri (AdSoyad, MusteriNo) Values (?, ?)"), {QStringLiteral("Seed customer %1").arg(i), i});
}

int ledgerRows()
{
    return number(QStringLiteral("Select Count(*) from Kasa"));
}

QStringList inconsistencies(int seedStock)
{
    QStringList found;
    const auto expectNone = [&](const QString &what, const QString &sql) {
        if (const int n = number(sql))
            found << QStringLiteral("%1: %2").arg(what).arg(n);
    };
    if (SqlDialect::of(Database::connection()).backend() == Backend::SQLite) {
        const QString integrity = run(QStringLiteral("PRAGMA integrity_check")).value(0).toString();
        if (integrity != QLatin1String("ok"))
            found << QStringLiteral("integrity_check: %1").arg(integrity);
    }

    // Every transaction has its one rent or sale ledger row, a returned one
    // also its penalty (every scripted return collects one), an open one none.
    expectNone(QStringLiteral("transactions without exactly one ledger row"),
               QStringLiteral("Select Count(*) from Hareket h Where (Select Count(*) from Kasa k Where k.HareketID=h.ID "
                              "and k.Islem<>'Penalty for Delay') <> 1"));
    expectNone(QStringLiteral("returns without their penalty, or open rentals with one"),
               QStringLiteral("Select Count(*) from Hareket h Where (Select Count(*) from Kasa k Where k.HareketID=h.ID "
                              "and k.Islem='Penalty for Delay') <> h.CDDurum"));
    expectNone(QStringLiteral("ledger rows of a transaction that is not there"),
               QStringLiteral("Select Count(*) from Kasa k Where k.HareketID is not null "
                              "and not exists (Select 1 from Hareket h Where h.ID=k.HareketID)"));
    expectNone(QStringLiteral("MusteriNo given twice"),
               QStringLiteral("Select Count(*) from (Select MusteriNo from Musteri Group by MusteriNo Having Count(*)>1) d"));
    expectNone(QStringLiteral("CDNo given twice"),
               QStringLiteral("Select Count(*) from (Select CDNo from CD Group by CDNo Having Count(*)>1) d"));
    expectNone(QStringLiteral("titles below zero copies"), QStringLiteral("Select Count(*) from CD Where Stok<0"));

    // The ledger's day sums agree with its rows, kind by kind, both ways.
    const QString rows = QStringLiteral("Select coalesce(Islem, ''), Count(*), Sum(coalesce(Borc, 0)), Sum(coalesce(Alacak, 0)) "
                                        "from Kasa Where Tarih is not null Group by coalesce(Islem, '')");
    const QString days = QStringLiteral("Select Islem, Sum(Adet), Sum(Borc), Sum(Alacak) from KasaGun Group by Islem");
    expectNone(QStringLiteral("kinds whose ledger rows the day sums do not match"),
               QStringLiteral("Select Count(*) from (") + rows + QStringLiteral(" Except ") + days + QStringLiteral(") d"));
    expectNone(QStringLiteral("kinds whose day sums the ledger rows do not match"),
               QStringLiteral("Select Count(*) from (") + days + QStringLiteral(" Except ") + rows + QStringLiteral(") d"));

    // What the rows say happened to each title.
    QHash<int, int> out, rentals;
    QSqlQuery h = run(QStringLiteral("Select CdNo, Sum(Case When CDDurum=0 Then 1 Else 0 End), "
                                     "Sum(Case When IslemTur='Rent' Then 1 Else 0 End) from Hareket Group by CdNo"));
    for (bool more = h.isValid(); more; more = h.next()) {
        out[h.value(0).toInt()] = h.value(1).toInt();
        rentals[h.value(0).toInt()] = h.value(2).toInt();
    }
    QHash<int, Money> bought;             // by CDNo: what the purchases cost
    QHash<int, int> purchases;            // by CDNo
    QHash<QString, int> received, given;  // by FilmAdi, through exchanges
    QHash<QString, int> deposits;         // by customer name
    DataSet k(QStringLiteral("audit"));
    k.setSql(QStringLiteral("Select Islem, Aciklama, CDID, Alacak from Kasa Where HareketID is null"));
    for (k.open(); !k.eof(); k.next()) {
        const QString islem = k.value(0).toString();
        const QStringList parts = k.value(1).toString().split(QStringLiteral(" / "));
        if (islem == QLatin1String("Exchange") && parts.size() == 3) {
            ++received[parts[1]];
            ++given[parts[2]];
        } else if (islem == QLatin1String("Buying CD")) {
            ++purchases[k.value(2).toInt()];
            bought[k.value(2).toInt()] += Money::fromVariant(k.value(3));
        } else if (parts.size() == 2 && parts[0] == QLatin1String("Deposit")) {
            ++deposits[parts[1]];
        } else {
            found << QStringLiteral("a ledger row no operation writes: %1 %2").arg(islem, k.value(1).toString());
        }
    }

    DataSet cd(QStringLiteral("audit"));
    cd.setSql(QStringLiteral("Select ID, CDNo, FilmAdi, Stok, KiralamaSayi, MaliyetFiyat from CD"));
    int titles = 0;
    for (cd.open(); !cd.eof(); cd.next(), ++titles) {
        const int id = cd.value(0).toInt(), cdNo = cd.value(1).toInt();
        const QString name = cd.value(2).toString();
        const bool seeded = name.startsWith(QLatin1String("Seed-"));
        // A title comes from the first stock, from one purchase or from one exchange.
        const int origins = int(seeded) + purchases.value(cdNo) + received.value(name);
        if (origins != 1) {
            found << QStringLiteral("title %1 (%2) has %3 origins").arg(cdNo).arg(name).arg(origins);
            continue;
        }
        const qint64 cost = Money::fromVariant(cd.value(5)).raw();
        const qint64 initial = seeded ? seedStock
            : received.value(name) ? 1
            : cost > 0 ? bought.value(cdNo).raw() / cost : -1;
        const qint64 expected = initial - out.value(id) - given.value(name);
        if (cd.value(3).toLongLong() != expected)
            found << QStringLiteral("title %1 (%2): Stok %3, the rows say %4 (first %5, out %6, given in exchange %7)")
                         .arg(cdNo).arg(name).arg(cd.value(3).toInt()).arg(expected).arg(initial).arg(out.value(id))
                         .arg(given.value(name));
        // A title made by an exchange starts without a count (NULL), as it always has.
        if (!cd.value(4).isNull() && cd.value(4).toInt() != rentals.value(id))
            found << QStringLiteral("title %1: KiralamaSayi %2, rentals %3").arg(cdNo).arg(cd.value(4).toInt()).arg(rentals.value(id));
        purchases.remove(cdNo);
        received.remove(name);
        given.remove(name);
    }
    for (auto it = purchases.cbegin(); it != purchases.cend(); ++it)
        found << QStringLiteral("a purchase of title %1, which is not there").arg(it.key());
    for (auto it = received.cbegin(); it != received.cend(); ++it)
        found << QStringLiteral("an exchange brought in %1, which is not there").arg(it.key());
    for (auto it = given.cbegin(); it != given.cend(); ++it)
        found << QStringLiteral("an exchange gave out %1, which is not there").arg(it.key());

    QSqlQuery m = run(QStringLiteral("Select AdSoyad from Musteri Where AdSoyad like 'Cust-%'"));
    for (bool more = m.isValid(); more; more = m.next()) {
        if (deposits.take(m.value(0).toString()) != 1)
            found << QStringLiteral("customer %1 without exactly one deposit").arg(m.value(0).toString());
    }
    for (auto it = deposits.cbegin(); it != deposits.cend(); ++it)
        found << QStringLiteral("a deposit of %1, who is not there").arg(it.key());
    if (titles == 0)
        found << QStringLiteral("no titles read");
    return found;
}

} // namespace ShopAudit
