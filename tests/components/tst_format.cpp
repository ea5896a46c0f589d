// Amounts and dates as the clerk sees and types them: ',' for decimals, '.'
// for thousands, whatever the machine's own language.
#include "components/Format.h"
#include "db/Money.h"

#include <QLocale>
#include <QTest>

#include <limits>

class TestFormat : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void formatsMoney_data();
    void formatsMoney();
    void formatsDoublesAndWholeNumbers();
    void parsesTypedNumbers_data();
    void parsesTypedNumbers();
    void parsesIntegers_data();
    void parsesIntegers();
    void moneyArithmeticAndDatabaseForm_data();
    void moneyArithmeticAndDatabaseForm();
    void dates();
};

void TestFormat::formatsMoney_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("shown");
    QTest::newRow("thousands") << "1234.5" << "#,###0.00" << "1.234,50";
    QTest::newRow("zero keeps its digit") << "0" << "#,###0.00" << "0,00";
    QTest::newRow("zero without digit") << "0" << "#,###.00" << ",00";
    QTest::newRow("half without digit") << "0.5" << "#,###.00" << ",50";
    QTest::newRow("negative") << "-1234.5" << "#,###0.00" << "-1.234,50";
    QTest::newRow("negative small") << "-0.25" << "#,###0.00" << "-0,25";
    QTest::newRow("rounds half away") << "2.345" << "#,###0.00" << "2,35";
    QTest::newRow("rounds negative half away") << "-2.345" << "#,###0.00" << "-2,35";
    QTest::newRow("rounds to zero drops sign") << "-0.004" << "#,###0.00" << "0,00";
    QTest::newRow("large") << "999999999.9999" << "#,###0.00" << "1.000.000.000,00";
    QTest::newRow("millions") << "1234567.891" << "#,###0.00" << "1.234.567,89";
    QTest::newRow("optional decimals") << "12.5" << "#,###0.####" << "12,5";
    QTest::newRow("optional decimals whole") << "12" << "#,###0.####" << "12";
    QTest::newRow("four decimals") << "1234.0001" << "#,###0.####" << "1.234,0001";
    QTest::newRow("trailing literal kept") << "12.5" << "#,###0.#### " << "12,5 ";
    QTest::newRow("grouped whole") << "1234.5" << "#,###" << "1.235";
    QTest::newRow("grouped zero is empty") << "0" << "#,###" << "";
    QTest::newRow("plain") << "1234.4" << "#" << "1234";
    QTest::newRow("plain zero is empty") << "0" << "#" << "";
    QTest::newRow("plain negative") << "-1234" << "#" << "-1234";
    QTest::newRow("hundreds not grouped") << "999.99" << "#,###0.00" << "999,99";
}

void TestFormat::formatsMoney()
{
    QFETCH(QString, amount);
    QFETCH(QString, pattern);
    QFETCH(QString, shown);
    const auto m = Money::fromDecimalString(amount);
    QVERIFY(m);
    QCOMPARE(Format::number(*m, pattern), shown);
}

void TestFormat::formatsDoublesAndWholeNumbers()
{
    QCOMPARE(Format::number(1234.5, QStringLiteral("#,###0.00")), QStringLiteral("1.234,50"));
    QCOMPARE(Format::number(0.1 + 0.2, QStringLiteral("#,###0.####")), QStringLiteral("0,3"));
    QCOMPARE(Format::number(qint64(1250000), QStringLiteral("#,###")), QStringLiteral("1.250.000"));
    QCOMPARE(Format::money(Money::fromUnits(-7)), QStringLiteral("-7,00"));
}

void TestFormat::parsesTypedNumbers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("amount");
    QTest::newRow("grouped with decimals") << "1.234,56" << true << "1234.56";
    QTest::newRow("no grouping") << "1234,56" << true << "1234.56";
    QTest::newRow("whole") << "12" << true << "12";
    QTest::newRow("blanks around") << "  12,5 " << true << "12.5";
    QTest::newRow("negative") << "-3,25" << true << "-3.25";
    QTest::newRow("plus") << "+3" << true << "3";
    QTest::newRow("only decimals") << ",5" << true << "0.5";
    QTest::newRow("millions") << "1.234.567" << true << "1234567";
    QTest::newRow("four decimals") << "0,0001" << true << "0.0001";
    QTest::newRow("fifth decimal rounds") << "0,00005" << true << "0.0001";
    QTest::newRow("fifth decimal drops") << "0,00004" << true << "0";
    QTest::newRow("rounding carries") << "0,99995" << true << "1";
    QTest::newRow("large") << "999.999.999,9999" << true << "999999999.9999";
    QTest::newRow("dot as decimal is refused") << "12.5" << false << "";
    QTest::newRow("bad group") << "1.23,4" << false << "";
    QTest::newRow("leading separator") << ".123" << false << "";
    QTest::newRow("two commas") << "1,2,3" << false << "";
    QTest::newRow("letters") << "abc" << false << "";
    QTest::newRow("number then letters") << "12TL" << false << "";
    QTest::newRow("empty") << "" << false << "";
    QTest::newRow("sign only") << "-" << false << "";
    QTest::newRow("too large") << "99999999999999999999" << false << "";
    QTest::newRow("arabic-indic digits") << QString::fromUtf8("١٢") << false << "";
}

void TestFormat::parsesTypedNumbers()
{
    QFETCH(QString, typed);
    QFETCH(bool, valid);
    QFETCH(QString, amount);
    QString error;
    const auto m = Format::parseMoney(typed, &error);
    QCOMPARE(m.has_value(), valid);
    if (valid) {
        QCOMPARE(*m, *Money::fromDecimalString(amount));
        QVERIFY(error.isEmpty());
    } else {
        QCOMPARE(error, QStringLiteral("'%1' is not a valid number.").arg(typed));
    }
}

void TestFormat::parsesIntegers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qlonglong>("value");
    QTest::newRow("plain") << "42" << true << 42LL;
    QTest::newRow("blanks") << " 7 " << true << 7LL;
    QTest::newRow("negative") << "-3" << true << -3LL;
    QTest::newRow("grouped") << "1.250" << true << 1250LL;
    QTest::newRow("decimals refused") << "1,5" << false << 0LL;
    QTest::newRow("text refused") << "yedi" << false << 0LL;
    QTest::newRow("empty refused") << "" << false << 0LL;
}

void TestFormat::parsesIntegers()
{
    QFETCH(QString, typed);
    QFETCH(bool, valid);
    QFETCH(qlonglong, value);
    QString error;
    const auto n = Format::parseInteger(typed, &error);
    QCOMPARE(n.has_value(), valid);
    if (valid)
        QCOMPARE(*n, value);
    else
        QCOMPARE(error, QStringLiteral("'%1' is not a valid integer value.").arg(typed));
}

void TestFormat::moneyArithmeticAndDatabaseForm_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qlonglong>("raw");
    QTest::addColumn<QString>("canonical");
    QTest::newRow("plain") << "12.5" << 125000LL << "12.5000";
    QTest::newRow("negative fraction") << "-0.0001" << -1LL << "-0.0001";
    QTest::newRow("trailing zeros from NUMERIC") << "3.250000" << 32500LL << "3.2500";
    QTest::newRow("integer") << "-7" << -70000LL << "-7.0000";
    QTest::newRow("no integer digits") << ".5" << 5000LL << "0.5000";
    // The ends of the range read back from their own text; one step beyond
    // is refused (an empty canonical form), never wrapped round.
    QTest::newRow("largest whole") << "922337203685477" << 9223372036854770000LL << "922337203685477.0000";
    QTest::newRow("largest") << "922337203685477.5807" << std::numeric_limits<qint64>::max() << "922337203685477.5807";
    QTest::newRow("smallest") << "-922337203685477.5808" << std::numeric_limits<qint64>::min() << "-922337203685477.5808";
    QTest::newRow("above the largest") << "922337203685477.5808" << 0LL << "";
    QTest::newRow("below the smallest") << "-922337203685477.5809" << 0LL << "";
    QTest::newRow("whole units beyond") << "922337203685478" << 0LL << "";
    QTest::newRow("wraps as ten-thousandths") << "1844674407370955.1616" << 0LL << "";
    QTest::newRow("fifth decimal") << "1.23456" << 0LL << "";
    QTest::newRow("comma") << "1,5" << 0LL << "";
    QTest::newRow("empty") << "" << 0LL << "";
}

void TestFormat::moneyArithmeticAndDatabaseForm()
{
    QFETCH(QString, text);
    QFETCH(qlonglong, raw);
    QFETCH(QString, canonical);
    const auto m = Money::fromDecimalString(text);
    QCOMPARE(m.has_value(), !canonical.isEmpty());
    if (!m)
        return;
    QCOMPARE(m->raw(), raw);
    QCOMPARE(m->toDecimalString(), canonical);
    QCOMPARE(Money::fromDecimalString(m->toDecimalString()), m);

    // Ten cents a thousand times is exactly a hundred: no drift.
    Money sum;
    for (int i = 0; i < 1000; ++i)
        sum += Money::fromDouble(0.1);
    QCOMPARE(sum, Money::fromUnits(100));
    QCOMPARE(Money::fromUnits(3) * 7 - Money::fromRaw(1), Money::fromRaw(209999));
    QCOMPARE(Money::fromDecimalString(QStringLiteral("2.345"))->roundedToCents(), Money::fromRaw(23500));
    QCOMPARE(Money::fromDecimalString(QStringLiteral("-2.345"))->roundedToCents(), Money::fromRaw(-23500));
    QCOMPARE(Money::fromUnits(10).times(1.5), Money::fromUnits(15));
}

void TestFormat::dates()
{
    const QDate d(2007, 3, 5);
    QCOMPARE(Format::shortDate(d), QStringLiteral("05.03.2007"));
    QCOMPARE(Format::shortDateTime(QDateTime(d, QTime(14, 7, 9))), QStringLiteral("05.03.2007 14:07"));
    QCOMPARE(Format::longDate(d), QStringLiteral("05 March 2007 Monday"));
    QCOMPARE(Format::parseShortDate(QStringLiteral("5.3.2007")), d);
    QCOMPARE(Format::parseShortDate(QStringLiteral("05.03.2007")), d);
    QVERIFY(!Format::parseShortDate(QStringLiteral("31.02.2007")).isValid());
    QCOMPARE(Format::weekdayName(QDate(2006, 10, 15)), QStringLiteral("Sunday"));
    QCOMPARE(Format::shortDate(QDate()), QString());
}

QTEST_GUILESS_MAIN(TestFormat)
#include "tst_format.moc"
