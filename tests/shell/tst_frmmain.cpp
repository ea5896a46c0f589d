// The frame: its menu, the one-window-of-each-kind rule for the windows it
// holds, asking before the program ends, and what it loads after the login.
#include "components/DataSet.h"
#include "data/AutomaticBackup.h"
#include "db/Paths.h"
#include "components/KeyPreview.h"
#include "db/Money.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "data/TariffCache.h"
#include "shell/FrmMainUnit.h"
#include "shell/FrmUserXUnit.h"
#include "app/WindowRegistry.h"
#include "rental/FrmCDKiraUnit.h"
#include "rental/FrmCDKontrolUnit.h"
#include "service/FrmServisUnit.h"
#include "support/WindowTestFixture.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

using namespace TestSupport;
using Icon = PromptService::Icon;
using Answer = PromptService::Answer;

namespace {

const QString ReminderText = QStringLiteral("Please change user name and password after first use !!!");

// A child window of the kind the frame opens: something the clerk typed.
class ChildWindow : public QWidget
{
public:
    ChildWindow()
    {
        auto *layout = new QVBoxLayout(this);
        edit = new QLineEdit(this);
        layout->addWidget(edit);
    }
    QLineEdit *edit;
};

QPointer<ChildWindow> Child;

// Each price column of the tariff and where the cache keeps it.
struct PriceColumn
{
    const char *column;
    Money TariffCache::*field;
};

const PriceColumn PriceColumns[] = {
    {"GunlukVCD_Kira", &TariffCache::GunlukVCD_Kira},
    {"GunlukDVD_Kira", &TariffCache::GunlukDVD_Kira},
    {"DivxGunluk_Kira", &TariffCache::DivxGunluk_Kira},
    {"UyeGunlukVCD_Kira", &TariffCache::UyeGunlukVCD_Kira},
    {"UyeGunlukDVD_Kira", &TariffCache::UyeGunlukDVD_Kira},
    {"UyeGunlukDivx_Kira", &TariffCache::UyeGunlukDivx_Kira},
    {"TakasUcretiVCD", &TariffCache::TakasUcretiVCD},
    {"TakasUcretiDVD", &TariffCache::TakasUcretiDVD},
    {"GunlukVCDCeza", &TariffCache::GunlukVCDCeza},
    {"GunlukDVDCeza", &TariffCache::GunlukDVDCeza},
    {"GunlukDivxCeza", &TariffCache::GunlukDivxCeza},
    {"VCDSatis", &TariffCache::VCDSatis},
    {"DVDSatis", &TariffCache::DVDSatis},
    {"DivXSatis", &TariffCache::DivXSatis},
};

} // namespace

class TestFrmMain : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void captionAndArea();
    void topLevelMenus();
    void menuEntries_data();
    void menuEntries();
    void onlyBuiltWindowsCanBeOpened();

    void closingAsks_data();
    void closingAsks();
    void escapeOnTheFrameAsks();
    void exitEntryAsks();
    void oneWindowOfEachKind();
    void escapeInAChildClosesOnlyIt();
    void keysOpenTheCounterWindows();

    void formShowLogsInAndLoadsCaches();
    void automaticBackupAtStartAndClose_data();
    void automaticBackupAtStartAndClose();

    void eachPriceReachesItsPlace_data();
    void eachPriceReachesItsPlace();
    void emptyPricesReadZero();
    void switchesAsSmallWholeNumbers();
    void mailSettingsCutTo100_data();
    void mailSettingsCutTo100();
    void changedTariffIsPickedUp();
    void datasetsClosedUnlessServiceWindow_data();
    void datasetsClosedUnlessServiceWindow();

private:
    void exec(const QString &sql);
    // Shows the frame as the program does; the login it opens is passed with
    // the default account ready in it.
    bool showLoggedIn();
    QStringList describe(QMenu *menu);

    WindowTestFixture f;
    std::unique_ptr<TFrmMain> m_frame;
};

void TestFrmMain::init()
{
    LoggedIn = false;
    TariffCache::instance() = TariffCache();
    // Logging in and closing make the day's backup: into this home's folder.
    QVERIFY(f.setUp());
    m_frame = std::make_unique<TFrmMain>();
}

void TestFrmMain::cleanup()
{
    VERIFY_ALL_ANSWERED(f.prompts);
    delete Child.data();
    FrmServis.clear();
    m_frame.reset();
    FrmUserX = nullptr;
    f.tearDown();
    LoggedIn = false;
    TariffCache::instance() = TariffCache();
}

void TestFrmMain::exec(const QString &sql)
{
    QSqlQuery q(Database::connection());
    QVERIFY2(q.exec(sql), qPrintable(sql + QStringLiteral(": ") + q.lastError().text()));
}

bool TestFrmMain::showLoggedIn()
{
    f.prompts->expect(Icon::Information, ReminderText);
    // The login opens once the frame has painted; pass it as soon as it shows.
    auto *poll = new QTimer(m_frame.get());
    QObject::connect(poll, &QTimer::timeout, m_frame.get(), [poll] {
        if (!FrmUserX || !FrmUserX->isVisible())
            return;
        poll->stop();
        FrmUserX->BitBtn1->click();
        if (FrmUserX->isVisible())
            FrmUserX->BitBtn2->click();
    });
    poll->start(5);
    m_frame->show();
    m_frame->activateWindow();
    const bool in = QTest::qWaitFor([] { return LoggedIn; }, 5000);
    delete poll;
    // Back to the frame once the login has gone.
    m_frame->activateWindow();
    return in && QTest::qWaitForWindowActive(m_frame.get()) && f.prompts->allAnswered();
}

QStringList TestFrmMain::describe(QMenu *menu)
{
    QStringList out;
    for (QAction *a : menu->actions()) {
        if (a->isSeparator())
            out << QStringLiteral("-");
        else if (a->menu())
            out << QStringLiteral("%1 %2 >").arg(a->menu()->objectName(), a->text().remove(u'&'));
        else
            out << QStringLiteral("%1 %2 %3").arg(a->objectName(), a->text().remove(u'&'),
                                                    a->isEnabled() ? QStringLiteral("on") : QStringLiteral("off"));
    }
    return out;
}

void TestFrmMain::captionAndArea()
{
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("VEXARO ENG"));
    QCOMPARE(FrmMain, m_frame.get());
    QVERIFY(m_frame->documentArea());
    QCOMPARE(Windows::documentArea(), m_frame->documentArea());
    QCOMPARE(m_frame->centralWidget(), m_frame->documentArea());
    QCOMPARE(m_frame->documentArea()->background().color(), QColor(0, 98, 150));
}

void TestFrmMain::topLevelMenus()
{
    QStringList captions;
    QStringList shown;
    for (QAction *a : m_frame->menuBar()->actions()) {
        QVERIFY(a->menu());
        captions << a->text().remove(u'&');
        if (a->isVisible())
            shown << a->text().remove(u'&');
    }
    QCOMPARE(captions, (QStringList{"Process", "Definitions", "E-Mail Process", "Report and Graphics",
                                    QStringLiteral("SMS İşlemleri"), "Help"}));
    // The SMS menu exists but the clerk never sees it.
    QCOMPARE(shown, (QStringList{"Process", "Definitions", "E-Mail Process", "Report and Graphics", "Help"}));
}

void TestFrmMain::menuEntries_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("Process") << "Process1"
                             << QStringList{"CDKiralama1 CD Rent / Sell on", "CDTakas1 CD Exchange on", "-",
                                            "KasaHareketleri1 Cash Box Transactions on", "CDKontrol1 CD Check on",
                                            "CDNavigator1 CD-Navigator on", "-", "k1 Exit on"};
    QTest::newRow("Definitions") << "Definitions1"
                                 << QStringList{"CDTanmlamalar1 CD Definitions on",
                                                "MteriTanmliamalar1 Customer Definitions on", "-",
                                                "Servis1 Service / Settings on"};
    QTest::newRow("E-Mail Process") << "EMailProcess1"
                                    << QStringList{"MailGnderimi1 New E-Mail on", "MailAriv1 E-Mail Archive on"};
    QTest::newRow("Report and Graphics") << "ReportandGraphics1"
                                         << QStringList{"Reports1 Reports >", "Grafikler1 Graphics on"};
    QTest::newRow("Reports") << "Reports1"
                             << QStringList{"Stokstatistik1 Stock Statistics on",
                                            "Kirastatistik1 Renting Statistics on"};
    QTest::newRow("SMS") << "SMSlemleri1"
                         << QStringList{QStringLiteral("SMSGnderimi1 SMS Gönderimi off"),
                                        QStringLiteral("SMSArivi1 SMS Arşivi off")};
    QTest::newRow("Help") << "Help1" << QStringList{"Hakknda1 About on"};
}

void TestFrmMain::menuEntries()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, entries);
    auto *m = m_frame->findChild<QMenu *>(menu);
    QVERIFY(m);
    QCOMPARE(describe(m), entries);
}

void TestFrmMain::onlyBuiltWindowsCanBeOpened()
{
    QStringList enabled;
    for (QAction *a : m_frame->findChildren<QAction *>()) {
        if (a->menu() || a->isSeparator() || a->objectName().isEmpty())
            continue;
        if (a->isEnabled())
            enabled << a->objectName();
    }
    enabled.sort();
    QCOMPARE(enabled, (QStringList{"CDKiralama1", "CDKontrol1", "CDNavigator1", "CDTakas1", "CDTanmlamalar1", "Grafikler1", "Hakknda1",
                                   "KasaHareketleri1", "Kirastatistik1", "MailAriv1", "MailGnderimi1",
                                   "MteriTanmliamalar1", "Servis1", "Stokstatistik1", "k1"}));
}

void TestFrmMain::closingAsks_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("no") << int(Answer::No);
    QTest::newRow("yes") << int(Answer::Yes);
}

void TestFrmMain::closingAsks()
{
    QFETCH(int, answer);
    const bool yes = Answer(answer) == Answer::Yes;
    QVERIFY(showLoggedIn());
    ChildWindow *child = openChildWindow(Child, [] { return new ChildWindow; });
    QTest::keyClicks(child->edit, QStringLiteral("Matrix"));
    QSignalSpy terminate(m_frame.get(), &TFrmMain::terminateRequested);

    f.prompts->expect(Icon::Question, QStringLiteral("Are you sure ?"), Answer(answer));
    const bool closed = m_frame->close();
    VERIFY_ALL_ANSWERED(f.prompts);
    QCOMPARE(f.prompts->seen().last().buttons, PromptService::Buttons::YesNo);
    QCOMPARE(closed, yes);
    QCOMPARE(terminate.count(), yes ? 1 : 0);
    QCOMPARE(m_frame->terminating(), yes);
    QCOMPARE(m_frame->isVisible(), !yes);
    if (!yes) {
        // Everything stays as the clerk left it.
        QCOMPARE(Child.data(), child);
        QCOMPARE(m_frame->documentArea()->subWindowList().size(), 1);
        QVERIFY(child->isVisible());
        QVERIFY(m_frame->documentArea()->subWindowList().first()->isMaximized());
        QCOMPARE(child->edit->text(), QStringLiteral("Matrix"));
    }
}

void TestFrmMain::escapeOnTheFrameAsks()
{
    QVERIFY(showLoggedIn());
    QSignalSpy terminate(m_frame.get(), &TFrmMain::terminateRequested);
    f.prompts->expect(Icon::Question, QStringLiteral("Are you sure ?"), Answer::No);
    // The document area has nothing to do with Esc and leaves it to the frame.
    QTest::keyClick(m_frame->documentArea(), Qt::Key_Escape);
    VERIFY_ALL_ANSWERED(f.prompts);
    QVERIFY(m_frame->isVisible());
    QCOMPARE(terminate.count(), 0);

    f.prompts->expect(Icon::Question, QStringLiteral("Are you sure ?"), Answer::Yes);
    QTest::keyClick(m_frame.get(), Qt::Key_Escape);
    VERIFY_ALL_ANSWERED(f.prompts);
    QVERIFY(!m_frame->isVisible());
    QCOMPARE(terminate.count(), 1);
}

void TestFrmMain::exitEntryAsks()
{
    QVERIFY(showLoggedIn());
    QSignalSpy terminate(m_frame.get(), &TFrmMain::terminateRequested);
    auto *exit = m_frame->findChild<QAction *>(QStringLiteral("k1"));
    QVERIFY(exit);
    f.prompts->expect(Icon::Question, QStringLiteral("Are you sure ?"), Answer::No);
    exit->trigger();
    VERIFY_ALL_ANSWERED(f.prompts);
    QVERIFY(m_frame->isVisible());
    f.prompts->expect(Icon::Question, QStringLiteral("Are you sure ?"), Answer::Yes);
    exit->trigger();
    VERIFY_ALL_ANSWERED(f.prompts);
    QVERIFY(!m_frame->isVisible());
    QCOMPARE(terminate.count(), 1);
}

void TestFrmMain::oneWindowOfEachKind()
{
    QVERIFY(showLoggedIn());
    QMdiArea *area = m_frame->documentArea();
    int created = 0;
    auto create = [&created] {
        ++created;
        return new ChildWindow;
    };
    ChildWindow *first = openChildWindow(Child, create);
    QTest::keyClicks(first->edit, QStringLiteral("Alien"));
    ChildWindow *second = openChildWindow(Child, create);
    QCOMPARE(second, first);
    QCOMPARE(created, 1);
    QCOMPARE(area->subWindowList().size(), 1);
    QMdiSubWindow *sub = area->subWindowList().first();
    QCOMPARE(sub->widget(), first);
    QVERIFY(sub->isMaximized());
    QCOMPARE(area->activeSubWindow(), sub);
    QCOMPARE(first->edit->text(), QStringLiteral("Alien")); // the same window, not a new one

    // Closed by itself (its own close button or Esc): freed, reference empty,
    // nothing left behind in the area.
    QPointer<QMdiSubWindow> frame = sub;
    first->close();
    QTRY_VERIFY(Child.isNull());
    QTRY_VERIFY2(frame.isNull(), "the closed window's frame stays behind, empty, in the document area");
    QCOMPARE(area->subWindowList().size(), 0);

    // Opened again: a new one.
    ChildWindow *third = openChildWindow(Child, create);
    QCOMPARE(created, 2);
    QCOMPARE(third->edit->text(), QString());
    QCOMPARE(area->subWindowList().size(), 1);

    // Closed through the area's frame around it: the same.
    area->subWindowList().first()->close();
    QTRY_VERIFY(Child.isNull());
    QCOMPARE(area->subWindowList().size(), 0);
}

void TestFrmMain::escapeInAChildClosesOnlyIt()
{
    QVERIFY(showLoggedIn());
    QSignalSpy terminate(m_frame.get(), &TFrmMain::terminateRequested);
    ChildWindow *child = openChildWindow(Child, [] {
        auto *w = new ChildWindow;
        new KeyPreview(w);
        return w;
    });
    child->edit->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), child->edit);
    // Esc belongs to the child: it closes, the frame asks nothing.
    QTest::keyClick(child->edit, Qt::Key_Escape);
    QTRY_VERIFY(Child.isNull());
    QVERIFY(m_frame->isVisible());
    QCOMPARE(terminate.count(), 0);
    QVERIFY(f.prompts->seen().size() == 1); // the reminder of the login only
}

void TestFrmMain::keysOpenTheCounterWindows()
{
    // Every menu and entry has its Alt letter, one letter once per menu.
    QList<QMenu *> menus{m_frame->menuBar()->findChildren<QMenu *>()};
    for (QMenu *menu : menus) {
        QStringList letters;
        for (QAction *a : menu->actions()) {
            if (a->isSeparator())
                continue;
            const qsizetype amp = a->text().indexOf(u'&');
            QVERIFY2(amp >= 0, qPrintable(a->text()));
            letters << a->text().mid(amp + 1, 1).toLower();
        }
        QCOMPARE(QSet<QString>(letters.begin(), letters.end()).size(), letters.size());
    }
    QVERIFY(showLoggedIn());
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : m_frame.get(), Qt::Key_F2);
    QTRY_VERIFY(!FrmCDKira.isNull());
    // Esc goes where the focus is: once the window has it (a busy machine
    // moves it there a moment after the window opens).
    QTRY_VERIFY(FrmCDKira && FrmCDKira->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(FrmCDKira.isNull());
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : m_frame.get(), Qt::Key_F3);
    QTRY_VERIFY(!FrmCDKontrol.isNull());
    QTRY_VERIFY(FrmCDKontrol && FrmCDKontrol->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(FrmCDKontrol.isNull());
    // Alt+P, then C: "CD Check" from the "Process" menu.
    QTest::keyClick(m_frame.get(), Qt::Key_P, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_C);
    QTRY_VERIFY(!FrmCDKontrol.isNull());
    QTRY_VERIFY(FrmCDKontrol && FrmCDKontrol->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(FrmCDKontrol.isNull());
}

void TestFrmMain::formShowLogsInAndLoadsCaches()
{
    exec(QStringLiteral("UPDATE Tarife SET GunlukDVD_Kira = 35000, PazarGunu = 1, TarifeTur = 2.0 WHERE ID = 1"));
    exec(QStringLiteral("UPDATE Config SET MailAdres = 'shop@example.com', MailSMTP = 'smtp.example.com'"));
    QSignalSpy terminate(m_frame.get(), &TFrmMain::terminateRequested);
    f.prompts->expect(Icon::Information, ReminderText);
    bool shown = false;
    QTimer::singleShot(0, m_frame.get(), [&shown] {
        shown = FrmUserX && FrmUserX->isVisible();
        if (!shown)
            return;
        FrmUserX->BitBtn1->click();
        if (FrmUserX->isVisible())
            FrmUserX->BitBtn2->click();
    });
    QVERIFY(m_frame->FormShow());
    QVERIFY(shown);
    QCOMPARE(terminate.count(), 0);
    QVERIFY(!m_frame->terminating());
    QCOMPARE(m_frame->CurrentUser, QStringLiteral("QORV"));
    QCOMPARE(m_frame->CurrentPassword, QStringLiteral("QORV"));
    const TariffCache &c = TariffCache::instance();
    QCOMPARE(c.GunlukDVD_Kira, Money::fromRaw(35000));
    QCOMPARE(c.PazarGunu, qint16(1));
    QCOMPARE(c.TarifeTur, qint16(2));
    QCOMPARE(c.MailAdres, QStringLiteral("shop@example.com"));
    QCOMPARE(c.MailSMTP, QStringLiteral("smtp.example.com"));
    QCOMPARE(c.MailSifre, QString());
}

void TestFrmMain::automaticBackupAtStartAndClose_data()
{
    QTest::addColumn<bool>("folderBlocked");
    QTest::newRow("copies made") << false;
    QTest::newRow("backup folder cannot be made") << true;
}

void TestFrmMain::automaticBackupAtStartAndClose()
{
    QFETCH(bool, folderBlocked);
    const QString folder = Paths::backupFolder();
    const QString today = folder + u'/' + AutoBackup::fileName(QDate::currentDate());
    f.prompts->expect(Icon::Information, ReminderText);
    if (folderBlocked) {
        // A file where the folder should be: no copy can be written.
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        f.prompts->expect(Icon::Warning, QStringLiteral("The automatic backup failed: The folder %1 cannot be created.")
                                             .arg(QDir::toNativeSeparators(folder)));
    }
    QTimer::singleShot(0, m_frame.get(), [] {
        if (!FrmUserX || !FrmUserX->isVisible())
            return;
        FrmUserX->BitBtn1->click();
        if (FrmUserX->isVisible())
            FrmUserX->BitBtn2->click();
    });
    QVERIFY(m_frame->FormShow());
    // The copy is made beside the counter, which answers meanwhile.
    QTRY_VERIFY(!m_frame->automaticBackup()->running());
    VERIFY_ALL_ANSWERED(f.prompts);
    QCOMPARE(QFileInfo(today).isFile(), !folderBlocked);
    exec(QStringLiteral("INSERT INTO FilmTur (FilmTur) VALUES ('Closing time')"));

    // Closing copies the day's work; a second failure is only logged.
    f.prompts->expect(Icon::Question, QStringLiteral("Are you sure ?"), Answer::Yes);
    QVERIFY(m_frame->close());
    VERIFY_ALL_ANSWERED(f.prompts);
    QVERIFY(m_frame->terminating());
    QFile log(Paths::errorLog());
    const QStringList logged = log.open(QIODevice::ReadOnly)
        ? QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts) : QStringList();
    QCOMPARE(logged.size(), folderBlocked ? 2 : 0);
    for (const QString &line : logged)
        QVERIFY2(line.contains(QStringLiteral("The automatic backup failed: The folder")), qPrintable(line));
    if (!folderBlocked) {
        QSqlDatabase copy = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("copy"));
        copy.setDatabaseName(today);
        QVERIFY(copy.open());
        QSqlQuery q(copy);
        QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM FilmTur WHERE FilmTur = 'Closing time'")) && q.next());
        QCOMPARE(q.value(0).toInt(), 1);
        q = QSqlQuery();
        copy.close();
        copy = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("copy"));
    }
}

void TestFrmMain::eachPriceReachesItsPlace_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(std::size(PriceColumns)); ++i)
        QTest::newRow(PriceColumns[i].column) << i;
}

void TestFrmMain::eachPriceReachesItsPlace()
{
    QFETCH(int, index);
    const PriceColumn &p = PriceColumns[index];
    // Only this column priced (12,3456: amounts are kept in ten-thousandths);
    // every other place must stay at zero.
    exec(QStringLiteral("UPDATE Tarife SET %1 = 123456 WHERE ID = 1").arg(QLatin1String(p.column)));
    m_frame->LoadTariffCache();
    const TariffCache &c = TariffCache::instance();
    for (const PriceColumn &q : PriceColumns)
        QCOMPARE(c.*(q.field), &q == &p ? Money::fromRaw(123456) : Money());
}

void TestFrmMain::emptyPricesReadZero()
{
    QString sets;
    for (const PriceColumn &p : PriceColumns)
        sets += QStringLiteral("%1 = 99900, ").arg(QLatin1String(p.column));
    exec(QStringLiteral("UPDATE Tarife SET %1PazarGunu = 1 WHERE ID = 1").arg(sets));
    m_frame->LoadTariffCache();
    QCOMPARE(TariffCache::instance().VCDSatis, Money::fromRaw(99900));

    sets.clear();
    for (const PriceColumn &p : PriceColumns)
        sets += QStringLiteral("%1 = NULL, ").arg(QLatin1String(p.column));
    exec(QStringLiteral("UPDATE Tarife SET %1PazarGunu = NULL, TarifeTur = NULL WHERE ID = 1").arg(sets));
    m_frame->LoadTariffCache();
    const TariffCache &c = TariffCache::instance();
    for (const PriceColumn &p : PriceColumns)
        QVERIFY2(c.*(p.field) == Money(), p.column);
    QCOMPARE(c.PazarGunu, qint16(0));
    QCOMPARE(c.TarifeTur, qint16(0));
}

void TestFrmMain::switchesAsSmallWholeNumbers()
{
    exec(QStringLiteral("UPDATE Tarife SET PazarGunu = 1, TarifeTur = 3 WHERE ID = 1"));
    m_frame->LoadTariffCache();
    QCOMPARE(TariffCache::instance().PazarGunu, qint16(1));
    QCOMPARE(TariffCache::instance().TarifeTur, qint16(3));
}

void TestFrmMain::mailSettingsCutTo100_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("kept");
    QTest::newRow("address 150") << "MailAdres" << 150 << 100;
    QTest::newRow("password 150") << "MailSifre" << 150 << 100;
    QTest::newRow("server 150") << "MailSMTP" << 150 << 100;
    QTest::newRow("address 101") << "MailAdres" << 101 << 100;
    QTest::newRow("address 100") << "MailAdres" << 100 << 100;
    QTest::newRow("address 12") << "MailAdres" << 12 << 12;
}

void TestFrmMain::mailSettingsCutTo100()
{
    QFETCH(QString, column);
    QFETCH(int, length);
    QFETCH(int, kept);
    QString text;
    for (int i = 0; i < length; ++i)
        text += QChar(u'a' + i % 26);
    // Today's tables refuse more than 100 characters; a database carried over
    // from an older installation may still hold longer settings.
    exec(QStringLiteral("PRAGMA ignore_check_constraints = ON"));
    exec(QStringLiteral("UPDATE Config SET %1 = '%2'").arg(column, text));
    QSqlQuery stored(Database::connection());
    QVERIFY(stored.exec(QStringLiteral("SELECT length(%1) FROM Config").arg(column)) && stored.next());
    QCOMPARE(stored.value(0).toInt(), length);
    m_frame->LoadTariffCache();
    const TariffCache &c = TariffCache::instance();
    const QString got = column == QLatin1String("MailAdres") ? c.MailAdres
        : column == QLatin1String("MailSifre")               ? c.MailSifre
                                                             : c.MailSMTP;
    exec(QStringLiteral("PRAGMA ignore_check_constraints = OFF"));
    QCOMPARE(got, text.left(kept));
}

void TestFrmMain::changedTariffIsPickedUp()
{
    exec(QStringLiteral("UPDATE Tarife SET GunlukVCD_Kira = 20000 WHERE ID = 1"));
    m_frame->LoadTariffCache();
    QCOMPARE(TariffCache::instance().GunlukVCD_Kira, Money::fromUnits(2));
    exec(QStringLiteral("UPDATE Tarife SET GunlukVCD_Kira = 27500 WHERE ID = 1"));
    exec(QStringLiteral("UPDATE Config SET MailSMTP = 'mail.example.net'"));
    m_frame->LoadTariffCache();
    QCOMPARE(TariffCache::instance().GunlukVCD_Kira, Money::fromRaw(27500));
    QCOMPARE(TariffCache::instance().MailSMTP, QStringLiteral("mail.example.net"));
}

void TestFrmMain::datasetsClosedUnlessServiceWindow_data()
{
    QTest::addColumn<bool>("serviceOpen");
    QTest::newRow("no service window") << false;
    QTest::newRow("service window open") << true;
}

void TestFrmMain::datasetsClosedUnlessServiceWindow()
{
    QFETCH(bool, serviceOpen);
    std::unique_ptr<TFrmServis> service;
    if (serviceOpen)
        service = std::make_unique<TFrmServis>();
    exec(QStringLiteral("UPDATE Tarife SET DVDSatis = 400000 WHERE ID = 1"));
    m_frame->LoadTariffCache();
    QCOMPARE(TariffCache::instance().DVDSatis, Money::fromUnits(40));
    QCOMPARE(Dm1->Tarife->isOpen(), serviceOpen);
    QCOMPARE(Dm1->Config->isOpen(), serviceOpen);
    if (serviceOpen)
        QCOMPARE(Dm1->Tarife->value(QStringLiteral("DVDSatis")).value<Money>(), Money::fromUnits(40));
    FrmServis.clear();
}

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
