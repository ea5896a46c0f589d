#include "db/RowStore.h"

#include "db/Money.h"

#include <QDateTime>
#include <cstdlib>
#include <cstring>
#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace {

// Rows are packed into blocks of 2 MB: on Linux each block is one huge page,
// so filling a million rows costs fifty page faults instead of twenty-five
// thousand.
constexpr quint32 BlockSize = 2u << 20;
constexpr quint32 FirstBlockSize = 64u << 10;
// Day numbers count from 1 January 1900 so that the shop's dates stay small.
constexpr qint64 DayZero = 2415021;

enum Tag : char { TagInt = 1, TagDouble = 2, TagText = 3, TagBlob = 4 };

void putVarint(std::string &b, quint64 v)
{
    while (v >= 0x80) {
        b.push_back(char((v & 0x7F) | 0x80));
        v >>= 7;
    }
    b.push_back(char(v));
}

quint64 getVarint(const char *&p)
{
    quint64 v = 0;
    int shift = 0;
    for (;;) {
        const auto c = quint8(*p++);
        v |= quint64(c & 0x7F) << shift;
        if (!(c & 0x80))
            return v;
        shift += 7;
    }
}

inline quint64 zigzag(qint64 v) { return (quint64(v) << 1) ^ quint64(v >> 63); }
inline qint64 unzigzag(quint64 v) { return qint64(v >> 1) ^ -qint64(v & 1); }

enum class Storage { Int, Double, Text, Blob, DateTime, Tagged };

Storage storageOf(const std::optional<ColumnType> &t)
{
    if (!t)
        return Storage::Tagged;
    switch (*t) {
    case ColumnType::AutoNumber:
    case ColumnType::Integer:
    case ColumnType::Currency: return Storage::Int;
    case ColumnType::Double: return Storage::Double;
    case ColumnType::Text:
    case ColumnType::Memo: return Storage::Text;
    case ColumnType::Blob: return Storage::Blob;
    case ColumnType::DateTime: return Storage::DateTime;
    }
    return Storage::Tagged;
}

// Moves past one value of the given storage.
void skip(const char *&p, Storage s)
{
    switch (s) {
    case Storage::Int:
    case Storage::DateTime: getVarint(p); return;
    case Storage::Double: p += 8; return;
    case Storage::Text:
    case Storage::Blob: { const quint64 n = getVarint(p); p += n; return; }
    case Storage::Tagged: {
        const char tag = *p++;
        if (tag == TagInt) getVarint(p);
        else if (tag == TagDouble) p += 8;
        else { const quint64 n = getVarint(p); p += n; }
        return;
    }
    }
}

QVariant decode(const char *p, const std::optional<ColumnType> &type)
{
    switch (storageOf(type)) {
    case Storage::Int: {
        const qint64 v = unzigzag(getVarint(p));
        if (*type == ColumnType::Currency)
            return QVariant::fromValue(Money::fromRaw(v));
        return int(v);
    }
    case Storage::Double: { double d; std::memcpy(&d, p, 8); return d; }
    case Storage::Text: { const quint64 n = getVarint(p); return QString::fromUtf8(p, qsizetype(n)); }
    case Storage::Blob: { const quint64 n = getVarint(p); return QByteArray(p, qsizetype(n)); }
    case Storage::DateTime: {
        const quint64 v = getVarint(p);
        if (!(v & 1))
            return QDateTime(QDate::fromJulianDay(unzigzag(v >> 1) + DayZero), QTime(0, 0));
        const quint64 w = v >> 1;
        const qint64 days = unzigzag(w / 86400);
        return QDateTime(QDate::fromJulianDay(days + DayZero), QTime(0, 0).addSecs(int(w % 86400)));
    }
    case Storage::Tagged: {
        const char tag = *p++;
        if (tag == TagInt) return qlonglong(unzigzag(getVarint(p)));
        if (tag == TagDouble) { double d; std::memcpy(&d, p, 8); return d; }
        const quint64 n = getVarint(p);
        if (tag == TagText) return QString::fromUtf8(p, qsizetype(n));
        return QByteArray(p, qsizetype(n));
    }
    }
    return QVariant();
}

} // namespace

void RowStore::reset(std::vector<std::optional<ColumnType>> columnTypes)
{
    clear();
    m_types = std::move(columnTypes);
}

void RowStore::clear()
{
    m_offsetsSlot = -1;
    for (const Block &b : m_blocks)
        releaseBlock(b);
    m_blocks.clear();
    m_currentBlock = -1;
    m_blockUsed = 0;
    m_slots.clear();
    m_slots.shrink_to_fit();
    m_bytes = 0;
}

RowStore::Writer RowStore::writer() { return Writer(this); }

RowStore::Writer::Writer(RowStore *store) : m_store(store), m_buf(store->m_scratch)
{
    m_nullBytes = (store->columnCount() + 7) / 8;
    m_buf.assign(size_t(m_nullBytes), '\0');
}

void RowStore::Writer::putNull()
{
    m_buf[m_column / 8] = char(m_buf[m_column / 8] | (1 << (m_column % 8)));
    ++m_column;
}

void RowStore::Writer::putInt(qint64 v)
{
    if (storageOf(m_store->m_types[size_t(m_column)]) == Storage::Tagged)
        m_buf.push_back(TagInt);
    putVarint(m_buf, zigzag(v));
    ++m_column;
}

void RowStore::Writer::putDouble(double v)
{
    if (storageOf(m_store->m_types[size_t(m_column)]) == Storage::Tagged)
        m_buf.push_back(TagDouble);
    m_buf.append(reinterpret_cast<const char *>(&v), 8);
    ++m_column;
}

void RowStore::Writer::putText(const char *utf8, int size)
{
    if (storageOf(m_store->m_types[size_t(m_column)]) == Storage::Tagged)
        m_buf.push_back(TagText);
    putVarint(m_buf, quint64(size));
    m_buf.append(utf8, size_t(size));
    ++m_column;
}

void RowStore::Writer::putText(const QString &text)
{
    const QByteArray u = text.toUtf8();
    putText(u.constData(), int(u.size()));
}

void RowStore::Writer::putBlob(const char *data, int size)
{
    if (storageOf(m_store->m_types[size_t(m_column)]) == Storage::Tagged)
        m_buf.push_back(TagBlob);
    putVarint(m_buf, quint64(size));
    m_buf.append(data, size_t(size));
    ++m_column;
}

void RowStore::Writer::putDateTime(const QDate &date, int secondsOfDay)
{
    putJulianDay(date.toJulianDay(), secondsOfDay);
}

void RowStore::Writer::putJulianDay(qint64 julianDay, int secondsOfDay)
{
    const quint64 days = zigzag(julianDay - DayZero);
    putVarint(m_buf, secondsOfDay < 0 ? days << 1 : ((days * 86400 + quint64(secondsOfDay)) << 1) | 1);
    ++m_column;
}

void RowStore::Writer::putVariant(const QVariant &value)
{
    if (value.isNull() || !value.isValid()) {
        putNull();
        return;
    }
    const auto &type = m_store->m_types[size_t(m_column)];
    switch (storageOf(type)) {
    case Storage::Int:
        if (value.metaType() == QMetaType::fromType<Money>())
            putInt(value.value<Money>().raw());
        else
            putInt(value.toLongLong());
        return;
    case Storage::Double: putDouble(value.toDouble()); return;
    case Storage::Text: putText(value.toString()); return;
    case Storage::Blob: { const QByteArray b = value.toByteArray(); putBlob(b.constData(), int(b.size())); return; }
    case Storage::DateTime: {
        const QDateTime dt = value.metaType().id() == QMetaType::QDate ? QDateTime(value.toDate(), QTime(0, 0))
                                                                       : value.toDateTime();
        if (!dt.isValid()) { putNull(); return; }
        const int secs = dt.time().msecsSinceStartOfDay() / 1000;
        putDateTime(dt.date(), secs == 0 ? -1 : secs);
        return;
    }
    case Storage::Tagged:
        switch (value.metaType().id()) {
        case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt: case QMetaType::ULongLong:
        case QMetaType::Bool:
            putInt(value.toLongLong()); return;
        case QMetaType::Double: case QMetaType::Float: putDouble(value.toDouble()); return;
        case QMetaType::QByteArray: { const QByteArray b = value.toByteArray(); putBlob(b.constData(), int(b.size())); return; }
        default: putText(value.toString()); return;
        }
    }
}

int RowStore::Writer::finish()
{
    while (m_column < m_store->columnCount())
        putNull();
    return m_store->store(m_buf);
}

int RowStore::addRow(const QVariantList &values)
{
    Writer w = writer();
    for (int c = 0; c < columnCount(); ++c)
        w.putVariant(c < values.size() ? values[c] : QVariant());
    return w.finish();
}

int RowStore::store(const std::string &bytes)
{
    const auto len = quint32(bytes.size());
    if (len > BlockSize / 4) {
        // A large value (a photograph) gets a block of its own; small rows go
        // on filling the current block.
        m_blocks.push_back(allocateBlock(len));
        std::memcpy(m_blocks.back().data, bytes.data(), len);
        m_slots.push_back({quint32(m_blocks.size() - 1), 0, len});
        m_bytes += len;
        return int(m_slots.size() - 1);
    }
    if (m_currentBlock < 0 || m_blockUsed + len > m_currentBlockSize) {
        // A short list needs one small block; a long one gets whole huge pages.
        m_currentBlockSize = m_blocks.empty() ? std::max(FirstBlockSize, len) : BlockSize;
        m_blocks.push_back(allocateBlock(m_currentBlockSize));
        m_currentBlock = int(m_blocks.size() - 1);
        m_blockUsed = 0;
        m_bytes += m_currentBlockSize;
    }
    std::memcpy(m_blocks[size_t(m_currentBlock)].data + m_blockUsed, bytes.data(), len);
    m_slots.push_back({quint32(m_currentBlock), m_blockUsed, len});
    m_blockUsed += len;
    return int(m_slots.size() - 1);
}

const char *RowStore::slotData(int slot) const
{
    const Slot &s = m_slots[size_t(slot)];
    return m_blocks[s.block].data + s.offset;
}

const char *RowStore::findColumn(int slot, int column) const
{
    if (slot != m_offsetsSlot) {
        const char *base = slotData(slot);
        const char *p = base + (columnCount() + 7) / 8;
        m_offsets.resize(m_types.size());
        for (int c = 0; c < columnCount(); ++c) {
            if (base[c / 8] & (1 << (c % 8))) {
                m_offsets[size_t(c)] = nullptr;
            } else {
                m_offsets[size_t(c)] = p;
                skip(p, storageOf(m_types[size_t(c)]));
            }
        }
        m_offsetsSlot = slot;
    }
    return m_offsets[size_t(column)];
}

QVariant RowStore::value(int slot, int column) const
{
    const char *p = findColumn(slot, column);
    return p ? decode(p, m_types[size_t(column)]) : QVariant();
}

QVariantList RowStore::row(int slot) const
{
    QVariantList out;
    out.reserve(columnCount());
    const char *base = slotData(slot);
    const char *p = base + (columnCount() + 7) / 8;
    for (int c = 0; c < columnCount(); ++c) {
        if (base[c / 8] & (1 << (c % 8))) {
            out << QVariant();
        } else {
            out << decode(p, m_types[size_t(c)]);
            skip(p, storageOf(m_types[size_t(c)]));
        }
    }
    return out;
}

RowStore::~RowStore()
{
    clear();
}

// Long lists fill blocks of whole huge pages taken straight from the system
// (and given straight back when the list closes), so the allocator's heap
// neither fragments nor keeps them.
RowStore::Block RowStore::allocateBlock(size_t size)
{
#ifdef Q_OS_LINUX
    if (size == BlockSize) {
        void *raw = mmap(nullptr, 2 * size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (raw != MAP_FAILED) {
            const auto start = reinterpret_cast<quintptr>(raw);
            const quintptr aligned = (start + size - 1) & ~quintptr(size - 1);
            if (aligned > start)
                munmap(raw, aligned - start);
            const quintptr end = aligned + size;
            const quintptr rawEnd = start + 2 * size;
            if (rawEnd > end)
                munmap(reinterpret_cast<void *>(end), rawEnd - end);
            madvise(reinterpret_cast<void *>(aligned), size, MADV_HUGEPAGE);
            return {reinterpret_cast<char *>(aligned), size, true};
        }
    }
#endif
    return {static_cast<char *>(std::malloc(size)), size, false}; // written at once: no need to zero it
}

void RowStore::releaseBlock(const Block &block)
{
#ifdef Q_OS_LINUX
    if (block.mapped) {
        munmap(block.data, block.size);
        return;
    }
#endif
    std::free(block.data);
}

RowStore::Cell RowStore::cell(int slot, int column) const
{
    Cell c;
    const char *p = findColumn(slot, column);
    if (!p)
        return c;
    Storage st = storageOf(m_types[size_t(column)]);
    if (st == Storage::Tagged) {
        const char tag = *p++;
        st = tag == TagInt ? Storage::Int : tag == TagDouble ? Storage::Double : tag == TagText ? Storage::Text : Storage::Blob;
    }
    switch (st) {
    case Storage::Int:
        c.kind = Cell::Int;
        c.integer = unzigzag(getVarint(p));
        break;
    case Storage::Double:
        c.kind = Cell::Double;
        std::memcpy(&c.real, p, 8);
        break;
    case Storage::Text:
    case Storage::Blob: {
        c.kind = st == Storage::Text ? Cell::Text : Cell::Blob;
        c.size = int(getVarint(p));
        c.bytes = p;
        break;
    }
    case Storage::DateTime: {
        c.kind = Cell::DateTime;
        const quint64 v = getVarint(p);
        if (!(v & 1)) {
            c.integer = unzigzag(v >> 1) + DayZero;
            c.seconds = -1;
        } else {
            const quint64 w = v >> 1;
            c.integer = unzigzag(w / 86400) + DayZero;
            c.seconds = int(w % 86400);
        }
        break;
    }
    case Storage::Tagged:
        break;
    }
    return c;
}

bool RowStore::isNull(int slot, int column) const
{
    return slotData(slot)[column / 8] & (1 << (column % 8));
}

QByteArray RowStore::textBytes(int slot, int column) const
{
    const char *p = findColumn(slot, column);
    if (!p)
        return QByteArray();
    const Storage s = storageOf(m_types[size_t(column)]);
    if (s == Storage::Tagged) {
        if (*p != TagText)
            return QByteArray();
        ++p;
    } else if (s != Storage::Text) {
        return QByteArray();
    }
    const quint64 n = getVarint(p);
    return QByteArray::fromRawData(p, qsizetype(n));
}
