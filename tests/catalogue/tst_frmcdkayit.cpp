// "CD Definition": what a new or changed title stores, the purchase it books
// in the cash box, and what it refuses.
#include "CatalogueFixture.h"

#include <QAbstractItemView>

class TestFrmCDKayit : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void purchaseIsBooked_data();
    void purchaseIsBooked();
    void editingNeverTouchesCashBox();
    void requiredFields_data();
    void requiredFields();
    void textThatIsNoNumber_data();
    void textThatIsNoNumber();
    void lookupsStoreTheNameText();
    void failedPurchaseStoresNothing();
    void cancelLeavesNothing();
    void enterInBarcodeGoesToName(); // and Space opens "CD Type"

private:
    void openDefinitions();
    int titles() { return Sql::scalar(QStringLiteral("Select Count(*) from CD")).toInt(); }
    CatalogueFixture f;
};

void TestFrmCDKayit::init()
{
    QVERIFY(f.setUp());
    QVERIFY(Sql::exec(QStringLiteral("Insert Into Oyuncu (OyuncuAdi) Values ('Tarık Akan')")));
    QVERIFY(Sql::exec(QStringLiteral("Insert Into FilmTur (FilmTur) Values ('Dram')")));
    QVERIFY(Sql::exec(QStringLiteral("Insert Into Yonetmen (Yonetmen) Values ('Atıf Yılmaz')")));
    QVERIFY(Sql::exec(QStringLiteral("Insert Into FilmSirket (FilmSirket) Values ('Erler Film')")));
    QVERIFY(Sql::exec(QStringLiteral("Insert Into DagiticiFirma (DagiticiFirma) Values ('Tiglon')")));
}

void TestFrmCDKayit::cleanup()
{
    VERIFY_ALL_ANSWERED(f.prompts);
    f.tearDown();
}

void TestFrmCDKayit::openDefinitions()
{
    QVERIFY(OpenCDDefinitions());
}

void TestFrmCDKayit::purchaseIsBooked_data()
{
    QTest::addColumn<QString>("stock");
    QTest::addColumn<QString>("cost");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("booked");
    QTest::addColumn<QString>("alacak"); // as the ledger shows it
    QTest::newRow("3 x 12,50") << "3" << "12,50" << int(Answer::Yes) << true << "37,50";
    QTest::newRow("empty cost books 0") << "2" << "" << int(Answer::Yes) << true << "0,00";
    QTest::newRow("thousands") << "4" << "1.250,25" << int(Answer::Yes) << true << "5.001,00";
    QTest::newRow("answered No") << "3" << "12,50" << int(Answer::No) << false << "";
}

void TestFrmCDKayit::purchaseIsBooked()
{
    QFETCH(QString, stock);
    QFETCH(QString, cost);
    QFETCH(int, answer);
    QFETCH(bool, booked);
    QFETCH(QString, alacak);
    QVERIFY(CatalogueFixture::addTitle(7, QStringLiteral("Eski Film"), QStringLiteral("VCD")));
    openDefinitions();
    f.prompts->expect(Icon::Question, QStringLiteral(" New Film/Game entered, do you want game price is transected in cash box? "),
                      Answer(answer));
    whenEntryDialogShows([&](TFrmCDKayit *d) {
        QCOMPARE(d->DBEditCDNo->text(), QStringLiteral("8"));
        fillTitle(d, QStringLiteral("Selvi Boylum Al Yazmalım"), QStringLiteral("DVD"), stock, cost);
        d->btnSave->click();
    });
    FrmCDTanim->tbNew->click();
    QVERIFY(!FrmCDKayit);
    QCOMPARE(titles(), 2);
    QCOMPARE(Sql::scalar(QStringLiteral("Select CDNo from CD where FilmAdi=?"),
                                      {QStringLiteral("Selvi Boylum Al Yazmalım")}).toInt(), 8);
    const auto rows = CatalogueFixture::bookings();
    QCOMPARE(int(rows.size()), booked ? 1 : 0);
    if (booked) {
        QCOMPARE(rows[0].islem, QStringLiteral("Buying CD"));
        QCOMPARE(rows[0].cdId, 8);
        QCOMPARE(Format::money(rows[0].alacak), alacak);
        QCOMPARE(rows[0].aciklama, QStringLiteral("Buying CD / Selvi Boylum Al Yazmalım"));
    }
    // The list stands on the new title.
    QCOMPARE(Dm1->CD->value(QStringLiteral("FilmAdi")).toString(), QStringLiteral("Selvi Boylum Al Yazmalım"));
}

void TestFrmCDKayit::editingNeverTouchesCashBox()
{
    QVERIFY(CatalogueFixture::addTitle(1, QStringLiteral("Hababam Sınıfı"), QStringLiteral("VCD"), 2));
    QVERIFY(Sql::exec(QStringLiteral("Update CD set SatisFiyat=100000")));
    openDefinitions();
    whenEntryDialogShows([&](TFrmCDKayit *d) {
        QCOMPARE(d->DBEditFilmAdi->text(), QStringLiteral("Hababam Sınıfı"));
        typeInto(d->DBEditStok, QStringLiteral("9"));
        typeInto(d->DBEditMaliyetFiyat, QStringLiteral("5"));
        d->btnSave->click();
    });
    FrmCDTanim->tbEdit->click();
    QCOMPARE(Sql::scalar(QStringLiteral("Select Stok from CD")).toInt(), 9);
    QCOMPARE(int(CatalogueFixture::bookings().size()), 0);
}

void TestFrmCDKayit::requiredFields_data()
{
    QTest::addColumn<QString>("field");
    for (const char *f : {"CD Type", "Film/Game Name", "Stock Amount", "Film CD Number", "Selling Price", "CD No"})
        QTest::newRow(f) << QString::fromLatin1(f);
}

void TestFrmCDKayit::requiredFields()
{
    QFETCH(QString, field);
    openDefinitions();
    f.prompts->expect(Icon::Warning, QStringLiteral("You can t complete record without entering all essential changes !!!"));
    bool stayedOpen = false;
    whenEntryDialogShows([&](TFrmCDKayit *d) {
        fillTitle(d, QStringLiteral("Tosun Paşa"));
        if (field == QLatin1String("CD Type"))
            d->DBComboBoxCDTur->setCurrentIndex(-1);
        for (QLineEdit *e : d->findChildren<QLineEdit *>()) {
            if (e->accessibleName() == field)
                typeInto(e, QStringLiteral("   ")); // blanks count as empty
        }
        d->btnSave->click();
        stayedOpen = d->isVisible();
    });
    FrmCDTanim->tbNew->click();
    QVERIFY(stayedOpen);
    QCOMPARE(titles(), 0);
    QCOMPARE(Dm1->CD->state(), DataSet::State::Browse);
}

void TestFrmCDKayit::textThatIsNoNumber_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("stock") << "Stock Amount" << "üç" << "'üç' is not a valid integer value.";
    QTest::newRow("cost") << "Cost Price" << "12,5x" << "'12,5x' is not a valid number.";
    QTest::newRow("selling price") << "Selling Price" << "abc" << "'abc' is not a valid number.";
    QTest::newRow("year") << "Prod. Year" << "1975a" << "'1975a' is not a valid integer value.";
}

void TestFrmCDKayit::textThatIsNoNumber()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    openDefinitions();
    f.prompts->expect(Icon::Error, message);
    bool stayedOpen = false;
    whenEntryDialogShows([&](TFrmCDKayit *d) {
        fillTitle(d, QStringLiteral("Tosun Paşa"));
        for (QLineEdit *e : d->findChildren<QLineEdit *>()) {
            if (e->accessibleName() == field) {
                e->setText(text); // non-ASCII text cannot be typed by keyClicks
                e->setModified(true);
            }
        }
        d->btnSave->click();
        stayedOpen = d->isVisible();
    });
    FrmCDTanim->tbNew->click();
    QVERIFY(stayedOpen);
    QCOMPARE(titles(), 0);
    QCOMPARE(int(CatalogueFixture::bookings().size()), 0);
}

void TestFrmCDKayit::lookupsStoreTheNameText()
{
    openDefinitions();
    f.prompts->expect(Icon::Question, QStringLiteral(" New Film/Game entered, do you want game price is transected in cash box? "),
                      Answer::No);
    whenEntryDialogShows([&](TFrmCDKayit *d) {
        fillTitle(d, QStringLiteral("Sürü"), QStringLiteral("PS3 Game"));
        choose(d->DBLookupOyuncu, QStringLiteral("Tarık Akan"));
        choose(d->DBLookupKonuTur, QStringLiteral("Dram"));
        choose(d->DBLookupYonetmen, QStringLiteral("Atıf Yılmaz"));
        choose(d->DBLookupFilmSirketi, QStringLiteral("Erler Film"));
        choose(d->DBLookupDagiticiFirma, QStringLiteral("Tiglon"));
        choose(d->DBComboBoxDublaj, QStringLiteral("German"));
        typeInto(d->DBEditBarkod, QStringLiteral("8690001"));
        d->btnSave->click();
    });
    FrmCDTanim->tbNew->click();
    QSqlQuery q(Database::connection());
    QVERIFY(q.exec(QStringLiteral("Select CDTur, Oyuncu, KonuTur, Yonetmen, FilmSirketi, DagiticiFirma, Dublaj, Barkod from CD")));
    QVERIFY(q.next());
    QStringList stored;
    for (int i = 0; i < 8; ++i)
        stored << q.value(i).toString();
    QCOMPARE(stored, (QStringList{"PS3 Game", "Tarık Akan", "Dram", "Atıf Yılmaz", "Erler Film", "Tiglon", "German", "8690001"}));
}

void TestFrmCDKayit::failedPurchaseStoresNothing()
{
    openDefinitions();
    f.prompts->expect(Icon::Question, QStringLiteral(" New Film/Game entered, do you want game price is transected in cash box? "),
                      Answer::Yes);
    f.prompts->expectStartingWith(Icon::Error, QString());
    bool stayedOpen = false;
    QString nameAfter;
    whenEntryDialogShows([&](TFrmCDKayit *d) {
        fillTitle(d, QStringLiteral("Yarım kalmasın"), QStringLiteral("DVD"), QStringLiteral("2"), QStringLiteral("4"));
        // The ledger cannot take the row: the title must not stay either.
        QVERIFY(Sql::exec(QStringLiteral("Alter Table Kasa Rename To KasaGone")));
        d->btnSave->click();
        stayedOpen = d->isVisible();
        nameAfter = d->DBEditFilmAdi->text();
        QVERIFY(Sql::exec(QStringLiteral("Alter Table KasaGone Rename To Kasa")));
    });
    FrmCDTanim->tbNew->click();
    QVERIFY(stayedOpen);
    QCOMPARE(nameAfter, QStringLiteral("Yarım kalmasın"));
    QCOMPARE(titles(), 0);
    QCOMPARE(int(CatalogueFixture::bookings().size()), 0);
}

void TestFrmCDKayit::cancelLeavesNothing()
{
    openDefinitions();
    whenEntryDialogShows([&](TFrmCDKayit *d) {
        fillTitle(d, QStringLiteral("Vazgeçildi"));
        QTest::keyClick(d->DBEditFilmAdi, Qt::Key_Escape);
    });
    FrmCDTanim->tbNew->click();
    QVERIFY(!FrmCDKayit);
    QCOMPARE(titles(), 0);
    QCOMPARE(Dm1->CD->state(), DataSet::State::Browse);
}

void TestFrmCDKayit::enterInBarcodeGoesToName()
{
    openDefinitions();
    QWidget *focusAfter = nullptr;
    whenEntryDialogShows([&](TFrmCDKayit *d) {
        d->activateWindow();
        typeInto(d->DBEditBarkod, QStringLiteral("123"));
        QTest::keyClick(d->DBEditBarkod, Qt::Key_Return);
        focusAfter = d->focusWidget();
        QCOMPARE(focusAfter, static_cast<QWidget *>(d->DBEditFilmAdi));
        QVERIFY(d->isVisible()); // Enter did not save or close
        // Space opens the disc type list.
        QTest::keyClick(d->DBComboBoxCDTur, Qt::Key_Space);
        QVERIFY(d->DBComboBoxCDTur->view()->isVisible());
        d->DBComboBoxCDTur->hidePopup();
    });
    FrmCDTanim->tbNew->click();
    QCOMPARE(titles(), 0);
}

QTEST_MAIN(TestFrmCDKayit)
#include "tst_frmcdkayit.moc"
