// The shared text, date and version helpers.
#include "app/Helpers.h"

#include <QTest>

class TestHelpers : public QObject
{
    Q_OBJECT

private slots:
    void replaceAll_data();
    void replaceAll();
    void removeAllNoCase_data();
    void removeAllNoCase();
    void dateToYMD_data();
    void dateToYMD();
    void buildVersionText();
};

void TestHelpers::replaceAll_data()
{
    QTest::addColumn<QString>("oldText");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("result");
    QTest::newRow("rate read as text") << "." << "," << "1.234.56" << "1,234,56";
    QTest::newRow("case sensitive") << "a" << "x" << "aAa" << "xAx";
    QTest::newRow("shorter replacement") << "ab" << "c" << "abab" << "cc";
    QTest::newRow("removal") << "." << "" << "1.234.567" << "1234567";
    QTest::newRow("none") << "." << "," << "1234" << "1234";
    QTest::newRow("empty source") << "." << "," << "" << "";
    QTest::newRow("empty old text leaves source") << "" << "," << "abc" << "abc";
    // The walk goes only to the starting length and looks again at what it
    // has just inserted: "a" by "ba" in "aa" grows twice at the first spot.
    QTest::newRow("longer replacement re-examined") << "a" << "ba" << "aa" << "bbaa";
    QTest::newRow("tail past the start length") << "a" << "aa" << "a" << "aa";
    QTest::newRow("turkish") << "ı" << "i" << "ışık" << "işik";
}

void TestHelpers::replaceAll()
{
    QFETCH(QString, oldText);
    QFETCH(QString, newText);
    QFETCH(QString, source);
    QFETCH(QString, result);
    QCOMPARE(ReplaceAll(oldText, newText, source), result);
}

void TestHelpers::removeAllNoCase_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("result");
    QTest::newRow("folds a-z, then trims") << "ab" << "xABy ab " << "xy";
    QTest::newRow("dots of a date") << "." << "15.10.2006" << "15102006";
    QTest::newRow("removal joins a new match") << "ab" << "aabb" << "";
    QTest::newRow("turkish letters match exactly") << "ş" << "ŞşŞ" << "ŞŞ";
    QTest::newRow("dotted capital not folded") << "i" << "İiI" << "İ";
    QTest::newRow("control characters trimmed") << "x" << "\t x\n" << "";
    QTest::newRow("inner blanks kept") << "-" << " a - b " << "a  b";
    QTest::newRow("nothing to remove") << "" << "  abc  " << "abc";
}

void TestHelpers::removeAllNoCase()
{
    QFETCH(QString, text);
    QFETCH(QString, source);
    QFETCH(QString, result);
    QCOMPARE(RemoveAllNoCase(text, source), result);
}

void TestHelpers::dateToYMD_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("digits");
    QTest::newRow("single digits padded") << QDate(2007, 3, 5) << "20070305";
    QTest::newRow("two digits") << QDate(2006, 10, 15) << "20061015";
    QTest::newRow("year end") << QDate(2026, 12, 31) << "20261231";
    QTest::newRow("leap day") << QDate(2024, 2, 29) << "20240229";
}

void TestHelpers::dateToYMD()
{
    QFETCH(QDate, date);
    QFETCH(QString, digits);
    QCOMPARE(DateToYMD(date), digits);
}

void TestHelpers::buildVersionText()
{
    QCOMPARE(BuildVersionText(), QStringLiteral("Build 2.1.0.310"));
}

QTEST_GUILESS_MAIN(TestHelpers)
#include "tst_helpers.moc"
