#include "reports/RentalSlip.h"

#include "components/Format.h"
#include "data/Tariff.h"

using namespace Report;

std::optional<qint64> RentalSlipData::daysCharged(Money unit, Money total)
{
    if (unit.raw() <= 0 || total.raw() <= 0 || total.raw() % unit.raw() != 0)
        return std::nullopt;
    return total.raw() / unit.raw();
}

Report::BandReport rentalSlip(const RentalSlipData &slip)
{
    BandReport r;
    r.name = QStringLiteral("KiraFisRP");
    r.title = slip.sale ? QStringLiteral("Sale Slip") : QStringLiteral("Rental Slip");
    r.applyStandardLook();
    r.columnHeader = Band();
    r.columnHeader.height = 0;
    r.detail = Band();
    r.detail.height = 0;

    Band shop;
    shop.height = 8;
    shop.elements = {BandReport::param(2.1, QStringLiteral("Shop"), 12, true)};
    r.setParam(QStringLiteral("Shop"), slip.shopName);

    QList<QPair<QString, QString>> lines;
    lines << qMakePair(QStringLiteral("Customer"), slip.customer)
          << qMakePair(QStringLiteral("Title"), slip.title)
          << qMakePair(QStringLiteral("Disc type"), slip.discType);
    if (slip.sale) {
        lines << qMakePair(QStringLiteral("Sale date"), Format::shortDate(slip.startDate))
              << qMakePair(QStringLiteral("Price"), slip.unitPrice);
    } else {
        lines << qMakePair(QStringLiteral("Start date"), Format::shortDate(slip.startDate))
              << qMakePair(QStringLiteral("Due date"),
                           Format::shortDate(slip.dueDate) + QStringLiteral("  ") + Tariff::weekdayName(slip.dueDate));
        if (slip.chargedDays)
            lines << qMakePair(QStringLiteral("Days charged"), QString::number(*slip.chargedDays));
        lines << qMakePair(QStringLiteral("Unit price"), slip.unitPrice);
    }
    lines << qMakePair(QStringLiteral("Total"), slip.total);
    if (slip.onAccount)
        lines << qMakePair(QStringLiteral("Payment"), QStringLiteral("on account"));

    Band body;
    body.height = 6.0 * double(lines.size()) + 2;
    for (int i = 0; i < lines.size(); ++i) {
        const double y = 1 + 6.0 * i;
        const bool total = lines[i].first == QLatin1String("Total");
        Element caption = BandReport::text(4.2, lines[i].first, 10, total);
        caption.y = y;
        Element colon = BandReport::text(34.0, QStringLiteral(":"), 10, total);
        colon.y = y;
        const QString key = QStringLiteral("Line%1").arg(i);
        Element value = BandReport::param(37.0, key, 10, total);
        value.y = y;
        r.setParam(key, lines[i].second);
        body.elements.insert(body.elements.end(), {caption, colon, value});
    }
    r.headerBands = {shop};
    r.summaries = {body};
    return r;
}
