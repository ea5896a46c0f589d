// vexaro-gallery [--size WxH] OUTDIR: draws every window and dialog of the
// program, offscreen, on a generated size-S shop in a temporary VEXARO_HOME,
// one PNG each, so the windows can be looked at without a screen. With
// --size, the frame is drawn as it stands maximised on a screen of that size
// (less a 40 px taskbar and its 30 px caption), and every child window at the
// size the frame's document area gives it there.

#include "ShopGenerator.h"
#include "catalogue/FrmCDKayitUnit1.h"
#include "catalogue/FrmCDTanimUnit.h"
#include "catalogue/FrmNavigatorUnit.h"
#include "db/Database.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "components/Format.h"
#include "app/Helpers.h"
#include "shell/FrmHakkindaUnit.h"
#include "shell/FrmMainUnit.h"
#include "shell/FrmUserXUnit.h"
#include "components/DataSet.h"
#include "reports/Report1Unit.h"
#include "reports/Report2Unit.h"
#include "customers/DlgKameraUnit.h"
#include "customers/DlgMiniAcikUnit.h"
#include "customers/DlgMiniResimUnit.h"
#include "customers/FrmMusKayitUnit.h"
#include "customers/FrmMusteriUnit.h"
#include "customers/PhotoView.h"
#include "rental/DlgBarkodOkuUnit.h"
#include "components/DBControls.h"
#include "rental/FrmCDIadeUnit.h"
#include "rental/FrmCDKiraUnit.h"
#include "rental/FrmCDKontrolUnit.h"
#include "rental/FrmTakasUnit.h"
#include "customers/DlgMiniAcikUnit.h"
#include "customers/DlgMiniResimUnit.h"
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QDateEdit>
#include <QLineEdit>
#include <QSpinBox>
// cash box, renting statistics, charts
#include "cashbox/DlgKasaSifreUnit.h"
#include "cashbox/FrmKasaHareketGirisUnit.h"
#include "cashbox/FrmKasaHareketUnit.h"
#include "reports/DlgCDIstUnit.h"
#include "reports/FrmGrafikUnit.h"
#include <QTreeWidget>
#include "service/FrmServisUnit.h"
#include "data/TariffCache.h"
#include "messaging/FrmMailArsivUnit.h"
#include "messaging/FrmMailListUnit.h"
#include "messaging/FrmMailUnit.h"
#include <QListWidget>
#include <QTextBrowser>
#include <QBuffer>
#include <QTabWidget>
#include <QTextEdit>

#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>

#include <QApplication>
#include <QComboBox>
#include <QToolButton>
#include <QDir>
#include <QFile>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <cstdio>

namespace {

QString g_out;
QStringList g_written;
QSize g_frame(1280, 800); // the frame's size
QSize g_child;            // a child window's size; empty: each its own

// A child window at the size it has inside the frame (or `own` without --size).
void fit(QWidget *w, const QSize &own)
{
    if (w->isMaximized()) // a maximised window keeps the (offscreen) screen's size
        w->showNormal();
    w->resize(g_child.isValid() ? g_child : own);
}

void save(QWidget *w, const QString &name)
{
    w->ensurePolished();
    if (QLayout *l = w->layout())
        l->activate();
    const QString file = g_out + u'/' + name + QStringLiteral(".png");
    if (w->grab().save(file))
        g_written << file;
    else
        std::fprintf(stderr, "vexaro-gallery: cannot write %s\n", qPrintable(file));
}

// A report's first page, drawn by the same code that prints it: written as
// PDF, then turned into a picture by pdftoppm.
void saveReport(const Report::BandReport &report, const QString &name)
{
    const QString pdf = g_out + u'/' + name + QStringLiteral(".pdf");
    if (!report.writePdf(pdf)) {
        std::fprintf(stderr, "vexaro-gallery: cannot write %s\n", qPrintable(pdf));
        return;
    }
    const QString base = g_out + u'/' + name;
    const int rc = QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("60"),
                                                                  QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                                  QStringLiteral("1"), QStringLiteral("-singlefile"), pdf, base});
    QFile::remove(pdf);
    if (rc == 0)
        g_written << base + QStringLiteral(".png");
    else
        std::fprintf(stderr, "vexaro-gallery: pdftoppm is needed for the report pictures\n");
}

void openReportData(const QString &sql, const QList<std::pair<QString, QVariant>> &params = {})
{
    DataSet *data = Dm2->RaporTemp;
    data->close();
    data->setSql(sql);
    for (const auto &p : params)
        data->setParameter(p.first, p.second);
    if (!data->open())
        std::fprintf(stderr, "vexaro-gallery: %s\n", qPrintable(data->lastError()));
}

void saveReports()
{
    const QDate today = QDate::currentDate();
    {
        TReport1 r;
        openReportData(QStringLiteral("Select * from CD\nOrder By ID"));
        saveReport(r.CDListeRP, QStringLiteral("Report-CDListeRP"));
        openReportData(QStringLiteral("Select * from Musteri\nOrder by ID"));
        saveReport(r.MusteriListeRP, QStringLiteral("Report-MusteriListeRP"));
        openReportData(QStringLiteral("Select * from Kasa Where Tarih Between :T1 and :T2"),
                       {{QStringLiteral("T1"), today.addDays(-30)}, {QStringLiteral("T2"), today}});
        r.KasaRP.setParam(QStringLiteral("PeriodBegin"), Format::shortDate(today.addDays(-30)));
        r.KasaRP.setParam(QStringLiteral("PeriodEnd"), Format::shortDate(today));
        saveReport(r.KasaRP, QStringLiteral("Report-KasaRP"));
        openReportData(TReport1::stockStatisticsSql());
        saveReport(r.StokIstRP, QStringLiteral("Report-StokIstRP"));
    }
    {
        TReport2 r;
        openReportData(TReport2::transactionReportSql());
        saveReport(r.HareketListeRP, QStringLiteral("Report-HareketListeRP"));
        Dm2->MailNav->open();
        r.setMailFromArchive();
        saveReport(r.MailRp, QStringLiteral("Report-MailRp"));
        Dm2->MailNav->close();
        Dm1->Musteri->open();
        Dm1->HareketTemp4->setParameter(0, Dm1->Musteri->value(QStringLiteral("ID")).toString());
        Dm1->HareketTemp4->open();
        r.MusteriIslemRP.setParam(QStringLiteral("Customer"), Dm1->Musteri->value(QStringLiteral("AdSoyad")).toString());
        saveReport(r.MusteriIslemRP, QStringLiteral("Report-MusteriIslemRP"));
        Dm1->HareketTemp4->close();
        Dm1->Musteri->close();
        Dm1->CDKontrol->setSql(QStringLiteral(
            "Select Hareket.IslemTur, Hareket.ID, Hareket.IslemTarih, Hareket.KiraTarih, Hareket.KiralamaGun, "
            "Hareket.GelecekTarih, Hareket.MusteriNo, Musteri.AdSoyad, CD.FilmAdi, CD.CDTur, CD.Stok, CD.Barkod\n"
            "FROM CD INNER JOIN (Musteri INNER JOIN Hareket ON Musteri.ID = Hareket.MusteriNo) ON CD.ID = Hareket.CdNo\n"
            "Where Hareket.IslemTur='Rent' and Hareket.CDDurum=0 and Hareket.GelecekTarih < :Bugun Order by Hareket.GelecekTarih"));
        Dm1->CDKontrol->setParameter(QStringLiteral("Bugun"), today);
        Dm1->CDKontrol->open();
        r.KiraCDRP.title = QStringLiteral("Delayed CD's");
        r.KiraCDRP.setParam(QStringLiteral("Version"), QStringLiteral("VEXARO / ") + BuildVersionText());
        saveReport(r.KiraCDRP, QStringLiteral("Report-KiraCDRP"));
        Dm1->CDKontrol->close();
        openReportData(QStringLiteral(" Select Count(*) as CounterX, CD.FilmAdi, FilmTuru,  CD.Konutur from hareket  "
                                      "Inner Join CD CD  on CD.ID=Hareket.CDNO  Where KiraTarih Between :T1 and :T2 "
                                      " Group by FilmAdi, FilmTuru, CD.KonuTur  Order by 1 Desc "),
                       {{QStringLiteral("T1"), today.addDays(-90)}, {QStringLiteral("T2"), today}});
        saveReport(r.FilmIstRp, QStringLiteral("Report-FilmIstRp"));
    }
    Dm2->RaporTemp->close();

    // The preview window the clerk prints from.
    TReport1 r;
    openReportData(TReport1::stockStatisticsSql());
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                      QPageLayout::Millimeter));
    QPrintPreviewDialog preview(&printer);
    preview.setWindowTitle(r.StokIstRP.title);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&r](QPrinter *p) { r.StokIstRP.paint(p); });
    preview.resize(1000, 760);
    preview.show();
    QApplication::processEvents();
    save(&preview, QStringLiteral("ReportPreview"));
    preview.hide();
    Dm2->RaporTemp->close();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--size")) {
        const QStringList wh = args[2].split(u'x');
        const QSize screen = wh.size() == 2 ? QSize(wh[0].toInt(), wh[1].toInt()) : QSize();
        if (screen.width() <= 0 || screen.height() <= 100) {
            std::fprintf(stderr, "vexaro-gallery: --size wants WIDTHxHEIGHT\n");
            return 2;
        }
        g_frame = QSize(screen.width(), screen.height() - 40 - 30);
        args.remove(1, 2);
    }
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: vexaro-gallery [--size WIDTHxHEIGHT] OUTDIR\n");
        return 2;
    }
    g_out = QDir(args[1]).absolutePath();
    if (!QDir().mkpath(g_out)) {
        std::fprintf(stderr, "vexaro-gallery: cannot create %s\n", qPrintable(g_out));
        return 1;
    }
    QTemporaryDir home;
    qputenv("VEXARO_HOME", home.path().toUtf8());
    qunsetenv("VEXARO_DATABASE");

    TDm1 dm1;
    QString error;
    if (!dm1.openConnection(DatabaseTarget::sqliteFile(home.path() + QStringLiteral("/Database/CD.db")), &error)
        || !generateShop(Database::connection(), *ShopSize::named(QStringLiteral("S")), 1, &error)) {
        std::fprintf(stderr, "vexaro-gallery: %s\n", qPrintable(error));
        return 1;
    }
    TDm2 dm2;

    {
        // The frame is drawn without being shown: showing it starts the login.
        TFrmMain frame;
        frame.resize(g_frame);
        save(&frame, QStringLiteral("TFrmMain"));
        if (g_frame != QSize(1280, 800))
            g_child = frame.centralWidget()->size(); // laid out by save()
        // Each menu as it drops down: captions, pictures, disabled entries.
        for (QAction *top : frame.menuBar()->actions()) {
            if (!top->isVisible() || !top->menu())
                continue;
            QMenu *menu = top->menu();
            menu->popup(QPoint(0, 0));
            save(menu, QStringLiteral("TFrmMain-menu-") + menu->objectName());
            if (QAction *sub = menu->actions().isEmpty() ? nullptr : menu->actions().first(); sub && sub->menu()) {
                sub->menu()->popup(QPoint(0, 0));
                save(sub->menu(), QStringLiteral("TFrmMain-menu-") + sub->menu()->objectName());
                sub->menu()->hide();
            }
            menu->hide();
        }

        TFrmUserX login(&frame);
        login.show();
        save(&login, QStringLiteral("TFrmUserX"));
        login.hide();

        frame.LoadTariffCache(); // the rent window prices from it

        TFrmHakkinda about;
        about.show();
        save(&about, QStringLiteral("TFrmHakkinda"));
        about.hide();
    }

    {
        // The catalogue: the definitions window as opened and filtered to one
        // medium, the record entry dialog on a title, and the navigator
        // grouped by medium with every group open.
        TFrmCDTanim *titles = OpenCDDefinitions();
        fit(titles, QSize(1280, 760));
        save(titles, QStringLiteral("TFrmCDTanim"));
        titles->ComboBox1->setCurrentIndex(titles->ComboBox1->findText(QStringLiteral("DVD")));
        titles->SpeedButton1->click();
        save(titles, QStringLiteral("TFrmCDTanim-filtered"));
        titles->SpeedButton1->click();
        Dm1->CD->next();
        if (Dm1->CD->edit()) {
            TFrmCDKayit entry(titles);
            entry.show();
            save(&entry, QStringLiteral("TFrmCDKayit"));
            entry.hide();
        } // the dialog cancels the edit as it goes
        TFrmNavigator *navigator = OpenNavigator();
        fit(navigator, QSize(1280, 760));
        navigator->ComboBox1->setCurrentIndex(8);
        emit navigator->ComboBox1->activated(8);
        navigator->SpeedButton1->click();
        save(navigator, QStringLiteral("TFrmNavigator"));
        navigator->close();
        titles->close();
    }

    {
        // Customers: the definitions window on a customer with a photograph,
        // the registration dialog on both pages, the camera on the frame
        // source the tests use, and the two companion windows.
        VideoCapture::factory() = [] { return std::make_unique<FakeVideoCapture>(); };
        QByteArray photo;
        {
            FakeVideoCapture card;
            card.selectDevice(2);
            QBuffer buffer(&photo);
            buffer.open(QIODevice::WriteOnly);
            card.currentFrame().save(&buffer, "JPEG", 90);
        }
        DataSet *temp = Dm1->Temp;
        temp->close();
        temp->setSql(QStringLiteral("Update Musteri set Resim=:R where ID=(Select Min(ID) from Musteri)"));
        temp->setParameter(QStringLiteral("R"), photo);
        if (!temp->execSql())
            std::fprintf(stderr, "vexaro-gallery: %s\n", qPrintable(temp->lastError()));
        auto *customers = new TFrmMusteri;
        fit(customers, QSize(1280, 760));
        customers->show();
        QApplication::processEvents();
        save(customers, QStringLiteral("TFrmMusteri"));
        if (Dm1->Musteri->edit()) {
            auto *registration = new TFrmMusKayit(customers);
            Dm1->ShowCustomerPhoto();
            registration->show();
            QApplication::processEvents();
            save(registration, QStringLiteral("TFrmMusKayit"));
            registration->PageControl1->setCurrentIndex(1);
            save(registration, QStringLiteral("TFrmMusKayit-photo"));
            registration->reject(); // cancels the edit
            delete registration;
        }
        TDlgKamera camera;
        camera.show();
        QApplication::processEvents(); // the device list is filled once shown
        save(&camera, QStringLiteral("TDlgKamera"));
        camera.hide();
        TDlgMiniResim miniPhoto;
        miniPhoto.Image1->setPicture(QImage::fromData(photo, "JPEG"));
        miniPhoto.show();
        save(&miniPhoto, QStringLiteral("TDlgMiniResim"));
        miniPhoto.hide();
        TDlgMiniAcik miniNote;
        miniNote.ScText->setPlainText(QStringLiteral("Pays on Fridays. Prefers DVD; ask before renting DivX titles."));
        miniNote.show();
        save(&miniNote, QStringLiteral("TDlgMiniAcik"));
        miniNote.hide();
        customers->close();
        delete customers;
        VideoCapture::factory() = nullptr;
    }

    {
        // Rent and sell: a rental being entered (price, due date and its
        // weekday shown), the list filtered to every rental, the barcode entry.
        auto choose = [](QComboBox *box, int index) {
            box->setCurrentIndex(index);
            emit box->activated(index);
        };
        TFrmCDKira *rent = OpenRentWindow();
        rent->showNormal();
        fit(rent, QSize(1280, 800));
        rent->tbNew->click();
        choose(rent->DBLookupComboBox1, 3);
        choose(rent->DBComboBox2, rent->DBComboBox2->findText(QStringLiteral("DVD")));
        choose(rent->DBLookupComboBox2, 2);
        rent->SpinEdit1->setValue(3);
        QApplication::processEvents();
        save(rent, QStringLiteral("TFrmCDKira"));
        {
            TDlgBarkodOku barcode(rent);
            barcode.Edit1->setText(QStringLiteral("8690000012345"));
            barcode.show();
            QApplication::processEvents();
            save(&barcode, QStringLiteral("TDlgBarkodOku"));
            barcode.hide();
        }
        rent->tbReport->click();
        rent->ComboBox2->setCurrentIndex(rent->ComboBox2->findText(QStringLiteral("Rent")));
        rent->Check1->click();
        rent->DateTimePicker1->setDate(QDate::currentDate().addMonths(-1));
        rent->SpeedButton4->click();
        QApplication::processEvents();
        save(rent, QStringLiteral("TFrmCDKira-filtered"));
        rent->close();
        delete rent;
        // The check window on each report; the return window on the first
        // rental out, with its photo and note beside it and the credit
        // labels showing; the exchange window with a disc being entered.
        TFrmCDKontrol *check = OpenCheckWindow();
        check->showNormal();
        fit(check, QSize(1280, 760));
        QApplication::processEvents();
        for (int r = 1; r <= 6; ++r) {
            check->RadioGroup1->button(r - 1)->click();
            QApplication::processEvents();
            save(check, QStringLiteral("TFrmCDKontrol-%1").arg(r));
        }
        check->RadioGroup1->button(3)->click();
        if (!Dm1->CDKontrol->isEmpty()) {
            DataSet *list = Dm1->CDKontrol;
            LoadReturnPhoto(check, list->value(QStringLiteral("Resim")).toByteArray());
            auto *ret = new TFrmCdIade(check);
            FrmCdIade = ret;
            ret->LabelCustomer->setText(list->value(QStringLiteral("AdSoyad")).toString());
            ret->LabelFilm->setText(list->value(QStringLiteral("FilmAdi")).toString());
            Dm1->CDIade->close();
            Dm1->CDIade->setParameter(QStringLiteral("IDX"), list->value(QStringLiteral("ID")).toString());
            Dm1->CDIade->open();
            if (Dm1->CDIade->edit()) {
                Dm1->CDIade->setValue(QStringLiteral("Veresiye"), 1);
                Dm1->CDIade->post();
            }
            if (!DlgMiniAcik)
                DlgMiniAcik = new TDlgMiniAcik(ret);
            DlgMiniAcik->ScText->setPlainText(QStringLiteral("Pays on Fridays. Prefers DVD."));
            ret->move(100, 100);
            ret->show();
            QApplication::processEvents();
            ret->DBCheckBox1->click();
            ret->DBCheckBox2->click();
            QApplication::processEvents();
            // The window and its companions as they stand side by side.
            const QPixmap main = ret->grab();
            const QPixmap photo = DlgMiniResim ? DlgMiniResim->grab() : QPixmap();
            const QPixmap note = DlgMiniAcik ? DlgMiniAcik->grab() : QPixmap();
            QPixmap all(main.width() + std::max(photo.width(), note.width()),
                        std::max(main.height(), photo.height() + note.height()));
            all.fill(Qt::darkGray);
            QPainter painter(&all);
            painter.drawPixmap(0, 0, main);
            painter.drawPixmap(main.width(), 0, photo);
            painter.drawPixmap(main.width(), photo.height(), note);
            painter.end();
            const QString file = g_out + QStringLiteral("/TFrmCdIade.png");
            if (all.save(file))
                g_written << file;
            ret->reject(); // nothing of the return is kept
            delete ret;
        }
        check->close();
        delete check;
        {
            auto *exchange = new TFrmTakas;
            FrmTakas = exchange;
            exchange->show();
            QApplication::processEvents();
            exchange->ComboBox2->setCurrentIndex(1);
            emit exchange->ComboBox2->activated(1);
            exchange->Edit3->setText(QStringLiteral("Babam ve Oğlum"));
            exchange->Edit2->setText(QStringLiteral("1"));
            exchange->ComboBox3->setCurrentIndex(0);
            exchange->Edit4->setText(QStringLiteral("4,50"));
            exchange->Edit5->setText(QStringLiteral("9,00"));
            QApplication::processEvents();
            save(exchange, QStringLiteral("TFrmTakas"));
            exchange->reject();
            delete exchange;
        }
        // The cash box on the last month, the entry dialog on a correction,
        // the password dialog, the renting statistics and the five charts.
        TFrmKasaHareket *cash = OpenCashBox();
        fit(cash, QSize(1280, 760));
        cash->Picker1->setDate(QDate::currentDate().addDays(-30));
        cash->Combo1->setCurrentIndex(0);
        QApplication::processEvents();
        save(cash, QStringLiteral("TFrmKasaHareket"));
        if (Dm1->Kasa->edit()) {
            TFrmKasaHareketGiris entry;
            entry.show();
            QApplication::processEvents();
            save(&entry, QStringLiteral("TFrmKasaHareketGiris"));
            entry.reject(); // cancels the edit
        }
        TDlgKasaSifre password;
        password.Edit1->setText(QStringLiteral("secret"));
        password.show();
        save(&password, QStringLiteral("TDlgKasaSifre"));
        password.hide();
        cash->close();
        TDlgCdIst statistics;
        statistics.show();
        statistics.Picker1->setDate(QDate::currentDate().addMonths(-1));
        statistics.ComboBox1->setCurrentIndex(2);
        save(&statistics, QStringLiteral("TDlgCdIst"));
        statistics.hide();
        TFrmGrafik *charts = OpenGraphics();
        fit(charts, QSize(1280, 760));
        charts->show();
        for (int i = 0; i < 5; ++i) {
            charts->TreeView1->setCurrentItem(charts->TreeView1->topLevelItem(i));
            QApplication::processEvents();
            save(charts, QStringLiteral("TFrmGrafik-%1").arg(i + 1));
        }
        charts->close();
        QApplication::processEvents();
        // The service window: every page as it opens, and the tariff while
        // it is being edited.
        auto *service = new TFrmServis;
        service->show();
        QApplication::processEvents();
        for (int p = 0; p < TFrmServis::PageCount; ++p) {
            service->setPage(p);
            save(service, QStringLiteral("TFrmServis-%1").arg(p));
        }
        service->setPage(TFrmServis::TariffPage);
        service->page(TFrmServis::TariffPage).tbEdit->click();
        save(service, QStringLiteral("TFrmServis-1-editing"));
        service->reject(); // drops the edit
        delete service;
        // E-mail: the composition window to two customers, the recipient
        // list with both chosen, the archive on each folder with a message.
        TariffCache::instance().MailAdres = QStringLiteral("videodukkani@ttmail.com");
        TFrmMail mail;
        mail.EdTo->setText(QStringLiteral("ayse.kaya@gmail.com, mehmet.can@hotmail.com"));
        mail.EdSubject->setText(QStringLiteral("Gecikmiş kiralama hatırlatması"));
        mail.RichEdit1->setHtml(QStringLiteral("<p>Sayın müşterimiz,</p><p>Kiraladığınız <b>DVD</b>'nin iade tarihi geçti. "
                                               "Lütfen en kısa zamanda dükkânımıza getiriniz.</p><p>Teşekkürler,<br>VEXARO</p>"));
        mail.show();
        save(&mail, QStringLiteral("TFrmMail"));
        TFrmMailList list(&mail);
        list.show();
        Dm2->MusteriListe->next();
        list.btnAdd->click();
        Dm2->MusteriListe->next();
        Dm2->MusteriListe->next();
        list.btnAdd->click();
        QApplication::processEvents();
        save(&list, QStringLiteral("TFrmMailList"));
        list.hide();
        mail.hide();

        auto *archive = new TFrmMailArsiv;
        fit(archive, QSize(1280, 760));
        archive->show();
        QApplication::processEvents();
        const char *const folders[] = {"all", "sent", "notsent"};
        for (int f = 0; f < 3; ++f) {
            archive->TreeView1->setCurrentItem(archive->TreeView1->topLevelItem(f));
            Dm2->MailNav->last();
            QApplication::processEvents();
            save(archive, QStringLiteral("TFrmMailArsiv-") + QLatin1String(folders[f]));
        }
        archive->close();
        delete archive;
        TariffCache::instance().MailAdres.clear();
    }

    saveReports();

    Database::close(Database::ConnectionName);
    for (const QString &f : std::as_const(g_written))
        std::printf("%s\n", qPrintable(f));
    return 0;
}
