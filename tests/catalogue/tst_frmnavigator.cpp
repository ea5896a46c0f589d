// The navigator: every view's groups and totals against the database, the
// chooser's rules, printing the view as shown, and the jump to a title.
#include "CatalogueFixture.h"

#include "ShopGenerator.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>

namespace {

struct Group
{
    int count = 0;
    qint64 stock = 0;
};

// Column of CD a view groups by, as SQL names it.
const char *const ViewColumns[] = {nullptr, "Oyuncu", "FilmSirketi", "Yonetmen", "YapimYili", "DagiticiFirma", "KonuTur", "CDTur"};
const bool ViewTotals[] = {true, false, false, false, false, false, true, true};

} // namespace

class TestFrmNavigator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void viewMatchesDatabase_data();
    void viewMatchesDatabase();
    void playerViewHasTwoLevels();
    void chooserAndExpandAll();
    void printsTheViewAsShown();
    void doubleClickOpensTheTitle();
    void doubleClickLeavesFilteredWindowAlone();
    void newTitlesAppearOnReopen();
    void escapeCloses();
    void titleEnteredByTheClerkIsBookedAndGrouped();

private:
    QHash<QString, Group> sqlGroups(const QString &column);
    QModelIndex rowOfTitle(int cdNo);
    void choose(int chooserEntry);
    void doubleClick(const QModelIndex &row);
    CatalogueFixture f;
};

void TestFrmNavigator::initTestCase()
{
    QVERIFY(f.setUp());
    QString error;
    QVERIFY2(generateShop(Database::connection(), ShopSize{60, 400, 500, 500}, 5, QDate(2026, 12, 8), &error), qPrintable(error));
}

void TestFrmNavigator::cleanupTestCase()
{
    f.tearDown();
}

void TestFrmNavigator::cleanup()
{
    VERIFY_ALL_ANSWERED(f.prompts);
    delete FrmNavigator.data();
    delete FrmCDTanim.data();
}

QHash<QString, Group> TestFrmNavigator::sqlGroups(const QString &column)
{
    QHash<QString, Group> groups;
    QSqlQuery q(Database::connection());
    if (!q.exec(QStringLiteral("Select %1, Count(*), Sum(Stok) from CD Group by %1").arg(column)))
        qWarning() << q.lastError().text();
    while (q.next()) {
        Group &g = groups[q.value(0).toString()]; // NULL and empty read alike
        g.count += q.value(1).toInt();
        g.stock += q.value(2).toLongLong();
    }
    return groups;
}

void TestFrmNavigator::choose(int chooserEntry)
{
    QComboBox *c = FrmNavigator->ComboBox1;
    c->setCurrentIndex(chooserEntry);
    emit c->activated(chooserEntry);
}

QModelIndex TestFrmNavigator::rowOfTitle(int cdNo)
{
    QAbstractItemModel *m = FrmNavigator->cxGrid1->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        if (m->index(r, 0).data().toString() == QString::number(cdNo))
            return m->index(r, 3);
    }
    return {};
}

void TestFrmNavigator::doubleClick(const QModelIndex &row)
{
    QTreeView *view = FrmNavigator->cxGrid1;
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    view->scrollTo(row);
    const QPoint at = view->visualRect(row).center();
    QVERIFY2(view->viewport()->rect().contains(at), "the row is not on screen");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

void TestFrmNavigator::viewMatchesDatabase_data()
{
    QTest::addColumn<int>("view");
    const QStringList titles = TFrmNavigator::viewTitles();
    for (int v = 0; v < titles.size(); ++v) {
        if (v != 1) // the two-level view has its own case
            QTest::newRow(qPrintable(titles[v])) << v;
    }
}

void TestFrmNavigator::viewMatchesDatabase()
{
    QFETCH(int, view);
    QVERIFY(OpenNavigator());
    choose(view + 1);
    QCOMPARE(FrmNavigator->currentView(), view);
    QAbstractItemModel *m = FrmNavigator->cxGrid1->model();
    QAbstractItemModelTester tester(m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const qint64 allStock = Sql::scalar(QStringLiteral("Select Sum(Stok) from CD")).toLongLong();
    const int allTitles = Sql::scalar(QStringLiteral("Select Count(*) from CD")).toInt();
    QCOMPARE(FrmNavigator->TotalLabel->isVisibleTo(FrmNavigator), ViewTotals[view]);
    if (ViewTotals[view])
        QCOMPARE(FrmNavigator->TotalLabel->text(), QStringLiteral("Stock : %1").arg(allStock));
    if (!ViewColumns[view]) {
        QCOMPARE(m->rowCount(), allTitles);
        QCOMPARE(m->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Film Name"));
        return;
    }
    const QHash<QString, Group> expected = sqlGroups(QLatin1String(ViewColumns[view]));
    QCOMPARE(m->rowCount(), expected.size());
    int titlesSeen = 0;
    for (int r = 0; r < m->rowCount(); ++r) {
        const QModelIndex g = m->index(r, 0);
        const QString heading = g.data().toString();
        // "<column> : <key>  (<count>)"
        const QString key = heading.section(QStringLiteral(" : "), 1).section(QStringLiteral("  ("), 0, 0);
        QVERIFY2(expected.contains(key), qPrintable(heading));
        QCOMPARE(m->rowCount(g), expected[key].count);
        QVERIFY(heading.endsWith(QStringLiteral("(%1)").arg(expected[key].count)));
        if (ViewTotals[view])
            QCOMPARE(m->index(r, 4).data().toLongLong(), expected[key].stock);
        else
            QVERIFY(m->index(r, 4).data().toString().isEmpty());
        titlesSeen += m->rowCount(g);
    }
    QCOMPARE(titlesSeen, allTitles);
}

void TestFrmNavigator::playerViewHasTwoLevels()
{
    QVERIFY(OpenNavigator());
    choose(2);
    QAbstractItemModel *m = FrmNavigator->cxGrid1->model();
    QSqlQuery q(Database::connection());
    QVERIFY(q.exec(QStringLiteral("Select Oyuncu, CDTur, Count(*) from CD Group by Oyuncu, CDTur")));
    QHash<QString, int> expected;
    while (q.next())
        expected[q.value(0).toString() + QLatin1Char('|') + q.value(1).toString()] += q.value(2).toInt();
    QHash<QString, int> got;
    for (int r = 0; r < m->rowCount(); ++r) {
        const QModelIndex actor = m->index(r, 0);
        const QString a = actor.data().toString().section(QStringLiteral(" : "), 1).section(QStringLiteral("  ("), 0, 0);
        for (int s = 0; s < m->rowCount(actor); ++s) {
            const QModelIndex type = m->index(s, 0, actor);
            QVERIFY(type.data().toString().startsWith(QStringLiteral("CDType : ")));
            const QString t = type.data().toString().section(QStringLiteral(" : "), 1).section(QStringLiteral("  ("), 0, 0);
            got[a + QLatin1Char('|') + t] = m->rowCount(type);
        }
    }
    QCOMPARE(got, expected);
}

void TestFrmNavigator::chooserAndExpandAll()
{
    QVERIFY(OpenNavigator());
    QComboBox *c = FrmNavigator->ComboBox1;
    QCOMPARE(c->count(), 9);
    QCOMPARE(c->itemText(1), QStringLiteral("All llist"));
    QVERIFY(!FrmNavigator->SpeedButton1->isEnabled());
    choose(8); // According to CD type
    QVERIFY(FrmNavigator->SpeedButton1->isEnabled());
    QCOMPARE(c->itemText(0), QStringLiteral("According to CD type"));
    QTreeView *view = FrmNavigator->cxGrid1;
    const QModelIndex first = view->model()->index(0, 0);
    QVERIFY(!view->isExpanded(first));
    FrmNavigator->SpeedButton1->click();
    QVERIFY(view->isExpanded(first));
    FrmNavigator->SpeedButton1->click();
    QVERIFY(!view->isExpanded(first));
    // The recently used entry shows the same view, but not as a whole expanded.
    choose(0);
    QCOMPARE(FrmNavigator->currentView(), 7);
    QVERIFY(!FrmNavigator->SpeedButton1->isEnabled());
    choose(1);
    QVERIFY(!FrmNavigator->SpeedButton1->isEnabled());
    choose(3);
    QVERIFY(FrmNavigator->SpeedButton1->isEnabled());
}

void TestFrmNavigator::printsTheViewAsShown()
{
    QVERIFY(OpenNavigator());
    choose(7); // According to film type, with totals
    QAbstractItemModel *m = FrmNavigator->cxGrid1->model();
    const int groups = m->rowCount();
    FrmNavigator->tbPrint->click();
    QCOMPARE(f.preview->titles.last(), QStringLiteral("Quillon / VEXARO"));
    QCOMPARE(f.preview->computed.back().rowCount(), groups); // collapsed: the headings only
    FrmNavigator->cxGrid1->expand(m->index(0, 0));
    FrmNavigator->tbPrint->click();
    QCOMPARE(f.preview->computed.back().rowCount(), groups + m->rowCount(m->index(0, 0)));
    FrmNavigator->SpeedButton1->click();
    FrmNavigator->tbPrint->click();
    const int all = Sql::scalar(QStringLiteral("Select Count(*) from CD")).toInt();
    const Report::Computed &c = f.preview->computed.back();
    QCOMPARE(c.rowCount(), groups + all);
    // The overall stock is printed under the list.
    const QString total = QString::number(Sql::scalar(QStringLiteral("Select Sum(Stok) from CD")).toLongLong());
    Report::BandReport shown = FrmNavigator->printedReport();
    QCOMPARE(shown.summaries.size(), size_t(1));
    QCOMPARE(shown.summaries[0].elements[1].source.compute(c), total);
}

void TestFrmNavigator::doubleClickOpensTheTitle()
{
    QVERIFY(OpenNavigator());
    const QModelIndex row = rowOfTitle(123);
    QVERIFY(row.isValid());
    const QString name = row.data().toString();
    doubleClick(row);
    QVERIFY(FrmCDTanim);
    QCOMPARE(Dm1->CD->value(QStringLiteral("CDNo")).toInt(), 123);
    QCOMPARE(Dm1->CD->value(QStringLiteral("FilmAdi")).toString(), name);
}

void TestFrmNavigator::doubleClickLeavesFilteredWindowAlone()
{
    QVERIFY(OpenCDDefinitions());
    ::choose(FrmCDTanim->ComboBox1, QStringLiteral("VCD"));
    FrmCDTanim->SpeedButton1->click();
    Dm1->CD->next();
    const int before = Dm1->CD->value(QStringLiteral("CDNo")).toInt();
    QVERIFY(OpenNavigator());
    // A title of another disc type.
    const int other = Sql::scalar(QStringLiteral("Select Min(CDNo) from CD where CDTur<>'VCD'")).toInt();
    const QModelIndex row = rowOfTitle(other);
    QVERIFY(row.isValid());
    doubleClick(row);
    QCOMPARE(Dm1->CD->value(QStringLiteral("CDNo")).toInt(), before);
    QVERIFY(FrmCDTanim->SpeedButton1->isChecked());
    // A VCD title is found in the filtered list.
    const int vcd = Sql::scalar(QStringLiteral("Select Max(CDNo) from CD where CDTur='VCD'")).toInt();
    const QModelIndex vcdRow = rowOfTitle(vcd);
    doubleClick(vcdRow);
    QCOMPARE(Dm1->CD->value(QStringLiteral("CDNo")).toInt(), vcd);
}

void TestFrmNavigator::newTitlesAppearOnReopen()
{
    QVERIFY(OpenNavigator());
    const int before = FrmNavigator->cxGrid1->model()->rowCount();
    QVERIFY(CatalogueFixture::addTitle(99001, QStringLiteral("Sonradan Gelen"), QStringLiteral("DVD")));
    QCOMPARE(FrmNavigator->cxGrid1->model()->rowCount(), before);
    FrmNavigator->tbClose->click();
    QTRY_VERIFY(!FrmNavigator);
    QVERIFY(!Dm1->Navigator->isOpen());
    QVERIFY(OpenNavigator());
    QCOMPARE(FrmNavigator->cxGrid1->model()->rowCount(), before + 1);
    QVERIFY(Sql::exec(QStringLiteral("Delete from CD where CDNo=99001")));
}

void TestFrmNavigator::escapeCloses()
{
    QVERIFY(OpenNavigator());
    QTest::keyClick(FrmNavigator->cxGrid1, Qt::Key_Escape);
    QTRY_VERIFY(!FrmNavigator);
}

void TestFrmNavigator::titleEnteredByTheClerkIsBookedAndGrouped()
{
    QVERIFY(OpenCDDefinitions());
    const int next = Sql::scalar(QStringLiteral("Select Max(CDNo) from CD")).toInt() + 1;
    f.prompts->expect(Icon::Question, QStringLiteral(" New Film/Game entered, do you want game price is transected in cash box? "),
                      Answer::Yes);
    whenEntryDialogShows([](TFrmCDKayit *d) {
        fillTitle(d, QStringLiteral("Kızılırmak Karakoyun"), QStringLiteral("DivX"), QStringLiteral("3"), QStringLiteral("12,50"));
        d->btnSave->click();
    });
    FrmCDTanim->tbNew->click();
    QSqlQuery q(Database::connection());
    QVERIFY(q.exec(QStringLiteral("Select Islem, CDID, Aciklama from Kasa where ID=(Select Max(ID) from Kasa)")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("Buying CD"));
    QCOMPARE(q.value(1).toInt(), next);
    QCOMPARE(q.value(2).toString(), QStringLiteral("Buying CD / Kızılırmak Karakoyun"));
    QCOMPARE(CatalogueFixture::bookings().back().alacak, Money::fromRaw(375000));

    QVERIFY(OpenNavigator());
    choose(8); // According to CD type
    QAbstractItemModel *m = FrmNavigator->cxGrid1->model();
    bool found = false;
    for (int g = 0; g < m->rowCount(); ++g) {
        const QModelIndex group = m->index(g, 0);
        if (!group.data().toString().startsWith(QStringLiteral("CDType : DivX ")))
            continue;
        for (int r = 0; r < m->rowCount(group); ++r)
            found = found || m->index(r, 3, group).data().toString() == QStringLiteral("Kızılırmak Karakoyun");
    }
    QVERIFY(found);
    QVERIFY(Sql::exec(QStringLiteral("Delete from CD where CDNo=?"), {next}));
    QVERIFY(Sql::exec(QStringLiteral("Delete from Kasa where CDID=? and Islem='Buying CD'"), {next}));
}

QTEST_MAIN(TestFrmNavigator)
#include "tst_frmnavigator.moc"
