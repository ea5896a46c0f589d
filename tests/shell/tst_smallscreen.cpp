// Every window of the program on a 1366 x 768 screen with the frame
// maximised: each control a clerk can reach (visible, with an accessible
// name) must lie inside what the screen shows of its window. A form that
// cannot shrink so far has to scroll; a control inside a scroll area counts
// as reachable when the scroll area is.
#include "ShopGenerator.h"
#include "cashbox/DlgKasaSifreUnit.h"
#include "cashbox/FrmKasaHareketGirisUnit.h"
#include "cashbox/FrmKasaHareketUnit.h"
#include "catalogue/FrmCDKayitUnit1.h"
#include "catalogue/FrmCDTanimUnit.h"
#include "catalogue/FrmNavigatorUnit.h"
#include "components/DataSet.h"
#include "customers/DlgKameraUnit.h"
#include "customers/DlgMiniAcikUnit.h"
#include "customers/DlgMiniResimUnit.h"
#include "customers/FrmMusKayitUnit.h"
#include "customers/FrmMusteriUnit.h"
#include "customers/VideoCapture.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "messaging/FrmMailArsivUnit.h"
#include "messaging/FrmMailListUnit.h"
#include "messaging/FrmMailUnit.h"
#include "rental/DlgBarkodOkuUnit.h"
#include "rental/FrmCDIadeUnit.h"
#include "rental/FrmCDKiraUnit.h"
#include "rental/FrmCDKontrolUnit.h"
#include "rental/FrmTakasUnit.h"
#include "reports/DlgCDIstUnit.h"
#include "reports/FrmGrafikUnit.h"
#include "service/FrmServisUnit.h"
#include "shell/FrmHakkindaUnit.h"
#include "shell/FrmMainUnit.h"
#include "shell/FrmUserXUnit.h"
#include "app/WindowRegistry.h"
#include "support/ScriptedPrompts.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QButtonGroup>
#include <QToolButton>
#include <QApplication>
#include <QDirIterator>
#include <QLayout>
#include <QMdiArea>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

using namespace TestSupport;

namespace {

// The frame maximised on a 1366 x 768 screen: the taskbar (40 px) and the
// frame's caption (30 px) take their share of the height.
const QSize Frame(1366, 768 - 40 - 30);
const QSize Screen(1366, 768 - 40);

} // namespace

class TestSmallScreen : public QObject
{
    Q_OBJECT

private slots:
    void everyControlOnScreen();

private:
    // Lays the window out at `visible` (or as small as it goes) and notes
    // every reachable control outside what the screen shows of it.
    void check(QWidget *window, const QSize &visible, const QString &step);

    QStringList m_off;
    QSet<QString> m_walked;
};

void TestSmallScreen::check(QWidget *window, const QSize &visible, const QString &step)
{
    window->resize(window->size().boundedTo(visible)); // no smaller than it can go
    QApplication::processEvents();
    const QList<QWidget *> children = window->findChildren<QWidget *>();
    for (QWidget *c : children) {
        if (c->accessibleName().isEmpty() || !c->isVisibleTo(window) || c->window() != window)
            continue;
        // Inside a scroll area, the outermost scroll area is what must show.
        QWidget *target = c;
        for (QWidget *p = c->parentWidget(); p && p != window; p = p->parentWidget())
            if (auto *area = qobject_cast<QAbstractScrollArea *>(p); area && area->viewport()->isAncestorOf(c))
                target = area;
        QRect shown = QRect(QPoint(), visible) & window->rect();
        for (QWidget *p = target->parentWidget(); p && p != window; p = p->parentWidget())
            shown &= QRect(p->mapTo(window, QPoint()), p->size());
        const QRect at(target->mapTo(window, QPoint()), target->size());
        if (!shown.contains(at)) {
            const QString entry = QStringLiteral("%1 > %2 '%3' at %4,%5 %6x%7, the screen shows %8x%9 of %10x%11")
                                      .arg(step, QLatin1String(window->metaObject()->className()), target->accessibleName())
                                      .arg(at.x()).arg(at.y()).arg(at.width()).arg(at.height())
                                      .arg(shown.right() + 1).arg(shown.bottom() + 1)
                                      .arg(window->width()).arg(window->height());
            if (!m_off.contains(entry))
                m_off << entry;
        }
    }
    m_walked << QLatin1String(window->metaObject()->className());
}

void TestSmallScreen::everyControlOnScreen()
{
    TestHome home;
    TestDatabase db;
    QVERIFY(db.open());
    TDm1 dm1;
    TDm2 dm2;
    ScriptedPrompts *prompts = ScriptedPrompts::install();
    QString error;
    QVERIFY2(generateShop(Database::connection(), ShopSize{30, 60, 200, 300}, 7, QDate::currentDate(), &error),
             qPrintable(error));

    // The frame, and the room its document area leaves a child window. It
    // is not shown (showing starts the login): the children are laid out
    // at that room on their own.
    QSize room;
    {
        TFrmMain frame;
        frame.resize(Frame);
        frame.LoadTariffCache();
        frame.layout()->activate();
        room = frame.documentArea()->size();
        check(&frame, Frame, QStringLiteral("frame"));
        TFrmUserX login(&frame);
        login.show();
        check(&login, Screen, QStringLiteral("login"));
        TFrmHakkinda about;
        about.show();
        check(&about, Screen, QStringLiteral("about"));
    }
    QVERIFY(room.width() > 1000 && room.height() > 400);
    auto child = [&](QWidget *w, const QString &step) {
        w->showNormal();
        w->resize(room);
        check(w, room, step);
    };

    TFrmCDTanim *titles = OpenCDDefinitions();
    child(titles, QStringLiteral("titles"));
    Dm1->CD->next();
    if (Dm1->CD->edit()) {
        TFrmCDKayit entry(titles);
        entry.show();
        check(&entry, Screen, QStringLiteral("title entry"));
    }
    TFrmNavigator *navigator = OpenNavigator();
    child(navigator, QStringLiteral("navigator"));
    navigator->close();
    titles->close();

    VideoCapture::factory() = [] { return std::make_unique<FakeVideoCapture>(); };
    auto *customers = new TFrmMusteri;
    child(customers, QStringLiteral("customers"));
    if (Dm1->Musteri->edit()) {
        auto *registration = new TFrmMusKayit(customers);
        registration->show();
        for (int p = 0; p < registration->PageControl1->count(); ++p) {
            registration->PageControl1->setCurrentIndex(p);
            check(registration, Screen, QStringLiteral("registration page %1").arg(p));
        }
        registration->reject();
        delete registration;
    }
    {
        TDlgKamera camera;
        camera.show();
        check(&camera, Screen, QStringLiteral("camera"));
        TDlgMiniResim photo;
        photo.show();
        check(&photo, Screen, QStringLiteral("photo"));
        TDlgMiniAcik note;
        note.show();
        check(&note, Screen, QStringLiteral("note"));
    }
    customers->close();
    delete customers;
    VideoCapture::factory() = nullptr;

    TFrmCDKira *rent = OpenRentWindow();
    rent->tbNew->click();
    child(rent, QStringLiteral("rent"));
    Dm1->Hareket->cancel();
    {
        TDlgBarkodOku barcode(rent);
        barcode.show();
        check(&barcode, Screen, QStringLiteral("barcode"));
    }
    rent->close();
    delete rent;

    TFrmCDKontrol *checkWindow = OpenCheckWindow();
    checkWindow->RadioGroup1->button(3)->click();
    child(checkWindow, QStringLiteral("check"));
    {
        auto *ret = new TFrmCdIade(checkWindow);
        FrmCdIade = ret;
        ret->show();
        check(ret, Screen, QStringLiteral("return"));
        ret->reject();
        delete ret;
    }
    checkWindow->close();
    delete checkWindow;
    {
        auto *exchange = new TFrmTakas;
        FrmTakas = exchange;
        exchange->show();
        check(exchange, Screen, QStringLiteral("exchange"));
        exchange->reject();
        delete exchange;
    }

    TFrmKasaHareket *cash = OpenCashBox();
    child(cash, QStringLiteral("cash box"));
    if (Dm1->Kasa->edit()) {
        TFrmKasaHareketGiris entry;
        entry.show();
        check(&entry, Screen, QStringLiteral("cash entry"));
        entry.reject();
    }
    {
        TDlgKasaSifre password;
        password.show();
        check(&password, Screen, QStringLiteral("password"));
        TDlgCdIst statistics;
        statistics.show();
        check(&statistics, Screen, QStringLiteral("renting statistics"));
    }
    cash->close();
    TFrmGrafik *charts = OpenGraphics();
    child(charts, QStringLiteral("charts"));
    charts->close();
    {
        auto *service = new TFrmServis;
        service->show();
        for (int p = 0; p < TFrmServis::PageCount; ++p) {
            service->setPage(p);
            check(service, Screen, QStringLiteral("service page %1").arg(p));
        }
        service->reject();
        delete service;
    }
    {
        TFrmMail mail;
        mail.show();
        check(&mail, Screen, QStringLiteral("mail"));
        TFrmMailList list(&mail);
        list.show();
        check(&list, Screen, QStringLiteral("recipient list"));
    }
    TFrmMailArsiv *archive = OpenMailArchive();
    child(archive, QStringLiteral("mail archive"));
    archive->close();
    QApplication::processEvents();
    VERIFY_ALL_ANSWERED(prompts);
    PromptService::install(nullptr);

    // No window of the program may be left out.
    QStringList missed;
    for (const QString &name : TestSupport::windowClasses(QStringLiteral(VEXARO_SOURCE_DIR)))
        if (!m_walked.contains(name))
            missed << name;
    QVERIFY2(missed.isEmpty(), qPrintable(QStringLiteral("windows not walked: ") + missed.join(QStringLiteral(", "))));
    QVERIFY2(m_off.isEmpty(), qPrintable(u'\n' + m_off.join(u'\n')));
    Database::close(Database::ConnectionName);
}

QTEST_MAIN(TestSmallScreen)
#include "tst_smallscreen.moc"
