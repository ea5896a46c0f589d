#pragma once

#include <QAbstractTableModel>
#include <QPointer>

class DataSet;

// Shows a dataset's rows to a view. Rows arrive as the view scrolls (the
// dataset reads them in chunks), so a list of a million rows opens at once.
// Only the fields marked visible are columns, in the dataset's order.
class DataSetModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit DataSetModel(DataSet *dataSet, QObject *parent = nullptr);

    DataSet *dataSet() const { return m_ds; }
    // The dataset column shown as a model column, and back.
    int fieldOf(int modelColumn) const;
    int columnOf(int field) const;
    // Limits and orders the columns by field names (empty: every field).
    void setColumns(const QStringList &fields);
    // The titles this view gives its columns (by model column), where they
    // differ from the dataset's captions; shown and read out alike.
    void setTitles(const QStringList &titles);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    void rebuildColumns();

    QPointer<DataSet> m_ds;
    QStringList m_wanted;
    QStringList m_titles;
    QList<int> m_columns; // model column -> dataset field
    bool m_changing = false;
};
