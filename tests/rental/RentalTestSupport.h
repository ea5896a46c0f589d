#pragma once

// What the return, check and exchange window tests share: a shop written
// straight into the database, read back as the program reads it, and modal
// windows acted on once they show.
#include "components/DataSet.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "data/TariffCache.h"
#include "db/Database.h"
#include "db/Money.h"
#include "db/SqlDialect.h"
#include "support/WindowTestFixture.h"

#include <QPointer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace RentalTest {

using TestSupport::Sql::number;
using TestSupport::Sql::run;

// The first column of the first row as the program reads it: money with
// four decimals, empty for NULL.
inline QString text(const QString &sql, const QVariantList &values = {})
{
    // The program's datasets take named parameters: each '?' becomes one.
    QString named = sql;
    for (int i = 0, at = 0; (at = named.indexOf(QLatin1Char('?'), at)) >= 0; ++i)
        named.replace(at, 1, QStringLiteral(":p%1").arg(i));
    DataSet ds(QStringLiteral("Check"));
    ds.setSql(named);
    for (int i = 0; i < values.size(); ++i)
        ds.setParameter(i, values[i]);
    if (!ds.open())
        qWarning("%s: %s", qPrintable(sql), qPrintable(ds.lastError()));
    const QVariant v = ds.value(0);
    if (v.isNull())
        return QString();
    if (v.metaType() == QMetaType::fromType<Money>())
        return v.value<Money>().toDecimalString();
    return v.toString();
}

inline int addCustomer(const QString &name, const QString &email = QString(), const QString &note = QString())
{
    static int no = 0;
    return run(QStringLiteral("Insert Into Musteri (MusteriNo, AdSoyad, UyelikDurum, EMail, Aciklama) "
                              "Values (?, ?, 0, ?, ?) Returning ID"),
               {++no, name, email.isEmpty() ? QVariant() : email, note.isEmpty() ? QVariant() : note})
        .value(0).toInt();
}

inline int addTitle(int cdNo, const QString &name, const QString &type, int stock, const QString &barcode = QString())
{
    return run(QStringLiteral("Insert Into CD (CDNo, FilmAdi, CDTur, Stok, Barkod, KiralamaSayi, KutuIcerik) "
                              "Values (?, ?, ?, ?, ?, 0, 1) Returning ID"),
               {cdNo, name, type, stock, barcode.isEmpty() ? QVariant() : barcode})
        .value(0).toInt();
}

// An open rental as the rent window stores it: whole dates, the due date.
inline int addRental(int customer, int title, const QString &type, const QDate &rent, int days,
                     const QDate &due = QDate(), int onAccount = 0)
{
    const QDate d = due.isValid() ? due : rent.addDays(days);
    return run(QStringLiteral("Insert Into Hareket (IslemTur, MusteriNo, CdNo, FilmTuru, KiraTarih, KiralamaGun, "
                              "GelecekTarih, CDDurum, Kayit, Veresiye, TopTutar, IslemTarih) "
                              "Values ('Rent', ?, ?, ?, ?, ?, ?, 0, 0, ?, ?, ?) Returning ID"),
               {customer, title, type, QDateTime(rent, QTime()), days, QDateTime(d, QTime()), onAccount,
                QVariant::fromValue(Money::fromDouble(12.5)), QDateTime(rent, QTime(10, 0))})
        .value(0).toInt();
}

inline int stock(int title)
{
    return number(QStringLiteral("Select Stok from CD Where ID=?"), {title});
}

// What waits for a window to show; a test that ends without the window
// showing drops its waits, so they never act in the next test.
inline QObject &pendingWaits()
{
    static QObject owner;
    return owner;
}
inline void dropPendingWaits()
{
    qDeleteAll(pendingWaits().findChildren<QTimer *>(Qt::FindDirectChildrenOnly));
}

// Acts on a window once it shows; the wait is dropped with the shop.
template <class W>
void whenShown(QPointer<W> &ref, std::function<void(W *)> action)
{
    TestSupport::whenShown(ref, std::move(action), &pendingWaits());
}

// A fresh shop (see WindowTestFixture) with a tariff with penalties (VCD 1,
// DVD 1,50, DivX 2) and exchange fees.
struct Shop : TestSupport::WindowTestFixture
{
    bool open(int parts = Home)
    {
        if (!setUp(parts))
            return false;
        TariffCache &t = TariffCache::instance();
        t = TariffCache();
        t.GunlukVCDCeza = Money::fromUnits(1);
        t.GunlukDVDCeza = Money::fromDouble(1.5);
        t.GunlukDivxCeza = Money::fromUnits(2);
        t.TakasUcretiVCD = Money::fromUnits(3);
        t.TakasUcretiDVD = Money::fromUnits(5);
        t.GunlukDVD_Kira = Money::fromUnits(3);
        t.PazarGunu = 1;
        t.TarifeTur = 1;
        return true;
    }

    ~Shop()
    {
        dropPendingWaits();
        tearDown();
    }
};

} // namespace RentalTest
