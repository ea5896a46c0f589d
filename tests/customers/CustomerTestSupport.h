#pragma once

// What the customer window tests share: a shop with a few customers written
// straight into the database, reading the rows back, and acting on a modal
// window once it shows.
#include "components/DataSet.h"
#include "db/Money.h"
#include "db/Database.h"
#include "support/WindowTestFixture.h"

#include <QApplication>
#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPointer>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <functional>

namespace CustomerTest {

// A small JPEG of one colour.
inline QByteArray jpeg(const QColor &color, QSize size = QSize(64, 48))
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "JPEG", 90);
    return bytes;
}

// Whether a picture is, by and large, of the colour (JPEG shifts it a little).
inline bool looksLike(const QImage &picture, const QColor &color)
{
    if (picture.isNull())
        return false;
    const QColor c = picture.pixelColor(picture.width() / 2, picture.height() / 2);
    return std::abs(c.red() - color.red()) < 30 && std::abs(c.green() - color.green()) < 30
        && std::abs(c.blue() - color.blue()) < 30;
}

using TestSupport::Sql::count;
using TestSupport::Sql::exec;
using TestSupport::Sql::scalar;

struct Customer
{
    int number;
    QString name;
    int member = 0;
    qint64 deposit = 0;
    QByteArray photo;
};

inline bool addCustomer(const Customer &c)
{
    return exec(QStringLiteral("Insert Into Musteri (MusteriNo, AdSoyad, UyelikDurum, Depozito, Resim, CepTelefon) "
                               "Values (?, ?, ?, ?, ?, ?)"),
                {c.number, c.name, c.member, QVariant::fromValue(Money::fromUnits(c.deposit)),
                 c.photo.isEmpty() ? QVariant() : QVariant(c.photo), QStringLiteral("0555 %1").arg(c.number)});
}

using TestSupport::whenShown;

// Every customer name in the order the dataset lists them.
inline QStringList names(DataSet *ds)
{
    QStringList out;
    ds->fetchAll();
    for (int r = 0; r < ds->fetchedCount(); ++r)
        out << ds->valueAt(r, ds->fieldIndex(QStringLiteral("AdSoyad"))).toString();
    return out;
}

} // namespace CustomerTest
