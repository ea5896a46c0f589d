#pragma once

// What the catalogue tests share: a fresh shop database with the data
// modules, scripted prompts, a recording report preview, and small helpers
// that fill the record entry dialog the way a clerk does.
#include "catalogue/FrmCDKayitUnit1.h"
#include "catalogue/FrmCDTanimUnit.h"
#include "catalogue/FrmNavigatorUnit.h"
#include "components/BandReport.h"
#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/DataSource.h"
#include "components/Format.h"
#include "db/Money.h"
#include "db/Database.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "support/WindowTestFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QTreeView>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

using Icon = PromptService::Icon;
using Answer = PromptService::Answer;

namespace Sql = TestSupport::Sql;

// A shop with a recording preview and no home of its own; tearing down also
// closes the catalogue windows.
struct CatalogueFixture : TestSupport::WindowTestFixture
{
    bool setUp() { return WindowTestFixture::setUp(Preview); }
    void tearDown()
    {
        delete FrmNavigator.data();
        delete FrmCDTanim.data();
        WindowTestFixture::tearDown();
    }

    // A title stored directly, as another counter would.
    static bool addTitle(int cdNo, const QString &name, const QString &type, int stock = 1,
                         const QString &genre = QString(), const QString &director = QString(),
                         const QString &barcode = QString(), const QString &bill = QString())
    {
        return Sql::exec(QStringLiteral("Insert Into CD (CDNo, FilmAdi, CDTur, Stok, KonuTur, Yonetmen, Barkod, CDFaturaNo, "
                                        "KutuIcerik) Values (?, ?, ?, ?, ?, ?, ?, ?, 1)"),
                         {cdNo, name, type, stock, genre.isEmpty() ? QVariant() : genre,
                          director.isEmpty() ? QVariant() : director, barcode.isEmpty() ? QVariant() : barcode,
                          bill.isEmpty() ? QVariant() : bill});
    }

    // The ledger rows as the program reads them (money exact).
    struct Booking
    {
        int cdId;
        QString islem;
        Money alacak;
        QString aciklama;
    };
    static std::vector<Booking> bookings()
    {
        std::vector<Booking> out;
        DataSet *t = Dm1->Temp;
        t->close();
        t->setSql(QStringLiteral("Select * from Kasa Order by ID"));
        if (!t->open())
            return out;
        t->fetchAll();
        const int c = t->fieldIndex(QStringLiteral("CDID")), i = t->fieldIndex(QStringLiteral("Islem")),
                  a = t->fieldIndex(QStringLiteral("Alacak")), n = t->fieldIndex(QStringLiteral("Aciklama"));
        for (int r = 0; r < t->fetchedCount(); ++r)
            out.push_back({t->valueAt(r, c).toInt(), t->valueAt(r, i).toString(), t->valueAt(r, a).value<Money>(),
                           t->valueAt(r, n).toString()});
        t->close();
        return out;
    }
};

// Acts on the record entry dialog once it is up (it is shown with exec()).
inline void whenEntryDialogShows(std::function<void(TFrmCDKayit *)> act)
{
    QTimer::singleShot(0, [act] {
        QVERIFY2(FrmCDKayit, "the record entry dialog did not open");
        act(FrmCDKayit.data());
        // A dialog the test left open is closed, so nothing hangs.
        if (FrmCDKayit && FrmCDKayit->isVisible())
            FrmCDKayit->reject();
    });
}

inline void typeInto(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    // Typed one key at a time, with the key's text: keyClicks knows only ASCII.
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(edit, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(edit, &release);
    }
}

inline void choose(QComboBox *box, const QString &text)
{
    const int i = box->findText(text);
    QVERIFY2(i >= 0, qPrintable(QStringLiteral("no entry ") + text));
    box->setCurrentIndex(i);
    emit box->activated(i);
}

// Fills the required fields of a new title.
inline void fillTitle(TFrmCDKayit *d, const QString &name, const QString &type = QStringLiteral("DVD"),
                      const QString &stock = QStringLiteral("1"), const QString &cost = QString())
{
    choose(d->DBComboBoxCDTur, type);
    typeInto(d->DBEditFilmAdi, name);
    typeInto(d->DBEditStok, stock);
    typeInto(d->DBEditKutuIcerik, QStringLiteral("1"));
    typeInto(d->DBEditSatisFiyat, QStringLiteral("10"));
    if (!cost.isEmpty())
        typeInto(d->DBEditMaliyetFiyat, cost);
}
