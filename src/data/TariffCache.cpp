#include "data/TariffCache.h"

#include "components/DataSet.h"
#include "data/Dm1Unit.h"

TariffCache &TariffCache::instance()
{
    static TariffCache cache;
    return cache;
}

void loadTariffCache(bool serviceWindowOpen)
{
    TariffCache &c = TariffCache::instance();
    DataSet *t = Dm1->Tarife;
    t->open();
    // An empty column (or no row at all) reads as 0.
    for (const TariffPriceColumn &p : TariffPriceColumns) {
        const QVariant v = t->value(QLatin1StringView(p.column));
        c.*p.price = v.isNull() ? Money() : v.value<Money>();
    }
    c.PazarGunu = qint16(t->value(QStringLiteral("PazarGunu")).toInt());
    c.TarifeTur = qint16(qRound(t->value(QStringLiteral("TarifeTur")).toDouble()));
    if (!serviceWindowOpen)
        t->close();

    DataSet *config = Dm1->Config;
    config->open();
    c.MailAdres = config->value(QStringLiteral("MailAdres")).toString().left(100);
    c.MailSifre = config->value(QStringLiteral("MailSifre")).toString().left(100);
    c.MailSMTP = config->value(QStringLiteral("MailSMTP")).toString().left(100);
    if (!serviceWindowOpen)
        config->close();
}
