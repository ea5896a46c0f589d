#pragma once

#include <QMetaType>
#include <QVariant>
#include <QString>
#include <QStringView>
#include <compare>
#include <cstdint>
#include <optional>

// An exact amount of money: a signed count of ten-thousandths of the currency
// unit. Every amount the shop sees goes through this type so that sums never
// drift, whatever the number of rows.
class Money
{
public:
    static constexpr qint64 Scale = 10000;

    constexpr Money() = default;
    static constexpr Money fromRaw(qint64 tenThousandths) { Money m; m.m_raw = tenThousandths; return m; }
    static constexpr Money fromUnits(qint64 units) { return fromRaw(units * Scale); }
    // Rounds half away from zero to the fourth decimal.
    static Money fromDouble(double value);
    // A stored or typed value: Money as it is, NULL as 0, a plain number
    // converted.
    static Money fromVariant(const QVariant &value);
    // Reads the plain database form: optional sign, digits, optional '.' and up
    // to four decimals ("-1234.5", "0.0001"). Anything else gives nullopt.
    static std::optional<Money> fromDecimalString(QStringView text);

    constexpr qint64 raw() const { return m_raw; }
    double toDouble() const { return double(m_raw) / double(Scale); }
    // The plain database form with exactly four decimals: "-1234.5000".
    QString toDecimalString() const;
    // Rounded to whole cents (half away from zero), still in ten-thousandths.
    Money roundedToCents() const;

    constexpr bool isZero() const { return m_raw == 0; }
    constexpr Money operator-() const { return fromRaw(-m_raw); }
    constexpr Money operator+(Money o) const { return fromRaw(m_raw + o.m_raw); }
    constexpr Money operator-(Money o) const { return fromRaw(m_raw - o.m_raw); }
    constexpr Money operator*(qint64 n) const { return fromRaw(m_raw * n); }
    // A price times a factor that is not whole (a rate), rounded to 4 decimals.
    Money times(double factor) const;
    constexpr Money &operator+=(Money o) { m_raw += o.m_raw; return *this; }
    constexpr Money &operator-=(Money o) { m_raw -= o.m_raw; return *this; }
    constexpr auto operator<=>(const Money &) const = default;

private:
    qint64 m_raw = 0;
};

constexpr Money operator*(qint64 n, Money m) { return m * n; }

Q_DECLARE_METATYPE(Money)
