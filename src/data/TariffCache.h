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

// The priced columns of Tarife: where the cache keeps each, and the caption of
// its edit on the service window's tariff page, in that page's order (the
// daily prices for non-members and for members, the sale prices, the daily
// penalties, the exchange fees). Loading the cache walks this list, and so
// does the page. GunlukCeza, a column no window uses, is not among them.
struct TariffPriceColumn
{
    const char *column;
    Money TariffCache::*price;
    const char *caption;
};

inline constexpr TariffPriceColumn TariffPriceColumns[] = {
    {"GunlukVCD_Kira", &TariffCache::GunlukVCD_Kira, "Daily VCD renting price"},
    {"GunlukDVD_Kira", &TariffCache::GunlukDVD_Kira, "Daily DVD renting price"},
    {"DivxGunluk_Kira", &TariffCache::DivxGunluk_Kira, "Daily DivX renting price"},
    {"UyeGunlukVCD_Kira", &TariffCache::UyeGunlukVCD_Kira, "Daily VCD renting price"},
    {"UyeGunlukDVD_Kira", &TariffCache::UyeGunlukDVD_Kira, "Daily DVD renting price"},
    {"UyeGunlukDivx_Kira", &TariffCache::UyeGunlukDivx_Kira, "Daily DivX renting price"},
    {"VCDSatis", &TariffCache::VCDSatis, "Fixed VCD Selling price "},
    {"DVDSatis", &TariffCache::DVDSatis, "Fixed DVD Selling price "},
    {"DivXSatis", &TariffCache::DivXSatis, "Fixed DivX Selling price "},
    {"GunlukVCDCeza", &TariffCache::GunlukVCDCeza, "Daily VCD penalty"},
    {"GunlukDVDCeza", &TariffCache::GunlukDVDCeza, "Daily DVD penalty"},
    {"GunlukDivxCeza", &TariffCache::GunlukDivxCeza, "Daily DivX penalty"},
    {"TakasUcretiVCD", &TariffCache::TakasUcretiVCD, "VCD exchange price"},
    {"TakasUcretiDVD", &TariffCache::TakasUcretiDVD, "DVD exchange price"},
};

// Fills the cache from the current rows of Dm1's Tarife and Config (opening
// them when closed). The service window keeps both open and positioned for
// editing while it exists: pass true then, and they are left open; otherwise
// they are closed again.
void loadTariffCache(bool serviceWindowOpen);
