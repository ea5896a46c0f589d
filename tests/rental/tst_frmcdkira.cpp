// The rent and sell window driven as a clerk drives it: lists chosen, days
// typed, "Post" pressed. What counts is what ends up in the shop's books
// (Hareket, Kasa, stock, rental count) and what the window shows; the price
// and due-date rules themselves are the tariff tests' business.
#include "rental/DlgBarkodOkuUnit.h"
#include "components/BandReport.h"
#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/KeyPreview.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "data/Tariff.h"
#include "data/TariffCache.h"
#include "components/Format.h"
#include "messaging/FrmMailUnit.h"
#include "db/Money.h"
#include "db/SqlDialect.h"
#include "rental/FrmCDKiraUnit.h"
#include "app/WindowRegistry.h"
#include "support/RecordingPreview.h"
#include "support/ScriptedPrompts.h"
#include "support/TestSupport.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace TestSupport;
using namespace TestSupport::Sql;
using Icon = PromptService::Icon;
using Answer = PromptService::Answer;

namespace {

const QString NextRental = QStringLiteral("Do you want to rent a new film to customer !!!");
const QString Essential = QStringLiteral("You can t complete record without entering all essential changes !!!");
const QString StockText = QStringLiteral("Less than one copy of tis Cd in stock, please check CD card !!!");
const QString NotFound = QStringLiteral(" Any product entry isn t found concerning barcode entering !!!");
const QDate Friday(2024, 3, 1);

// The first column of the first row as the program reads it: money with four
// decimals, dates as dd.MM.yyyy.
QString text(const QString &sql, const QVariantList &values = {})
{
    DataSet ds(QStringLiteral("Check"));
    ds.setSql(sql);
    for (int i = 0; i < values.size(); ++i)
        ds.setParameter(i, values[i]);
    if (!ds.open())
        qWarning("%s: %s", qPrintable(sql), qPrintable(ds.lastError()));
    const QVariant v = ds.value(0);
    if (v.isNull())
        return QString();
    if (v.metaType() == QMetaType::fromType<Money>())
        return v.value<Money>().toDecimalString();
    if (v.metaType().id() == QMetaType::QDateTime)
        return v.toDateTime().date().toString(QStringLiteral("dd.MM.yyyy"));
    return v.toString();
}

int addCustomer(const QString &name, int member)
{
    static int no = 0;
    return run(QStringLiteral("Insert Into Musteri (MusteriNo, AdSoyad, UyelikDurum) Values (?, ?, ?) Returning ID"),
               {++no, name, member}).value(0).toInt();
}

int addTitle(int cdNo, const QString &name, const QString &type, int stock, const QString &barcode = QString(),
             const QString &price = QStringLiteral("0"))
{
    return run(QStringLiteral("Insert Into CD (CDNo, FilmAdi, CDTur, Stok, Barkod, SatisFiyat, KiralamaSayi, KutuIcerik) "
                              "Values (?, ?, ?, ?, ?, ?, 0, 1) Returning ID"),
               {cdNo, name, type, stock, barcode.isEmpty() ? QVariant() : barcode,
                QVariant::fromValue(*Money::fromDecimalString(price))})
        .value(0).toInt();
}

int addTransaction(int customer, int title, const QString &kind, int state, const QDate &date,
                   const QString &type = QStringLiteral("DVD"))
{
    return run(QStringLiteral("Insert Into Hareket (IslemTur, MusteriNo, CdNo, FilmTuru, KiraTarih, KiralamaGun, CDDurum, "
                              "Kayit, TopTutar) Values (?, ?, ?, ?, ?, 2, ?, ?, 5) Returning ID"),
               {kind, customer, title, type, date, state, kind == QLatin1String("Sell") ? 1 : 0})
        .value(0).toInt();
}

// The database refuses every new ledger row, as a full disk would.
void refuseLedgerRows()
{
    if (backend() == Backend::SQLite) {
        run(QStringLiteral("Create Trigger vx_refuse Before Insert On Kasa Begin Select Raise(Abort, 'refused'); End"));
    } else {
        run(QStringLiteral("Create Or Replace Function vx_refuse() Returns trigger Language plpgsql As "
                           "$$ Begin Raise Exception 'refused'; End $$"));
        run(QStringLiteral("Create Trigger vx_refuse Before Insert On Kasa For Each Row Execute Function vx_refuse()"));
    }
}

void choose(QComboBox *box, const QString &entry)
{
    const int i = box->findText(entry);
    QVERIFY2(i >= 0, qPrintable(QStringLiteral("no entry ") + entry));
    box->setCurrentIndex(i);
    emit box->activated(i);
}

// "Filer" with nothing ticked: every transaction, returned ones included.
bool SpeedButton4Click_all(TFrmCDKira *w)
{
    w->Check2->setChecked(false);
    w->SpeedButton4->click();
    return w->SpeedButton4->isChecked();
}

QList<int> listedIds()
{
    DataSet *h = Dm1->Hareket;
    h->fetchAll();
    QList<int> ids;
    const int c = h->fieldIndex(QStringLiteral("ID"));
    for (int r = 0; r < h->fetchedCount(); ++r)
        ids << h->valueAt(r, c).toInt();
    return ids;
}

} // namespace

class TestFrmCDKira : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void postingBooksWhatIsShown_data();
    void postingBooksWhatIsShown();
    void newRentalDefaults();
    void priceLookupTiming();
    void gamesPricedFromThePriceShown_data();
    void gamesPricedFromThePriceShown();
    void returnElsewhereLeavesTheFormAlone();
    void editingMovesStock_data();
    void editingMovesStock();
    void refusals_data();
    void refusals();
    void failedPostStoresNothing_data();
    void failedPostStoresNothing();
    void nextRentalQuestion_data();
    void nextRentalQuestion();
    void deleteLeavesLedgerAndStock();
    void mailToTheTransactionsCustomer_data();
    void mailToTheTransactionsCustomer();
    void closing_data();
    void closing();
    void customerStandingBesideTheCustomer_data();
    void customerStandingBesideTheCustomer();

    void filter_data();
    void filter();
    void search_data();
    void search();
    void barcode_data();
    void barcode();
    void scannerSecondEnterDoesNothing();
    void rentalByKeysOnly_data();
    void rentalByKeysOnly();
    void printing();

private:
    TFrmCDKira *openWindow();
    // "New", then the lists as the clerk chooses them, the start date and the days.
    void enter(const QString &process, const QString &customer, const QString &type, const QString &title,
               const QDate &start = Friday, int days = 3);

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDm1> m_dm1;
    std::unique_ptr<TDm2> m_dm2;
    ScriptedPrompts *m_prompts = nullptr;
    RecordingPreview *m_preview = nullptr;
    std::unique_ptr<Report::PreviewService> m_previousPreview;
    TFrmCDKira *w = nullptr;
    int m_member = 0, m_guest = 0, m_dvd = 0, m_vcd = 0, m_game = 0;
};

void TestFrmCDKira::init()
{
    m_home = std::make_unique<TestHome>();
    m_db = std::make_unique<TestDatabase>();
    QVERIFY(m_db->open());
    m_dm1 = std::make_unique<TDm1>();
    m_dm2 = std::make_unique<TDm2>();
    m_prompts = ScriptedPrompts::install();
    auto preview = std::make_unique<RecordingPreview>();
    m_preview = preview.get();
    m_previousPreview = Report::PreviewService::install(std::move(preview));

    TariffCache &t = TariffCache::instance();
    t = TariffCache();
    t.GunlukDVD_Kira = Money::fromUnits(3);
    t.UyeGunlukDVD_Kira = Money::fromUnits(2);
    t.GunlukVCD_Kira = Money::fromDouble(1.5);
    t.UyeGunlukVCD_Kira = Money::fromUnits(1);
    t.DVDSatis = Money::fromUnits(20);
    t.VCDSatis = Money::fromUnits(10);
    t.PazarGunu = 0;
    t.TarifeTur = 1;

    m_member = addCustomer(QStringLiteral("Ayse Uye"), 1);
    m_guest = addCustomer(QStringLiteral("Veli Misafir"), 0);
    m_dvd = addTitle(10, QStringLiteral("Matrix"), QStringLiteral("DVD"), 2, QStringLiteral("869000111"),
                     QStringLiteral("25"));
    m_vcd = addTitle(11, QStringLiteral("Babam ve Oglum"), QStringLiteral("VCD"), 1, QStringLiteral("869000222"));
    m_game = addTitle(12, QStringLiteral("Gran Turismo"), QStringLiteral("PS2 Game"), 1);
}

void TestFrmCDKira::cleanup()
{
    VERIFY_ALL_ANSWERED(m_prompts);
    if (FrmCDKira) {
        if (Dm1->Hareket->state() != DataSet::State::Browse)
            Dm1->Hareket->cancel();
        delete FrmCDKira.data();
    }
    w = nullptr;
    Report::PreviewService::install(std::move(m_previousPreview));
    PromptService::install(nullptr);
    m_dm2.reset();
    m_dm1.reset();
    Database::close(Database::ConnectionName);
    m_db.reset();
    m_home.reset();
}

TFrmCDKira *TestFrmCDKira::openWindow()
{
    w = OpenRentWindow();
    w->resize(1280, 800);
    if (!QTest::qWaitForWindowExposed(w))
        qWarning("the rent window did not show");
    return w;
}

void TestFrmCDKira::enter(const QString &process, const QString &customer, const QString &type, const QString &title,
                          const QDate &start, int days)
{
    w->tbNew->click();
    choose(w->DBComboBox1, process);
    choose(w->DBLookupComboBox1, customer);
    choose(w->DBComboBox2, type);
    w->DBDateEdit1->setDate(start);
    w->SpinEdit1->setValue(days);
    if (!title.isEmpty())
        choose(w->DBLookupComboBox2, title);
}

// ------------------------------------------------------------ posting

void TestFrmCDKira::postingBooksWhatIsShown_data()
{
    QTest::addColumn<QString>("process");
    QTest::addColumn<QString>("customer");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("days");
    QTest::addColumn<bool>("onAccount");
    QTest::addColumn<QString>("price");    // SatisFiyat stored
    QTest::addColumn<QString>("total");    // TopTutar stored and booked
    QTest::addColumn<QString>("shown");    // "Total sum" as shown
    QTest::addColumn<QDate>("due");
    QTest::addColumn<QString>("weekday");
    QTest::addColumn<QString>("islem");
    QTest::addColumn<QString>("aciklama");
    QTest::addColumn<int>("rentals");     // KiralamaSayi added

    // Friday for 3 days: the Sunday is free, due Monday, 2 days charged.
    QTest::newRow("rent DVD, member") << "Rent" << "Ayse Uye" << "DVD" << "Matrix" << 3 << false << "2.0000"
                                      << "4.0000" << "4,00" << QDate(2024, 3, 4) << "Monday" << "DVD Rent"
                                      << "Rent / Matrix" << 1;
    QTest::newRow("rent DVD, not a member, on account")
        << "Rent" << "Veli Misafir" << "DVD" << "Matrix" << 3 << true << "3.0000" << "6.0000" << "6,00"
        << QDate(2024, 3, 4) << "Monday" << "DVD Rent" << "Rent / Matrix" << 1;
    QTest::newRow("rent, day count 0") << "Rent" << "Veli Misafir" << "VCD" << "Babam ve Oglum" << 0 << false
                                       << "1.5000" << "1.5000" << "1,50" << Friday << "Friday" << "VCD Rent"
                                       << "Rent / Babam ve Oglum" << 1;
    // The tariff has no rate for games: one rents at its "Price", empty here.
    QTest::newRow("rent game") << "Rent" << "Ayse Uye" << "PS2 Game" << "Gran Turismo" << 3 << false << "0.0000"
                               << "0.0000" << "0,00" << QDate(2024, 3, 4) << "Monday" << "PS2 Game Rent"
                               << "Rent / Gran Turismo" << 1;
    QTest::newRow("sell with the title's own price")
        << "Sell" << "Ayse Uye" << "DVD" << "Matrix" << 3 << false << "25.0000" << "25.0000" << "25,00"
        << QDate(2024, 3, 4) << "Monday" << "DVD Sell" << "DVD Sell / Matrix" << 0;
    QTest::newRow("sell with the tariff's price")
        << "Sell" << "Veli Misafir" << "VCD" << "Babam ve Oglum" << 3 << false << "10.0000" << "10.0000" << "10,00"
        << QDate(2024, 3, 4) << "Monday" << "VCD Sell" << "VCD Sell / Babam ve Oglum" << 0;
    QTest::newRow("sell game") << "Sell" << "Veli Misafir" << "PS2 Game" << "Gran Turismo" << 3 << false << "0.0000"
                               << "0.0000" << "0,00" << QDate(2024, 3, 4) << "Monday" << "PS2 Game Sell"
                               << "PS2 Game Sell / Gran Turismo" << 0;
}

void TestFrmCDKira::postingBooksWhatIsShown()
{
    QFETCH(QString, process);
    QFETCH(QString, customer);
    QFETCH(QString, type);
    QFETCH(QString, title);
    QFETCH(int, days);
    QFETCH(bool, onAccount);
    QFETCH(QString, price);
    QFETCH(QString, total);
    QFETCH(QString, shown);
    QFETCH(QDate, due);
    QFETCH(QString, weekday);
    QFETCH(QString, islem);
    QFETCH(QString, aciklama);
    QFETCH(int, rentals);

    openWindow();
    const int titleId = number(QStringLiteral("Select ID from CD where FilmAdi=?"), {title});
    const int stock = number(QStringLiteral("Select Stok from CD where ID=?"), {titleId});
    enter(process, customer, type, title, Friday, days);
    if (onAccount)
        w->DBCheck1->click();
    QCOMPARE(w->DBText1->text(), shown);
    if (process == QLatin1String("Rent")) {
        QCOMPARE(w->DBDate1->date(), due);
        QCOMPARE(w->LabelWeekday->text(), weekday);
    }

    m_prompts->expect(Icon::Question, NextRental, Answer::No);
    w->ToolButton1->click();
    VERIFY_ALL_ANSWERED(m_prompts);

    QCOMPARE(number(QStringLiteral("Select Count(*) from Hareket")), 1);
    const int id = number(QStringLiteral("Select ID from Hareket"));
    QCOMPARE(text(QStringLiteral("Select IslemTur from Hareket")), process);
    QCOMPARE(number(QStringLiteral("Select Kayit from Hareket")), process == QLatin1String("Sell") ? 1 : 0);
    QCOMPARE(number(QStringLiteral("Select CdNo from Hareket")), titleId);
    QCOMPARE(number(QStringLiteral("Select KiralamaGun from Hareket")), days);
    QCOMPARE(number(QStringLiteral("Select Veresiye from Hareket")), onAccount ? 1 : 0);
    QCOMPARE(text(QStringLiteral("Select SatisFiyat from Hareket")), price);
    QCOMPARE(text(QStringLiteral("Select TopTutar from Hareket")), total);
    if (process == QLatin1String("Rent"))
        QCOMPARE(text(QStringLiteral("Select GelecekTarih from Hareket")), due.toString(QStringLiteral("dd.MM.yyyy")));

    // One ledger row, with the full total also when given on account.
    QCOMPARE(number(QStringLiteral("Select Count(*) from Kasa")), 1);
    QCOMPARE(number(QStringLiteral("Select HareketID from Kasa")), id);
    QCOMPARE(text(QStringLiteral("Select Islem from Kasa")), islem);
    QCOMPARE(text(QStringLiteral("Select Borc from Kasa")), total);
    QCOMPARE(text(QStringLiteral("Select Aciklama from Kasa")), aciklama);
    QCOMPARE(number(QStringLiteral("Select Stok from CD where ID=?"), {titleId}), stock - 1);
    QCOMPARE(number(QStringLiteral("Select KiralamaSayi from CD where ID=?"), {titleId}), rentals);
    // The posted transaction is the list's current row.
    QCOMPARE(Dm1->Hareket->value(QStringLiteral("ID")).toInt(), id);
    QVERIFY(w->tbNew->isEnabled());
}

void TestFrmCDKira::newRentalDefaults()
{
    openWindow();
    w->tbNew->click();
    QCOMPARE(Dm1->Hareket->state(), DataSet::State::Insert);
    QCOMPARE(w->DBComboBox1->currentText(), QStringLiteral("Rent"));
    QCOMPARE(w->SpinEdit1->value(), 1);
    QCOMPARE(w->DBDateEdit1->date(), QDate::currentDate());
    QVERIFY(!w->DBCheck1->isChecked());
    QCOMPARE(w->DBComboBox1, QApplication::focusWidget());
    // A due date on a Sunday moves to the Monday.
    const QDate due = QDate::currentDate().addDays(QDate::currentDate().dayOfWeek() == 6 ? 2 : 1);
    QCOMPARE(w->DBDate1->date(), due);
    QVERIFY(!w->tbNew->isEnabled() && !w->tbUnitStats->isEnabled() && !w->tbFind->isEnabled());
    QVERIFY(w->SpinEdit1->isEnabled());
    // A day count typed without end stops at the longest rental.
    w->SpinEdit1->selectAll();
    QTest::keyClicks(w->SpinEdit1, QStringLiteral("2000000000"));
    QVERIFY(w->SpinEdit1->value() <= Tariff::MaxRentalDays);
    // A sale has no days.
    choose(w->DBComboBox1, QStringLiteral("Sell"));
    QVERIFY(!w->SpinEdit1->isEnabled() && !w->DBDate1->isEnabled());
}

void TestFrmCDKira::priceLookupTiming()
{
    openWindow();
    // The price follows the customer chosen at once: it is booked by the
    // customer's membership.
    enter(QStringLiteral("Rent"), QStringLiteral("Veli Misafir"), QStringLiteral("DVD"), QStringLiteral("Matrix"));
    QCOMPARE(w->DBText1->text(), QStringLiteral("6,00"));
    choose(w->DBLookupComboBox1, QStringLiteral("Ayse Uye"));
    QCOMPARE(w->DBText1->text(), QStringLiteral("4,00"));
    QCOMPARE(w->DBEdit3->text(), QStringLiteral("2"));

    // A typed price changes neither the total nor what is booked.
    w->DBEdit3->setFocus();
    w->DBEdit3->selectAll();
    QTest::keyClicks(w->DBEdit3, QStringLiteral("9"));
    QTest::keyClick(w->DBEdit3, Qt::Key_Tab);
    QCOMPARE(w->DBText1->text(), QStringLiteral("4,00"));
    m_prompts->expect(Icon::Question, NextRental, Answer::No);
    w->ToolButton1->click();
    QCOMPARE(text(QStringLiteral("Select SatisFiyat from Hareket")), QStringLiteral("9.0000"));
    QCOMPARE(text(QStringLiteral("Select Borc from Kasa")), QStringLiteral("4.0000"));
}

void TestFrmCDKira::gamesPricedFromThePriceShown_data()
{
    QTest::addColumn<QString>("process");
    QTest::addColumn<QString>("typed"); // into "Price", after the game was chosen
    QTest::addColumn<QString>("total");
    QTest::newRow("rent, price typed: per day charged") << "Rent" << "2,5" << "5.0000";
    QTest::newRow("sell, price typed") << "Sell" << "35" << "35.0000";
    QTest::newRow("sell, nothing typed: not the DVD's total") << "Sell" << "" << "0.0000";
}

// A DVD is chosen first (its sale total is 25,00), then the clerk turns to a
// game: what "Total sum" shows follows the game's "Price" and is booked.
void TestFrmCDKira::gamesPricedFromThePriceShown()
{
    QFETCH(QString, process);
    QFETCH(QString, typed);
    QFETCH(QString, total);
    openWindow();
    enter(process, QStringLiteral("Veli Misafir"), QStringLiteral("DVD"), QStringLiteral("Matrix"));
    choose(w->DBComboBox2, QStringLiteral("PS2 Game"));
    choose(w->DBLookupComboBox2, QStringLiteral("Gran Turismo"));
    if (!typed.isEmpty()) {
        w->DBEdit3->setFocus();
        w->DBEdit3->selectAll();
        QTest::keyClicks(w->DBEdit3, typed);
    }
    const QString shown = w->DBText1->text();
    m_prompts->expect(Icon::Question, NextRental, Answer::No);
    w->ToolButton1->click();
    QCOMPARE(text(QStringLiteral("Select TopTutar from Hareket")), total);
    QCOMPARE(text(QStringLiteral("Select Borc from Kasa")), total);
    QCOMPARE(Format::money(*Money::fromDecimalString(total)), shown);
}

// A return taken in another window while a rental is typed (the return
// window moves CDIade) leaves the days, due date and total as typed.
void TestFrmCDKira::returnElsewhereLeavesTheFormAlone()
{
    const int other = addTransaction(m_guest, m_vcd, QStringLiteral("Rent"), 0, Friday);
    openWindow();
    enter(QStringLiteral("Rent"), QStringLiteral("Ayse Uye"), QStringLiteral("DVD"), QStringLiteral("Matrix"));
    DataSet *iade = Dm1->CDIade;
    iade->close();
    iade->setParameter(QStringLiteral("IDX"), QString::number(other));
    QVERIFY(iade->open());
    QVERIFY(iade->edit());
    QVERIFY(iade->post());
    QCOMPARE(w->SpinEdit1->value(), 3);
    QCOMPARE(w->DBText1->text(), QStringLiteral("4,00"));
    m_prompts->expect(Icon::Question, NextRental, Answer::No);
    w->ToolButton1->click();
    QCOMPARE(number(QStringLiteral("Select KiralamaGun from Hareket where ID<>?"), {other}), 3);
    QCOMPARE(text(QStringLiteral("Select TopTutar from Hareket Order by ID Desc")), QStringLiteral("4.0000"));
}

// -------------------------------------------------------------- editing

void TestFrmCDKira::editingMovesStock_data()
{
    QTest::addColumn<bool>("otherTitle");
    QTest::newRow("another title") << true;
    QTest::newRow("same title") << false;
}

void TestFrmCDKira::editingMovesStock()
{
    QFETCH(bool, otherTitle);
    const int other = addTitle(13, QStringLiteral("Matrix Reloaded"), QStringLiteral("DVD"), 1);
    const int id = addTransaction(m_member, m_dvd, QStringLiteral("Rent"), 0, Friday);
    openWindow();
    QVERIFY(Dm1->Hareket->locate(QStringLiteral("ID"), id));
    w->tbUnitStats->click();
    QCOMPARE(Dm1->Hareket->state(), DataSet::State::Edit);
    if (otherTitle)
        choose(w->DBLookupComboBox2, QStringLiteral("Matrix Reloaded"));
    w->ToolButton1->click(); // no question after an edit
    QCOMPARE(Dm1->Hareket->state(), DataSet::State::Browse);

    const QString stock = QStringLiteral("Select Stok from CD where ID=?");
    const QString rentals = QStringLiteral("Select KiralamaSayi from CD where ID=?");
    QCOMPARE(number(stock, {m_dvd}), otherTitle ? 3 : 2);
    QCOMPARE(number(stock, {other}), otherTitle ? 0 : 1);
    QCOMPARE(number(rentals, {otherTitle ? other : m_dvd}), 1);
    QCOMPARE(number(QStringLiteral("Select CdNo from Hareket where ID=?"), {id}), otherTitle ? other : m_dvd);
    // The edited transaction, not the newest, stays current.
    QCOMPARE(Dm1->Hareket->value(QStringLiteral("ID")).toInt(), id);
}

void TestFrmCDKira::refusals_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("warning");
    QTest::newRow("edit a returned rental")
        << "returned" << "You can t do any changes in act of be careful return is done !!!";
    QTest::newRow("edit a sale") << "sold" << "You can t do any changes in act of be careful selling is done !!!";
    QTest::newRow("post without a title") << "no title" << Essential;
    QTest::newRow("post a title with no copy left") << "no stock" << StockText;
}

void TestFrmCDKira::refusals()
{
    QFETCH(QString, situation);
    QFETCH(QString, warning);
    const int id = addTransaction(m_member, m_dvd, situation == QLatin1String("sold") ? "Sell" : "Rent",
                                  situation == QLatin1String("returned") ? 1 : 0, Friday);
    if (situation == QLatin1String("no stock"))
        run(QStringLiteral("Update CD set Stok=0 where ID=?"), {m_vcd});
    openWindow();
    if (situation == QLatin1String("returned"))
        QVERIFY(SpeedButton4Click_all(w));
    m_prompts->expect(Icon::Warning, warning);
    if (situation == QLatin1String("returned") || situation == QLatin1String("sold")) {
        QVERIFY(Dm1->Hareket->locate(QStringLiteral("ID"), id));
        w->tbUnitStats->click();
        QCOMPARE(Dm1->Hareket->state(), DataSet::State::Browse);
    } else {
        enter(QStringLiteral("Rent"), QStringLiteral("Ayse Uye"), QStringLiteral("VCD"),
              situation == QLatin1String("no title") ? QString() : QStringLiteral("Babam ve Oglum"));
        w->ToolButton1->click();
        QCOMPARE(Dm1->Hareket->state(), DataSet::State::Insert);
    }
    QCOMPARE(number(QStringLiteral("Select Count(*) from Kasa")), 0);
}

void TestFrmCDKira::failedPostStoresNothing_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("the ledger row is refused") << "ledger";
    QTest::newRow("another counter took the last copy") << "stock";
}

void TestFrmCDKira::failedPostStoresNothing()
{
    QFETCH(QString, failure);
    openWindow();
    enter(QStringLiteral("Rent"), QStringLiteral("Ayse Uye"), QStringLiteral("VCD"), QStringLiteral("Babam ve Oglum"));
    if (failure == QLatin1String("ledger")) {
        refuseLedgerRows();
        m_prompts->expectStartingWith(Icon::Error, QString());
    } else {
        // Between the window's look at the shelf and the posting.
        run(QStringLiteral("Update CD set Stok=0 where ID=?"), {m_vcd});
        m_prompts->expect(Icon::Warning, StockText);
        QCOMPARE(Dm1->CD->value(QStringLiteral("Stok")).toInt(), 1); // what the window still sees
    }
    w->ToolButton1->click();
    QCOMPARE(number(QStringLiteral("Select Count(*) from Hareket")), 0);
    QCOMPARE(number(QStringLiteral("Select Count(*) from Kasa")), 0);
    QCOMPARE(number(QStringLiteral("Select KiralamaSayi from CD where ID=?"), {m_vcd}), 0);
    QCOMPARE(number(QStringLiteral("Select Stok from CD where ID=?"), {m_vcd}), failure == QLatin1String("ledger") ? 1 : 0);
    // The row is still there to correct, as typed.
    QCOMPARE(Dm1->Hareket->state(), DataSet::State::Insert);
    QCOMPARE(w->DBLookupComboBox2->currentText(), QStringLiteral("Babam ve Oglum"));
    QCOMPARE(w->DBText1->text(), QStringLiteral("2,00"));
}

void TestFrmCDKira::nextRentalQuestion_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("No") << false;
    QTest::newRow("Yes") << true;
}

void TestFrmCDKira::nextRentalQuestion()
{
    QFETCH(bool, yes);
    openWindow();
    enter(QStringLiteral("Rent"), QStringLiteral("Ayse Uye"), QStringLiteral("DVD"), QStringLiteral("Matrix"));
    m_prompts->expect(Icon::Question, NextRental, yes ? Answer::Yes : Answer::No);
    w->ToolButton1->click();
    const int posted = number(QStringLiteral("Select ID from Hareket"));
    if (!yes) {
        QCOMPARE(Dm1->Hareket->state(), DataSet::State::Browse);
        QCOMPARE(Dm1->Hareket->value(QStringLiteral("ID")).toInt(), posted);
        return;
    }
    QCOMPARE(Dm1->Hareket->state(), DataSet::State::Insert);
    QCOMPARE(w->DBLookupComboBox1->currentText(), QStringLiteral("Ayse Uye"));
    QCOMPARE(w->DBComboBox2->currentText(), QStringLiteral("DVD"));
    // Its price comes when its title is chosen.
    choose(w->DBLookupComboBox2, QStringLiteral("Matrix"));
    QCOMPARE(w->DBEdit3->text(), QStringLiteral("2"));
    m_prompts->expect(Icon::Question, NextRental, Answer::No);
    w->ToolButton1->click();
    QCOMPARE(number(QStringLiteral("Select Count(*) from Hareket where MusteriNo=?"), {m_member}), 2);
    QCOMPARE(number(QStringLiteral("Select Stok from CD where ID=?"), {m_dvd}), 0);
}

void TestFrmCDKira::deleteLeavesLedgerAndStock()
{
    openWindow();
    enter(QStringLiteral("Rent"), QStringLiteral("Ayse Uye"), QStringLiteral("DVD"), QStringLiteral("Matrix"));
    m_prompts->expect(Icon::Question, NextRental, Answer::No);
    w->ToolButton1->click();
    m_prompts->expect(Icon::Warning, QStringLiteral("Kaydı silmek istediğinize eminmisiniz ?"), Answer::Yes);
    w->DBGrid1->setFocus();
    QTest::keyClick(w->DBGrid1, Qt::Key_Delete);
    QCOMPARE(number(QStringLiteral("Select Count(*) from Hareket")), 0);
    QCOMPARE(number(QStringLiteral("Select Count(*) from Kasa")), 1);
    QCOMPARE(number(QStringLiteral("Select Stok from CD where ID=?"), {m_dvd}), 1);
}

void TestFrmCDKira::mailToTheTransactionsCustomer_data()
{
    QTest::addColumn<QString>("transaction");
    QTest::addColumn<QString>("recipient"); // empty: refused, no e-mail window
    QTest::newRow("the customer just posted") << "posted" << "veli@example.com";
    QTest::newRow("a non-member while the customer list shows members only") << "guest" << "veli@example.com";
    QTest::newRow("a deleted customer's sale") << "deleted" << "";
}

void TestFrmCDKira::mailToTheTransactionsCustomer()
{
    QFETCH(QString, transaction);
    QFETCH(QString, recipient);
    run(QStringLiteral("Update Musteri Set EMail='veli@example.com' Where ID=?"), {m_guest});
    run(QStringLiteral("Update Musteri Set EMail='ayse@example.com' Where ID=?"), {m_member});
    if (transaction == QLatin1String("guest")) {
        addTransaction(m_guest, m_dvd, QStringLiteral("Rent"), 0, Friday);
    } else if (transaction == QLatin1String("deleted")) {
        const int gone = addCustomer(QStringLiteral("Eski Musteri"), 0);
        run(QStringLiteral("Update Musteri Set EMail='eski@example.com' Where ID=?"), {gone});
        addTransaction(gone, m_dvd, QStringLiteral("Sell"), 0, Friday);
        run(QStringLiteral("Delete from Musteri Where ID=?"), {gone});
    }
    openWindow();
    if (transaction == QLatin1String("posted")) {
        enter(QStringLiteral("Rent"), QStringLiteral("Veli Misafir"), QStringLiteral("DVD"), QStringLiteral("Matrix"));
        m_prompts->expect(Icon::Question, NextRental, Answer::No);
        w->ToolButton1->click();
    } else {
        // The customer window was left on its members: the list stands on one.
        QVERIFY(Dm1->showCustomers(true));
    }
    if (recipient.isEmpty())
        m_prompts->expect(Icon::Warning,
                          QStringLiteral("The customer of this transaction no longer exists: there is nobody to write to."));
    QString to;
    bool locked = false, opened = false;
    auto *poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [&, poll] {
        if (!FrmMail || !FrmMail->isVisible())
            return;
        poll->stop();
        opened = true;
        to = FrmMail->EdTo->text();
        locked = !FrmMail->EdTo->isEnabled() && !FrmMail->btnTo->isEnabled();
        FrmMail->close();
    });
    poll->start(5);
    w->SpeedButton1->click();
    QTest::qWait(20);
    poll->stop();
    QCOMPARE(opened, !recipient.isEmpty());
    QCOMPARE(to, recipient);
    QCOMPARE(locked, opened);
}

void TestFrmCDKira::customerStandingBesideTheCustomer_data()
{
    // The customer's transactions: R(ent) or S(ell), its CDDurum, its due
    // date in days from today, 'v' when given on account.
    QTest::addColumn<QString>("transactions");
    QTest::addColumn<QStringList>("shown"); // discs out, overdue, on account
    QTest::addColumn<bool>("red");
    QTest::newRow("no discs out") << "R1-5v" << QStringList{"Discs out: 0", "Overdue: 0", "On account: 0,00"} << false;
    QTest::newRow("two out, one overdue")
        << "R0-1 R0+1 R1-3" << QStringList{"Discs out: 2", "Overdue: 1", "On account: 0,00"} << true;
    QTest::newRow("on account") << "R0+0v S0+0v S1+0v R0+2"
                                << QStringList{"Discs out: 2", "Overdue: 0", "On account: 10,00"} << false;
}

void TestFrmCDKira::customerStandingBesideTheCustomer()
{
    QFETCH(QString, transactions);
    QFETCH(QStringList, shown);
    QFETCH(bool, red);
    const QDate today = QDate::currentDate();
    for (const QString &t : transactions.split(u' ')) {
        const int id = addTransaction(m_guest, m_dvd, t.startsWith(u'R') ? QStringLiteral("Rent") : QStringLiteral("Sell"),
                                      t.mid(1, 1).toInt(), today.addDays(-7));
        run(QStringLiteral("Update Hareket Set GelecekTarih=?, Veresiye=?, TopTutar=? Where ID=?"),
            {today.addDays(t.mid(2, 2).toInt()), t.endsWith(u'v') ? 1 : 0, QVariant::fromValue(Money::fromUnits(5)), id});
    }
    addTransaction(m_member, m_dvd, QStringLiteral("Rent"), 0, today.addDays(-9)); // somebody else's, overdue
    openWindow();
    w->tbNew->click();
    choose(w->DBLookupComboBox1, QStringLiteral("Veli Misafir"));
    QCOMPARE((QStringList{w->LabelDiscsOut->text(), w->LabelOverdue->text(), w->LabelOnAccount->text()}), shown);
    QCOMPARE(w->LabelOverdue->accessibleDescription(), shown[1]);
    QCOMPARE(w->LabelOverdue->palette().color(QPalette::WindowText) == QColor(Qt::red), red);
}

void TestFrmCDKira::closing_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("titleChosen");
    QTest::addColumn<int>("stored");
    QTest::newRow("No discards") << "No" << true << 0;
    QTest::newRow("Yes with an empty field warns, then discards") << "Yes" << false << 0;
    QTest::newRow("Yes saves, without asking for the next rental") << "Yes" << true << 1;
}

void TestFrmCDKira::closing()
{
    QFETCH(QString, answer);
    QFETCH(bool, titleChosen);
    QFETCH(int, stored);
    openWindow();
    enter(QStringLiteral("Rent"), QStringLiteral("Ayse Uye"), QStringLiteral("DVD"),
          titleChosen ? QStringLiteral("Matrix") : QString());
    m_prompts->expect(Icon::Question, QStringLiteral("Do you want to save changes !!!"),
                      answer == QLatin1String("Yes") ? Answer::Yes : Answer::No);
    if (!titleChosen)
        m_prompts->expect(Icon::Warning, Essential);
    QTest::keyClick(w->SpinEdit1, Qt::Key_Escape);
    QTRY_VERIFY(!FrmCDKira);
    QCOMPARE(number(QStringLiteral("Select Count(*) from Hareket")), stored);
    QCOMPARE(number(QStringLiteral("Select Count(*) from Kasa")), stored);
    QVERIFY(!Dm1->Hareket->isOpen() && !Dm1->CD->isOpen() && !Dm1->Musteri->isOpen());
}

// ---------------------------------------------------------- list, search, filter

void TestFrmCDKira::filter_data()
{
    QTest::addColumn<QString>("process");
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("period");
    QTest::addColumn<bool>("onlyOpen");
    QTest::addColumn<QList<int>>("expected"); // indexes of the transactions below, newest first

    QTest::newRow("nothing chosen: every transaction") << "" << "" << false << false << QList<int>{3, 2, 1, 0};
    QTest::newRow("only open rentals") << "" << "" << false << true << QList<int>{3, 2, 0};
    QTest::newRow("sales") << "Sell" << "" << false << false << QList<int>{2};
    QTest::newRow("VCD rentals, open") << "Rent" << "VCD" << false << true << QList<int>{3};
    QTest::newRow("rented in the period, both ends in") << "Rent" << "" << true << false << QList<int>{1, 0};
}

void TestFrmCDKira::filter()
{
    QFETCH(QString, process);
    QFETCH(QString, type);
    QFETCH(bool, period);
    QFETCH(bool, onlyOpen);
    QFETCH(QList<int>, expected);
    const QList<int> ids = {addTransaction(m_member, m_dvd, QStringLiteral("Rent"), 0, Friday),
                            addTransaction(m_guest, m_dvd, QStringLiteral("Rent"), 1, Friday.addDays(5)),
                            addTransaction(m_guest, m_vcd, QStringLiteral("Sell"), 0, Friday.addDays(20), "VCD"),
                            addTransaction(m_member, m_vcd, QStringLiteral("Rent"), 0, Friday.addDays(30), "VCD")};
    openWindow();
    if (!process.isEmpty())
        w->ComboBox2->setCurrentText(process);
    w->ComboBox3->setCurrentText(type);
    if (period) {
        w->Check1->click();
        QVERIFY(w->DateTimePicker1->isEnabled());
        w->DateTimePicker1->setDate(Friday);
        w->DateTimePicker2->setDate(Friday.addDays(5));
    }
    w->Check2->setChecked(onlyOpen);
    w->SpeedButton4->click();
    QVERIFY(!w->ComboBox2->isEnabled());
    QList<int> want;
    for (int i : expected)
        want << ids[i];
    QCOMPARE(listedIds(), want);

    // Released, and at the next opening, the list is the open transactions.
    w->SpeedButton4->click();
    QCOMPARE(listedIds(), (QList<int>{ids[3], ids[2], ids[0]}));
    w->SpeedButton4->click();
    w->close();
    QTRY_VERIFY(!FrmCDKira);
    openWindow();
    QVERIFY(!w->SpeedButton4->isChecked() && w->ComboBox2->isEnabled());
    QCOMPARE(listedIds(), (QList<int>{ids[3], ids[2], ids[0]}));
}

void TestFrmCDKira::search_data()
{
    QTest::addColumn<int>("factor");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("expected"); // index of the transaction found; -1: the list stays
    QTest::newRow("customer") << 0 << "Veli Misafir" << 1;
    QTest::newRow("namesakes: the first one's") << 0 << "Ayse Uye" << 0;
    QTest::newRow("film") << 1 << "Babam ve Oglum" << 1;
    QTest::newRow("title in no open transaction") << 1 << "Gran Turismo" << -1;
}

void TestFrmCDKira::search()
{
    QFETCH(int, factor);
    QFETCH(QString, name);
    QFETCH(int, expected);
    const int namesake = addCustomer(QStringLiteral("Ayse Uye"), 0);
    const QList<int> ids = {addTransaction(m_member, m_dvd, QStringLiteral("Rent"), 0, Friday),
                            addTransaction(m_guest, m_vcd, QStringLiteral("Rent"), 0, Friday),
                            addTransaction(namesake, m_dvd, QStringLiteral("Rent"), 0, Friday)};
    openWindow();
    w->RadioGroup1->button(factor)->click();
    QCOMPARE(Dm1->Hareket->value(QStringLiteral("ID")).toInt(), ids[2]);
    QVERIFY(w->ComboBox1->findText(name) >= 0);
    QCOMPARE(w->ComboBox1->itemText(0), QString());
    choose(w->ComboBox1, name);
    QCOMPARE(Dm1->Hareket->value(QStringLiteral("ID")).toInt(), expected < 0 ? ids[2] : ids[expected]);
    // Enter goes on to the customer's discs.
    w->ComboBox1->setFocus();
    QTest::keyClick(w->ComboBox1, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), w->DBGrid2);
}

// -------------------------------------------------------------- barcode

void TestFrmCDKira::barcode_data()
{
    QTest::addColumn<QString>("typeFirst"); // the film list narrowed to this type before F5
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("found");     // title name; empty: the warning
    QTest::newRow("found") << "" << "869000111" << "Matrix";
    QTest::newRow("blanks around the code") << "" << "  869000222 " << "Babam ve Oglum";
    QTest::newRow("not found") << "" << "123" << "";
    QTest::newRow("only the beginning") << "" << "869000" << "";
    QTest::newRow("title of a type the list does not show") << "VCD" << "869000111" << "";
}

void TestFrmCDKira::barcode()
{
    QFETCH(QString, typeFirst);
    QFETCH(QString, code);
    QFETCH(QString, found);
    openWindow();
    w->tbNew->click();
    choose(w->DBLookupComboBox1, QStringLiteral("Ayse Uye"));
    if (!typeFirst.isEmpty())
        choose(w->DBComboBox2, typeFirst);
    if (found.isEmpty())
        m_prompts->expect(Icon::Warning, NotFound);
    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = DlgBarkodOku && DlgBarkodOku->Mode == TDlgBarkodOku::TitleForRent;
        if (!DlgBarkodOku)
            return;
        QTest::keyClicks(DlgBarkodOku->Edit1, code);
        QTest::keyClick(DlgBarkodOku->Edit1, Qt::Key_Return);
    });
    QTest::keyClick(w->DBLookupComboBox1, Qt::Key_F5);
    QVERIFY(shown);
    QVERIFY(!DlgBarkodOku);
    DataSet *h = Dm1->Hareket;
    QCOMPARE(h->state(), DataSet::State::Insert);
    if (found.isEmpty()) {
        QVERIFY(h->value(QStringLiteral("CdNo")).isNull());
        QVERIFY(!w->Timer1->isActive());
        return;
    }
    const int id = number(QStringLiteral("Select ID from CD where FilmAdi=?"), {found});
    QCOMPARE(h->value(QStringLiteral("CdNo")).toInt(), id);
    QCOMPARE(h->value(QStringLiteral("Barkod")).toString(), code.trimmed());
    QCOMPARE(w->DBComboBox2->currentText(), text(QStringLiteral("Select CDTur from CD where ID=:IDX"), {id}));
    QCOMPARE(w->DBLookupComboBox2->currentText(), found);
    QCOMPARE(Dm1->CD->value(QStringLiteral("ID")).toInt(), id);
    QVERIFY(w->Timer1->isActive());
    QVERIFY(!w->DBEdit3->text().isEmpty()); // priced
    m_prompts->expect(Icon::Question, NextRental, Answer::No);
    w->ToolButton1->click();
    QVERIFY(!w->Timer1->isActive() && w->DBText2->isVisible());
    QCOMPARE(text(QStringLiteral("Select Barkod from Hareket")), code.trimmed());
}

void TestFrmCDKira::scannerSecondEnterDoesNothing()
{
    openWindow();
    w->tbNew->click();
    QWidget *focus = QApplication::focusWidget();
    QTimer::singleShot(0, [] {
        QTest::keyClicks(DlgBarkodOku->Edit1, QStringLiteral("869000111"));
        QTest::keyClick(DlgBarkodOku->Edit1, Qt::Key_Return);
        QTest::keyClick(DlgBarkodOku->Edit1, Qt::Key_Enter);
    });
    QTest::keyClick(focus, Qt::Key_F5);
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w, Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w, Qt::Key_Enter);
    QVERIFY(!DlgBarkodOku);
    QCOMPARE(Dm1->Hareket->state(), DataSet::State::Insert);
    QCOMPARE(number(QStringLiteral("Select Count(*) from Hareket")), 0);
}

// ------------------------------------------------------------------ keys

void TestFrmCDKira::rentalByKeysOnly_data()
{
    QTest::addColumn<QString>("days"); // typed after the scan; empty: the default day
    QTest::addColumn<bool>("next");    // the answer to "a new film to this customer?"
    QTest::addColumn<int>("most");     // key presses allowed, the scan aside
    QTest::newRow("default days") << "" << false << 8;
    QTest::newRow("typed days") << "3" << true << 9;
}

// A rental typed at the counter, every step a key sent to whatever has the
// focus: the clerk's hands never leave the keyboard.
void TestFrmCDKira::rentalByKeysOnly()
{
    QFETCH(QString, days);
    QFETCH(bool, next);
    QFETCH(int, most);
    addCustomer(QStringLiteral("Aydin Sonra"), 0); // starts alike, comes later
    openWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QStringList said;
    int presses = 0;
    auto press = [&](int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString &name = QString()) {
        // A dialog just closed: the window takes the keys again once it is active.
        if (!QApplication::focusWidget())
            QVERIFY(QTest::qWaitForWindowActive(w));
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        QTest::keyClick(focus, Qt::Key(key), mods);
        ++presses;
        said << (name.isEmpty() ? QKeySequence(key | mods).toString() : name);
    };
    auto type = [&](const QString &text) {
        for (QChar c : text)
            press(c.toUpper().unicode(), c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier, QString(c));
    };

    press(Qt::Key_Insert);
    QCOMPARE(QApplication::focusWidget(), w->DBLookupComboBox1);
    type(QStringLiteral("ay"));
    press(Qt::Key_Return);
    QCOMPARE(w->DBLookupComboBox1->currentText(), QStringLiteral("Ayse Uye"));
    QTimer::singleShot(0, [] {
        if (!DlgBarkodOku)
            return;
        QTest::keyClicks(DlgBarkodOku->Edit1, QStringLiteral("869000111"));
        QTest::keyClick(DlgBarkodOku->Edit1, Qt::Key_Return);
    });
    press(Qt::Key_F5);
    said << QStringLiteral("[scan 869000111]");
    QCOMPARE(w->DBLookupComboBox2->currentText(), QStringLiteral("Matrix"));
    if (!days.isEmpty())
        type(days);
    m_prompts->expect(Icon::Question, NextRental, next ? Answer::Yes : Answer::No);
    press(Qt::Key_F9);
    qInfo("%s: %s = %d key presses and the scan", QTest::currentDataTag(), qPrintable(said.join(u' ')), presses);
    QVERIFY(presses <= most);

    QCOMPARE(number(QStringLiteral("Select Count(*) from Hareket")), 1);
    const QString row = text(QStringLiteral("Select IslemTur || ' ' || MusteriNo || ' ' || CdNo || ' ' || KiralamaGun "
                                            "|| ' ' || Barkod from Hareket"));
    QCOMPARE(row, QStringLiteral("Rent %1 %2 %3 869000111")
                      .arg(m_member).arg(m_dvd).arg(days.isEmpty() ? QStringLiteral("1") : days));
    QCOMPARE(QApplication::focusWidget(), next ? static_cast<QWidget *>(w->DBLookupComboBox2) : w->DBGrid1);
    if (!next)
        return;
    // The next rental: Tab runs through the form in the order it is filled,
    // and leaves a list in one step.
    w->DBComboBox1->setFocus();
    QList<QWidget *> visited;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget();
    }
    QCOMPARE(visited, (QList<QWidget *>{w->DBLookupComboBox1, w->DBComboBox2, w->DBLookupComboBox2, w->SpinEdit1,
                                        w->DBCheck1, w->ToolButton1}));
    w->tbReport->click();
    w->DBGrid1->setFocus();
    QTest::keyClick(w->DBGrid1, Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != w->DBGrid1);
}

// ------------------------------------------------------------------ printing

void TestFrmCDKira::printing()
{
    addTransaction(m_member, m_dvd, QStringLiteral("Rent"), 1, Friday);
    addTransaction(m_guest, m_vcd, QStringLiteral("Sell"), 0, Friday);
    openWindow();
    enter(QStringLiteral("Rent"), QStringLiteral("Ayse Uye"), QStringLiteral("DVD"), QStringLiteral("Matrix"));
    w->DBCheck1->click();
    m_prompts->expect(Icon::Question, NextRental, Answer::No);
    w->ToolButton1->click();

    // The slip of the transaction just posted, by F6.
    QTest::keyClick(w->DBGrid1, Qt::Key_F6);
    QCOMPARE(m_preview->titles.value(0), QStringLiteral("Rental Slip"));
    const QStringList slip = m_preview->computed[0].params.values();
    for (const QString &line : {QStringLiteral("VEXARO"), QStringLiteral("Ayse Uye"), QStringLiteral("Matrix"),
                                QStringLiteral("DVD"), QStringLiteral("01.03.2024"), QStringLiteral("04.03.2024  Monday"),
                                QStringLiteral("2"), QStringLiteral("2,00"), QStringLiteral("4,00"),
                                QStringLiteral("on account")})
        QVERIFY2(slip.contains(line), qPrintable(line));
    // The slip prints what was booked, whatever the tariff says later.
    TariffCache::instance().PazarGunu = 1;
    TariffCache::instance().TarifeTur = 0;
    QTest::keyClick(w->DBGrid1, Qt::Key_F6);
    QCOMPARE(m_preview->computed[1].params.values(), slip);
    m_preview->titles.removeLast();
    m_preview->computed.pop_back();

    // The list shows the open transactions; the report every one of them.
    QCOMPARE(listedIds().size(), 2);
    w->tbAddSkip->click();
    QCOMPARE(m_preview->titles.value(1), QStringLiteral("Transaction Report"));
    QCOMPARE(m_preview->computed[1].rowCount(), 3);
    QVERIFY(!Dm2->RaporTemp->isOpen());
}

QTEST_MAIN(TestFrmCDKira)
#include "tst_frmcdkira.moc"
