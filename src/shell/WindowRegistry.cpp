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
QPointer<TFrmMail> FrmMail;
QPointer<TFrmMailList> FrmMailList;
QPointer<TFrmMailArsiv> FrmMailArsiv;

QPointer<QWidget> FrmCDKira;
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
