#include "shell/FrmMainUnit.h"

#include "catalogue/FrmCDTanimUnit.h"
#include "catalogue/FrmNavigatorUnit.h"
// cash box, renting statistics, charts
#include "cashbox/FrmKasaHareketUnit.h"
#include "reports/DlgCDIstUnit.h"
#include "reports/FrmGrafikUnit.h"

#include "components/DataSet.h"
#include "db/Money.h"
#include "components/PromptService.h"
#include "components/WindowKit.h"
#include "data/AutomaticBackup.h"
#include "data/Dm1Unit.h"
#include "data/TariffCache.h"
#include "shell/FrmHakkindaUnit.h"
#include "service/FrmServisUnit.h"
#include "customers/FrmMusteriUnit.h"
#include "shell/FrmUserXUnit.h"
#include "app/ToolbarPictures.h"
#include "app/WindowRegistry.h"
#include "reports/Report1Unit.h"
#include "rental/FrmCDKiraUnit.h"
#include "rental/FrmCDKontrolUnit.h"
#include "rental/FrmTakasUnit.h"
#include "messaging/FrmMailArsivUnit.h"
#include "messaging/FrmMailUnit.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMenuBar>
#include <QScreen>

TFrmMain *FrmMain = nullptr;
TFrmUserX *FrmUserX = nullptr;

TFrmMain::TFrmMain(QWidget *parent)
    : QMainWindow(parent), m_area(new QMdiArea(this)), m_backup(new AutomaticBackup(this))
{
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QStringLiteral("VEXARO ENG"));
    setAccessibleName(windowTitle());
    m_area->setObjectName(QStringLiteral("documentArea"));
    m_area->setBackground(QColor(0, 98, 150));
    setCentralWidget(m_area);
    // A copy that failed is said once; the counter goes on.
    connect(m_backup, &AutomaticBackup::failed, this, [](const QString &message) { Prompt::warning(message); });
    Windows::setDocumentArea(m_area);
    installToolbarPictures();
    buildMenu();
    // Centred on the screen for the moment it is not maximised.
    resize(1024, 700);
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
    FrmMain = this;
}

TFrmMain::~TFrmMain()
{
    if (FrmMain == this)
        FrmMain = nullptr;
}

QAction *TFrmMain::entry(QMenu *menu, const QString &caption, const char *name, const char *picture,
                         void (TFrmMain::*handler)(), bool built)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    if (picture)
        a->setIcon(Kit::picture(QLatin1String(picture)));
    // An entry whose window is not part of the program yet stays visible and
    // disabled.
    a->setEnabled(built);
    connect(a, &QAction::triggered, this, handler);
    return a;
}

void TFrmMain::buildMenu()
{
    QMenuBar *bar = menuBar();
    QMenu *process = bar->addMenu(QStringLiteral("&Process"));
    process->setObjectName(QStringLiteral("Process1"));
    // The counter's two windows open from anywhere in the program.
    QAction *rent = entry(process, QStringLiteral("CD &Rent / Sell"), "CDKiralama1", "rent", &TFrmMain::CDKiralama1Click, true);
    rent->setShortcut(Qt::Key_F2);
    rent->setShortcutContext(Qt::ApplicationShortcut);
    entry(process, QStringLiteral("CD &Exchange"), "CDTakas1", "exchange", &TFrmMain::CDTakas1Click, true);
    process->addSeparator();
    entry(process, QStringLiteral("Cash &Box Transactions"), "KasaHareketleri1", "cashbox", &TFrmMain::KasaHareketleri1Click, true);
    QAction *check = entry(process, QStringLiteral("CD &Check"), "CDKontrol1", "check", &TFrmMain::CDKontrol1Click, true);
    check->setShortcut(Qt::Key_F3);
    check->setShortcutContext(Qt::ApplicationShortcut);
    entry(process, QStringLiteral("CD-&Navigator"), "CDNavigator1", "navigator", &TFrmMain::CDNavigator1Click, true);
    process->addSeparator();
    entry(process, QStringLiteral("E&xit"), "k1", "exit", &TFrmMain::k1Click, true);

    QMenu *definitions = bar->addMenu(QStringLiteral("&Definitions"));
    definitions->setObjectName(QStringLiteral("Definitions1"));
    entry(definitions, QStringLiteral("CD &Definitions"), "CDTanmlamalar1", "titles", &TFrmMain::CDTanmlamalar1Click, true);
    entry(definitions, QStringLiteral("C&ustomer Definitions"), "MteriTanmliamalar1", "customers", &TFrmMain::MteriTanmliamalar1Click, true);
    definitions->addSeparator();
    entry(definitions, QStringLiteral("&Service / Settings"), "Servis1", "service", &TFrmMain::Servis1Click, true);

    QMenu *mail = bar->addMenu(QStringLiteral("&E-Mail Process"));
    mail->setObjectName(QStringLiteral("EMailProcess1"));
    entry(mail, QStringLiteral("&New E-Mail"), "MailGnderimi1", "new", &TFrmMain::MailGnderimi1Click, true);
    entry(mail, QStringLiteral("E-Mail &Archive"), "MailAriv1", "archive", &TFrmMain::MailAriv1Click, true);

    QMenu *reportsAndGraphics = bar->addMenu(QStringLiteral("&Report and Graphics"));
    reportsAndGraphics->setObjectName(QStringLiteral("ReportandGraphics1"));
    QMenu *reports = reportsAndGraphics->addMenu(QStringLiteral("&Reports"));
    reports->setObjectName(QStringLiteral("Reports1"));
    reports->setIcon(Kit::picture(QStringLiteral("edit")));
    entry(reports, QStringLiteral("&Stock Statistics"), "Stokstatistik1", nullptr, &TFrmMain::Stokstatistik1Click, true);
    entry(reports, QStringLiteral("&Renting Statistics"), "Kirastatistik1", nullptr, &TFrmMain::Kirastatistik1Click, true);
    entry(reportsAndGraphics, QStringLiteral("&Graphics"), "Grafikler1", "chart", &TFrmMain::Grafikler1Click, true);

    // Present but never shown: its entries cannot be reached from the menu.
    QMenu *sms = bar->addMenu(QStringLiteral("&SMS İşlemleri"));
    sms->setObjectName(QStringLiteral("SMSlemleri1"));
    sms->menuAction()->setVisible(false);
    QAction *send = sms->addAction(QStringLiteral("SMS &Gönderimi"));
    send->setObjectName(QStringLiteral("SMSGnderimi1"));
    send->setEnabled(false); // its window is not part of the program yet
    entry(sms, QStringLiteral("SMS &Arşivi"), "SMSArivi1", "archive", &TFrmMain::SMSArivi1Click, false);

    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    entry(help, QStringLiteral("&About"), "Hakknda1", "about", &TFrmMain::Hakknda1Click, true);

    for (QAction *a : bar->actions())
        a->menu()->setAccessibleName(a->text().remove(u'&'));
}

// ------------------------------------------------------------------ show

void TFrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // After the frame has painted, as the message loop runs.
    QMetaObject::invokeMethod(this, [this] { FormShow(); }, Qt::QueuedConnection);
}

bool TFrmMain::FormShow()
{
    // Numbers are shown and typed with ',' for decimals and '.' for
    // thousands everywhere: the formatting layer holds that convention.
    OpenLogin(this);
    if (!LoggedIn) {
        m_terminating = true;
        emit terminateRequested();
        return false;
    }
    LoadTariffCache();
    m_backup->startOfDay();
    return true;
}

void TFrmMain::LoadTariffCache()
{
    // The service window keeps the tariff and the mail account open and
    // positioned for editing.
    loadTariffCache(!FrmServis.isNull());
}

// ----------------------------------------------------------------- close

void TFrmMain::closeEvent(QCloseEvent *event)
{
    if (m_terminating) {
        event->accept();
        return;
    }
    if (!Prompt::confirm(QStringLiteral("Are you sure ?"))) {
        event->ignore();
        return;
    }
    m_terminating = true;
    // The day's work is copied before the program ends.
    if (LoggedIn)
        m_backup->closing();
    event->accept();
    emit terminateRequested();
}

void TFrmMain::keyPressEvent(QKeyEvent *event)
{
    // Esc on the frame itself (no child window took it) closes the program.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

// --------------------------------------------------------------- entries

void TFrmMain::k1Click()
{
    close();
}

void TFrmMain::Hakknda1Click()
{
    showModalWindow(FrmHakkinda, [this] { return new TFrmHakkinda(this); });
}

// The windows below join the program with the work that builds them; until
// then their entries are disabled.
void TFrmMain::CDKiralama1Click()
{
    OpenRentWindow();
}
void TFrmMain::CDTakas1Click()
{
    OpenExchangeWindow(this);
}
void TFrmMain::KasaHareketleri1Click()
{
    OpenCashBox();
}
void TFrmMain::CDKontrol1Click()
{
    OpenCheckWindow();
}
void TFrmMain::CDNavigator1Click()
{
    OpenNavigator();
}
void TFrmMain::CDTanmlamalar1Click()
{
    OpenCDDefinitions();
}
void TFrmMain::MteriTanmliamalar1Click()
{
    openChildWindow(FrmMusteri);
}
void TFrmMain::Servis1Click()
{
    OpenServiceWindow(TFrmServis::UserPage, this);
}
void TFrmMain::MailGnderimi1Click()
{
    OpenMailWindow(this);
}
void TFrmMain::MailAriv1Click()
{
    OpenMailArchive();
}
void TFrmMain::Stokstatistik1Click()
{
    PrintStockStatistics();
}
void TFrmMain::Kirastatistik1Click()
{
    OpenRentingStatistics(this);
}
void TFrmMain::Grafikler1Click()
{
    OpenGraphics();
}
void TFrmMain::SMSArivi1Click() {}

void SetFrameLogin(const QString &user, const QString &password)
{
    if (FrmMain) {
        FrmMain->CurrentUser = user;
        FrmMain->CurrentPassword = password;
    }
}
