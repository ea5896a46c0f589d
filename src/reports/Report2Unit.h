#pragma once

#include "components/BandReport.h"

#include <QObject>

// The second report container: the transaction list, a mail message, a
// customer's finished transactions, the rented-films list of the CD check
// window and the film statistics.
class TReport2 : public QObject
{
    Q_OBJECT

public:
    explicit TReport2(QObject *parent = nullptr);

    Report::BandReport HareketListeRP;  // "Transaction Report", landscape
    Report::BandReport MailRp;          // "Mail Message"; params Gonderen, Alici, Tarih, Konu, Message
    Report::BandReport MusteriIslemRP;  // "Customer Process"; param Customer
    Report::BandReport KiraCDRP;        // title set at run time; param Version
    Report::BandReport FilmIstRp;       // "Film Statistics."

    // Every transaction whose customer and title still exist.
    static QString transactionReportSql();
    // Fills the mail report's texts from the current row of the mail archive.
    void setMailFromArchive();
};
