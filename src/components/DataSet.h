#pragma once

#include "db/RowStore.h"

#include <QHash>
#include <QSet>
#include <QObject>
#include <QSqlDatabase>
#include <QVariant>
#include <memory>
#include <optional>

class SqlCursor;

// How a column is shown wherever it appears (grids, labels, reports): fixed
// on the dataset so that every window shows it the same way.
struct FieldInfo
{
    QString displayFormat;               // number pattern ("#,###0.00") or date pattern
    QString editFormat;
    QString caption;                     // column title; the field name when empty
    Qt::Alignment alignment = {};        // default: numbers right, texts left
    std::optional<ColumnType> type;      // for computed columns the database cannot type (sums)
    bool visible = true;
};

// An editable result of one SQL statement on the shop's connection, with a
// current row. The windows bind their controls to it (through a DataSource)
// and call its operations directly.
//
// Rows are read lazily: opening reads only the first rows, a grid or a locate
// asks for more in chunks of ChunkSize, so a list over a million rows opens at
// once; rows are kept compactly (RowStore).
//
// A Snapshot dataset shows the rows as read (plus its own changes) until it is
// re-queried. A Live dataset re-reads the current row from its table each
// time a row is visited, so it shows what other counters have written since.
//
// Changes (post, delete) work on a dataset over one table, row by row, by the
// table's ID column. A statement with a join is read-only. Operations report
// failure by their result and lastError(); they never show messages.
class DataSet : public QObject
{
    Q_OBJECT

public:
    enum class State { Inactive, Browse, Edit, Insert };
    enum class Kind { Snapshot, Live };
    enum LocateOption { NoLocateOptions = 0, CaseInsensitive = 1, PartialKey = 2 };
    Q_DECLARE_FLAGS(LocateOptions, LocateOption)

    static constexpr int ChunkSize = 1000;
    static constexpr int FirstChunkSize = 40; // about a screenful: the first rows show at once

    explicit DataSet(const QString &name, QObject *parent = nullptr);
    ~DataSet() override;

    QString name() const { return objectName(); }

    // --- statement -------------------------------------------------------
    void setConnectionName(const QString &name);
    QSqlDatabase database() const;
    // Setting the statement closes the dataset, like any change of its text,
    // and forgets every parameter value, also when the text is the same:
    // set the parameters after the statement. A shared scratch dataset thus
    // never runs with a value an earlier user left behind.
    void setSql(const QString &sql);
    QString sql() const { return m_sql; }
    void setKind(Kind kind) { m_kind = kind; }
    // The statement gives a few rows (a customer's open rentals, a sum): on a
    // server they are read at once in one round trip on the shared
    // connection, not through a cursor of their own. A new statement
    // (setSql) forgets it.
    void setFewRows(bool few) { m_fewRows = few; }
    Kind kind() const { return m_kind; }
    // Read the whole result at open (lists that are sorted or totalled at once).
    void setFetchAll(bool all) { m_fetchAll = all; }
    // The table that post and delete write; found from a one-table statement.
    QString tableName() const { return m_table; }
    bool isReadOnly() const { return m_table.isEmpty(); }

    // Named parameters (":T1") of the statement, in order of first use.
    // A parameter not given a value is bound as NULL.
    //
    // Dates: pass a QDate or a QDateTime. They are bound as dates on both
    // backends, so "Tarih Between :T1 and :T2" includes both ends: a QDate is
    // that day at 00:00 and matches a whole date of that day; a QDateTime is
    // compared to the second. A date-time column holds times of day, so to take
    // in the whole last day of such a column, pass the last second of it (or
    // the next day with '<').
    //
    // The program's short date text ("05.03.2024", see Format::parseShortDate)
    // is bound as that date too, but only for a parameter that the statement
    // compares with date columns alone (=, <>, <, <=, >, >=, Between, on either
    // side of the column). Anywhere else, and for any other text, the text is
    // bound as given: a text column is never handed a date, and a text that is
    // no date is not guessed at.
    QStringList parameterNames() const { return m_paramNames; }
    void setParameter(const QString &name, const QVariant &value);
    void setParameter(int index, const QVariant &value);
    QVariant parameter(const QString &name) const;

    // --- presentation ----------------------------------------------------
    FieldInfo &fieldInfo(const QString &field);
    const FieldInfo &fieldInfo(int column) const;
    void setDisplayFormat(const QString &field, const QString &format) { fieldInfo(field).displayFormat = format; }
    void setEditFormat(const QString &field, const QString &format) { fieldInfo(field).editFormat = format; }
    void setCaption(const QString &field, const QString &caption) { fieldInfo(field).caption = caption; }
    void setFieldType(const QString &field, ColumnType type) { fieldInfo(field).type = type; }

    // --- open, close -------------------------------------------------------
    bool open();
    void close();
    bool isOpen() const { return m_state != State::Inactive; }
    // Reads the statement again with the same parameters; the current row
    // becomes the first.
    bool requery();
    // Runs a statement that returns no rows (UPDATE, INSERT, DELETE) with the
    // parameters set; the dataset stays closed.
    bool execSql(int *rowsAffected = nullptr);
    QString lastError() const { return m_error; }

    // --- structure ---------------------------------------------------------
    int fieldCount() const { return int(m_fields.size()); }
    QString fieldName(int column) const { return m_fields[size_t(column)]; }
    int fieldIndex(const QString &field) const; // case-insensitive; -1 when absent
    std::optional<ColumnType> fieldType(int column) const { return m_rows.columnType(column); }

    // --- rows ---------------------------------------------------------------
    // Every row of the result: counted by the database when not all are read.
    int recordCount();
    bool isEmpty();
    int fetchedCount() const { return int(m_order.size()); }
    bool canFetchMore() const;
    int fetchMore(int rows = ChunkSize);
    void fetchAll();

    int recNo() const { return m_current; } // -1 when there is no row
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    void first();
    void last();
    void next();
    void prior();
    bool moveTo(int row);

    // --- values ---------------------------------------------------------------
    // The current row (or the row being edited). Null for an absent field.
    QVariant value(const QString &field) const;
    QVariant value(int column) const;
    QVariant valueAt(int row, int column) const;
    // The rows as stored, without what is being typed (reports print these).
    QVariant storedValueAt(int row, int column) const;
    int storedRowCount() const;
    QString displayText(const QString &field) const;
    QString displayTextAt(int row, int column) const;
    QString formatValue(int column, const QVariant &value) const;
    // Only while editing or inserting.
    bool setValue(const QString &field, const QVariant &value);
    // Text typed by the clerk, converted by the field's kind; a text that is
    // not a number or a date gives false and a message in lastError().
    bool setText(const QString &field, const QString &text);

    // --- editing ---------------------------------------------------------------
    State state() const { return m_state; }
    bool edit();
    bool insert();  // a new row at the current position
    bool append();  // a new row at the end
    bool post();
    void cancel();
    bool remove();  // deletes the current row
    bool isModified() const { return m_modified; }
    // Called by a control from beforePost when what it holds cannot be
    // stored (a number typed wrong): the post is abandoned with the message.
    void vetoPost(const QString &message);

    // --- searching and client-side views ----------------------------------------
    // Moves to the first row whose field matches; stays put on a miss.
    // CaseInsensitive folds the Turkish way (İ/i, I/ı); PartialKey matches a prefix.
    bool locate(const QString &field, const QVariant &value, LocateOptions options = NoLocateOptions);
    // Shows only the rows whose field equals the value (text compared as shown).
    void setFilter(const QString &field, const QVariant &value);
    void clearFilter();
    bool isFiltered() const { return m_filterColumn >= 0; }
    void setSort(const QString &field, Qt::SortOrder order);
    void clearSort();

signals:
    // Controls write what they hold into the row before it is posted.
    void beforePost(DataSet *dataSet);
    void afterOpen(DataSet *dataSet);
    void afterClose(DataSet *dataSet);
    void afterScroll(DataSet *dataSet);
    void afterPost(DataSet *dataSet);
    void afterDelete(DataSet *dataSet);
    void stateChanged(DataSet *dataSet);
    // The current row's values changed without a move (edit, post, cancel, re-read).
    void currentValuesChanged(DataSet *dataSet);

    // For views over the rows.
    void rowsAboutToBeReset();
    void rowsReset();
    void rowsAboutToBeInserted(int first, int last);
    void rowsInserted();
    void rowsAboutToBeRemoved(int first, int last);
    void rowsRemoved();
    void rowChanged(int row);

private:
    bool openCursor();
    bool beginInsert(bool atEnd);
    int fetchChunk(int rows);
    void setState(State s);
    void setCurrent(int row, bool notify = true);
    int slotAt(int row) const { return m_order[size_t(row)]; }
    bool passesFilter(int slot) const;
    bool refreshRowFromTable(int row);
    // Reads the current row anew if it has not been since it became current.
    void readStaleRow() const;
    bool readRowById(const QVariant &id, QVariantList *values);
    void fail(const QString &message) { m_error = message; }
    QVariant convertForColumn(int column, const QVariant &value) const;
    QHash<QString, QVariant> boundParameters() const;
    void applySort();
    void rebuildOrder();
    void resetView();
    void fetchAllInto();
    bool hasView() const { return m_filterColumn >= 0 || m_sortColumn >= 0; }
    void replaceSlot(int row, int newSlot);

    QString m_connection;
    bool m_fewRows = false;
    mutable bool m_rowStale = false; // a live list's current row, not read since it became current
    QString m_sql;
    QString m_table;
    Kind m_kind = Kind::Snapshot;
    bool m_fetchAll = false;
    QStringList m_paramNames;
    QHash<QString, QVariant> m_params; // by lower-case name
    QSet<QString> m_dateParams;        // compared with date columns only; lower-case
    QHash<QString, FieldInfo> m_info;  // by lower-case name
    mutable std::vector<FieldInfo> m_columnInfo; // m_info resolved per column of the open result
    mutable bool m_columnInfoValid = false;

    std::unique_ptr<SqlCursor> m_cursor;
    std::vector<QString> m_fields;
    RowStore m_rows;
    std::vector<int> m_all;   // rows in the statement's order (plus own inserts) -> slots
    std::vector<int> m_order; // the rows shown: m_all filtered and sorted
    std::optional<int> m_countAtOpen;
    int m_localDelta = 0;     // own inserts minus own deletes since the count

    State m_state = State::Inactive;
    int m_current = -1;
    bool m_bof = true;
    bool m_eof = true;
    QVariantList m_buffer;    // the row being edited or inserted
    bool m_modified = false;
    int m_insertRow = -1;
    int m_rowBeforeInsert = -1;
    bool m_hasKey = true;
    static constexpr int NewRow = -1; // the slot of the row being inserted
    std::optional<QString> m_veto;

    int m_filterColumn = -1;
    QVariant m_filterValue;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QString m_error;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(DataSet::LocateOptions)
