#pragma once

#include "data/WindowPorts.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>

class DataSet;
class DataSource;

// One attempt to send a mail, as it is archived: sender, recipients and
// subject (each at most 100 characters), when the send began, the message's
// plain text and its rich form as stored bytes.
struct TMailMes
{
    QString Gonderen, Alici, Konu;
    QDateTime Tarih;
    QString Mesaj;
    QByteArray RichText;
};

// The folders of the mail archive, in the order the archive lists them.
enum class MailFolder { All, Sent, NotSent };

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

    // Lists one folder of the archive in MailNav (and opens it). The
    // statement stays in MailNav after the archive window closes, so a new
    // archive window starts on the folder chosen last.
    bool showMailFolder(MailFolder folder);
    MailFolder mailFolder() const { return m_mailFolder; }
    // Writes the attempt into the archive, Durum 1 when it was sent.
    bool archiveMail(const TMailMes &mail, bool sent, QString *error = nullptr);

    void registerMailArchiveWindow(QObject *window, MailArchivePort *port);
    // Shows the current message in the e-mail archive window, when it exists.
    void MailNavAfterScroll();

private:
    QPointer<QObject> m_archiveWindow;
    MailArchivePort *m_archivePort = nullptr;
    MailFolder m_mailFolder = MailFolder::All;
};

extern TDm2 *Dm2;
