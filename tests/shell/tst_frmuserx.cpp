// The login: who may work with the program, what the clerk is told when the
// name or password is wrong, and that giving up ends the program.
#include "components/DataSet.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "data/TariffCache.h"
#include "shell/FrmMainUnit.h"
#include "shell/FrmUserXUnit.h"
#include "support/WindowTestFixture.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

using namespace TestSupport;
using Icon = PromptService::Icon;
using Answer = PromptService::Answer;

namespace {
const QString WrongText = QStringLiteral("User name or password is wrong, please check and try again !!!");
const QString ReminderText = QStringLiteral("Please change user name and password after first use !!!");
} // namespace

class TestFrmUserX : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void prefillsOnlyTheDefaultAccount_data();
    void prefillsOnlyTheDefaultAccount();
    void remindsAtEveryDefaultLogin();
    void blanksAreChecked_data();
    void blanksAreChecked();
    void failedAttemptEmptiesBothEdits();
    void closingAfterFailuresEndsTheProgram();
    void everyWayOutEndsTheProgram_data();
    void everyWayOutEndsTheProgram();
    void databaseErrorReachesTheUser();
    void enterPressesOk();

private:
    void exec(const QString &sql);
    void replaceUsers(const QList<QPair<QString, QString>> &users);
    // Shows the login as the frame does, without waiting on it.
    TFrmUserX *showLogin();
    void type(QLineEdit *edit, const QString &text);

    WindowTestFixture f;
    std::unique_ptr<TFrmMain> m_frame;
};

void TestFrmUserX::init()
{
    LoggedIn = false;
    // A login starts the day's backup: it goes into this home's backup folder.
    QVERIFY(f.setUp());
    m_frame = std::make_unique<TFrmMain>();
}

void TestFrmUserX::cleanup()
{
    VERIFY_ALL_ANSWERED(f.prompts);
    m_frame.reset(); // the login is its child
    FrmUserX = nullptr;
    f.tearDown();
    LoggedIn = false;
    TariffCache::instance() = TariffCache();
}

void TestFrmUserX::exec(const QString &sql)
{
    QSqlQuery q(Database::connection());
    QVERIFY2(q.exec(sql), qPrintable(sql + QStringLiteral(": ") + q.lastError().text()));
}

void TestFrmUserX::replaceUsers(const QList<QPair<QString, QString>> &users)
{
    exec(QStringLiteral("DELETE FROM Users"));
    for (const auto &u : users) {
        QSqlQuery q(Database::connection());
        q.prepare(QStringLiteral("INSERT INTO Users (UserName, Password) VALUES (?, ?)"));
        q.addBindValue(u.first);
        q.addBindValue(u.second);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
}

TFrmUserX *TestFrmUserX::showLogin()
{
    FrmUserX = new TFrmUserX(m_frame.get());
    FrmUserX->show();
    return FrmUserX;
}

void TestFrmUserX::type(QLineEdit *edit, const QString &text)
{
    edit->clear();
    QTest::keyClicks(edit, text);
}

void TestFrmUserX::prefillsOnlyTheDefaultAccount_data()
{
    using Users = QList<QPair<QString, QString>>;
    QTest::addColumn<Users>("users");
    QTest::addColumn<bool>("filled");
    QTest::newRow("only the default account") << Users{{"QORV", "QORV"}} << true;
    QTest::newRow("default and another") << Users{{"QORV", "QORV"}, {"ayse", "1234"}} << false;
    QTest::newRow("another before the default") << Users{{"ayse", "1234"}, {"QORV", "QORV"}} << false;
    QTest::newRow("one other account") << Users{{"ayse", "1234"}} << false;
    QTest::newRow("default name, changed password") << Users{{"QORV", "s3cret"}} << false;
    QTest::newRow("no account") << Users{} << false;
}

void TestFrmUserX::prefillsOnlyTheDefaultAccount()
{
    using Users = QList<QPair<QString, QString>>;
    QFETCH(Users, users);
    QFETCH(bool, filled);
    replaceUsers(users);
    TFrmUserX *login = showLogin();
    QCOMPARE(login->windowTitle(), QStringLiteral("User entry"));
    QCOMPARE(login->Edit1->text(), filled ? QStringLiteral("QORV") : QString());
    QCOMPARE(login->Edit2->text(), filled ? QStringLiteral("QORV") : QString());
    QCOMPARE(login->Edit2->echoMode(), QLineEdit::Password);
    QVERIFY(!Dm1->Users->isOpen()); // looked at and closed again
}

void TestFrmUserX::remindsAtEveryDefaultLogin()
{
    for (int attempt = 1; attempt <= 2; ++attempt) {
        LoggedIn = false;
        f.prompts->expect(Icon::Information, ReminderText);
        bool shown = false;
        QTimer::singleShot(0, m_frame.get(), [&] {
            shown = FrmUserX && FrmUserX->isVisible();
            if (!shown)
                return;
            QCOMPARE(FrmUserX->Edit1->text(), QStringLiteral("QORV"));
            FrmUserX->BitBtn1->click();
            if (FrmUserX->isVisible())
                FrmUserX->BitBtn2->click(); // never leave the login waiting
        });
        QVERIFY(m_frame->FormShow());
        QVERIFY2(shown, qPrintable(QStringLiteral("attempt %1").arg(attempt)));
        VERIFY_ALL_ANSWERED(f.prompts);
        QVERIFY(LoggedIn);
        QCOMPARE(m_frame->CurrentUser, QStringLiteral("QORV"));
        QCOMPARE(m_frame->CurrentPassword, QStringLiteral("QORV"));
    }
    // A default account typed in while other accounts exist is reminded too.
    replaceUsers({{"QORV", "QORV"}, {"ayse", "1234"}});
    LoggedIn = false;
    TFrmUserX *login = showLogin();
    QCOMPARE(login->Edit1->text(), QString());
    type(login->Edit1, QStringLiteral("QORV"));
    type(login->Edit2, QStringLiteral("QORV"));
    f.prompts->expect(Icon::Information, ReminderText);
    login->BitBtn1->click();
    QVERIFY(LoggedIn);
    QVERIFY(!login->isVisible());
}

void TestFrmUserX::blanksAreChecked_data()
{
    QTest::addColumn<QString>("storedUser");
    QTest::addColumn<QString>("storedPassword");
    QTest::addColumn<QString>("typedUser");
    QTest::addColumn<QString>("typedPassword");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("currentUser");
    QTest::addColumn<QString>("currentPassword");
    QTest::newRow("exact") << "ayse" << "1234" << "ayse" << "1234" << true << "ayse" << "1234";
    QTest::newRow("blanks around the password") << "ayse" << "1234" << "ayse" << " 1234 " << false << "" << "";
    QTest::newRow("trailing blank on password") << "ayse" << "1234" << "ayse" << "1234 " << false << "" << "";
    QTest::newRow("blank before the name") << "ayse" << "1234" << " ayse" << "1234" << false << "" << "";
    QTest::newRow("stored password with blanks, typed exactly")
        << "ayse" << " 12 34 " << "ayse" << " 12 34 " << true << "ayse" << "12 34";
    QTest::newRow("stored password with blanks, typed trimmed")
        << "ayse" << " 12 34 " << "ayse" << "12 34" << false << "" << "";
    QTest::newRow("stored name with blanks, typed exactly")
        << "ayse " << "1234" << "ayse " << "1234" << true << "ayse" << "1234";
    QTest::newRow("name differs in case") << "ayse" << "1234" << "Ayse" << "1234" << false << "" << "";
}

void TestFrmUserX::blanksAreChecked()
{
    QFETCH(QString, storedUser);
    QFETCH(QString, storedPassword);
    QFETCH(QString, typedUser);
    QFETCH(QString, typedPassword);
    QFETCH(bool, accepted);
    QFETCH(QString, currentUser);
    QFETCH(QString, currentPassword);
    replaceUsers({{storedUser, storedPassword}});
    TFrmUserX *login = showLogin();
    type(login->Edit1, typedUser);
    type(login->Edit2, typedPassword);
    QCOMPARE(login->Edit1->text(), typedUser);
    QCOMPARE(login->Edit2->text(), typedPassword);
    if (!accepted)
        f.prompts->expect(Icon::Error, WrongText);
    login->BitBtn1->click();
    VERIFY_ALL_ANSWERED(f.prompts);
    QCOMPARE(LoggedIn, accepted);
    QCOMPARE(login->isVisible(), !accepted);
    QCOMPARE(login->result(), accepted ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QCOMPARE(m_frame->CurrentUser, currentUser);
    QCOMPARE(m_frame->CurrentPassword, currentPassword);
}

void TestFrmUserX::failedAttemptEmptiesBothEdits()
{
    TFrmUserX *login = showLogin();
    login->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(login));
    type(login->Edit1, QStringLiteral("QORV"));
    type(login->Edit2, QStringLiteral("qorv"));
    login->Edit2->setFocus();
    f.prompts->expect(Icon::Error, WrongText);
    login->BitBtn1->click();
    VERIFY_ALL_ANSWERED(f.prompts);
    QCOMPARE(f.prompts->seen().size(), 1);
    QCOMPARE(f.prompts->seen().first().buttons, PromptService::Buttons::Ok);
    QVERIFY(login->isVisible());
    QCOMPARE(login->Edit1->text(), QString());
    QCOMPARE(login->Edit2->text(), QString());
    QCOMPARE(QApplication::focusWidget(), login->Edit1);
    QVERIFY(!LoggedIn);

    // A second try with the right words gets in.
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("QORV"));
    type(login->Edit2, QStringLiteral("QORV"));
    f.prompts->expect(Icon::Information, ReminderText);
    login->BitBtn1->click();
    QVERIFY(LoggedIn);
    QVERIFY(!login->isVisible());
}

void TestFrmUserX::closingAfterFailuresEndsTheProgram()
{
    QSignalSpy terminate(m_frame.get(), &TFrmMain::terminateRequested);
    f.prompts->expect(Icon::Error, WrongText);
    f.prompts->expect(Icon::Error, WrongText);
    bool shown = false;
    QTimer::singleShot(0, m_frame.get(), [&] {
        shown = FrmUserX && FrmUserX->isVisible();
        if (!shown)
            return;
        for (const QString &word : {QStringLiteral("nobody"), QStringLiteral("QORV ")}) {
            type(FrmUserX->Edit1, word);
            type(FrmUserX->Edit2, QStringLiteral("QORV"));
            FrmUserX->BitBtn1->click();
        }
        FrmUserX->BitBtn2->click();
        if (FrmUserX->isVisible())
            FrmUserX->done(QDialog::Rejected); // never leave the test hanging
    });
    QVERIFY(!m_frame->FormShow());
    QVERIFY(shown);
    QCOMPARE(terminate.count(), 1);
    QVERIFY(m_frame->terminating());
    QVERIFY(!LoggedIn);
    QCOMPARE(m_frame->CurrentUser, QString());
}

void TestFrmUserX::everyWayOutEndsTheProgram_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("Close button") << "button";
    QTest::newRow("Esc") << "escape";
    QTest::newRow("close box") << "box";
}

void TestFrmUserX::everyWayOutEndsTheProgram()
{
    QFETCH(QString, way);
    QSignalSpy terminate(m_frame.get(), &TFrmMain::terminateRequested);
    bool shown = false;
    QTimer::singleShot(0, m_frame.get(), [&] {
        shown = FrmUserX && FrmUserX->isVisible();
        if (!shown)
            return;
        if (way == QLatin1String("button"))
            QTest::mouseClick(FrmUserX->BitBtn2, Qt::LeftButton);
        else if (way == QLatin1String("escape"))
            QTest::keyClick(FrmUserX->Edit1, Qt::Key_Escape);
        else
            FrmUserX->close();
        if (FrmUserX->isVisible())
            FrmUserX->done(QDialog::Accepted); // never leave the test hanging
    });
    QVERIFY(!m_frame->FormShow());
    QVERIFY(shown);
    QCOMPARE(FrmUserX->result(), int(QDialog::Rejected));
    QCOMPARE(terminate.count(), 1);
    QVERIFY(!LoggedIn);
    QCOMPARE(m_frame->CurrentUser, QString());
}

void TestFrmUserX::databaseErrorReachesTheUser()
{
    TFrmUserX *login = showLogin();
    QCOMPARE(login->Edit1->text(), QStringLiteral("QORV"));
    exec(QStringLiteral("ALTER TABLE Users RENAME TO UsersAway"));
    f.prompts->expectStartingWith(Icon::Error, QStringLiteral("no such table: Users"));
    login->BitBtn1->click();
    VERIFY_ALL_ANSWERED(f.prompts);
    QVERIFY(login->isVisible());
    QVERIFY(!LoggedIn);
    QCOMPARE(m_frame->CurrentUser, QString());
    // What was typed stays for the next try.
    QCOMPARE(login->Edit1->text(), QStringLiteral("QORV"));
    QCOMPARE(login->Edit2->text(), QStringLiteral("QORV"));

    exec(QStringLiteral("ALTER TABLE UsersAway RENAME TO Users"));
    f.prompts->expect(Icon::Information, ReminderText);
    login->BitBtn1->click();
    QVERIFY(LoggedIn);
    QVERIFY(!login->isVisible());
}

void TestFrmUserX::enterPressesOk()
{
    TFrmUserX *login = showLogin();
    login->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(login));
    QVERIFY(login->BitBtn1->isDefault());
    QCOMPARE(login->BitBtn1->text(), QStringLiteral("Ok"));
    QCOMPARE(login->BitBtn2->text(), QStringLiteral("Close"));
    login->Edit2->setFocus();
    f.prompts->expect(Icon::Error, WrongText);
    QTest::keyClick(login->Edit2, Qt::Key_Backspace);
    QTest::keyClick(login->Edit2, Qt::Key_Return);
    VERIFY_ALL_ANSWERED(f.prompts);
    QVERIFY(login->isVisible());

    type(login->Edit1, QStringLiteral("QORV"));
    type(login->Edit2, QStringLiteral("QORV"));
    f.prompts->expect(Icon::Information, ReminderText);
    QTest::keyClick(login->Edit2, Qt::Key_Enter);
    QVERIFY(LoggedIn);
    QVERIFY(!login->isVisible());
}

QTEST_MAIN(TestFrmUserX)
#include "tst_frmuserx.moc"
