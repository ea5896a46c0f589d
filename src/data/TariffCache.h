#pragma once

#include "db/Money.h"

#include <QString>

// The prices and switches of the one Tarife row and the mail account of the
// Config row, as loaded after login. Every window that prices a transaction
// reads them here at the moment it prices; only loading them writes them.
struct TariffCache
{
    Money GunlukVCD_Kira, GunlukDVD_Kira, DivxGunluk_Kira;
    Money UyeGunlukVCD_Kira, UyeGunlukDVD_Kira, UyeGunlukDivx_Kira;
    Money TakasUcretiVCD, TakasUcretiDVD;
    qint16 PazarGunu = 0;
    Money GunlukVCDCeza, GunlukDVDCeza, GunlukDivxCeza;
    Money VCDSatis, DVDSatis, DivXSatis;
    qint16 TarifeTur = 0;
    QString MailAdres, MailSifre, MailSMTP;

    static TariffCache &instance();
};

// Fills the cache from the current rows of Dm1's Tarife and Config (opening
// them when closed). The service window keeps both open and positioned for
// editing while it exists: pass true then, and they are left open; otherwise
// they are closed again.
void loadTariffCache(bool serviceWindowOpen);
