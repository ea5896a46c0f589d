#include "components/DataSource.h"

#include "components/DataSet.h"

DataSource::DataSource(const QString &name, DataSet *dataSet, QObject *parent) : QObject(parent), m_ds(dataSet)
{
    setObjectName(name);
    connect(dataSet, &DataSet::afterScroll, this, &DataSource::dataChanged);
    connect(dataSet, &DataSet::currentValuesChanged, this, &DataSource::dataChanged);
    connect(dataSet, &DataSet::afterClose, this, &DataSource::dataChanged);
    connect(dataSet, &DataSet::afterOpen, this, &DataSource::dataChanged);
    connect(dataSet, &DataSet::stateChanged, this, &DataSource::stateChanged);
}

bool DataSource::isEditing() const
{
    return m_ds && (m_ds->state() == DataSet::State::Edit || m_ds->state() == DataSet::State::Insert);
}
