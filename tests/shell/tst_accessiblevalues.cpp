// Every window of the program walked on a generated shop, the way a clerk
// fills it: rows chosen, a rental typed, totals worked out, a chart drawn.
// At each step every label in sight must let a screen reader hear what it
// shows: a label whose value is set while the program runs and which carries
// a caption as its accessible name must expose the value too.
#include "ShopGenerator.h"
#include "cashbox/DlgKasaSifreUnit.h"
#include "cashbox/FrmKasaHareketGirisUnit.h"
#include "cashbox/FrmKasaHareketUnit.h"
#include "rental/DlgBarkodOkuUnit.h"
#include "catalogue/FrmCDKayitUnit1.h"
#include "catalogue/FrmCDTanimUnit.h"
#include "catalogue/FrmNavigatorUnit.h"
#include "components/DBControls.h"
#include "components/DataSet.h"
#include "customers/DlgKameraUnit.h"
#include "customers/DlgMiniAcikUnit.h"
#include "customers/DlgMiniResimUnit.h"
#include "customers/FrmMusKayitUnit.h"
#include "customers/FrmMusteriUnit.h"
#include "customers/VideoCapture.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "data/TariffCache.h"
#include "messaging/FrmMailArsivUnit.h"
#include "messaging/FrmMailListUnit.h"
#include "messaging/FrmMailUnit.h"
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

#include <QAccessible>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QDirIterator>
#include <QLabel>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

using namespace TestSupport;

namespace {

QString plain(const QLabel *label)
{
    QString t = Qt::mightBeRichText(label->text()) ? QTextDocumentFragment::fromHtml(label->text()).toPlainText()
                                                   : label->text();
    return t.remove(u'&').simplified();
}

} // namespace

class TestAccessibleValues : public QObject
{
    Q_OBJECT

private slots:
    void everyShownValueIsHeard();

private:
    // Every label of the window (and of the windows open beside it) that
    // shows a text a screen reader does not get.
    void check(QWidget *window, const QString &step);

    QStringList m_unheard;
    QSet<QString> m_walked;
};

void TestAccessibleValues::check(QWidget *window, const QString &step)
{
    QApplication::processEvents();
    QWidgetList windows = QApplication::topLevelWidgets();
    windows << window;
    for (QWidget *top : std::as_const(windows)) {
        if (top != window && !top->isVisible())
            continue;
        QList<QLabel *> labels = top->findChildren<QLabel *>();
        for (QLabel *label : std::as_const(labels)) {
            const QString shown = plain(label);
            if (shown.isEmpty() || !label->isVisibleTo(top))
                continue;
            QAccessibleInterface *a = QAccessible::queryAccessibleInterface(label);
            const QString heard = QStringList{a->text(QAccessible::Name), a->text(QAccessible::Description),
                                              a->text(QAccessible::Value)}
                                      .join(u'\n')
                                      .remove(u'&');
            if (!heard.simplified().contains(shown)) {
                const QString entry = QStringLiteral("%1 > %2 '%3' shows '%4' but is heard as '%5'")
                                          .arg(step, QLatin1String(label->window()->metaObject()->className()),
                                               label->objectName(), shown, heard.simplified());
                if (!m_unheard.contains(entry))
                    m_unheard << entry;
            }
        }
        m_walked << QLatin1String(top->metaObject()->className());
    }
}

void TestAccessibleValues::everyShownValueIsHeard()
{
    TestHome home;
    TestDatabase db;
    QVERIFY(db.open());
    TDm1 dm1;
    TDm2 dm2;
    ScriptedPrompts *prompts = ScriptedPrompts::install();
    const QDate today = QDate::currentDate();
    QString error;
    QVERIFY2(generateShop(Database::connection(), ShopSize{60, 120, 600, 900}, 7, today, &error), qPrintable(error));
    auto choose = [](QComboBox *box, int index) {
        box->setCurrentIndex(index);
        emit box->activated(index);
    };
    // Acts on a modal window once it shows, then closes it.
    auto whenShown = [](auto &ref, std::function<void()> act) {
        auto *poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, poll, [&ref, act, poll] {
            if (!ref || !ref->isVisible())
                return;
            poll->stop();
            poll->deleteLater();
            act();
            ref->reject();
        });
        poll->start(5);
    };

    TFrmMain frame;
    frame.resize(1280, 800);
    frame.LoadTariffCache();
    check(&frame, QStringLiteral("frame"));
    {
        TFrmUserX login(&frame);
        login.show();
        check(&login, QStringLiteral("login"));
        TFrmHakkinda about;
        about.show();
        check(&about, QStringLiteral("about"));
    }

    // The catalogue: the list, a title being edited, the navigator.
    TFrmCDTanim *titles = OpenCDDefinitions();
    Dm1->CD->next();
    check(titles, QStringLiteral("titles"));
    if (Dm1->CD->edit()) {
        TFrmCDKayit entry(titles);
        entry.show();
        check(&entry, QStringLiteral("title entry"));
    }
    TFrmNavigator *navigator = OpenNavigator();
    choose(navigator->ComboBox1, 8);
    navigator->SpeedButton1->click();
    check(navigator, QStringLiteral("navigator"));
    navigator->close();
    titles->close();

    // Customers: the list on its second row, the registration, the camera
    // and the two companions.
    VideoCapture::factory() = [] { return std::make_unique<FakeVideoCapture>(); };
    auto *customers = new TFrmMusteri;
    customers->show();
    Dm1->Musteri->next();
    check(customers, QStringLiteral("customers"));
    if (Dm1->Musteri->edit()) {
        auto *registration = new TFrmMusKayit(customers);
        registration->show();
        check(registration, QStringLiteral("registration"));
        registration->reject();
        delete registration;
    }
    {
        TDlgKamera camera;
        camera.show();
        check(&camera, QStringLiteral("camera"));
        TDlgMiniResim photo;
        photo.show();
        check(&photo, QStringLiteral("photo"));
        TDlgMiniAcik note;
        note.show();
        check(&note, QStringLiteral("note"));
    }
    customers->close();
    delete customers;
    VideoCapture::factory() = nullptr;

    // Rent and sell: a rental being typed (its due date and weekday), the
    // list moved to another transaction, the barcode entry.
    TFrmCDKira *rent = OpenRentWindow();
    rent->resize(1280, 800);
    rent->tbNew->click();
    choose(rent->DBLookupComboBox1, 3);
    choose(rent->DBComboBox2, rent->DBComboBox2->findText(QStringLiteral("DVD")));
    choose(rent->DBLookupComboBox2, 2);
    rent->SpinEdit1->setValue(3);
    check(rent, QStringLiteral("rental typed"));
    Dm1->Hareket->cancel();
    Dm1->Hareket->next();
    check(rent, QStringLiteral("rental list moved"));
    {
        TDlgBarkodOku barcode(rent);
        barcode.show();
        check(&barcode, QStringLiteral("barcode"));
    }
    rent->close();
    delete rent;

    // The check window on every report; the return of its first rental.
    TFrmCDKontrol *checkWindow = OpenCheckWindow();
    for (int r = 0; r < 6; ++r) {
        checkWindow->RadioGroup1->button(r)->click();
        check(checkWindow, QStringLiteral("check report %1").arg(r + 1));
    }
    checkWindow->RadioGroup1->button(3)->click();
    if (!Dm1->CDKontrol->isEmpty()) {
        DataSet *list = Dm1->CDKontrol;
        whenShown(FrmCdIade, [&] { check(FrmCdIade, QStringLiteral("return")); });
        OpenReturnWindow(checkWindow, list->value(QStringLiteral("ID")), list->value(QStringLiteral("AdSoyad")).toString(),
                         list->value(QStringLiteral("FilmAdi")).toString());
    } else {
        QFAIL("the generated shop has no rental out");
    }
    checkWindow->close();
    delete checkWindow;
    {
        auto *exchange = new TFrmTakas;
        FrmTakas = exchange;
        exchange->show();
        choose(exchange->ComboBox2, 1);
        check(exchange, QStringLiteral("exchange"));
        exchange->reject();
        delete exchange;
    }

    // The cash box on the last month, its entry and password dialogs, the
    // renting statistics and every chart.
    TFrmKasaHareket *cash = OpenCashBox();
    cash->Picker1->setDate(today.addDays(-30));
    cash->Combo1->setCurrentIndex(0);
    check(cash, QStringLiteral("cash box"));
    if (Dm1->Kasa->edit()) {
        TFrmKasaHareketGiris entry;
        entry.show();
        check(&entry, QStringLiteral("cash entry"));
        entry.reject();
    }
    {
        TDlgKasaSifre password;
        password.show();
        check(&password, QStringLiteral("password"));
        TDlgCdIst statistics;
        statistics.show();
        check(&statistics, QStringLiteral("renting statistics"));
    }
    cash->close();
    TFrmGrafik *charts = OpenGraphics();
    charts->Picker1->setDate(today.addYears(-1));
    for (int i = 0; i < charts->TreeView1->topLevelItemCount(); ++i) {
        charts->TreeView1->setCurrentItem(charts->TreeView1->topLevelItem(i));
        check(charts, QStringLiteral("chart %1").arg(i + 1));
    }
    charts->close();

    // The service window on every page.
    {
        auto *service = new TFrmServis;
        service->show();
        for (int p = 0; p < TFrmServis::PageCount; ++p) {
            service->setPage(p);
            check(service, QStringLiteral("service page %1").arg(p));
        }
        service->reject();
        delete service;
    }

    // E-mail: a message with its sender, the recipient list, the archive on
    // each folder with a message chosen.
    TariffCache::instance().MailAdres = QStringLiteral("videodukkani@example.com");
    {
        TFrmMail mail;
        mail.show();
        check(&mail, QStringLiteral("mail"));
        TFrmMailList list(&mail);
        list.show();
        Dm2->MusteriListe->next();
        list.btnAdd->click();
        check(&list, QStringLiteral("recipient list"));
    }
    auto *archive = new TFrmMailArsiv;
    archive->show();
    for (int f = 0; f < archive->TreeView1->topLevelItemCount(); ++f) {
        archive->TreeView1->setCurrentItem(archive->TreeView1->topLevelItem(f));
        Dm2->MailNav->last();
        check(archive, QStringLiteral("mail archive folder %1").arg(f));
    }
    archive->close();
    delete archive;
    TariffCache::instance().MailAdres.clear();
    QApplication::processEvents();
    VERIFY_ALL_ANSWERED(prompts);
    PromptService::install(nullptr);

    // No window of the program may be left out of the walk.
    QStringList missed;
    for (const QString &name : TestSupport::windowClasses(QStringLiteral(VEXARO_SOURCE_DIR)))
        if (!m_walked.contains(name))
            missed << name;
    QVERIFY2(missed.isEmpty(), qPrintable(QStringLiteral("windows not walked: ") + missed.join(QStringLiteral(", "))));
    QVERIFY2(m_unheard.isEmpty(), qPrintable(u'\n' + m_unheard.join(u'\n')));
    Database::close(Database::ConnectionName);
}

QTEST_MAIN(TestAccessibleValues)
#include "tst_accessiblevalues.moc"
