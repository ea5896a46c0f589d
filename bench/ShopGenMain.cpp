// vexaro-shopgen: fills a new shop database with a generated shop, for the
// benchmark, the screenshots and trying the program on realistic data.
//
//   vexaro-shopgen --size S|M|L [--seed N] [--database postgresql://user@host:port/db]
//   vexaro-shopgen --help | --version
//   vexaro-shopgen --check --size S|M|L [--database ...]
//
// --check writes nothing: it exits 0 when the database holds a whole
// generated shop of that size and 3 (with the reason) when it does not.
//
// Without --database (or VEXARO_DATABASE) the shop is the SQLite file under
// VEXARO_HOME, created if missing.

#include "ShopGenerator.h"

#include "db/Database.h"
#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>
#include <cstdio>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "vexaro-shopgen: %s\n", qPrintable(message));
    return 1;
}

// After the options: the sizes and where the shop goes.
QString epilogue()
{
    return QStringLiteral("Sizes:\n"
                          "  S: 1,000 customers, 2,000 titles, 20,000 transactions, 30,000 ledger rows\n"
                          "  M: ten times S\n"
                          "  L: 20,000 customers, 50,000 titles, 1,000,000 transactions, 1,500,000 ledger rows\n"
                          "The database must not hold customers or titles yet.\n\n")
        + CommandLine::shopEnvironment();
}

qint64 countRows(const QSqlDatabase &db, const char *table)
{
    QSqlQuery q(db);
    if (q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1StringView(table))) && q.next())
        return q.value(0).toLongLong();
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vexaro-shopgen"));
    const QStringList args = QCoreApplication::arguments();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("vexaro-shopgen: fills a new shop database with a generated shop."));
    CommandLine::addHelpAndVersion(parser);
    const QCommandLineOption checkOption(QStringLiteral("check"),
                                         QStringLiteral("Write nothing: end with 0 if the database holds a whole "
                                                        "generated shop of that size, else with 3."));
    const QCommandLineOption sizeOption(QStringLiteral("size"), QStringLiteral("How big the shop is: S, M or L."),
                                        QStringLiteral("S|M|L"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        QStringLiteral("The generator's seed, 0 to 4294967295 (default 1)."),
                                        QStringLiteral("N"));
    const QCommandLineOption databaseOption(QStringLiteral("database"),
                                            QStringLiteral("The shop on a PostgreSQL server, "
                                                           "postgresql://user@host:port/database."),
                                            QStringLiteral("address"));
    parser.addOptions({checkOption, sizeOption, seedOption, databaseOption});
    if (const auto status = CommandLine::answer(parser, parser.parse(args), epilogue()))
        return *status;
    if (!parser.positionalArguments().isEmpty())
        return CommandLine::usageError(
            parser, QStringLiteral("Unknown argument \"%1\".").arg(parser.positionalArguments().constFirst()), epilogue());

    std::optional<ShopSize> size;
    QString sizeName;
    quint32 seed = 1;
    const bool check = parser.isSet(checkOption);
    if (parser.isSet(sizeOption)) {
        const QString v = parser.value(sizeOption);
        size = ShopSize::named(v);
        sizeName = v.trimmed().toUpper();
        if (!size)
            return fail(QStringLiteral("--size takes S, M or L."));
    }
    if (parser.isSet(seedOption)) {
        bool ok = false;
        const qulonglong n = parser.value(seedOption).toULongLong(&ok);
        if (!ok || n > 0xFFFFFFFFull)
            return fail(QStringLiteral("--seed takes a whole number from 0 to 4294967295."));
        seed = quint32(n);
    }
    // --database is read by DatabaseTarget::fromStartup, with VEXARO_DATABASE.
    if (!size) {
        std::fputs(qPrintable(CommandLine::usage(parser, epilogue())), stderr);
        return fail(QStringLiteral("Say how big the shop is: --size S, M or L."));
    }

    QString error;
    const auto target = DatabaseTarget::fromStartup(args, &error);
    if (!target)
        return fail(error);
    if (!Database::open(*target, Database::ConnectionName, &error))
        return fail(error);

    if (check) {
        QString why;
        bool whole = false;
        {
            const QSqlDatabase db = Database::connection();
            whole = holdsGeneratedShop(db, *size, &why);
        }
        Database::close(Database::ConnectionName);
        if (!whole) {
            std::fprintf(stderr, "vexaro-shopgen: %s is not a whole size %s shop: %s\n", qPrintable(target->describe()),
                         qPrintable(sizeName), qPrintable(why));
            return 3;
        }
        std::printf("%s holds a whole size %s shop\n", qPrintable(target->describe()), qPrintable(sizeName));
        return 0;
    }

    std::fprintf(stderr, "Generating a size %s shop (seed %u) into %s\n", qPrintable(sizeName), seed,
                 qPrintable(target->describe()));
    QElapsedTimer timer;
    timer.start();
    int shownPercent = -1;
    QString shownStage;
    const auto progress = [&](int percent, const QString &stage) {
        if (percent == shownPercent && stage == shownStage)
            return;
        shownPercent = percent;
        shownStage = stage;
        std::fprintf(stderr, "\r%3d%%  %-20s", percent, qPrintable(stage));
        std::fflush(stderr);
    };

    bool ok = false;
    qint64 counts[4] = {};
    {
        const QSqlDatabase db = Database::connection();
        ok = generateShop(db, *size, seed, &error, progress);
        std::fprintf(stderr, "\n");
        if (ok) {
            const char *tables[] = {"Musteri", "CD", "Hareket", "Kasa"};
            for (int i = 0; i < 4; ++i)
                counts[i] = countRows(db, tables[i]);
        }
    }
    const double seconds = double(timer.elapsed()) / 1000.0;
    // Closing checkpoints SQLite's write-ahead log into the file, so the size
    // read afterwards is the database's real size.
    Database::close(Database::ConnectionName);
    if (!ok)
        return fail(error);

    std::printf("Customers:    %lld\nTitles:       %lld\nTransactions: %lld\nLedger rows:  %lld\nSeconds:      %.1f\n",
                counts[0], counts[1], counts[2], counts[3], seconds);
    if (target->backend == Backend::SQLite) {
        const qint64 bytes = QFileInfo(target->filePath).size();
        std::printf("File:         %s, %.1f MB\n", qPrintable(target->describe()), double(bytes) / (1024.0 * 1024.0));
    }
    return 0;
}
