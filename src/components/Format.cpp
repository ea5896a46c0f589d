#include "components/Format.h"

#include <QLocale>
#include <cmath>

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

QString formatRaw(qint64 raw, const Pattern &p)
{
    // Round the ten-thousandths to the pattern's decimals, half away from zero.
    qint64 step = 1;
    for (int i = p.maxDec; i < 4; ++i)
        step *= 10;
    const bool negative = raw < 0;
    quint64 abs = negative ? quint64(-(raw + 1)) + 1 : quint64(raw);
    abs = (abs + quint64(step / 2)) / quint64(step) * quint64(step);

    const quint64 units = abs / quint64(Money::Scale);
    const quint64 frac = abs % quint64(Money::Scale);

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
    if (negative && abs != 0)
        out += u'-';
    out += intDigits;
    if (!decimals.isEmpty())
        out += DecimalSeparator + decimals;
    out += p.suffix;
    return out;
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
    return formatRaw(value * Money::Scale, compiled(pattern));
}

std::optional<Money> parseMoney(QStringView text, QString *error)
{
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
            if (units > 92233720368546LL) // keeps units * 10000 inside 64 bits
                return fail();
            units = units * 10 + c.digitValue();
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
    qint64 raw = units * Money::Scale + frac + (roundUp ? 1 : 0);
    return Money::fromRaw(negative ? -raw : raw);
}

std::optional<qint64> parseInteger(QStringView text, QString *error)
{
    const QStringView t = text.trimmed();
    bool ok = false;
    const qint64 value = t.toLongLong(&ok);
    if (!ok) {
        // Accept grouped thousands ("1.250") as typed in money fields.
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
