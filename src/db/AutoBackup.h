#pragma once

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// The shop's automatic copies: one a day in the backup folder, named
// YYYYMMDD-VEXARO-auto.MDB (the "Backup" button's YYYYMMDD-VEXARO.MDB and the
// copies kept before a restore are never touched here), kept in generations:
// the newest copy of each of the last few days, weeks and months.
namespace AutoBackup {

struct Policy
{
    bool enabled = true;
    int daily = 7;
    int weekly = 4;
    int monthly = 12;
};

// A copy in the backup folder.
struct Copy
{
    QString file;       // full path
    QDate date;         // from its name
    qint64 size = 0;    // bytes
    bool automatic = false;
};

// The automatic copy's name for a day.
QString fileName(const QDate &day);

// Every copy in the folder whose name starts with a date (the button's, the
// automatic ones, those kept before a restore), newest first.
QList<Copy> list(const QString &folder);

// Which of the days that have a copy are kept on `today`: for each of the
// daily, weekly (ISO weeks) and monthly counts, the newest copy of that many
// most recent days, weeks or months that have one. The newest copy is always
// kept, and so is any copy dated after today (a clock set back must not cost
// the shop its latest copies).
QSet<QDate> keep(const QList<QDate> &copies, const QDate &today, const Policy &policy);

enum class Occasion {
    Start, // the first start of a day makes the day's copy; later starts do not
    Close, // closing after the day's work replaces the day's copy
};

struct Result
{
    bool attempted = false; // false: off, or the day's copy was already made
    QString file;           // the copy written
    QStringList pruned;     // older copies removed after it was checked
    QString error;          // empty when all went well
};

// Copies the SQLite database file into the folder as the day's automatic
// copy, checks it, and only then removes the automatic copies the policy no
// longer keeps. A copy that fails removes nothing. Safe to run on a thread
// of its own: it opens its own connection to the file.
Result run(const QString &databaseFile, const QString &folder, const QDate &today, const Policy &policy,
           Occasion occasion);

} // namespace AutoBackup
