#pragma once

// What the mail window tests share: customers with addresses written straight
// into the database, the archive rows read back, the mail account in memory.
#include "customers/CustomerTestSupport.h"
#include "data/TariffCache.h"

#include <QSqlQuery>

namespace MailTest {

struct Customer
{
    QString name;
    QString email;
};

inline bool addCustomers(const QList<Customer> &customers)
{
    int number = 1;
    for (const Customer &c : customers)
        if (!CustomerTest::exec(QStringLiteral("Insert Into Musteri (MusteriNo, AdSoyad, EMail) Values (?, ?, ?)"),
                                {number++, c.name, c.email.isNull() ? QVariant() : QVariant(c.email)}))
            return false;
    return true;
}

struct ArchiveRow
{
    QString Gonderen, Alici, Konu;
    QByteArray Mail;
    int Durum = -1;
};

// Every archived attempt, oldest first.
inline QList<ArchiveRow> archive()
{
    QList<ArchiveRow> rows;
    QSqlQuery q(Database::connection());
    q.exec(QStringLiteral("Select Gonderen, Alici, Konu, Mail, Durum from mail Order by ID"));
    while (q.next())
        rows.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toByteArray(),
                     q.value(4).toInt()});
    return rows;
}

inline void setAccount(const QString &address, const QString &password, const QString &server)
{
    TariffCache &c = TariffCache::instance();
    c.MailAdres = address;
    c.MailSifre = password;
    c.MailSMTP = server;
}

} // namespace MailTest
