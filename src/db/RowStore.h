#pragma once

#include "db/Schema.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Rows of a result kept compactly: each row is one run of bytes (a null map,
// then each value in a small encoding: variable-length integers, UTF-8 text),
// held in large blocks. A million transactions take well under a hundred
// megabytes, where a QVariant per cell would take several times that.
//
// Values go in and come out as the program's types: int, Money, QDateTime,
// QString, QByteArray, double (and, for columns of unknown kind, whatever the
// database gave: qlonglong, double, QString, QByteArray).
class RowStore
{
public:
    RowStore() = default;
    ~RowStore();
    RowStore(const RowStore &) = delete;
    RowStore &operator=(const RowStore &) = delete;
    // The storage of each column; nullopt columns keep a tag per value.
    void reset(std::vector<std::optional<ColumnType>> columnTypes);
    void clear();

    int columnCount() const { return int(m_types.size()); }
    std::optional<ColumnType> columnType(int column) const { return m_types[size_t(column)]; }
    const std::vector<std::optional<ColumnType>> &columnTypes() const { return m_types; }
    int slotCount() const { return int(m_slots.size()); }

    // Building a row: begin, one put per column in order, then finish, which
    // returns the new slot's number.
    class Writer
    {
    public:
        void putNull();
        void putInt(qint64 v);         // Integer, Currency (ten-thousandths), unknown integers
        void putDouble(double v);
        void putText(const char *utf8, int size);
        void putText(const QString &text);
        void putBlob(const char *data, int size);
        void putDateTime(const QDate &date, int secondsOfDay); // seconds < 0: a whole date
        void putJulianDay(qint64 julianDay, int secondsOfDay);
        void putVariant(const QVariant &value); // by the column's kind
        int finish();

    private:
        friend class RowStore;
        explicit Writer(RowStore *store);
        RowStore *m_store;
        std::string &m_buf; // the store's scratch buffer: no allocation per row
        int m_column = 0;
        int m_nullBytes = 0;
    };
    Writer writer();
    int addRow(const QVariantList &values);

    QVariant value(int slot, int column) const;

    // One value without building a QVariant (for showing many cells fast).
    struct Cell
    {
        enum Kind { Null, Int, Double, Text, Blob, DateTime } kind = Null;
        qint64 integer = 0;     // Int; DateTime: the Julian day
        double real = 0;
        int seconds = -1;       // DateTime: seconds of the day, -1 for a whole date
        const char *bytes = nullptr; // Text (UTF-8), Blob
        int size = 0;
    };
    Cell cell(int slot, int column) const;
    QVariantList row(int slot) const;
    bool isNull(int slot, int column) const;
    // The raw UTF-8 of a text value, for fast comparisons (empty when not text).
    QByteArray textBytes(int slot, int column) const;

    size_t bytesUsed() const { return m_bytes; }

private:
    struct Slot { quint32 block; quint32 offset; quint32 length; };
    int store(const std::string &bytes);
    std::string m_scratch;
    const char *slotData(int slot) const;
    const char *findColumn(int slot, int column) const;

    std::vector<std::optional<ColumnType>> m_types;
    // Where each value of the row last looked at starts: a grid asks for a
    // row's cells one after another.
    mutable int m_offsetsSlot = -1;
    mutable std::vector<const char *> m_offsets;
    struct Block
    {
        char *data = nullptr;
        size_t size = 0;
        bool mapped = false; // taken straight from the system, given straight back
    };
    static Block allocateBlock(size_t size);
    static void releaseBlock(const Block &block);
    std::vector<Block> m_blocks;
    int m_currentBlock = -1;
    quint32 m_currentBlockSize = 0;
    quint32 m_blockUsed = 0;
    std::vector<Slot> m_slots;
    size_t m_bytes = 0;
};
