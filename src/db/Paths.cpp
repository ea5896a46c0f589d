#include "db/Paths.h"

#include <QDir>
#include <QFileInfo>

namespace Paths {

QString home()
{
    const QString fromEnv = qEnvironmentVariable("VEXARO_HOME");
    if (!fromEnv.isEmpty())
        return QDir::cleanPath(QFileInfo(fromEnv).absoluteFilePath());
#ifdef Q_OS_WIN
    return QStringLiteral("C:/VEXARO");
#else
    return QDir::homePath() + QStringLiteral("/VEXARO");
#endif
}

QString databaseFolder() { return home() + QStringLiteral("/Database"); }
QString databaseFile() { return databaseFolder() + QStringLiteral("/CD.db"); }
QString errorLog() { return home() + QStringLiteral("/LOG.Txt"); }
QString cameraPicture() { return home() + QStringLiteral("/Deneme.jpg"); }

QString backupFolder()
{
    const QFileInfo h(home());
    return h.absolutePath() + u'/' + h.fileName() + QStringLiteral("Yedek");
}

} // namespace Paths
