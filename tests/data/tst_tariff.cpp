// What the shop charges: rental and sale prices, due dates and charged days,
// late penalties and exchange fees, on a tariff whose prices all differ so
// that a wrong lookup shows.
#include "data/Tariff.h"

#include <QTest>

#include <limits>

namespace {

Money m(const char *text) { return *Money::fromDecimalString(QString::fromLatin1(text)); }

// An optional amount as the tests write it: "none" when nothing is written.
QString shown(const std::optional<Money> &amount)
{
    return amount ? amount->toDecimalString() : QStringLiteral("none");
}
QString expected(const QString &amount)
{
    return amount == u"none" ? amount : Money::fromDecimalString(amount)->toDecimalString();
}

TariffCache shopTariff()
{
    TariffCache t;
    t.GunlukVCD_Kira = m("1.5"), t.GunlukDVD_Kira = m("2"), t.DivxGunluk_Kira = m("2.25");
    t.UyeGunlukVCD_Kira = m("1"), t.UyeGunlukDVD_Kira = m("1.75"), t.UyeGunlukDivx_Kira = m("2.1");
    t.GunlukVCDCeza = m("0.5"), t.GunlukDVDCeza = m("0.75"), t.GunlukDivxCeza = m("1.1");
    t.VCDSatis = m("10"), t.DVDSatis = m("15"), t.DivXSatis = m("12.5");
    t.TakasUcretiVCD = m("3"), t.TakasUcretiDVD = m("4.5");
    t.PazarGunu = 0, t.TarifeTur = 1;
    return t;
}

// Days around the first Sunday of March 2024 (the 3rd).
QDate mar(int day) { return QDate(2024, 3, day); }
const QDate Thu(2024, 2, 29), Fri = mar(1), Sat = mar(2), Sun = mar(3), Mon = mar(4), Wed = mar(6);

} // namespace

class TestTariff : public QObject
{
    Q_OBJECT

private slots:
    void rentalPrices_data()
    {
        QTest::addColumn<QString>("discType");
        QTest::addColumn<int>("membership");
        QTest::addColumn<QString>("price"); // set when the disc type is chosen
        QTest::addColumn<QString>("rate");  // the rate the total is worked from
        QTest::newRow("VCD non-member") << "VCD" << 0 << "1.5" << "1.5";
        QTest::newRow("DVD non-member") << "DVD" << 0 << "2" << "2";
        QTest::newRow("DivX non-member") << "DivX" << 0 << "2.25" << "2.25";
        QTest::newRow("VCD member") << "VCD" << 1 << "1" << "1";
        QTest::newRow("DVD member") << "DVD" << 1 << "1.75" << "1.75";
        QTest::newRow("DivX member") << "DivX" << 1 << "2.1" << "2.1";
        QTest::newRow("PC Game") << "PC Game" << 0 << "none" << "0";
        QTest::newRow("PS2 Game") << "PS2 Game" << 1 << "none" << "0";
        QTest::newRow("no type yet") << "" << 0 << "none" << "0";
        QTest::newRow("type compared exactly") << "dvd" << 0 << "none" << "0";
        QTest::newRow("unknown membership") << "DVD" << 2 << "none" << "0";
    }

    void rentalPrices()
    {
        QFETCH(QString, discType);
        QFETCH(int, membership);
        QFETCH(QString, price);
        QFETCH(QString, rate);
        const TariffCache t = shopTariff();
        QCOMPARE(shown(Tariff::rentalPrice(t, membership, discType)), expected(price));
        QCOMPARE(Tariff::dailyRate(t, membership, discType).toDecimalString(), expected(rate));
    }

    void salePrices_data()
    {
        QTest::addColumn<QString>("discType");
        QTest::addColumn<QString>("titlePrice");
        QTest::addColumn<QString>("onType");  // when the disc type of a sale is chosen
        QTest::addColumn<QString>("onTitle"); // when the title is chosen
        QTest::newRow("VCD, title without price") << "VCD" << "0" << "10" << "10";
        QTest::newRow("VCD, title's own price wins") << "VCD" << "8.75" << "10" << "8.75";
        QTest::newRow("DVD, title without price") << "DVD" << "0" << "15" << "15";
        QTest::newRow("DivX, title's own price wins") << "DivX" << "20" << "12.5" << "20";
        QTest::newRow("game is free on type, untouched on title") << "PS2 Game" << "30" << "0" << "none";
        QTest::newRow("no type yet") << "" << "30" << "none" << "none";
    }

    void salePrices()
    {
        QFETCH(QString, discType);
        QFETCH(QString, titlePrice);
        QFETCH(QString, onType);
        QFETCH(QString, onTitle);
        TariffCache t = shopTariff();
        QCOMPARE(shown(Tariff::tariffSalePrice(t, discType)), expected(onType));
        QCOMPARE(shown(Tariff::titleSalePrice(t, discType, m(titlePrice.toLatin1()))), expected(onTitle));
        // A sale is priced once, whatever the rental tariff.
        t.TarifeTur = 0;
        QCOMPARE(shown(Tariff::titleSalePrice(t, discType, m(titlePrice.toLatin1()))), expected(onTitle));
    }

    void rentalTerms_data()
    {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("pazarGunu");
        QTest::addColumn<int>("tarifeTur");
        QTest::addColumn<QString>("discType");
        QTest::addColumn<QDate>("due");
        QTest::addColumn<int>("charged");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("shownPrice"); // the form's "Price"
        // DVD for a non-member costs 2.00 a day.
        QTest::newRow("Friday 3 days: Sunday inside is free") << Fri << 3 << 0 << 1 << "DVD" << Mon << 2 << "4" << "0";
        QTest::newRow("Thursday 3 days: due Sunday moves to Monday") << Thu << 3 << 0 << 1 << "DVD" << Mon << 2 << "4" << "0";
        QTest::newRow("Saturday 1 day: charged at least one") << Sat << 1 << 0 << 1 << "DVD" << Mon << 1 << "2" << "0";
        QTest::newRow("Friday 2 days, no Sundays") << Fri << 2 << 0 << 1 << "DVD" << Mon << 1 << "2" << "0";
        QTest::newRow("Friday 2 days, Sundays count") << Fri << 2 << 1 << 1 << "DVD" << Sun << 2 << "4" << "0";
        QTest::newRow("Thursday 3 days, Sundays count") << Thu << 3 << 1 << 1 << "DVD" << Sun << 3 << "6" << "0";
        QTest::newRow("Sunday a week: only the last Sunday is free") << Sun << 7 << 0 << 1 << "DVD" << mar(11) << 6 << "12" << "0";
        QTest::newRow("two weeks from Monday") << Mon << 14 << 0 << 1 << "DVD" << mar(18) << 12 << "24" << "0";
        QTest::newRow("0 days") << Fri << 0 << 0 << 1 << "DVD" << Fri << 1 << "2" << "0";
        QTest::newRow("0 days on a Sunday") << Sun << 0 << 0 << 1 << "DVD" << Mon << 1 << "2" << "0";
        QTest::newRow("0 days on a Sunday, Sundays count") << Sun << 0 << 1 << 1 << "DVD" << Sun << 1 << "2" << "0";
        QTest::newRow("flat tariff: price once") << Fri << 3 << 0 << 0 << "DVD" << Mon << 2 << "2" << "0";
        QTest::newRow("flat tariff, two weeks") << Mon << 14 << 1 << 0 << "DVD" << mar(18) << 14 << "2" << "0";
        QTest::newRow("game rents at the price shown, per day") << Fri << 3 << 0 << 1 << "PS3 Game" << Mon << 2 << "5" << "2.5";
        QTest::newRow("game, flat tariff: the price once") << Fri << 3 << 0 << 0 << "PC Game" << Mon << 2 << "2.5" << "2.5";
        QTest::newRow("film ignores the price shown") << Fri << 3 << 0 << 1 << "DVD" << Mon << 2 << "4" << "9";
        QTest::newRow("longest rental") << Mon << 999 << 0 << 1 << "DVD" << mar(4).addDays(999) << 857 << "1714" << "0";
        QTest::newRow("no type yet") << Sat << 1 << 0 << 1 << "" << Mon << 1 << "0" << "0";
    }

    void rentalTerms()
    {
        QFETCH(QDate, start);
        QFETCH(int, days);
        QFETCH(int, pazarGunu);
        QFETCH(int, tarifeTur);
        QFETCH(QString, discType);
        QFETCH(QDate, due);
        QFETCH(int, charged);
        QFETCH(QString, total);
        QFETCH(QString, shownPrice);
        TariffCache t = shopTariff();
        t.PazarGunu = qint16(pazarGunu);
        t.TarifeTur = qint16(tarifeTur);
        const auto terms = Tariff::rentalTerms(t, 0, discType, start, days, m(shownPrice.toLatin1()));
        QVERIFY(terms);
        QCOMPARE(terms->dueDate, due);
        QCOMPARE(Tariff::dueDate(t, start, days), due);
        QCOMPARE(terms->chargedDays, charged);
        QCOMPARE(terms->total.toDecimalString(), expected(total));

        // A negative day count, one past the longest rental or no start date
        // works nothing out.
        QVERIFY(!Tariff::rentalTerms(t, 0, discType, start, -1));
        QVERIFY(!Tariff::rentalTerms(t, 0, discType, start, Tariff::MaxRentalDays + 1));
        QVERIFY(!Tariff::rentalTerms(t, 0, discType, start, std::numeric_limits<int>::max()));
        QVERIFY(!Tariff::rentalTerms(t, 0, discType, QDate(), days));
    }

    // Sundays are counted in whole weeks plus the rest; checked against the
    // day-by-day count for every weekday and every length up to ten weeks.
    void sundaysAfter()
    {
        for (QDate start = Mon; start < Mon.addDays(7); start = start.addDays(1)) {
            qint64 sundays = 0;
            for (int days = 0; days <= 70; ++days) {
                if (days > 0 && start.addDays(days).dayOfWeek() == Qt::Sunday)
                    ++sundays;
                QCOMPARE(Tariff::sundaysAfter(start, days), sundays);
            }
        }
        QCOMPARE(Tariff::sundaysAfter(Mon, std::numeric_limits<int>::max()), 306783378);
    }

    // One rental or sale as the engine prices it: which price is looked up,
    // which is kept as shown, and what the total follows.
    void booking_data()
    {
        QTest::addColumn<bool>("sale");
        QTest::addColumn<QString>("discType");
        QTest::addColumn<QString>("titlePrice");
        QTest::addColumn<QString>("shownPrice"); // "none": the form shows none
        QTest::addColumn<bool>("lookUp");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("total");
        // Friday for 3 days: 2 days charged; a member's DVD is 1,75 a day.
        QTest::newRow("film rental looked up") << false << "DVD" << "30" << "9" << true << "1.75" << "3.5";
        QTest::newRow("film rental, typed price kept, total by tariff") << false << "DVD" << "30" << "9" << false << "9" << "3.5";
        QTest::newRow("film rental, nothing shown") << false << "DVD" << "30" << "none" << false << "1.75" << "3.5";
        QTest::newRow("game rental at the price shown") << false << "PS2 Game" << "30" << "2.5" << true << "2.5" << "5";
        QTest::newRow("game rental, nothing shown") << false << "PC Game" << "30" << "none" << false << "0" << "0";
        QTest::newRow("film sale, title's own price") << true << "DVD" << "30" << "9" << true << "30" << "30";
        QTest::newRow("film sale, typed price kept, total the title's") << true << "DVD" << "30" << "9" << false << "9" << "30";
        QTest::newRow("film sale, title without price") << true << "VCD" << "0" << "none" << true << "10" << "10";
        QTest::newRow("game sale, title's own price") << true << "PS2 Game" << "30" << "9" << true << "30" << "30";
        QTest::newRow("game sale, title without price: not the price left shown") << true << "PS2 Game" << "0" << "25" << true << "0" << "0";
        QTest::newRow("game sale at the price typed") << true << "PS2 Game" << "30" << "17.5" << false << "17.5" << "17.5";
    }

    void booking()
    {
        QFETCH(bool, sale);
        QFETCH(QString, discType);
        QFETCH(QString, titlePrice);
        QFETCH(QString, shownPrice);
        QFETCH(bool, lookUp);
        Tariff::Choice c;
        c.sale = sale;
        c.discType = discType;
        c.membership = 1;
        c.start = Fri;
        c.days = 3;
        c.titlePrice = m(titlePrice.toLatin1());
        if (shownPrice != u"none")
            c.shownPrice = m(shownPrice.toLatin1());
        c.lookUp = lookUp;
        const auto b = Tariff::booking(shopTariff(), c);
        QVERIFY(b);
        QFETCH(QString, unit);
        QFETCH(QString, total);
        QCOMPARE(b->unitPrice.toDecimalString(), expected(unit));
        QCOMPARE(b->total.toDecimalString(), expected(total));
        QCOMPARE(b->dueDate, Mon);
        QCOMPARE(b->chargedDays, 2);
        c.days = Tariff::MaxRentalDays + 1;
        QVERIFY(!Tariff::booking(shopTariff(), c));
    }

    void weekdayNames()
    {
        QStringList names;
        for (QDate d = Sun; d < Sun.addDays(7); d = d.addDays(1))
            names << Tariff::weekdayName(d);
        QCOMPARE(names, QStringList({"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"}));
        QCOMPARE(Tariff::weekdayName(QDate()), QString());
    }

    void lateReturns_data()
    {
        QTest::addColumn<QDate>("rented");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("pazarGunu");
        QTest::addColumn<QString>("discType");
        QTest::addColumn<QDate>("returned");
        QTest::addColumn<QDate>("due");
        QTest::addColumn<QString>("lateDays"); // "none": the column keeps its value
        QTest::addColumn<QString>("penalty");
        // Penalties a day: VCD 0.50, DVD 0.75, DivX 1.10.
        QTest::newRow("Friday 2 days, back Wednesday") << Fri << 2 << 0 << "DVD" << Wed << Mon << "2" << "1.5";
        QTest::newRow("same, Sundays count") << Fri << 2 << 1 << "DVD" << Wed << Sun << "3" << "2.25";
        QTest::newRow("back on the due date") << Fri << 2 << 0 << "DVD" << Mon << Mon << "0" << "0";
        QTest::newRow("a day early") << Fri << 2 << 1 << "DVD" << Sat << Sun << "none" << "none";
        QTest::newRow("a week early") << Mon << 14 << 0 << "DVD" << mar(11) << mar(18) << "none" << "none";
        QTest::newRow("0 days: nothing, however late") << Fri << 0 << 0 << "DVD" << mar(13) << Fri << "none" << "none";
        QTest::newRow("Sundays inside forgive nothing") << Mon << 7 << 0 << "DVD" << mar(13) << mar(11) << "2" << "1.5";
        QTest::newRow("due Sunday moved to Monday") << Thu << 3 << 0 << "DVD" << mar(5) << Mon << "1" << "0.75";
        QTest::newRow("VCD") << Fri << 2 << 0 << "VCD" << Wed << Mon << "2" << "1";
        QTest::newRow("DivX") << Fri << 2 << 0 << "DivX" << Wed << Mon << "2" << "2.2";
        QTest::newRow("PS2 Game: days, no amount") << Fri << 2 << 0 << "PS2 Game" << Wed << Mon << "2" << "none";
        QTest::newRow("type compared exactly") << Fri << 2 << 0 << "divx" << Wed << Mon << "2" << "none";
        QTest::newRow("return date cleared") << Fri << 2 << 0 << "DVD" << QDate() << Mon << "none" << "none";
    }

    void lateReturns()
    {
        QFETCH(QDate, rented);
        QFETCH(int, days);
        QFETCH(int, pazarGunu);
        QFETCH(QString, discType);
        QFETCH(QDate, returned);
        QFETCH(QDate, due);
        QFETCH(QString, lateDays);
        QFETCH(QString, penalty);
        TariffCache t = shopTariff();
        t.PazarGunu = qint16(pazarGunu);
        const Tariff::LateReturn r = Tariff::lateReturn(t, rented, days, discType, returned);
        QCOMPARE(r.dueDate, due);
        QCOMPARE(r.lateDays ? QString::number(*r.lateDays) : QStringLiteral("none"), lateDays);
        QCOMPARE(shown(r.penalty), expected(penalty));
    }

    void exchangeFees_data()
    {
        QTest::addColumn<QString>("discType");
        QTest::addColumn<QString>("fee");
        QTest::newRow("VCD") << "VCD" << "3";
        QTest::newRow("DVD") << "DVD" << "4.5";
        QTest::newRow("DivX has none") << "DivX" << "none";
        QTest::newRow("PC Game") << "PC Game" << "none";
        QTest::newRow("PS1 Game") << "PS1 Game" << "none";
        QTest::newRow("PS2 Game") << "PS2 Game" << "none";
        QTest::newRow("PS3 Game") << "PS3 Game" << "none";
        QTest::newRow("empty") << "" << "none";
    }

    void exchangeFees()
    {
        QFETCH(QString, discType);
        QFETCH(QString, fee);
        QCOMPARE(shown(Tariff::exchangeFee(shopTariff(), discType)), expected(fee));
    }
};

QTEST_GUILESS_MAIN(TestTariff)
#include "tst_tariff.moc"
