// Starting the program: a new shop gets its database in one step, and bad
// start-up input ends with one clear message and a non-zero status.
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTest>

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void newShopGetsItsDatabase();
    void badInputEndsWithAMessage_data();
    void badInputEndsWithAMessage();
    void failedCreationLeavesNoTables();
    void noScreenIsSaidNotCrashed();
    void commandLineAnswersBeforeTheShop_data();
    void commandLineAnswersBeforeTheShop();

private:
    struct Run { int status; QString out; QString err; };
    Run run(const QString &home, const QStringList &args);
    int count(const QString &file, const QString &sql);
};

TestStartup::Run TestStartup::run(const QString &home, const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VEXARO_HOME"), home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("VEXARO_DATABASE"));
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("VEXARO_BINARY"), QStringList{QStringLiteral("--init")} + args);
    if (!p.waitForFinished(60000))
        return {-1, QString(), QStringLiteral("did not finish")};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

int TestStartup::count(const QString &file, const QString &sql)
{
    int n = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(sql) && q.next())
                n = q.value(0).toInt();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peek"));
    return n;
}

void TestStartup::newShopGetsItsDatabase()
{
    QTemporaryDir home;
    const QString file = home.path() + QStringLiteral("/shop/Database/CD.db");
    Run r = run(home.path() + QStringLiteral("/shop"), {});
    QCOMPARE(r.status, 0);
    QVERIFY2(r.out.contains(QStringLiteral("Database ready")), qPrintable(r.out + r.err));
    QVERIFY(QFile::exists(file));
    QCOMPARE(count(file, QStringLiteral("SELECT count(*) FROM Users WHERE UserName='QORV' AND Password='QORV'")), 1);
    QCOMPARE(count(file, QStringLiteral("SELECT count(*) FROM Tarife WHERE ID=1")), 1);
    QCOMPARE(count(file, QStringLiteral("SELECT count(*) FROM Config")), 1);

    r = run(home.path() + QStringLiteral("/shop"), {});
    QCOMPARE(r.status, 0);
    QCOMPARE(count(file, QStringLiteral("SELECT count(*) FROM Users")), 1);
    QCOMPARE(count(file, QStringLiteral("SELECT count(*) FROM Tarife")), 1);
}

void TestStartup::badInputEndsWithAMessage_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");

    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 closedPort = probe.serverPort();
    probe.close();

    QTest::newRow("home is a file") << "home-is-file" << QStringList{} << "cannot be created";
    QTest::newRow("file is not a database") << "garbage-db" << QStringList{} << "is not a VEXARO database";
    QTest::newRow("some tables missing") << "partial-db" << QStringList{} << "lacks: musteri";
    QTest::newRow("server does not answer")
        << "" << QStringList{QStringLiteral("--database"), QStringLiteral("postgresql://postgres@127.0.0.1:%1/shop").arg(closedPort)}
        << QStringLiteral("PostgreSQL server at 127.0.0.1:%1 (database \"shop\") does not answer").arg(closedPort);
    QTest::newRow("address is not postgresql") << "" << QStringList{QStringLiteral("--database=mysql://x/y")}
                                               << "is not of the form postgresql://";
    QTest::newRow("address missing") << "" << QStringList{QStringLiteral("--database")} << "--database needs an address";
}

void TestStartup::badInputEndsWithAMessage()
{
    QFETCH(QString, setup);
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QTemporaryDir tmp;
    QString home = tmp.path() + QStringLiteral("/shop");
    const QString file = home + QStringLiteral("/Database/CD.db");
    QByteArray before;
    if (setup == QLatin1String("home-is-file")) {
        QFile f(home);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a folder");
    } else if (setup == QLatin1String("garbage-db")) {
        QVERIFY(QDir().mkpath(home + QStringLiteral("/Database")));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        before = QByteArray("This is the shop's price list, not a database.\n").repeated(200);
        f.write(before);
    } else if (setup == QLatin1String("partial-db")) {
        QVERIFY(QDir().mkpath(home + QStringLiteral("/Database")));
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QSqlQuery(db).exec(QStringLiteral("CREATE TABLE Users (ID INTEGER PRIMARY KEY, UserName TEXT, Password TEXT)"));
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("make"));
    }
    const Run r = run(home, args);
    QCOMPARE(r.status, 1);
    // One message on one line, and nothing that looks like a crash.
    const QStringList said = r.err.split(u'\n').filter(QRegularExpression(QStringLiteral("^vexaro: ")));
    QCOMPARE(said.size(), 1);
    QVERIFY2(said.first().contains(message), qPrintable(r.err));
    if (!before.isEmpty()) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll() == before); // left exactly as it was
    }
}

void TestStartup::failedCreationLeavesNoTables()
{
    // A view squats on the name of one of the indexes: creating the schema
    // fails near its end, and must leave no table behind.
    QTemporaryDir tmp;
    const QString home = tmp.path();
    const QString file = home + QStringLiteral("/Database/CD.db");
    QVERIFY(QDir().mkpath(home + QStringLiteral("/Database")));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(QStringLiteral("CREATE VIEW IX_FilmTur_FilmTur AS SELECT 1 AS x")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("make"));
    const Run r = run(home, {});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(QStringLiteral("Creating the database failed")), qPrintable(r.err));
    QCOMPARE(count(file, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND name<>'sqlite_sequence'")), 0);
}

void TestStartup::noScreenIsSaidNotCrashed()
{
    QTemporaryDir home;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VEXARO_HOME"), home.path());
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "VEXARO_DATABASE"})
        env.remove(QLatin1String(name));
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("VEXARO_BINARY"), QStringList());
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 1);
    QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("there is no screen")));
}

void TestStartup::commandLineAnswersBeforeTheShop_data()
{
    // What stdout and stderr must match (whole, dot matching newlines).
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QString version = QStringLiteral("VEXARO %1.%2.%3.%4\n")
                                .arg(VEXARO_VERSION_MAJOR)
                                .arg(VEXARO_VERSION_MINOR)
                                .arg(VEXARO_VERSION_PATCH)
                                .arg(VEXARO_VERSION_BUILD);
    QTest::newRow("help") << "--help" << 0 << "Usage: .*--database <address>.*--init.*VEXARO_HOME.*VEXARO_DATABASE.*" << "";
    QTest::newRow("version") << "--version" << 0 << QRegularExpression::escape(version) << "";
    QTest::newRow("unknown") << "--bogus" << 2 << "" << ".*vexaro: Unknown option 'bogus'.*Usage: .*--database <address>.*";
}

void TestStartup::commandLineAnswersBeforeTheShop()
{
    QFETCH(QString, option);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QTemporaryDir tmp;
    const QString home = tmp.path() + QStringLiteral("/shop");
    // run() asks for --init too: the answer comes before any shop is made.
    const Run r = run(home, {option});
    QCOMPARE(r.status, status);
    const auto whole = [](const QString &pattern, const QString &text) {
        return QRegularExpression(QRegularExpression::anchoredPattern(pattern), QRegularExpression::DotMatchesEverythingOption)
            .match(text)
            .hasMatch();
    };
    QVERIFY2(whole(out, r.out), qPrintable(r.out));
    QVERIFY2(whole(err, r.err), qPrintable(r.err));
    QVERIFY(!QFileInfo::exists(home));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
