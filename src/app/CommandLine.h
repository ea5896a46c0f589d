#pragma once

#include <QString>
#include <optional>

class QCommandLineParser;

// What every VEXARO program does with its command line before it makes a
// window or touches a shop: --help prints the usage and ends with 0,
// --version prints "VEXARO <version>" and ends with 0, an option it does not
// know (or one without its value) prints the usage to stderr and ends with 2.
namespace CommandLine {

// "VEXARO 2.1.0.310": the version the build was made with.
QString versionText();

// Adds -h/--help and --version to a parser that holds the program's own options.
void addHelpAndVersion(QCommandLineParser &parser);

// The environment and the places on disk, for the end of a usage text:
// VEXARO_HOME and VEXARO_DATABASE, and where the shop's files are now.
QString shopEnvironment();

// The parser's list of options, then `epilogue`.
QString usage(const QCommandLineParser &parser, const QString &epilogue);

// Says what is wrong with the command line, then the usage, on stderr; 2.
int usageError(const QCommandLineParser &parser, const QString &message, const QString &epilogue);

// The answer to a parse (parsed: what QCommandLineParser::parse returned):
// the status to end with after help, the version or a usage error, or nullopt
// when the program goes on. `epilogue` follows the list of options. Needs the
// application object, for the program's name.
std::optional<int> answer(const QCommandLineParser &parser, bool parsed, const QString &epilogue);

} // namespace CommandLine
