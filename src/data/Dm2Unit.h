#pragma once

#include "data/WindowPorts.h"

#include <QObject>
#include <QPointer>

class DataSet;
class DataSource;

// The second data module: the scratch query of the printed reports and the
// mail lists. It shares Dm1's connection and lives for the whole run.
class TDm2 : public QObject
{
    Q_OBJECT

public:
    explicit TDm2(QObject *parent = nullptr);

    DataSet *RaporTemp, *MailNav, *Musteri, *MusteriListe;
    DataSource *RaporTempData, *MailNavData, *MusteriData, *MusteriListeData;

    QList<DataSet *> dataSets() const { return {RaporTemp, MailNav, Musteri, MusteriListe}; }

    // Gives RaporTemp the statement and parameter values of a list and opens
    // it, so that a printout holds exactly the rows the list shows.
    bool prepareReportFrom(DataSet *list);
    // Gives RaporTemp a report layout's own statement and opens it.
    bool openReport(const QString &sql);

    void registerMailArchiveWindow(QObject *window, MailArchivePort *port);
    // Shows the current message in the e-mail archive window, when it exists.
    void MailNavAfterScroll();

private:
    QPointer<QObject> m_archiveWindow;
    MailArchivePort *m_archivePort = nullptr;
};

extern TDm2 *Dm2;
