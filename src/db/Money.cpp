#include "db/Money.h"

#include <algorithm>
#include <cmath>
#include <limits>

Money Money::fromDouble(double value)
{
    return fromRaw(qint64(std::llround(value * double(Scale))));
}

std::optional<Money> Money::fromDecimalString(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool negative = false;
    qsizetype i = 0;
    if (text[0] == u'-' || text[0] == u'+') {
        negative = text[0] == u'-';
        ++i;
    }
    // The magnitude in ten-thousandths may reach INT64_MAX, or one more for a
    // negative amount (INT64_MIN has no positive twin): both ends of the range
    // read back from the text toDecimalString gives them. Beyond it the text
    // is refused, never wrapped round.
    const quint64 limit = quint64(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0);
    quint64 units = 0;
    int intDigits = 0;
    for (; i < text.size() && text[i].isDigit(); ++i, ++intDigits) {
        units = units * 10 + quint64(text[i].digitValue());
        if (units > limit / Scale)
            return std::nullopt; // would not fit
    }
    quint64 frac = 0;
    int fracDigits = 0;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        for (; i < text.size() && text[i].isDigit(); ++i, ++fracDigits) {
            if (fracDigits >= 4) {
                // More than four decimals only arrive as zeros from the database.
                if (text[i] != u'0')
                    return std::nullopt;
                continue;
            }
            frac = frac * 10 + quint64(text[i].digitValue());
        }
    }
    if (i != text.size() || intDigits + fracDigits == 0)
        return std::nullopt;
    for (int d = std::min(fracDigits, 4); d < 4; ++d)
        frac *= 10;
    const quint64 magnitude = units * quint64(Scale) + frac;
    if (magnitude > limit)
        return std::nullopt;
    return fromRaw(negative ? qint64(0 - magnitude) : qint64(magnitude));
}

QString Money::toDecimalString() const
{
    const quint64 abs = m_raw < 0 ? quint64(-(m_raw + 1)) + 1 : quint64(m_raw);
    return QStringLiteral("%1%2.%3")
        .arg(m_raw < 0 ? QStringLiteral("-") : QString())
        .arg(abs / Scale)
        .arg(abs % Scale, 4, 10, QLatin1Char('0'));
}

Money Money::roundedToCents() const
{
    const qint64 step = Scale / 100;
    const qint64 half = step / 2;
    const qint64 r = m_raw >= 0 ? (m_raw + half) / step : -((-m_raw + half) / step);
    return fromRaw(r * step);
}

Money Money::times(double factor) const
{
    return fromRaw(qint64(std::llround(double(m_raw) * factor)));
}

Money Money::fromVariant(const QVariant &value)
{
    if (value.isNull())
        return Money();
    if (value.metaType() == QMetaType::fromType<Money>())
        return value.value<Money>();
    return fromDouble(value.toDouble());
}
