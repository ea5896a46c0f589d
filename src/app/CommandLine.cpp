#include "app/CommandLine.h"

#include "db/Paths.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace CommandLine {

QString versionText()
{
    return QStringLiteral("VEXARO %1.%2.%3.%4")
        .arg(VEXARO_VERSION_MAJOR)
        .arg(VEXARO_VERSION_MINOR)
        .arg(VEXARO_VERSION_PATCH)
        .arg(VEXARO_VERSION_BUILD);
}

void addHelpAndVersion(QCommandLineParser &parser)
{
    // Not addHelpOption(): its --help-all lists the options of Qt itself.
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this help and end.")));
    parser.addOption(QCommandLineOption(QStringLiteral("version"), QStringLiteral("Show the version and end.")));
}

QString usage(const QCommandLineParser &parser, const QString &epilogue)
{
    return parser.helpText() + (epilogue.isEmpty() ? QString() : u'\n' + epilogue);
}

QString shopEnvironment()
{
    return QStringLiteral("Environment:\n"
                          "  VEXARO_HOME      the program's folder; ~/VEXARO when not set (C:\\VEXARO on Windows)\n"
                          "  VEXARO_DATABASE  a PostgreSQL server's address, as --database takes it\n"
                          "\n"
                          "Where the data lives:\n"
                          "  database   %1\n"
                          "             (SQLite, made with the starting rows when missing; unless a server is given)\n"
                          "  error log  %2\n"
                          "  backups    %3\n")
        .arg(QDir::toNativeSeparators(Paths::databaseFile()), QDir::toNativeSeparators(Paths::errorLog()),
             QDir::toNativeSeparators(Paths::backupFolder()));
}

int usageError(const QCommandLineParser &parser, const QString &message, const QString &epilogue)
{
    const QString program = QFileInfo(QCoreApplication::arguments().value(0)).fileName();
    std::fprintf(stderr, "%s: %s\n\n%s", qPrintable(program), qPrintable(message), qPrintable(usage(parser, epilogue)));
    return 2;
}

std::optional<int> answer(const QCommandLineParser &parser, bool parsed, const QString &epilogue)
{
    if (!parsed)
        return usageError(parser, parser.errorText(), epilogue);
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(usage(parser, epilogue)), stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("%s\n", qPrintable(versionText()));
        return 0;
    }
    return std::nullopt;
}

} // namespace CommandLine
