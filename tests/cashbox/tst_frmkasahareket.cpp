// The cash-box window and its two dialogs, driven as a clerk drives them:
// the list and totals of a period and kind, the password in front of every
// correction and deletion, manual entries and corrections with their audit,
// a save the database refuses, the printed ledger and the menu entries.
#include "ShopGenerator.h"
#include "cashbox/DlgKasaSifreUnit.h"
#include "cashbox/FrmKasaHareketGirisUnit.h"
#include "cashbox/FrmKasaHareketUnit.h"
#include "components/BandReport.h"
#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/Format.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "data/Session.h"
#include "db/Money.h"
#include "db/Paths.h"
#include "db/SqlDialect.h"
#include "reports/DlgCDIstUnit.h"
#include "reports/FrmGrafikUnit.h"
#include "shell/FrmMainUnit.h"
#include "app/WindowRegistry.h"
#include "support/WindowTestFixture.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

using namespace TestSupport;
using namespace TestSupport::Sql;
using Icon = PromptService::Icon;
using Answer = PromptService::Answer;

namespace {

const QString Password = QStringLiteral("gizli");
const QDate D(2024, 3, 11);
const int NoDate = -100000; // the entry's date field cleared

QVariant money(const char *text)
{
    return text ? QVariant::fromValue(*Money::fromDecimalString(QString::fromLatin1(text))) : QVariant();
}

void addLedger(const char *islem, const char *borc, const char *alacak, const QDate &day, const QString &aciklama = {})
{
    run(QStringLiteral("Insert Into Kasa (Islem, Borc, Alacak, Tarih, Saat, Aciklama) Values (?, ?, ?, ?, ?, ?)"),
        {QString::fromLatin1(islem), money(borc), money(alacak), day, QDateTime(day, QTime(9, 0)), aciklama});
}

// Every ledger row, oldest first: the columns asked, joined by '|'.
QString ledger(const QString &columns, const QString &table = QStringLiteral("Kasa"))
{
    DataSet k(QStringLiteral("check"));
    k.setSql(QStringLiteral("Select %1 from %2 Order by ID").arg(columns, table));
    QStringList rows;
    for (k.open(); !k.eof(); k.next()) {
        QStringList row;
        for (int c = 0; c < k.fieldCount(); ++c) {
            const QVariant v = k.value(c);
            row << (v.metaType() == QMetaType::fromType<Money>() ? v.value<Money>().toDecimalString() : v.toString());
        }
        rows << row.join(u'|');
    }
    return rows.join(u'\n');
}

// Acts on a modal dialog as soon as it is up (its exec() is running).
template <class W>
void whenUp(QPointer<W> &ref, std::function<void(W *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [&ref, act, timer] {
        if (!ref || !ref->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        act(ref.data());
    });
    timer->start();
}

// The password dialog answered: typed and Ok, or Cancel when typed is null.
void answerPassword(const QString &typed)
{
    whenUp<TDlgKasaSifre>(DlgKasaSifre, [typed](TDlgKasaSifre *d) {
        if (typed.isNull()) {
            d->BtnCancel->click();
            return;
        }
        d->Edit1->setText(typed);
        QTest::keyClick(d->Edit1, Qt::Key_Return);
    });
}

void type(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

} // namespace

class TestFrmKasaHareket : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void openingAndPeriod();
    void listAndTotals_data();
    void listAndTotals();
    void passwordRefusals_data();
    void passwordRefusals();
    void clerkEntersCorrectsAndDeletes();
    void entryRules_data();
    void entryRules();
    void refusedSaveKeepsWhatWasTyped();
    void reportGraphicsAndClosing();
    void menuEntriesOpenTheWindows();
    void totalsExactOnSizeMLedger();

private:
    TFrmKasaHareket *openWindow();
    void showPeriod(TFrmKasaHareket *w, const QDate &first, const QDate &last, int kind);
    QStringList listed(TFrmKasaHareket *w, const QString &field);
    QString totals(TFrmKasaHareket *w);
    void seed();

    WindowTestFixture f;
};

void TestFrmKasaHareket::init()
{
    QVERIFY(f.setUp(WindowTestFixture::HomeAndPreview));
    Session::setLogin(QStringLiteral("ayse"), Password);
}

void TestFrmKasaHareket::cleanup()
{
    VERIFY_ALL_ANSWERED(f.prompts);
    delete FrmKasaHareket.data();
    delete FrmGrafik.data();
    f.tearDown();
}

TFrmKasaHareket *TestFrmKasaHareket::openWindow()
{
    TFrmKasaHareket *w = OpenCashBox();
    w->resize(1200, 700);
    if (!QTest::qWaitForWindowExposed(w))
        qWarning("the cash-box window did not show");
    return w;
}

void TestFrmKasaHareket::showPeriod(TFrmKasaHareket *w, const QDate &first, const QDate &last, int kind)
{
    w->Picker1->setDate(first);
    w->Picker2->setDate(last);
    if (kind >= 0 && w->Combo1->currentIndex() != kind)
        w->Combo1->setCurrentIndex(kind);
    else
        w->SpeedButton1->click();
}

QStringList TestFrmKasaHareket::listed(TFrmKasaHareket *w, const QString &field)
{
    QStringList out;
    QAbstractItemModel *m = w->DBGrid1->model();
    while (m->canFetchMore({}))
        m->fetchMore({});
    int column = -1;
    for (int c = 0; c < m->columnCount(); ++c)
        if (Dm1->Kasa->fieldInfo(field).caption == m->headerData(c, Qt::Horizontal).toString())
            column = c;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->data(m->index(r, column)).toString();
    return out;
}

QString TestFrmKasaHareket::totals(TFrmKasaHareket *w)
{
    return QStringList{w->LabelSales->text(), w->LabelExpenses->text(), w->LabelBalance->text()}.join(u' ');
}

void TestFrmKasaHareket::seed()
{
    addLedger("VCD Sell", "20", "0", D.addDays(-1));
    addLedger("DVD Rent", "10", "0", D);
    addLedger("DivX Rent", "7", "0", D);
    addLedger("Penalty for Delay", "2.5", "0", D.addDays(1));
    addLedger("Other", nullptr, "4.25", D.addDays(1), QStringLiteral("Kirtasiye"));
    addLedger("Exchange", "3", "0", D.addDays(2));
}

void TestFrmKasaHareket::openingAndPeriod()
{
    addLedger("DVD Rent", "1234.5", "0", QDate::currentDate());
    addLedger("Buying CD", "0", "100", QDate::currentDate());
    addLedger("DVD Rent", "99", "0", QDate::currentDate().addDays(-1));
    TFrmKasaHareket *w = openWindow();
    // Today, every kind, nothing chosen in the filter; the clock runs.
    QCOMPARE(w->Picker1->date(), QDate::currentDate());
    QCOMPARE(w->Picker2->date(), QDate::currentDate());
    QCOMPARE(w->Combo1->currentIndex(), -1);
    QCOMPARE(listed(w, QStringLiteral("Islem")), (QStringList{QStringLiteral("Buying CD"), QStringLiteral("DVD Rent")}));
    QCOMPARE(totals(w), QStringLiteral("1.234,50 100,00 1.134,50"));
    QVERIFY(w->Timer1->isActive());
    QVERIFY(w->StatusPanel3->text().contains(Format::shortDate(QDate::currentDate())));
    // New dates alone change nothing until the list is refreshed.
    w->Picker1->setDate(QDate::currentDate().addDays(-1));
    QCOMPARE(listed(w, QStringLiteral("Islem")).size(), 2);
    QCOMPARE(totals(w), QStringLiteral("1.234,50 100,00 1.134,50"));
    w->SpeedButton1->click();
    QCOMPARE(listed(w, QStringLiteral("Islem")).size(), 3);
    QCOMPARE(totals(w), QStringLiteral("1.333,50 100,00 1.233,50"));
    // Opened again after closing with a kind chosen: all kinds of today.
    w->Combo1->setCurrentIndex(1);
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!FrmKasaHareket);
    QVERIFY(!Dm1->Kasa->isOpen());
    w = openWindow();
    QCOMPARE(w->Combo1->currentIndex(), -1);
    QCOMPARE(listed(w, QStringLiteral("Islem")).size(), 2);
}

void TestFrmKasaHareket::listAndTotals_data()
{
    QTest::addColumn<int>("kind"); // -1: nothing chosen
    QTest::addColumn<int>("from"); // days after D
    QTest::addColumn<int>("to");
    QTest::addColumn<QStringList>("rows"); // Islem, newest first
    QTest::addColumn<QString>("totals");   // sales expenses balance
    const QStringList all = {"Exchange", "Other", "Penalty for Delay", "DivX Rent", "DVD Rent"};
    QTest::newRow("nothing chosen") << -1 << 0 << 2 << all << "22,50 4,25 18,25";
    QTest::newRow("all transactions") << 0 << 0 << 2 << all << "22,50 4,25 18,25";
    QTest::newRow("rent and sell leaves DivX out") << 1 << 0 << 2 << QStringList{"DVD Rent"} << "10,00 0,00 10,00";
    QTest::newRow("penalties") << 2 << -1 << 5 << QStringList{"Penalty for Delay"} << "2,50 0,00 2,50";
    QTest::newRow("other: an empty income still has a balance") << 3 << 0 << 2 << QStringList{"Other"} << "0,00 4,25 -4,25";
    QTest::newRow("one day, both ends") << -1 << -1 << -1 << QStringList{"VCD Sell"} << "20,00 0,00 20,00";
    QTest::newRow("nothing happened") << 0 << 10 << 12 << QStringList{} << "0,00 0,00 0,00";
    QTest::newRow("later date first") << 0 << 2 << 0 << QStringList{} << "0,00 0,00 0,00";
}

void TestFrmKasaHareket::listAndTotals()
{
    QFETCH(int, kind);
    QFETCH(int, from);
    QFETCH(int, to);
    seed();
    TFrmKasaHareket *w = openWindow();
    showPeriod(w, D.addDays(from), D.addDays(to), kind);
    QTEST(listed(w, QStringLiteral("Islem")), "rows");
    QTEST(totals(w), "totals");
}

void TestFrmKasaHareket::passwordRefusals_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("typed"); // null: Cancel
    QTest::addColumn<bool>("correctBefore");
    QTest::addColumn<QString>("message");
    const QString wrong = QStringLiteral("Password is wrong !!!");
    QTest::newRow("edit, cancelled") << "edit" << QString() << false << wrong;
    QTest::newRow("edit, blanks") << "edit" << "   " << false << wrong;
    QTest::newRow("edit, wrong") << "edit" << "gizl" << false << "Rassword is wrong !!!";
    QTest::newRow("edit, trailing blank") << "edit" << "gizli " << false << "Rassword is wrong !!!";
    QTest::newRow("edit, cancelled after a correct one") << "edit" << QString() << true << wrong;
    QTest::newRow("delete, wrong") << "delete" << "GIZLI" << false << wrong;
    QTest::newRow("delete, cancelled") << "delete" << QString() << false << wrong;
    QTest::newRow("delete, leading blank") << "delete" << " gizli" << false << wrong;
}

void TestFrmKasaHareket::passwordRefusals()
{
    QFETCH(QString, action);
    QFETCH(QString, typed);
    QFETCH(bool, correctBefore);
    QFETCH(QString, message);
    addLedger("Penalty for Delay", "3", "0", QDate::currentDate(), QStringLiteral("Ceza"));
    const QString before = ledger(QStringLiteral("*"));
    TFrmKasaHareket *w = openWindow();
    if (correctBefore) {
        // A correct password for a deletion the clerk then declines.
        answerPassword(Password);
        f.prompts->expect(Icon::Warning, QStringLiteral("Kaydı silmek istediğinize eminmisiniz ?"), Answer::No);
        w->ToolButton3->click();
    }
    answerPassword(typed);
    f.prompts->expect(Icon::Error, message);
    (action == QLatin1String("edit") ? w->ToolButton9 : w->ToolButton3)->click();
    QVERIFY(!FrmKasaHareketGiris);
    QCOMPARE(ledger(QStringLiteral("*")), before);
    QCOMPARE(ledger(QStringLiteral("*"), QStringLiteral("KasaLog")), QString());
    QCOMPARE(Dm1->Kasa->state(), DataSet::State::Browse);
}

void TestFrmKasaHareket::clerkEntersCorrectsAndDeletes()
{
    addLedger("DVD Rent", "10", "0", QDate::currentDate(), QStringLiteral("Kira"));
    TFrmKasaHareket *w = openWindow();
    QCOMPARE(totals(w), QStringLiteral("10,00 0,00 10,00"));

    // Insert: a new expense.
    whenUp<TFrmKasaHareketGiris>(FrmKasaHareketGiris, [](TFrmKasaHareketGiris *d) {
        QCOMPARE(d->DBDateEdit1->date(), QDate::currentDate());
        type(d->DBEdit1, QStringLiteral("Kirtasiye"));
        type(d->DBEdit3, QStringLiteral("12,50"));
        d->BtnSave->click();
    });
    w->DBGrid1->setFocus();
    QTest::keyClick(w->DBGrid1, Qt::Key_Insert);
    QVERIFY(!FrmKasaHareketGiris);
    QCOMPARE(ledger(QStringLiteral("Islem, Aciklama, Borc, Alacak")),
             QStringLiteral("DVD Rent|Kira|10.0000|0.0000\nOther|Kirtasiye||12.5000"));
    QCOMPARE(totals(w), QStringLiteral("10,00 12,50 -2,50"));
    QCOMPARE(Dm1->Kasa->value(QStringLiteral("Aciklama")).toString(), QStringLiteral("Kirtasiye"));

    // Enter on the new row: the password, then the correction.
    answerPassword(Password);
    whenUp<TFrmKasaHareketGiris>(FrmKasaHareketGiris, [](TFrmKasaHareketGiris *d) {
        QCOMPARE(d->DBEdit1->text(), QStringLiteral("Kirtasiye"));
        type(d->DBEdit3, QStringLiteral("15,75"));
        d->BtnSave->click();
    });
    QTest::keyClick(w->DBGrid1, Qt::Key_Return);
    QCOMPARE(ledger(QStringLiteral("Islem, Aciklama, Alacak")),
             QStringLiteral("DVD Rent|Kira|0.0000\nOther|Kirtasiye|15.7500"));
    QCOMPARE(totals(w), QStringLiteral("10,00 15,75 -5,75"));
    QCOMPARE(ledger(QStringLiteral("Degisiklik, Kullanici, Islem, Alacak"), QStringLiteral("KasaLog")),
             QStringLiteral("Correction|ayse|Other|12.5000"));

    // Delete on the same row.
    answerPassword(Password);
    f.prompts->expect(Icon::Warning, QStringLiteral("Kaydı silmek istediğinize eminmisiniz ?"), Answer::Yes);
    QTest::keyClick(w->DBGrid1, Qt::Key_Delete);
    QCOMPARE(ledger(QStringLiteral("Islem")), QStringLiteral("DVD Rent"));
    QCOMPARE(totals(w), QStringLiteral("10,00 0,00 10,00"));
    QCOMPARE(ledger(QStringLiteral("Degisiklik, Aciklama, Alacak"), QStringLiteral("KasaLog")),
             QStringLiteral("Correction|Kirtasiye|12.5000\nDeletion|Kirtasiye|15.7500"));
}

void TestFrmKasaHareket::entryRules_data()
{
    QTest::addColumn<QString>("start");       // new, edit, editEmpty, deleteEmpty
    QTest::addColumn<QString>("explanation"); // typed over what is there
    QTest::addColumn<int>("dayOffset");       // the transaction date typed, days from today
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QString>("ledger");      // Islem|Aciklama|Borc|Alacak
    QTest::addColumn<int>("listed");
    const QString missing = QStringLiteral("You can t complete recording process without filling explanation.");
    const QString penalty = QStringLiteral("Penalty for Delay|Ceza|3.0000|0.0000");
    QTest::newRow("no explanation") << "new" << "  " << 0 << missing << penalty << 1;
    QTest::newRow("date cleared") << "new" << "Kirtasiye" << NoDate
                                  << "You can t complete recording process without filling \"Transaction date\"."
                                  << penalty << 1;
    QTest::newRow("explanation, no amounts") << "new" << "Not" << 0 << "" << penalty + "\nOther|Not||" << 2;
    QTest::newRow("dated outside the period") << "new" << "Dun" << -3 << "" << penalty + "\nOther|Dun||" << 1;
    QTest::newRow("correction keeps its kind") << "edit" << "Ceza iadesi" << 0 << ""
                                               << "Penalty for Delay|Ceza iadesi|3.0000|0.0000" << 1;
    QTest::newRow("edit on an empty list") << "editEmpty" << "" << 0 << "" << "" << 0;
    QTest::newRow("delete on an empty list") << "deleteEmpty" << "" << 0 << "" << "" << 0;
}

void TestFrmKasaHareket::entryRules()
{
    QFETCH(QString, start);
    QFETCH(QString, explanation);
    QFETCH(int, dayOffset);
    QFETCH(QString, warning);
    const bool empty = start.endsWith(QLatin1String("Empty"));
    if (!empty)
        addLedger("Penalty for Delay", "3", "0", QDate::currentDate(), QStringLiteral("Ceza"));
    TFrmKasaHareket *w = openWindow();
    const QDateTime savedAfter = QDateTime::currentDateTime().addSecs(-1);
    if (start == QLatin1String("editEmpty")) {
        answerPassword(Password);
        f.prompts->expect(Icon::Information, QStringLiteral("Record is needed to make edit !!!"));
        w->ToolButton9->click();
    } else if (start == QLatin1String("deleteEmpty")) {
        answerPassword(Password); // nothing is asked after it
        w->ToolButton3->click();
    } else {
        whenUp<TFrmKasaHareketGiris>(FrmKasaHareketGiris, [&](TFrmKasaHareketGiris *d) {
            type(d->DBEdit1, explanation);
            d->DBDateEdit1->setDate(dayOffset == NoDate ? d->DBDateEdit1->minimumDate()
                                                        : QDate::currentDate().addDays(dayOffset));
            if (!warning.isEmpty())
                f.prompts->expect(Icon::Warning, warning);
            d->BtnSave->click();
            if (!warning.isEmpty()) {
                // Still open, still typing; nothing written.
                QVERIFY(d->isVisible());
                QCOMPARE(Dm1->Kasa->state(), DataSet::State::Insert);
                QCOMPARE(ledger(QStringLiteral("Count(*)")), QStringLiteral("1"));
                QCOMPARE(d->DBEdit1->text(), explanation);
                d->BtnCancel->click();
            }
        });
        if (start == QLatin1String("edit"))
            answerPassword(Password);
        (start == QLatin1String("edit") ? w->ToolButton9 : w->ToolButton7)->click();
        if (warning.isEmpty()) // the time of saving, for new rows and corrections alike
            QVERIFY(Dm1->Kasa->value(QStringLiteral("Saat")).toDateTime() >= savedAfter
                    || listed(w, QStringLiteral("Islem")).size() < 2);
    }
    QTEST(ledger(QStringLiteral("Islem, Aciklama, Borc, Alacak")), "ledger");
    QTEST(int(listed(w, QStringLiteral("Islem")).size()), "listed");
    QCOMPARE(Dm1->Kasa->state(), DataSet::State::Browse);
    QCOMPARE(totals(w), empty ? QStringLiteral("0,00 0,00 0,00") : QStringLiteral("3,00 0,00 3,00"));
}

void TestFrmKasaHareket::refusedSaveKeepsWhatWasTyped()
{
    auto refuse = [](const char *why) {
        run(QStringLiteral("Drop Trigger If Exists vx_refuse"));
        run(QStringLiteral("Create Trigger vx_refuse Before Insert On Kasa Begin Select Raise(Abort, '%1'); End")
                .arg(QLatin1StringView(why)));
    };
    TFrmKasaHareket *w = openWindow();
    const QString log = Paths::errorLog();
    auto logText = [log] {
        QFile f(log);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    };
    refuse("disk full");
    whenUp<TFrmKasaHareketGiris>(FrmKasaHareketGiris, [&](TFrmKasaHareketGiris *d) {
        type(d->DBEdit1, QStringLiteral("Elektrik"));
        type(d->DBEdit3, QStringLiteral("250,00"));
        f.prompts->expectStartingWith(Icon::Error, QString());
        d->BtnSave->click();
        // Told, logged, and everything typed is still there.
        QVERIFY(f.prompts->seen().last().text.contains(QStringLiteral("disk full")));
        QVERIFY(d->isVisible());
        QCOMPARE(d->DBEdit1->text(), QStringLiteral("Elektrik"));
        QCOMPARE(d->DBEdit3->text(), QStringLiteral("250"));
        QVERIFY(logText().contains(QStringLiteral("disk full")));
        QCOMPARE(logText().count(u'\n'), 1);
        // A second failure leaves only its own text in the log.
        refuse("locked");
        f.prompts->expectStartingWith(Icon::Error, QString());
        d->BtnSave->click();
        QVERIFY(logText().contains(QStringLiteral("locked")) && !logText().contains(QStringLiteral("disk full")));
        QCOMPARE(logText().count(u'\n'), 1);
        d->BtnCancel->click();
    });
    w->ToolButton7->click();
    QCOMPARE(ledger(QStringLiteral("*")), QString());
    QCOMPARE(Dm1->Kasa->state(), DataSet::State::Browse);
    QVERIFY(listed(w, QStringLiteral("Islem")).isEmpty());
}

void TestFrmKasaHareket::reportGraphicsAndClosing()
{
    seed();
    TFrmKasaHareket *w = openWindow();
    showPeriod(w, D, D.addDays(1), 0);
    w->ToolButton1->click();
    QCOMPARE(f.preview->titles, QStringList{QStringLiteral("Cash Box Transactions")});
    QCOMPARE(f.preview->params.value(QStringLiteral("PeriodBegin")), Format::shortDate(D));
    QCOMPARE(f.preview->params.value(QStringLiteral("PeriodEnd")), Format::shortDate(D.addDays(1)));
    QCOMPARE(f.preview->computed.back().rowCount(), 4);
    QCOMPARE(f.preview->computed.back().money(QStringLiteral("Borc")), Money::fromRaw(195000));
    QCOMPARE(f.preview->computed.back().money(QStringLiteral("Alacak")), Money::fromRaw(42500));
    QVERIFY(!Dm2->RaporTemp->isOpen());

    // The charts window opens beside it, not modal.
    w->ToolButton11->click();
    QVERIFY(FrmGrafik && FrmGrafik->isVisible());
    QVERIFY(FrmKasaHareket);

    QTest::keyClick(w->DBGrid1, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!FrmKasaHareket);
    QVERIFY(!Dm1->Kasa->isOpen());
}

void TestFrmKasaHareket::menuEntriesOpenTheWindows()
{
    TFrmMain frame;
    for (const char *name : {"KasaHareketleri1", "Kirastatistik1", "Grafikler1"}) {
        QAction *a = frame.findChild<QAction *>(QLatin1StringView(name));
        QVERIFY2(a && a->isEnabled(), name);
    }
    frame.findChild<QAction *>(QStringLiteral("KasaHareketleri1"))->trigger();
    QVERIFY(FrmKasaHareket);
    frame.findChild<QAction *>(QStringLiteral("Grafikler1"))->trigger();
    QVERIFY(FrmGrafik);
    whenUp<TDlgCdIst>(DlgCDIst, [](TDlgCdIst *d) { d->reject(); });
    frame.findChild<QAction *>(QStringLiteral("Kirastatistik1"))->trigger();
    QVERIFY(!DlgCDIst);
}

void TestFrmKasaHareket::totalsExactOnSizeMLedger()
{
    QString error;
    const QDate today = QDate::currentDate();
    QVERIFY2(generateShop(Database::connection(), *ShopSize::named(QStringLiteral("M")), 7, today, &error), qPrintable(error));
    // Every ledger row read as stored and summed here, day by day.
    QMap<QDate, std::pair<Money, Money>> byDay;
    {
        QSqlQuery q(Database::connection());
        QVERIFY(q.exec(QStringLiteral("Select Tarih, Borc, Alacak from Kasa")));
        const SqlDialect &d = SqlDialect::of(Database::connection());
        while (q.next()) {
            auto &day = byDay[d.fromDb(q.value(0), ColumnType::DateTime).toDateTime().date()];
            day.first += d.fromDb(q.value(1), ColumnType::Currency).value<Money>();
            day.second += d.fromDb(q.value(2), ColumnType::Currency).value<Money>();
        }
    }
    TFrmKasaHareket *w = openWindow();
    for (const QDate &first : {today.addDays(-30), today.addYears(-1)}) {
        Money in, out;
        for (auto it = byDay.lowerBound(first); it != byDay.end() && it.key() <= today; ++it) {
            in += it->first;
            out += it->second;
        }
        showPeriod(w, first, today, 0);
        QCOMPARE(totals(w), QStringList({Format::money(in), Format::money(out), Format::money(in - out)}).join(u' '));
        // The totals are the sums of the rows listed.
        DataSet *k = Dm1->Kasa;
        k->fetchAll();
        Money listedIn, listedOut;
        for (int r = 0; r < k->fetchedCount(); ++r) {
            const QVariant b = k->valueAt(r, k->fieldIndex(QStringLiteral("Borc")));
            const QVariant a = k->valueAt(r, k->fieldIndex(QStringLiteral("Alacak")));
            listedIn += b.isNull() ? Money() : b.value<Money>();
            listedOut += a.isNull() ? Money() : a.value<Money>();
        }
        QCOMPARE(listedIn, in);
        QCOMPARE(listedOut, out);
        QVERIFY(k->fetchedCount() > 100);
    }
}

QTEST_MAIN(TestFrmKasaHareket)
#include "tst_frmkasahareket.moc"
