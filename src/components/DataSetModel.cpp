#include "components/DataSetModel.h"

#include "components/DataSet.h"

DataSetModel::DataSetModel(DataSet *dataSet, QObject *parent) : QAbstractTableModel(parent), m_ds(dataSet)
{
    // From the announcement of a change until every listener has heard it is
    // done, a view (or a checker) asking for more rows must not make the
    // dataset read a chunk: its rows would land inside the change announced.
    connect(m_ds, &DataSet::rowsAboutToBeReset, this, [this] {
        m_changing = true;
        beginResetModel();
    });
    connect(m_ds, &DataSet::rowsReset, this, [this] {
        rebuildColumns();
        endResetModel();
        m_changing = false;
    });
    connect(m_ds, &DataSet::rowsAboutToBeInserted, this, [this](int first, int last) {
        m_changing = true;
        beginInsertRows(QModelIndex(), first, last);
    });
    connect(m_ds, &DataSet::rowsInserted, this, [this] {
        endInsertRows();
        m_changing = false;
    });
    connect(m_ds, &DataSet::rowsAboutToBeRemoved, this, [this](int first, int last) {
        m_changing = true;
        beginRemoveRows(QModelIndex(), first, last);
    });
    connect(m_ds, &DataSet::rowsRemoved, this, [this] {
        endRemoveRows();
        m_changing = false;
    });
    connect(m_ds, &DataSet::rowChanged, this, [this](int row) {
        if (row >= 0 && row < rowCount() && !m_columns.isEmpty())
            emit dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
    });
    rebuildColumns();
}

void DataSetModel::setColumns(const QStringList &fields)
{
    beginResetModel();
    m_wanted = fields;
    rebuildColumns();
    endResetModel();
}

void DataSetModel::rebuildColumns()
{
    m_columns.clear();
    if (!m_ds || !m_ds->isOpen())
        return;
    if (m_wanted.isEmpty()) {
        for (int f = 0; f < m_ds->fieldCount(); ++f) {
            if (m_ds->fieldInfo(f).visible)
                m_columns << f;
        }
    } else {
        for (const QString &name : std::as_const(m_wanted)) {
            const int f = m_ds->fieldIndex(name);
            if (f >= 0)
                m_columns << f;
        }
    }
}

int DataSetModel::fieldOf(int modelColumn) const
{
    return modelColumn >= 0 && modelColumn < m_columns.size() ? m_columns[modelColumn] : -1;
}

int DataSetModel::columnOf(int field) const
{
    return int(m_columns.indexOf(field));
}

int DataSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_ds ? 0 : m_ds->fetchedCount();
}

int DataSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DataSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_ds || index.row() >= m_ds->fetchedCount() || index.column() >= m_columns.size())
        return QVariant();
    const int field = m_columns[index.column()];
    switch (role) {
    case Qt::DisplayRole:
        return m_ds->displayTextAt(index.row(), field);
    case Qt::EditRole:
        return m_ds->valueAt(index.row(), field);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(m_ds->fieldInfo(field).alignment);
    default:
        return QVariant();
    }
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // A screen reader hears the titles the grid draws, not field names.
    const bool text = role == Qt::DisplayRole || role == Qt::AccessibleTextRole;
    if (orientation == Qt::Horizontal && text && m_ds && section >= 0 && section < m_columns.size()) {
        if (section < m_titles.size() && !m_titles[section].isEmpty())
            return m_titles[section];
        const QString caption = m_ds->fieldInfo(m_columns[section]).caption;
        return caption.isEmpty() ? m_ds->fieldName(m_columns[section]) : caption;
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

void DataSetModel::setTitles(const QStringList &titles)
{
    m_titles = titles;
    if (!m_columns.isEmpty())
        emit headerDataChanged(Qt::Horizontal, 0, int(m_columns.size()) - 1);
}

bool DataSetModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_ds && !m_changing && m_ds->canFetchMore();
}

void DataSetModel::fetchMore(const QModelIndex &parent)
{
    if (!parent.isValid() && m_ds && !m_changing)
        m_ds->fetchMore();
}
