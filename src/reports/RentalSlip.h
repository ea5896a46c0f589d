#pragma once

#include "components/BandReport.h"

#include "db/Money.h"

#include <QDate>
#include <QString>
#include <optional>

// The slip handed over at the counter for one rental or sale: who took what,
// until when, and what it cost.
struct RentalSlipData
{
    QString shopName;
    bool sale = false;
    QString customer;
    QString title;
    QString discType;
    QDate startDate;
    QDate dueDate;       // rentals only
    // Rentals only: the days the total pays for, when it is a whole number of
    // unit prices; nullopt (no line) for a flat price or a typed total.
    std::optional<qint64> chargedDays;
    QString unitPrice;   // as shown ("3,50")
    QString total;
    bool onAccount = false;

    // The days a booked total pays for at a booked unit price: total / unit
    // when that is a whole number above 0.
    static std::optional<qint64> daysCharged(Money unit, Money total);
};

// A one-page band report: the shop's name, then one line per item of the slip.
Report::BandReport rentalSlip(const RentalSlipData &slip);
