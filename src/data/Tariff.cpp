#include "data/Tariff.h"


namespace Tariff {

namespace {

// The three film media, in the order the tariff lists them.
enum class Film { VCD, DVD, DivX };

std::optional<Film> filmMedium(QStringView discType)
{
    if (discType == u"VCD")
        return Film::VCD;
    if (discType == u"DVD")
        return Film::DVD;
    if (discType == u"DivX")
        return Film::DivX;
    return std::nullopt;
}

bool isSunday(QDate date) { return date.dayOfWeek() == Qt::Sunday; }

} // namespace

bool isFilmMedium(QStringView discType) { return filmMedium(discType).has_value(); }

bool isGameMedium(QStringView discType)
{
    return discType == u"PC Game" || discType == u"PS1 Game" || discType == u"PS2 Game"
        || discType == u"PS3 Game";
}

std::optional<Money> rentalPrice(const TariffCache &tariff, int membership, QStringView discType)
{
    const auto film = filmMedium(discType);
    if (!film || (membership != 0 && membership != 1))
        return std::nullopt;
    const bool member = membership == 1;
    switch (*film) {
    case Film::VCD: return member ? tariff.UyeGunlukVCD_Kira : tariff.GunlukVCD_Kira;
    case Film::DVD: return member ? tariff.UyeGunlukDVD_Kira : tariff.GunlukDVD_Kira;
    case Film::DivX: return member ? tariff.UyeGunlukDivx_Kira : tariff.DivxGunluk_Kira;
    }
    return std::nullopt;
}

Money dailyRate(const TariffCache &tariff, int membership, QStringView discType, Money shownPrice)
{
    if (isGameMedium(discType))
        return shownPrice;
    return rentalPrice(tariff, membership, discType).value_or(Money());
}

std::optional<Money> tariffSalePrice(const TariffCache &tariff, QStringView discType)
{
    if (const auto film = filmMedium(discType)) {
        switch (*film) {
        case Film::VCD: return tariff.VCDSatis;
        case Film::DVD: return tariff.DVDSatis;
        case Film::DivX: return tariff.DivXSatis;
        }
    }
    if (isGameMedium(discType))
        return Money();
    return std::nullopt;
}

std::optional<Money> titleSalePrice(const TariffCache &tariff, QStringView discType, Money titlePrice)
{
    if (!isFilmMedium(discType))
        return std::nullopt;
    if (!titlePrice.isZero())
        return titlePrice;
    return tariffSalePrice(tariff, discType);
}

qint64 sundaysAfter(QDate start, qint64 days)
{
    if (days <= 0 || !start.isValid())
        return 0;
    // Every whole week holds one Sunday; the rest holds one when it reaches
    // the next Sunday after the start.
    const qint64 untilSunday = start.dayOfWeek() == Qt::Sunday ? 7 : Qt::Sunday - start.dayOfWeek();
    return days / 7 + (days % 7 >= untilSunday ? 1 : 0);
}

QDate dueDate(const TariffCache &tariff, QDate start, int days)
{
    if (!start.isValid())
        return {};
    const QDate due = start.addDays(days);
    return tariff.PazarGunu == 0 && isSunday(due) ? due.addDays(1) : due;
}

std::optional<RentalTerms> rentalTerms(const TariffCache &tariff, int membership, QStringView discType,
                                       QDate start, int days, Money shownPrice)
{
    if (days < 0 || days > MaxRentalDays || !start.isValid())
        return std::nullopt;

    RentalTerms terms;
    terms.dueDate = dueDate(tariff, start, days);
    terms.chargedDays = days;
    // The start day is never counted; the last day of the period is, even
    // when the due date has moved past it.
    if (tariff.PazarGunu == 0)
        terms.chargedDays -= int(sundaysAfter(start, days));
    if (terms.chargedDays == 0)
        terms.chargedDays = 1;

    const Money rate = dailyRate(tariff, membership, discType, shownPrice);
    // A flat tariff prices a rental once, however long it runs.
    terms.total = tariff.TarifeTur == 1 ? rate * terms.chargedDays : rate;
    return terms;
}

bool mayRentAnother(int discsOut, int limit)
{
    return limit <= 0 || discsOut < limit;
}

std::optional<Booking> booking(const TariffCache &tariff, const Choice &c)
{
    const bool game = isGameMedium(c.discType);
    const Money shown = c.shownPrice.value_or(Money());
    const bool lookUp = c.lookUp || !c.shownPrice;
    Booking b;
    b.unitPrice = shown;
    if (!c.sale && lookUp) {
        b.unitPrice = rentalPrice(tariff, c.membership, c.discType).value_or(shown);
    } else if (c.sale && lookUp) {
        if (const auto price = titleSalePrice(tariff, c.discType, c.titlePrice))
            b.unitPrice = *price;
        else if (game)
            b.unitPrice = c.titlePrice;
    }
    const auto terms = rentalTerms(tariff, c.membership, c.discType, c.start, c.days, game ? b.unitPrice : Money());
    if (!terms)
        return std::nullopt;
    b.dueDate = terms->dueDate;
    b.chargedDays = terms->chargedDays;
    if (!c.sale)
        b.total = terms->total;
    else
        b.total = titleSalePrice(tariff, c.discType, c.titlePrice).value_or(b.unitPrice);
    return b;
}

QString weekdayName(QDate date)
{
    static const char *const Names[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
    return date.isValid() ? QString::fromLatin1(Names[date.dayOfWeek() - 1]) : QString();
}

std::optional<Money> penaltyPerDay(const TariffCache &tariff, QStringView discType)
{
    const auto film = filmMedium(discType);
    if (!film)
        return std::nullopt;
    switch (*film) {
    case Film::VCD: return tariff.GunlukVCDCeza;
    case Film::DVD: return tariff.GunlukDVDCeza;
    case Film::DivX: return tariff.GunlukDivxCeza;
    }
    return std::nullopt;
}

LateReturn lateReturn(const TariffCache &tariff, QDate rentDate, int days, QStringView discType,
                      QDate returnDate)
{
    LateReturn result;
    // Only the due day moves off a Sunday; Sundays inside the period are no
    // reason to forgive a late day.
    result.dueDate = dueDate(tariff, rentDate, days);
    if (days == 0 || !result.dueDate.isValid() || !returnDate.isValid())
        return result;

    const qint64 late = result.dueDate.daysTo(returnDate);
    // A return on the due day itself writes 0 days and 0, so that the row
    // says "on time" rather than "not worked out".
    if (late < 0)
        return result;
    result.lateDays = int(late);
    if (const auto perDay = penaltyPerDay(tariff, discType))
        result.penalty = *perDay * late;
    return result;
}

std::optional<Money> exchangeFee(const TariffCache &tariff, QStringView discType)
{
    if (discType == u"VCD")
        return tariff.TakasUcretiVCD;
    if (discType == u"DVD")
        return tariff.TakasUcretiDVD;
    return std::nullopt;
}

} // namespace Tariff
