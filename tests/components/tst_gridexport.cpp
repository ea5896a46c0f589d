// A grid written to a CSV file for a spreadsheet: every row of the list as
// the grid shows it, whatever has been read so far, and never half a file.
#include "components/DBControls.h"
#include "components/DataSource.h"
#include "components/FileChooser.h"
#include "components/GridColumns.h"
#include "components/GridExport.h"
#include "db/Money.h"
#include "db/SqlDialect.h"
#include "support/ScriptedPrompts.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QHeaderView>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int Titles = 2500; // more than is read at opening, and more than one chunk

struct ScriptedChooser : FileChooser
{
    QString answer;
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &filter) override
    {
        return filter == QLatin1String("CSV files (*.csv)") ? answer : QStringLiteral("wrong filter");
    }
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestGridExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void writesEveryRowAsTheGridShowsIt_data();
    void writesEveryRowAsTheGridShowsIt();
    void leavesOneWholeFileOrNone_data();
    void leavesOneWholeFileOrNone();

private:
    std::unique_ptr<TestSupport::TestDatabase> m_db;
    ScriptedPrompts *m_prompts = nullptr; // owned by the prompt service
    ScriptedChooser *m_chooser = new ScriptedChooser;
    DataSet m_ds{QStringLiteral("CD")};
    DataSource m_src{QStringLiteral("CDData"), &m_ds};
};

void TestGridExport::initTestCase()
{
    m_prompts = ScriptedPrompts::install();
    FileChooser::install(std::unique_ptr<FileChooser>(m_chooser));
    m_db = std::make_unique<TestSupport::TestDatabase>();
    QVERIFY(m_db->open());
    QSqlDatabase db = Database::connection();
    QVERIFY(db.transaction());
    QSqlQuery q(db);
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO CD (CDNo, FilmAdi, SatisFiyat, AlinisTarih) VALUES (?, ?, ?, ?)")));
    for (int i = 1; i <= Titles; ++i) {
        const SqlDialect &d = SqlDialect::of(db);
        d.bind(q, 0, i);
        d.bind(q, 1, i == 1 ? QStringLiteral("Kuzu; \"Kara\" Gün") : i == 2 ? QStringLiteral("Dağ\nİkinci") : QStringLiteral("Film %1").arg(i));
        d.bind(q, 2, QVariant::fromValue(Money::fromRaw(i == 1 ? 12345000 : qint64(i) * 10000)));
        d.bind(q, 3, i == 1 ? QVariant(QDate(2024, 3, 5)) : QVariant());
        QVERIFY(q.exec());
    }
    QVERIFY(db.commit());
    m_ds.setSql(QStringLiteral("Select * from CD Order By CDNo"));
    m_ds.setCaption(QStringLiteral("FilmAdi"), QStringLiteral("Film Adı"));
    m_ds.setCaption(QStringLiteral("SatisFiyat"), QStringLiteral("Satış Fiyatı"));
    m_ds.setDisplayFormat(QStringLiteral("SatisFiyat"), QStringLiteral("#,###0.00"));
}

void TestGridExport::writesEveryRowAsTheGridShowsIt_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QStringList>("lines"); // titles, rows 1, 2 and the last

    QTest::newRow("chosen columns") << "chosen" << QStringList{"CDNo;Film Adı;Satış Fiyatı;AlinisTarih",
        "1;\"Kuzu; \"\"Kara\"\" Gün\";1.234,50;05.03.2024", "2;\"Dağ\nİkinci\";2,00;", "2500;Film 2500;2.500,00;"};
    QTest::newRow("moved and hidden") << "moved" << QStringList{"AlinisTarih;Film Adı;Satış Fiyatı",
        "05.03.2024;\"Kuzu; \"\"Kara\"\" Gün\";1.234,50", ";\"Dağ\nİkinci\";2,00", ";Film 2500;2.500,00"};
    QTest::newRow("window's own titles") << "titled" << QStringList{"Title;Price",
        "\"Kuzu; \"\"Kara\"\" Gün\";1.234,50", "\"Dağ\nİkinci\";2,00", "Film 2500;2.500,00"};
}

void TestGridExport::writesEveryRowAsTheGridShowsIt()
{
    QFETCH(QString, layout);
    QFETCH(QStringList, lines);

    DBGrid grid;
    if (layout == QLatin1String("titled"))
        setGridColumns(&grid, &m_src, {"FilmAdi", "SatisFiyat"}, {"Title", "Price"});
    else
        grid.setDataSource(&m_src, {"CDNo", "FilmAdi", "SatisFiyat", "AlinisTarih"});
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QVERIFY(m_ds.requery());
    if (layout == QLatin1String("moved")) {
        grid.horizontalHeader()->moveSection(3, 0);
        grid.hideColumn(0);
    }
    QVERIFY(m_ds.moveTo(6));
    QVERIFY(m_ds.fetchedCount() < Titles); // not read whole before the export

    QTemporaryDir dir;
    const GridExport::Outcome out = GridExport::writeCsv(&grid, dir.filePath("x.csv"));
    QCOMPARE(out.status, GridExport::Outcome::Status::Written);
    const QByteArray bytes = readAll(dir.filePath("x.csv"));
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList got = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    QCOMPARE(got.size(), Titles + 2); // the titles, every row, nothing after the last CRLF
    QCOMPARE((QStringList{got[0], got[1], got[2], got[Titles]}), lines);
    QCOMPARE(got.last(), QString());
    QCOMPARE(m_ds.recNo(), 6); // the clerk is where he was
    QCOMPARE(grid.currentIndex().row(), 6);
}

void TestGridExport::leavesOneWholeFileOrNone_data()
{
    QTest::addColumn<QString>("answer"); // the file chosen, in a folder holding old.csv
    QTest::addColumn<bool>("cancel");    // the clerk cancels after the first chunk
    QTest::addColumn<QString>("error");  // the message shown
    QTest::addColumn<QStringList>("files");

    QTest::newRow("suffix added") << "kasa" << false << "" << QStringList{"kasa.csv", "old.csv"};
    QTest::newRow("dialog closed") << "" << false << "" << QStringList{"old.csv"};
    QTest::newRow("cancelled over an old file") << "old.csv" << true << "" << QStringList{"old.csv"};
    QTest::newRow("folder missing") << "no/kasa.csv" << false << "The list could not be exported to "
                                    << QStringList{"old.csv"};
}

void TestGridExport::leavesOneWholeFileOrNone()
{
    QFETCH(QString, answer);
    QFETCH(bool, cancel);
    QFETCH(QString, error);
    QFETCH(QStringList, files);

    QTemporaryDir dir;
    QFile old(dir.filePath("old.csv"));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("earlier\r\n") > 0);
    old.close();
    DBGrid grid;
    grid.setDataSource(&m_src, {"CDNo"});
    m_ds.close();
    QVERIFY(!grid.exportAction()->isEnabled()); // nothing to export from a closed list
    QVERIFY(m_ds.open());
    m_chooser->answer = answer.isEmpty() ? QString() : dir.filePath(answer);
    if (!error.isEmpty())
        m_prompts->expectStartingWith(PromptService::Icon::Error, error);
    if (cancel) {
        const auto out = GridExport::writeCsv(&grid, m_chooser->answer, [](int done, int) { return done < 1000; });
        QCOMPARE(out.status, GridExport::Outcome::Status::Cancelled);
    } else {
        grid.exportAction()->trigger();
    }
    VERIFY_ALL_ANSWERED(m_prompts);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), files);
    QCOMPARE(readAll(dir.filePath("old.csv")), QByteArray("earlier\r\n"));
    if (files.contains("kasa.csv"))
        QVERIFY(readAll(dir.filePath("kasa.csv")).startsWith("\xEF\xBB\xBF" "CDNo\r\n1\r\n2\r\n"));
}

QTEST_MAIN(TestGridExport)
#include "tst_gridexport.moc"
