#include "app/WindowRegistry.h"

#include "catalogue/FrmCDKayitUnit1.h"
#include "catalogue/FrmCDTanimUnit.h"
#include "catalogue/FrmNavigatorUnit.h"
#include "customers/DlgKameraUnit.h"
#include "customers/DlgMiniAcikUnit.h"
#include "customers/DlgMiniResimUnit.h"
#include "customers/FrmMusKayitUnit.h"
#include "customers/FrmMusteriUnit.h"
#include "shell/FrmHakkindaUnit.h"
// cash box, renting statistics, charts
#include "cashbox/DlgKasaSifreUnit.h"
#include "cashbox/FrmKasaHareketGirisUnit.h"
#include "cashbox/FrmKasaHareketUnit.h"
#include "reports/DlgCDIstUnit.h"
#include "reports/FrmGrafikUnit.h"

// Rent and sell
#include "rental/DlgBarkodOkuUnit.h"
#include "rental/FrmCDIadeUnit.h"
#include "rental/FrmCDKiraUnit.h"
#include "rental/FrmCDKontrolUnit.h"
#include "rental/FrmTakasUnit.h"
#include "service/FrmServisUnit.h"
#include "messaging/FrmMailArsivUnit.h"
#include "messaging/FrmMailListUnit.h"
#include "messaging/FrmMailUnit.h"

QPointer<TFrmCDTanim> FrmCDTanim;
QPointer<TFrmCDKayit> FrmCDKayit;
QPointer<TFrmNavigator> FrmNavigator;
QPointer<TFrmMusteri> FrmMusteri;
QPointer<TFrmMusKayit> FrmMusKayit;
QPointer<TDlgKamera> DlgKamera;
QPointer<TDlgMiniResim> DlgMiniResim;
QPointer<TDlgMiniAcik> DlgMiniAcik;
QPointer<TFrmHakkinda> FrmHakkinda;
// cash box, renting statistics, charts
QPointer<TFrmKasaHareket> FrmKasaHareket;
QPointer<TFrmKasaHareketGiris> FrmKasaHareketGiris;
QPointer<TDlgKasaSifre> DlgKasaSifre;
QPointer<TDlgCdIst> DlgCDIst;
QPointer<TFrmGrafik> FrmGrafik;

// Rent and sell
QPointer<TFrmCDKira> FrmCDKira;
QPointer<TDlgBarkodOku> DlgBarkodOku;
QPointer<TFrmCdIade> FrmCdIade;
QPointer<TFrmTakas> FrmTakas;
QPointer<TFrmCDKontrol> FrmCDKontrol;
QPointer<TFrmServis> FrmServis;


QPointer<TFrmMail> FrmMail;
QPointer<TFrmMailList> FrmMailList;
QPointer<TFrmMailArsiv> FrmMailArsiv;


namespace {
QPointer<QMdiArea> g_documentArea;
}

namespace Windows {

void setDocumentArea(QMdiArea *area)
{
    g_documentArea = area;
}

QMdiArea *documentArea()
{
    return g_documentArea;
}

bool closeOtherWindows(QWidget *keep)
{
    auto spared = [keep](QWidget *w) { return !w || w == keep || w->isAncestorOf(keep); };
    if (g_documentArea) {
        for (QMdiSubWindow *sub : g_documentArea->subWindowList()) {
            if (!spared(sub) && !spared(sub->widget()) && !sub->close())
                return false;
        }
    }
    // Windows shown on their own (no frame around them, as in tests).
    const QList<QPointer<QWidget>> registered = {
        FrmCDTanim.data(), FrmCDKayit.data(), FrmNavigator.data(), FrmMusteri.data(), FrmMusKayit.data(),
        DlgKamera.data(), DlgMiniResim.data(), DlgMiniAcik.data(), FrmHakkinda.data(), FrmCDKira.data(), FrmMailArsiv.data(), FrmMail.data(), FrmMailList.data(),
        FrmKasaHareket.data(), FrmKasaHareketGiris.data(), DlgKasaSifre.data(), DlgCDIst.data(), FrmGrafik.data(),
        DlgBarkodOku.data(), FrmCdIade.data(), FrmTakas.data(), FrmCDKontrol.data()};
    for (const QPointer<QWidget> &w : registered) {
        if (!spared(w) && w->isVisible() && !w->close())
            return false;
    }
    return true;
}

} // namespace Windows
