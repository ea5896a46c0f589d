#pragma once

#include "db/Money.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

// Numbers and dates as the shop sees and types them: ',' is the decimal
// separator and '.' the thousands separator, whatever the machine's locale.
namespace Format {

inline constexpr QChar DecimalSeparator = u',';
inline constexpr QChar ThousandSeparator = u'.';

// The display patterns used across the program.
inline constexpr auto Money2 = "#,###0.00";      // 1.234,50   0,00
inline constexpr auto Money2NoZero = "#,###.00"; // 1.234,50   ,00
inline constexpr auto Money4 = "#,###0.####";   // 1.234,5    0
inline constexpr auto Thousands = "#,###";      // 1.235      (empty for 0)
inline constexpr auto Plain = "#";              // 1235       (empty for 0)

// Formats with a pattern of '#', '0', ',' and '.' placeholders, optionally
// surrounded by literal text ("#,###0.#### " keeps its trailing blank):
// '0' digits are always written, '#' digits only when significant, a ',' in
// the integer part groups thousands. Rounds half away from zero.
QString number(Money value, QStringView pattern);
QString number(double value, QStringView pattern);
QString number(qint64 value, QStringView pattern);
inline QString money(Money value) { return number(value, QString::fromLatin1(Money2)); }

// Reads a number typed by the clerk: "1.234,56", "1234,5", "-3", " 12 ".
// Thousands separators must stand between groups of three digits; more than
// four decimals are rounded. On failure returns nullopt and, when asked, a
// message that names the text.
std::optional<Money> parseMoney(QStringView text, QString *error = nullptr);
std::optional<qint64> parseInteger(QStringView text, QString *error = nullptr);

// Dates as shown: "05.03.2007", "05.03.2007 14:07", "05 March 2007 Monday".
QString shortDate(const QDate &date);
QString shortDateTime(const QDateTime &dateTime);
QString dateTimeSeconds(const QDateTime &dateTime); // "05.03.2007 14:07:09"
QString longDate(const QDate &date);
QDate parseShortDate(QStringView text);
// "Sunday" .. "Saturday", whatever the machine's language.
QString weekdayName(const QDate &date);

} // namespace Format
