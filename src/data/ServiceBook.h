#pragma once

#include "db/AutoBackup.h"

#include <QDate>
#include <QString>

// What the service window writes besides the rows its pages edit: the day's
// exchange-rate row, and the copies of the database.
namespace ServiceBook {

// Adds the Doviz row of the day, all four rates 1, unless the day has one.
// False with the database's message; `added` tells whether a row was written.
bool addDayRates(const QDate &day, bool *added, QString *error);

// False when the program makes no copies of this database (PostgreSQL);
// `reason` tells what applies instead.
bool backupSupported(QString *reason);

// A checked copy of the database in the backup folder under `fileName`,
// replacing a copy of that name. Gives the full path written, or false with
// the cause.
bool backupDatabase(const QString &fileName, QString *writtenTo, QString *error);

// Checks that the file is a sound backup of a VEXARO database.
bool checkBackup(const QString &backupFile, QString *error);

// Puts a backup in place of the database. Every dataset of the data modules
// is closed first (rows being typed are dropped): the windows that showed
// them must be closed before. False with the cause; the data is then as it
// was.
bool restoreDatabase(const QString &backupFile, QString *error);

// The copies in the backup folder, newest first: the automatic generations,
// the "Backup" button's, and those kept before a restore.
QList<AutoBackup::Copy> backups();

} // namespace ServiceBook
