#include "shell/WindowRegistry.h"

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
#include "catalogue/DlgBarkodOkuUnit.h"
#include "rental/FrmCDKiraUnit.h"

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

QPointer<QWidget> FrmMailArsiv;
QPointer<QWidget> FrmServis;

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

} // namespace Windows
