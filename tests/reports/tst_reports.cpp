// The printed reports on a generated shop: each one written as PDF and read
// back with pdftotext, so what is checked is what the shop owner gets on
// paper: titles, column captions on every page, values in their formats,
// exact sums and balances, page numbers, page sizes. The sums are also
// checked as numbers, without printing, against the database's own sums.
#include "ShopGenerator.h"
#include "components/BandReport.h"
#include "components/DataSet.h"
#include "db/Money.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "db/SqlDialect.h"
#include "reports/Report1Unit.h"
#include "reports/Report2Unit.h"
#include "app/Helpers.h"
#include "support/ScriptedPrompts.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

using namespace TestSupport;
using Icon = PromptService::Icon;

namespace {

// The shop's last trading day; the generated rows are the same on every run.
const QDate Today(2026, 12, 8);
// The printing moment shown in every footer.
const QDateTime PrintedAt(QDate(2026, 12, 8), QTime(18, 30, 5));
const QString PrintedAtText = QStringLiteral("08.12.2026 18:30:05");
// The ledger period printed by the cash-box tests: long enough for several
// pages and for sums in the thousands.
const QDate PeriodBegin(2026, 6, 1);
const QDate PeriodEnd(2026, 12, 8);

// --- what the shop owner reads, worked out here on its own ---------------

QString groupThousands(qint64 whole)
{
    QString digits = QString::number(whole);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, u'.');
    return digits;
}

// "1.234,50": two decimals, rounded half away from zero.
QString amount2(Money m)
{
    const bool negative = m.raw() < 0;
    const qint64 raw = negative ? -m.raw() : m.raw();
    const qint64 cents = (raw + 50) / 100;
    return (negative && cents > 0 ? QStringLiteral("-") : QString()) + groupThousands(cents / 100) + u','
        + QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0'));
}

// "1.234,5" / "2": up to four decimals, none written when they are zero.
QString amount4(Money m)
{
    const bool negative = m.raw() < 0;
    const qint64 raw = negative ? -m.raw() : m.raw();
    QString decimals = QStringLiteral("%1").arg(raw % Money::Scale, 4, 10, QLatin1Char('0'));
    while (decimals.endsWith(u'0'))
        decimals.chop(1);
    return (negative ? QStringLiteral("-") : QString()) + groupThousands(raw / Money::Scale)
        + (decimals.isEmpty() ? QString() : u',' + decimals);
}

// A date as the lists show it: the day alone, or with the time when it has one.
QString shownDate(const QDateTime &dt)
{
    if (!dt.isValid())
        return QString();
    return dt.time() == QTime(0, 0) ? dt.toString(QStringLiteral("dd.MM.yyyy"))
                                    : dt.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
}

// --- reading the PDF back ----------------------------------------------------

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(program), p.readAllStandardError().constData());
        return QString();
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of the pages first..last (all pages when 0), as laid out.
QString pdfText(const QString &file, int first = 0, int last = 0)
{
    QStringList args{QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8")};
    if (first > 0)
        args << QStringLiteral("-f") << QString::number(first) << QStringLiteral("-l") << QString::number(last);
    return run(QStringLiteral("pdftotext"), args << file << QStringLiteral("-"));
}

QString pdfInfoLine(const QString &file, const QString &key)
{
    const QStringList lines = run(QStringLiteral("pdfinfo"), {file}).split(u'\n');
    for (const QString &l : lines)
        if (l.startsWith(key + u':'))
            return l.mid(key.size() + 1).trimmed();
    return QString();
}

// Runs of blanks as one, so that a caption reads the same wherever it stands.
QString simplified(const QString &text)
{
    QString s = text;
    s.replace(QRegularExpression(QStringLiteral("[ \\t]+")), QStringLiteral(" "));
    return s;
}

// Without any blanks: for texts whose parts stand at fixed places ("Date", ":",
// the value) and may come out with or without blanks between them.
QString compact(const QString &text)
{
    QString s = text;
    s.remove(QRegularExpression(QStringLiteral("\\s+")));
    return s;
}

QStringList lines(const QString &text)
{
    return text.split(u'\n', Qt::SkipEmptyParts);
}

// A line holding every piece as a whole word (or words): "2,20" does not
// count as found in "12,20".
bool hasLineWith(const QString &text, const QStringList &pieces, QString *found = nullptr)
{
    for (const QString &line : lines(simplified(text))) {
        bool all = true;
        for (const QString &piece : pieces) {
            if (piece.isEmpty())
                continue;
            const QRegularExpression re(QStringLiteral("(^|\\s)") + QRegularExpression::escape(piece) + QStringLiteral("(\\s|$)"));
            if (!re.match(line).hasMatch()) {
                all = false;
                break;
            }
        }
        if (all) {
            if (found)
                *found = line;
            return true;
        }
    }
    return false;
}

// The line that starts with the given text, blanks aside.
QString lineStartingWith(const QString &text, const QString &start)
{
    for (const QString &line : lines(simplified(text)))
        if (line.trimmed().startsWith(start))
            return line.trimmed();
    return QString();
}

// The whole numbers of a line after its first `skip` characters.
QList<qint64> numbersIn(const QString &line, qsizetype skip = 0)
{
    QList<qint64> out;
    static const QRegularExpression re(QStringLiteral("(?<![\\d.,])-?\\d+(?![\\d.,])"));
    auto it = re.globalMatch(line.mid(skip));
    while (it.hasNext())
        out << it.next().captured(0).toLongLong();
    return out;
}

// The first number of every line that starts with one: the IDs of a list.
QList<qint64> leadingIds(const QString &text)
{
    QList<qint64> out;
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d+)\\s"));
    for (const QString &line : text.split(u'\n')) {
        const auto m = re.match(line);
        if (m.hasMatch())
            out << m.captured(1).toLongLong();
    }
    return out;
}

// --- the database, read directly ---------------------------------------------

QSqlQuery query(const QString &sql, const QList<std::pair<QString, QVariant>> &params = {})
{
    QSqlDatabase db = Database::connection();
    QSqlQuery q(db);
    q.prepare(sql);
    for (const auto &p : params)
        SqlDialect::of(db).bind(q, u':' + p.first, p.second);
    if (!q.exec())
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    return q;
}

QVariant scalar(const QString &sql, const QList<std::pair<QString, QVariant>> &params = {})
{
    QSqlQuery q = query(sql, params);
    return q.next() ? q.value(0) : QVariant();
}

Money moneyOf(const QVariant &v)
{
    return SqlDialect::of(Database::connection()).fromDb(v, ColumnType::Currency).value<Money>();
}

QDateTime dateTimeOf(const QVariant &v)
{
    return SqlDialect::of(Database::connection()).fromDb(v, ColumnType::DateTime).toDateTime();
}

void openReportData(const QString &sql, const QList<std::pair<QString, QVariant>> &params = {})
{
    DataSet *data = Dm2->RaporTemp;
    data->close();
    data->setSql(sql);
    for (const auto &p : params)
        data->setParameter(p.first, p.second);
    QVERIFY2(data->open(), qPrintable(data->lastError()));
}

const QString CashSql = QStringLiteral("Select * from Kasa Where Tarih Between :T1 and :T2 Order by ID");
const QString FilmStatisticsSql = QStringLiteral(
    " Select Count(*) as CounterX, CD.FilmAdi, FilmTuru,  CD.Konutur from hareket  "
    "Inner Join CD CD  on CD.ID=Hareket.CDNO  Where KiraTarih Between :T1 and :T2 "
    " Group by FilmAdi, FilmTuru, CD.KonuTur  Order by 1 Desc ");
const QString DelayedSql = QStringLiteral(
    "Select Hareket.IslemTur, Hareket.ID, Hareket.IslemTarih, Hareket.KiraTarih, Hareket.KiralamaGun, "
    "Hareket.GelecekTarih, Hareket.MusteriNo, Musteri.AdSoyad, CD.FilmAdi, CD.CDTur, CD.Stok, CD.Barkod\n"
    "FROM CD INNER JOIN (Musteri INNER JOIN Hareket ON Musteri.ID = Hareket.MusteriNo) ON CD.ID = Hareket.CdNo\n"
    "Where Hareket.IslemTur='Rent' and Hareket.CDDurum=0 and Hareket.GelecekTarih < :Bugun Order by Hareket.GelecekTarih");

// The preview as the tests see it: what was asked to be shown, written as
// PDF at that moment (the report is gone once the menu command returns).
class RecordingPreview : public Report::PreviewService
{
public:
    void preview(const Report::BandReport &report) override
    {
        titles << report.title;
        reportDataOpen = Dm2->RaporTemp->isOpen();
        Report::BandReport copy = report;
        copy.printedAt = PrintedAt;
        pdf = dir.filePath(QStringLiteral("preview-%1.pdf").arg(titles.size()));
        copy.writePdf(pdf, &pages);
    }
    QTemporaryDir dir;
    QStringList titles;
    bool reportDataOpen = false;
    QString pdf;
    int pages = 0;
};

} // namespace

class TestReports : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void everyReportPrints_data();
    void everyReportPrints();
    void titleListShowsEveryTitleInOrder();
    void filteredTitleListHoldsOnlyThatGenre();
    void customerListShowsDeposits();
    void membersOnlyCustomerList();
    void cashBoxShowsAmountsSumsAndBalance();
    void emptyCashBoxPeriod();
    void cashBoxSumsAreExact();
    void stockStatisticsRowsAndTotals();
    void genreWithOnlyDivxTitles();
    void transactionReportFormats();
    void customerProcessListsTheCustomersHistory();
    void delayedListShowsVersionAndRows();
    void filmStatisticsTotal();
    void mailFromArchive();
    void longRecipientListWraps();
    void longMessageContinuesOnFurtherPages();
    void richTextMessagePrintsWithoutTags();
    void stockStatisticsFromTheMenu();
    void stockStatisticsDatabaseError();

private:
    Report::BandReport *prepare(const QString &name);
    // Writes the report as PDF; the file name, or empty (and the test fails).
    QString writePdf(Report::BandReport &report, int *pages = nullptr);

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDm1> m_dm1;
    std::unique_ptr<TDm2> m_dm2;
    std::unique_ptr<TReport1> m_r1;
    std::unique_ptr<TReport2> m_r2;
    std::unique_ptr<Report::PreviewService> m_previousPreview;
    RecordingPreview *m_preview = nullptr;
    ScriptedPrompts *m_prompts = nullptr;
    QTemporaryDir m_out;
    int m_written = 0;
};

void TestReports::initTestCase()
{
    qInfo("backend: %s", qPrintable(backendName()));
    QVERIFY(m_out.isValid());
    m_db = std::make_unique<TestDatabase>();
    QVERIFY(m_db->open());
    QString error;
    // Smaller than size S, so that every report stays a few dozen pages, but
    // with several pages of titles, customers, ledger and transactions.
    const ShopSize size{150, 300, 1500, 2500};
    QVERIFY2(generateShop(Database::connection(), size, 11, Today, &error), qPrintable(error));
    m_dm1 = std::make_unique<TDm1>();
    m_dm2 = std::make_unique<TDm2>();
    m_prompts = ScriptedPrompts::install();
    auto preview = std::make_unique<RecordingPreview>();
    m_preview = preview.get();
    m_previousPreview = Report::PreviewService::install(std::move(preview));
}

void TestReports::cleanupTestCase()
{
    Report::PreviewService::install(std::move(m_previousPreview));
    m_preview = nullptr;
    m_dm2.reset();
    m_dm1.reset();
    Database::close(Database::ConnectionName);
    m_db.reset();
}

void TestReports::init()
{
    // As the windows do: a fresh container per report, from its stored layout.
    m_r1 = std::make_unique<TReport1>();
    m_r2 = std::make_unique<TReport2>();
    for (Report::BandReport *r : {&m_r1->CDListeRP, &m_r1->MusteriListeRP, &m_r1->KasaRP, &m_r1->StokIstRP,
                                  &m_r2->HareketListeRP, &m_r2->MailRp, &m_r2->MusteriIslemRP, &m_r2->KiraCDRP,
                                  &m_r2->FilmIstRp})
        r->printedAt = PrintedAt;
}

void TestReports::cleanup()
{
    VERIFY_ALL_ANSWERED(m_prompts);
    m_prompts->clear();
    m_r1.reset();
    m_r2.reset();
    for (DataSet *ds : m_dm1->dataSets() + m_dm2->dataSets())
        ds->close();
}

QString TestReports::writePdf(Report::BandReport &report, int *pages)
{
    const QString file = m_out.filePath(QStringLiteral("%1-%2.pdf").arg(report.name).arg(++m_written));
    int n = 0;
    if (!report.writePdf(file, &n)) {
        qWarning("%s could not be written", qPrintable(file));
        return QString();
    }
    if (pages)
        *pages = n;
    return file;
}

// Feeds a report as the window that offers it does.
Report::BandReport *TestReports::prepare(const QString &name)
{
    if (name == QLatin1String("CDListeRP")) {
        openReportData(QStringLiteral("Select * from CD\nOrder By ID"));
        return &m_r1->CDListeRP;
    }
    if (name == QLatin1String("MusteriListeRP")) {
        openReportData(QStringLiteral("Select * from Musteri\nOrder by ID"));
        return &m_r1->MusteriListeRP;
    }
    if (name == QLatin1String("KasaRP")) {
        openReportData(CashSql, {{QStringLiteral("T1"), PeriodBegin}, {QStringLiteral("T2"), PeriodEnd}});
        m_r1->KasaRP.setParam(QStringLiteral("PeriodBegin"), QStringLiteral("01.06.2026"));
        m_r1->KasaRP.setParam(QStringLiteral("PeriodEnd"), QStringLiteral("08.12.2026"));
        return &m_r1->KasaRP;
    }
    if (name == QLatin1String("StokIstRP")) {
        openReportData(TReport1::stockStatisticsSql());
        return &m_r1->StokIstRP;
    }
    if (name == QLatin1String("HareketListeRP")) {
        openReportData(TReport2::transactionReportSql());
        return &m_r2->HareketListeRP;
    }
    if (name == QLatin1String("MailRp")) {
        if (!Dm2->MailNav->open())
            return nullptr;
        m_r2->setMailFromArchive();
        return &m_r2->MailRp;
    }
    if (name == QLatin1String("MusteriIslemRP")) {
        // The customer with the longest finished history.
        QSqlQuery q = query(QStringLiteral("SELECT MusteriNo, COUNT(*) FROM Hareket WHERE CDDurum=1 OR Kayit=1 "
                                           "GROUP BY MusteriNo ORDER BY 2 DESC, 1 LIMIT 1"));
        if (!q.next())
            return nullptr;
        const QString id = q.value(0).toString();
        Dm1->HareketTemp4->setParameter(0, id);
        if (!Dm1->HareketTemp4->open())
            return nullptr;
        m_r2->MusteriIslemRP.setParam(QStringLiteral("Customer"),
                                      scalar(QStringLiteral("SELECT AdSoyad FROM Musteri WHERE ID=") + id).toString());
        return &m_r2->MusteriIslemRP;
    }
    if (name == QLatin1String("KiraCDRP")) {
        Dm1->CDKontrol->setSql(DelayedSql);
        Dm1->CDKontrol->setParameter(QStringLiteral("Bugun"), Today);
        if (!Dm1->CDKontrol->open())
            return nullptr;
        m_r2->KiraCDRP.title = QStringLiteral("Delayed CD's");
        m_r2->KiraCDRP.setParam(QStringLiteral("Version"), QStringLiteral("VEXARO / ") + BuildVersionText());
        return &m_r2->KiraCDRP;
    }
    if (name == QLatin1String("FilmIstRp")) {
        openReportData(FilmStatisticsSql, {{QStringLiteral("T1"), Today.addDays(-365)}, {QStringLiteral("T2"), Today}});
        return &m_r2->FilmIstRp;
    }
    return nullptr;
}

// ------------------------------------------------------------------ all nine

void TestReports::everyReportPrints_data()
{
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<int>("minPages");
    QTest::addColumn<int>("maxPages");

    QTest::newRow("CD List") << "CDListeRP" << "CD List"
        << QStringList{"ID", "Film / Game Name", "CD Type", "Film Type", "Pro. Date", "Director", "Leading role", "Stock"}
        << false << 2 << 99;
    QTest::newRow("Customer List") << "MusteriListeRP" << "Customer List"
        << QStringList{"ID", "Customer Name", "GSM Phone", "Home Phone", "Deposit", "E-Mail"} << false << 2 << 99;
    QTest::newRow("Cash Box") << "KasaRP" << "Cash Box Transactions"
        << QStringList{"Beginning of Period", "Period Windup.", "ID", "Trans. Type", "Explanation", "Income",
                       "Expense", "Date"}
        << false << 2 << 99;
    QTest::newRow("Stock Statistic") << "StokIstRP" << "Stock Statistic Report"
        << QStringList{"CD/DVD Film Type", "VCD Numbers", "DVD Numbers", "Number of Rented VCD", "Number of rented DVD"}
        << false << 1 << 1;
    QTest::newRow("Transaction Report") << "HareketListeRP" << "Transaction Report"
        << QStringList{"Trans. Date", "Trans. Type", "CD Type", "Film Name", "Selling Renting Price",
                       "Penalty Default.", "Sell/Rent Date", "Requested Date", "Returning Date."}
        << true << 2 << 999;
    QTest::newRow("Mail Message") << "MailRp" << "Mail Message"
        << QStringList{"From", "To", "Date", "Subject", "Message"} << false << 1 << 1;
    QTest::newRow("Customer Process") << "MusteriIslemRP" << "Customer Process"
        << QStringList{"Customer", "Film / Game Name", "CD Type", "Film Type", "Rent Date", "Day Number", "Return Date"}
        << false << 1 << 99;
    QTest::newRow("Delayed CDs") << "KiraCDRP" << "Delayed CD's"
        << QStringList{"Film Name", "Customer", "CD Type", "Trans. Date", "Rent Date", "Day Number", "Requested Date"}
        << false << 1 << 99;
    QTest::newRow("Film Statistics") << "FilmIstRp" << "Film Statistics."
        << QStringList{"Film Name", "CD Type", "Film Theme", "Renting Number"} << false << 1 << 99;
}

void TestReports::everyReportPrints()
{
    QFETCH(QString, report);
    QFETCH(QString, title);
    QFETCH(QStringList, captions);
    QFETCH(bool, landscape);
    QFETCH(int, minPages);
    QFETCH(int, maxPages);

    Report::BandReport *r = prepare(report);
    QVERIFY2(r, qPrintable(report));
    int pages = 0;
    const QString pdf = writePdf(*r, &pages);
    QVERIFY(!pdf.isEmpty());
    QVERIFY2(pages >= minPages && pages <= maxPages, qPrintable(QString::number(pages)));
    QCOMPARE(pdfInfoLine(pdf, QStringLiteral("Pages")).toInt(), pages);
    // A4 (595.3 x 841.9 pt; the PDF writer keeps whole points), turned for landscape.
    const QString size = pdfInfoLine(pdf, QStringLiteral("Page size"));
    static const QRegularExpression re(QStringLiteral("^([\\d.]+) x ([\\d.]+) pts \\(A4\\)"));
    const auto m = re.match(size);
    QVERIFY2(m.hasMatch(), qPrintable(size));
    const double width = m.captured(1).toDouble(), height = m.captured(2).toDouble();
    QVERIFY2(qAbs((landscape ? height : width) - 595.276) < 1 && qAbs((landscape ? width : height) - 841.89) < 1,
             qPrintable(size));

    // Every page: the title, the column titles, the printing time and its own number.
    for (int page = 1; page <= pages; ++page) {
        const QString text = simplified(pdfText(pdf, page, page));
        QVERIFY2(text.contains(title), qPrintable(QStringLiteral("page %1: %2").arg(page).arg(text.left(400))));
        for (const QString &caption : captions)
            QVERIFY2(text.contains(caption), qPrintable(QStringLiteral("page %1 lacks '%2'").arg(page).arg(caption)));
        QVERIFY2(text.contains(PrintedAtText), qPrintable(QString::number(page)));
        QVERIFY2(text.contains(QStringLiteral("Page : %1").arg(page)), qPrintable(QString::number(page)));
        QVERIFY(!text.contains(QStringLiteral("Page : %1").arg(page + 1)));
    }
}

// ------------------------------------------------------------- the title list

void TestReports::titleListShowsEveryTitleInOrder()
{
    Report::BandReport *r = prepare(QStringLiteral("CDListeRP"));
    const QString pdf = writePdf(*r);
    QVERIFY(!pdf.isEmpty());
    QList<qint64> expected;
    QSqlQuery q = query(QStringLiteral("SELECT ID FROM CD ORDER BY ID"));
    while (q.next())
        expected << q.value(0).toLongLong();
    QCOMPARE(expected.size(), 300);
    const QString text = pdfText(pdf);
    // Not one row lost or doubled at a page break.
    QCOMPARE(leadingIds(text), expected);

    // One title, every column as stored.
    QSqlQuery t = query(QStringLiteral("SELECT ID, CDTur, KonuTur, YapimYili, Stok FROM CD "
                                       "WHERE YapimYili IS NOT NULL AND Stok > 1 ORDER BY ID DESC LIMIT 1"));
    QVERIFY(t.next());
    QString line;
    QVERIFY2(hasLineWith(text, {t.value(0).toString(), t.value(1).toString(), t.value(2).toString(),
                                t.value(3).toString(), t.value(4).toString()}, &line),
             qPrintable(t.value(0).toString()));
    QVERIFY2(line.trimmed().startsWith(t.value(0).toString() + u' '), qPrintable(line));
    QVERIFY2(line.trimmed().endsWith(u' ' + t.value(4).toString()), qPrintable(line));
}

void TestReports::filteredTitleListHoldsOnlyThatGenre()
{
    const QString genre = scalar(QStringLiteral("SELECT KonuTur FROM CD GROUP BY KonuTur ORDER BY COUNT(*) DESC, KonuTur LIMIT 1")).toString();
    QVERIFY(!genre.isEmpty());
    openReportData(QStringLiteral("Select * from CD Where KonuTur = :Tur Order by FilmAdi, ID"), {{QStringLiteral("Tur"), genre}});
    QList<qint64> expected;
    QSqlQuery q = query(QStringLiteral("SELECT ID FROM CD WHERE KonuTur = :Tur ORDER BY FilmAdi, ID"), {{QStringLiteral("Tur"), genre}});
    while (q.next())
        expected << q.value(0).toLongLong();
    QVERIFY(expected.size() > 5);

    const Report::Computed c = m_r1->CDListeRP.compute();
    QCOMPARE(c.rowCount(), int(expected.size()));
    for (const QStringList &row : c.rows)
        QCOMPARE(row.at(3), genre);

    const QString pdf = writePdf(m_r1->CDListeRP);
    QVERIFY(!pdf.isEmpty());
    const QString text = pdfText(pdf);
    QCOMPARE(leadingIds(text), expected);
    // No title of any other genre.
    QSqlQuery others = query(QStringLiteral("SELECT DISTINCT KonuTur FROM CD WHERE KonuTur <> :Tur"), {{QStringLiteral("Tur"), genre}});
    const QString flat = simplified(text);
    while (others.next()) {
        const QString other = others.value(0).toString();
        if (!genre.contains(other))
            QVERIFY2(!hasLineWith(flat, {other}), qPrintable(other));
    }
}

// ---------------------------------------------------------- the customer list

void TestReports::customerListShowsDeposits()
{
    Report::BandReport *r = prepare(QStringLiteral("MusteriListeRP"));
    const QString pdf = writePdf(*r);
    QVERIFY(!pdf.isEmpty());
    const QString text = pdfText(pdf);
    QCOMPARE(leadingIds(text).size(), scalar(QStringLiteral("SELECT COUNT(*) FROM Musteri")).toInt());

    QSqlQuery q = query(QStringLiteral("SELECT ID, CepTelefon, Depozito FROM Musteri WHERE Depozito > 0 "
                                       "AND CepTelefon IS NOT NULL ORDER BY ID LIMIT 1"));
    QVERIFY(q.next());
    const Money deposit = moneyOf(q.value(2));
    QVERIFY(deposit > Money());
    QString line;
    QVERIFY2(hasLineWith(text, {q.value(0).toString(), q.value(1).toString(), amount2(deposit)}, &line),
             qPrintable(q.value(0).toString() + u' ' + amount2(deposit)));
}

void TestReports::membersOnlyCustomerList()
{
    openReportData(QStringLiteral("Select * from Musteri Where UyelikDurum=1 Order by ID"));
    QList<qint64> members;
    QSqlQuery q = query(QStringLiteral("SELECT ID FROM Musteri WHERE UyelikDurum=1 ORDER BY ID"));
    while (q.next())
        members << q.value(0).toLongLong();
    const int all = scalar(QStringLiteral("SELECT COUNT(*) FROM Musteri")).toInt();
    QVERIFY(members.size() > 0 && members.size() < all);

    const QString pdf = writePdf(m_r1->MusteriListeRP);
    QVERIFY(!pdf.isEmpty());
    QCOMPARE(leadingIds(pdfText(pdf)), members);
}

// -------------------------------------------------------------- the cash box

void TestReports::cashBoxShowsAmountsSumsAndBalance()
{
    Report::BandReport *r = prepare(QStringLiteral("KasaRP"));
    int pages = 0;
    const QString pdf = writePdf(*r, &pages);
    QVERIFY(!pdf.isEmpty());
    QVERIFY(pages >= 2);
    const QString text = pdfText(pdf);
    const QList<std::pair<QString, QVariant>> period{{QStringLiteral("T1"), PeriodBegin}, {QStringLiteral("T2"), PeriodEnd}};

    // The period in the heading, on every page.
    for (int page = 1; page <= pages; ++page) {
        const QString heading = compact(pdfText(pdf, page, page));
        QVERIFY2(heading.contains(QStringLiteral("BeginningofPeriod:01.06.2026")), qPrintable(QString::number(page)));
        QVERIFY2(heading.contains(QStringLiteral("PeriodWindup.:08.12.2026")), qPrintable(QString::number(page)));
    }

    QCOMPARE(leadingIds(text).size(), scalar(QStringLiteral("SELECT COUNT(*) FROM Kasa WHERE Tarih BETWEEN :T1 AND :T2"), period).toInt());

    // The largest income of the period, on its row.
    QSqlQuery q = query(QStringLiteral("SELECT ID, Islem, Borc, Alacak, Tarih FROM Kasa WHERE Tarih BETWEEN :T1 AND :T2 AND Borc IS NOT NULL "
                                       "ORDER BY Borc DESC, ID LIMIT 1"), period);
    QVERIFY(q.next());
    QString line;
    // A row books only the side that moved: an empty other side prints nothing.
    QStringList expected{q.value(0).toString(), q.value(1).toString(), amount2(moneyOf(q.value(2)))};
    if (!q.value(3).isNull())
        expected << amount2(moneyOf(q.value(3)));
    expected << shownDate(dateTimeOf(q.value(4)));
    QVERIFY2(hasLineWith(text, expected, &line),
             qPrintable(QStringLiteral("%1 %2 %3").arg(q.value(0).toString(), amount2(moneyOf(q.value(2))),
                                                        shownDate(dateTimeOf(q.value(4))))));

    // The totals and the balance.
    QSqlQuery s = query(QStringLiteral("SELECT SUM(BorcUSD), SUM(Borc), SUM(Alacak) FROM Kasa WHERE Tarih BETWEEN :T1 AND :T2"), period);
    QVERIFY(s.next());
    const Money usd = moneyOf(s.value(0)), in = moneyOf(s.value(1)), out = moneyOf(s.value(2));
    QVERIFY2(in >= Money::fromUnits(1000), "the period should reach the thousands");
    QVERIFY2(hasLineWith(text, {QStringLiteral("Total Sum :"), amount2(usd), amount2(in), amount2(out)}, &line),
             qPrintable(QStringLiteral("Total Sum : %1 %2 %3").arg(amount2(usd), amount2(in), amount2(out))));
    const QString balanceLine = lineStartingWith(text, QStringLiteral("Balance"));
    QCOMPARE(balanceLine, QStringLiteral("Balance : ") + amount2(in - out));
}

void TestReports::emptyCashBoxPeriod()
{
    openReportData(CashSql, {{QStringLiteral("T1"), QDate(2030, 1, 1)}, {QStringLiteral("T2"), QDate(2030, 1, 31)}});
    m_r1->KasaRP.setParam(QStringLiteral("PeriodBegin"), QStringLiteral("01.01.2030"));
    m_r1->KasaRP.setParam(QStringLiteral("PeriodEnd"), QStringLiteral("31.01.2030"));
    const Report::Computed c = m_r1->KasaRP.compute();
    // One empty row, so the page does not look broken.
    QCOMPARE(c.rowCount(), 1);
    for (const QString &cell : c.rows.front())
        QVERIFY(cell.isEmpty());

    int pages = 0;
    const QString pdf = writePdf(m_r1->KasaRP, &pages);
    QVERIFY(!pdf.isEmpty());
    QCOMPARE(pages, 1);
    const QString text = simplified(pdfText(pdf));
    for (const QString &s : {QStringLiteral("Cash Box Transactions"), QStringLiteral("01.01.2030"), QStringLiteral("31.01.2030"),
                             QStringLiteral("Trans. Type"), QStringLiteral("Income"), QStringLiteral("Expense"),
                             QStringLiteral("Page : 1")})
        QVERIFY2(text.contains(s), qPrintable(s));
    QVERIFY(leadingIds(text).isEmpty());
    QCOMPARE(lineStartingWith(text, QStringLiteral("Total Sum")), QStringLiteral("Total Sum : 0,00 0,00 0,00"));
    QCOMPARE(lineStartingWith(text, QStringLiteral("Balance")), QStringLiteral("Balance : 0,00"));
}

void TestReports::cashBoxSumsAreExact()
{
    // The whole ledger: thousands of rows, where a sum kept in floating point drifts.
    openReportData(QStringLiteral("Select * from Kasa"));
    const Report::Computed c = m_r1->KasaRP.compute();
    QSqlQuery s = query(QStringLiteral("SELECT SUM(Borc), SUM(Alacak), SUM(BorcUSD), COUNT(*) FROM Kasa"));
    QVERIFY(s.next());
    const Money in = moneyOf(s.value(0)), out = moneyOf(s.value(1)), usd = moneyOf(s.value(2));
    QCOMPARE(c.rowCount(), s.value(3).toInt());
    QCOMPARE(c.money(QStringLiteral("Borc")).raw(), in.raw());
    QCOMPARE(c.money(QStringLiteral("Alacak")).raw(), out.raw());
    QCOMPARE(c.money(QStringLiteral("BorcUSD")).raw(), usd.raw());
    QVERIFY(out > Money());
    QCOMPARE((c.money(QStringLiteral("Borc")) - c.money(QStringLiteral("Alacak"))).raw(), (in - out).raw());
}

// ------------------------------------------------------- the stock statistics

void TestReports::stockStatisticsRowsAndTotals()
{
    Report::BandReport *r = prepare(QStringLiteral("StokIstRP"));
    const Report::Computed c = r->compute();
    const qint64 vcd = scalar(QStringLiteral("SELECT SUM(Stok) FROM CD WHERE CDTur='VCD'")).toLongLong();
    const qint64 dvd = scalar(QStringLiteral("SELECT SUM(Stok) FROM CD WHERE CDTur='DVD'")).toLongLong();
    // Out on rent: rentals not yet back. A sale keeps CDDurum 0 too, and the
    // shop has such sales, but a sold copy is no longer the shop's.
    const QString outSql = QStringLiteral("SELECT COUNT(*) FROM Hareket INNER JOIN CD ON CD.ID = Hareket.CdNo "
                                          "WHERE Hareket.IslemTur='Rent' AND Hareket.CDDurum=0 AND CD.CDTur='%1'");
    const qint64 vcdOut = scalar(outSql.arg(QStringLiteral("VCD"))).toLongLong();
    const qint64 dvdOut = scalar(outSql.arg(QStringLiteral("DVD"))).toLongLong();
    QVERIFY(vcd > 0 && dvd > 0 && vcdOut > 0 && dvdOut > 0);
    QVERIFY(scalar(QStringLiteral("SELECT COUNT(*) FROM Hareket INNER JOIN CD ON CD.ID = Hareket.CdNo WHERE "
                                  "Hareket.IslemTur='Sell' AND Hareket.CDDurum=0 AND CD.CDTur IN ('VCD','DVD')"))
                .toLongLong() > 0);
    QCOMPARE(c.integer(QStringLiteral("VCDToplam")), vcd);
    QCOMPARE(c.integer(QStringLiteral("DVDToplam")), dvd);
    QCOMPARE(c.integer(QStringLiteral("KiradaVCDToplam")), vcdOut);
    QCOMPARE(c.integer(QStringLiteral("KiradaDVDToplam")), dvdOut);
    QCOMPARE(c.rowCount(), scalar(QStringLiteral("SELECT COUNT(DISTINCT KonuTur) FROM CD")).toInt());

    const QString pdf = writePdf(*r);
    QVERIFY(!pdf.isEmpty());
    const QString text = pdfText(pdf);
    // Every genre on its own line with its four numbers (a genre without a
    // kind of disc shows nothing there).
    QSqlQuery q = query(TReport1::stockStatisticsSql());
    int genres = 0;
    while (q.next()) {
        ++genres;
        const QString genre = q.record().value(QStringLiteral("KonuTur")).toString();
        const QString line = lineStartingWith(text, genre + u' ');
        QVERIFY2(!line.isEmpty(), qPrintable(genre));
        QList<qint64> expected;
        for (const char *f : {"VCDToplam", "DVDToplam", "KiradaVCDToplam", "KiradaDVDToplam"}) {
            const QVariant v = q.record().value(QLatin1StringView(f));
            if (!v.isNull())
                expected << v.toLongLong();
        }
        QCOMPARE(numbersIn(line, genre.size()), expected);
    }
    QCOMPARE(genres, c.rowCount());
    QCOMPARE(numbersIn(lineStartingWith(text, QStringLiteral("Total :"))), (QList<qint64>{vcd, dvd, vcdOut, dvdOut}));
    QCOMPARE(numbersIn(lineStartingWith(text, QStringLiteral("Total Sum:"))), (QList<qint64>{vcd + vcdOut, dvd + dvdOut}));
}

void TestReports::genreWithOnlyDivxTitles()
{
    QSqlQuery ins(Database::connection());
    QVERIFY2(ins.exec(QStringLiteral("INSERT INTO CD (CDNo, CDTur, FilmAdi, Stok, KonuTur) "
                                     "VALUES (990001, 'DivX', 'Carmen', 4, 'Opera')")),
             qPrintable(ins.lastError().text()));
    const auto removeIt = qScopeGuard([] {
        QSqlQuery del(Database::connection());
        del.exec(QStringLiteral("DELETE FROM CD WHERE CDNo = 990001"));
    });

    Report::BandReport *r = prepare(QStringLiteral("StokIstRP"));
    const Report::Computed c = r->compute();
    const qint64 vcd = scalar(QStringLiteral("SELECT SUM(Stok) FROM CD WHERE CDTur='VCD'")).toLongLong();
    const qint64 dvd = scalar(QStringLiteral("SELECT SUM(Stok) FROM CD WHERE CDTur='DVD'")).toLongLong();
    QCOMPARE(c.integer(QStringLiteral("VCDToplam")), vcd);
    QCOMPARE(c.integer(QStringLiteral("DVDToplam")), dvd);

    const QString pdf = writePdf(*r);
    QVERIFY(!pdf.isEmpty());
    const QString text = pdfText(pdf);
    const QString line = lineStartingWith(text, QStringLiteral("Opera"));
    QVERIFY2(!line.isEmpty(), qPrintable(text.left(2000)));
    // No VCD or DVD copies, none out on rent: blanks or zeros, never the DivX stock.
    for (qint64 n : numbersIn(line, 5))
        QCOMPARE(n, 0);
    QCOMPARE(numbersIn(lineStartingWith(text, QStringLiteral("Total :"))).mid(0, 2), (QList<qint64>{vcd, dvd}));
}

// --------------------------------------------------------- the transactions

void TestReports::transactionReportFormats()
{
    Report::BandReport *r = prepare(QStringLiteral("HareketListeRP"));
    const QString pdf = writePdf(*r);
    QVERIFY(!pdf.isEmpty());
    const QString text = pdfText(pdf);

    // A returned rental with a penalty (its price is on the ledger, not
    // here) and the dearest sale: every date and amount as stored.
    auto amountOrBlank = [](const QVariant &v) { return v.isNull() ? QString() : amount4(moneyOf(v)); };
    for (const QString &which : {QStringLiteral("Hareket.CezaTutari > 0 AND Hareket.TeslimTarih IS NOT NULL ORDER BY Hareket.ID"),
                                 QStringLiteral("Hareket.IslemTur = 'Sell' AND Hareket.SatisFiyat > 0 "
                                                "ORDER BY Hareket.SatisFiyat DESC, Hareket.ID")}) {
        QSqlQuery q = query(QStringLiteral(
            "SELECT Hareket.IslemTarih, Hareket.IslemTur, Hareket.FilmTuru, Hareket.SatisFiyat, Hareket.CezaTutari, "
            "Hareket.KiraTarih, Hareket.GelecekTarih, Hareket.TeslimTarih FROM Hareket "
            "INNER JOIN CD ON CD.ID = Hareket.CdNo INNER JOIN Musteri ON Musteri.ID = Hareket.MusteriNo WHERE ")
            + which + QStringLiteral(" LIMIT 1"));
        QVERIFY2(q.next(), qPrintable(which));
        QVERIFY(!q.value(3).isNull() || !q.value(4).isNull());
        const QStringList pieces{dateTimeOf(q.value(0)).toString(QStringLiteral("dd.MM.yyyy hh:mm")), q.value(1).toString(),
                                 q.value(2).toString(), amountOrBlank(q.value(3)), amountOrBlank(q.value(4)),
                                 shownDate(dateTimeOf(q.value(5))), shownDate(dateTimeOf(q.value(6))),
                                 shownDate(dateTimeOf(q.value(7)))};
        QVERIFY2(hasLineWith(text, pieces), qPrintable(pieces.join(QStringLiteral(" | "))));
    }

    // Every transaction whose customer and title exist, one line each.
    static const QRegularExpression row(QStringLiteral("^\\s*\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d\\s"));
    int shown = 0;
    for (const QString &l : text.split(u'\n'))
        if (row.match(l).hasMatch() && !l.contains(PrintedAtText))
            ++shown;
    QCOMPARE(shown, scalar(QStringLiteral("SELECT COUNT(*) FROM Hareket INNER JOIN CD ON CD.ID = Hareket.CdNo "
                                          "INNER JOIN Musteri ON Musteri.ID = Hareket.MusteriNo")).toInt());
}

void TestReports::customerProcessListsTheCustomersHistory()
{
    Report::BandReport *r = prepare(QStringLiteral("MusteriIslemRP"));
    QVERIFY(r);
    const QString customer = r->params.value(QStringLiteral("Customer"));
    QVERIFY(!customer.isEmpty());
    const int rows = Dm1->HareketTemp4->recordCount();
    QVERIFY(rows > 0);
    QCOMPARE(r->compute().rowCount(), rows);
    const QString pdf = writePdf(*r);
    QVERIFY(!pdf.isEmpty());
    const QString text = simplified(pdfText(pdf));
    QVERIFY2(hasLineWith(text, {QStringLiteral("Customer ") + customer}), qPrintable(customer));
    // The newest rental first, with its day count and return date.
    Dm1->HareketTemp4->first();
    const QString rent = shownDate(Dm1->HareketTemp4->value(QStringLiteral("KiraTarih")).toDateTime());
    const QString back = shownDate(Dm1->HareketTemp4->value(QStringLiteral("TeslimTarih")).toDateTime());
    QStringList pieces{Dm1->HareketTemp4->value(QStringLiteral("CDTur")).toString(), rent};
    if (!back.isEmpty())
        pieces << back;
    QVERIFY2(hasLineWith(text, pieces), qPrintable(pieces.join(u'|')));
}

void TestReports::delayedListShowsVersionAndRows()
{
    Report::BandReport *r = prepare(QStringLiteral("KiraCDRP"));
    QVERIFY(r);
    const int rows = scalar(QStringLiteral("SELECT COUNT(*) FROM Hareket WHERE IslemTur='Rent' AND CDDurum=0 "
                                           "AND GelecekTarih < :Bugun"), {{QStringLiteral("Bugun"), Today}}).toInt();
    QVERIFY(rows > 0);
    QCOMPARE(r->compute().rowCount(), rows);
    int pages = 0;
    const QString pdf = writePdf(*r, &pages);
    QVERIFY(!pdf.isEmpty());
    const QString version = QStringLiteral("VEXARO / ") + BuildVersionText();
    for (int page = 1; page <= pages; ++page)
        QVERIFY2(simplified(pdfText(pdf, page, page)).contains(version), qPrintable(version));
    // The longest overdue first: its requested date.
    Dm1->CDKontrol->first();
    const QString due = shownDate(Dm1->CDKontrol->value(QStringLiteral("GelecekTarih")).toDateTime());
    QVERIFY2(hasLineWith(pdfText(pdf, 1, 1), {Dm1->CDKontrol->value(QStringLiteral("CDTur")).toString(), due}), qPrintable(due));
}

void TestReports::filmStatisticsTotal()
{
    Report::BandReport *r = prepare(QStringLiteral("FilmIstRp"));
    const QList<std::pair<QString, QVariant>> year{{QStringLiteral("T1"), Today.addDays(-365)}, {QStringLiteral("T2"), Today}};
    const qint64 rentals = scalar(QStringLiteral("SELECT COUNT(*) FROM Hareket INNER JOIN CD ON CD.ID = Hareket.CDNO "
                                                 "WHERE KiraTarih BETWEEN :T1 AND :T2"), year).toLongLong();
    QVERIFY(rentals > 0);
    const Report::Computed c = r->compute();
    QCOMPARE(c.integer(QStringLiteral("CounterX")), rentals);
    qint64 summed = 0;
    for (const QStringList &row : c.rows)
        summed += row.at(3).toLongLong();
    QCOMPARE(summed, rentals);

    int pages = 0;
    const QString pdf = writePdf(*r, &pages);
    QVERIFY(!pdf.isEmpty());
    const QString last = pdfText(pdf, pages, pages);
    QCOMPARE(numbersIn(lineStartingWith(last, QStringLiteral("Total Renting Number :"))), QList<qint64>{rentals});
    // The most rented film leads the list with its count.
    const QString top = c.rows.front().at(3);
    QVERIFY(hasLineWith(pdfText(pdf, 1, 1), {c.rows.front().at(1), top}));
}

// -------------------------------------------------------------- the mail

void TestReports::mailFromArchive()
{
    Report::BandReport *r = prepare(QStringLiteral("MailRp"));
    QVERIFY(r);
    DataSet *mail = Dm2->MailNav;
    const QString pdf = writePdf(*r);
    QVERIFY(!pdf.isEmpty());
    const QString text = simplified(pdfText(pdf));
    const QString flat = compact(text);
    const QStringList shown{QStringLiteral("From:") + mail->value(QStringLiteral("Gonderen")).toString(),
                            QStringLiteral("To:") + mail->value(QStringLiteral("Alici")).toString(),
                            QStringLiteral("Subject:") + mail->value(QStringLiteral("Konu")).toString(),
                            QStringLiteral("Date:") + mail->displayText(QStringLiteral("Tarih"))};
    for (const QString &s : shown)
        QVERIFY2(flat.contains(compact(s)), qPrintable(s));
    // The message's own lines.
    const QString body = QString::fromUtf8(mail->value(QStringLiteral("Mail")).toByteArray());
    const QString greeting = body.mid(body.indexOf(QStringLiteral("Sayın"))).section(u'\r', 0, 0);
    QVERIFY(greeting.startsWith(QStringLiteral("Sayın")));
    QVERIFY2(text.contains(greeting), qPrintable(greeting));
}

void TestReports::longRecipientListWraps()
{
    // Twelve customers in one message: too long for one line.
    QStringList to;
    for (int i = 1; i <= 12; ++i)
        to << QStringLiteral("musteri%1@ornekposta.com").arg(i, 2, 10, QLatin1Char('0'));
    const QString list = to.join(QStringLiteral("; "));
    m_r2->MailRp.setParam(QStringLiteral("Gonderen"), QStringLiteral("videodukkani@ttmail.com"));
    m_r2->MailRp.setParam(QStringLiteral("Alici"), list);
    m_r2->MailRp.setParam(QStringLiteral("Tarih"), QStringLiteral("08.12.2026 10:15:00"));
    m_r2->MailRp.setParam(QStringLiteral("Konu"), QStringLiteral("New releases this week"));
    m_r2->MailRp.setParam(QStringLiteral("Message"), QStringLiteral("Dear customers,\nthe new films are in."));
    int pages = 0;
    const QString pdf = writePdf(m_r2->MailRp, &pages);
    QVERIFY(!pdf.isEmpty());
    QCOMPARE(pages, 1);
    const QString text = pdfText(pdf);
    for (const QString &address : to)
        QVERIFY2(text.contains(address), qPrintable(address));
    // Wrapped, not run off the page: the addresses stand on more than one line.
    QVERIFY(!hasLineWith(text, {to.first(), to.last()}));
    // And the date and subject below the list are not overprinted by it.
    QVERIFY(compact(text).contains(QStringLiteral("Date:08.12.202610:15:00")));
    QVERIFY(compact(text).contains(QStringLiteral("Subject:Newreleasesthisweek")));
}

void TestReports::longMessageContinuesOnFurtherPages()
{
    QStringList body;
    for (int i = 1; i <= 300; ++i)
        body << QStringLiteral("Line %1 of the newsletter").arg(i, 3, 10, QLatin1Char('0'));
    m_r2->MailRp.setParam(QStringLiteral("Gonderen"), QStringLiteral("videodukkani@ttmail.com"));
    m_r2->MailRp.setParam(QStringLiteral("Alici"), QStringLiteral("musteri1@gmail.com"));
    m_r2->MailRp.setParam(QStringLiteral("Konu"), QStringLiteral("Newsletter"));
    m_r2->MailRp.setParam(QStringLiteral("Message"), body.join(u'\n'));
    int pages = 0;
    const QString pdf = writePdf(m_r2->MailRp, &pages);
    QVERIFY(!pdf.isEmpty());
    QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));
    const QString text = pdfText(pdf);
    // Every line once, in order, none cut at a page break.
    static const QRegularExpression re(QStringLiteral("Line (\\d{3}) of the newsletter"));
    QList<int> seen;
    auto it = re.globalMatch(text);
    while (it.hasNext())
        seen << it.next().captured(1).toInt();
    QList<int> expected;
    for (int i = 1; i <= 300; ++i)
        expected << i;
    QCOMPARE(seen, expected);
    // Each page numbered and headed.
    for (int page = 1; page <= pages; ++page) {
        const QString p = simplified(pdfText(pdf, page, page));
        QVERIFY(p.contains(QStringLiteral("Page : %1").arg(page)));
        QVERIFY(p.contains(QStringLiteral("Mail Message")));
    }
}

void TestReports::richTextMessagePrintsWithoutTags()
{
    m_r2->MailRp.setParam(QStringLiteral("Gonderen"), QStringLiteral("videodukkani@ttmail.com"));
    m_r2->MailRp.setParam(QStringLiteral("Alici"), QStringLiteral("musteri1@gmail.com"));
    m_r2->MailRp.setParam(QStringLiteral("Konu"), QStringLiteral("Overdue rental reminder"));
    m_r2->MailRp.setParam(QStringLiteral("Message"),
                          QStringLiteral("<html><body><p>Dear <b>Ayşe Yılmaz</b>, the film <i>Matrix</i> is two days late.</p>"
                                         "<p>Please bring it back.</p></body></html>"));
    const QString pdf = writePdf(m_r2->MailRp);
    QVERIFY(!pdf.isEmpty());
    const QString text = simplified(pdfText(pdf));
    QVERIFY2(text.contains(QStringLiteral("Dear Ayşe Yılmaz, the film Matrix is two days late.")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Please bring it back.")));
    for (const QString &tag : {QStringLiteral("<b>"), QStringLiteral("</b>"), QStringLiteral("<p>"), QStringLiteral("html")})
        QVERIFY2(!text.contains(tag), qPrintable(tag));
}

// ------------------------------------------------------ from the main menu

void TestReports::stockStatisticsFromTheMenu()
{
    m_preview->titles.clear();
    PrintStockStatistics();
    QCOMPARE(m_preview->titles, QStringList{QStringLiteral("Stock Statistic Report")});
    QVERIFY(m_preview->reportDataOpen);
    QVERIFY(!Dm2->RaporTemp->isOpen());
    QCOMPARE(m_preview->pages, 1);
    const QString text = pdfText(m_preview->pdf);
    const qint64 vcd = scalar(QStringLiteral("SELECT SUM(Stok) FROM CD WHERE CDTur='VCD'")).toLongLong();
    QCOMPARE(numbersIn(lineStartingWith(text, QStringLiteral("Total :"))).value(0), vcd);
}

void TestReports::stockStatisticsDatabaseError()
{
    QSqlQuery q(Database::connection());
    QVERIFY2(q.exec(QStringLiteral("ALTER TABLE CD RENAME TO CD_Away")), qPrintable(q.lastError().text()));
    auto back = qScopeGuard([] {
        QSqlQuery r(Database::connection());
        r.exec(QStringLiteral("ALTER TABLE CD_Away RENAME TO CD"));
    });
    m_preview->titles.clear();
    m_prompts->expectStartingWith(Icon::Error, QString());
    PrintStockStatistics();
    VERIFY_ALL_ANSWERED(m_prompts);
    QCOMPARE(m_prompts->seen().size(), 1);
    QVERIFY(!m_prompts->seen().first().text.trimmed().isEmpty());
    QVERIFY(m_preview->titles.isEmpty());
    QVERIFY(!Dm2->RaporTemp->isOpen());
    back.dismiss();
    QVERIFY(q.exec(QStringLiteral("ALTER TABLE CD_Away RENAME TO CD")));
}

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
