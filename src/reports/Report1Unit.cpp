#include "reports/Report1Unit.h"

#include "components/DataSet.h"
#include "components/Format.h"
#include "components/PromptService.h"
#include "data/Dm2Unit.h"

#include <QToolTip>

using namespace Report;

namespace {

const QString Money2 = QString::fromLatin1(Format::Money2);
const QColor MoneyGreen(192, 220, 192);

std::shared_ptr<RowSource> reportRows()
{
    return std::make_shared<DataSetRows>(Dm2 ? Dm2->RaporTemp : nullptr);
}

} // namespace

TReport1::TReport1(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("Report1"));

    // --- CD List
    CDListeRP.name = QStringLiteral("CDListeRP");
    CDListeRP.title = QStringLiteral("CD List");
    CDListeRP.applyStandardLook();
    CDListeRP.shaded = true;
    CDListeRP.addColumn(2.1, QStringLiteral("ID"), QStringLiteral("ID"));
    CDListeRP.addColumn(16.9, QStringLiteral("Film / Game Name"), QStringLiteral("FilmAdi"), Align::Left, QString(), 51);
    CDListeRP.addColumn(69.9, QStringLiteral("CD Type"), QStringLiteral("CDTur"));
    CDListeRP.addColumn(84.7, QStringLiteral("Film Type"), QStringLiteral("KonuTur"));
    CDListeRP.addColumn(108.0, QStringLiteral("Pro. Date"), QStringLiteral("YapimYili"));
    CDListeRP.addColumn(122.8, QStringLiteral("Director"), QStringLiteral("Yonetmen"));
    CDListeRP.addColumn(152.4, QStringLiteral("Leading role"), QStringLiteral("Oyuncu"));
    CDListeRP.addColumn(181.0, QStringLiteral("Stock"), 188.6, QStringLiteral("Stok"), Align::Right);
    CDListeRP.fitColumns();
    CDListeRP.setRows(reportRows());

    // --- Customer List
    MusteriListeRP.name = QStringLiteral("MusteriListeRP");
    MusteriListeRP.title = QStringLiteral("Customer List");
    MusteriListeRP.applyStandardLook();
    MusteriListeRP.shaded = true;
    MusteriListeRP.addColumn(13.8, QStringLiteral("ID"), QStringLiteral("ID"), Align::Right);
    MusteriListeRP.addColumn(19.1, QStringLiteral("Customer Name"), QStringLiteral("AdSoyad"));
    MusteriListeRP.addColumn(61.4, QStringLiteral("GSM Phone"), QStringLiteral("CepTelefon"));
    MusteriListeRP.addColumn(84.7, QStringLiteral("Home Phone"), QStringLiteral("EvTelefon"));
    MusteriListeRP.addColumn(134.2, QStringLiteral("Deposit"), QStringLiteral("Depozito"), Align::Right, Money2);
    MusteriListeRP.addColumn(137.6, QStringLiteral("E-Mail"), QStringLiteral("EMail"));
    MusteriListeRP.fitColumns();
    MusteriListeRP.setRows(reportRows());

    // --- Cash Box Transactions
    KasaRP.name = QStringLiteral("KasaRP");
    KasaRP.title = QStringLiteral("Cash Box Transactions");
    KasaRP.applyStandardLook();
    KasaRP.pageHeader.height = 14;
    struct PeriodLine { const char *caption; const char *param; double y; };
    for (const PeriodLine &line : {PeriodLine{"Beginning of Period", "PeriodBegin", 2.0},
                                   PeriodLine{"Period Windup.", "PeriodEnd", 7.5}}) {
        Element caption = BandReport::text(86.9, QLatin1StringView(line.caption), 9, true);
        caption.y = line.y;
        caption.height = 4.5;
        Element colon = BandReport::text(127.0, QStringLiteral(":"), 9, true);
        colon.y = line.y;
        colon.height = 4.5;
        Element date = BandReport::param(129.0, QLatin1StringView(line.param), 9, true);
        date.y = line.y;
        date.height = 4.5;
        KasaRP.pageHeader.elements.insert(KasaRP.pageHeader.elements.end(), {caption, colon, date});
    }
    KasaRP.addColumn(1.8, QStringLiteral("ID"), 11.5, QStringLiteral("ID"), Align::Right);
    KasaRP.addColumn(14.8, QStringLiteral("Trans. Type"), QStringLiteral("Islem"));
    KasaRP.addColumn(35.3, QStringLiteral("Explanation"), QStringLiteral("Aciklama"), Align::Left, QString(), 57);
    KasaRP.addColumn(110.7, QStringLiteral("Income"), 127.2, QStringLiteral("Borc"), Align::Right, Money2, true);
    KasaRP.addColumn(141.6, QStringLiteral("Expense"), 158.8, QStringLiteral("Alacak"), Align::Right, Money2, true);
    KasaRP.addColumn(181.2, QStringLiteral("Date"), 189.0, QStringLiteral("Tarih"), Align::Right);
    KasaRP.fitColumns();
    Band totals;
    totals.height = 6;
    totals.background = QToolTip::palette().color(QPalette::ToolTipBase);
    totals.elements = {BandReport::text(44.1, QStringLiteral("Total Sum"), 9, true),
                       BandReport::text(62.2, QStringLiteral(":"), 9, true),
                       BandReport::sum(99.2, QStringLiteral("BorcUSD"), Money2),
                       BandReport::sum(127.0, QStringLiteral("Borc"), Money2),
                       BandReport::sum(158.8, QStringLiteral("Alacak"), Money2)};
    Band balance;
    balance.height = 6;
    balance.background = MoneyGreen;
    balance.elements = {BandReport::text(47.6, QStringLiteral("Balance"), 9, true),
                        BandReport::text(62.2, QStringLiteral(":"), 9, true),
                        BandReport::computed(99.0, [](const Computed &c) {
                            return Format::number(c.money(QStringLiteral("Borc")) - c.money(QStringLiteral("Alacak")),
                                                  QString::fromLatin1(Format::Money2));
                        })};
    KasaRP.summaries = {totals, balance};
    KasaRP.setRows(reportRows());

    // --- Stock Statistic Report
    StokIstRP.name = QStringLiteral("StokIstRP");
    StokIstRP.title = QStringLiteral("Stock Statistic Report");
    StokIstRP.applyStandardLook();
    StokIstRP.addColumn(2.1, QStringLiteral("CD/DVD Film Type"), QStringLiteral("KonuTur"), Align::Left, QString(), 51);
    StokIstRP.addColumn(82.7, QStringLiteral("VCD Numbers"), QStringLiteral("VCDToplam"), Align::Right);
    StokIstRP.addColumn(108.9, QStringLiteral("DVD Numbers"), QStringLiteral("DVDToplam"), Align::Right);
    StokIstRP.addColumn(150.2, QStringLiteral("Number of Rented VCD"), QStringLiteral("KiradaVCDToplam"), Align::Right);
    StokIstRP.addColumn(188.9, QStringLiteral("Number of rented DVD"), QStringLiteral("KiradaDVDToplam"), Align::Right);
    Band stockTotals;
    stockTotals.height = 6;
    stockTotals.background = MoneyGreen;
    stockTotals.elements = {BandReport::text(2.1, QStringLiteral("Total : "), 9, true),
                            BandReport::sum(82.7, QStringLiteral("VCDToplam"), QString()),
                            BandReport::sum(108.9, QStringLiteral("DVDToplam"), QString()),
                            BandReport::sum(150.2, QStringLiteral("KiradaVCDToplam"), QString()),
                            BandReport::sum(188.9, QStringLiteral("KiradaDVDToplam"), QString())};
    Band owned;
    owned.height = 6;
    owned.elements = {BandReport::text(2.1, QStringLiteral("Total Sum: "), 9, true),
                      BandReport::computed(82.7, [](const Computed &c) {
                          return QString::number(c.integer(QStringLiteral("VCDToplam")) + c.integer(QStringLiteral("KiradaVCDToplam")));
                      }),
                      BandReport::computed(108.9, [](const Computed &c) {
                          return QString::number(c.integer(QStringLiteral("DVDToplam")) + c.integer(QStringLiteral("KiradaDVDToplam")));
                      })};
    StokIstRP.summaries = {stockTotals, owned};
    StokIstRP.setRows(reportRows());
}

QString TReport1::stockStatisticsSql()
{
    return QStringLiteral(
        " Select Ana.KonuTur,  (Select Sum(Stok) from CD where CDTur='DVD' and Konutur=Ana.Konutur) as DVDToplam,  "
        "(Select Sum(Stok) from CD where CDTur='VCD' and Konutur=Ana.Konutur) as VCDToplam,  "
        "(  Select Count(*) from Hareket  Inner join CD on  CD.ID=Hareket.CDno where CD.KonuTur=Ana.Konutur and "
        "CD.CDTur='VCD' and Hareket.IslemTur='Rent' and Hareket.CDDurum=0) as KiradaVCDToplam,  "
        "(  Select Count(*) from Hareket  Inner join CD on  CD.ID=Hareket.CDno where CD.KonuTur=Ana.Konutur and "
        "CD.CDTur='DVD' and Hareket.IslemTur='Rent' and Hareket.CDDurum=0) as KiradaDVDToplam  From cd as ana  Group by ana.KonuTur ");
}

void PrintStockStatistics()
{
    DataSet *data = Dm2->RaporTemp;
    data->close();
    data->setSql(TReport1::stockStatisticsSql());
    if (!data->open()) {
        Prompt::error(data->lastError());
        return;
    }
    {
        TReport1 report;
        Report::showPreview(report.StokIstRP);
    }
    data->close();
}
