#pragma once

#include "data/TariffCache.h"
#include "db/Money.h"

#include <QDate>
#include <QString>
#include <QStringView>
#include <optional>

// The shop's price rules: what a rental or a sale costs, when a rental is due,
// what a late return costs and what an exchange costs. Plain functions of the
// tariff, dates, the customer's membership (UyelikDurum: 0 not a member,
// 1 member) and the disc type text as stored ("VCD", "DVD", "DivX", "PC Game",
// "PS1 Game", "PS2 Game", "PS3 Game"; compared exactly). No database here: the
// windows read the rows, call these and write what comes back.
//
// Where a rule leaves a field as it was, the result is std::nullopt, so
// "write 0" and "write nothing" never look alike.
namespace Tariff {

// "VCD", "DVD" or "DivX": the media the tariff has prices for.
bool isFilmMedium(QStringView discType);
// "PC Game", "PS1 Game", "PS2 Game" or "PS3 Game".
bool isGameMedium(QStringView discType);

// The daily rental price the tariff gives a customer of this membership for
// this medium; nullopt when it has none (game media, an empty or unknown type,
// a membership other than 0 or 1): the price field then keeps what it holds.
std::optional<Money> rentalPrice(const TariffCache &tariff, int membership, QStringView discType);

// The rate a rental's total is worked from. A film rents at the tariff's
// price for the customer's membership; a game, for which the tariff has no
// price, at the price shown in the form (`shownPrice`: the clerk types it, or
// the title's own price fills it); a transaction whose disc type is not chosen
// yet at 0.
Money dailyRate(const TariffCache &tariff, int membership, QStringView discType, Money shownPrice = Money());

// The longest rental the counter takes, in days. Longer counts are refused
// before anything is worked out or stored.
inline constexpr int MaxRentalDays = 999;

// The sale price the tariff sets when the disc type of a sale is chosen: the
// medium's sale price, 0 for a game; nullopt for an empty or unknown type
// (the price field is left as it was).
std::optional<Money> tariffSalePrice(const TariffCache &tariff, QStringView discType);

// The sale price once the title is chosen: the title's own price wins when it
// is not 0, else the tariff's sale price for the medium. The sale's total is
// this price once (the tariff's TarifeTur concerns rentals only). nullopt for
// games and an empty type: neither price nor total is set then.
std::optional<Money> titleSalePrice(const TariffCache &tariff, QStringView discType, Money titlePrice);


// The day a rental of `days` days from `start` is due back: start + days, or
// the Monday after when that day is a Sunday and Sundays are not rental days
// (PazarGunu 0). Sundays inside the period do not move it. Invalid for an
// invalid start.
QDate dueDate(const TariffCache &tariff, QDate start, int days);

struct RentalTerms
{
    QDate dueDate;      // GelecekTarih
    int chargedDays = 0; // the days paid for, at least 1
    Money total;        // TopTutar of a rental
};

// Due date, charged days and total of a rental of `days` days from `start`.
// Without Sunday rental days (PazarGunu 0) every Sunday after the start day up
// to and including start + days is free; a rental is charged at least one day.
// With TarifeTur 1 the total is the rate times the charged days, otherwise the
// rate once. The rate is dailyRate's, `shownPrice` included. nullopt for a
// day count below 0 or above MaxRentalDays, or an invalid start: nothing is
// worked out then.
std::optional<RentalTerms> rentalTerms(const TariffCache &tariff, int membership, QStringView discType,
                                       QDate start, int days, Money shownPrice = Money());

// Sundays among the `days` days after `start` (start + 1 .. start + days),
// counted in whole weeks plus the rest; 0 for days <= 0.
qint64 sundaysAfter(QDate start, qint64 days);

// A customer with `discsOut` discs out on rent may take another unless the
// shop's limit (MaxDiscsOut, 0: none) is reached.
bool mayRentAnother(int discsOut, int limit);

// One rental or sale as the clerk chose it, and what it books.
struct Choice
{
    bool sale = false;
    QString discType;
    int membership = 0;   // of the customer, as stored now
    QDate start;
    int days = 0;
    Money titlePrice;     // the title's own SatisFiyat (0 while the title is of another type)
    std::optional<Money> shownPrice; // the form's "Price"; empty when it holds none
    bool lookUp = false;  // the price is looked up anew instead of kept as shown
};
struct Booking
{
    QDate dueDate;
    int chargedDays = 0;
    Money unitPrice; // SatisFiyat
    Money total;     // TopTutar
};
// What a rental or sale books. The unit price is the one looked up (a film's
// tariff rate for a rental; a film's titleSalePrice; a game sold at its
// title's own price, 0 when it has none) when asked to or when the form
// shows none, else the price shown; a game rents at the price shown. A film's total never follows a typed price: a
// rental is its tariff rate by the days charged (once with a flat tariff), a
// sale its titleSalePrice; a game's total is its unit price, by the days
// charged for a rental. nullopt when rentalTerms works nothing out.
std::optional<Booking> booking(const TariffCache &tariff, const Choice &choice);

// "Sunday" .. "Saturday"; empty for an invalid date.
QString weekdayName(QDate date);

// The penalty per late day for this medium; nullopt for games and any other type.
std::optional<Money> penaltyPerDay(const TariffCache &tariff, QStringView discType);

struct LateReturn
{
    QDate dueDate;                // worked out anew from the rent date and days
    std::optional<int> lateDays;  // CezaGunSayi to write, nullopt: keep it
    std::optional<Money> penalty; // CezaTutari to write, nullopt: keep it
};

// A copy rented on `rentDate` for `days` days comes back on `returnDate`.
// A rental of 0 days, an early return or an empty return date write nothing;
// a return on the due date writes 0 days and 0. A late game disc gets its late
// days but no amount: the tariff has no penalty for games.
LateReturn lateReturn(const TariffCache &tariff, QDate rentDate, int days, QStringView discType,
                      QDate returnDate);

// The fee for exchanging a received disc of this type: the tariff's VCD or DVD
// fee; nullopt for any other type (the fee shown stays as it was).
std::optional<Money> exchangeFee(const TariffCache &tariff, QStringView discType);

} // namespace Tariff
