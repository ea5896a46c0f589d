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
    auto price = [t](const char *field) {
        const QVariant v = t->value(QLatin1StringView(field));
        return v.isNull() ? Money() : v.value<Money>();
    };
    c.GunlukVCD_Kira = price("GunlukVCD_Kira");
    c.GunlukDVD_Kira = price("GunlukDVD_Kira");
    c.UyeGunlukVCD_Kira = price("UyeGunlukVCD_Kira");
    c.UyeGunlukDVD_Kira = price("UyeGunlukDVD_Kira");
    c.TakasUcretiVCD = price("TakasUcretiVCD");
    c.TakasUcretiDVD = price("TakasUcretiDVD");
    c.DivxGunluk_Kira = price("DivxGunluk_Kira");
    c.UyeGunlukDivx_Kira = price("UyeGunlukDivx_Kira");
    c.PazarGunu = qint16(t->value(QStringLiteral("PazarGunu")).toInt());
    c.TarifeTur = qint16(qRound(t->value(QStringLiteral("TarifeTur")).toDouble()));
    c.VCDSatis = price("VCDSatis");
    c.DVDSatis = price("DVDSatis");
    c.DivXSatis = price("DivXSatis");
    c.GunlukVCDCeza = price("GunlukVCDCeza");
    c.GunlukDVDCeza = price("GunlukDVDCeza");
    c.GunlukDivxCeza = price("GunlukDivxCeza");
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
