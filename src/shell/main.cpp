#include "components/PromptService.h"
#include "db/Database.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "shell/FrmMainUnit.h"
#include "shell/FrmUserXUnit.h"
#include "app/CommandLine.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

namespace {

// Start-up failures are said once, on the console and, where there is a
// screen, in a message box; the program then ends with a non-zero status.
int fail(const QString &message)
{
    std::fprintf(stderr, "vexaro: %s\n", qPrintable(message));
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"))
        QMessageBox::critical(nullptr, QStringLiteral("VEXARO"), message);
    return 1;
}

// --startup-probe: the benchmark's view of a start. Says when the login
// window shows, logs in with the account shown in it (answering every message
// with its first button), says when the frame is ready and ends.
class ProbeAnswers : public PromptService
{
public:
    Answer ask(Icon, Buttons buttons, const QString &, const QString &) override
    {
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
};

void runProbe(TFrmMain *frame)
{
    PromptService::install(std::make_unique<ProbeAnswers>());
    auto *poll = new QTimer(frame);
    QObject::connect(poll, &QTimer::timeout, frame, [frame, poll] {
        if (!FrmUserX || !FrmUserX->isVisible())
            return;
        poll->stop();
        std::printf("login-shown\n");
        std::fflush(stdout);
        QElapsedTimer t;
        t.start();
        FrmUserX->BitBtn1->click();
        // FormShow goes on with the caches once the login returns.
        QTimer::singleShot(0, frame, [frame, t] {
            std::printf("ready %.3f\n", double(t.nsecsElapsed()) / 1e6);
            std::fflush(stdout);
            QCoreApplication::exit(LoggedIn ? 0 : 3);
            Q_UNUSED(frame);
        });
    });
    poll->start(0);
}

void defineOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral("VEXARO: the counter, catalogue and cash box of a disc rental shop."));
    CommandLine::addHelpAndVersion(parser);
    parser.addOption(QCommandLineOption(QStringLiteral("database"),
                                        QStringLiteral("Use the shop on a PostgreSQL server, "
                                                       "postgresql://user@host:port/database (its schema is "
                                                       "created when absent), instead of the SQLite file."),
                                        QStringLiteral("address")));
    parser.addOption(QCommandLineOption(QStringLiteral("init"),
                                        QStringLiteral("Create (or check) the shop's database, then end.")));
    parser.addOption(QCommandLineOption(QStringLiteral("startup-probe"),
                                        QStringLiteral("For the benchmark: log in with the account shown, say when "
                                                       "the login window and the frame are ready, then end.")));
}

// A --database without its address is not a usage error here: the start-up
// check says what the address looks like.
bool readOptions(QCommandLineParser &parser, const QStringList &args)
{
    return parser.parse(args) || args.constLast() == QLatin1String("--database");
}

} // namespace

int main(int argc, char *argv[])
{
    // The options are read before the screen is looked for: --help and
    // --version answer without one. Qt's own options (-platform, -style, ...)
    // only leave the list inside QApplication, so a first reading that fails
    // is said here only when no screen can follow, and otherwise by the second
    // reading below.
    QCommandLineParser parser;
    defineOptions(parser);
    QStringList rawArgs;
    for (int i = 0; i < argc; ++i)
        rawArgs << QString::fromLocal8Bit(argv[i]);
    const bool parsed = readOptions(parser, rawArgs);
    bool noScreen = false;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    noScreen = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#endif
    if (parsed ? parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("version")) : noScreen) {
        QCoreApplication core(argc, argv);
        return CommandLine::answer(parser, parsed, CommandLine::shopEnvironment()).value_or(0);
    }
    // Without a screen Qt would abort inside its own start-up; say why instead.
    if (noScreen) {
        std::fprintf(stderr, "vexaro: there is no screen to show the program on (neither DISPLAY nor "
                             "WAYLAND_DISPLAY is set). Start it in a desktop session, or under xvfb-run.\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VEXARO"));
    const QStringList args = QApplication::arguments();
    if (const auto status = CommandLine::answer(parser, readOptions(parser, args), CommandLine::shopEnvironment()))
        return *status;

    QString error;
    const auto target = DatabaseTarget::fromStartup(args, &error);
    if (!target)
        return fail(error);

    // The data modules first: the main one opens the shop's database.
    TDm1 dm1;
    if (!dm1.openConnection(*target, &error))
        return fail(error);
    TDm2 dm2;

    // --init: make sure the shop's database exists, then stop (installers, scripts).
    if (parser.isSet(QStringLiteral("init"))) {
        std::printf("Database ready: %s\n", qPrintable(target->describe()));
        return 0;
    }

    TFrmMain frame;
    FrmUserX = new TFrmUserX(&frame);
    QObject::connect(&frame, &TFrmMain::terminateRequested, &app, [] { QCoreApplication::exit(0); },
                     Qt::QueuedConnection);
    if (parser.isSet(QStringLiteral("startup-probe")))
        runProbe(&frame);
    frame.showMaximized();
    const int status = app.exec();
    Database::close(Database::ConnectionName);
    return status;
}
