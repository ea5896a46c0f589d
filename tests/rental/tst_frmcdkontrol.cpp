// The check window over a small shop: which rentals each report lists, what
// "CD Return", the barcode search, the mail and the print do from it, and the
// road of one rental from the rent window to its late return.
#include "RentalTestSupport.h"

#include "rental/DlgBarkodOkuUnit.h"
#include "components/BandReport.h"
#include "components/DBControls.h"
#include "customers/DlgMiniResimUnit.h"
#include "messaging/FrmMailUnit.h"
#include "rental/FrmCDIadeUnit.h"
#include "rental/FrmCDKiraUnit.h"
#include "rental/FrmCDKontrolUnit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

using namespace RentalTest;
using Icon = PromptService::Icon;
using Answer = PromptService::Answer;

namespace {

const QString SeveralText = QStringLiteral(
    "This film have been rented more than one, please click return button choosing true customer from list !!!");

QStringList column(const QString &field)
{
    DataSet *list = Dm1->CDKontrol;
    QStringList out;
    list->fetchAll();
    for (int r = 0; r < list->fetchedCount(); ++r)
        out << list->valueAt(r, list->fieldIndex(field)).toString();
    return out;
}

void choose(TFrmCDKontrol *w, int report, const QString &type = QString())
{
    w->ComboBox1->setCurrentIndex(w->ComboBox1->findText(type));
    w->RadioGroup1->button(report - 1)->click();
}

void choose(QComboBox *box, const QString &entry)
{
    const int i = box->findText(entry);
    QVERIFY2(i >= 0, qPrintable(entry));
    box->setCurrentIndex(i);
    emit box->activated(i);
}

void clickTitle(TFrmCDKontrol *w, int section)
{
    QHeaderView *h = w->DBGrid1->horizontalHeader();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                      QPoint(h->sectionViewportPosition(section) + h->sectionSize(section) / 2, h->height() / 2));
}

} // namespace

class TestFrmCDKontrol : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void reports_data();
    void reports();
    void cdReturnOnlyForRentalsOut_data();
    void cdReturnOnlyForRentalsOut();
    void barcode_data();
    void barcode();
    void mailToTheList_data();
    void mailToTheList();
    void sortingByTitle();
    void printing();
    void rentedThenReturnedLate();
    void returnsByScanning_data();
    void returnsByScanning();

private:
    TFrmCDKontrol *openWindow();

    std::unique_ptr<Shop> m_shop;
    int m_ali = 0, m_banu = 0, m_cem = 0;
    int m_matrix = 0, m_yol = 0, m_heat = 0;
};

void TestFrmCDKontrol::init()
{
    m_shop = std::make_unique<Shop>();
    QVERIFY(m_shop->open(Shop::HomeAndPreview));
    m_ali = addCustomer(QStringLiteral("Ali Kaya"), QStringLiteral("shared@example.com"));
    m_banu = addCustomer(QStringLiteral("Banu Er"), QStringLiteral("banu@example.com"));
    m_cem = addCustomer(QStringLiteral("Cem Ok"), QStringLiteral(" shared@example.com "));
    m_matrix = addTitle(1, QStringLiteral("Matrix"), QStringLiteral("DVD"), 3, QStringLiteral("111"));
    m_yol = addTitle(2, QStringLiteral("Yol"), QStringLiteral("VCD"), 3, QStringLiteral("222"));
    m_heat = addTitle(3, QStringLiteral("Heat"), QStringLiteral("DivX"), 3, QStringLiteral("333"));
}

void TestFrmCDKontrol::cleanup()
{
    VERIFY_ALL_ANSWERED(m_shop->prompts);
    delete FrmCDKontrol.data();
    delete FrmCDKira.data();
    m_shop.reset();
}

TFrmCDKontrol *TestFrmCDKontrol::openWindow()
{
    TFrmCDKontrol *w = OpenCheckWindow();
    w->resize(1200, 700);
    if (!QTest::qWaitForWindowExposed(w))
        qWarning("the check window did not show");
    return w;
}

void TestFrmCDKontrol::reports_data()
{
    QTest::addColumn<int>("report");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QStringList>("films");
    // Ali: Matrix due today, Yol overdue since yesterday; Banu: Heat rented
    // today on account, Yol back today; Cem: Matrix sold, never listed.
    QTest::newRow("1 due today") << 1 << "" << QStringList{"Matrix"};
    QTest::newRow("2 back today") << 2 << "" << QStringList{"Yol"};
    QTest::newRow("3 overdue, not the one due today") << 3 << "" << QStringList{"Yol"};
    QTest::newRow("4 all out") << 4 << "" << QStringList{"Matrix", "Yol", "Heat"};
    QTest::newRow("4 all out, VCD") << 4 << "VCD" << QStringList{"Yol"};
    QTest::newRow("5 on account") << 5 << "" << QStringList{"Heat"};
    QTest::newRow("6 rented today") << 6 << "" << QStringList{"Heat"};
    QTest::newRow("6 rented today, DVD") << 6 << "DVD" << QStringList{};
}

void TestFrmCDKontrol::reports()
{
    QFETCH(int, report);
    QFETCH(QString, type);
    QFETCH(QStringList, films);
    const QDate today = QDate::currentDate();
    addRental(m_ali, m_matrix, QStringLiteral("DVD"), today.addDays(-2), 2);
    addRental(m_ali, m_yol, QStringLiteral("VCD"), today.addDays(-4), 3);
    addRental(m_banu, m_heat, QStringLiteral("DivX"), today, 3, QDate(), 1);
    const int back = addRental(m_banu, m_yol, QStringLiteral("VCD"), today.addDays(-1), 1);
    run(QStringLiteral("Update Hareket Set CDDurum=1, TeslimTarih=? Where ID=?"), {QDateTime(today, QTime()), back});
    run(QStringLiteral("Insert Into Hareket (IslemTur, MusteriNo, CdNo, FilmTuru, KiraTarih, CDDurum, Kayit) "
                       "Values ('Sell', ?, ?, 'DVD', ?, 0, 1)"),
        {m_cem, m_matrix, QDateTime(today, QTime())});

    TFrmCDKontrol *w = openWindow();
    QCOMPARE(w->chosenReport(), 1);
    choose(w, report, type);
    QCOMPARE(column(QStringLiteral("FilmAdi")), films);
    // "Tüm Liste": every type again, same report.
    w->SpeedButton1->click();
    QCOMPARE(w->ComboBox1->currentText(), QString());
    QCOMPARE(w->chosenReport(), report);
    if (type.isEmpty())
        QCOMPARE(column(QStringLiteral("FilmAdi")), films);
    else
        QVERIFY(column(QStringLiteral("FilmAdi")).size() >= films.size());
}

void TestFrmCDKontrol::cdReturnOnlyForRentalsOut_data()
{
    QTest::addColumn<int>("report");
    QTest::addColumn<bool>("opens");
    QTest::newRow("all out") << 4 << true;
    QTest::newRow("back today: never") << 2 << false;
    QTest::newRow("empty list") << 5 << false;
}

void TestFrmCDKontrol::cdReturnOnlyForRentalsOut()
{
    QFETCH(int, report);
    QFETCH(bool, opens);
    const QDate today = QDate::currentDate();
    addRental(m_ali, m_matrix, QStringLiteral("DVD"), today.addDays(-1), 3);
    const int back = addRental(m_banu, m_yol, QStringLiteral("VCD"), today.addDays(-1), 1);
    run(QStringLiteral("Update Hareket Set CDDurum=1, TeslimTarih=? Where ID=?"), {QDateTime(today, QTime()), back});
    TFrmCDKontrol *w = openWindow();
    choose(w, report);
    bool shown = false;
    QString customer;
    whenShown<TFrmCdIade>(FrmCdIade, [&](TFrmCdIade *iade) {
        shown = true;
        customer = iade->LabelCustomer->text();
        QVERIFY(DlgMiniResim);
        iade->BitBtn2->click();
    });
    w->ToolButton1->click();
    QCOMPARE(shown, opens);
    if (opens)
        QCOMPARE(customer, QStringLiteral("Ali Kaya"));
    else
        QTest::qWait(30); // long enough for a window to show
    QVERIFY(!FrmCdIade);
}

void TestFrmCDKontrol::barcode_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("secondRenter");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("told");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("one rental: its return opens") << "111" << false << true << false << QStringList{"Ali Kaya"};
    QTest::newRow("two renters: the clerk picks") << "111" << true << false << true
                                                   << QStringList{"Ali Kaya", "Cem Ok"};
    QTest::newRow("blanks around: found, then no rental") << " 111 " << false << false << true << QStringList{};
    QTest::newRow("not out: no reaction") << "333" << false << false << false << QStringList{"Ali Kaya"};
}

void TestFrmCDKontrol::barcode()
{
    QFETCH(QString, typed);
    QFETCH(bool, secondRenter);
    QFETCH(bool, opens);
    QFETCH(bool, told);
    QFETCH(QStringList, listed);
    const QDate today = QDate::currentDate();
    addRental(m_ali, m_matrix, QStringLiteral("DVD"), today, 3);
    if (secondRenter)
        addRental(m_cem, m_matrix, QStringLiteral("DVD"), today, 3);
    TFrmCDKontrol *w = openWindow();
    if (told)
        m_shop->prompts->expect(Icon::Information, SeveralText);
    bool shown = false;
    whenShown<TDlgBarkodOku>(DlgBarkodOku, [&](TDlgBarkodOku *d) {
        QCOMPARE(d->Mode, int(TDlgBarkodOku::RentalToReturn));
        whenShown<TFrmCdIade>(FrmCdIade, [&](TFrmCdIade *iade) {
            shown = true;
            QCOMPARE(iade->LabelFilm->text(), QStringLiteral("Matrix"));
            iade->BitBtn2->click();
        });
        d->Edit1->setText(typed);
        QTest::keyClick(d->Edit1, Qt::Key_Return);
    });
    QTest::keyClick(w->DBGrid1, Qt::Key_F5);
    QCOMPARE(w->chosenReport(), 4);
    QCOMPARE(shown, opens);
    QVERIFY(!DlgBarkodOku);
    QCOMPARE(column(QStringLiteral("AdSoyad")), listed);
}

void TestFrmCDKontrol::mailToTheList_data()
{
    // The addresses of Ali, Banu and Cem, listed in that order.
    QTest::addColumn<QStringList>("addresses");
    QTest::addColumn<QString>("to");
    QTest::newRow("one address twice, reverse order")
        << QStringList{"shared@example.com", "banu@example.com", " shared@example.com "}
        << "banu@example.com, shared@example.com";
    QTest::newRow("an address inside a listed one")
        << QStringList{"joann@x.com", "ann@x.com", ""} << "ann@x.com, joann@x.com";
    QTest::newRow("one address in two cases") << QStringList{"Ann@X.com", "", "ann@x.com"} << "Ann@X.com";
    QTest::newRow("no address") << QStringList{"", "", ""} << "";
}

void TestFrmCDKontrol::mailToTheList()
{
    QFETCH(QStringList, addresses);
    QFETCH(QString, to);
    const int customers[] = {m_ali, m_banu, m_cem};
    for (int i = 0; i < 3; ++i)
        run(QStringLiteral("Update Musteri Set EMail=? Where ID=?"),
            {addresses[i].isEmpty() ? QVariant() : QVariant(addresses[i]), customers[i]});
    const QDate today = QDate::currentDate();
    addRental(m_ali, m_matrix, QStringLiteral("DVD"), today, 3);
    addRental(m_banu, m_yol, QStringLiteral("VCD"), today, 3);
    addRental(m_cem, m_heat, QStringLiteral("DivX"), today, 3);
    TFrmCDKontrol *w = openWindow();
    choose(w, 4);
    QString recipients = QStringLiteral("-");
    whenShown<TFrmMail>(FrmMail, [&](TFrmMail *mail) {
        recipients = mail->EdTo->text();
        mail->close();
    });
    w->ToolButton2->click();
    QCOMPARE(recipients, to);
    QCOMPARE(Dm1->CDKontrol->recNo(), 2); // the walk ends on the last row
}

void TestFrmCDKontrol::sortingByTitle()
{
    const QDate today = QDate::currentDate();
    addRental(m_banu, m_matrix, QStringLiteral("DVD"), today, 3);
    addRental(m_ali, m_yol, QStringLiteral("VCD"), today, 3);
    addRental(m_cem, m_heat, QStringLiteral("DivX"), today, 3);
    TFrmCDKontrol *w = openWindow();
    choose(w, 4);
    const QStringList up = {"Ali Kaya", "Banu Er", "Cem Ok"};
    const QStringList down = {"Cem Ok", "Banu Er", "Ali Kaya"};
    const int customerColumn = 5;
    for (const QStringList &expected : {up, down, up}) {
        clickTitle(w, customerColumn);
        QCOMPARE(column(QStringLiteral("AdSoyad")), expected);
        QCOMPARE(w->DBGrid1->model()->index(0, customerColumn).data().toString(), expected.first());
    }
    QCOMPARE(w->TitleHeader->boldSection, customerColumn);
    // Another column starts ascending again.
    clickTitle(w, 0);
    QCOMPARE(column(QStringLiteral("FilmAdi")), (QStringList{"Heat", "Matrix", "Yol"}));
    QCOMPARE(w->TitleHeader->boldSection, 0);
}

void TestFrmCDKontrol::printing()
{
    const QDate today = QDate::currentDate();
    addRental(m_ali, m_yol, QStringLiteral("VCD"), today.addDays(-5), 2);
    TFrmCDKontrol *w = openWindow();
    choose(w, 3);
    w->ToolButton9->click();
    QCOMPARE(m_shop->preview->titles, QStringList{QStringLiteral("Delayed CD's")});
    QCOMPARE(m_shop->preview->computed.front().rowCount(), 1);
    QVERIFY(m_shop->preview->computed.front().params.value(QStringLiteral("Version")).startsWith(QStringLiteral("VEXARO / ")));
}

// Rented at the counter three days ago for two days, back today: one day late.
void TestFrmCDKontrol::rentedThenReturnedLate()
{
    const QDate today = QDate::currentDate();
    TFrmCDKira *rent = OpenRentWindow();
    QVERIFY(QTest::qWaitForWindowExposed(rent));
    rent->tbNew->click();
    choose(rent->DBComboBox1, QStringLiteral("Rent"));
    choose(rent->DBLookupComboBox1, QStringLiteral("Banu Er"));
    choose(rent->DBComboBox2, QStringLiteral("DVD"));
    rent->DBDateEdit1->setDate(today.addDays(-3));
    rent->SpinEdit1->setValue(2);
    choose(rent->DBLookupComboBox2, QStringLiteral("Matrix"));
    m_shop->prompts->expect(Icon::Question, QStringLiteral("Do you want to rent a new film to customer !!!"), Answer::No);
    rent->ToolButton1->click();
    QCOMPARE(stock(m_matrix), 2);
    QCOMPARE(number(QStringLiteral("Select Count(*) from Kasa")), 1);
    rent->close();

    TFrmCDKontrol *w = openWindow();
    choose(w, 4);
    QCOMPARE(column(QStringLiteral("FilmAdi")), QStringList{QStringLiteral("Matrix")});
    choose(w, 3);
    QCOMPARE(column(QStringLiteral("FilmAdi")), QStringList{QStringLiteral("Matrix")});
    const int rental = column(QStringLiteral("ID")).first().toInt();

    whenShown<TFrmCdIade>(FrmCdIade, [&](TFrmCdIade *iade) {
        QCOMPARE(iade->LabelCustomer->text(), QStringLiteral("Banu Er"));
        iade->DBCheckBox1->click();
        iade->DBCheckBox2->click();
        QTest::keyClick(iade->BitBtn1, Qt::Key_Return);
    });
    const QPoint row = w->DBGrid1->visualRect(w->DBGrid1->model()->index(0, 0)).center();
    QTest::mouseClick(w->DBGrid1->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(w->DBGrid1->viewport(), Qt::LeftButton, {}, row);
    QVERIFY(!FrmCdIade);

    QCOMPARE(number(QStringLiteral("Select CezaGunSayi from Hareket Where ID=?"), {rental}), 1);
    QCOMPARE(text(QStringLiteral("Select CezaTutari from Hareket Where ID=?"), {rental}), QStringLiteral("1.5000"));
    QCOMPARE(stock(m_matrix), 3);
    QCOMPARE(number(QStringLiteral("Select Count(*) from Kasa")), 2);
    QCOMPARE(number(QStringLiteral("Select Count(*) from Kasa Where Islem='Penalty for Delay' and HareketID=?"), {rental}), 1);
    // The list was rebuilt: no longer overdue, back today.
    QVERIFY(column(QStringLiteral("FilmAdi")).isEmpty());
    choose(w, 2);
    QCOMPARE(column(QStringLiteral("FilmAdi")), QStringList{QStringLiteral("Matrix")});
}

void TestFrmCDKontrol::returnsByScanning_data()
{
    QTest::addColumn<QString>("scanned");
    QTest::addColumn<int>("discs");
    QTest::addColumn<int>("daysLate");
    QTest::addColumn<bool>("waive");
    QTest::addColumn<QString>("penalty");
    QTest::addColumn<int>("keys"); // pressed after the scan, per disc
    QTest::addColumn<bool>("twoRenters");
    QTest::newRow("on time: Enter books") << "111" << 1 << 0 << false << "0.0000" << 1 << false;
    QTest::newRow("late: Enter books, penalty collected") << "111" << 1 << 1 << false << "1.5000" << 1 << false;
    QTest::newRow("late: Space waives the penalty") << "111" << 1 << 1 << true << "1.5000" << 2 << false;
    QTest::newRow("not found: told, nothing opens") << "999" << 0 << 0 << false << "" << 0 << false;
    QTest::newRow("two renters: Down, Enter pick the second") << "111" << 1 << 0 << false << "0.0000" << 3 << true;
    QTest::newRow("five late discs in a row") << "" << 5 << 2 << false << "3.0000" << 1 << false;
}

// Discs handed back at the counter, scanned one after the other into the
// check window; only keys, as from a scanner and the clerk's keyboard.
void TestFrmCDKontrol::returnsByScanning()
{
    QFETCH(QString, scanned);
    QFETCH(int, discs);
    QFETCH(int, daysLate);
    QFETCH(bool, waive);
    QFETCH(QString, penalty);
    QFETCH(int, keys);
    QFETCH(bool, twoRenters);
    const QDate today = QDate::currentDate();
    QList<std::pair<QString, int>> out; // barcode, rental
    for (int i = 0; i < discs; ++i) {
        const QString code = scanned.isEmpty() ? QStringLiteral("50%1").arg(i) : scanned;
        const int title = scanned.isEmpty() ? addTitle(20 + i, QStringLiteral("Film %1").arg(i), QStringLiteral("DVD"), 3, code)
                                            : m_matrix;
        out.append({code, addRental(m_banu, title, QStringLiteral("DVD"), today.addDays(-2 - daysLate), 2)});
    }
    if (twoRenters) {
        addRental(m_cem, m_matrix, QStringLiteral("DVD"), today.addDays(-2), 2);
        m_shop->prompts->expect(Icon::Information, TDlgBarkodOku::SeveralRentalsText);
    }
    if (discs == 0) {
        out.append({scanned, 0});
        m_shop->prompts->expect(Icon::Warning, TDlgBarkodOku::NotFoundText);
    }
    TFrmCDKontrol *w = openWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    for (auto [code, rental] : out) {
        QCOMPARE(QApplication::focusWidget(), w->EditScan);
        const int stockBefore = rental ? number(QStringLiteral("Select Stok from CD Where Barkod=?"), {code}) : 0;
        QStringList pressed;
        bool booked = false;
        whenShown<TFrmCdIade>(FrmCdIade, [&](TFrmCdIade *iade) {
            QVERIFY(iade->DBCheckBox1->isChecked());
            QTRY_COMPARE(QApplication::activeWindow(), iade); // the clerk's keys go to it
            const auto press = [&](Qt::Key key, const QString &name) {
                QWidget *focus = QApplication::focusWidget();
                const auto *button = qobject_cast<QAbstractButton *>(focus);
                pressed << name + QStringLiteral(" on ") + (button ? button->text().remove(QLatin1Char('&')) : QString());
                QTest::keyClick(focus, key);
            };
            if (waive)
                press(Qt::Key_Space, QStringLiteral("Space"));
            press(Qt::Key_Return, QStringLiteral("Enter"));
            booked = !iade->isVisible();
            if (!booked) // out of the way; the test fails below
                iade->reject();
        });
        QTest::keyClicks(w->EditScan, code);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        if (twoRenters) { // the renters listed: the clerk picks one
            QCOMPARE(QApplication::focusWidget(), w->DBGrid1);
            QTest::keyClick(w->DBGrid1, Qt::Key_Down);
            rental = Dm1->CDKontrol->value(QStringLiteral("ID")).toInt();
            pressed << QStringLiteral("Down on the list") << QStringLiteral("Enter on the list");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        qInfo("disc %s: scan + Enter, then %s: %lld key(s)", qPrintable(code), qPrintable(pressed.join(", ")),
              qlonglong(pressed.size()));
        QCOMPARE(pressed.size(), keys);
        QCOMPARE(booked, rental != 0);
        QTRY_COMPARE(QApplication::focusWidget(), w->EditScan);
        QVERIFY(w->EditScan->text().isEmpty());
        if (!rental) {
            QCOMPARE(number(QStringLiteral("Select Count(*) from Hareket Where CDDurum=1")), 0);
            continue;
        }
        QCOMPARE(number(QStringLiteral("Select CDDurum from Hareket Where ID=?"), {rental}), 1);
        QCOMPARE(text(QStringLiteral("Select TeslimTarih from Hareket Where ID=?"), {rental}).left(10),
                 today.toString(Qt::ISODate));
        QCOMPARE(text(QStringLiteral("Select CezaTutari from Hareket Where ID=?"), {rental}), penalty);
        const bool collected = penalty != QStringLiteral("0.0000") && !waive;
        QCOMPARE(number(QStringLiteral("Select CezaDurum from Hareket Where ID=?"), {rental}), collected ? 1 : 0);
        QCOMPARE(number(QStringLiteral("Select Count(*) from Kasa Where Islem='Penalty for Delay' and HareketID=?"),
                        {rental}),
                 collected ? 1 : 0);
        QCOMPARE(number(QStringLiteral("Select Stok from CD Where Barkod=?"), {code}), stockBefore + 1);
    }
    // The list rebuilt after the last disc: every disc still out, none now.
    QCOMPARE(w->chosenReport(), 4);
    QCOMPARE(column(QStringLiteral("ID")).size(), twoRenters ? 1 : 0);
}

QTEST_MAIN(TestFrmCDKontrol)
#include "tst_frmcdkontrol.moc"
