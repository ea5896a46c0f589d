// The CD definitions window: numbering, search, the filter, the window-level
// keys, the printed lists and the close rules.
#include "CatalogueFixture.h"

#include "components/DataSetModel.h"
#include "reports/DlgCDIstUnit.h"
#include <QTimer>
#include "service/FrmServisUnit.h"
#include "shell/FrmMainUnit.h"

#include <QAbstractButton>
#include <QButtonGroup>

class TestFrmCDTanim : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstTitleIsOneAndHighestDeletedIsReused();
    void filter_data();
    void filter();
    void filterListsLockWhileOn();
    void typeFilterReachesEveryStoredType();
    void countIsSetOnce();
    void keysAtWindowLevelFromSearchBox();
    void search_data();
    void search();
    void navigationAndEditOpeners();
    void rentersOfTheCurrentTitle();
    void printedListHoldsWhatIsShown();
    void stockStatisticsButton();
    void closeRules();

private:
    void seedCatalogue();
    // The names the title grid lists, top to bottom.
    QStringList listed();
    CatalogueFixture f;
};

void TestFrmCDTanim::init()
{
    QVERIFY(f.setUp());
}

void TestFrmCDTanim::cleanup()
{
    VERIFY_ALL_ANSWERED(f.prompts);
    f.tearDown();
}

void TestFrmCDTanim::seedCatalogue()
{
    for (const char *name : {"Dram", "Komedi"})
        QVERIFY(Sql::exec(QStringLiteral("Insert Into FilmTur (FilmTur) Values (?)"), {QString::fromUtf8(name)}));
    for (const char *name : {"Atıf Yılmaz", "Ali \"Baba\" O'Neil", "Ertem Eğilmez"})
        QVERIFY(Sql::exec(QStringLiteral("Insert Into Yonetmen (Yonetmen) Values (?)"), {QString::fromUtf8(name)}));
    using C = CatalogueFixture;
    QVERIFY(C::addTitle(1, QStringLiteral("Selvi Boylum"), QStringLiteral("DVD"), 2, QStringLiteral("Dram"), QStringLiteral("Atıf Yılmaz"), QStringLiteral("869001"), QStringLiteral("F-100")));
    QVERIFY(C::addTitle(2, QStringLiteral("Hababam Sınıfı"), QStringLiteral("VCD"), 3, QStringLiteral("Komedi"), QStringLiteral("Ertem Eğilmez"), QStringLiteral("869002"), QStringLiteral("F-200")));
    QVERIFY(C::addTitle(3, QStringLiteral("İnek Şaban"), QStringLiteral("DVD"), 1, QStringLiteral("Komedi"), QStringLiteral("Ertem Eğilmez"), QStringLiteral("869003"), QStringLiteral("F-300")));
    QVERIFY(C::addTitle(4, QStringLiteral("Adını Feriha"), QStringLiteral("DVD"), 5, QStringLiteral("Dram"), QStringLiteral("Ali \"Baba\" O'Neil")));
    QVERIFY(C::addTitle(5, QStringLiteral("Gran Turismo"), QStringLiteral("PS3 Game"), 4));
    QVERIFY(C::addTitle(6, QStringLiteral("Zula"), QStringLiteral("PC Game"), 1, QStringLiteral("Dram")));
}

QStringList TestFrmCDTanim::listed()
{
    QAbstractItemModel *m = FrmCDTanim->DBGrid1->model();
    while (m->canFetchMore({}))
        m->fetchMore({});
    QStringList names;
    for (int r = 0; r < m->rowCount(); ++r)
        names << m->index(r, 0).data().toString();
    return names;
}

void TestFrmCDTanim::firstTitleIsOneAndHighestDeletedIsReused()
{
    QVERIFY(OpenCDDefinitions());
    QStringList offered;
    auto addOne = [&](const QString &name) {
        f.prompts->expect(Icon::Question, QStringLiteral(" New Film/Game entered, do you want game price is transected in cash box? "),
                          Answer::No);
        whenEntryDialogShows([&, name](TFrmCDKayit *d) {
            offered << d->DBEditCDNo->text();
            fillTitle(d, name);
            d->btnSave->click();
        });
        FrmCDTanim->tbNew->click();
    };
    addOne(QStringLiteral("Birinci"));
    addOne(QStringLiteral("İkinci"));
    QCOMPARE(offered, (QStringList{"1", "2"}));
    // The highest goes: its number is the next one given again.
    QVERIFY(Dm1->CD->locate(QStringLiteral("CDNo"), 2));
    f.prompts->expect(Icon::Warning, QStringLiteral("Kaydı silmek istediğinize eminmisiniz ?"), Answer::Yes);
    FrmCDTanim->tbDelete->click();
    addOne(QStringLiteral("Üçüncü"));
    QCOMPARE(offered.last(), QStringLiteral("2"));
    QCOMPARE(Sql::scalar(QStringLiteral("Select Count(*) from CD")).toInt(), 2);
}

void TestFrmCDTanim::filter_data()
{
    QTest::addColumn<QString>("cdType");
    QTest::addColumn<QString>("genre");
    QTest::addColumn<QString>("director");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("all lists empty: every title by name")
        << "" << "" << "" << QStringList{"Adını Feriha", "Gran Turismo", "Hababam Sınıfı", "İnek Şaban", "Selvi Boylum", "Zula"};
    QTest::newRow("DVD") << "DVD" << "" << "" << QStringList{"Adını Feriha", "İnek Şaban", "Selvi Boylum"};
    QTest::newRow("DVD and a director") << "DVD" << "" << "Ertem Eğilmez" << QStringList{"İnek Şaban"};
    QTest::newRow("a name with quotes") << "" << "" << "Ali \"Baba\" O'Neil" << QStringList{"Adını Feriha"};
    QTest::newRow("genre only") << "" << "Dram" << "" << QStringList{"Adını Feriha", "Selvi Boylum", "Zula"};
    QTest::newRow("a game type") << "PS3 Game" << "" << "" << QStringList{"Gran Turismo"};
    QTest::newRow("nothing matches") << "VCD" << "Dram" << "" << QStringList{};
}

void TestFrmCDTanim::filter()
{
    QFETCH(QString, cdType);
    QFETCH(QString, genre);
    QFETCH(QString, director);
    QFETCH(QStringList, expected);
    seedCatalogue();
    QVERIFY(OpenCDDefinitions());
    choose(FrmCDTanim->ComboBox1, cdType);
    choose(FrmCDTanim->ComboBox2, genre);
    choose(FrmCDTanim->ComboBox5, director);
    QTest::mouseClick(FrmCDTanim->SpeedButton1, Qt::LeftButton);
    QVERIFY(FrmCDTanim->SpeedButton1->isChecked());
    // The filter sorts by name like the database does; compare with its order.
    // Ordered by name as the database orders names.
    QSqlQuery q(Database::connection());
    QVERIFY(q.exec(QStringLiteral("Select FilmAdi from CD order by FilmAdi")));
    QStringList inOrder;
    while (q.next()) {
        if (expected.contains(q.value(0).toString()))
            inOrder << q.value(0).toString();
    }
    QCOMPARE(inOrder.size(), expected.size());
    QCOMPARE(listed(), inOrder);
    // The chosen names are values bound to the statement, never part of its text.
    for (const QString &v : {cdType, genre, director}) {
        if (!v.isEmpty())
            QVERIFY(!Dm1->CD->sql().contains(v));
    }
    // Up again: every title, selections kept.
    QTest::mouseClick(FrmCDTanim->SpeedButton1, Qt::LeftButton);
    QCOMPARE(listed().size(), 6);
    QCOMPARE(FrmCDTanim->ComboBox1->currentText(), cdType);
}

void TestFrmCDTanim::filterListsLockWhileOn()
{
    seedCatalogue();
    QVERIFY(OpenCDDefinitions());
    const QList<QComboBox *> lists = {FrmCDTanim->ComboBox1, FrmCDTanim->ComboBox2, FrmCDTanim->ComboBox3,
                                      FrmCDTanim->ComboBox4, FrmCDTanim->ComboBox5};
    // Filled from the lookup tables: an empty entry, then the names sorted.
    QCOMPARE(FrmCDTanim->ComboBox2->count(), 3);
    QCOMPARE(FrmCDTanim->ComboBox2->itemText(0), QString());
    QCOMPARE(FrmCDTanim->ComboBox2->itemText(1), QStringLiteral("Dram"));
    QVERIFY(!FrmCDTanim->ComboBox1->isEditable());
    FrmCDTanim->SpeedButton1->click();
    for (QComboBox *c : lists)
        QVERIFY(!c->isEnabled());
    FrmCDTanim->SpeedButton1->click();
    for (QComboBox *c : lists)
        QVERIFY(c->isEnabled());
}

void TestFrmCDTanim::typeFilterReachesEveryStoredType()
{
    QVERIFY(OpenCDDefinitions());
    QStringList entries;
    for (int i = 0; i < FrmCDTanim->ComboBox1->count(); ++i)
        entries << FrmCDTanim->ComboBox1->itemText(i);
    for (const QString &type : TFrmCDKayit::cdTypes())
        QVERIFY2(entries.contains(type), qPrintable(type));
    QCOMPARE(entries.first(), QString());
    QCOMPARE(entries.mid(1, 3), (QStringList{"VCD", "DVD", "DivX"}));
    QCOMPARE(entries.last(), QString());
}

void TestFrmCDTanim::countIsSetOnce()
{
    seedCatalogue();
    QVERIFY(OpenCDDefinitions());
    const QString shown = QStringLiteral(" Total entered film number : 6");
    QCOMPARE(FrmCDTanim->StatusPanel0->text(), shown);
    f.prompts->expect(Icon::Question, QStringLiteral(" New Film/Game entered, do you want game price is transected in cash box? "),
                      Answer::No);
    whenEntryDialogShows([](TFrmCDKayit *d) {
        fillTitle(d, QStringLiteral("Yeni"));
        d->btnSave->click();
    });
    FrmCDTanim->tbNew->click();
    f.prompts->expect(Icon::Warning, QStringLiteral("Kaydı silmek istediğinize eminmisiniz ?"), Answer::Yes);
    FrmCDTanim->tbDelete->click();
    f.prompts->expect(Icon::Warning, QStringLiteral("Kaydı silmek istediğinize eminmisiniz ?"), Answer::Yes);
    FrmCDTanim->tbDelete->click();
    choose(FrmCDTanim->ComboBox1, QStringLiteral("DVD"));
    FrmCDTanim->SpeedButton1->click();
    QCOMPARE(Sql::scalar(QStringLiteral("Select Count(*) from CD")).toInt(), 5);
    QCOMPARE(FrmCDTanim->StatusPanel0->text(), shown);
}

void TestFrmCDTanim::keysAtWindowLevelFromSearchBox()
{
    seedCatalogue();
    QVERIFY(OpenCDDefinitions());
    FrmCDTanim->Edit1->setFocus();
    QTest::keyClicks(FrmCDTanim->Edit1, "Hab");
    QCOMPARE(Dm1->CD->value(QStringLiteral("FilmAdi")).toString(), QStringLiteral("Hababam Sınıfı"));
    // Delete in the search box asks about the current title, not the text.
    f.prompts->expect(Icon::Warning, QStringLiteral("Kaydı silmek istediğinize eminmisiniz ?"), Answer::Yes);
    QTest::keyClick(FrmCDTanim->Edit1, Qt::Key_Delete);
    QCOMPARE(Sql::scalar(QStringLiteral("Select Count(*) from CD where FilmAdi=?"), {QStringLiteral("Hababam Sınıfı")}).toInt(), 0);
    QCOMPARE(FrmCDTanim->Edit1->text(), QStringLiteral("Hab"));
    // Insert starts a new title.
    bool opened = false;
    QString number;
    whenEntryDialogShows([&](TFrmCDKayit *d) {
        opened = true;
        number = d->DBEditCDNo->text();
    });
    QTest::keyClick(FrmCDTanim->Edit1, Qt::Key_Insert);
    QVERIFY(opened);
    QCOMPARE(number, QStringLiteral("7"));
    QCOMPARE(Dm1->CD->state(), DataSet::State::Browse);
    // Esc closes the window.
    QTest::keyClick(FrmCDTanim->Edit1, Qt::Key_Escape);
    QTRY_VERIFY(!FrmCDTanim);
}

void TestFrmCDTanim::search_data()
{
    QTest::addColumn<int>("factor");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected"); // the current title afterwards
    QTest::newRow("name prefix, any case") << 0 << "hABab" << "Hababam Sınıfı";
    QTest::newRow("name, Turkish dotted i") << 0 << "inek" << "İnek Şaban";
    QTest::newRow("name, no hit stays") << 0 << "Xyz" << "Adını Feriha";
    QTest::newRow("ID number exact") << 1 << "5" << "Gran Turismo";
    QTest::newRow("ID number, not a number") << 1 << "x5" << "Adını Feriha";
    QTest::newRow("barcode prefix") << 2 << "869003" << "İnek Şaban";
    QTest::newRow("bill number") << 3 << "f-2" << "Hababam Sınıfı";
}

void TestFrmCDTanim::search()
{
    QFETCH(int, factor);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    seedCatalogue();
    QVERIFY(OpenCDDefinitions());
    QCOMPARE(Dm1->CD->value(QStringLiteral("FilmAdi")).toString(), QStringLiteral("Adını Feriha"));
    FrmCDTanim->RadioGroup1->button(factor)->click();
    QTest::keyClicks(FrmCDTanim->Edit1, text);
    QCOMPARE(Dm1->CD->value(QStringLiteral("FilmAdi")).toString(), expected);
    QCOMPARE(FrmCDTanim->DBGrid1->currentIndex().data().toString(), expected);
}

void TestFrmCDTanim::navigationAndEditOpeners()
{
    seedCatalogue();
    QVERIFY(OpenCDDefinitions());
    auto current = [] { return Dm1->CD->value(QStringLiteral("FilmAdi")).toString(); };
    FrmCDTanim->tbLast->click();
    const QString last = current();
    QVERIFY(last != QStringLiteral("Adını Feriha"));
    FrmCDTanim->tbPrior->click();
    QVERIFY(current() != last);
    FrmCDTanim->tbNext->click();
    QCOMPARE(current(), last);
    FrmCDTanim->tbFirst->click();
    QCOMPARE(current(), QStringLiteral("Adını Feriha"));
    // Enter in the list edits the current title, and so does a double-click.
    QString editing;
    whenEntryDialogShows([&](TFrmCDKayit *d) { editing = d->DBEditFilmAdi->text(); });
    FrmCDTanim->DBGrid1->setFocus();
    QTest::keyClick(FrmCDTanim->DBGrid1, Qt::Key_Return);
    QCOMPARE(editing, QStringLiteral("Adını Feriha"));
    editing.clear();
    FrmCDTanim->tbNext->click();
    whenEntryDialogShows([&](TFrmCDKayit *d) { editing = d->DBEditFilmAdi->text(); });
    QVERIFY(QTest::qWaitForWindowExposed(FrmCDTanim));
    const QPoint at = FrmCDTanim->DBGrid1->visualRect(FrmCDTanim->DBGrid1->currentIndex()).center();
    QTest::mouseClick(FrmCDTanim->DBGrid1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(FrmCDTanim->DBGrid1->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(editing, current());
    QCOMPARE(Dm1->CD->state(), DataSet::State::Browse);
}

void TestFrmCDTanim::rentersOfTheCurrentTitle()
{
    seedCatalogue();
    QVERIFY(Sql::exec(QStringLiteral("Insert Into Musteri (MusteriNo, AdSoyad, Telefon) Values (1, 'Ayşe Kaya', '555')")));
    const int customer = Sql::scalar(QStringLiteral("Select ID from Musteri")).toInt();
    const int title = Sql::scalar(QStringLiteral("Select ID from CD where CDNo=3")).toInt();
    QVERIFY(Sql::exec(QStringLiteral("Insert Into Hareket (IslemTur, MusteriNo, CdNo, KiraTarih, KiralamaGun, CDDurum) "
                                                  "Values ('Rent', ?, ?, '2026-12-01', 3, 0)"), {customer, title}));
    QVERIFY(OpenCDDefinitions());
    QAbstractItemModel *renters = FrmCDTanim->DBGrid2->model();
    QCOMPARE(renters->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Customer"));
    QCOMPARE(renters->rowCount(), 0); // "Adını Feriha" was never rented
    FrmCDTanim->RadioGroup1->button(1)->click();
    QTest::keyClicks(FrmCDTanim->Edit1, "3");
    QCOMPARE(renters->rowCount(), 1);
    QCOMPARE(renters->index(0, 0).data().toString(), QStringLiteral("Ayşe Kaya"));
    QCOMPARE(renters->index(0, 2).data().toString(), QStringLiteral("3"));
}

void TestFrmCDTanim::printedListHoldsWhatIsShown()
{
    seedCatalogue();
    QVERIFY(OpenCDDefinitions());
    choose(FrmCDTanim->ComboBox1, QStringLiteral("DVD"));
    choose(FrmCDTanim->ComboBox2, QStringLiteral("Dram"));
    FrmCDTanim->SpeedButton1->click();
    const QStringList shown = listed();
    QCOMPARE(shown.size(), 2);
    FrmCDTanim->tbPrint->click();
    QCOMPARE(f.preview->titles, QStringList{"CD List"});
    const Report::Computed &c = f.preview->computed.front();
    QCOMPARE(c.rowCount(), shown.size());
    for (int r = 0; r < c.rowCount(); ++r)
        QVERIFY2(c.rows[size_t(r)].contains(shown[r]), qPrintable(shown[r]));
    QVERIFY(!Dm2->RaporTemp->isOpen());
}

void TestFrmCDTanim::stockStatisticsButton()
{
    seedCatalogue();
    QVERIFY(OpenCDDefinitions());
    FrmCDTanim->tbStokIst->click();
    QCOMPARE(f.preview->titles, QStringList{"Stock Statistic Report"});
    const Report::Computed &c = f.preview->computed.front();
    // One row per genre (titles without one form their own row).
    QCOMPARE(c.rowCount(), 3);
    QCOMPARE(c.integer(QStringLiteral("DVDToplam")), 2 + 1 + 5);
    QCOMPARE(c.integer(QStringLiteral("VCDToplam")), 3);
    // "Rent Stat." opens the renting statistics dialog.
    QTimer::singleShot(0, [] {
        QVERIFY(DlgCDIst && DlgCDIst->isVisible());
        DlgCDIst->reject();
    });
    FrmCDTanim->tbKiraIst->click();
    QVERIFY(!DlgCDIst);
}

void TestFrmCDTanim::closeRules()
{
    seedCatalogue();
    QVERIFY(OpenCDDefinitions());
    QVERIFY(Dm1->CD->isOpen());
    QVERIFY(Dm1->Oyuncu->isOpen() && Dm1->Yonetmen->isOpen() && Dm1->FilmTur->isOpen() && Dm1->FilmSirket->isOpen()
            && Dm1->DagiticiFirma->isOpen());
    FrmCDTanim->btnPanelClose->click();
    QTRY_VERIFY(!FrmCDTanim);
    QVERIFY(!Dm1->CD->isOpen());
    QVERIFY(!Dm1->Oyuncu->isOpen() && !Dm1->Yonetmen->isOpen() && !Dm1->FilmTur->isOpen() && !Dm1->FilmSirket->isOpen()
            && !Dm1->DagiticiFirma->isOpen());
    // A window left open with the service window: the lookups stay.
    TFrmServis service; // known to the program as long as it exists
    QVERIFY(OpenCDDefinitions());
    FrmCDTanim->close();
    QTRY_VERIFY(!FrmCDTanim);
    QVERIFY(Dm1->Oyuncu->isOpen());
    FrmServis.clear();
}

QTEST_MAIN(TestFrmCDTanim)
#include "tst_frmcdtanim.moc"
