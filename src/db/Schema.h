#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <span>

class SqlDialect;

// The kinds of value a column holds. Every backend maps them to its own types
// (SqlDialect), and every value crosses the database boundary through them.
enum class ColumnType {
    AutoNumber, // key assigned by the database
    Integer,    // 32-bit
    Text,       // at most `size` characters
    Memo,       // text of any length
    Blob,       // bytes (pictures, stored messages)
    Currency,   // exact, four decimals (Money)
    DateTime,   // a whole date (time 00:00) or a date and time of day
    Double,
};

struct ColumnDef
{
    const char *name;
    ColumnType type;
    int size = 0;                     // Text only
    const char *defaultValue = nullptr;
    // A column later versions added to a table an older shop already has:
    // it is added (with its default) when such a database is opened.
    bool addedLater = false;
};

struct TableDef
{
    const char *name;
    std::span<const ColumnDef> columns;
    // A table later versions added: an older shop's database gets it created
    // when it is opened, instead of being refused as incomplete.
    bool addedLater = false;
};

struct IndexDef
{
    const char *name;
    const char *table;
    const char *columns;
    bool unique = false;
};

namespace Schema {

std::span<const TableDef> tables();
std::span<const IndexDef> indexes();
const TableDef *table(QStringView name);
const ColumnDef *column(QStringView table, QStringView column);

// The type of a column known by its name alone (case-insensitive). Every name
// the schema uses means the same kind of value in every table that has it,
// which lets a query's result columns be typed without parsing the query.
std::optional<ColumnType> typeOfColumnName(QStringView column);

// Statements that create every table and index, for one backend, in order.
QStringList createStatements(const SqlDialect &dialect);

// The statement that creates one index.
QString createIndexStatement(const IndexDef &index);

// Statements that create one table and its indexes (a table added to an
// existing shop).
QStringList createTableStatements(const SqlDialect &dialect, QStringView table);

// The ledger's day sums (table KasaGun) are kept by triggers on Kasa. These
// statements fill the table afresh from the ledger and (re)make the triggers;
// the names tell whether a database has them all.
QStringList ledgerDayStatements(const SqlDialect &dialect);
QStringList ledgerDayTriggerNames(const SqlDialect &dialect);

// The rows a new shop starts with: the account QORV/QORV, the tariff row 1
// with every price 0, and an empty Config row.
QStringList startingRowStatements();

} // namespace Schema
