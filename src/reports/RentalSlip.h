#pragma once

#include "components/BandReport.h"

#include <QDate>
#include <QString>

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
    int chargedDays = 0; // rentals only
    QString unitPrice;   // as shown ("3,50")
    QString total;
    bool onAccount = false;
};

// A one-page band report: the shop's name, then one line per item of the slip.
Report::BandReport rentalSlip(const RentalSlipData &slip);
