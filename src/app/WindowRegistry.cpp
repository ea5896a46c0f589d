#include "app/WindowRegistry.h"

// The references are defined here on the windows' forward declarations; no
// window header is needed below the windows.

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
// Every window of the program that exists, in the order they were made.
QList<QPointer<QWidget>> g_windows;
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

void track(QWidget *window)
{
    g_windows.removeAll(QPointer<QWidget>());
    g_windows.append(window);
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
    const QList<QPointer<QWidget>> registered = g_windows;
    for (const QPointer<QWidget> &w : registered) {
        if (!spared(w) && w->isVisible() && !w->close())
            return false;
    }
    return true;
}

} // namespace Windows
