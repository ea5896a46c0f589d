#include "reports/Report2Unit.h"

#include "components/DataSet.h"
#include "components/Format.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"

using namespace Report;

namespace {

std::shared_ptr<RowSource> rowsOf(DataSet *ds)
{
    return std::make_shared<DataSetRows>(ds);
}

Element line(double x, double y, const QString &text, bool bold = true)
{
    Element e = BandReport::text(x, text, 10, bold);
    e.y = y;
    e.height = 5;
    return e;
}

Element lineParam(double x, double y, const QString &name)
{
    Element e = BandReport::param(x, name, 10, false);
    e.y = y;
    e.height = 5;
    return e;
}

} // namespace

TReport2::TReport2(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("Report2"));

    // --- Transaction Report (landscape: nine columns)
    HareketListeRP.name = QStringLiteral("HareketListeRP");
    HareketListeRP.title = QStringLiteral("Transaction Report");
    HareketListeRP.orientation = QPageLayout::Landscape;
    HareketListeRP.applyStandardLook();
    const QString amount = QStringLiteral("#,###0.#### ");
    HareketListeRP.addColumn(2.1, QStringLiteral("Trans. Date"), 25.7, QStringLiteral("IslemTarih"), Align::Right,
                             QStringLiteral("dd.MM.yyyy hh:mm"));
    HareketListeRP.addColumn(31.8, QStringLiteral("Trans. Type"), QStringLiteral("IslemTur"));
    HareketListeRP.addColumn(55.0, QStringLiteral("CD Type"), QStringLiteral("FilmTuru"));
    HareketListeRP.addColumn(74.1, QStringLiteral("Film Name"), QStringLiteral("FilmAdi"), Align::Left, QString(), 50);
    HareketListeRP.addColumn(128.1, QStringLiteral("Selling Renting Price"), 158.0, QStringLiteral("SatisFiyat"),
                             Align::Right, amount);
    HareketListeRP.addColumn(159.5, QStringLiteral("Penalty Default."), 187.3, QStringLiteral("CezaTutari"),
                             Align::Right, amount);
    HareketListeRP.addColumn(190.5, QStringLiteral("Sell/Rent Date"), QStringLiteral("KiraTarih"));
    HareketListeRP.addColumn(215.9, QStringLiteral("Requested Date"), QStringLiteral("GelecekTarih"));
    HareketListeRP.addColumn(251.9, QStringLiteral("Returning Date."), QStringLiteral("TeslimTarih"));
    HareketListeRP.fitColumns();
    HareketListeRP.setRows(rowsOf(Dm2 ? Dm2->RaporTemp : nullptr));

    // --- Mail Message: one page (or more) from the archive's current row
    MailRp.name = QStringLiteral("MailRp");
    MailRp.title = QStringLiteral("Mail Message");
    MailRp.applyStandardLook();
    MailRp.pageHeader = Band();
    MailRp.pageHeader.height = 8;
    MailRp.pageHeader.background = QColor(192, 192, 192);
    MailRp.pageHeader.elements = {BandReport::text(2.1, QStringLiteral("Mail Message"), 10, true)};
    MailRp.detail = Band();
    MailRp.detail.height = 0;
    Band heading;
    heading.height = 30;
    struct Line { const char *caption; const char *param; double y; };
    for (const Line &l : {Line{"From", "Gonderen", 1}, Line{"To", "Alici", 7}, Line{"Date", "Tarih", 19},
                          Line{"Subject", "Konu", 25}}) {
        heading.elements.push_back(line(4.2, l.y, QLatin1StringView(l.caption)));
        heading.elements.push_back(line(23.3, l.y, QStringLiteral(":")));
        Element value = lineParam(27.5, l.y, QLatin1StringView(l.param));
        if (QLatin1StringView(l.param) == QLatin1String("Alici")) {
            // A box, so that a long list of recipients wraps.
            value.width = 161;
            value.height = 10.8;
        }
        heading.elements.push_back(value);
    }
    Band message;
    message.height = 6;
    message.background = QColor(224, 228, 236);
    message.elements = {BandReport::text(0, QStringLiteral("  Message"), 9, true)};
    message.flowParam = QStringLiteral("Message");
    MailRp.summaries = {heading, message};

    // --- Customer Process: the current customer's finished transactions
    MusteriIslemRP.name = QStringLiteral("MusteriIslemRP");
    MusteriIslemRP.title = QStringLiteral("Customer Process");
    MusteriIslemRP.applyStandardLook();
    Band customer;
    customer.height = 6;
    customer.background = QColor(247, 221, 164);
    customer.elements = {BandReport::text(2.1, QStringLiteral("Customer "), 9, true),
                         BandReport::param(22.0, QStringLiteral("Customer"), 9, true)};
    MusteriIslemRP.headerBands = {customer};
    MusteriIslemRP.columnHeader.background = QColor(224, 228, 236);
    MusteriIslemRP.addColumn(4.2, QStringLiteral("Film / Game Name"), QStringLiteral("FilmAdi"), Align::Left, QString(), 51);
    MusteriIslemRP.addColumn(69.9, QStringLiteral("CD Type"), QStringLiteral("CDTur"));
    MusteriIslemRP.addColumn(84.7, QStringLiteral("Film Type"), QStringLiteral("KonuTur"));
    MusteriIslemRP.addColumn(112.2, QStringLiteral("Rent Date"), QStringLiteral("KiraTarih"));
    MusteriIslemRP.addColumn(141.8, QStringLiteral("Day Number"), QStringLiteral("KiralamaGun"));
    MusteriIslemRP.addColumn(169.3, QStringLiteral("Return Date"), QStringLiteral("TeslimTarih"));
    MusteriIslemRP.fitColumns();
    MusteriIslemRP.setRows(rowsOf(Dm1 ? Dm1->HareketTemp4 : nullptr));

    // --- The rented-films list of the CD check window
    KiraCDRP.name = QStringLiteral("KiraCDRP");
    KiraCDRP.applyStandardLook(8);
    KiraCDRP.pageFooter.elements.push_back(BandReport::param(72.0, QStringLiteral("Version"), 8, true));
    KiraCDRP.addColumn(2.1, QStringLiteral("Film Name"), QStringLiteral("FilmAdi"));
    KiraCDRP.addColumn(50.8, QStringLiteral("Customer"), QStringLiteral("AdSoyad"));
    KiraCDRP.addColumn(86.8, QStringLiteral("CD Type"), QStringLiteral("CDTur"), Align::Center, QString(), 16.9);
    KiraCDRP.addColumn(103.7, QStringLiteral("Trans. Date"), QStringLiteral("IslemTarih"));
    KiraCDRP.addColumn(133.4, QStringLiteral("Rent Date"), QStringLiteral("KiraTarih"), Align::Center, QString(), 21.1);
    KiraCDRP.addColumn(154.5, QStringLiteral("Day Number"), QStringLiteral("KiralamaGun"), Align::Center, QString(), 14.8);
    KiraCDRP.addColumn(169.3, QStringLiteral("Requested Date"), QStringLiteral("GelecekTarih"), Align::Center, QString(), 20.7);
    KiraCDRP.fitColumns();
    KiraCDRP.setRows(rowsOf(Dm1 ? Dm1->CDKontrol : nullptr));

    // --- Film Statistics.
    FilmIstRp.name = QStringLiteral("FilmIstRp");
    FilmIstRp.title = QStringLiteral("Film Statistics.");
    FilmIstRp.applyStandardLook(8);
    FilmIstRp.addColumn(2.1, QStringLiteral("Film Name"), QStringLiteral("FilmAdi"));
    FilmIstRp.addColumn(55.0, QStringLiteral("CD Type"), QStringLiteral("FilmTuru"), Align::Center, QString(), 21.2);
    FilmIstRp.addColumn(76.2, QStringLiteral("Film Theme"), QStringLiteral("KonuTur"));
    FilmIstRp.addColumn(143.9, QStringLiteral("Renting Number"), QStringLiteral("CounterX"), Align::Center, QString(), 30);
    FilmIstRp.fitColumns();
    Band total;
    total.height = 6;
    Element count = BandReport::sum(143.9, QStringLiteral("CounterX"), QString(), 10, true, Align::Center);
    count.width = 30;
    total.elements = {BandReport::text(93.1, QStringLiteral("Total Renting Number :"), 10, true), count};
    FilmIstRp.summaries = {total};
    FilmIstRp.setRows(rowsOf(Dm2 ? Dm2->RaporTemp : nullptr));
}

QString TReport2::transactionReportSql()
{
    return QStringLiteral(
        " SELECT Hareket.IslemTur, CD.FilmAdi, Musteri.AdSoyad, Hareket.IslemTarih,  Hareket.KiraTarih, "
        "Hareket.TeslimTarih, Hareket.FilmTuru, Hareket.CezaTutari,  Hareket.GelecekTarih, Hareket.SatisFiyat  "
        "FROM Musteri INNER JOIN (CD INNER JOIN Hareket ON CD.ID = Hareket.CdNo) ON Musteri.ID = Hareket.MusteriNo; ");
}

void TReport2::setMailFromArchive()
{
    DataSet *mail = Dm2->MailNav;
    MailRp.setParam(QStringLiteral("Gonderen"), mail->value(QStringLiteral("Gonderen")).toString());
    MailRp.setParam(QStringLiteral("Alici"), mail->value(QStringLiteral("Alici")).toString());
    MailRp.setParam(QStringLiteral("Tarih"), mail->displayText(QStringLiteral("Tarih")));
    MailRp.setParam(QStringLiteral("Konu"), mail->value(QStringLiteral("Konu")).toString());
    MailRp.setParam(QStringLiteral("Message"), QString::fromUtf8(mail->value(QStringLiteral("Mail")).toByteArray()));
}
