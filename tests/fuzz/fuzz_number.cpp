// Numbers as the clerk types them (parseMoney, parseInteger) and as the
// database hands them back (Money::fromDecimalString): no text may crash them,
// and whatever they accept must read back to the same value once shown.
#include "FuzzCheck.h"
#include "components/Format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzzText(data, size);
    QString error;
    if (const auto m = Format::parseMoney(text, &error)) {
        // The edit form and the grid form keep all four decimals.
        for (const char *pattern : {"0.####", "#,###0.####"}) {
            const QString shown = Format::number(*m, QString::fromLatin1(pattern));
            FUZZ_CHECK(Format::parseMoney(shown) == m, text + " -> " + shown);
        }
        FUZZ_CHECK(Money::fromDecimalString(m->toDecimalString()) == m, text + " -> " + m->toDecimalString());
    } else {
        FUZZ_CHECK(!error.isEmpty(), text);
    }
    error.clear();
    if (const auto n = Format::parseInteger(text, &error)) {
        FUZZ_CHECK(Format::parseInteger(QString::number(*n)) == n, text);
        const QString shown = Format::number(*n, QStringLiteral("#,###"));
        FUZZ_CHECK(*n == 0 ? shown.isEmpty() : Format::parseInteger(shown) == n, text + " -> " + shown);
    } else {
        FUZZ_CHECK(!error.isEmpty(), text);
    }
    if (const auto d = Money::fromDecimalString(text))
        FUZZ_CHECK(Money::fromDecimalString(d->toDecimalString()) == d, text);
    return 0;
}
