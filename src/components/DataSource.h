#pragma once

#include <QObject>
#include <QPointer>

class DataSet;

// The named link between a dataset and the controls that show and edit its
// current row. Controls follow it: new values when the row moves or changes,
// editable or not when the dataset's state changes.
class DataSource : public QObject
{
    Q_OBJECT

public:
    DataSource(const QString &name, DataSet *dataSet, QObject *parent = nullptr);
    DataSet *dataSet() const { return m_ds; }
    bool isEditing() const;

signals:
    void dataChanged();
    void stateChanged();

private:
    QPointer<DataSet> m_ds;
};
