// vexaro-bench: times what the clerk waits for on a generated shop, beside
// the same SQL run directly through SQLite (or libpq), and prints a table of
// medians.
//
//   vexaro-bench [--size S|M|L] [--runs N] [--postings N] [--shop DIR]
//                [--database postgresql://user@host:port/db [--latency-ms N]]
//   vexaro-bench --help | --version
//
// With --database the shop lives on that PostgreSQL server (generated there
// when the database is empty) and the raw column uses libpq. With
// --latency-ms every connection of the run (ours, the lists' own, the raw
// column's, the started program's) goes through a proxy that adds that much
// to each round trip, as a counter on a LAN or VPN would pay, and the table
// says how many round trips each of our steps took.
// The shop is generated once (by vexaro-shopgen, in its own process so that
// its memory does not count here) into DIR, by default a folder per size
// under the system's temporary folder, and reused by later runs.

#include "catalogue/FrmCDTanimUnit.h"
#include "catalogue/FrmNavigatorUnit.h"
#include "components/DataSet.h"
#include "components/DataSetModel.h"
#include "db/Database.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "reports/Report1Unit.h"
#include "components/DBControls.h"
#include "components/PromptService.h"
#include "data/TariffCache.h"
#include "rental/FrmCDKiraUnit.h"
#include "rental/FrmCDIadeUnit.h"
#include "rental/FrmCDKontrolUnit.h"
#include "app/CommandLine.h"
#include "LatencyProxy.h"
#include <QButtonGroup>
#include <QPushButton>
#include <QTimer>
#include <QCheckBox>
#include <QSpinBox>
// cash box, charts
#include "cashbox/FrmKasaHareketUnit.h"
#include "components/Format.h"
#include "data/LedgerData.h"
#include "reports/FrmGrafikUnit.h"
#include <QDateEdit>
#include <QTreeWidget>

#include <QApplication>
#include <QCommandLineParser>
#include <QComboBox>
#include <QToolButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLockFile>
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QProcess>
#include <QSqlDriver>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <sys/resource.h>

namespace {

double medianMs(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double timeMs(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

// The proxy every connection goes through, when the run adds a latency.
LatencyProxy *proxy = nullptr;

// The round trips of one of our steps, over its timed repetitions (the raw
// side is not counted: it is there for its time only).
struct Trips
{
    std::int64_t total = 0;
    int repetitions = 0;
    double perRepetition() const { return proxy && repetitions > 0 ? double(total) / repetitions : -1; }
};

// timeMs for our side of a row: the proxy's count is read just before and
// just after, so that only what the step itself sent is counted.
double timeOurs(Trips &trips, const std::function<void()> &f)
{
    const std::int64_t before = proxy ? proxy->roundTrips() : 0;
    const double ms = timeMs(f);
    trips.total += (proxy ? proxy->roundTrips() : 0) - before;
    ++trips.repetitions;
    return ms;
}

long peakRssMb()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

struct Row
{
    QString what;
    double ours;
    double raw;
    QString target;
    double trips = -1; // per repetition; negative without the proxy
};

// The same statements straight through the database's own client library
// (SQLite's C API, or libpq for a PostgreSQL server), on a connection of its own.
class Raw
{
public:
    explicit Raw(const DatabaseTarget &target)
    {
        if (target.backend == Backend::SQLite) {
            sqlite3_open_v2(target.filePath.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
            return;
        }
        const QByteArray host = target.host.toUtf8(), port = QByteArray::number(target.port),
                         name = target.name.toUtf8(), user = target.user.toUtf8(), password = target.password.toUtf8();
        std::vector<const char *> keys{"host", "port", "dbname", "user", "client_encoding"};
        std::vector<const char *> values{host.constData(), port.constData(), name.constData(), user.constData(), "UTF8"};
        if (!password.isEmpty()) {
            keys.push_back("password");
            values.push_back(password.constData());
        }
        keys.push_back(nullptr);
        values.push_back(nullptr);
        m_pg = PQconnectdbParams(keys.data(), values.data(), 0);
        if (PQstatus(m_pg) != CONNECTION_OK)
            std::fprintf(stderr, "raw libpq connection: %s", PQerrorMessage(m_pg));
    }
    ~Raw()
    {
        if (m_pg)
            PQfinish(m_pg);
        else
            sqlite3_close(m_db);
    }

    // Reads n rows (all of them when n < 0) of a statement, every column by
    // its own type (a number as a number, a text as text), as a program that
    // keeps the rows would; returns the row where the column `stopColumn`
    // first equals stopValue, or the number of rows read.
    int read(const char *sql, int n, int stopColumn = -1, qint64 stopValue = 0, bool asText = false)
    {
        if (m_pg)
            return readPg(sql, n, stopColumn, stopValue, asText);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr);
        int rows = 0;
        size_t bytes = 0;
        while ((n < 0 || rows < n) && sqlite3_step(st) == SQLITE_ROW) {
            if (stopColumn >= 0) {
                if (sqlite3_column_int64(st, stopColumn) == stopValue)
                    break;
            } else {
                for (int c = 0; c < sqlite3_column_count(st); ++c) {
                    switch (asText ? SQLITE_TEXT : sqlite3_column_type(st, c)) {
                    case SQLITE_INTEGER: bytes += size_t(sqlite3_column_int64(st, c) & 1); break;
                    case SQLITE_FLOAT: bytes += size_t(sqlite3_column_double(st, c) > 0); break;
                    case SQLITE_NULL: break;
                    default:
                        sqlite3_column_text(st, c);
                        bytes += size_t(sqlite3_column_bytes(st, c));
                    }
                }
            }
            ++rows;
        }
        sqlite3_finalize(st);
        m_sink += bytes;
        return rows;
    }

    void exec(const char *sql, qint64 a, qint64 b)
    {
        if (m_pg) {
            const QByteArray text = pgText(sql), pa = QByteArray::number(a), pb = QByteArray::number(b);
            const char *values[] = {pa.constData(), pb.constData()};
            const int params = text.contains("$2") ? 2 : text.contains("$1") ? 1 : 0;
            PQclear(PQexecParams(m_pg, text.constData(), params, nullptr, values, nullptr, nullptr, 0));
            return;
        }
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr);
        sqlite3_bind_int64(st, 1, a);
        sqlite3_bind_int64(st, 2, b);
        sqlite3_step(st);
        sqlite3_finalize(st);
    }

private:
    // The statements are written for SQLite; PostgreSQL numbers parameters
    // "$1" and names the few SQLite functions otherwise.
    static QByteArray pgText(const char *sql)
    {
        QByteArray text(sql);
        text.replace("?1", "$1").replace("?2", "$2").replace("last_insert_rowid()", "(SELECT lastval())");
        text.replace("sqlite_master", "pg_catalog.pg_tables");
        return text;
    }

    // Through a cursor in chunks, as a client that keeps a long list would
    // read it (the whole result at once would cost its size in memory).
    int readPg(const char *sql, int n, int stopColumn, qint64 stopValue, bool asText)
    {
        const bool own = PQtransactionStatus(m_pg) == PQTRANS_IDLE;
        if (own)
            PQclear(PQexec(m_pg, "BEGIN READ ONLY"));
        PQclear(PQexec(m_pg, "DECLARE vx_raw NO SCROLL CURSOR FOR " + pgText(sql)));
        int rows = 0;
        size_t bytes = 0;
        bool done = false;
        while (!done && (n < 0 || rows < n)) {
            const int want = n < 0 ? 10000 : std::min(10000, n - rows);
            PGresult *r = PQexec(m_pg, QByteArray("FETCH FORWARD " + QByteArray::number(want) + " FROM vx_raw").constData());
            const int got = PQresultStatus(r) == PGRES_TUPLES_OK ? PQntuples(r) : 0;
            done = got < want;
            for (int i = 0; i < got; ++i, ++rows) {
                if (stopColumn >= 0) {
                    if (std::strtoll(PQgetvalue(r, i, stopColumn), nullptr, 10) == stopValue) {
                        done = true;
                        break;
                    }
                    continue;
                }
                for (int c = 0; c < PQnfields(r); ++c) {
                    if (PQgetisnull(r, i, c))
                        continue;
                    const char *v = PQgetvalue(r, i, c);
                    switch (asText ? 0 : PQftype(r, c)) {
                    case 20: case 21: case 23: bytes += size_t(std::strtoll(v, nullptr, 10) & 1); break;
                    case 700: case 701: case 1700: bytes += size_t(std::strtod(v, nullptr) > 0); break;
                    default: bytes += size_t(PQgetlength(r, i, c));
                    }
                }
            }
            PQclear(r);
        }
        PQclear(PQexec(m_pg, "CLOSE vx_raw"));
        if (own)
            PQclear(PQexec(m_pg, "COMMIT"));
        m_sink += bytes;
        return rows;
    }

    sqlite3 *m_db = nullptr;
    PGconn *m_pg = nullptr;
    size_t m_sink = 0;
};

int fail(const QString &message)
{
    std::fprintf(stderr, "vexaro-bench: %s\n", qPrintable(message));
    return 1;
}

// Runs vexaro-shopgen on the shop folder; its exit code, or -1 when it did not run to the end.
int runShopGen(const QString &shop, const QString &databaseUrl, QStringList arguments)
{
    if (!databaseUrl.isEmpty())
        arguments << QStringLiteral("--database") << databaseUrl;
    QProcess gen;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VEXARO_HOME"), shop);
    env.remove(QStringLiteral("VEXARO_DATABASE"));
    gen.setProcessEnvironment(env);
    gen.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    gen.start(QApplication::applicationDirPath() + QStringLiteral("/vexaro-shopgen"), arguments);
    if (!gen.waitForFinished(-1) || gen.exitStatus() != QProcess::NormalExit)
        return -1;
    return gen.exitCode();
}

// A shop is reused only when a generation of this size finished in it; a
// half-written one (an interrupted run) is thrown away and made again.
bool ensureShop(const QString &shop, const QString &file, const QString &databaseUrl, const QString &size)
{
    const QStringList sizeArgs{QStringLiteral("--size"), size};
    if (!databaseUrl.isEmpty()) {
        // A server's database is not thrown away here: the generator fills
        // only an empty one, and says so otherwise.
        if (runShopGen(shop, databaseUrl, QStringList{QStringLiteral("--check")} + sizeArgs) == 0)
            return true;
        std::fprintf(stderr, "Generating a size-%s shop in %s ...\n", qPrintable(size), qPrintable(databaseUrl));
        return runShopGen(shop, databaseUrl, sizeArgs) == 0;
    }
    if (QFileInfo::exists(file)) {
        if (runShopGen(shop, databaseUrl, QStringList{QStringLiteral("--check")} + sizeArgs) == 0)
            return true;
        std::fprintf(stderr, "The shop in %s is not a whole size-%s shop; generating it again.\n", qPrintable(shop),
                     qPrintable(size));
    }
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(file + QLatin1StringView(suffix));
    std::fprintf(stderr, "Generating a size-%s shop in %s ...\n", qPrintable(size), qPrintable(shop));
    if (runShopGen(shop, databaseUrl, sizeArgs) == 0)
        return true;
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(file + QLatin1StringView(suffix));
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("vexaro-bench: times what the clerk waits for on a generated shop, "
                                                    "beside the same SQL run directly, and prints a table of medians."));
    CommandLine::addHelpAndVersion(parser);
    const QCommandLineOption sizeOption(QStringLiteral("size"), QStringLiteral("The shop's size: S, M or L (default L)."),
                                        QStringLiteral("S|M|L"));
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Timings per step (default 7)."),
                                        QStringLiteral("N"));
    const QCommandLineOption shopOption(QStringLiteral("shop"),
                                        QStringLiteral("The folder the shop is generated into once and reused from "
                                                       "(default: vexaro-bench-<size> in the temporary folder)."),
                                        QStringLiteral("folder"));
    const QCommandLineOption databaseOption(QStringLiteral("database"),
                                            QStringLiteral("The shop on a PostgreSQL server, "
                                                           "postgresql://user@host:port/database (generated there when "
                                                           "empty); the raw column then uses libpq."),
                                            QStringLiteral("address"));
    const QCommandLineOption latencyOption(QStringLiteral("latency-ms"),
                                           QStringLiteral("With --database: every connection goes through a proxy "
                                                          "that adds N ms to each round trip (fractions allowed, 0 "
                                                          "adds nothing), and the table counts our round trips."),
                                           QStringLiteral("N"));
    const QCommandLineOption postingsOption(QStringLiteral("postings"),
                                            QStringLiteral("Rentals posted and timed in the rent window (default 200)."),
                                            QStringLiteral("N"));
    parser.addOptions({sizeOption, runsOption, postingsOption, shopOption, databaseOption, latencyOption});
    const QString epilogue = QStringLiteral("VEXARO_HOME and VEXARO_DATABASE are not read: the shop is the one in "
                                            "--shop, or on --database's server.\n");
    if (const auto status = CommandLine::answer(parser, parser.parse(QApplication::arguments()), epilogue))
        return *status;
    if (!parser.positionalArguments().isEmpty())
        return CommandLine::usageError(
            parser, QStringLiteral("Unknown argument \"%1\".").arg(parser.positionalArguments().constFirst()), epilogue);
    const QString size = parser.isSet(sizeOption) ? parser.value(sizeOption).toUpper() : QStringLiteral("L");
    const int runs = parser.isSet(runsOption) ? std::max(1, parser.value(runsOption).toInt()) : 7;
    int postings = 200;
    if (parser.isSet(postingsOption)) {
        bool ok = false;
        postings = parser.value(postingsOption).toInt(&ok);
        if (!ok || postings < 1)
            return CommandLine::usageError(
                parser, QStringLiteral("--postings needs a whole number of 1 or more, not \"%1\".").arg(parser.value(postingsOption)),
                epilogue);
    }
    double latencyMs = -1; // no proxy
    if (parser.isSet(latencyOption)) {
        bool ok = false;
        latencyMs = parser.value(latencyOption).toDouble(&ok);
        if (!ok || !std::isfinite(latencyMs) || latencyMs < 0)
            return CommandLine::usageError(
                parser,
                QStringLiteral("--latency-ms needs a number of milliseconds, 0 or more, not \"%1\".").arg(parser.value(latencyOption)),
                epilogue);
        if (!parser.isSet(databaseOption))
            return CommandLine::usageError(
                parser, QStringLiteral("--latency-ms needs --database: the latency is that of a PostgreSQL server's network."),
                epilogue);
    }
    QString shop = parser.value(shopOption);
    const QString databaseUrl = parser.value(databaseOption); // a PostgreSQL server instead of the shop folder's SQLite file
    if (shop.isEmpty())
        shop = QDir::tempPath() + QStringLiteral("/vexaro-bench-") + size;
    const QString file = shop + QStringLiteral("/Database/CD.db");
    DatabaseTarget target = DatabaseTarget::sqliteFile(file);
    if (!databaseUrl.isEmpty()) {
        QString why;
        const auto server = DatabaseTarget::fromUrl(databaseUrl, &why);
        if (!server)
            return fail(why);
        target = *server;
    }

    // Two benchmarks on one shop would time each other, and the second would
    // reuse a shop the first is still writing: one at a time per shop.
    QDir().mkpath(shop);
    QLockFile lock(shop + QStringLiteral("/vexaro-bench.lock"));
    lock.setStaleLockTime(0); // held for the whole run, however long; a dead holder's lock is taken over
    if (!lock.tryLock(0)) {
        qint64 pid = 0;
        QString host, app;
        lock.getLockInfo(&pid, &host, &app);
        return fail(QStringLiteral("another vexaro-bench (process %1) is using the shop in %2; wait for it to finish "
                                   "or give this one another --shop folder")
                        .arg(pid)
                        .arg(shop));
    }
    if (!ensureShop(shop, file, databaseUrl, size))
        return fail(QStringLiteral("generating the shop failed"));

    // From here on every connection goes to the server through the proxy: the
    // shop was generated and checked straight (the generator is not timed).
    // Changing the target is enough for ours and the raw column's, and for
    // the lists' own connections, which take the server from ours; the
    // started program is given the proxy's address.
    const QString serverDescription = target.describe();
    QString programDatabaseUrl = databaseUrl;
    std::unique_ptr<LatencyProxy> latencyProxy;
    if (latencyMs >= 0) {
        latencyProxy = std::make_unique<LatencyProxy>(target.host.toStdString(), target.port, latencyMs);
        std::string why;
        if (!latencyProxy->start(&why))
            return fail(QStringLiteral("the latency proxy could not listen: %1").arg(QString::fromStdString(why)));
        proxy = latencyProxy.get();
        target.host = QStringLiteral("127.0.0.1");
        target.port = latencyProxy->port();
        QUrl url;
        url.setScheme(QStringLiteral("postgresql"));
        url.setUserName(target.user);
        url.setPassword(target.password);
        url.setHost(target.host);
        url.setPort(target.port);
        url.setPath(QLatin1Char('/') + target.name);
        programDatabaseUrl = url.toString(QUrl::FullyEncoded);
    }

    std::vector<Row> table;
    QString error;

    // The program itself: process start to the login window on screen, and
    // from "Ok" with the default account to the frame ready for work.
    {
        std::vector<double> toLogin, toReady;
        // The round trips of the whole run of the program (it ends itself
        // once the frame is ready): the two steps share one process.
        Trips trips;
        for (int i = 0; i < runs; ++i) {
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("VEXARO_HOME"), shop);
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            if (databaseUrl.isEmpty())
                env.remove(QStringLiteral("VEXARO_DATABASE"));
            else
                env.insert(QStringLiteral("VEXARO_DATABASE"), programDatabaseUrl);
            p.setProcessEnvironment(env);
            const std::int64_t before = proxy ? proxy->roundTrips() : 0;
            QElapsedTimer t;
            t.start();
            p.start(QApplication::applicationDirPath() + QStringLiteral("/../vexaro"), {QStringLiteral("--startup-probe")});
            while (p.state() != QProcess::NotRunning || p.canReadLine()) {
                if (!p.canReadLine() && !p.waitForReadyRead(30000))
                    break;
                while (p.canReadLine()) {
                    const QByteArray line = p.readLine().trimmed();
                    if (line == "login-shown")
                        toLogin.push_back(double(t.nsecsElapsed()) / 1e6);
                    else if (line.startsWith("ready "))
                        toReady.push_back(line.mid(6).toDouble());
                }
            }
            p.waitForFinished(30000);
            trips.total += (proxy ? proxy->roundTrips() : 0) - before;
            ++trips.repetitions;
        }
        table.push_back({QStringLiteral("process start to the login window shown"), medianMs(toLogin), 0,
                         QStringLiteral("<= 400 ms"), trips.perRepetition()});
        table.push_back({QStringLiteral("login (Ok, default account) to the frame ready"), medianMs(toReady), 0,
                         QStringLiteral("<= 150 ms"), trips.perRepetition()});
    }

    // Start-up: the connection with its checks, and both data modules.
    std::vector<double> startup;
    Trips startupTrips;
    for (int i = 0; i < runs; ++i) {
        startup.push_back(timeOurs(startupTrips, [&] {
            if (!Database::open(target, Database::ConnectionName, &error))
                std::fprintf(stderr, "%s\n", qPrintable(error));
            TDm1 dm1;
            TDm2 dm2;
        }));
        if (i + 1 < runs)
            Database::close(Database::ConnectionName);
    }
    TDm1 dm1;
    TDm2 dm2;
    Raw raw(target);
    std::vector<double> rawOpen;
    for (int i = 0; i < runs; ++i)
        rawOpen.push_back(timeMs([&] { Raw r(target); r.read("SELECT count(*) FROM sqlite_master", -1); }));
    table.push_back({QStringLiteral("start-up: open the database, create Dm1 and Dm2"), medianMs(startup), medianMs(rawOpen), QString(),
                     startupTrips.perRepetition()});

    const char *listSql = "Select * from Hareket order by ID Desc";
    DataSet ds(QStringLiteral("Hareket"));
    ds.setSql(QString::fromLatin1(listSql));
    DataSetModel model(&ds);

    // Open the transaction list and show its first 40 rows.
    std::vector<double> ours, theirs;
    Trips trips;
    for (int i = 0; i < runs; ++i) {
        ds.close();
        ours.push_back(timeOurs(trips, [&] {
            ds.open();
            for (int r = 0; r < 40; ++r)
                for (int c = 0; c < model.columnCount(); ++c)
                    model.data(model.index(r, c));
        }));
        // Showing is text: SQLite's own text of every value stands for what a
        // grid would paint.
        theirs.push_back(timeMs([&] { raw.read(listSql, 40, -1, 0, true); }));
    }
    table.push_back({QStringLiteral("open Hareket (1 row per transaction), show first 40 rows"), medianMs(ours), medianMs(theirs),
                     QStringLiteral("<= 100 ms, <= 1.3x raw"), trips.perRepetition()});

    // Scroll to the last row.
    ours.clear();
    theirs.clear();
    trips = {};
    for (int i = 0; i < runs; ++i) {
        ds.close();
        ds.open();
        ours.push_back(timeOurs(trips, [&] {
            ds.last();
            for (int c = 0; c < model.columnCount(); ++c)
                model.data(model.index(ds.recNo(), c));
        }));
        theirs.push_back(timeMs([&] { raw.read(listSql, -1); }));
    }
    const int total = ds.recordCount();
    table.push_back({QStringLiteral("scroll to the last row (%1 rows)").arg(total), medianMs(ours), medianMs(theirs),
                     QStringLiteral("<= 1000 ms"), trips.perRepetition()});

    // Locate the first transaction of the customer whose newest one lies
    // furthest down the list.
    Dm1->Temp->setSql(QStringLiteral("Select MusteriNo, Max(ID) as Son from Hareket Group by MusteriNo Order by Son Limit 1"));
    Dm1->Temp->open();
    const qint64 customer = Dm1->Temp->value(QStringLiteral("MusteriNo")).toLongLong();
    Dm1->Temp->close();
    ours.clear();
    theirs.clear();
    trips = {};
    int foundAt = -1;
    for (int i = 0; i < runs; ++i) {
        ds.close();
        ds.open();
        ours.push_back(timeOurs(trips, [&] { ds.locate(QStringLiteral("MusteriNo"), customer); }));
        foundAt = ds.recNo();
        theirs.push_back(timeMs([&] { raw.read("Select * from Hareket order by ID Desc", -1, 2, customer); }));
    }
    table.push_back({QStringLiteral("locate a customer's first transaction (row %1)").arg(foundAt), medianMs(ours),
                     medianMs(theirs), QString(), trips.perRepetition()});

    // Post an edit of one row.
    ours.clear();
    theirs.clear();
    trips = {};
    ds.close();
    ds.open();
    const qint64 id = ds.value(QStringLiteral("ID")).toLongLong();
    for (int i = 0; i < runs; ++i) {
        ours.push_back(timeOurs(trips, [&] {
            ds.edit();
            ds.setValue(QStringLiteral("KiralamaGun"), 1 + i % 7);
            ds.post();
        }));
        theirs.push_back(timeMs([&] { raw.exec("UPDATE Hareket SET KiralamaGun=?1 WHERE ID=?2", 1 + (i + 3) % 7, id); }));
    }
    table.push_back({QStringLiteral("post an edit of one transaction"), medianMs(ours), medianMs(theirs), QStringLiteral("<= 5 ms"),
                     trips.perRepetition()});
    ds.close();

    // The cash-box ledger report over the newest 5,000 ledger rows: kept as a
    // PDF file (every page written), and shown in the print preview (the
    // clerk waits until the first page is on screen; the preview lays out
    // every page before it shows one).
    {
        Dm1->Temp->setSql(QStringLiteral("Select Max(ID) as M from Kasa"));
        Dm1->Temp->open();
        const qint64 from = Dm1->Temp->value(QStringLiteral("M")).toLongLong() - 5000;
        Dm1->Temp->close();
        const QByteArray ledgerSql = QByteArray("Select * from Kasa Where ID > ") + QByteArray::number(from);
        auto openLedger = [&] {
            DataSet *data = Dm2->RaporTemp;
            data->close();
            data->setSql(QStringLiteral("Select * from Kasa Where ID > :m"));
            data->setParameter(QStringLiteral("m"), from);
            if (!data->open())
                std::fprintf(stderr, "%s\n", qPrintable(data->lastError()));
        };
        QTemporaryDir dir;
        std::vector<double> pdf, preview, rawLedger;
        Trips pdfTrips, previewTrips;
        int pages = 0, previewPages = 0;
        for (int i = 0; i < runs; ++i) {
            Dm2->RaporTemp->close();
            pdf.push_back(timeOurs(pdfTrips, [&] {
                openLedger();
                TReport1 report;
                report.KasaRP.setParam(QStringLiteral("PeriodBegin"), QStringLiteral("-"));
                report.KasaRP.setParam(QStringLiteral("PeriodEnd"), QStringLiteral("-"));
                if (!report.KasaRP.writePdf(dir.filePath(QStringLiteral("ledger.pdf")), &pages))
                    std::fprintf(stderr, "the ledger PDF could not be written\n");
            }));
            Dm2->RaporTemp->close();
            preview.push_back(timeOurs(previewTrips, [&] {
                openLedger();
                TReport1 report;
                QPrinter printer(QPrinter::HighResolution);
                printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), report.KasaRP.orientation,
                                                  QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
                QPrintPreviewDialog dialog(&printer);
                QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                                 [&report](QPrinter *p) { report.KasaRP.paint(p); });
                dialog.resize(1000, 760);
                dialog.show();
                QPrintPreviewWidget *widget = dialog.findChild<QPrintPreviewWidget *>();
                QElapsedTimer wait;
                wait.start();
                while (widget && widget->pageCount() == 0 && wait.elapsed() < 60000)
                    QApplication::processEvents(QEventLoop::AllEvents, 10);
                previewPages = widget ? widget->pageCount() : 0;
                dialog.hide();
            }));
            rawLedger.push_back(timeMs([&] { raw.read(ledgerSql.constData(), -1); }));
        }
        Dm2->RaporTemp->close();
        table.push_back({QStringLiteral("ledger report, 5,000 rows: preview to the first page (%1 pp.)").arg(previewPages),
                         medianMs(preview), medianMs(rawLedger), QStringLiteral("<= 1000 ms"), previewTrips.perRepetition()});
        table.push_back({QStringLiteral("ledger report, 5,000 rows: write the whole PDF (%1 pp.)").arg(pages),
                         medianMs(pdf), medianMs(rawLedger), QStringLiteral("<= 2000 ms"), pdfTrips.perRepetition()});
    }

    // The catalogue: the CD definitions window opened and drawn, a filter
    // applied in it, and the navigator opened on its plain list and on the
    // list grouped by medium.
    {
        auto settle = [] { QApplication::processEvents(); };
        std::vector<double> open, filter, rawOpen, rawFilter;
        Trips openTrips, filterTrips;
        for (int i = 0; i < runs; ++i) {
            open.push_back(timeOurs(openTrips, [&] {
                OpenCDDefinitions();
                settle();
            }));
            TFrmCDTanim *w = FrmCDTanim;
            w->ComboBox1->setCurrentIndex(w->ComboBox1->findText(QStringLiteral("DVD")));
            filter.push_back(timeOurs(filterTrips, [&] {
                w->SpeedButton1->click();
                settle();
            }));
            w->SpeedButton1->click();
            w->close();
            delete FrmCDTanim.data();
            settle();
            rawOpen.push_back(timeMs([&] {
                raw.read("Select Count(*) from CD", -1);
                raw.read(" Select * from CD  Order by FilmAdi ", 40);
            }));
            rawFilter.push_back(timeMs([&] { raw.read(" Select * from CD Where CdTur='DVD' order by filmadi ", 40); }));
        }
        table.push_back({QStringLiteral("CD definitions: open the window"), medianMs(open), medianMs(rawOpen),
                         QStringLiteral("<= 150 ms"), openTrips.perRepetition()});
        table.push_back({QStringLiteral("CD definitions: filter by medium (DVD)"), medianMs(filter), medianMs(rawFilter),
                         QStringLiteral("<= 150 ms"), filterTrips.perRepetition()});

        std::vector<double> all, byType, rawAll;
        Trips allTrips, byTypeTrips;
        for (int i = 0; i < runs; ++i) {
            all.push_back(timeOurs(allTrips, [&] {
                OpenNavigator();
                settle();
            }));
            FrmNavigator->close();
            delete FrmNavigator.data();
            byType.push_back(timeOurs(byTypeTrips, [&] {
                TFrmNavigator *n = OpenNavigator();
                n->ComboBox1->setCurrentIndex(8);
                emit n->ComboBox1->activated(8);
                settle();
            }));
            FrmNavigator->close();
            delete FrmNavigator.data();
            settle();
            rawAll.push_back(timeMs([&] { raw.read("Select * from CD Order by FilmAdi", -1); }));
        }
        table.push_back({QStringLiteral("navigator: open in \"All llist\""), medianMs(all), medianMs(rawAll),
                         QStringLiteral("<= 400 ms"), allTrips.perRepetition()});
        table.push_back({QStringLiteral("navigator: open in \"According to CD type\""), medianMs(byType), medianMs(rawAll),
                         QStringLiteral("<= 400 ms"), byTypeTrips.perRepetition()});
    }

    // Rent and sell: opening the window, a rental entered and posted end to
    // end (the clerk answers No to the next rental), the filter switched to
    // every rental.
    {
        struct AnswerNo : PromptService
        {
            Answer ask(Icon, Buttons b, const QString &, const QString &) override
            {
                return b == Buttons::YesNo ? Answer::No : Answer::Ok;
            }
        };
        auto previous = PromptService::install(std::make_unique<AnswerNo>());
        auto settle = [] { QApplication::processEvents(); };
        TariffCache::instance().GunlukDVD_Kira = Money::fromUnits(3);
        TariffCache::instance().UyeGunlukDVD_Kira = Money::fromUnits(2);
        std::vector<double> open, rawOpenRent;
        Trips openTrips;
        for (int i = 0; i < runs; ++i) {
            open.push_back(timeOurs(openTrips, [&] {
                OpenRentWindow();
                settle();
            }));
            FrmCDKira->close();
            delete FrmCDKira.data();
            settle();
            rawOpenRent.push_back(timeMs([&] {
                raw.read("Select * from Musteri Order by ID", -1);
                raw.read("Select * from CD Order By ID", -1);
                raw.read(" Select * from Hareket  where CDDurum=0  order by ID Desc", 40);
                raw.read(" Select FilmAdi from CD ", -1);
                raw.read(" Select AdSoyad from Musteri ", -1);
            }));
        }
        table.push_back({QStringLiteral("rent window: open"), medianMs(open), medianMs(rawOpenRent),
                         QStringLiteral("<= 150 ms"), openTrips.perRepetition()});

        // Enough copies on the shelf for every posting.
        Dm1->Temp->setSql(QStringLiteral("Update CD set Stok=Stok+1000 where CDTur='DVD'"));
        Dm1->Temp->execSql();
        TFrmCDKira *w = OpenRentWindow();
        settle();
        auto choose = [](QComboBox *box, int index) {
            box->setCurrentIndex(index);
            emit box->activated(index);
        };
        const int dvd = w->DBComboBox2->findText(QStringLiteral("DVD"));
        std::vector<double> post, rawPost, postOnly;
        Trips postTrips, postOnlyTrips;
        qint64 titleId = 0, customerId = 0;
        for (int i = 0; i < postings; ++i) {
            // The whole action, and within it the Post alone: the write and
            // the lists on screen shown anew.
            post.push_back(timeOurs(postTrips, [&] {
                w->tbNew->click();
                choose(w->DBLookupComboBox1, 1 + i % 50);
                choose(w->DBComboBox2, dvd);
                choose(w->DBLookupComboBox2, 1 + i % 50);
                postOnly.push_back(timeOurs(postOnlyTrips, [&] {
                    w->ToolButton1->click();
                    settle();
                }));
            }));
            if (Dm1->Hareket->state() != DataSet::State::Browse)
                w->tbReport->click();
            titleId = Dm1->Hareket->value(QStringLiteral("CdNo")).toLongLong();
            customerId = Dm1->Hareket->value(QStringLiteral("MusteriNo")).toLongLong();
        }
        // The statements of one posting, straight through SQLite in one transaction.
        for (int i = 0; i < postings; ++i) {
            rawPost.push_back(timeMs([&] {
                raw.exec("BEGIN", 0, 0);
                raw.exec("Update CD Set KiralamaSayi=KiralamaSayi+1 Where ID=?1", titleId, 0);
                raw.exec("Insert Into Hareket (IslemTur, MusteriNo, CdNo, FilmTuru, KiraTarih, KiralamaGun, GelecekTarih, "
                         "SatisFiyat, TopTutar, Veresiye, IslemTarih, Kayit) Values ('Rent', ?1, ?2, 'DVD', '2024-03-01', 1, "
                         "'2024-03-02', 30000, 30000, 0, '2024-03-01 10:00:00', 0)", customerId, titleId);
                raw.read("Select Count(*) as CounterX from Kasa Where HareketID=last_insert_rowid()", -1);
                raw.exec("Insert Into Kasa (HareketID, CDID, MusteriID, Islem, Borc, Alacak, Tarih, Saat, Aciklama) Values "
                         "(last_insert_rowid(), ?1, ?2, 'DVD Rent', 30000, 0, '2024-03-01', '2024-03-01 10:00:00', 'Rent / x')",
                         titleId, customerId);
                raw.exec("Update CD Set Stok=Stok-1 where ID=?1 and Stok>0", titleId, 0);
                raw.exec("COMMIT", 0, 0);
            }));
        }
        table.push_back({QStringLiteral("rent window: New, customer, type, title, Post (%1 postings)").arg(postings),
                         medianMs(post), medianMs(rawPost), QStringLiteral("<= 25 ms, <= 1.5x raw"), postTrips.perRepetition()});
        table.push_back({QStringLiteral("rent window: Post alone (the write, the lists shown anew)"), medianMs(postOnly),
                         medianMs(rawPost), QString(), postOnlyTrips.perRepetition()});

        std::vector<double> filter, rawFilter;
        Trips filterTrips;
        w->ComboBox2->setCurrentIndex(w->ComboBox2->findText(QStringLiteral("Rent")));
        w->Check2->setChecked(false);
        for (int i = 0; i < runs; ++i) {
            filter.push_back(timeOurs(filterTrips, [&] {
                w->SpeedButton4->click();
                settle();
            }));
            w->SpeedButton4->click();
            settle();
            rawFilter.push_back(timeMs([&] { raw.read(" Select * from Hareket Where IslemTur='Rent' order by ID Desc", 40); }));
        }
        table.push_back({QStringLiteral("rent window: filter on, every rental (first rows)"), medianMs(filter),
                         medianMs(rawFilter), QStringLiteral("<= 300 ms, <= 200 MB"), filterTrips.perRepetition()});
        w->close();
        delete FrmCDKira.data();
        settle();
        PromptService::install(std::move(previous));
    }

    // The out-on-rent check window on each of its reports, and a return
    // taken from it end to end: "CD Return", "Returned CD", "Ok".
    {
        struct AnswerYes : PromptService
        {
            Answer ask(Icon, Buttons b, const QString &, const QString &) override
            {
                return b == Buttons::YesNo ? Answer::Yes : Answer::Ok;
            }
        };
        auto previous = PromptService::install(std::make_unique<AnswerYes>());
        auto settle = [] { QApplication::processEvents(); };
        for (int report = 1; report <= 6; ++report) {
            std::vector<double> open;
            Trips trips;
            for (int i = 0; i < runs; ++i) {
                open.push_back(timeOurs(trips, [&] {
                    TFrmCDKontrol *w = OpenCheckWindow();
                    w->RadioGroup1->button(report - 1)->setChecked(true);
                    w->showReport(report);
                    settle();
                }));
                FrmCDKontrol->close();
                delete FrmCDKontrol.data();
                settle();
            }
            table.push_back({QStringLiteral("check window: open on \"%1\"").arg(TFrmCDKontrol::ReportNames.value(report - 1)),
                             medianMs(open), 0, QStringLiteral("<= 150 ms"), trips.perRepetition()});
        }
        // Returns are taken from the discs due today. A shop the benchmark
        // ran on before has taken those back: the newest rentals out are then
        // made due today, so that there are always enough to take back.
        Dm1->Temp->setSql(QStringLiteral("Select Count(*) as N from Hareket where GelecekTarih=:T and CDDurum=0 and IslemTur='Rent'"));
        Dm1->Temp->setParameter(QStringLiteral("T"), QDate::currentDate());
        Dm1->Temp->open();
        const int dueToday = Dm1->Temp->value(QStringLiteral("N")).toInt();
        Dm1->Temp->close();
        if (dueToday < 40) {
            Dm1->Temp->setSql(QStringLiteral("Update Hareket Set GelecekTarih=:T Where ID In (Select ID From Hareket "
                                             "Where IslemTur='Rent' and CDDurum=0 Order By ID Desc Limit 40)"));
            Dm1->Temp->setParameter(QStringLiteral("T"), QDate::currentDate());
            Dm1->Temp->execSql();
        }
        TFrmCDKontrol *w = OpenCheckWindow();
        w->RadioGroup1->button(0)->setChecked(true);
        w->showReport(1);
        settle();
        std::vector<double> giveBack;
        Trips giveBackTrips;
        for (int i = 0; i < std::max(runs, 20) && !Dm1->CDKontrol->isEmpty(); ++i) {
            Dm1->CDKontrol->moveTo(i);
            // The clerk's part inside the modal window: tick, then Ok.
            auto *act = new QTimer;
            QObject::connect(act, &QTimer::timeout, act, [act] {
                if (!FrmCdIade || !FrmCdIade->isVisible())
                    return;
                act->stop();
                act->deleteLater();
                FrmCdIade->DBCheckBox1->setChecked(true);
                FrmCdIade->BitBtn1->click();
                if (FrmCdIade)
                    FrmCdIade->close();
            });
            act->start(0);
            giveBack.push_back(timeOurs(giveBackTrips, [&] {
                w->ToolButton1->click();
                settle();
            }));
        }
        table.push_back({QStringLiteral("check window: CD Return, Returned CD, Ok (%1 returns)").arg(giveBack.size()),
                         medianMs(giveBack), 0, QStringLiteral("<= 30 ms"), giveBackTrips.perRepetition()});
        w->close();
        delete FrmCDKontrol.data();
        settle();
        PromptService::install(std::move(previous));
    }

    // The cash box: the window opened on a period (list and totals), the
    // charts for a year, the ledger report of a month as a PDF.
    {
        auto settle = [] { QApplication::processEvents(); };
        Dm1->Temp->setSql(QStringLiteral("Select Max(Tarih) as M from Kasa"));
        Dm1->Temp->open();
        const QDate last = Dm1->Temp->value(QStringLiteral("M")).toDateTime().date();
        Dm1->Temp->close();
        const struct { const char *name; QDate first; } periods[] = {
            {"a day", last}, {"a month", last.addMonths(-1).addDays(1)}, {"a year", last.addYears(-1).addDays(1)}};
        for (const auto &p : periods) {
            std::vector<double> ours, theirs;
            Trips trips;
            // The same statements the window runs: the period's stretch of the
            // ledger backwards, and its totals from the day sums.
            const QByteArray period = QByteArray(" Tarih Between '") + p.first.toString(Qt::ISODate).toLatin1() + "' and '"
                                      + last.toString(Qt::ISODate).toLatin1() + " 23:59:59' ";
            const QByteArray rawSql = "Select * from Kasa Where" + period + "and ID >= (Select Min(IlkID) From KasaGun Where"
                                      + period + ") and ID <= (Select Max(SonID) From KasaGun Where" + period
                                      + ") Order By ID Desc";
            const QByteArray rawSum = "Select Sum(Alacak), Sum(Borc) from KasaGun Where" + period;
            for (int i = 0; i < runs; ++i) {
                ours.push_back(timeOurs(trips, [&] {
                    TFrmKasaHareket *w = OpenCashBox();
                    w->Picker1->setDate(p.first);
                    w->Picker2->setDate(last);
                    w->SpeedButton1->click();
                    settle();
                }));
                FrmKasaHareket->close();
                delete FrmKasaHareket.data();
                settle();
                theirs.push_back(timeMs([&] {
                    raw.read(rawSql.constData(), 40);
                    raw.read(rawSum.constData(), -1);
                }));
            }
            table.push_back({QStringLiteral("cash box: open on %1, list and totals").arg(QLatin1StringView(p.name)),
                             medianMs(ours), medianMs(theirs), QStringLiteral("<= 150 ms"), trips.perRepetition()});
        }
        const QDate yearFirst = last.addYears(-1).addDays(1);
        TFrmGrafik *charts = OpenGraphics();
        charts->Picker1->setDate(yearFirst);
        charts->Picker2->setDate(last);
        for (int chart = 0; chart < 5; ++chart) {
            std::vector<double> ours;
            Trips trips;
            for (int i = 0; i < runs; ++i) {
                charts->TreeView1->clearSelection();
                ours.push_back(timeOurs(trips, [&] {
                    charts->TreeView1->setCurrentItem(charts->TreeView1->topLevelItem(chart));
                    settle();
                }));
            }
            table.push_back({QStringLiteral("chart for a year: %1").arg(charts->TreeView1->topLevelItem(chart)->text(0)),
                             medianMs(ours), 0, QStringLiteral("<= 150 ms"), trips.perRepetition()});
        }
        charts->close();
        delete FrmGrafik.data();
        settle();
        QTemporaryDir dir;
        std::vector<double> pdf;
        Trips pdfTrips;
        int pages = 0;
        const LedgerPeriod month{last.addMonths(-1).addDays(1), last, LedgerKind::All};
        for (int i = 0; i < runs; ++i) {
            pdf.push_back(timeOurs(pdfTrips, [&] {
                LedgerData::prepareReport(Dm2->RaporTemp, month);
                TReport1 report;
                report.KasaRP.setParam(QStringLiteral("PeriodBegin"), Format::shortDate(month.first));
                report.KasaRP.setParam(QStringLiteral("PeriodEnd"), Format::shortDate(month.last));
                report.KasaRP.writePdf(dir.filePath(QStringLiteral("month.pdf")), &pages);
                Dm2->RaporTemp->close();
            }));
        }
        table.push_back({QStringLiteral("ledger report of a month: write the PDF (%1 pp.)").arg(pages), medianMs(pdf), 0,
                         QStringLiteral("<= 2000 ms"), pdfTrips.perRepetition()});
    }

    const QString through = proxy ? QStringLiteral(", through a proxy adding %1 ms per round trip").arg(latencyMs) : QString();
    std::printf("VEXARO benchmark, size %s shop (%s), median of %d runs%s\n\n", qPrintable(size),
                qPrintable(serverDescription), runs, qPrintable(through));
    std::printf("%-62s %12s %12s %8s %12s  %s\n", "what the clerk waits for", "VEXARO ms", "raw SQL ms", "ratio",
                "round trips", "target");
    for (const Row &r : table) {
        const QByteArray trips = r.trips < 0 ? QByteArray("-") : QByteArray::number(r.trips, 'f', 1);
        if (r.raw > 0)
            std::printf("%-62s %12.2f %12.2f %7.2fx %12s  %s\n", qPrintable(r.what), r.ours, r.raw, r.ours / r.raw,
                        trips.constData(), qPrintable(r.target));
        else
            std::printf("%-62s %12.2f %12s %8s %12s  %s\n", qPrintable(r.what), r.ours, "-", "-", trips.constData(),
                        qPrintable(r.target));
    }
    std::printf("\npeak resident memory: %ld MB (target <= 200 MB)\n", peakRssMb());
    if (proxy)
        std::printf("through the proxy in all: %lld connections, %lld round trips\n", (long long)proxy->connections(),
                    (long long)proxy->roundTrips());
    return 0;
}
