// Every amount shown with each of the program's patterns reads back: exactly
// where the pattern keeps the four decimals, rounded half away from zero to
// the pattern's decimals elsewhere. The amount is any 64-bit count of
// ten-thousandths.
#include "FuzzCheck.h"
#include "components/Format.h"

#include <cstring>

namespace {

// The amount rounded to `decimals` (0, 2 or 4), half away from zero, as
// 128-bit arithmetic so that the extremes cannot overflow here.
__int128 rounded(qint64 raw, int decimals)
{
    const __int128 step = decimals == 4 ? 1 : decimals == 2 ? 100 : 10000;
    const __int128 abs = raw < 0 ? -__int128(raw) : __int128(raw);
    const __int128 r = (abs + step / 2) / step * step;
    return raw < 0 ? -r : r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < sizeof(qint64))
        return 0;
    qint64 raw;
    std::memcpy(&raw, data, sizeof raw);
    const Money m = Money::fromRaw(raw);
    struct { const char *pattern; int decimals; } patterns[] = {
        {Format::Money4, 4}, {"#,###0.#### ", 4}, {"0.####", 4},
        {Format::Money2, 2}, {Format::Money2NoZero, 2},
        {Format::Thousands, 0}, {Format::Plain, 0}, {"0", 0},
    };
    for (const auto &p : patterns) {
        const QString shown = Format::number(m, QString::fromLatin1(p.pattern));
        const __int128 want = rounded(raw, p.decimals);
        const auto back = Format::parseMoney(shown);
        if (want > INT64_MAX || want < INT64_MIN) {
            // Rounding the largest amounts up leaves the range: nothing to read back.
            FUZZ_CHECK(!back, shown);
            continue;
        }
        if (want == 0 && shown.trimmed().isEmpty())
            continue; // '#' patterns show nothing for zero
        FUZZ_CHECK(back && back->raw() == qint64(want),
                   QStringLiteral("%1 with %2 -> '%3' -> %4")
                       .arg(m.toDecimalString(), QString::fromLatin1(p.pattern), shown,
                            back ? back->toDecimalString() : QStringLiteral("nothing")));
    }
    return 0;
}
