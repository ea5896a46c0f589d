#pragma once

#include <QSqlDatabase>
#include <QString>

// Copies of the shop's database, taken and put back while the program (and
// other counters on the same file) keep working.
//
// SQLite: the copy is made with SQLite's online backup API, page by page from
// one consistent read of the database, so it holds every committed row and
// nothing half-written, whatever other connections are doing; what sits in
// the write-ahead log is included. The copy is written beside its final name
// and checked with PRAGMA integrity_check before it replaces a file of that
// name, so a failed backup never destroys the last good one.
//
// PostgreSQL: the data lives on the server, which has its own backup tools
// (pg_dump, base backups); the program writes no file and says so.
namespace Backup {

// False on a backend whose copies the program does not make; `reason` then
// tells the clerk what applies instead.
bool supported(const QSqlDatabase &db, QString *reason = nullptr);

// Writes a consistent, checked copy of the open database to `target`,
// creating its folder and replacing a file of that name. False with the
// cause in `error`.
bool toFile(const QSqlDatabase &db, const QString &target, QString *error);

// The same from a connection of its own to the database file `database`: a
// copy taken away from the connection the windows use (another thread may
// run it).
bool fileToFile(const QString &database, const QString &target, QString *error);

// The file of an open SQLite database; empty on other backends.
QString databaseFile(const QSqlDatabase &db);

// Checks that `file` is a sound database holding the shop's tables. False
// with the cause in `error`.
bool checkCopy(const QString &file, QString *error);

// Replaces the open database's content with the checked copy in `source`.
// Every dataset on the connection must be closed first (the replacement
// needs the database to itself). False with the cause in `error`; the
// database is then as it was.
bool restoreFrom(const QSqlDatabase &db, const QString &source, QString *error);

} // namespace Backup
