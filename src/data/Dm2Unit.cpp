#include "data/Dm2Unit.h"

#include "components/DataSet.h"
#include "components/DataSource.h"
#include "components/Format.h"
#include "data/Dm1Unit.h"

TDm2 *Dm2 = nullptr;

TDm2::TDm2(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("Dm2"));
    auto make = [this](const QString &name, const QString &sql) {
        auto *ds = new DataSet(name, this);
        ds->setSql(sql);
        return ds;
    };
    RaporTemp = make(QStringLiteral("RaporTemp"), QString());
    MailNav = make(QStringLiteral("MailNav"), QStringLiteral("select * from mail"));
    MailNav->setCaption(QStringLiteral("Gonderen"), QStringLiteral("Gönderen"));
    MailNav->setCaption(QStringLiteral("Alici"), QStringLiteral("Alıcı"));
    Musteri = make(QStringLiteral("Musteri"), QStringLiteral("Select * from Musteri\nOrder by adsoyad"));
    MusteriListe = make(QStringLiteral("MusteriListe"), QStringLiteral("Select * from Musteri\nOrder by adsoyad"));
    for (DataSet *ds : {Musteri, MusteriListe})
        ds->setDisplayFormat(QStringLiteral("Depozito"), QString::fromLatin1(Format::Money2NoZero));

    RaporTempData = new DataSource(QStringLiteral("RaporTempData"), RaporTemp, this);
    MailNavData = new DataSource(QStringLiteral("MailNavData"), MailNav, this);
    MusteriData = new DataSource(QStringLiteral("MusteriData"), Musteri, this);
    MusteriListeData = new DataSource(QStringLiteral("MusteriListeData"), MusteriListe, this);

    connect(MailNav, &DataSet::afterOpen, this, &TDm2::MailNavAfterScroll);
    connect(MailNav, &DataSet::afterDelete, this, &TDm2::MailNavAfterScroll);
    connect(MailNav, &DataSet::afterScroll, this, &TDm2::MailNavAfterScroll);
    Dm2 = this;
}

bool TDm2::prepareReportFrom(DataSet *list)
{
    RaporTemp->close();
    RaporTemp->setSql(list->sql());
    for (const QString &p : list->parameterNames())
        RaporTemp->setParameter(p, list->parameter(p));
    return RaporTemp->open();
}

bool TDm2::openReport(const QString &sql)
{
    RaporTemp->close();
    RaporTemp->setSql(sql);
    return RaporTemp->open();
}

bool TDm2::showMailFolder(MailFolder folder)
{
    MailNav->close();
    if (folder == MailFolder::All) {
        MailNav->setSql(QStringLiteral(" Select * from Mail "));
    } else {
        MailNav->setSql(QStringLiteral(" Select * from Mail  where Durum=:Durum "));
        MailNav->setParameter(QStringLiteral("Durum"), folder == MailFolder::Sent ? 1 : 0);
    }
    m_mailFolder = folder;
    return MailNav->open();
}

bool TDm2::archiveMail(const TMailMes &mail, bool sent, QString *error)
{
    DataSet *temp = Dm1->Temp;
    temp->close();
    temp->setSql(QStringLiteral(" Insert Into Mail  (Gonderen, Alici, Konu, Tarih, Mail, Durum )  "
                                "Values (:Gonderen, :Alici, :Konu, :Tarih, :Mesaj, :Durum)"));
    QDateTime when = mail.Tarih;
    when.setTime(QTime(when.time().hour(), when.time().minute(), when.time().second()));
    temp->setParameter(QStringLiteral("Gonderen"), mail.Gonderen.left(100));
    temp->setParameter(QStringLiteral("Alici"), mail.Alici.left(100));
    temp->setParameter(QStringLiteral("Konu"), mail.Konu.left(100));
    temp->setParameter(QStringLiteral("Tarih"), when);
    temp->setParameter(QStringLiteral("Mesaj"), mail.RichText);
    temp->setParameter(QStringLiteral("Durum"), sent ? 1 : 0);
    const bool ok = temp->execSql();
    if (!ok && error)
        *error = temp->lastError();
    return ok;
}

void TDm2::registerMailArchiveWindow(QObject *window, MailArchivePort *port)
{
    m_archiveWindow = window;
    m_archivePort = port;
}

void TDm2::MailNavAfterScroll()
{
    if (!m_archiveWindow || !MailNav->isOpen())
        return;
    m_archivePort->showMessage(MailNav->value(QStringLiteral("Gonderen")).toString(),
                               MailNav->value(QStringLiteral("Alici")).toString(),
                               MailNav->value(QStringLiteral("Konu")).toString(),
                               MailNav->value(QStringLiteral("Mail")).toByteArray());
}
