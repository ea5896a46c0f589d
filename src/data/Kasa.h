#pragma once

#include "db/Money.h"

#include <QDateTime>
#include <QString>
#include <optional>

// One row of the cash-box ledger as code books it. Empty references stay
// NULL in the row; the foreign-currency amounts are carried but never booked.
struct TKasa
{
    static constexpr int IslemLength = 25;
    static constexpr int AciklamaLength = 100;

    std::optional<int> HareketID;
    std::optional<int> CDID;
    std::optional<int> MusteriID;
    QString Islem;
    Money Borc, Alacak, BorcUSD, AlacakUSD, BorcEuro, AlacakEuro;
    QDateTime Tarih; // a whole date
    QDateTime Saat;  // the moment of booking
    QString Aciklama;

    void setIslem(const QString &text) { Islem = text.left(IslemLength); }
    void setAciklama(const QString &text) { Aciklama = text.left(AciklamaLength); }
    void setTarih(const QDate &day) { Tarih = QDateTime(day, QTime(0, 0)); }
};
