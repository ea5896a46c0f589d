// The customer definitions window on a small register, driven through its
// buttons, keys and boxes: numbering of new customers, the fixed count in the
// status bar, searching by name or number, the member filter and its lasting
// statement, the lists and photograph that follow the current customer, the
// rented-disc return, both printouts and the rules for closing.
#include "CustomerTestSupport.h"
#include "components/BandReport.h"
#include "components/DBControls.h"
#include "components/DataSource.h"
#include "components/DataSetModel.h"
#include "components/PromptService.h"
#include "customers/DlgMiniResimUnit.h"
#include "customers/FrmMusKayitUnit.h"
#include "customers/FrmMusteriUnit.h"
#include "rental/FrmCDIadeUnit.h"
#include "components/GridColumns.h"
#include "customers/PhotoView.h"
#include "rental/FrmCDKiraUnit.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "shell/FrmMainUnit.h"
#include "app/WindowRegistry.h"
#include "support/WindowTestFixture.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QWheelEvent>

using namespace TestSupport;
using namespace CustomerTest;
using Icon = PromptService::Icon;
using Answer = PromptService::Answer;

namespace {

const QString DeleteQuestion = QStringLiteral("Kaydı silmek istediğinize eminmisiniz ?");
const QString NoRentalsText = QStringLiteral("There is no any rented film in this customer. !!!");
const QString CountText = QStringLiteral(" Total entered customer number : ");

// The register most cases start from: numbers out of name order, two members.
const Customer Register[] = {
    {1, QStringLiteral("Mehmet Can"), 1, 20},
    {2, QStringLiteral("ayse kaya"), 0, 0},
    {3, QStringLiteral("Ahmet Demir"), 1, 50},
    {5, QStringLiteral("Ali Veli"), 0, 0},
    {4, QStringLiteral("Zeynep Ak"), 0, 0},
};

} // namespace

class TestFrmMusteri : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layoutAndTitles_data();
    void layoutAndTitles();
    void menuEntryOpensOneWindow();

    void newCustomerNumber_data();
    void newCustomerNumber();
    void statusCountIsTakenOnce();

    void search_data();
    void search();
    void clearingTheSearchKeepsTheRow();
    void windowKeysWhileSearchHasFocus_data();
    void windowKeysWhileSearchHasFocus();
    void editFromTheGrid_data();
    void editFromTheGrid();
    void navigationButtons();
    void wheelMovesOneRow();

    void memberFilterAndItsLastingStatement();
    void closing_data();
    void closing();

    void listsAndPhotoFollowTheCustomer();
    void cdReturnWithoutRentals();
    void cdReturnHandsTheRentalOver();

    void customerListPrintsWhatIsShown_data();
    void customerListPrintsWhatIsShown();
    void customerProcessPrintsTheLowerList();

private:
    void addRegister();
    TFrmMusteri *openWindow();
    int customerId(int number);
    QStringList gridColumn(DBGrid *grid, int column);
    void type(QLineEdit *edit, const QString &text);
    // Adds a title and a transaction of the customer on it.
    void addTransaction(int customerNumber, const QString &film, const QString &kind, int state, int sold,
                        const QDate &rentDate);

    WindowTestFixture f;
    std::unique_ptr<QWidget> m_rentStandIn;
};

void TestFrmMusteri::init()
{
    QVERIFY(f.setUp(WindowTestFixture::HomeAndPreview));
}

void TestFrmMusteri::cleanup()
{
    VERIFY_ALL_ANSWERED(f.prompts);
    delete FrmMusKayit.data();
    delete FrmMusteri.data();
    delete DlgMiniResim.data();
    m_rentStandIn.reset();
    f.tearDown();
}

void TestFrmMusteri::addRegister()
{
    for (const Customer &c : Register)
        QVERIFY(addCustomer(c));
}

TFrmMusteri *TestFrmMusteri::openWindow()
{
    TFrmMusteri *w = openChildWindow(FrmMusteri);
    w->resize(1100, 720);
    if (!QTest::qWaitForWindowExposed(w))
        qWarning("the customer window did not show");
    return w;
}

int TestFrmMusteri::customerId(int number)
{
    return scalar(QStringLiteral("Select ID from Musteri where MusteriNo=?"), {number}).toInt();
}

QStringList TestFrmMusteri::gridColumn(DBGrid *grid, int column)
{
    QStringList out;
    QAbstractItemModel *model = grid->model();
    while (model->canFetchMore(QModelIndex()))
        model->fetchMore(QModelIndex());
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->data(model->index(r, column)).toString();
    return out;
}

void TestFrmMusteri::type(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

void TestFrmMusteri::addTransaction(int customerNumber, const QString &film, const QString &kind, int state, int sold,
                                    const QDate &rentDate)
{
    QVERIFY(exec(QStringLiteral("Insert Into CD (CDNo, CDTur, FilmAdi, KonuTur, Stok) Values (?, 'DVD', ?, 'Drama', 1)"),
                 {count(QStringLiteral("CD")) + 1, film}));
    const int cd = scalar(QStringLiteral("Select Max(ID) from CD")).toInt();
    QVERIFY(exec(QStringLiteral("Insert Into Hareket (IslemTur, MusteriNo, CdNo, IslemTarih, KiraTarih, KiralamaGun, "
                                "TeslimTarih, FilmTuru, CDDurum, Kayit) Values (?, ?, ?, ?, ?, 2, ?, 'DVD', ?, ?)"),
                 {kind, customerId(customerNumber), cd, rentDate, rentDate, rentDate.addDays(2), state, sold}));
}

void TestFrmMusteri::layoutAndTitles_data()
{
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("customers") << "DBGrid1"
                               << QStringList{"Customer ID", "Customer Name", "Office Phone", "Home Phone", "Cell Phone",
                                              "Beginninig date of membership", "Deposit", "E-Mail"};
    QTest::newRow("rented discs") << "DBGrid2"
                                  << QStringList{"Film Name", "CD Type", "Rent Date", "Return Date", "Count of Day"};
    QTest::newRow("all transactions") << "DBGrid3"
                                      << QStringList{"Transaction Type", "Film Name", "CD Type", "Sell / Rent Date",
                                                     "Return Date", "Count of day"};
}

void TestFrmMusteri::layoutAndTitles()
{
    QFETCH(QString, grid);
    QFETCH(QStringList, titles);
    addRegister();
    TFrmMusteri *w = openWindow();
    QCOMPARE(w->windowTitle(), QStringLiteral("Customer Definitions"));
    auto *g = w->findChild<DBGrid *>(grid);
    QVERIFY(g);
    auto *header = qobject_cast<TitledHeader *>(g->horizontalHeader());
    QVERIFY(header);
    QCOMPARE(g->model()->columnCount(), titles.size());
    for (int i = 0; i < titles.size(); ++i)
        QCOMPARE(header->title(i), titles[i]);

    QCOMPARE(w->tbNew->text(), QStringLiteral("New"));
    QCOMPARE(w->tbDelete->text(), QStringLiteral("Delete"));
    QCOMPARE(w->tbEdit->text(), QStringLiteral("Edit"));
    QCOMPARE(w->tbPrint->text(), QStringLiteral("Print"));
    QVERIFY(w->rbName->isChecked());
    QCOMPARE(w->rbNumber->text(), QStringLiteral("Customer ID"));
    QCOMPARE(w->CheckBox1->text(), QStringLiteral("Only list members"));
    QVERIFY(!w->CheckBox1->isChecked());
    QCOMPARE(w->btnCDReturn->text(), QStringLiteral("CD Return"));
    QCOMPARE(w->PopupMenu1->actions().first()->text(), QStringLiteral("CD Iade"));
    QCOMPARE(w->StatusPanels.size(), 4);
    QCOMPARE(w->StatusPanels[1]->text(), QStringLiteral(" [ Insert ] - New"));
    QCOMPARE(w->StatusPanels[2]->text(), QStringLiteral(" [ Delete ] - Delete"));
    QCOMPARE(w->StatusPanels[3]->text(), QString());
    // The deposit in the list is shown with two decimals, the shop's way.
    QCOMPARE(gridColumn(w->DBGrid1, 6), (QStringList{"20,00", "0,00", "50,00", "0,00", "0,00"}));
    QVERIFY(w->DBGrid1->hasFocus());
}

void TestFrmMusteri::menuEntryOpensOneWindow()
{
    TFrmMain frame;
    auto *entry = frame.findChild<QAction *>(QStringLiteral("MteriTanmliamalar1"));
    QVERIFY(entry);
    QVERIFY(entry->isEnabled());
    entry->trigger();
    QVERIFY(FrmMusteri);
    TFrmMusteri *first = FrmMusteri;
    entry->trigger();
    QCOMPARE(FrmMusteri.data(), first);
    QCOMPARE(frame.documentArea()->subWindowList().size(), 1);
    QCOMPARE(frame.documentArea()->subWindowList().first()->widget(), first);
    QVERIFY(frame.documentArea()->subWindowList().first()->isMaximized());
    first->close();
    QTRY_VERIFY(!FrmMusteri);
}

void TestFrmMusteri::newCustomerNumber_data()
{
    QTest::addColumn<QList<int>>("numbers");    // the register before
    QTest::addColumn<bool>("deleteHighest");
    QTest::addColumn<bool>("membersOnly");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty register gives 1") << QList<int>{} << false << false << 1;
    QTest::newRow("largest plus one, gaps stay") << QList<int>{1, 2, 7} << false << false << 8;
    QTest::newRow("deleted highest is given again") << QList<int>{1, 2, 3} << true << false << 3;
    // The highest number belongs to a non-member, hidden by the filter.
    QTest::newRow("member filter numbers over everyone") << QList<int>{1, 9} << false << true << 10;
}

void TestFrmMusteri::newCustomerNumber()
{
    QFETCH(QList<int>, numbers);
    QFETCH(bool, deleteHighest);
    QFETCH(bool, membersOnly);
    QFETCH(int, expected);
    for (int n : numbers)
        QVERIFY(addCustomer({n, QStringLiteral("Customer %1").arg(n), n == 1 ? 1 : 0}));
    TFrmMusteri *w = openWindow();
    if (deleteHighest) {
        type(w->Edit1, QString());
        w->rbNumber->click();
        type(w->Edit1, QString::number(numbers.last()));
        QCOMPARE(Dm1->Musteri->value(QStringLiteral("MusteriNo")).toInt(), numbers.last());
        f.prompts->expect(Icon::Warning, DeleteQuestion, Answer::Yes);
        w->tbDelete->click();
        QCOMPARE(count(QStringLiteral("Musteri")), numbers.size() - 1);
    }
    if (membersOnly) {
        w->CheckBox1->click();
        QCOMPARE(gridColumn(w->DBGrid1, 0), QStringList{QStringLiteral("1")});
    }
    QString proposed;
    whenShown<TFrmMusKayit>(FrmMusKayit, [&proposed](TFrmMusKayit *d) {
        proposed = d->DBEdit1->text();
        d->DBEdit2->setFocus();
        QTest::keyClicks(d->DBEdit2, QStringLiteral("Yeni Musteri"));
        d->BtnSave->click();
    });
    w->tbNew->click();
    QCOMPARE(proposed, QString::number(expected));
    QCOMPARE(scalar(QStringLiteral("Select MusteriNo from Musteri where AdSoyad=?"), {QStringLiteral("Yeni Musteri")}).toInt(),
             expected);
    // A new customer starts as no member.
    QCOMPARE(scalar(QStringLiteral("Select UyelikDurum from Musteri where AdSoyad=?"), {QStringLiteral("Yeni Musteri")}).toInt(),
             0);
}

void TestFrmMusteri::statusCountIsTakenOnce()
{
    addRegister();
    TFrmMusteri *w = openWindow();
    const QString shown = CountText + QStringLiteral("5");
    QCOMPARE(w->StatusPanels[0]->text(), shown);
    whenShown<TFrmMusKayit>(FrmMusKayit, [](TFrmMusKayit *d) {
        d->DBEdit2->setFocus();
        QTest::keyClicks(d->DBEdit2, QStringLiteral("Yeni Musteri"));
        d->BtnSave->click();
    });
    w->tbNew->click();
    QCOMPARE(count(QStringLiteral("Musteri")), 6);
    f.prompts->expect(Icon::Warning, DeleteQuestion, Answer::Yes);
    f.prompts->expect(Icon::Warning, DeleteQuestion, Answer::Yes);
    w->tbDelete->click();
    w->tbDelete->click();
    QCOMPARE(count(QStringLiteral("Musteri")), 4);
    w->CheckBox1->click();
    QCOMPARE(w->StatusPanels[0]->text(), shown);
}

void TestFrmMusteri::search_data()
{
    QTest::addColumn<bool>("byNumber");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected"); // the current customer afterwards
    // The list starts on "Mehmet Can" (number 1, first by ID).
    QTest::newRow("name prefix, other case") << false << "AYS" << "ayse kaya";
    QTest::newRow("name prefix, first in list order") << false << "a" << "ayse kaya";
    QTest::newRow("longer prefix") << false << "ali" << "Ali Veli";
    QTest::newRow("whole name") << false << "zeynep ak" << "Zeynep Ak";
    QTest::newRow("piece from the middle finds nothing") << false << "demir" << "Mehmet Can";
    QTest::newRow("blanks around are dropped") << false << "  ahm" << "Ahmet Demir";
    QTest::newRow("number") << true << "5" << "Ali Veli";
    // Typed key by key: "5" finds number 5, "50" then finds nothing and the row stays.
    QTest::newRow("number is not a prefix") << true << "50" << "Ali Veli";
    QTest::newRow("no such number") << true << "8" << "Mehmet Can";
    QTest::newRow("text that is no number is ignored") << true << "x4" << "Mehmet Can";
    QTest::newRow("name text in number mode") << true << "Ali" << "Mehmet Can";
}

void TestFrmMusteri::search()
{
    QFETCH(bool, byNumber);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    addRegister();
    TFrmMusteri *w = openWindow();
    QCOMPARE(Dm1->Musteri->value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("Mehmet Can"));
    if (byNumber)
        w->rbNumber->click();
    type(w->Edit1, text);
    QCOMPARE(Dm1->Musteri->value(QStringLiteral("AdSoyad")).toString(), expected);
    // The grid shows the same row as current.
    QCOMPARE(w->DBGrid1->currentIndex().row(), Dm1->Musteri->recNo());
}

void TestFrmMusteri::clearingTheSearchKeepsTheRow()
{
    addRegister();
    TFrmMusteri *w = openWindow();
    type(w->Edit1, QStringLiteral("zey"));
    QCOMPARE(Dm1->Musteri->value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("Zeynep Ak"));
    QTest::keyClick(w->Edit1, Qt::Key_Backspace);
    QTest::keyClick(w->Edit1, Qt::Key_Backspace);
    QTest::keyClick(w->Edit1, Qt::Key_Backspace);
    QVERIFY(w->Edit1->text().isEmpty());
    QCOMPARE(Dm1->Musteri->value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("Zeynep Ak"));
}

void TestFrmMusteri::windowKeysWhileSearchHasFocus_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("answer"); // for Delete
    QTest::addColumn<int>("rowsAfter");
    QTest::addColumn<bool>("discOut");
    QTest::newRow("Delete, Yes") << int(Qt::Key_Delete) << int(Answer::Yes) << 4 << false;
    QTest::newRow("Delete, No") << int(Qt::Key_Delete) << int(Answer::No) << 5 << false;
    QTest::newRow("Delete, Yes, a disc still out") << int(Qt::Key_Delete) << int(Answer::Yes) << 5 << true;
    QTest::newRow("Insert starts a new customer") << int(Qt::Key_Insert) << 0 << 6 << false;
}

void TestFrmMusteri::windowKeysWhileSearchHasFocus()
{
    QFETCH(int, key);
    QFETCH(int, answer);
    QFETCH(int, rowsAfter);
    QFETCH(bool, discOut);
    addRegister();
    TFrmMusteri *w = openWindow();
    type(w->Edit1, QStringLiteral("ali"));
    QVERIFY(w->Edit1->hasFocus());
    if (discOut)
        addTransaction(Dm1->Musteri->value(QStringLiteral("MusteriNo")).toInt(), QStringLiteral("Out Film"),
                       QStringLiteral("Rent"), 0, 0, QDate(2026, 11, 2));
    if (key == Qt::Key_Delete) {
        f.prompts->expect(Icon::Warning, DeleteQuestion, Answer(answer));
        if (discOut)
            f.prompts->expectStartingWith(Icon::Warning, QStringLiteral("This customer still has 1 disc(s) out on rent."));
    } else {
        whenShown<TFrmMusKayit>(FrmMusKayit, [](TFrmMusKayit *d) {
            QCOMPARE(d->DBEdit1->text(), QStringLiteral("6"));
            d->DBEdit2->setFocus();
            QTest::keyClicks(d->DBEdit2, QStringLiteral("Yeni Musteri"));
            d->BtnSave->click();
        });
    }
    const QString before = w->Edit1->text();
    QTest::keyClick(w->Edit1, Qt::Key(key));
    QCOMPARE(count(QStringLiteral("Musteri")), rowsAfter);
    // The key went to the window, not to the text in the box.
    QCOMPARE(w->Edit1->text(), before);
    if (key == Qt::Key_Delete && answer == int(Answer::Yes))
        QCOMPARE(scalar(QStringLiteral("Select Count(*) from Musteri where AdSoyad='Ali Veli'")).toInt(), discOut ? 1 : 0);
}

void TestFrmMusteri::editFromTheGrid_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Edit button") << "button";
    QTest::newRow("Enter in the grid") << "enter";
    QTest::newRow("double-click") << "double";
}

void TestFrmMusteri::editFromTheGrid()
{
    QFETCH(QString, how);
    addRegister();
    TFrmMusteri *w = openWindow();
    w->tbNext->click(); // "ayse kaya"
    QString shownName;
    whenShown<TFrmMusKayit>(FrmMusKayit, [&shownName](TFrmMusKayit *d) {
        QCOMPARE(Dm1->Musteri->state(), DataSet::State::Edit);
        shownName = d->DBEdit2->text();
        d->DBEdit4->setFocus();
        QTest::keyClicks(d->DBEdit4, QStringLiteral("0212 555"));
        d->BtnSave->click();
    });
    if (how == QLatin1String("button")) {
        w->tbEdit->click();
    } else if (how == QLatin1String("enter")) {
        w->DBGrid1->setFocus();
        QTest::keyClick(w->DBGrid1, Qt::Key_Return);
    } else {
        const QRect cell = w->DBGrid1->visualRect(w->DBGrid1->currentIndex());
        QTest::mousePress(w->DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseRelease(w->DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(w->DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
    }
    QCOMPARE(shownName, QStringLiteral("ayse kaya"));
    QCOMPARE(scalar(QStringLiteral("Select IsTelefon from Musteri where MusteriNo=2")).toString(), QStringLiteral("0212 555"));
    QCOMPARE(gridColumn(w->DBGrid1, 2).at(1), QStringLiteral("0212 555"));
}

void TestFrmMusteri::navigationButtons()
{
    addRegister();
    TFrmMusteri *w = openWindow();
    const auto current = [] { return Dm1->Musteri->value(QStringLiteral("AdSoyad")).toString(); };
    w->tbLast->click();
    QCOMPARE(current(), QStringLiteral("Zeynep Ak"));
    w->tbPrior->click();
    QCOMPARE(current(), QStringLiteral("Ali Veli"));
    w->tbFirst->click();
    QCOMPARE(current(), QStringLiteral("Mehmet Can"));
    w->tbNext->click();
    QCOMPARE(current(), QStringLiteral("ayse kaya"));
}

void TestFrmMusteri::wheelMovesOneRow()
{
    addRegister();
    TFrmMusteri *w = openWindow();
    w->DBGrid1->setFocus();
    QTRY_VERIFY(w->DBGrid1->hasFocus());
    const auto turn = [w](int delta) {
        const QPoint at = w->DBGrid1->viewport()->rect().center();
        QWheelEvent wheel(at, w->DBGrid1->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w->DBGrid1->viewport(), &wheel);
    };
    turn(-120); // toward the user: down one row
    QCOMPARE(Dm1->Musteri->recNo(), 1);
    turn(-120);
    QCOMPARE(Dm1->Musteri->recNo(), 2);
    turn(120);
    QCOMPARE(Dm1->Musteri->recNo(), 1);
}

void TestFrmMusteri::memberFilterAndItsLastingStatement()
{
    addRegister();
    TFrmMusteri *w = openWindow();
    // Until the box is used the list is in ID order.
    QCOMPARE(gridColumn(w->DBGrid1, 1),
             (QStringList{"Mehmet Can", "ayse kaya", "Ahmet Demir", "Ali Veli", "Zeynep Ak"}));
    w->CheckBox1->click();
    QCOMPARE(gridColumn(w->DBGrid1, 1), (QStringList{"Ahmet Demir", "Mehmet Can"}));
    QCOMPARE(Dm1->Musteri->value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("Ahmet Demir"));
    QTest::keyClick(w->Edit1, Qt::Key_Escape);
    QTRY_VERIFY(!FrmMusteri);
    QVERIFY(!Dm1->Musteri->isOpen());

    // Opened again: only members, though the box shows unchecked.
    w = openWindow();
    QVERIFY(!w->CheckBox1->isChecked());
    QCOMPARE(gridColumn(w->DBGrid1, 1), (QStringList{"Ahmet Demir", "Mehmet Can"}));
    QCOMPARE(w->StatusPanels[0]->text(), CountText + QStringLiteral("2"));
    w->CheckBox1->click();
    QCOMPARE(gridColumn(w->DBGrid1, 1), (QStringList{"Ahmet Demir", "Mehmet Can"}));
    w->CheckBox1->click();
    // Everyone again, now by name (the database's collation puts the small "a" last).
    QCOMPARE(gridColumn(w->DBGrid1, 1).size(), 5);
    QCOMPARE(gridColumn(w->DBGrid1, 1), names(Dm1->Musteri));
    QVERIFY(Dm1->Musteri->sql().contains(QStringLiteral("order by adsoyad")));
}

void TestFrmMusteri::closing_data()
{
    QTest::addColumn<bool>("rentWindowOpen");
    QTest::addColumn<QString>("how");
    QTest::newRow("alone, Esc") << false << "esc";
    QTest::newRow("alone, close button") << false << "button";
    QTest::newRow("rent window open, Esc") << true << "esc";
    QTest::newRow("rent window open, close button") << true << "button";
}

void TestFrmMusteri::closing()
{
    QFETCH(bool, rentWindowOpen);
    QFETCH(QString, how);
    addRegister();
    if (rentWindowOpen) {
        // The rent and sell window lists Musteri too.
        auto *rent = new TFrmCDKira;
        m_rentStandIn.reset(rent);
        FrmCDKira = rent;
    }
    TFrmMusteri *w = openWindow();
    if (how == QLatin1String("esc"))
        QTest::keyClick(w->DBGrid1, Qt::Key_Escape);
    else
        w->btnClose->click();
    QTRY_VERIFY(!FrmMusteri);
    QCOMPARE(Dm1->Musteri->isOpen(), rentWindowOpen);
    // Once the rent window has gone, closing frees the list again.
    m_rentStandIn.reset();
    w = openWindow();
    w->close();
    QTRY_VERIFY(!FrmMusteri);
    QVERIFY(!Dm1->Musteri->isOpen());
}

void TestFrmMusteri::listsAndPhotoFollowTheCustomer()
{
    const QByteArray red = jpeg(Qt::red);
    QVERIFY(addCustomer({1, QStringLiteral("Foto Var"), 0, 0, red}));
    QVERIFY(addCustomer({2, QStringLiteral("Bozuk Foto"), 0, 0, QByteArray("not a jpeg at all")}));
    QVERIFY(addCustomer({3, QStringLiteral("Foto Yok")}));
    const QDate d(2026, 11, 2);
    addTransaction(1, QStringLiteral("Out Film"), QStringLiteral("Rent"), 0, 0, d);
    addTransaction(1, QStringLiteral("Returned Film"), QStringLiteral("Rent"), 1, 0, d.addDays(3));
    addTransaction(1, QStringLiteral("Sold Game"), QStringLiteral("Sell"), 0, 1, d.addDays(5));
    addTransaction(3, QStringLiteral("Third Out"), QStringLiteral("Rent"), 0, 0, d);

    TFrmMusteri *w = openWindow();
    QCOMPARE(w->DBText1->text(), QStringLiteral("Foto Var"));
    QVERIFY(looksLike(w->Image1->picture(), Qt::red));
    QCOMPARE(gridColumn(w->DBGrid2, 0), QStringList{QStringLiteral("Out Film")});
    // Newest first.
    QCOMPARE(gridColumn(w->DBGrid3, 1), (QStringList{"Sold Game", "Returned Film"}));
    QCOMPARE(gridColumn(w->DBGrid3, 0), (QStringList{"Sell", "Rent"}));

    // Bytes that are no picture show an empty frame, never the previous
    // customer's face; the lists follow.
    w->tbNext->click();
    QCOMPARE(w->DBText1->text(), QStringLiteral("Bozuk Foto"));
    QVERIFY(!w->Image1->hasPicture());
    QVERIFY(gridColumn(w->DBGrid2, 0).isEmpty());
    QVERIFY(gridColumn(w->DBGrid3, 0).isEmpty());

    // No photograph clears the area.
    w->tbNext->click();
    QVERIFY(!w->Image1->hasPicture());
    QCOMPARE(gridColumn(w->DBGrid2, 0), QStringList{QStringLiteral("Third Out")});
}

void TestFrmMusteri::cdReturnWithoutRentals()
{
    addRegister();
    addTransaction(1, QStringLiteral("Returned Film"), QStringLiteral("Rent"), 1, 0, QDate(2026, 11, 2));
    TFrmMusteri *w = openWindow();
    QVERIFY(w->btnCDReturn->isEnabled());
    QVERIFY(w->PopupMenu1->actions().first()->isEnabled());
    f.prompts->expect(Icon::Information, NoRentalsText);
    w->CDReturnClick();
    QVERIFY(!Dm1->CDIade->isOpen());
    QVERIFY(!DlgMiniResim);
}

void TestFrmMusteri::cdReturnHandsTheRentalOver()
{
    QVERIFY(addCustomer({1, QStringLiteral("Ahmet Demir"), 0, 0, jpeg(Qt::green)}));
    addTransaction(1, QStringLiteral("First Out"), QStringLiteral("Rent"), 0, 0, QDate(2026, 11, 2));
    addTransaction(1, QStringLiteral("Second Out"), QStringLiteral("Rent"), 0, 0, QDate(2026, 11, 5));
    TFrmMusteri *w = openWindow();
    w->DBGrid2->setCurrentIndex(w->DBGrid2->model()->index(1, 0));
    QCOMPARE(Dm1->HareketTemp3->value(QStringLiteral("FilmAdi")).toString(), QStringLiteral("Second Out"));
    const QVariant rental = Dm1->HareketTemp3->value(QStringLiteral("ID"));
    bool seen = false;
    whenShown<TFrmCdIade>(FrmCdIade, [&](TFrmCdIade *iade) {
        seen = true;
        QCOMPARE(iade->LabelCustomer->text(), QStringLiteral("Ahmet Demir"));
        QCOMPARE(iade->LabelFilm->text(), QStringLiteral("Second Out"));
        QCOMPARE(Dm1->CDIade->recordCount(), 1);
        QCOMPARE(Dm1->CDIade->value(QStringLiteral("ID")), rental);
        QVERIFY(DlgMiniResim && DlgMiniResim->isVisible());
        QVERIFY(looksLike(DlgMiniResim->Image1->picture(), Qt::green));
        iade->BitBtn2->click();
    });
    w->CDReturnClick();
    QVERIFY(seen);
    // Closed without "Ok": the rental is still out, the photo window gone.
    QVERIFY(!FrmCdIade);
    QVERIFY(!DlgMiniResim);
    QCOMPARE(scalar(QStringLiteral("Select CDDurum from Hareket Where ID=?"), {rental}).toInt(), 0);
}

void TestFrmMusteri::customerListPrintsWhatIsShown_data()
{
    QTest::addColumn<bool>("membersOnly");
    QTest::newRow("everyone") << false;
    QTest::newRow("members only") << true;
}

void TestFrmMusteri::customerListPrintsWhatIsShown()
{
    QFETCH(bool, membersOnly);
    addRegister();
    TFrmMusteri *w = openWindow();
    if (membersOnly)
        w->CheckBox1->click();
    w->tbPrint->click();
    QCOMPARE(f.preview->titles, QStringList{QStringLiteral("Customer List")});
    QStringList printed, deposits;
    for (const QStringList &row : f.preview->computed.back().rows) {
        printed << row.at(1);
        deposits << row.at(4);
    }
    QCOMPARE(printed, gridColumn(w->DBGrid1, 1));
    QCOMPARE(deposits, gridColumn(w->DBGrid1, 6));
    QVERIFY(!Dm2->RaporTemp->isOpen()); // closed once the preview is done
}

void TestFrmMusteri::customerProcessPrintsTheLowerList()
{
    addRegister();
    addTransaction(3, QStringLiteral("Returned Film"), QStringLiteral("Rent"), 1, 0, QDate(2026, 10, 1));
    addTransaction(3, QStringLiteral("Sold Game"), QStringLiteral("Sell"), 0, 1, QDate(2026, 10, 9));
    addTransaction(3, QStringLiteral("Still Out"), QStringLiteral("Rent"), 0, 0, QDate(2026, 10, 12));
    TFrmMusteri *w = openWindow();
    type(w->Edit1, QStringLiteral("ahmet"));
    w->btnPrintProcess->click();
    QCOMPARE(f.preview->titles, QStringList{QStringLiteral("Customer Process")});
    QCOMPARE(f.preview->computed.back().params.value(QStringLiteral("Customer")), QStringLiteral("Ahmet Demir"));
    QStringList printed;
    for (const QStringList &row : f.preview->computed.back().rows)
        printed << row.at(0);
    QCOMPARE(printed, gridColumn(w->DBGrid3, 1));
    QCOMPARE(printed, (QStringList{"Sold Game", "Returned Film"}));
}

QTEST_MAIN(TestFrmMusteri)
#include "tst_frmmusteri.moc"
