// One counter of the shop driven by a script instead of a clerk: random rents,
// sales, returns, exchanges, new customers with a deposit and new titles with
// their purchase, all through the engine, on the few newest titles and
// customers so that counters meet on the same rows.
//
//   shopcounter DATABASE SEED OPERATIONS TAG
//
// DATABASE is a SQLite file or a postgresql:// address; OPERATIONS 0 runs
// until killed. TAG makes the names of the rows it creates its own. It prints
// "READY" once the database is open, one line per operation ("OK rent",
// "REFUSED sell", "BUSY …", "ERROR …") after the engine answered, and at the
// end "DONE ok=… refused=… retries=… busy=… errors=… negative=…".
#include "components/DataSet.h"
#include "data/ShopBook.h"
#include "db/Database.h"

#include <QCoreApplication>
#include <QDate>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <cstdio>

namespace {

struct Row
{
    int id = 0, number = 0;
    QString name, kind;
};

// The newest rows of a table: where the counters' work concentrates.
QList<Row> newest(const QString &sql)
{
    QSqlQuery q(Database::connection());
    QList<Row> rows;
    q.exec(sql);
    while (q.next())
        rows.append({q.value(0).toInt(), q.value(1).toInt(), q.value(2).toString(), q.value(3).toString()});
    return rows;
}

class Counter
{
public:
    Counter(quint32 seed, const QString &tag) : m_rng(seed), m_tag(tag) {}

    QString step(ShopResult *result)
    {
        const int dice = int(m_rng.bounded(100));
        if (dice < 30)
            return *result = rentOrSell(QStringLiteral("Rent")), QStringLiteral("rent");
        if (dice < 40)
            return *result = rentOrSell(QStringLiteral("Sell")), QStringLiteral("sell");
        if (dice < 65) {
            const QList<Row> out = newest(QStringLiteral(
                "Select ID, 0, '', '' from Hareket Where CDDurum=0 and IslemTur='Rent' Order by ID Desc Limit 6"));
            if (out.isEmpty())
                return *result = rentOrSell(QStringLiteral("Rent")), QStringLiteral("rent");
            return *result = giveBack(pick(out).id), QStringLiteral("return");
        }
        if (dice < 75)
            return *result = exchange(), QStringLiteral("exchange");
        if (dice < 85)
            return *result = newCustomer(), QStringLiteral("customer");
        return *result = newTitle(), QStringLiteral("title");
    }

private:
    template <class T>
    const T &pick(const QList<T> &list) { return list[qsizetype(m_rng.bounded(quint32(list.size())))]; }
    QString name(const char *kind) { return QStringLiteral("%1-%2-%3").arg(QLatin1StringView(kind), m_tag).arg(++m_made); }

    Row title()
    {
        return pick(newest(QStringLiteral("Select ID, CDNo, FilmAdi, CDTur from CD Order by ID Desc Limit 8")));
    }

    ShopResult rentOrSell(const QString &kind)
    {
        const Row t = title();
        const Row customer = pick(newest(QStringLiteral("Select ID, MusteriNo, '', '' from Musteri Order by ID Desc Limit 5")));
        ShopBook::RentRequest r;
        r.process = kind;
        r.customerId = customer.id;
        r.titleId = t.id;
        r.discType = t.kind;
        r.start = QDate::currentDate();
        r.days = 2;
        return m_book.rent(r);
    }

    ShopResult giveBack(int hareketId)
    {
        ShopBook::ReturnRequest r;
        r.hareketId = hareketId;
        r.returned = true;
        r.returnDate = QDate::currentDate();
        r.lateDays = 1;
        r.penaltyCollected = true; // every return here collects a penalty
        r.penalty = Money::fromRaw(25000);
        return m_book.returnRental(r);
    }

    ShopResult exchange()
    {
        ShopBook::ExchangeRequest r;
        r.cdNo = m_book.nextNumber(ShopBook::ShownNumber::CDNo).number; // as the window proposes it
        r.discType = QStringLiteral("VCD");
        r.filmName = name("Swap");
        r.discCount = 1;
        r.givenTitleId = title().id;
        return m_book.exchange(r);
    }

    ShopResult newCustomer()
    {
        ShopBook::CustomerRequest r;
        r.musteriNo = m_book.nextNumber(ShopBook::ShownNumber::MusteriNo).number;
        r.name = name("Cust");
        r.deposit = Money::fromUnits(50);
        r.bookDeposit = true;
        return m_book.saveCustomer(r);
    }

    ShopResult newTitle()
    {
        ShopBook::TitleRequest r;
        r.cdNo = m_book.nextNumber(ShopBook::ShownNumber::CDNo).number;
        r.discType = QStringLiteral("DVD");
        r.filmName = name("Buy");
        r.stock = int(m_rng.bounded(1, 4));
        r.costPrice = Money::fromRaw(125000);
        r.bookPurchase = true;
        return m_book.saveTitle(r);
    }

    QRandomGenerator m_rng;
    QString m_tag;
    int m_made = 0;
    ShopBook m_book;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: shopcounter DATABASE SEED OPERATIONS TAG\n");
        return 2;
    }
    QString error;
    const std::optional<DatabaseTarget> target = args[1].startsWith(QLatin1String("postgres"))
        ? DatabaseTarget::fromUrl(args[1], &error) : DatabaseTarget::sqliteFile(args[1]);
    if (!target || !Database::open(*target, Database::ConnectionName, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("READY\n");
    std::fflush(stdout);

    Counter counter(args[2].toUInt(), args[4]);
    const int operations = args[3].toInt();
    int ok = 0, refused = 0, retries = 0, busy = 0, errors = 0, negative = 0;
    for (int i = 0; operations == 0 || i < operations; ++i) {
        ShopResult r;
        const QString kind = counter.step(&r);
        retries += r.retries;
        QByteArray line;
        if (r.ok()) {
            ++ok;
            line = "OK " + kind.toLatin1();
        } else if (r.error == ShopResult::Error::StockRefused || r.error == ShopResult::Error::AlreadyReturned) {
            ++refused;
            line = "REFUSED " + kind.toLatin1();
        } else {
            ++(r.error == ShopResult::Error::Busy ? busy : errors);
            line = (r.error == ShopResult::Error::Busy ? "BUSY " : "ERROR ") + kind.toLatin1() + ": " + r.message.toUtf8();
        }
        // A shelf below nothing is what a lost update between counters would show.
        QSqlQuery q(Database::connection());
        if (q.exec(QStringLiteral("Select Count(*) from CD Where Stok<0")) && q.next() && q.value(0).toInt() > 0)
            ++negative;
        std::printf("%s\n", line.constData());
        std::fflush(stdout);
    }
    std::printf("DONE ok=%d refused=%d retries=%d busy=%d errors=%d negative=%d\n", ok, refused, retries, busy,
                errors, negative);
    Database::close(Database::ConnectionName);
    return 0;
}
