// Hostile text in every text field: quotes, semicolons, LIKE wildcards,
// backslashes, Turkish letters and a 10,000-character paste go through a
// dataset's post (the path every window takes) and come back verbatim, or are
// refused by name when longer than the column, with nothing stored. The
// tables and text columns are read from the database itself, so a column
// added later is covered. Then the same texts go through the title filter and
// locate, which must take them literally.
#include "components/DataSet.h"
#include "components/TurkishText.h"
#include "data/Dm1Unit.h"
#include "db/Schema.h"
#include "support/TestSupport.h"

#include <QRegularExpression>
#include <QTest>

using namespace TestSupport;
using namespace TestSupport::Sql;

namespace {

// Stored in CD before the searches: the same text twice where a search must
// count rows, and near-misses a wildcard or a case fold would also find.
const QStringList Stored = {"%", "%", "_", "100%", "1000", "100_", "O'Brien", "OBrien", "a\\b", "a\\\\b",
                            "ğüş", "ĞÜŞ", "İlker", "ılık", "; --"};

QStringList hostileValues(int size)
{
    QStringList v = {"O'Brien \"Kid\"", "a;b'); --", "100% _x_", "C:\\new\\", "ğüşıöçĞÜŞİÖÇ", " kenar "};
    if (size > 0)
        v << QString(size, u'ş') << QString(size + 1, u'İ'); // the limit counts characters, not bytes
    QString paste;
    while (paste.size() < 10000)
        paste += QStringLiteral("Ğ'\"%_;\\ı ");
    v << paste.left(10000);
    return v;
}

} // namespace

class TestHostileText : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void searchesTakeTextLiterally_data();
    void searchesTakeTextLiterally();
    void everyTextColumnKeepsItsText_data();
    void everyTextColumnKeepsItsText();

private:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDm1> m_dm1;
};

void TestHostileText::initTestCase()
{
    qInfo("backend: %s", qPrintable(backendName()));
    m_db = std::make_unique<TestDatabase>();
    QVERIFY(m_db->open());
    m_dm1 = std::make_unique<TDm1>();
    DataSet titles(QStringLiteral("titles"));
    titles.setSql(QStringLiteral("Select * from CD"));
    QVERIFY(titles.open());
    for (const QString &s : Stored) {
        QVERIFY(titles.append());
        for (const char *column : {"FilmAdi", "KonuTur", "Yonetmen", "Barkod"})
            QVERIFY(titles.setValue(QString::fromLatin1(column), s));
        QVERIFY2(titles.post(), qPrintable(titles.lastError()));
    }
}

void TestHostileText::cleanupTestCase()
{
    m_dm1.reset();
    Database::close(Database::ConnectionName);
    m_db.reset();
}

void TestHostileText::searchesTakeTextLiterally_data()
{
    QTest::addColumn<QString>("text");
    QStringList texts = Stored + QStringList{"%%", "*", "' OR '1'='1", "ilker", "ILIK", "üş", "İ"};
    texts.removeDuplicates();
    for (const QString &s : texts)
        QTest::newRow(qPrintable(s)) << s;
}

void TestHostileText::searchesTakeTextLiterally()
{
    QFETCH(QString, text);
    // The title filter compares the chosen names with '=': no wildcards, no case fold.
    for (const char *column : {"KonuTur", "Yonetmen"}) {
        QVERIFY(m_dm1->showTitlesWhere({{QString::fromLatin1(column), text}}));
        DataSet *cd = m_dm1->CD;
        cd->fetchAll();
        QCOMPARE(cd->fetchedCount(), int(Stored.count(text)));
        for (int r = 0; r < cd->fetchedCount(); ++r)
            QCOMPARE(cd->valueAt(r, cd->fieldIndex(QString::fromLatin1(column))).toString(), text);
    }
    // Locate: exact, Turkish case fold, prefix (the barcode and title searches).
    QVERIFY(m_dm1->showAllTitles());
    DataSet *cd = m_dm1->CD;
    const struct { DataSet::LocateOptions options; const char *name; } kinds[] = {
        {DataSet::NoLocateOptions, "exact"},
        {DataSet::CaseInsensitive, "case-insensitive"},
        {DataSet::CaseInsensitive | DataSet::PartialKey, "prefix"},
    };
    for (const auto &k : kinds) {
        const bool fold = k.options & DataSet::CaseInsensitive;
        const bool prefix = k.options & DataSet::PartialKey;
        auto matches = [&](const QString &stored) {
            const QString a = fold ? turkishFold(stored) : stored, b = fold ? turkishFold(text) : text;
            return prefix ? a.startsWith(b) : a == b;
        };
        const bool any = std::any_of(Stored.begin(), Stored.end(), matches);
        cd->first();
        QCOMPARE(cd->locate(QStringLiteral("Barkod"), text, k.options), any);
        if (any)
            QVERIFY2(matches(cd->value(QStringLiteral("Barkod")).toString()), k.name);
    }
}

void TestHostileText::everyTextColumnKeepsItsText_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("size"); // 0: any length
    const QSqlDatabase db = Database::connection();
    int columns = 0;
    for (const QString &table : db.tables(QSql::Tables)) {
        if (table.startsWith(QLatin1String("sqlite_")))
            continue;
        DataSet ds(QStringLiteral("probe"));
        ds.setSql(QStringLiteral("Select * from %1").arg(table));
        QVERIFY2(ds.open(), qPrintable(ds.lastError()));
        for (int c = 0; c < ds.fieldCount(); ++c) {
            const auto type = ds.fieldType(c);
            if (type != ColumnType::Text && type != ColumnType::Memo)
                continue;
            // The size the database declares, not the one the program believes.
            const QString name = ds.fieldName(c);
            const int size = backend() == Backend::SQLite
                ? run(QStringLiteral("Select Coalesce(Cast(Substr(type, Instr(type, '(') + 1) as integer), 0) "
                                     "from pragma_table_info(?) where Lower(name) = Lower(?)"), {table, name}).value(0).toInt()
                : run(QStringLiteral("Select Coalesce(character_maximum_length, 0) from information_schema.columns "
                                     "where table_name = ? and column_name = ?"), {table, name}).value(0).toInt();
            QTest::addRow("%s.%s", qPrintable(table), qPrintable(name)) << table << name << size;
            ++columns;
        }
    }
    QVERIFY(columns >= 40);
}

void TestHostileText::everyTextColumnKeepsItsText()
{
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(int, size);
    // The data layer must know the limit the database enforces (a column added
    // to the database but not to the schema would slip past the check).
    const ColumnDef *def = Schema::column(table, column);
    QVERIFY2(def, "a text column the program's schema does not know");
    QCOMPARE(def->type == ColumnType::Text ? def->size : 0, size);

    DataSet ds(QStringLiteral("hostile"));
    ds.setSql(QStringLiteral("Select * from %1").arg(table));
    QVERIFY(ds.open());
    const QString readBack = QStringLiteral("Select %1 from %2 where ID = ?").arg(column, table);
    const QString countRows = QStringLiteral("Select Count(*) from %1").arg(table);
    QVariant keptId; // a row stored here, then edited with every value
    QString kept;
    for (const QString &value : hostileValues(size)) {
        const bool fits = size == 0 || value.size() <= size;
        const int rowsBefore = number(countRows);
        // A new row (INSERT).
        QVERIFY(ds.append());
        QVERIFY(ds.setValue(column, value));
        if (fits) {
            QVERIFY2(ds.post(), qPrintable(ds.lastError()));
            QCOMPARE(ds.value(column).toString(), value);
            QCOMPARE(run(readBack, {ds.value(QStringLiteral("ID"))}).value(0).toString(), value);
            if (keptId.isNull()) {
                keptId = ds.value(QStringLiteral("ID"));
                kept = value;
            }
        } else {
            QVERIFY(!ds.post());
            const QString message = ds.lastError();
            QVERIFY2(message.contains(column, Qt::CaseInsensitive) && message.contains(QString::number(size)),
                     qPrintable(message));
            // The clerk reads the program's words, not the database's.
            static const QRegularExpression raw(QStringLiteral("constraint|varying|ERROR|Unable|QPSQL|QSQLITE"));
            QVERIFY2(!raw.match(message).hasMatch(), qPrintable(message));
            ds.cancel();
            QCOMPARE(number(countRows), rowsBefore);
        }
        // The same value into a stored row (UPDATE).
        QVERIFY(ds.locate(QStringLiteral("ID"), keptId));
        QVERIFY(ds.edit());
        QVERIFY(ds.setValue(column, value));
        QCOMPARE(ds.post(), fits);
        if (fits)
            kept = value;
        else
            ds.cancel();
        QCOMPARE(run(readBack, {keptId}).value(0).toString(), kept);
    }
}

QTEST_MAIN(TestHostileText)
#include "tst_hostiletext.moc"
