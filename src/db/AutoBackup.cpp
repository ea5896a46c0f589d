#include "db/AutoBackup.h"

#include "db/Backup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <functional>
#include <optional>

namespace AutoBackup {

namespace {

const QString AutoSuffix = QStringLiteral("-VEXARO-auto.MDB");

QDate dateOfName(const QString &name)
{
    static const QRegularExpression dated(QStringLiteral("^(\\d{8})-.*\\.mdb$"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = dated.match(name);
    return m.hasMatch() ? QDate::fromString(m.captured(1), QStringLiteral("yyyyMMdd")) : QDate();
}

} // namespace

QString fileName(const QDate &day)
{
    return day.toString(QStringLiteral("yyyyMMdd")) + AutoSuffix;
}

QList<Copy> list(const QString &folder)
{
    QList<Copy> out;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Name | QDir::Reversed);
    for (const QFileInfo &f : files) {
        const QDate date = dateOfName(f.fileName());
        if (!date.isValid())
            continue;
        out << Copy{f.absoluteFilePath(), date, f.size(), f.fileName() == fileName(date)};
    }
    std::stable_sort(out.begin(), out.end(), [](const Copy &a, const Copy &b) { return a.date > b.date; });
    return out;
}

QSet<QDate> keep(const QList<QDate> &copies, const QDate &today, const Policy &policy)
{
    QList<QDate> past;
    QSet<QDate> kept;
    for (const QDate &d : copies) {
        if (d > today)
            kept.insert(d);
        else if (!past.contains(d))
            past << d;
    }
    std::sort(past.begin(), past.end(), std::greater<>());
    if (past.isEmpty())
        return kept;
    kept.insert(past.first());
    // One pass per generation: walking from the newest copy back, the first
    // copy met in each new day, week or month is kept, until enough are.
    const auto pass = [&](int count, const std::function<int(const QDate &)> &period) {
        int taken = 0;
        std::optional<int> last;
        for (const QDate &d : std::as_const(past)) {
            if (taken >= count)
                break;
            const int p = period(d);
            if (last && *last == p)
                continue;
            last = p;
            kept.insert(d);
            ++taken;
        }
    };
    pass(policy.daily, [](const QDate &d) { return int(d.toJulianDay()); });
    pass(policy.weekly, [](const QDate &d) {
        int year = 0;
        const int week = d.weekNumber(&year);
        return year * 100 + week;
    });
    pass(policy.monthly, [](const QDate &d) { return d.year() * 100 + d.month(); });
    return kept;
}

Result run(const QString &databaseFile, const QString &folder, const QDate &today, const Policy &policy,
           Occasion occasion)
{
    Result result;
    if (!policy.enabled)
        return result;
    const QString target = QDir(folder).filePath(fileName(today));
    if (occasion == Occasion::Start && QFileInfo(target).isFile())
        return result;
    result.attempted = true;
    if (!Backup::fileToFile(databaseFile, target, &result.error))
        return result;
    result.file = target;

    // The new copy is checked: only now may older ones go.
    const QList<Copy> copies = list(folder);
    QList<QDate> dates;
    for (const Copy &c : copies) {
        if (c.automatic)
            dates << c.date;
    }
    const QSet<QDate> kept = keep(dates, today, policy);
    QStringList stuck;
    for (const Copy &c : copies) {
        if (!c.automatic || kept.contains(c.date))
            continue;
        if (QFile::remove(c.file))
            result.pruned << c.file;
        else
            stuck << QDir::toNativeSeparators(c.file);
    }
    if (!stuck.isEmpty())
        result.error = QStringLiteral("The new copy %1 was made, but older copies cannot be removed: %2")
                           .arg(QDir::toNativeSeparators(target), stuck.join(QStringLiteral(", ")));
    return result;
}

} // namespace AutoBackup
