#include "components/DataSet.h"

#include "components/Format.h"
#include "db/Money.h"
#include "db/SqlCursor.h"
#include "components/TurkishText.h"
#include "db/Database.h"
#include "db/SqlDialect.h"
#include "db/Statement.h"

#include <QCollator>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

namespace {

// The one table a statement reads, when it reads only one: "Select * from
// Kasa Where ..." is CD-less and join-less, so its rows can be written back.
QString singleTableOf(const QString &sql)
{
    static const QRegularExpression join(QStringLiteral("\\bjoin\\b|,\\s*\\w+\\s*(where|order|group|$)"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression from(
        QStringLiteral("^\\s*select\\s+.+?\\s+from\\s+\\[?(\\w+)\\]?\\s*(?:(?:where|order|group)\\b.*)?$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = from.match(sql);
    if (!m.hasMatch() || join.match(sql).hasMatch())
        return QString();
    const QString table = m.captured(1);
    return Schema::table(table) ? table : QString();
}

// The statement without its final ORDER BY, for counting its rows: the order
// does not change the count, and sorting fifty thousand titles only to count
// them costs as much as reading them. Kept when a LIMIT or OFFSET follows.
QString withoutFinalOrder(const QString &sql)
{
    static const QRegularExpression orderBy(QStringLiteral("\\border\\s+by\\b"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression limit(QStringLiteral("\\b(limit|offset)\\b"), QRegularExpression::CaseInsensitiveOption);
    int depth = 0;
    QChar quote;
    qsizetype last = -1;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"')
            quote = c;
        else if (c == u'(')
            ++depth;
        else if (c == u')')
            --depth;
        else if (depth == 0 && (c == u'o' || c == u'O')) {
            const QRegularExpressionMatch m = orderBy.match(sql, i, QRegularExpression::NormalMatch,
                                                            QRegularExpression::AnchorAtOffsetMatchOption);
            if (m.hasMatch())
                last = i;
        }
    }
    if (last < 0 || limit.match(sql, last).hasMatch())
        return sql;
    return sql.left(last);
}

// The parameters that the statement compares with date columns and with
// nothing else ("Tarih Between :T1 and :T2", ":Bugun > GelecekTarih"), by
// lower-case name. A column counts as a date column when the schema types its
// name as one; a parameter used any other way, even once, is left out.
QSet<QString> dateComparedParameters(const QString &sql)
{
    // Quoted text is blanked: nothing inside it is a parameter or a column.
    QString text = sql;
    QChar quote;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                text[i] = u' ';
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        }
    }
    constexpr auto ci = QRegularExpression::CaseInsensitiveOption;
    // A column standing alone as one side of a comparison: after the start
    // of a condition, never inside arithmetic.
    static const QString lead = QStringLiteral("(?:^|[(,]|\\b(?:where|and|or|not|on|when|having)\\s)\\s*");
    static const QString column = QStringLiteral("([A-Za-z_]\\w*(?:\\.[A-Za-z_]\\w*)?)");
    static const QString op = QStringLiteral("(?:=|<>|!=|<=|>=|<|>)");
    static const QString operand = QStringLiteral("(?::\\w+|'[^']*'|[\\w.]+)");
    static const QRegularExpression param(QStringLiteral("(?<![:\\w]):([A-Za-z_]\\w*)"));
    static const QRegularExpression compared(lead + column + QStringLiteral("\\s*") + op + QStringLiteral("\\s*$"), ci);
    static const QRegularExpression between(
        lead + column + QStringLiteral("\\s+(?:not\\s+)?between\\s+(?:") + operand + QStringLiteral("\\s+and\\s+)?$"), ci);
    static const QRegularExpression comparedTo(
        QStringLiteral("^\\s*") + op + QStringLiteral("\\s*") + column + QStringLiteral("(?![\\w.]|\\s*[-+*/|(])"), ci);
    // The parameter must be the whole operand, not a part of arithmetic.
    static const QRegularExpression startsOperand(lead + QStringLiteral("$"), ci);
    static const QRegularExpression endsOperand(QStringLiteral("^\\s*(?:$|[),;]|\\b(?:and|or|order|group|having|then|else|end)\\b)"), ci);

    QHash<QString, bool> dateOnly;
    for (auto it = param.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString name = m.captured(1).toLower();
        const QString before = text.left(m.capturedStart());
        const QString after = text.mid(m.capturedEnd());
        QString col;
        const bool ends = endsOperand.match(after).hasMatch();
        if (const auto b = compared.match(before); b.hasMatch() && ends)
            col = b.captured(1);
        else if (const auto w = between.match(before); w.hasMatch() && ends)
            col = w.captured(1);
        else if (const auto a = comparedTo.match(after); a.hasMatch() && startsOperand.match(before).hasMatch())
            col = a.captured(1);
        const bool isDate = !col.isEmpty() && Schema::typeOfColumnName(col) == ColumnType::DateTime;
        const auto seen = dateOnly.constFind(name);
        dateOnly.insert(name, isDate && (seen == dateOnly.cend() || *seen));
    }
    QSet<QString> names;
    for (auto it = dateOnly.cbegin(); it != dateOnly.cend(); ++it) {
        if (*it)
            names.insert(it.key());
    }
    return names;
}

bool isTextual(const QVariant &v)
{
    return v.metaType().id() == QMetaType::QString;
}

int compareVariants(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return int(!a.isNull()) - int(!b.isNull());
    if (a.metaType() == QMetaType::fromType<Money>() || b.metaType() == QMetaType::fromType<Money>()) {
        const auto ma = a.metaType() == QMetaType::fromType<Money>() ? a.value<Money>() : Money::fromDouble(a.toDouble());
        const auto mb = b.metaType() == QMetaType::fromType<Money>() ? b.value<Money>() : Money::fromDouble(b.toDouble());
        return ma < mb ? -1 : (mb < ma ? 1 : 0);
    }
    const int ta = a.metaType().id();
    if (ta == QMetaType::QDateTime || ta == QMetaType::QDate) {
        const QDateTime da = a.toDateTime(), db = b.toDateTime();
        return da < db ? -1 : (db < da ? 1 : 0);
    }
    if (isTextual(a) || isTextual(b)) {
        static const QCollator collator(QLocale(QLocale::Turkish, QLocale::Turkey));
        return collator.compare(a.toString(), b.toString());
    }
    const double x = a.toDouble(), y = b.toDouble();
    return x < y ? -1 : (y < x ? 1 : 0);
}

} // namespace

DataSet::DataSet(const QString &name, QObject *parent)
    : QObject(parent), m_connection(Database::ConnectionName)
{
    setObjectName(name);
}

DataSet::~DataSet() = default;

void DataSet::setConnectionName(const QString &name)
{
    close();
    m_connection = name;
}

QSqlDatabase DataSet::database() const
{
    return Database::connection(m_connection);
}

void DataSet::setSql(const QString &sql)
{
    close();
    // A view over the old statement's columns means nothing over the new one,
    // nor does what was known of its size.
    m_fewRows = false;
    m_filterColumn = -1;
    m_filterValue.clear();
    m_sortColumn = -1;
    m_sql = sql;
    m_table = singleTableOf(sql);
    m_paramNames = sqlParameterNames(sql);
    m_dateParams = dateComparedParameters(sql);
    m_params.clear();
}

QHash<QString, QVariant> DataSet::boundParameters() const
{
    QHash<QString, QVariant> bound = m_params;
    for (const QString &name : m_dateParams) {
        const auto it = bound.find(name);
        if (it == bound.end() || !isTextual(*it))
            continue;
        const QDate d = Format::parseShortDate(it->toString());
        if (d.isValid())
            *it = d;
    }
    return bound;
}

void DataSet::setParameter(const QString &name, const QVariant &value)
{
    m_params.insert(name.toLower(), value);
}

void DataSet::setParameter(int index, const QVariant &value)
{
    if (index >= 0 && index < m_paramNames.size())
        setParameter(m_paramNames[index], value);
}

QVariant DataSet::parameter(const QString &name) const
{
    return m_params.value(name.toLower());
}

FieldInfo &DataSet::fieldInfo(const QString &field)
{
    m_columnInfoValid = false;
    return m_info[field.toLower()];
}

const FieldInfo &DataSet::fieldInfo(int column) const
{
    if (!m_columnInfoValid || m_columnInfo.size() != m_fields.size()) {
        m_columnInfo.assign(m_fields.size(), FieldInfo());
        for (size_t c = 0; c < m_fields.size(); ++c) {
            FieldInfo info = m_info.value(m_fields[c].toLower());
            if (info.caption.isEmpty())
                info.caption = m_fields[c];
            if (!info.alignment) {
                const auto t = m_rows.columnType(int(c));
                const bool numeric = t == ColumnType::Integer || t == ColumnType::Currency || t == ColumnType::Double;
                info.alignment = Qt::AlignVCenter | (numeric ? Qt::AlignRight : Qt::AlignLeft);
            }
            m_columnInfo[c] = std::move(info);
        }
        m_columnInfoValid = true;
    }
    return m_columnInfo[size_t(column)];
}

// --------------------------------------------------------------- open, close

bool DataSet::openCursor()
{
    m_error.clear();
    QSqlDatabase db = database();
    if (!db.isOpen()) {
        fail(QStringLiteral("The database is not open."));
        return false;
    }
    m_cursor = SqlCursor::create(db);
    m_cursor->setFewRows(m_fewRows);
    QHash<QString, ColumnType> overrides;
    for (auto it = m_info.cbegin(); it != m_info.cend(); ++it) {
        if (it->type)
            overrides.insert(it.key(), *it->type);
    }
    if (!m_cursor->exec(m_sql, boundParameters(), overrides)) {
        fail(m_cursor->errorText());
        m_cursor.reset();
        return false;
    }
    std::vector<QString> fields(m_cursor->columnTypes().size());
    for (int i = 0; i < m_cursor->columnCount(); ++i)
        fields[size_t(i)] = m_cursor->columnName(i);
    // The presentation resolved per column stays while the columns do.
    if (fields != m_fields || m_cursor->columnTypes() != m_rows.columnTypes())
        m_columnInfoValid = false;
    m_fields = std::move(fields);
    m_rows.reset(m_cursor->columnTypes());
    // Rows are written back by their key: a result without one is read-only.
    m_hasKey = fieldIndex(QStringLiteral("ID")) >= 0;
    m_countAtOpen.reset();
    m_localDelta = 0;
    m_all.clear();
    m_cursor->fetch(m_fetchAll || m_cursor->mustBeReadAtOnce() ? INT_MAX : FirstChunkSize, m_rows, m_all);
    if (!m_cursor->errorText().isEmpty()) {
        fail(m_cursor->errorText());
        return false;
    }
    if (m_sortColumn >= 0)
        fetchAllInto();
    rebuildOrder();
    return true;
}

bool DataSet::open()
{
    if (isOpen())
        return true;
    emit rowsAboutToBeReset();
    const bool ok = openCursor();
    if (!ok) {
        m_fields.clear();
        m_rows.clear();
        m_order.clear();
        emit rowsReset();
        return false;
    }
    m_state = State::Browse;
    m_current = m_order.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_order.empty();
    emit rowsReset();
    emit stateChanged(this);
    emit afterOpen(this);
    emit afterScroll(this);
    return true;
}

void DataSet::close()
{
    m_rowStale = false;
    if (m_state == State::Inactive)
        return;
    emit rowsAboutToBeReset();
    m_cursor.reset();
    m_rows.clear();
    m_all.clear();
    m_all.shrink_to_fit();
    m_order.clear();
    m_order.shrink_to_fit();
    m_buffer.clear();
    m_modified = false;
    m_current = -1;
    m_bof = m_eof = true;
    m_state = State::Inactive;
    emit rowsReset();
    emit stateChanged(this);
    emit afterClose(this);
}

bool DataSet::requery()
{
    close();
    return open();
}

bool DataSet::execSql(int *rowsAffected)
{
    close();
    m_error.clear();
    QSqlDatabase db = database();
    auto cursor = SqlCursor::create(db);
    if (!cursor->execNoRows(m_sql, boundParameters(), rowsAffected)) {
        fail(cursor->errorText());
        return false;
    }
    return true;
}

int DataSet::fieldIndex(const QString &field) const
{
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].compare(field, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    // "Table.Column" asked of a result that names the column alone.
    const qsizetype dot = field.lastIndexOf(u'.');
    return dot >= 0 ? fieldIndex(field.mid(dot + 1)) : -1;
}

// ------------------------------------------------------------------- rows

bool DataSet::canFetchMore() const
{
    return m_cursor && !m_cursor->atEnd();
}

int DataSet::fetchMore(int rows)
{
    // Under a filter a whole chunk may hold no row to show: read on until
    // one shows or the rows end, so that "no more rows" means it.
    int shownNow = 0;
    while (shownNow == 0 && canFetchMore())
        shownNow = fetchChunk(rows);
    return shownNow;
}

int DataSet::fetchChunk(int rows)
{
    if (!canFetchMore())
        return 0;
    std::vector<int> got;
    got.reserve(size_t(std::min(rows, ChunkSize * 4)));
    m_cursor->fetch(rows, m_rows, got);
    m_all.insert(m_all.end(), got.begin(), got.end());
    std::vector<int> shown;
    shown.reserve(got.size());
    for (int s : got) {
        if (passesFilter(s))
            shown.push_back(s);
    }
    if (!shown.empty()) {
        const int first = int(m_order.size());
        emit rowsAboutToBeInserted(first, first + int(shown.size()) - 1);
        m_order.insert(m_order.end(), shown.begin(), shown.end());
        emit rowsInserted();
        if (m_eof && m_current >= 0)
            m_eof = false;
    }
    return int(shown.size());
}

void DataSet::fetchAll()
{
    while (canFetchMore())
        fetchMore(ChunkSize * 16);
}

int DataSet::recordCount()
{
    if (!isOpen())
        return 0;
    const int typing = m_state == State::Insert ? 1 : 0;
    if (!canFetchMore())
        return int(m_order.size()) - typing;
    if (isFiltered()) {
        fetchAll();
        return int(m_order.size()) - typing;
    }
    if (!m_countAtOpen) {
        // Counting in the database is far cheaper than reading every row.
        auto cursor = SqlCursor::create(database());
        cursor->setFewRows(true);
        RowStore store;
        std::vector<int> got;
        QString inner = m_sql.trimmed();
        while (inner.endsWith(u';'))
            inner = inner.chopped(1).trimmed();
        inner = withoutFinalOrder(inner);
        if (cursor->exec(QStringLiteral("SELECT count(*) FROM (%1) vx_count").arg(inner), boundParameters(), {})) {
            store.reset(cursor->columnTypes());
            cursor->fetch(1, store, got);
        }
        if (got.empty()) {
            fetchAll();
            return int(m_order.size()) - typing;
        }
        m_countAtOpen = store.value(got.front(), 0).toInt();
        m_localDelta = 0; // the count already holds this list's own inserts and deletes
    }
    return *m_countAtOpen + m_localDelta;
}

bool DataSet::isEmpty()
{
    return m_order.empty() && !canFetchMore();
}

void DataSet::setCurrent(int row, bool notify)
{
    m_current = row;
    // A live list reads its current row anew when the row is first looked
    // at, not as it passes: a lookup that only moves the list to show a name
    // asks the server nothing.
    m_rowStale = row >= 0 && m_kind == Kind::Live;
    if (notify)
        emit afterScroll(this);
}

void DataSet::first()
{
    if (!isOpen() || (m_state != State::Browse && !post()))
        return;
    m_bof = true;
    m_eof = m_order.empty();
    if (!m_order.empty())
        setCurrent(0);
}

void DataSet::last()
{
    if (!isOpen() || (m_state != State::Browse && !post()))
        return;
    fetchAll();
    m_eof = true;
    m_bof = m_order.empty();
    if (!m_order.empty())
        setCurrent(int(m_order.size()) - 1);
}

void DataSet::next()
{
    if (!isOpen() || (m_state != State::Browse && !post()))
        return;
    if (m_current + 1 >= int(m_order.size()))
        fetchMore();
    if (m_current + 1 < int(m_order.size())) {
        m_bof = false;
        m_eof = false;
        setCurrent(m_current + 1);
    } else {
        m_eof = true;
    }
}

void DataSet::prior()
{
    if (!isOpen() || (m_state != State::Browse && !post()))
        return;
    if (m_current > 0) {
        m_bof = false;
        m_eof = false;
        setCurrent(m_current - 1);
    } else {
        m_bof = true;
    }
}

bool DataSet::moveTo(int row)
{
    if (!isOpen() || row < 0)
        return false;
    while (row >= int(m_order.size()) && canFetchMore())
        fetchMore();
    if (row >= int(m_order.size()))
        return false;
    if (row == m_current && m_state == State::Browse)
        return true;
    if (m_state != State::Browse && !post())
        return false;
    m_bof = row == 0;
    m_eof = false;
    setCurrent(row);
    return true;
}

// ----------------------------------------------------------------- values

void DataSet::readStaleRow() const
{
    if (!m_rowStale)
        return;
    m_rowStale = false;
    if (m_state == State::Browse && m_current >= 0)
        const_cast<DataSet *>(this)->refreshRowFromTable(m_current);
}

QVariant DataSet::value(int column) const
{
    if (column < 0 || column >= fieldCount())
        return QVariant();
    if (m_state == State::Edit || m_state == State::Insert)
        return m_buffer.value(column);
    if (m_current < 0)
        return QVariant();
    readStaleRow();
    return m_rows.value(slotAt(m_current), column);
}

QVariant DataSet::value(const QString &field) const
{
    return value(fieldIndex(field));
}

QVariant DataSet::valueAt(int row, int column) const
{
    if (row == m_current && (m_state == State::Edit || m_state == State::Insert))
        return m_buffer.value(column);
    if (row >= 0 && row < int(m_order.size()) && m_order[size_t(row)] == NewRow)
        return QVariant();
    if (row < 0 || row >= int(m_order.size()) || column < 0 || column >= fieldCount())
        return QVariant();
    return m_rows.value(slotAt(row), column);
}

QVariant DataSet::storedValueAt(int row, int column) const
{
    // Counted over the stored rows: the row being typed is passed over.
    if (m_state == State::Insert && row >= m_insertRow)
        ++row;
    if (row < 0 || row >= int(m_order.size()) || column < 0 || column >= fieldCount() || m_order[size_t(row)] == NewRow)
        return QVariant();
    return m_rows.value(slotAt(row), column);
}

int DataSet::storedRowCount() const
{
    return int(m_order.size()) - (m_state == State::Insert ? 1 : 0);
}

QString DataSet::formatValue(int column, const QVariant &v) const
{
    if (v.isNull() || !v.isValid())
        return QString();
    const QString &fmt = fieldInfo(column).displayFormat;
    if (v.metaType() == QMetaType::fromType<Money>())
        return Format::number(v.value<Money>(), fmt.isEmpty() ? QStringLiteral("#,###0.####") : fmt);
    switch (v.metaType().id()) {
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        if (!fmt.isEmpty())
            return dt.toString(fmt);
        return dt.time() == QTime(0, 0) ? Format::shortDate(dt.date()) : Format::dateTimeSeconds(dt);
    }
    case QMetaType::Double:
        return Format::number(v.toDouble(), fmt.isEmpty() ? QStringLiteral("#,###0.####") : fmt);
    case QMetaType::Int:
    case QMetaType::LongLong:
        return fmt.isEmpty() ? QString::number(v.toLongLong()) : Format::number(qint64(v.toLongLong()), fmt);
    case QMetaType::QByteArray:
        return QStringLiteral("(BLOB)");
    default:
        return v.toString();
    }
}

QString DataSet::displayText(const QString &field) const
{
    const int c = fieldIndex(field);
    return c < 0 ? QString() : formatValue(c, value(c));
}

QString DataSet::displayTextAt(int row, int column) const
{
    if (row == m_current && (m_state == State::Edit || m_state == State::Insert))
        return formatValue(column, m_buffer.value(column));
    if (row < 0 || row >= int(m_order.size()) || column < 0 || column >= fieldCount() || m_order[size_t(row)] == NewRow)
        return QString();
    // Straight from the stored bytes: a grid asks for every visible cell on
    // every paint.
    const RowStore::Cell c = m_rows.cell(slotAt(row), column);
    const QString &fmt = fieldInfo(column).displayFormat;
    switch (c.kind) {
    case RowStore::Cell::Null:
        return QString();
    case RowStore::Cell::Int:
        if (m_rows.columnType(column) == ColumnType::Currency)
            return Format::number(Money::fromRaw(c.integer), fmt.isEmpty() ? QStringLiteral("#,###0.####") : fmt);
        return fmt.isEmpty() ? QString::number(c.integer) : Format::number(c.integer, fmt);
    case RowStore::Cell::Double:
        return Format::number(c.real, fmt.isEmpty() ? QStringLiteral("#,###0.####") : fmt);
    case RowStore::Cell::Text:
        return QString::fromUtf8(c.bytes, c.size);
    case RowStore::Cell::Blob:
        return QStringLiteral("(BLOB)");
    case RowStore::Cell::DateTime: {
        const QDate d = QDate::fromJulianDay(c.integer);
        if (!fmt.isEmpty())
            return QDateTime(d, QTime(0, 0).addSecs(std::max(0, c.seconds))).toString(fmt);
        return c.seconds < 0 ? Format::shortDate(d) : Format::dateTimeSeconds(QDateTime(d, QTime(0, 0).addSecs(c.seconds)));
    }
    }
    return QString();
}

QVariant DataSet::convertForColumn(int column, const QVariant &v) const
{
    if (v.isNull() || !v.isValid())
        return QVariant();
    const auto type = m_rows.columnType(column);
    if (!type)
        return v;
    switch (*type) {
    case ColumnType::Currency:
        if (v.metaType() == QMetaType::fromType<Money>())
            return v;
        if (isTextual(v)) {
            const auto m = Format::parseMoney(v.toString());
            return m ? QVariant::fromValue(*m) : QVariant();
        }
        return QVariant::fromValue(Money::fromDouble(v.toDouble()));
    case ColumnType::AutoNumber:
    case ColumnType::Integer:
        return v.toInt();
    case ColumnType::Double:
        return v.toDouble();
    case ColumnType::DateTime:
        if (v.metaType().id() == QMetaType::QDate)
            return QDateTime(v.toDate(), QTime(0, 0));
        if (isTextual(v)) {
            const QDate d = Format::parseShortDate(v.toString());
            return d.isValid() ? QVariant(QDateTime(d, QTime(0, 0))) : QVariant();
        }
        return v.toDateTime();
    case ColumnType::Text:
    case ColumnType::Memo:
        return v.toString();
    case ColumnType::Blob:
        return v.toByteArray();
    }
    return v;
}

bool DataSet::setValue(const QString &field, const QVariant &value)
{
    if (m_state != State::Edit && m_state != State::Insert) {
        fail(QStringLiteral("%1: not in edit or insert mode.").arg(name()));
        return false;
    }
    const int c = fieldIndex(field);
    if (c < 0) {
        fail(QStringLiteral("%1: field '%2' not found.").arg(name(), field));
        return false;
    }
    const QVariant converted = convertForColumn(c, value);
    if (m_buffer[c] == converted && m_buffer[c].isNull() == converted.isNull())
        return true;
    m_buffer[c] = converted;
    m_modified = true;
    if (m_current >= 0)
        emit rowChanged(m_current);
    emit currentValuesChanged(this);
    return true;
}

bool DataSet::setText(const QString &field, const QString &text)
{
    const int c = fieldIndex(field);
    if (c < 0) {
        fail(QStringLiteral("%1: field '%2' not found.").arg(name(), field));
        return false;
    }
    const auto type = m_rows.columnType(c);
    const QString t = text.trimmed();
    if (t.isEmpty() && type && *type != ColumnType::Text && *type != ColumnType::Memo)
        return setValue(field, QVariant());
    QString error;
    if (type == ColumnType::Currency || type == ColumnType::Double) {
        const auto m = Format::parseMoney(t, &error);
        if (!m) {
            fail(error);
            return false;
        }
        return setValue(field, type == ColumnType::Currency ? QVariant::fromValue(*m) : QVariant(m->toDouble()));
    }
    if (type == ColumnType::Integer || type == ColumnType::AutoNumber) {
        const auto n = Format::parseInteger(t, &error);
        if (!n || *n < INT_MIN || *n > INT_MAX) {
            fail(error.isEmpty() ? QStringLiteral("'%1' is not a valid integer value.").arg(text) : error);
            return false;
        }
        return setValue(field, int(*n));
    }
    if (type == ColumnType::DateTime) {
        const QDate d = Format::parseShortDate(t);
        if (!d.isValid()) {
            fail(QStringLiteral("'%1' is not a valid date.").arg(text));
            return false;
        }
        return setValue(field, QDateTime(d, QTime(0, 0)));
    }
    return setValue(field, text);
}

// ---------------------------------------------------------------- editing

void DataSet::setState(State s)
{
    if (m_state == s)
        return;
    m_state = s;
    emit stateChanged(this);
}

bool DataSet::edit()
{
    if (m_state == State::Edit || m_state == State::Insert)
        return true;
    if (!isOpen()) {
        fail(QStringLiteral("%1: cannot perform this operation on a closed dataset.").arg(name()));
        return false;
    }
    if (isReadOnly()) {
        fail(QStringLiteral("%1: the rows of this list cannot be changed.").arg(name()));
        return false;
    }
    if (m_current < 0)
        return insert();
    if (!m_hasKey) {
        fail(QStringLiteral("%1: the list has no ID column, so its rows cannot be changed.").arg(name()));
        return false;
    }
    readStaleRow();
    m_buffer = m_rows.row(slotAt(m_current));
    m_modified = false;
    setState(State::Edit);
    return true;
}

bool DataSet::insert()
{
    return beginInsert(false);
}

bool DataSet::append()
{
    return beginInsert(true);
}

// The new row stands in the list as a row of its own while it is typed, at
// the current position (or at the end), like the row a grid shows it in.
bool DataSet::beginInsert(bool atEnd)
{
    if (!isOpen()) {
        fail(QStringLiteral("%1: cannot perform this operation on a closed dataset.").arg(name()));
        return false;
    }
    if (isReadOnly()) {
        fail(QStringLiteral("%1: the rows of this list cannot be changed.").arg(name()));
        return false;
    }
    if (m_state != State::Browse && !post())
        return false;
    if (atEnd)
        fetchAll();
    m_buffer = QVariantList();
    for (int i = 0; i < fieldCount(); ++i)
        m_buffer << QVariant();
    m_modified = false;
    m_rowBeforeInsert = m_current;
    m_insertRow = atEnd ? int(m_order.size()) : std::max(m_current, 0);
    emit rowsAboutToBeInserted(m_insertRow, m_insertRow);
    m_order.insert(m_order.begin() + m_insertRow, NewRow);
    emit rowsInserted();
    m_current = m_insertRow;
    setState(State::Insert);
    emit currentValuesChanged(this);
    return true;
}

bool DataSet::readRowById(const QVariant &id, QVariantList *values)
{
    QStringList cols;
    for (const QString &f : m_fields)
        cols << f;
    auto cursor = SqlCursor::create(database());
    cursor->setFewRows(true);
    QHash<QString, ColumnType> overrides;
    for (int i = 0; i < fieldCount(); ++i) {
        if (const auto t = m_rows.columnType(i))
            overrides.insert(m_fields[size_t(i)].toLower(), *t);
    }
    if (!cursor->exec(QStringLiteral("SELECT %1 FROM %2 WHERE ID = :vx_id").arg(cols.join(QStringLiteral(", ")), m_table),
                      {{QStringLiteral("vx_id"), id}}, overrides)) {
        fail(cursor->errorText());
        return false;
    }
    RowStore one;
    one.reset(m_rows.columnTypes());
    std::vector<int> got;
    cursor->fetch(1, one, got);
    if (got.empty())
        return false;
    *values = one.row(got.front());
    return true;
}

bool DataSet::refreshRowFromTable(int row)
{
    if (m_table.isEmpty() || fieldIndex(QStringLiteral("ID")) < 0)
        return false;
    const QVariant id = m_rows.value(slotAt(row), fieldIndex(QStringLiteral("ID")));
    QVariantList values;
    if (id.isNull() || !readRowById(id, &values))
        return false;
    if (values == m_rows.row(slotAt(row)))
        return true;
    replaceSlot(row, m_rows.addRow(values));
    emit rowChanged(row);
    return true;
}

bool DataSet::post()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return m_state == State::Browse;
    m_error.clear();
    m_veto.reset();
    emit beforePost(this);
    if (m_veto) {
        fail(*m_veto);
        m_veto.reset();
        return false;
    }
    const int idCol = fieldIndex(QStringLiteral("ID"));
    const TableDef *table = Schema::table(m_table);
    // A text longer than its column is refused here, naming the field and its
    // limit, before anything is written: the database would refuse it too, but
    // in its own words (a CHECK constraint on SQLite, "value too long for type
    // character varying" on PostgreSQL) that mean nothing at the counter. Only
    // what this post writes is measured, so a row an older version stored with
    // a longer text can still be saved with its other fields changed.
    for (int i = 0; i < fieldCount(); ++i) {
        const ColumnDef *def = Schema::column(m_table, m_fields[size_t(i)]);
        if (!def || def->type != ColumnType::Text || def->size <= 0 || m_buffer[i].isNull())
            continue;
        if (m_state == State::Edit) {
            const QVariant before = m_rows.value(slotAt(m_current), i);
            if (before == m_buffer[i] && !before.isNull())
                continue;
        }
        const QString text = m_buffer[i].toString();
        // Characters as the database counts them (a pair of UTF-16 halves is one).
        const qsizetype length =
            text.size() - std::count_if(text.begin(), text.end(), [](QChar c) { return c.isLowSurrogate(); });
        if (length > def->size) {
            const QString caption = fieldInfo(i).caption;
            fail(QStringLiteral("%1 holds at most %2 characters; the text typed has %3. Nothing was saved.")
                     .arg(caption.isEmpty() ? QString::fromLatin1(def->name) : caption)
                     .arg(def->size)
                     .arg(length));
            return false;
        }
    }
    // One statement, one round trip to a server.
    Statement st(m_connection);
    QVariant id;

    if (m_state == State::Insert) {
        QStringList cols, holders;
        SqlParams vals;
        for (int i = 0; i < fieldCount(); ++i) {
            const ColumnDef *def = Schema::column(m_table, m_fields[size_t(i)]);
            if (!def || m_buffer[i].isNull() || def->type == ColumnType::AutoNumber)
                continue;
            cols << QString::fromLatin1(def->name);
            holders << QStringLiteral(":p%1").arg(vals.size());
            vals.append({QStringLiteral("p%1").arg(vals.size()), m_buffer[i]});
        }
        const QString sql = cols.isEmpty()
            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES RETURNING ID").arg(QLatin1StringView(table->name))
            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING ID")
                  .arg(QLatin1StringView(table->name), cols.join(QStringLiteral(", ")), holders.join(QStringLiteral(", ")));
        std::optional<QVariantList> row;
        if (!st.readRow(sql, vals, &row) || !row || row->isEmpty()) {
            fail(st.errorText().isEmpty() ? QStringLiteral("%1: the new row's key was not returned.").arg(name())
                                          : st.errorText());
            return false;
        }
        id = row->front().toInt();
    } else {
        id = m_rows.value(slotAt(m_current), idCol);
        const QVariantList before = m_rows.row(slotAt(m_current));
        QStringList sets;
        SqlParams vals;
        for (int i = 0; i < fieldCount(); ++i) {
            const ColumnDef *def = Schema::column(m_table, m_fields[size_t(i)]);
            if (!def || def->type == ColumnType::AutoNumber)
                continue;
            if (before[i] == m_buffer[i] && before[i].isNull() == m_buffer[i].isNull())
                continue;
            sets << QStringLiteral("%1 = :p%2").arg(QLatin1StringView(def->name)).arg(vals.size());
            vals.append({QStringLiteral("p%1").arg(vals.size()), m_buffer[i]});
        }
        if (!sets.isEmpty()) {
            if (id.isNull()) {
                fail(QStringLiteral("%1: the row has no key and cannot be saved.").arg(name()));
                return false;
            }
            vals.append({QStringLiteral("vx_id"), id});
            int affected = 0;
            if (!st.exec(QStringLiteral("UPDATE %1 SET %2 WHERE ID = :vx_id")
                             .arg(QLatin1StringView(table->name), sets.join(QStringLiteral(", "))),
                         vals, &affected)) {
                fail(st.errorText());
                return false;
            }
            if (affected == 0) {
                fail(QStringLiteral("The row was deleted by another user; it was not saved."));
                return false;
            }
        }
    }

    // Show the row as stored (defaults, rounding), not as typed.
    QVariantList stored;
    if (!readRowById(id, &stored)) {
        stored = m_buffer;
        if (idCol >= 0)
            stored[idCol] = id;
    }
    const int slot = m_rows.addRow(stored);
    if (m_state == State::Insert) {
        const int row = m_insertRow;
        if (hasView()) {
            m_all.push_back(slot);
        } else {
            // Rows before it in the list are rows before it in the statement's order.
            m_all.insert(m_all.begin() + row, slot);
        }
        m_order[size_t(row)] = slot;
        m_current = row;
        ++m_localDelta;
        m_bof = m_eof = false;
    } else {
        replaceSlot(m_current, slot);
    }
    m_buffer.clear();
    m_modified = false;
    setState(State::Browse);
    emit rowChanged(m_current);
    emit currentValuesChanged(this);
    emit afterPost(this);
    return true;
}

void DataSet::vetoPost(const QString &message)
{
    if (!m_veto)
        m_veto = message;
}

void DataSet::cancel()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    m_buffer.clear();
    m_modified = false;
    if (m_state == State::Insert) {
        emit rowsAboutToBeRemoved(m_insertRow, m_insertRow);
        m_order.erase(m_order.begin() + m_insertRow);
        emit rowsRemoved();
        m_current = std::min(m_rowBeforeInsert, int(m_order.size()) - 1);
    }
    setState(State::Browse);
    if (m_current >= 0)
        emit rowChanged(m_current);
    emit currentValuesChanged(this);
}

bool DataSet::remove()
{
    if (m_state == State::Insert) {
        cancel();
        return true;
    }
    if (!isOpen() || m_current < 0) {
        fail(QStringLiteral("%1: there is no row to delete.").arg(name()));
        return false;
    }
    if (isReadOnly() || !m_hasKey) {
        fail(QStringLiteral("%1: the rows of this list cannot be changed.").arg(name()));
        return false;
    }
    m_error.clear();
    const QVariant id = m_rows.value(slotAt(m_current), fieldIndex(QStringLiteral("ID")));
    QSqlDatabase db = database();
    QSqlQuery q(db);
    if (!q.prepare(QStringLiteral("DELETE FROM %1 WHERE ID = :vx_id").arg(QLatin1StringView(Schema::table(m_table)->name)))) {
        fail(q.lastError().text().simplified());
        return false;
    }
    SqlDialect::of(db).bind(q, QStringLiteral(":vx_id"), id);
    if (!q.exec()) {
        fail(q.lastError().text().simplified());
        return false;
    }
    m_buffer.clear();
    m_modified = false;
    setState(State::Browse);
    const int row = m_current;
    emit rowsAboutToBeRemoved(row, row);
    if (hasView())
        m_all.erase(std::find(m_all.begin(), m_all.end(), m_order[size_t(row)]));
    else
        m_all.erase(m_all.begin() + row);
    m_order.erase(m_order.begin() + row);
    emit rowsRemoved();
    --m_localDelta;
    if (row >= int(m_order.size()))
        fetchMore();
    const int next = std::min(row, int(m_order.size()) - 1);
    m_bof = next <= 0;
    m_eof = m_order.empty();
    setCurrent(next, false);
    emit afterDelete(this);
    emit afterScroll(this);
    return true;
}

// ------------------------------------------------------ search, filter, sort

bool DataSet::locate(const QString &field, const QVariant &value, LocateOptions options)
{
    const int c = fieldIndex(field);
    if (!isOpen() || c < 0)
        return false;
    if (m_state != State::Browse && !post())
        return false;
    const bool textual = isTextual(value) || options != NoLocateOptions;
    QString needle;
    QVariant typed;
    if (textual) {
        needle = value.toString();
        if (options & CaseInsensitive)
            needle = turkishFold(needle);
    } else {
        typed = convertForColumn(c, value);
    }
    // A search that goes on far reads in ever larger chunks: over a network
    // each chunk is a round trip, and a row deep in a long list is reached in
    // tens of them rather than hundreds.
    int chunk = ChunkSize;
    for (int row = 0;; ++row) {
        if (row >= int(m_order.size())) {
            if (!canFetchMore() || fetchMore(chunk) == 0)
                return false;
            chunk = std::min(chunk * 2, ChunkSize * 16);
        }
        const QVariant v = m_rows.value(slotAt(row), c);
        bool hit;
        if (textual) {
            QString text = v.metaType().id() == QMetaType::QString ? v.toString() : formatValue(c, v);
            if (v.isNull())
                text.clear();
            if (options & CaseInsensitive)
                text = turkishFold(text);
            hit = (options & PartialKey) ? text.startsWith(needle) : text == needle;
            if (v.isNull() && !needle.isEmpty())
                hit = false;
        } else {
            hit = !v.isNull() && !typed.isNull() && compareVariants(v, typed) == 0;
            hit = hit || (v.isNull() && typed.isNull() && value.isNull());
        }
        if (hit) {
            if (row != m_current) {
                m_bof = row == 0;
                m_eof = false;
                setCurrent(row);
            }
            return true;
        }
    }
}

bool DataSet::passesFilter(int slot) const
{
    if (m_filterColumn < 0)
        return true;
    const QVariant v = m_rows.value(slot, m_filterColumn);
    if (isTextual(m_filterValue))
        return !v.isNull() && (isTextual(v) ? v.toString() : formatValue(m_filterColumn, v)) == m_filterValue.toString();
    return compareVariants(v, convertForColumn(m_filterColumn, m_filterValue)) == 0 && !v.isNull();
}

void DataSet::replaceSlot(int row, int newSlot)
{
    const int old = m_order[size_t(row)];
    if (hasView())
        *std::find(m_all.begin(), m_all.end(), old) = newSlot;
    else
        m_all[size_t(row)] = newSlot;
    m_order[size_t(row)] = newSlot;
}

void DataSet::fetchAllInto()
{
    while (m_cursor && !m_cursor->atEnd()) {
        const size_t before = m_all.size();
        m_cursor->fetch(ChunkSize * 16, m_rows, m_all);
        if (m_all.size() == before)
            break;
    }
}

void DataSet::rebuildOrder()
{
    if (!hasView()) {
        m_order = m_all;
        return;
    }
    m_order.clear();
    for (int s : m_all) {
        if (passesFilter(s))
            m_order.push_back(s);
    }
    if (m_sortColumn >= 0)
        applySort();
}

void DataSet::resetView()
{
    emit rowsAboutToBeReset();
    rebuildOrder();
    m_current = m_order.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_order.empty();
    emit rowsReset();
    m_rowStale = m_current == 0 && m_kind == Kind::Live;
    emit afterScroll(this);
}

void DataSet::setFilter(const QString &field, const QVariant &value)
{
    const int c = fieldIndex(field);
    if (!isOpen() || c < 0 || (m_state != State::Browse && !post()))
        return;
    // Matches may lie anywhere: the whole list is read, as for a sort.
    fetchAllInto();
    m_filterColumn = c;
    m_filterValue = value;
    resetView();
}

void DataSet::clearFilter()
{
    if (m_filterColumn < 0)
        return;
    // The edited row is saved while the view it stands in is still in force.
    if (isOpen() && m_state != State::Browse && !post())
        return;
    m_filterColumn = -1;
    m_filterValue.clear();
    if (isOpen())
        resetView();
}

void DataSet::applySort()
{
    const int c = m_sortColumn;
    const bool desc = m_sortOrder == Qt::DescendingOrder;
    // Decode each key once; comparing decoded rows again and again would be
    // slow on long lists.
    std::vector<std::pair<QVariant, int>> keyed;
    keyed.reserve(m_order.size());
    for (int s : m_order)
        keyed.emplace_back(m_rows.value(s, c), s);
    std::stable_sort(keyed.begin(), keyed.end(), [desc](const auto &a, const auto &b) {
        const int r = compareVariants(a.first, b.first);
        return desc ? r > 0 : r < 0;
    });
    for (size_t i = 0; i < keyed.size(); ++i)
        m_order[i] = keyed[i].second;
}

void DataSet::setSort(const QString &field, Qt::SortOrder order)
{
    const int c = fieldIndex(field);
    if (!isOpen() || c < 0 || (m_state != State::Browse && !post()))
        return;
    fetchAllInto();
    m_sortColumn = c;
    m_sortOrder = order;
    resetView();
}

void DataSet::clearSort()
{
    if (m_sortColumn < 0)
        return;
    if (isOpen() && m_state != State::Browse && !post())
        return;
    m_sortColumn = -1;
    if (isOpen())
        resetView();
}
