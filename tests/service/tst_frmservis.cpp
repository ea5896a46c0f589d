// The service window: the page it opens on, the tree, the edit protocol on
// every page, what saving the tariff and the mail account does to the
// program's cache, closing (the day's rate row, unsaved rows dropped),
// backup and restore through its buttons, the Config row's settings on the
// general page (automatic backups, the most discs out per customer) and the
// list of copies.
#include "catalogue/FrmCDTanimUnit.h"
#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/FileChooser.h"
#include "data/AutomaticBackup.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "data/ShopBook.h"
#include "data/Tariff.h"
#include "data/TariffCache.h"
#include "db/Paths.h"
#include "service/FrmServisUnit.h"
#include "shell/FrmMainUnit.h"
#include "app/Helpers.h"
#include "support/ScriptedPrompts.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

using namespace TestSupport;
using Icon = PromptService::Icon;
using Answer = PromptService::Answer;

namespace {

struct ScriptedChooser : FileChooser
{
    QString answer;
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString openFileName(QWidget *, const QString &, const QString &folder, const QString &) override
    {
        offeredFolder = folder;
        return answer;
    }
    QString offeredFolder;
};

void type(DBEdit *edit, const QString &text)
{
    edit->setText(text);
    edit->setModified(true);
}

QVariant scalar(const QString &sql)
{
    QSqlQuery q(Database::connection());
    if (!q.exec(sql) || !q.next()) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return {};
    }
    return q.value(0);
}

bool exec(const QString &sql)
{
    QSqlQuery q(Database::connection());
    if (!q.exec(sql)) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return false;
    }
    return true;
}

const QString TodaysBackup = DateToYMD(QDate::currentDate()) + QStringLiteral("-VEXARO.MDB");
const QString BackupDone = QStringLiteral("Bbackup is done successfully. File name is : ") + TodaysBackup;

} // namespace

class TestFrmServis : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensOnItsPage_data();
    void opensOnItsPage();
    void treeChoosesPage_data();
    void treeChoosesPage();
    void saveWithoutEditChangesNothing_data();
    void saveWithoutEditChangesNothing();
    void tariffAndGeneralShareOneRow();
    void savedTariffPricesTheNextRental();
    void mailSaveReloadsCache();
    void lookupPages_data();
    void lookupPages();
    void users_data();
    void users();
    void closing();
    void backup_data();
    void backup();
    void restore_data();
    void restore();
    void configSettingsAndCopies();

private:
    TFrmServis *openWindow(int page = TFrmServis::UserPage);

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDm1> m_dm1;
    std::unique_ptr<TDm2> m_dm2;
    ScriptedPrompts *m_prompts = nullptr;
    ScriptedChooser *m_chooser = nullptr;
};

void TestFrmServis::init()
{
    TariffCache::instance() = TariffCache();
    m_home = std::make_unique<TestHome>();
    m_db = std::make_unique<TestDatabase>();
    QVERIFY(m_db->open());
    m_dm1 = std::make_unique<TDm1>();
    m_dm2 = std::make_unique<TDm2>();
    m_prompts = ScriptedPrompts::install();
    m_chooser = new ScriptedChooser;
    FileChooser::install(std::unique_ptr<FileChooser>(m_chooser));
}

void TestFrmServis::cleanup()
{
    VERIFY_ALL_ANSWERED(m_prompts);
    if (FrmServis)
        FrmServis->reject();
    delete FrmServis.data();
    delete FrmCDTanim.data();
    FileChooser::install(nullptr);
    PromptService::install(nullptr);
    m_dm2.reset();
    m_dm1.reset();
    Database::close(Database::ConnectionName);
    m_db.reset();
    m_home.reset();
    TariffCache::instance() = TariffCache();
}

TFrmServis *TestFrmServis::openWindow(int page)
{
    auto *w = new TFrmServis;
    w->setPage(page);
    w->show();
    return w;
}

void TestFrmServis::opensOnItsPage_data()
{
    QTest::addColumn<bool>("fromMenu");
    QTest::addColumn<int>("page");
    QTest::newRow("main menu: user definitions") << true << int(TFrmServis::UserPage);
    QTest::newRow("e-mail archive: mail settings") << false << int(TFrmServis::MailPage);
}

void TestFrmServis::opensOnItsPage()
{
    QFETCH(bool, fromMenu);
    QFETCH(int, page);
    TFrmMain frame;
    int shownPage = -1;
    bool nodeChosen = true, treeFocused = false, open = false;
    QTimer::singleShot(0, this, [&] {
        TFrmServis *w = FrmServis;
        QVERIFY(w && w->isModal());
        shownPage = w->currentPage();
        nodeChosen = !w->TreeView1->selectedItems().isEmpty();
        treeFocused = w->focusWidget() == w->TreeView1;
        open = Dm1->Users->isOpen() && Dm1->Tarife->isOpen() && Dm1->Config->isOpen() && Dm1->Oyuncu->isOpen()
               && Dm1->DagiticiFirma->isOpen();
        // Esc on the tree closes the window.
        QTest::keyClick(w->TreeView1, Qt::Key_Escape);
    });
    if (fromMenu)
        frame.findChild<QAction *>(QStringLiteral("Servis1"))->trigger();
    else
        OpenServiceWindow(TFrmServis::MailPage, &frame);
    QCOMPARE(shownPage, page);
    QVERIFY(!nodeChosen);
    QVERIFY(treeFocused);
    QVERIFY(open);
    QVERIFY(!FrmServis);
    QVERIFY(!Dm1->Users->isOpen() && !Dm1->Tarife->isOpen() && !Dm1->Config->isOpen() && !Dm1->Oyuncu->isOpen());
}

void TestFrmServis::treeChoosesPage_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<int>("page");
    QTest::newRow("user") << "User definitions" << 0;
    QTest::newRow("tariff") << "Tariff definitions" << 1;
    QTest::newRow("mail") << "Mail settings" << 2;
    QTest::newRow("general") << "General settings" << 3;
    QTest::newRow("fixed definitions keeps the page") << "Fixed definitions" << 2;
    QTest::newRow("players") << "Film players" << 4;
    QTest::newRow("companies") << "Film companies" << 5;
    QTest::newRow("directors") << "Directors" << 6;
    QTest::newRow("types") << "Film types" << 7;
    QTest::newRow("distributors") << "Distiribution companies" << 8;
}

void TestFrmServis::treeChoosesPage()
{
    QFETCH(QString, node);
    QFETCH(int, page);
    TFrmServis *w = openWindow(TFrmServis::MailPage);
    const QList<QTreeWidgetItem *> found = w->TreeView1->findItems(node, Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(found.size(), 1);
    QVERIFY(found.first()->isExpanded() || found.first()->childCount() == 0);
    w->TreeView1->setCurrentItem(found.first());
    QCOMPARE(w->currentPage(), page);
}

void TestFrmServis::saveWithoutEditChangesNothing_data()
{
    QTest::addColumn<int>("page");
    for (int p = 0; p < TFrmServis::PageCount; ++p)
        QTest::newRow(qPrintable(QStringLiteral("page %1").arg(p))) << p;
}

void TestFrmServis::saveWithoutEditChangesNothing()
{
    QFETCH(int, page);
    QVERIFY(exec(QStringLiteral("Insert Into Oyuncu (OyuncuAdi) Values ('Kemal Sunal')")));
    TFrmServis *w = openWindow(page);
    const TFrmServis::PageParts &parts = w->page(page);
    for (QWidget *e : parts.edits)
        QVERIFY(!e->isEnabled());
    // Typed into a browsing row is impossible; force a value to prove Save
    // does not post what is not being edited.
    const QString before = scalar(QStringLiteral("Select Count(*) || '/' || (Select GunlukDVD_Kira from Tarife) || '/' || "
                                                 "(Select Count(*) from Oyuncu) from Users")).toString();
    const bool cacheBefore = TariffCache::instance().GunlukDVD_Kira == Money();
    parts.tbSave->click();
    QCOMPARE(parts.dataSet->state(), DataSet::State::Browse);
    QCOMPARE(scalar(QStringLiteral("Select Count(*) || '/' || (Select GunlukDVD_Kira from Tarife) || '/' || "
                                   "(Select Count(*) from Oyuncu) from Users")).toString(), before);
    QCOMPARE(TariffCache::instance().GunlukDVD_Kira == Money(), cacheBefore);
}

void TestFrmServis::tariffAndGeneralShareOneRow()
{
    // A row whose switches were never set: Edit turns them into explicit 0s.
    QVERIFY(exec(QStringLiteral("Update Tarife Set PazarGunu=NULL, TarifeTur=NULL")));
    TFrmServis *w = openWindow(TFrmServis::TariffPage);
    const auto &tariff = w->page(TFrmServis::TariffPage);
    const auto &general = w->page(TFrmServis::GeneralPage);
    QCOMPARE(w->TariffEdits.size(), 14);
    tariff.tbEdit->click();
    for (QWidget *e : tariff.edits + general.edits)
        QVERIFY2(e->isEnabled(), qPrintable(e->objectName()));
    QCOMPARE(Dm1->Tarife->value(QStringLiteral("PazarGunu")).toInt(), 0);
    QVERIFY(!Dm1->Tarife->value(QStringLiteral("TarifeTur")).isNull());
    type(w->TariffEdits[1], QStringLiteral("3,75")); // daily DVD, non-member
    w->setPage(TFrmServis::GeneralPage);
    w->CheckPazarGunu->setChecked(true);
    general.tbSave->click();
    QCOMPARE(Dm1->Tarife->state(), DataSet::State::Browse);
    for (QWidget *e : tariff.edits + general.edits)
        QVERIFY(!e->isEnabled());
    QCOMPARE(scalar(QStringLiteral("Select PazarGunu from Tarife")).toInt(), 1);
    QCOMPARE(scalar(QStringLiteral("Select TarifeTur from Tarife")).toInt(), 0);
    QVERIFY(Dm1->Tarife->isOpen());
    QCOMPARE(Dm1->Tarife->value(QStringLiteral("GunlukDVD_Kira")).value<Money>(), Money::fromRaw(37500));

    // A price the database cannot take keeps the row in edit, controls on.
    tariff.tbEdit->click();
    type(w->TariffEdits[0], QStringLiteral("abc"));
    m_prompts->expectStartingWith(Icon::Error, QString());
    tariff.tbSave->click();
    QCOMPARE(Dm1->Tarife->state(), DataSet::State::Edit);
    QVERIFY(w->TariffEdits[0]->isEnabled());
}

void TestFrmServis::savedTariffPricesTheNextRental()
{
    loadTariffCache(false); // as after login
    const Money before = *Tariff::rentalPrice(TariffCache::instance(), 0, u"DVD");
    TFrmServis *w = openWindow(TFrmServis::TariffPage);
    const auto &tariff = w->page(TFrmServis::TariffPage);
    tariff.tbEdit->click();
    type(w->TariffEdits[1], QStringLiteral("4,50"));  // DVD, non-member
    type(w->TariffEdits[4], QStringLiteral("3,25"));  // DVD, member
    // Not saved yet: the counters still price with the old tariff.
    QCOMPARE(*Tariff::rentalPrice(TariffCache::instance(), 0, u"DVD"), before);
    tariff.tbSave->click();
    // The window is still open: the next transaction takes the new prices.
    QCOMPARE(*Tariff::rentalPrice(TariffCache::instance(), 0, u"DVD"), Money::fromRaw(45000));
    QCOMPARE(*Tariff::rentalPrice(TariffCache::instance(), 1, u"DVD"), Money::fromRaw(32500));
}

void TestFrmServis::mailSaveReloadsCache()
{
    TFrmServis *w = openWindow(TFrmServis::MailPage);
    const auto &mail = w->page(TFrmServis::MailPage);
    QCOMPARE(w->EditMailSifre->echoMode(), QLineEdit::Password);
    mail.tbEdit->click();
    type(w->EditMailSMTP, QStringLiteral("smtp.example.net"));
    type(w->EditMailAdres, QStringLiteral("dukkan@example.net"));
    type(w->EditMailSifre, QStringLiteral("gizli"));
    mail.tbSave->click();
    QCOMPARE(scalar(QStringLiteral("Select MailSMTP || ' ' || MailAdres || ' ' || MailSifre from Config")).toString(),
             QStringLiteral("smtp.example.net dukkan@example.net gizli"));
    QCOMPARE(TariffCache::instance().MailSMTP, QStringLiteral("smtp.example.net"));
    QCOMPARE(TariffCache::instance().MailAdres, QStringLiteral("dukkan@example.net"));
    QVERIFY(Dm1->Config->isOpen());
}

void TestFrmServis::lookupPages_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::newRow("players") << int(TFrmServis::PlayersPage) << "Oyuncu" << "OyuncuAdi";
    QTest::newRow("film companies") << int(TFrmServis::FilmCompaniesPage) << "FilmSirket" << "FilmSirket";
    QTest::newRow("directors") << int(TFrmServis::DirectorsPage) << "Yonetmen" << "Yonetmen";
    QTest::newRow("film types") << int(TFrmServis::FilmTypesPage) << "FilmTur" << "FilmTur";
    QTest::newRow("distributors") << int(TFrmServis::DistributorsPage) << "DagiticiFirma" << "DagiticiFirma";
}

void TestFrmServis::lookupPages()
{
    QFETCH(int, page);
    QFETCH(QString, table);
    QFETCH(QString, column);
    TFrmServis *w = openWindow(page);
    const auto &p = w->page(page);
    auto *name = static_cast<DBEdit *>(p.edits.first());
    p.tbNew->click();
    QVERIFY(name->isEnabled());
    QVERIFY(!p.tbEdit->isEnabled() && !p.tbDelete->isEnabled());
    type(name, QStringLiteral("Türkan O'Neil"));
    p.tbSave->click();
    QVERIFY(p.tbEdit->isEnabled() && p.tbDelete->isEnabled());
    QCOMPARE(scalar(QStringLiteral("Select %1 from %2").arg(column, table)).toString(), QStringLiteral("Türkan O'Neil"));
    QCOMPARE(p.grid->model()->rowCount(), 1);

    // Cancel drops what was typed.
    p.tbEdit->click();
    type(name, QStringLiteral("Başka"));
    p.tbCancel->click();
    QCOMPARE(scalar(QStringLiteral("Select %1 from %2").arg(column, table)).toString(), QStringLiteral("Türkan O'Neil"));

    m_prompts->expect(Icon::Warning, QStringLiteral("Kaydı silmek istediğinize eminmisiniz ?"), Answer::Yes);
    p.tbDelete->click();
    QCOMPARE(scalar(QStringLiteral("Select Count(*) from %1").arg(table)).toInt(), 0);
}

void TestFrmServis::users_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("stored");
    QTest::newRow("name and password") << "Ayşe" << "k3y" << true;
    QTest::newRow("no password") << "Ayşe" << "" << false;
    QTest::newRow("blank name") << "   " << "k3y" << false;
}

void TestFrmServis::users()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(bool, stored);
    TFrmServis *w = openWindow();
    const auto &p = w->page(TFrmServis::UserPage);
    QCOMPARE(w->EditPassword->echoMode(), QLineEdit::Password);
    p.tbNew->click();
    type(w->EditUserName, name);
    type(w->EditPassword, password);
    if (!stored)
        m_prompts->expect(Icon::Warning, QStringLiteral("* Password and user name is needed for each users."));
    p.tbSave->click();
    QCOMPARE(scalar(QStringLiteral("Select Count(*) from Users")).toInt(), stored ? 2 : 1);
    QCOMPARE(Dm1->Users->state(), stored ? DataSet::State::Browse : DataSet::State::Insert);
    p.tbCancel->click();

    // The starting account alone: deleting it would lock everybody out.
    if (stored) {
        QVERIFY(Dm1->Users->locate(QStringLiteral("UserName"), name));
        m_prompts->expect(Icon::Warning, QStringLiteral("Kaydı silmek istediğinize eminmisiniz ?"), Answer::Yes);
        p.tbDelete->click();
    }
    m_prompts->expect(Icon::Warning, QStringLiteral("The last user cannot be deleted: nobody could log in any more."));
    p.tbDelete->click();
    QCOMPARE(scalar(QStringLiteral("Select UserName from Users")).toString(), QStringLiteral("QORV"));
}

void TestFrmServis::closing()
{
    // First closing of the day: one rate row, all four rates 1; unsaved
    // typing on a page is dropped and never reaches the cache.
    const Money stored = Money::fromRaw(scalar(QStringLiteral("Select GunlukVCD_Kira from Tarife")).toLongLong());
    TFrmServis *w = openWindow(TFrmServis::TariffPage);
    w->page(TFrmServis::TariffPage).tbEdit->click();
    type(w->TariffEdits[0], QStringLiteral("99,00"));
    w->btnClose->click();
    QVERIFY(!w->isVisible());
    QCOMPARE(scalar(QStringLiteral("Select Count(*) from Doviz")).toInt(), 1);
    QVERIFY(Dm1->Doviz->open());
    QCOMPARE(Dm1->Doviz->value(QStringLiteral("Tarih")).toDate(), QDate::currentDate());
    for (const char *rate : {"USDAlis", "USDSatis", "EuroAlis", "EuroSatis"})
        QCOMPARE(Dm1->Doviz->value(QLatin1String(rate)).value<Money>(), Money::fromUnits(1));
    Dm1->Doviz->close();
    QCOMPARE(Money::fromRaw(scalar(QStringLiteral("Select GunlukVCD_Kira from Tarife")).toLongLong()), stored);
    QCOMPARE(TariffCache::instance().GunlukVCD_Kira, stored);
    QVERIFY(!Dm1->Tarife->isOpen() && !Dm1->Users->isOpen() && !Dm1->FilmTur->isOpen());
    delete w;
    QVERIFY(!FrmServis);

    // Closed again the same day (by Esc this time): nothing more.
    w = openWindow();
    QTest::keyClick(w->TreeView1, Qt::Key_Escape);
    QVERIFY(!w->isVisible());
    QCOMPARE(scalar(QStringLiteral("Select Count(*) from Doviz")).toInt(), 1);
}

void TestFrmServis::backup_data()
{
    QTest::addColumn<bool>("folderBlocked");
    QTest::newRow("two backups on one day leave the later one") << false;
    QTest::newRow("a folder that cannot be made is named") << true;
}

void TestFrmServis::backup()
{
    QFETCH(bool, folderBlocked);
    const QString folder = Paths::backupFolder();
    const QString file = folder + u'/' + TodaysBackup;
    TFrmServis *w = openWindow(TFrmServis::GeneralPage);
    if (folderBlocked) {
        QFile blocker(folder); // a file where the folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        m_prompts->expectStartingWith(Icon::Error, QStringLiteral("The backup was not made: The folder "));
        w->btnBackup->click();
        QVERIFY(!QFile::exists(file));
        QFile::remove(folder);
        return;
    }
    m_prompts->expect(Icon::Information, BackupDone);
    w->btnBackup->click();
    QVERIFY(QFile::exists(file));
    QVERIFY(exec(QStringLiteral("Insert Into FilmTur (FilmTur) Values ('Western')")));
    m_prompts->expect(Icon::Information, BackupDone);
    w->btnBackup->click();
    const QStringList files = QDir(folder).entryList(QDir::Files);
    QCOMPARE(files, QStringList{TodaysBackup});
    // The later copy is the one kept: it has the genre added in between.
    {
        QSqlDatabase copy = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("copy"));
        copy.setDatabaseName(file);
        QVERIFY(copy.open());
        QSqlQuery q(copy);
        QVERIFY(q.exec(QStringLiteral("Select Count(*) from FilmTur where FilmTur='Western'")) && q.next());
        QCOMPARE(q.value(0).toInt(), 1);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("copy"));
}

void TestFrmServis::restore_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<bool>("validFile");
    QTest::newRow("confirmed: the backup's data is back, other windows closed") << true << true;
    QTest::newRow("declined: nothing changes") << false << true;
    QTest::newRow("not a database: refused before anything closes") << true << false;
}

void TestFrmServis::restore()
{
    QFETCH(bool, confirmed);
    QFETCH(bool, validFile);
    QVERIFY(exec(QStringLiteral("Insert Into Yonetmen (Yonetmen) Values ('Atıf Yılmaz')")));
    TFrmServis *w = openWindow(TFrmServis::GeneralPage);
    m_prompts->expect(Icon::Information, BackupDone);
    w->btnBackup->click();
    // Work done after the backup, in the list window and here.
    QVERIFY(exec(QStringLiteral("Insert Into Yonetmen (Yonetmen) Values ('Ertem Eğilmez')")));
    QVERIFY(exec(QStringLiteral("Update Tarife Set DVDSatis=990000")));
    QVERIFY(OpenCDDefinitions());
    QPointer<TFrmCDTanim> titles = FrmCDTanim.data();

    QString chosen = Paths::backupFolder() + u'/' + TodaysBackup;
    if (!validFile) {
        chosen = m_home->path() + QStringLiteral("/notes.MDB");
        QFile f(chosen);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("these are not the shop's data");
    }
    m_chooser->answer = chosen;
    const QString date = QFileInfo(chosen).lastModified().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    if (validFile)
        m_prompts->expect(Icon::Warning,
                      QStringLiteral("The database will be replaced by the backup %1 of %2. Everything entered after "
                                     "that backup will be lost. Every other window will be closed. Do you want to "
                                     "restore it?")
                          .arg(QFileInfo(chosen).fileName(), date),
                      confirmed ? Answer::Yes : Answer::No);
    if (!validFile)
        m_prompts->expectStartingWith(Icon::Error, QStringLiteral("The database was not restored: "));
    else if (confirmed)
        m_prompts->expectStartingWith(Icon::Information,
                                      QStringLiteral("The database was restored from %1. The data as it was before is kept in ")
                                          .arg(TodaysBackup));
    w->btnRestore->click();
    QCOMPARE(m_chooser->offeredFolder, Paths::backupFolder());

    const bool restored = confirmed && validFile;
    QCOMPARE(scalar(QStringLiteral("Select Count(*) from Yonetmen")).toInt(), restored ? 1 : 2);
    QCOMPARE(titles && titles->isVisible(), !restored);
    // The window goes on working on the restored data, and so do the prices.
    QVERIFY(Dm1->Yonetmen->isOpen() && Dm1->Tarife->isOpen());
    if (restored) {
        QVERIFY(TariffCache::instance().DVDSatis != Money::fromRaw(990000));
        // The data from before the restore is kept beside the backups.
        QCOMPARE(QDir(Paths::backupFolder()).entryList({QStringLiteral("*-before-restore.MDB")}).size(), 1);
    }
}

void TestFrmServis::configSettingsAndCopies()
{
    // Copies already in the folder: two automatic ones and the button's.
    const QString folder = Paths::backupFolder();
    const QString shop = m_db->target().filePath;
    const QDate monday(2024, 3, 4);
    for (const QDate &d : {monday, monday.addDays(1)})
        QVERIFY(AutoBackup::run(shop, folder, d, AutoBackup::Policy(), AutoBackup::Occasion::Start).error.isEmpty());
    TFrmServis *w = openWindow(TFrmServis::GeneralPage);
    m_prompts->expect(Icon::Information, BackupDone);
    w->btnBackup->click();
    QStringList rows;
    for (int i = 0; i < w->lstBackups->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = w->lstBackups->topLevelItem(i);
        QVERIFY(item->text(2).endsWith(QStringLiteral(" KB")));
        rows << item->text(0) + u' ' + item->text(1);
    }
    QCOMPARE(rows, (QStringList{TodaysBackup + u' ' + QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")),
                                QStringLiteral("20240305-VEXARO-auto.MDB 05.03.2024"),
                                QStringLiteral("20240304-VEXARO-auto.MDB 04.03.2024")}));

    // The settings are the Config row's, edited and saved with the page.
    const auto &general = w->page(TFrmServis::GeneralPage);
    general.tbEdit->click();
    QVERIFY(w->CheckYedekOto->isEnabled() && w->CheckYedekOto->isChecked());
    QCOMPARE(w->EditYedekGunluk->text(), QStringLiteral("7"));
    QCOMPARE(w->SpinMaxDiscsOut->text(), QStringLiteral("no limit"));
    w->CheckYedekOto->setChecked(false);
    type(w->EditYedekGunluk, QStringLiteral("3"));
    type(w->EditYedekAylik, QStringLiteral("24"));
    w->SpinMaxDiscsOut->selectAll();
    QTest::keyClicks(w->SpinMaxDiscsOut, QStringLiteral("2")); // and Save at once
    general.tbSave->click();
    QCOMPARE(Dm1->Config->state(), DataSet::State::Browse);
    QVERIFY(!w->EditYedekGunluk->isEnabled() && !w->SpinMaxDiscsOut->isEnabled());
    const AutoBackup::Policy p = AutomaticBackup::policy();
    QCOMPARE((QList<int>{p.enabled, p.daily, p.weekly, p.monthly}), (QList<int>{0, 3, 4, 24}));
    QCOMPARE(scalar(QStringLiteral("Select MaxDiscsOut from Config")).toInt(), 2);

    // The counters obey the limit saved here: a third disc is refused.
    QVERIFY(exec(QStringLiteral("Insert Into Musteri (AdSoyad, MusteriNo) Values ('Ayşe Kaya', 1)")));
    QVERIFY(exec(QStringLiteral("Insert Into CD (CDNo, CDTur, FilmAdi, Stok, KiralamaSayi) Values (1, 'DVD', 'Eşkıya', 3, 0)")));
    ShopBook::RentRequest third;
    third.process = QStringLiteral("Rent");
    third.customerId = scalar(QStringLiteral("Select ID from Musteri")).toInt();
    third.titleId = scalar(QStringLiteral("Select ID from CD")).toInt();
    third.discType = QStringLiteral("DVD");
    third.start = QDate::currentDate();
    third.days = 1;
    for (int i = 0; i < 2; ++i)
        QVERIFY(exec(QStringLiteral("Insert Into Hareket (IslemTur, MusteriNo, CdNo, FilmTuru, CDDurum) "
                                    "Values ('Rent', %1, %2, 'DVD', 0)").arg(third.customerId).arg(third.titleId)));
    const ShopResult refused = ShopBook().rent(third, nullptr);
    QCOMPARE(refused.error, ShopResult::Error::LimitReached);
    QVERIFY2(refused.message.startsWith(QStringLiteral("Ayşe Kaya has 2 discs out")), qPrintable(refused.message));
    QCOMPARE(scalar(QStringLiteral("Select (Select Count(*) from Hareket) || '/' || (Select Count(*) from Kasa) || '/' "
                                   "|| (Select Stok from CD)")).toString(), QStringLiteral("2/0/3"));

    // Restore puts back the copy chosen in the list, without asking for a file.
    w->lstBackups->setCurrentItem(w->lstBackups->topLevelItem(2));
    m_chooser->answer = QStringLiteral("/nowhere.MDB");
    m_prompts->expectStartingWith(Icon::Warning,
                                  QStringLiteral("The database will be replaced by the backup 20240304-VEXARO-auto.MDB of "),
                                  Answer::No);
    w->btnRestore->click();
    QVERIFY(m_chooser->offeredFolder.isEmpty());
}

QTEST_MAIN(TestFrmServis)
#include "tst_frmservis.moc"
