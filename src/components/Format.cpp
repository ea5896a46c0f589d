#include "components/Format.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace Format {
namespace {

struct Pattern
{
    QString prefix, suffix;
    bool grouping = false;
    int minInt = 0;
    int minDec = 0;
    int maxDec = 0;
};

Pattern parsePattern(QStringView text)
{
    Pattern p;
    auto isPlaceholder = [](QChar c) { return c == u'#' || c == u'0' || c == u',' || c == u'.'; };
    qsizetype begin = 0;
    while (begin < text.size() && !isPlaceholder(text[begin]))
        ++begin;
    qsizetype end = begin;
    while (end < text.size() && isPlaceholder(text[end]))
        ++end;
    p.prefix = text.left(begin).toString();
    p.suffix = text.mid(end).toString();
    bool afterPoint = false;
    for (qsizetype i = begin; i < end; ++i) {
        const QChar c = text[i];
        if (c == u'.') {
            afterPoint = true;
        } else if (!afterPoint) {
            if (c == u',')
                p.grouping = true;
            else if (c == u'0')
                ++p.minInt;
        } else if (c == u'0') {
            ++p.minDec;
            ++p.maxDec;
        } else if (c == u'#') {
            ++p.maxDec;
        }
    }
    p.maxDec = std::min(p.maxDec, 4);
    p.minDec = std::min(p.minDec, p.maxDec);
    return p;
}

// Writes a magnitude already rounded to the pattern's decimals: whole units
// and ten-thousandths.
QString formatParts(bool negative, quint64 units, quint64 frac, const Pattern &p)
{
    QString intDigits = units == 0 ? QString() : QString::number(units);
    while (intDigits.size() < p.minInt)
        intDigits.prepend(u'0');
    if (p.grouping) {
        for (qsizetype pos = intDigits.size() - 3; pos > 0; pos -= 3)
            intDigits.insert(pos, ThousandSeparator);
    }
    QString decimals = QStringLiteral("%1").arg(frac, 4, 10, QLatin1Char('0')).left(p.maxDec);
    while (decimals.size() > p.minDec && decimals.endsWith(u'0'))
        decimals.chop(1);

    QString out = p.prefix;
    if (negative && (units != 0 || frac != 0))
        out += u'-';
    out += intDigits;
    if (!decimals.isEmpty())
        out += DecimalSeparator + decimals;
    out += p.suffix;
    return out;
}

QString formatRaw(qint64 raw, const Pattern &p)
{
    // Round the ten-thousandths to the pattern's decimals, half away from zero.
    qint64 step = 1;
    for (int i = p.maxDec; i < 4; ++i)
        step *= 10;
    const bool negative = raw < 0;
    quint64 abs = negative ? quint64(-(raw + 1)) + 1 : quint64(raw);
    abs = (abs + quint64(step / 2)) / quint64(step) * quint64(step);
    return formatParts(negative, abs / quint64(Money::Scale), abs % quint64(Money::Scale), p);
}

} // namespace

namespace {

// The program uses a handful of patterns; each is read once.
const Pattern &compiled(QStringView text)
{
    static std::vector<std::pair<QString, Pattern>> cache;
    for (const auto &entry : cache) {
        if (entry.first == text)
            return entry.second;
    }
    cache.emplace_back(text.toString(), parsePattern(text));
    return cache.back().second;
}

} // namespace

QString number(Money value, QStringView pattern)
{
    return formatRaw(value.raw(), compiled(pattern));
}

QString number(double value, QStringView pattern)
{
    if (!std::isfinite(value))
        return QString();
    return formatRaw(Money::fromDouble(value).raw(), compiled(pattern));
}

QString number(qint64 value, QStringView pattern)
{
    // Whole numbers may lie beyond what an amount can hold: written as they are.
    const bool negative = value < 0;
    return formatParts(negative, negative ? quint64(-(value + 1)) + 1 : quint64(value), 0, compiled(pattern));
}

std::optional<Money> parseMoney(QStringView text, QString *error)
{
    // The largest whole part an amount holds (INT64_MAX ten-thousandths).
    constexpr qint64 MaxUnits = std::numeric_limits<qint64>::max() / Money::Scale;
    const QStringView t = text.trimmed();
    auto fail = [&]() -> std::optional<Money> {
        if (error)
            *error = QStringLiteral("'%1' is not a valid number.").arg(text.toString());
        return std::nullopt;
    };
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) {
        negative = t[i] == u'-';
        ++i;
    }
    qint64 units = 0;
    int digits = 0;      // digits of the integer part
    int groupDigits = 0; // digits since the last thousands separator
    bool grouped = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.isDigit() && c.unicode() < 128) {
            units = units * 10 + c.digitValue();
            if (units > MaxUnits)
                return fail();
            ++digits;
            ++groupDigits;
        } else if (c == ThousandSeparator) {
            if (digits == 0 || (grouped ? groupDigits != 3 : groupDigits > 3))
                return fail();
            grouped = true;
            groupDigits = 0;
        } else {
            break;
        }
    }
    if (grouped && groupDigits != 3)
        return fail();
    qint64 frac = 0;
    int fracDigits = 0;
    bool roundUp = false;
    if (i < t.size() && t[i] == DecimalSeparator) {
        ++i;
        for (; i < t.size() && t[i].isDigit() && t[i].unicode() < 128; ++i, ++fracDigits) {
            if (fracDigits < 4)
                frac = frac * 10 + t[i].digitValue();
            else if (fracDigits == 4)
                roundUp = t[i].digitValue() >= 5;
        }
    }
    if (i != t.size() || digits + fracDigits == 0)
        return fail();
    for (int d = fracDigits; d < 4; ++d)
        frac *= 10;
    // The magnitude in ten-thousandths; a negative amount may reach one more.
    const quint64 magnitude = quint64(units) * quint64(Money::Scale) + quint64(frac) + (roundUp ? 1 : 0);
    if (magnitude > quint64(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0))
        return fail();
    return Money::fromRaw(negative ? qint64(0 - magnitude) : qint64(magnitude));
}

std::optional<qint64> parseInteger(QStringView text, QString *error)
{
    const QStringView t = text.trimmed();
    bool ok = false;
    qint64 value = t.toLongLong(&ok);
    if (!ok) {
        // Grouped thousands as shown ("1.250", "9.223.372.036.854.775.807"),
        // read whole: an amount could not hold the largest of them.
        static const QRegularExpression grouped(QStringLiteral("^[+-]?[0-9]{1,3}(\\.[0-9]{3})+$"));
        if (grouped.match(t).hasMatch())
            value = t.toString().remove(ThousandSeparator).toLongLong(&ok);
    }
    if (!ok) {
        // A whole amount as typed in money fields ("1.250,00").
        const auto m = parseMoney(t);
        if (m && m->raw() % Money::Scale == 0)
            return m->raw() / Money::Scale;
        if (error)
            *error = QStringLiteral("'%1' is not a valid integer value.").arg(text.toString());
        return std::nullopt;
    }
    return value;
}

namespace {

// Digits written by hand: QDate::toString goes through the locale machinery
// and a grid formats hundreds of dates on every paint.
void putDigits(char *&p, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        p[i] = char('0' + value % 10);
        value /= 10;
    }
    p += width;
}

} // namespace

QString shortDate(const QDate &date)
{
    if (!date.isValid() || date.year() < 0 || date.year() > 9999)
        return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString();
    int y, m, d;
    date.getDate(&y, &m, &d);
    char buf[10];
    char *p = buf;
    putDigits(p, d, 2);
    *p++ = '.';
    putDigits(p, m, 2);
    *p++ = '.';
    putDigits(p, y, 4);
    return QString::fromLatin1(buf, 10);
}

QString dateTimeSeconds(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return QString();
    const QTime t = dateTime.time();
    char buf[9];
    char *p = buf;
    putDigits(p, t.hour(), 2);
    *p++ = ':';
    putDigits(p, t.minute(), 2);
    *p++ = ':';
    putDigits(p, t.second(), 2);
    return shortDate(dateTime.date()) + u' ' + QLatin1StringView(buf, 8);
}

QString shortDateTime(const QDateTime &dateTime)
{
    return dateTime.isValid() ? dateTime.toString(QStringLiteral("dd.MM.yyyy hh:mm")) : QString();
}

QString longDate(const QDate &date)
{
    if (!date.isValid())
        return QString();
    const QLocale english(QLocale::English, QLocale::UnitedKingdom);
    return english.toString(date, QStringLiteral("dd MMMM yyyy dddd"));
}

QDate parseShortDate(QStringView text)
{
    return QDate::fromString(text.trimmed().toString(), QStringLiteral("d.M.yyyy"));
}

QString weekdayName(const QDate &date)
{
    return QLocale(QLocale::English).dayName(date.dayOfWeek(), QLocale::LongFormat);
}

} // namespace Format
