// The renting statistics dialog and the charts window: which rentals the
// statistics count, and that every chart's points, slices and bars are the
// counts and sums of the shop's rows for the period (read from the series,
// not from pixels), with the window's rules for choosing and redrawing.
#include "ShopGenerator.h"
#include "components/BandReport.h"
#include "components/DataSet.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "db/Money.h"
#include "db/SqlDialect.h"
#include "reports/DlgCDIstUnit.h"
#include "reports/FrmGrafikUnit.h"
#include "app/WindowRegistry.h"
#include "support/WindowTestFixture.h"
#include "support/TestSupport.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeAxis>
#include <QLabel>
#include <QLineSeries>
#include <QPieSeries>
#include <QPieSlice>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

using namespace TestSupport;
using namespace TestSupport::Sql;

namespace {

const QDate D(2024, 3, 11);

QString cents(double v)
{
    return QString::number(v, 'f', 2);
}

} // namespace

class TestFrmGrafik : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void rentingStatistics_data();
    void rentingStatistics();
    void choosingAndRedrawing();
    void chartsEqualTheShopsRows_data();
    void chartsEqualTheShopsRows();
    void cashChartTicksStandOnDays_data();
    void cashChartTicksStandOnDays();

private:
    void seedRentals();
    TFrmGrafik *openCharts(const QDate &first, const QDate &last);

    WindowTestFixture f;
    TFrmGrafik::PrintHook m_previousPrint;
    int m_printed = 0;
};

void TestFrmGrafik::init()
{
    QVERIFY(f.setUp(WindowTestFixture::HomeAndPreview));
    m_printed = 0;
    m_previousPrint = TFrmGrafik::setPrintHook([this](QChartView *) { return ++m_printed, true; });
}

void TestFrmGrafik::cleanup()
{
    VERIFY_ALL_ANSWERED(f.prompts);
    delete FrmGrafik.data();
    TFrmGrafik::setPrintHook(m_previousPrint);
    f.tearDown();
}

void TestFrmGrafik::seedRentals()
{
    const int ayse = insertId(QStringLiteral("Insert Into Musteri (AdSoyad, MusteriNo) Values (?, 1)"), {QStringLiteral("Ayşe Kaya")});
    auto title = [](int no, const QString &name, const char *medium, const char *genre) {
        return insertId(QStringLiteral("Insert Into CD (CDNo, FilmAdi, CDTur, KonuTur, Stok) Values (?, ?, ?, ?, 5)"),
                        {no, name, QString::fromLatin1(medium), QString::fromLatin1(genre)});
    };
    const int suru = title(1, QStringLiteral("Sürü"), "DVD", "Dram"), eskiya = title(2, QStringLiteral("Eşkıya"), "VCD", "Aksiyon"),
              matrix = title(3, QStringLiteral("Matrix"), "DivX", "Bilim");
    auto move = [ayse](const char *kind, int cd, const char *medium, int day) {
        run(QStringLiteral("Insert Into Hareket (IslemTur, MusteriNo, CdNo, FilmTuru, KiraTarih, CDDurum) Values (?, ?, ?, ?, ?, 0)"),
            {QString::fromLatin1(kind), ayse, cd, QString::fromLatin1(medium), D.addDays(day)});
    };
    move("Rent", suru, "DVD", 0);
    move("Rent", suru, "DVD", 0);
    move("Rent", suru, "DVD", 1);
    move("Sell", suru, "DVD", 0);
    move("Rent", suru, "VCD", 1); // a title rented as two media counts in two rows
    move("Rent", eskiya, "VCD", 0);
    move("Rent", eskiya, "VCD", -1);
    move("Rent", matrix, "DivX", 1);
}

void TestFrmGrafik::rentingStatistics_data()
{
    QTest::addColumn<int>("medium"); // index in the list, -1: none chosen
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("rows"); // FilmAdi|FilmTuru|KonuTur|CounterX, most first
    QTest::addColumn<int>("total");
    const QString all = QStringLiteral("Sürü|DVD|Dram|3\nEşkıya|VCD|Aksiyon|1\nMatrix|DivX|Bilim|1\nSürü|VCD|Dram|1");
    QTest::newRow("no medium chosen") << -1 << 0 << 1 << all << 6;
    QTest::newRow("the empty item") << 0 << 0 << 1 << all << 6;
    QTest::newRow("DVD only, sales left out") << 2 << 0 << 1 << "Sürü|DVD|Dram|3" << 3;
    QTest::newRow("one day") << -1 << 0 << 0 << "Sürü|DVD|Dram|2\nEşkıya|VCD|Aksiyon|1" << 3;
    QTest::newRow("no rentals: headings, one empty row, 0") << -1 << 5 << 6 << "|||" << 0;
}

void TestFrmGrafik::rentingStatistics()
{
    QFETCH(int, medium);
    QFETCH(int, from);
    QFETCH(int, to);
    seedRentals();
    TDlgCdIst dialog;
    dialog.Picker1->setDate(D);
    dialog.show();
    // Set to today each time it is shown.
    QCOMPARE(dialog.Picker1->date(), QDate::currentDate());
    QCOMPARE(dialog.ComboBox1->currentIndex(), -1);
    dialog.Picker1->setDate(D.addDays(from));
    dialog.Picker2->setDate(D.addDays(to));
    dialog.ComboBox1->setCurrentIndex(medium);
    QTest::keyClick(dialog.Picker2, Qt::Key_Return); // "Report" is the default button
    QCOMPARE(int(f.preview->computed.size()), 1);
    const Report::Computed &c = f.preview->computed.front();
    QStringList rows;
    for (const QStringList &r : c.rows)
        rows << r.join(u'|');
    QTEST(rows.join(u'\n'), "rows");
    QTEST(int(c.integer(QStringLiteral("CounterX"))), "total");
    QVERIFY(dialog.isVisible()); // open for another report
    QVERIFY(!Dm2->RaporTemp->isOpen());
}

TFrmGrafik *TestFrmGrafik::openCharts(const QDate &first, const QDate &last)
{
    TFrmGrafik *w = OpenGraphics();
    w->resize(1200, 760);
    if (!QTest::qWaitForWindowExposed(w))
        qWarning("the charts window did not show");
    w->Picker1->setDate(first);
    w->Picker2->setDate(last);
    return w;
}

void TestFrmGrafik::choosingAndRedrawing()
{
    // Money in and out on one row: in the turnover, not in the income pie.
    auto book = [](const char *islem, const char *borc, const char *alacak, int day) {
        run(QStringLiteral("Insert Into Kasa (Islem, Borc, Alacak, Tarih) Values (?, ?, ?, ?)"),
            {QString::fromLatin1(islem), borc ? QVariant::fromValue(*Money::fromDecimalString(QString::fromLatin1(borc))) : QVariant(),
             alacak ? QVariant::fromValue(*Money::fromDecimalString(QString::fromLatin1(alacak))) : QVariant(), D.addDays(day)});
    };
    book("DVD Rent", "10", "0", 0);
    book("Other", "5", nullptr, 0);   // an empty expense is no expense
    book("Exchange", "8", "2", 1);    // both: left out of the pie
    book("Buying CD", "0", "30", 1);
    TFrmGrafik *w = openCharts(D, D.addDays(1));
    QCOMPARE(w->Picker1->date(), D);
    // Nothing is chosen: redraw and print do nothing.
    QCOMPARE(w->chosen(), -1);
    w->SpeedButton1->click();
    w->ToolButton1->click();
    QVERIFY(w->chart()->series().isEmpty());
    QCOMPARE(m_printed, 0);

    w->TreeView1->setCurrentItem(w->TreeView1->topLevelItem(TFrmGrafik::CashAll));
    QCOMPARE(w->PanelHeader->text(), QStringLiteral("   Cash box graphic [All processes]"));
    auto line = [w](int i) {
        QStringList points;
        for (const QPointF &p : static_cast<QLineSeries *>(w->chart()->series().at(i))->points())
            points << QDateTime::fromMSecsSinceEpoch(qint64(p.x())).date().toString(Qt::ISODate) + u'=' + cents(p.y());
        return points.join(u' ');
    };
    QCOMPARE(w->chart()->series().size(), 3);
    QCOMPARE(line(0), QStringLiteral("2024-03-11=15.00 2024-03-12=40.00")); // turnover
    QCOMPARE(line(1), QStringLiteral("2024-03-11=0.00 2024-03-12=32.00"));  // expenses
    QCOMPARE(line(2), QStringLiteral("2024-03-11=15.00 2024-03-12=8.00"));  // income

    w->TreeView1->setCurrentItem(w->TreeView1->topLevelItem(TFrmGrafik::CashByKind));
    QStringList slices;
    for (QPieSlice *s : static_cast<QPieSeries *>(w->chart()->series().at(0))->slices())
        slices << s->label() + u'=' + cents(s->value());
    QCOMPARE(slices.join(u' '), QStringLiteral("DVD Rent  10,00=10.00 Other  5,00=5.00"));

    // New dates draw nothing until the redraw button.
    w->Picker1->setDate(D.addDays(5));
    w->Picker2->setDate(D.addDays(6));
    QCOMPARE(static_cast<QPieSeries *>(w->chart()->series().at(0))->count(), 2);
    w->SpeedButton1->click();
    QCOMPARE(static_cast<QPieSeries *>(w->chart()->series().at(0))->count(), 0);
    for (int chart : {int(TFrmGrafik::CashAll), int(TFrmGrafik::RentalsByGenre), int(TFrmGrafik::RentalsByFilm),
                      int(TFrmGrafik::RentalsByCustomer)}) {
        w->TreeView1->setCurrentItem(w->TreeView1->topLevelItem(chart));
        QCOMPARE(w->chosen(), chart);
        for (QAbstractSeries *s : w->chart()->series()) {
            if (auto *l = qobject_cast<QLineSeries *>(s))
                QCOMPARE(l->count(), 0);
            else if (auto *p = qobject_cast<QPieSeries *>(s))
                QCOMPARE(p->count(), 0);
            else
                QCOMPARE(static_cast<QBarSeries *>(s)->count(), 0);
        }
    }
    w->ToolButton1->click();
    QCOMPARE(m_printed, 1);
}

void TestFrmGrafik::chartsEqualTheShopsRows_data()
{
    QTest::addColumn<int>("chart");
    QTest::newRow("cash box, all processes") << int(TFrmGrafik::CashAll);
    QTest::newRow("cash box, by kind") << int(TFrmGrafik::CashByKind);
    QTest::newRow("rentals by genre") << int(TFrmGrafik::RentalsByGenre);
    QTest::newRow("rentals by film") << int(TFrmGrafik::RentalsByFilm);
    QTest::newRow("rentals by customer") << int(TFrmGrafik::RentalsByCustomer);
}

void TestFrmGrafik::chartsEqualTheShopsRows()
{
    QFETCH(int, chart);
    const QDate today = QDate::currentDate(), first = today.addDays(-200);
    QString error;
    QVERIFY2(generateShop(Database::connection(), ShopSize{150, 300, 3000, 4500}, 11, today, &error), qPrintable(error));
    const SqlDialect &d = SqlDialect::of(Database::connection());
    auto dateOf = [&d](const QVariant &v) { return d.fromDb(v, ColumnType::DateTime).toDateTime().date(); };
    auto moneyOf = [&d](const QVariant &v) { return d.fromDb(v, ColumnType::Currency).value<Money>(); };
    auto inPeriod = [&](const QDate &day) { return day >= first && day <= today; };

    // What each chart must show, from the rows as stored.
    QStringList expected;
    int allRows = 0;
    if (chart == TFrmGrafik::CashAll || chart == TFrmGrafik::CashByKind) {
        QMap<QDate, std::array<Money, 3>> days;
        QMap<QString, Money> kinds;
        QSqlQuery q = run(QStringLiteral("Select Tarih, Borc, Alacak, Islem from Kasa"));
        for (bool row = q.isValid(); row; row = q.next()) {
            const QDate day = dateOf(q.value(0));
            if (!inPeriod(day))
                continue;
            const Money in = moneyOf(q.value(1)), out = moneyOf(q.value(2));
            auto &t = days[day];
            t[0] += in + out;
            t[1] += out;
            t[2] += in;
            if (in > Money() && out.isZero())
                kinds[q.value(3).toString()] += in;
        }
        if (chart == TFrmGrafik::CashAll) {
            for (int s = 0; s < 3; ++s) {
                QStringList points;
                for (auto it = days.cbegin(); it != days.cend(); ++it)
                    points << it.key().toString(Qt::ISODate) + u'=' + cents(it.value()[size_t(s)].toDouble());
                expected << points.join(u' ');
            }
        } else {
            for (auto it = kinds.cbegin(); it != kinds.cend(); ++it)
                expected << it.key() + u'=' + cents(it.value().toDouble());
        }
    } else {
        QMap<QString, int> counts;
        QSqlQuery q = run(QStringLiteral("Select Hareket.KiraTarih, CD.KonuTur, CD.FilmAdi, Musteri.AdSoyad, Hareket.MusteriNo "
                                         "from Hareket Inner Join CD on CD.ID=Hareket.CdNo "
                                         "Left Join Musteri on Musteri.ID=Hareket.MusteriNo"));
        for (bool row = q.isValid(); row; row = q.next()) {
            if (!inPeriod(dateOf(q.value(0))))
                continue;
            const bool genre = !q.value(1).isNull();
            if (chart == TFrmGrafik::RentalsByGenre && genre)
                ++counts[q.value(1).toString()];
            else if (chart == TFrmGrafik::RentalsByFilm && genre)
                ++counts[q.value(1).toString() + u'\t' + q.value(2).toString()];
            else if (chart == TFrmGrafik::RentalsByCustomer && !q.value(3).isNull())
                ++counts[q.value(3).toString()];
        }
        allRows = int(counts.size());
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            expected << it.key().section(u'\t', -1) + u'=' + QString::number(it.value());
    }
    QVERIFY(!expected.isEmpty());

    TFrmGrafik *w = openCharts(first, today);
    w->TreeView1->setCurrentItem(w->TreeView1->topLevelItem(chart));
    QStringList shown;
    const QList<QAbstractSeries *> series = w->chart()->series();
    if (chart == TFrmGrafik::CashAll) {
        for (QAbstractSeries *s : series) {
            QStringList points;
            for (const QPointF &p : static_cast<QLineSeries *>(s)->points())
                points << QDateTime::fromMSecsSinceEpoch(qint64(p.x())).date().toString(Qt::ISODate) + u'=' + cents(p.y());
            shown << points.join(u' ');
        }
        QCOMPARE(shown, expected);
    } else if (chart == TFrmGrafik::CashByKind || chart == TFrmGrafik::RentalsByGenre) {
        for (QPieSlice *s : static_cast<QPieSeries *>(series.at(0))->slices())
            shown << s->label().section(QStringLiteral("  "), 0, 0) + u'='
                         + (chart == TFrmGrafik::CashByKind ? cents(s->value()) : QString::number(qint64(s->value())));
        shown.sort();
        expected.sort();
        QCOMPARE(shown, expected);
    } else {
        // The highest, most first; each bar one row of the counts.
        QList<int> values;
        for (QBarSet *set : static_cast<QBarSeries *>(series.at(0))->barSets()) {
            const QString entry = set->label().section(QStringLiteral("  "), 0, 0) + u'=' + QString::number(qint64(set->at(0)));
            QVERIFY2(expected.contains(entry), qPrintable(entry));
            values << int(set->at(0));
        }
        QList<int> highest;
        for (const QString &e : expected)
            highest << e.section(u'=', -1).toInt();
        std::sort(highest.begin(), highest.end(), std::greater<int>());
        highest = highest.mid(0, TFrmGrafik::MaxBars);
        QCOMPARE(values, highest);
        QCOMPARE(w->LabelNote->isVisible(), allRows > TFrmGrafik::MaxBars);
        if (allRows > TFrmGrafik::MaxBars)
            QVERIFY(w->LabelNote->text().contains(QString::number(allRows)));
    }
}

void TestFrmGrafik::cashChartTicksStandOnDays_data()
{
    QTest::addColumn<QDate>("last");
    QTest::addColumn<int>("days");     // of the period, the last one included
    QTest::addColumn<QString>("step"); // day, week or month
    QTest::newRow("nine days: every day") << D << 9 << "day";
    QTest::newRow("a month: every day") << D << 31 << "day";
    QTest::newRow("over the new year: every day") << QDate(2024, 1, 4) << 10 << "day";
    QTest::newRow("a quarter: every week") << D << 90 << "week";
    QTest::newRow("a year: every month") << D << 366 << "month";
}

void TestFrmGrafik::cashChartTicksStandOnDays()
{
    QFETCH(QDate, last);
    QFETCH(int, days);
    QFETCH(QString, step);
    const QDate first = last.addDays(1 - days);
    // Money moves on the first day, on two days in the middle and on the last.
    for (const QDate &day : {first, first.addDays(days / 3), first.addDays(days / 3 + 1), last})
        run(QStringLiteral("Insert Into Kasa (Islem, Borc, Tarih) Values ('Other', ?, ?)"),
            {QVariant::fromValue(Money::fromUnits(10)), day});
    TFrmGrafik *w = openCharts(first, last);
    w->TreeView1->setCurrentItem(w->TreeView1->topLevelItem(TFrmGrafik::CashAll));
    const QList<QAbstractAxis *> axes = w->chart()->axes(Qt::Horizontal);
    QCOMPARE(axes.size(), 1);
    // Where the ticks stand, and their labels.
    QList<std::pair<QDateTime, QString>> marks;
    if (auto *x = qobject_cast<QCategoryAxis *>(axes.first())) {
        for (const QString &label : x->categoriesLabels())
            marks.push_back({QDateTime::fromMSecsSinceEpoch(qint64(x->endValue(label))), label});
    } else if (auto *t = qobject_cast<QDateTimeAxis *>(axes.first())) {
        const qint64 from = t->min().toMSecsSinceEpoch(), to = t->max().toMSecsSinceEpoch();
        for (int i = 0; i < t->tickCount(); ++i) {
            const QDateTime at = QDateTime::fromMSecsSinceEpoch(from + (to - from) * i / (t->tickCount() - 1));
            marks.push_back({at, at.toString(t->format())});
        }
    }
    // Each tick stands on a day's midnight and is labelled with that day.
    QList<QDate> ticks;
    for (const auto &[at, label] : marks) {
        QCOMPARE(at.time(), QTime(0, 0));
        QCOMPARE(label, at.date().toString(step == QLatin1String("month") ? QStringLiteral("MM.yyyy")
                                               : first.year() == last.year() ? QStringLiteral("dd.MM")
                                                                              : QStringLiteral("dd.MM.yy")));
        ticks << at.date();
    }
    QVERIFY(!ticks.isEmpty());
    for (int i = 1; i < ticks.size(); ++i)
        QCOMPARE(ticks[i], step == QLatin1String("day")    ? ticks[i - 1].addDays(1)
                           : step == QLatin1String("week") ? ticks[i - 1].addDays(7)
                                                           : ticks[i - 1].addMonths(1));
    if (step == QLatin1String("month")) {
        QCOMPARE(ticks.first(), QDate(first.year(), first.month(), 1).addMonths(1));
        QVERIFY(ticks.last().addMonths(1) > last);
        return;
    }
    QCOMPARE(ticks.first(), first);
    QVERIFY(ticks.last() <= last && ticks.last().addDays(step == QLatin1String("day") ? 1 : 7) > last);
    if (step == QLatin1String("day")) {
        // Every point of every line has its day's tick under it.
        for (QAbstractSeries *s : w->chart()->series())
            for (const QPointF &p : static_cast<QLineSeries *>(s)->points())
                QVERIFY(ticks.contains(QDateTime::fromMSecsSinceEpoch(qint64(p.x())).date())
                        && QDateTime::fromMSecsSinceEpoch(qint64(p.x())).time() == QTime(0, 0));
    }
}

QTEST_MAIN(TestFrmGrafik)
#include "tst_frmgrafik.moc"
