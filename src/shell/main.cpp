#include "data/Database.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMessageBox>
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

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VEXARO"));
    const QStringList args = QApplication::arguments();

    QString error;
    const auto target = DatabaseTarget::fromStartup(args, &error);
    if (!target)
        return fail(error);
    if (!Database::open(*target, Database::ConnectionName, &error))
        return fail(error);

    // --init: make sure the shop's database exists, then stop (installers, scripts).
    if (args.contains(QStringLiteral("--init"))) {
        std::printf("Database ready: %s\n", qPrintable(target->describe()));
        return 0;
    }

    QMainWindow frame;
    frame.setWindowTitle(QStringLiteral("VEXARO ENG"));
    frame.setCentralWidget(new QMdiArea(&frame));
    frame.showMaximized();
    return app.exec();
}
