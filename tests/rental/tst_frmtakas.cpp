// The exchange window as the clerk fills it: the received disc on the left,
// the title given out picked on the right, "Do exchange process". What counts
// is the catalogue, the stock and the ledger afterwards.
#include "RentalTestSupport.h"

#include "components/DBControls.h"
#include "rental/FrmTakasUnit.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace RentalTest;
using Icon = PromptService::Icon;
using Answer = PromptService::Answer;

namespace {

const QString SureText = QStringLiteral("Are you sure requesting exchange process ?");
const QString MissingText = QStringLiteral("You can t do exchange process without entering necessary data !!!");
const QString DoneText = QStringLiteral("Exchange process is done. ");

void fill(TFrmTakas *w, const QString &type, const QString &film, const QString &count, const QString &cost = "4,50")
{
    w->ComboBox2->setCurrentIndex(w->ComboBox2->findText(type));
    emit w->ComboBox2->activated(w->ComboBox2->currentIndex());
    w->Edit3->setText(film);
    w->ComboBox3->setCurrentIndex(w->ComboBox3->findText(QStringLiteral("Dram")));
    w->Edit4->setText(cost);
    w->Edit5->setText(QStringLiteral("9"));
    w->Edit2->setText(count);
}

QString listed(DataSet *ds, const QString &field)
{
    QStringList out;
    ds->fetchAll();
    for (int r = 0; r < ds->fetchedCount(); ++r)
        out << ds->valueAt(r, ds->fieldIndex(field)).toString();
    return out.join(QLatin1Char(','));
}

} // namespace

class TestFrmTakas : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void opening_data();
    void opening();
    void exchangeBooks_data();
    void exchangeBooks();
    void refusals_data();
    void refusals();
    void findAndFilter();

private:
    // Opens the window and runs the action inside it; Close afterwards
    // unless the action closed it.
    void inWindow(std::function<void(TFrmTakas *)> action);
    std::unique_ptr<Shop> m_shop;
};

void TestFrmTakas::init()
{
    m_shop = std::make_unique<Shop>();
    QVERIFY(m_shop->open());
    run(QStringLiteral("Insert Into FilmTur (FilmTur) Values ('Dram')"));
    run(QStringLiteral("Insert Into FilmTur (FilmTur) Values ('Aksiyon')"));
}

void TestFrmTakas::cleanup()
{
    VERIFY_ALL_ANSWERED(m_shop->prompts);
    m_shop.reset();
}

void TestFrmTakas::inWindow(std::function<void(TFrmTakas *)> action)
{
    bool shown = false;
    whenShown<TFrmTakas>(FrmTakas, [&](TFrmTakas *w) {
        shown = true;
        action(w);
        if (FrmTakas && FrmTakas->isVisible())
            QTest::keyClick(w->Edit3, Qt::Key_Escape);
    });
    OpenExchangeWindow(nullptr);
    QVERIFY(shown);
    QVERIFY(!FrmTakas);
}

void TestFrmTakas::opening_data()
{
    QTest::addColumn<bool>("titles");
    QTest::addColumn<QString>("number");
    QTest::newRow("empty catalogue") << false << "1";
    QTest::newRow("largest number + 1") << true << "8";
}

void TestFrmTakas::opening()
{
    QFETCH(bool, titles);
    QFETCH(QString, number);
    if (titles) {
        addTitle(7, QStringLiteral("Matrix"), QStringLiteral("DVD"), 1);
        addTitle(3, QStringLiteral("Yol"), QStringLiteral("VCD"), 0);
    }
    inWindow([&](TFrmTakas *w) {
        QCOMPARE(w->Edit1->text(), number);
        QVERIFY(w->Edit1->isReadOnly());
        QCOMPARE(w->ComboBox2->currentText(), QStringLiteral("VCD"));
        QCOMPARE(w->LabelUcret->text(), QStringLiteral("3,00"));
        QCOMPARE(w->ComboBox3->count(), 2);
        QCOMPARE(w->ComboBox3->itemText(0), QStringLiteral("Aksiyon"));
        // Only titles with a copy on the shelf can go out.
        QCOMPARE(listed(Dm1->TakasCD, QStringLiteral("FilmAdi")), titles ? QStringLiteral("Matrix") : QString());
    });
}

void TestFrmTakas::exchangeBooks_data()
{
    QTest::addColumn<QString>("received");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("fee");
    QTest::newRow("DVD received for a VCD: the DVD fee") << "DVD" << "2" << "5.0000";
    QTest::newRow("VCD received, count with blanks") << "VCD" << " 3 " << "3.0000";
}

void TestFrmTakas::exchangeBooks()
{
    QFETCH(QString, received);
    QFETCH(QString, count);
    QFETCH(QString, fee);
    const int given = addTitle(4, QStringLiteral("Yol"), QStringLiteral("VCD"), 1);
    m_shop->prompts->expect(Icon::Question, SureText, Answer::Yes);
    m_shop->prompts->expect(Icon::Information, DoneText);
    inWindow([&](TFrmTakas *w) {
        fill(w, received, QStringLiteral("Babam ve Oglum"), count);
        // The highlighted title's own fee shows while it is picked…
        Dm1->TakasCD->first();
        QCOMPARE(w->LabelUcret->text(), QStringLiteral("3,00"));
        w->BitBtn1->click();
    });
    // …but the fee booked is the received disc's.
    QCOMPARE(text(QStringLiteral("Select Borc from Kasa Where Islem='Exchange'")), fee);
    QCOMPARE(text(QStringLiteral("Select Aciklama from Kasa")), QStringLiteral("Takas / Babam ve Oglum / Yol"));
    QCOMPARE(stock(given), 0);
    QCOMPARE(text(QStringLiteral("Select CDNo || '|' || Stok || '|' || KutuIcerik || '|' || CDTur || '|' || KonuTur "
                                 "|| '|' || Coalesce(FilmSirketi, '') || Coalesce(Yonetmen, '') || Coalesce(Oyuncu, '') "
                                 "from CD Where FilmAdi='Babam ve Oglum'")),
             QStringLiteral("5|1|%1|%2|Dram|").arg(count.trimmed(), received));
    // The last copy went out: the title is not offered next time.
    m_shop->prompts->clear();
    inWindow([&](TFrmTakas *) {
        QCOMPARE(listed(Dm1->TakasCD, QStringLiteral("FilmAdi")), QStringLiteral("Babam ve Oglum"));
    });
}

void TestFrmTakas::refusals_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("film");
    QTest::addColumn<QString>("cost");
    QTest::addColumn<bool>("takenMeanwhile");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("message");
    QTest::newRow("not sure") << Answer::No << "A" << "1" << false << -1 << "";
    QTest::newRow("no film name") << Answer::Yes << "  " << "1" << false << int(Icon::Warning) << MissingText;
    QTest::newRow("cost not a number") << Answer::Yes << "A" << "4,x" << false << int(Icon::Error)
                                       << "'4,x' is not a valid number.";
    QTest::newRow("last copy rented meanwhile") << Answer::Yes << "A" << "1" << true << int(Icon::Warning)
                                                << "Less than one copy of tis Cd in stock, please check CD card !!!";
}

void TestFrmTakas::refusals()
{
    QFETCH(Answer, answer);
    QFETCH(QString, film);
    QFETCH(QString, cost);
    QFETCH(bool, takenMeanwhile);
    QFETCH(int, icon);
    QFETCH(QString, message);
    const int given = addTitle(4, QStringLiteral("Yol"), QStringLiteral("VCD"), 1);
    m_shop->prompts->expect(Icon::Question, SureText, answer);
    if (icon >= 0)
        m_shop->prompts->expect(Icon(icon), message);
    inWindow([&](TFrmTakas *w) {
        fill(w, QStringLiteral("DVD"), film, QStringLiteral("1"), cost);
        if (takenMeanwhile)
            run(QStringLiteral("Update CD Set Stok=0 Where ID=?"), {given});
        w->BitBtn1->click();
        QVERIFY(w->isVisible());
    });
    QCOMPARE(number(QStringLiteral("Select Count(*) from CD")), 1);
    QCOMPARE(number(QStringLiteral("Select Count(*) from Kasa")), 0);
    QCOMPARE(stock(given), takenMeanwhile ? 0 : 1);
}

void TestFrmTakas::findAndFilter()
{
    addTitle(1, QStringLiteral("Matrix"), QStringLiteral("DVD"), 1);
    addTitle(12, QStringLiteral("Yol"), QStringLiteral("VCD"), 1);
    addTitle(20, QStringLiteral("matrix 2"), QStringLiteral("VCD"), 1);
    inWindow([&](TFrmTakas *w) {
        DataSet *stock = Dm1->TakasCD;
        w->Edit9->setText(QStringLiteral("mat"));
        QCOMPARE(stock->value(QStringLiteral("FilmAdi")).toString(), QStringLiteral("matrix 2"));
        w->Edit9->setText(QStringLiteral("Xyz")); // no match: stays
        QCOMPARE(stock->value(QStringLiteral("FilmAdi")).toString(), QStringLiteral("matrix 2"));
        w->RadioGroup1->button(1)->click();
        w->Edit9->setText(QStringLiteral("12"));
        QCOMPARE(stock->value(QStringLiteral("FilmAdi")).toString(), QStringLiteral("Yol"));
        w->ComboBox7->setCurrentIndex(1);
        emit w->ComboBox7->activated(1);
        QCOMPARE(listed(stock, QStringLiteral("FilmAdi")), QStringLiteral("Matrix"));
        w->SpeedButton1->click();
        QCOMPARE(w->ComboBox7->currentText(), QString());
        QCOMPARE(listed(stock, QStringLiteral("FilmAdi")).split(QLatin1Char(',')).size(), 3);
    });
}

QTEST_MAIN(TestFrmTakas)
#include "tst_frmtakas.moc"
