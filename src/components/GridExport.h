#pragma once

#include <QList>
#include <QString>
#include <functional>

class DataSet;
class DBGrid;

// A list written out for a spreadsheet: every row of the list as the grid
// shows it, in a CSV file that a Turkish-locale spreadsheet opens as it is
// (UTF-8 with a byte-order mark, ';' between fields, CRLF line ends, numbers
// already written with ',' for decimals).
namespace GridExport {

// One column of the file: the dataset's field and the title over it.
struct Column
{
    int field = -1;
    QString title;
};

struct Outcome
{
    enum class Status { Written, Cancelled, Failed };
    Status status = Status::Failed;
    int rows = 0;   // rows written below the titles
    QString error;  // why it failed
};

// Called after each chunk of rows with the rows written so far and the rows
// of the whole list; returning false abandons the export.
using Progress = std::function<bool(int rowsDone, int rowsTotal)>;

// The columns the grid shows, in their order on screen, titled as its header
// titles them; hidden columns are left out.
QList<Column> visibleColumns(const DBGrid *grid);

// Writes the titles and then every row of the list: rows the dataset has not
// read yet are read in chunks. Rows are written as stored: a row being typed
// and not yet posted is left out, a row being changed is written as it was.
// The file appears only when complete: a failed or abandoned export leaves
// no file behind (and an older file of that name as it was). The dataset's
// current row does not move.
Outcome writeCsv(DataSet *dataSet, const QList<Column> &columns, const QString &fileName,
                 const Progress &progress = {});
Outcome writeCsv(const DBGrid *grid, const QString &fileName, const Progress &progress = {});

// The grid's "Export to CSV…": asks for the file (".csv" is added to a name
// without it), writes with a progress window that can cancel a long list, and
// reports a failure with its reason through the prompt service. True when a
// file was written.
bool exportToCsv(DBGrid *grid);

} // namespace GridExport
