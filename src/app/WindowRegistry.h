#pragma once

#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

// Every window of the program is a single instance with one program-wide
// reference, held here and empty while the window does not exist. Openers
// create the window when its reference is empty and bring it forward
// otherwise; the window deletes itself when closed, which empties the
// reference. "Is window X open?" is asked of these references and nowhere
// else.

class TFrmCDTanim;
class TFrmCDKayit;
class TFrmNavigator;
class TFrmMusteri;
class TFrmMusKayit;
class TDlgKamera;
class TDlgMiniResim;
class TDlgMiniAcik;
class TFrmHakkinda;
// cash box, renting statistics, charts
class TFrmKasaHareket;
class TFrmKasaHareketGiris;
class TDlgKasaSifre;
class TDlgCdIst;
class TFrmGrafik;

// Rent and sell
class TFrmCDKira;
class TDlgBarkodOku;
extern QPointer<TFrmCDKira> FrmCDKira;
extern QPointer<TDlgBarkodOku> DlgBarkodOku;
// Returns, exchanges, the out-on-rent check
class TFrmCdIade;
class TFrmTakas;
class TFrmCDKontrol;
extern QPointer<TFrmCdIade> FrmCdIade;    // modal
extern QPointer<TFrmTakas> FrmTakas;      // modal
extern QPointer<TFrmCDKontrol> FrmCDKontrol;
class TFrmServis;
class TFrmMail;
class TFrmMailList;
class TFrmMailArsiv;

extern QPointer<TFrmCDTanim> FrmCDTanim;
extern QPointer<TFrmCDKayit> FrmCDKayit;
extern QPointer<TFrmNavigator> FrmNavigator;
extern QPointer<TFrmMusteri> FrmMusteri;
extern QPointer<TFrmMusKayit> FrmMusKayit;
extern QPointer<TDlgKamera> DlgKamera;
extern QPointer<TDlgMiniResim> DlgMiniResim;
extern QPointer<TDlgMiniAcik> DlgMiniAcik;
extern QPointer<TFrmHakkinda> FrmHakkinda;
// cash box, renting statistics, charts
extern QPointer<TFrmKasaHareket> FrmKasaHareket;
extern QPointer<TFrmKasaHareketGiris> FrmKasaHareketGiris;
extern QPointer<TDlgKasaSifre> DlgKasaSifre;
extern QPointer<TDlgCdIst> DlgCDIst;
extern QPointer<TFrmGrafik> FrmGrafik;
extern QPointer<TFrmServis> FrmServis;  // service and settings (modal)

extern QPointer<TFrmMail> FrmMail;
extern QPointer<TFrmMailList> FrmMailList;
extern QPointer<TFrmMailArsiv> FrmMailArsiv;


namespace Windows {

// The frame's document area, where child windows live; set by the frame.
void setDocumentArea(QMdiArea *area);
QMdiArea *documentArea();

// Each window names itself here when it is made, so that the registry finds
// it without knowing its class (the registry sits below the windows).
void track(QWidget *window);

// Closes every window of the program but `keep` (and the windows it lies
// in), each as if the clerk closed it; false as soon as one refuses (it
// asked to save and was told to stay). Windows close themselves later, as
// the event loop runs; their datasets are closed at once.
bool closeOtherWindows(QWidget *keep);

} // namespace Windows

// Creates the child window when its reference is empty (maximised inside the
// frame), or brings the existing one to the front.
template <class W, class Create>
W *openChildWindow(QPointer<W> &ref, Create create)
{
    QMdiArea *area = Windows::documentArea();
    if (!ref) {
        W *w = create();
        w->setAttribute(Qt::WA_DeleteOnClose);
        ref = w;
        if (area) {
            QMdiSubWindow *sub = area->addSubWindow(w);
            sub->setAttribute(Qt::WA_DeleteOnClose);
            // A window that closes itself (Esc, its Close button) takes its
            // frame in the document area with it.
            QObject::connect(w, &QObject::destroyed, sub, &QObject::deleteLater);
            sub->showMaximized();
        } else {
            w->showMaximized();
        }
        return w;
    }
    if (area) {
        for (QMdiSubWindow *sub : area->subWindowList()) {
            if (sub->widget() == ref) {
                area->setActiveSubWindow(sub);
                sub->showMaximized();
            }
        }
    }
    ref->raise();
    ref->activateWindow();
    return ref;
}

template <class W>
W *openChildWindow(QPointer<W> &ref)
{
    return openChildWindow(ref, [] { return new W; });
}

// Creates the modal window when its reference is empty and shows it, waiting
// until it closes; the window is then freed and the reference emptied.
template <class W, class Create>
int showModalWindow(QPointer<W> &ref, Create create)
{
    if (!ref)
        ref = create();
    QPointer<W> guard = ref;
    const int result = ref->exec();
    delete guard.data();
    return result;
}
