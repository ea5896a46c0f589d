// vexaro-gallery OUTDIR: draws every window and dialog of the program, offscreen,
// on a generated size-S shop in a temporary VEXARO_HOME, one PNG each, so the
// windows can be looked at without a screen.

#include "ShopGenerator.h"
#include "data/Database.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "shell/FrmHakkindaUnit.h"
#include "shell/FrmMainUnit.h"
#include "shell/FrmUserXUnit.h"

#include <QApplication>
#include <QDir>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <cstdio>

namespace {

QString g_out;
QStringList g_written;

void save(QWidget *w, const QString &name)
{
    w->ensurePolished();
    if (QLayout *l = w->layout())
        l->activate();
    const QString file = g_out + u'/' + name + QStringLiteral(".png");
    if (w->grab().save(file))
        g_written << file;
    else
        std::fprintf(stderr, "vexaro-gallery: cannot write %s\n", qPrintable(file));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: vexaro-gallery OUTDIR\n");
        return 2;
    }
    g_out = QDir(args[1]).absolutePath();
    if (!QDir().mkpath(g_out)) {
        std::fprintf(stderr, "vexaro-gallery: cannot create %s\n", qPrintable(g_out));
        return 1;
    }
    QTemporaryDir home;
    qputenv("VEXARO_HOME", home.path().toUtf8());
    qunsetenv("VEXARO_DATABASE");

    TDm1 dm1;
    QString error;
    if (!dm1.openConnection(DatabaseTarget::sqliteFile(home.path() + QStringLiteral("/Database/CD.db")), &error)
        || !generateShop(Database::connection(), *ShopSize::named(QStringLiteral("S")), 1, &error)) {
        std::fprintf(stderr, "vexaro-gallery: %s\n", qPrintable(error));
        return 1;
    }
    TDm2 dm2;

    {
        // The frame is drawn without being shown: showing it starts the login.
        TFrmMain frame;
        frame.resize(1280, 800);
        save(&frame, QStringLiteral("TFrmMain"));
        // Each menu as it drops down: captions, pictures, disabled entries.
        for (QAction *top : frame.menuBar()->actions()) {
            if (!top->isVisible() || !top->menu())
                continue;
            QMenu *menu = top->menu();
            menu->popup(QPoint(0, 0));
            save(menu, QStringLiteral("TFrmMain-menu-") + menu->objectName());
            if (QAction *sub = menu->actions().isEmpty() ? nullptr : menu->actions().first(); sub && sub->menu()) {
                sub->menu()->popup(QPoint(0, 0));
                save(sub->menu(), QStringLiteral("TFrmMain-menu-") + sub->menu()->objectName());
                sub->menu()->hide();
            }
            menu->hide();
        }

        TFrmUserX login(&frame);
        login.show();
        save(&login, QStringLiteral("TFrmUserX"));
        login.hide();

        TFrmHakkinda about;
        about.show();
        save(&about, QStringLiteral("TFrmHakkinda"));
        about.hide();
    }

    Database::close(Database::ConnectionName);
    for (const QString &f : std::as_const(g_written))
        std::printf("%s\n", qPrintable(f));
    return 0;
}
