// Dates typed by the clerk (parseShortDate, "05.03.2007") and date texts read
// back from an SQLite column (parseCanonicalDateTime): no text may crash
// them, and a date they accept reads back the same once shown.
#include "FuzzCheck.h"
#include "components/Format.h"
#include "db/SqlDialect.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzzText(data, size);
    const QDate d = Format::parseShortDate(text);
    if (d.isValid()) {
        FUZZ_CHECK(Format::parseShortDate(Format::shortDate(d)) == d, text + " -> " + Format::shortDate(d));
        Format::longDate(d);
        Format::weekdayName(d);
    }
    const QDateTime dt = parseCanonicalDateTime(text);
    if (dt.isValid()) {
        // The column keeps local time to the second.
        const QString stored = canonicalDateTimeText(dt);
        QDateTime local = dt.toLocalTime();
        local.setTime(QTime(local.time().hour(), local.time().minute(), local.time().second()));
        const int year = local.date().year();
        FUZZ_CHECK(year < 1 || year > 9999 || parseCanonicalDateTime(stored) == local, text + " -> " + stored);
        Format::dateTimeSeconds(dt);
        Format::shortDateTime(dt);
    }
    return 0;
}
