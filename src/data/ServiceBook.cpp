#include "data/ServiceBook.h"

#include "components/DataSet.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "db/Backup.h"
#include "db/Database.h"
#include "db/Money.h"
#include "db/Paths.h"

#include <QDir>

namespace ServiceBook {

bool addDayRates(const QDate &day, bool *added, QString *error)
{
    *added = false;
    DataSet *temp = Dm1->Temp;
    temp->close();
    temp->setSql(QStringLiteral(" Select Count(*) as CounterX from Doviz  where Tarih=:Tarih "));
    temp->setParameter(QStringLiteral("Tarih"), day);
    if (!temp->open()) {
        *error = temp->lastError();
        return false;
    }
    const int count = temp->value(QStringLiteral("CounterX")).toInt();
    temp->close();
    if (count > 0)
        return true;
    // The rates are amounts: bound as money, so a rate of 1 is stored as one
    // unit and not as the smallest fraction the column holds.
    temp->setSql(QStringLiteral(" Insert Into Doviz  (Tarih, UsdAlis, USDSatis, EuroAlis, EuroSatis)  Values(:Tar,:R1,:R2,:R3,:R4) "));
    temp->setParameter(QStringLiteral("Tar"), day);
    for (const char *rate : {"R1", "R2", "R3", "R4"})
        temp->setParameter(QLatin1String(rate), QVariant::fromValue(Money::fromUnits(1)));
    if (!temp->execSql()) {
        *error = temp->lastError();
        return false;
    }
    *added = true;
    return true;
}

bool backupSupported(QString *reason)
{
    return Backup::supported(Database::connection(), reason);
}

bool backupDatabase(const QString &fileName, QString *writtenTo, QString *error)
{
    const QString target = QDir(Paths::backupFolder()).filePath(fileName);
    if (!Backup::toFile(Database::connection(), target, error))
        return false;
    if (writtenTo)
        *writtenTo = target;
    return true;
}

bool checkBackup(const QString &backupFile, QString *error)
{
    return Backup::checkCopy(backupFile, error);
}

bool restoreDatabase(const QString &backupFile, QString *error)
{
    // The copy is checked before anything is closed: a wrong file costs the
    // clerk nothing.
    if (!backupSupported(error) || !Backup::checkCopy(backupFile, error))
        return false;
    QList<DataSet *> all = Dm1->dataSets();
    if (Dm2)
        all += Dm2->dataSets();
    for (DataSet *ds : std::as_const(all)) {
        if (ds->state() == DataSet::State::Edit || ds->state() == DataSet::State::Insert)
            ds->cancel();
        ds->close();
    }
    // A copy made by an older version lacks what was added since.
    return Backup::restoreFrom(Database::connection(), backupFile, error)
           && Database::bringUpToDate(Database::ConnectionName, error);
}

QList<AutoBackup::Copy> backups()
{
    return AutoBackup::list(Paths::backupFolder());
}

} // namespace ServiceBook
