// The return window as the clerk uses it: "Returned CD" ticked, the return
// date and "Penalty is collected" set, "Ok". What counts is what the row, the
// stock and the ledger hold afterwards; the penalty rule itself is the
// tariff tests' business.
#include "RentalTestSupport.h"

#include "components/DBControls.h"
#include "customers/DlgMiniAcikUnit.h"
#include "customers/DlgMiniResimUnit.h"
#include "rental/FrmCDIadeUnit.h"

#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

using namespace RentalTest;
using Icon = PromptService::Icon;

namespace {

const QDate Friday(2024, 3, 1);

} // namespace

class TestFrmCdIade : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void returnWrites_data();
    void returnWrites();
    void creditLabelsAndCompanions();
    void returnedAtAnotherCounter();

private:
    std::unique_ptr<Shop> m_shop;
    int m_title = 0;
};

void TestFrmCdIade::init()
{
    m_shop = std::make_unique<Shop>();
    QVERIFY(m_shop->open());
    m_title = addTitle(10, QStringLiteral("Matrix"), QStringLiteral("DVD"), 1);
}

void TestFrmCdIade::cleanup()
{
    VERIFY_ALL_ANSWERED(m_shop->prompts);
    m_shop.reset();
}

void TestFrmCdIade::returnWrites_data()
{
    const QDate today = QDate::currentDate();
    QTest::addColumn<QString>("type");
    QTest::addColumn<QDate>("rent");
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("pazarGunu");
    QTest::addColumn<QDate>("returned"); // invalid: the date the tick gives, today
    QTest::addColumn<bool>("collect");
    QTest::addColumn<bool>("clearAgain");
    QTest::addColumn<QString>("customer");
    QTest::addColumn<int>("durum");
    QTest::addColumn<QString>("penaltyDays"); // as stored; empty: not written
    QTest::addColumn<QString>("penalty");
    QTest::addColumn<QString>("ledger");      // the penalty booked; empty: no row
    QTest::addColumn<int>("stockAfter");

    const QString name = QStringLiteral("Ayse Yilmaz");
    QTest::newRow("Friday + 2, Sunday not a rental day: due Monday, 2 late")
        << "DVD" << Friday << 2 << 0 << Friday.addDays(5) << true << false << name << 1 << "2" << "3.0000" << "3.0000" << 1;
    QTest::newRow("Friday + 2, Sundays rental days: due Sunday, 3 late")
        << "DVD" << Friday << 2 << 1 << Friday.addDays(5) << true << false << name << 1 << "3" << "4.5000" << "4.5000" << 1;
    QTest::newRow("back on the due date, collected but 0: no ledger row")
        << "VCD" << today.addDays(-3) << 3 << 1 << QDate() << true << false << name << 1 << "0" << "0.0000" << "" << 1;
    QTest::newRow("back early: nothing written")
        << "VCD" << today << 3 << 1 << QDate() << true << false << name << 1 << "" << "" << "" << 1;
    QTest::newRow("rented for 0 days: nothing worked out")
        << "DVD" << Friday << 0 << 1 << Friday.addDays(9) << true << false << name << 1 << "" << "" << "" << 1;
    QTest::newRow("game late: days, no amount")
        << "PS2 Game" << Friday << 2 << 1 << Friday.addDays(4) << true << false << name << 1 << "2" << "" << "" << 1;
    QTest::newRow("penalty not collected: kept on the row only")
        << "DVD" << Friday << 2 << 1 << Friday.addDays(4) << false << false << name << 1 << "2" << "3.0000" << "" << 1;
    QTest::newRow("ticked, cleared, Ok: still out")
        << "VCD" << today.addDays(-3) << 3 << 1 << QDate() << false << true << name << 0 << "0" << "0.0000" << "" << 0;
    QTest::newRow("long name cut in the description")
        << "DVD" << Friday << 2 << 1 << Friday.addDays(3) << true << false << QString(120, QLatin1Char('x')) << 1 << "1"
        << "1.5000" << "1.5000" << 1;
}

void TestFrmCdIade::returnWrites()
{
    QFETCH(QString, type);
    QFETCH(QDate, rent);
    QFETCH(int, days);
    QFETCH(int, pazarGunu);
    QFETCH(QDate, returned);
    QFETCH(bool, collect);
    QFETCH(bool, clearAgain);
    QFETCH(QString, customer);
    QFETCH(int, durum);
    QFETCH(QString, penaltyDays);
    QFETCH(QString, penalty);
    QFETCH(QString, ledger);
    QFETCH(int, stockAfter);

    TariffCache::instance().PazarGunu = pazarGunu;
    const int rental = addRental(addCustomer(customer.left(50)), m_title, type, rent, days);
    run(QStringLiteral("Update CD Set Stok=0 Where ID=?"), {m_title});

    bool shown = false;
    whenShown<TFrmCdIade>(FrmCdIade, [&](TFrmCdIade *w) {
        shown = true;
        QVERIFY(!w->DBDateEdit1->isEnabled());
        QVERIFY(!w->DBCheckBox2->isEnabled());
        w->DBCheckBox1->click();
        QVERIFY(w->DBDateEdit1->isEnabled());
        QVERIFY(!w->DBEdit2->isEnabled());
        if (returned.isValid())
            w->DBDateEdit1->setDate(returned);
        if (collect) {
            w->DBCheckBox2->click();
            QVERIFY(w->DBEdit2->isEnabled());
        }
        if (clearAgain) {
            w->DBCheckBox1->click();
            QVERIFY(!w->DBDateEdit1->isEnabled());
            QVERIFY(!w->DBEdit1->isEnabled());
        }
        w->BitBtn1->click();
    });
    OpenReturnWindow(nullptr, rental, customer, QStringLiteral("Matrix"));
    QVERIFY(shown);
    QVERIFY(!FrmCdIade);

    QCOMPARE(number(QStringLiteral("Select CDDurum from Hareket Where ID=?"), {rental}), durum);
    QCOMPARE(text(QStringLiteral("Select CezaGunSayi from Hareket Where ID=?"), {rental}), penaltyDays);
    QCOMPARE(text(QStringLiteral("Select CezaTutari from Hareket Where ID=?"), {rental}), penalty);
    QCOMPARE(number(QStringLiteral("Select CezaDurum from Hareket Where ID=?"), {rental}), collect ? 1 : 0);
    QCOMPARE(text(QStringLiteral("Select TeslimTarih from Hareket Where ID=?"), {rental}).isEmpty(), durum == 0);
    QCOMPARE(stock(m_title), stockAfter);
    QCOMPARE(text(QStringLiteral("Select Borc from Kasa Where HareketID=?"), {rental}), ledger);
    if (!ledger.isEmpty()) {
        QCOMPARE(number(QStringLiteral("Select Count(*) from Kasa")), 1);
        QCOMPARE(text(QStringLiteral("Select Islem from Kasa")), QStringLiteral("Penalty for Delay"));
        QCOMPARE(text(QStringLiteral("Select Aciklama from Kasa")),
                 (QStringLiteral("Rent / Penalty for Delay / ") + customer).left(100));
    } else {
        QCOMPARE(number(QStringLiteral("Select Count(*) from Kasa")), 0);
    }
}

void TestFrmCdIade::creditLabelsAndCompanions()
{
    const int customer = addCustomer(QStringLiteral("Veli Borclu"), QString(), QStringLiteral("Pays on Fridays"));
    const int rental = addRental(customer, m_title, QStringLiteral("DVD"), Friday, 2, QDate(), 1);
    bool shown = false;
    whenShown<TFrmCdIade>(FrmCdIade, [&](TFrmCdIade *w) {
        shown = true;
        QCOMPARE(w->PanelWeekday->text(), QStringLiteral("Sunday"));
        QVERIFY(w->Label8->isVisible());
        QCOMPARE(w->Label9->text(), QStringLiteral("12,50"));
        QVERIFY(w->Timer1->isActive());
        // Both blink together, once a second.
        QTRY_VERIFY_WITH_TIMEOUT(!w->Label8->isVisible(), 2000);
        QVERIFY(!w->Label9->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(w->Label8->isVisible(), 2000);
        QVERIFY(w->Label9->isVisible());

        QVERIFY(DlgMiniResim && DlgMiniResim->isVisible());
        QVERIFY(DlgMiniAcik && DlgMiniAcik->isVisible());
        QCOMPARE(DlgMiniAcik->ScText->toPlainText(), QStringLiteral("Pays on Fridays"));
        w->move(40, 60);
        QTRY_COMPARE(DlgMiniResim->pos(), QPoint(w->frameGeometry().right() + 1, w->frameGeometry().top()));
        QCOMPARE(DlgMiniAcik->pos(), QPoint(w->frameGeometry().right() + 1,
                                            w->frameGeometry().top() + DlgMiniAcik->frameGeometry().height()));
        // Esc: nothing kept, even a ticked box.
        w->DBCheckBox1->click();
        QTest::keyClick(w->DBEdit1, Qt::Key_Escape);
    });
    OpenReturnWindow(nullptr, rental, QStringLiteral("Veli Borclu"), QStringLiteral("Matrix"));
    QVERIFY(shown);
    QVERIFY(!FrmCdIade && !DlgMiniResim && !DlgMiniAcik);
    QCOMPARE(number(QStringLiteral("Select CDDurum from Hareket Where ID=?"), {rental}), 0);
    QCOMPARE(stock(m_title), 1);
}

void TestFrmCdIade::returnedAtAnotherCounter()
{
    const int rental = addRental(addCustomer(QStringLiteral("Ayse")), m_title, QStringLiteral("DVD"), Friday, 2);
    m_shop->prompts->expect(Icon::Warning,
                            QStringLiteral("This rental has been returned or removed at another counter; nothing was saved."));
    whenShown<TFrmCdIade>(FrmCdIade, [&](TFrmCdIade *w) {
        w->DBCheckBox1->click();
        w->DBCheckBox2->click();
        run(QStringLiteral("Update Hareket Set CDDurum=1 Where ID=?"), {rental});
        w->BitBtn1->click();
    });
    OpenReturnWindow(nullptr, rental, QStringLiteral("Ayse"), QStringLiteral("Matrix"));
    QVERIFY(!FrmCdIade);
    QCOMPARE(stock(m_title), 1);
    QCOMPARE(number(QStringLiteral("Select Count(*) from Kasa")), 0);
    QVERIFY(text(QStringLiteral("Select CezaTutari from Hareket Where ID=?"), {rental}).isEmpty());
}

QTEST_MAIN(TestFrmCdIade)
#include "tst_frmcdiade.moc"
