// "About": the version the shop is running and the links to the maker, and
// that the window goes away completely once closed.
#include "shell/FrmHakkindaUnit.h"
#include "shell/FrmMainUnit.h"
#include "app/Helpers.h"
#include "support/ScriptedPrompts.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {
const QString MailUrl = QStringLiteral("Mailto:support@quillon.example.com?subject=VEXARO Software");
const QString WebUrl = QStringLiteral("http://www.quillon.example.com");
} // namespace

class TestFrmHakkinda : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void versionShownOnEveryShow();
    void linksOpenTheirAddress_data();
    void linksOpenTheirAddress();
    void closes_data();
    void closes();
    void openedFromTheMenuLeavesNothingBehind();

private:
    QList<QUrl> m_opened;
    std::function<bool(const QUrl &)> m_realOpener;
    ScriptedPrompts *m_prompts = nullptr;
};

void TestFrmHakkinda::initTestCase()
{
    m_realOpener = TFrmHakkinda::openUrl;
}

void TestFrmHakkinda::init()
{
    m_opened.clear();
    // Nothing may reach the desktop's browser or mail program from a test.
    TFrmHakkinda::openUrl = [this](const QUrl &url) {
        m_opened << url;
        return true;
    };
    // About asks nothing: any message is a failure.
    m_prompts = ScriptedPrompts::install();
}

void TestFrmHakkinda::cleanup()
{
    VERIFY_ALL_ANSWERED(m_prompts);
    PromptService::install(nullptr);
    TFrmHakkinda::openUrl = m_realOpener;
}

void TestFrmHakkinda::versionShownOnEveryShow()
{
    TFrmHakkinda about;
    QCOMPARE(about.size(), QSize(401, 240));
    QCOMPARE(about.windowTitle(), QStringLiteral("About"));
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(about.VersionLabel->text(), QStringLiteral("Version  : Build 2.1.0.310"));
    QCOMPARE(BuildVersionText(), QStringLiteral("Build 2.1.0.310"));

    // Shown again after something wrote over it: written afresh.
    about.hide();
    about.VersionLabel->setText(QStringLiteral("stale"));
    about.show();
    QCOMPARE(about.VersionLabel->text(), QStringLiteral("Version  : Build 2.1.0.310"));
}

void TestFrmHakkinda::linksOpenTheirAddress_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("url");
    QTest::newRow("web") << "WebLabel" << "www.quillon.example.com" << WebUrl;
    QTest::newRow("mail") << "MailLabel" << "support@quillon.example.com" << MailUrl;
    // The telephone line has no link of its own: it offers a message too.
    QTest::newRow("phone") << "PhoneLabel" << "Tel: +90 (212) 555 01 00 - 555 01 01" << MailUrl;
}

void TestFrmHakkinda::linksOpenTheirAddress()
{
    QFETCH(QString, label);
    QFETCH(QString, text);
    QFETCH(QString, url);
    TFrmHakkinda about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    auto *l = about.findChild<QLabel *>(label);
    QVERIFY(l);
    QCOMPARE(l->text(), text);
    QCOMPARE(l->cursor().shape(), Qt::PointingHandCursor);

    QTest::mouseClick(l, Qt::LeftButton);
    QCOMPARE(m_opened.size(), 1);
    const QUrl opened = m_opened.first();
    QCOMPARE(opened, QUrl(url));
    // The scheme's case is the one thing a URL does not keep (it is not
    // significant to any program that opens it); the rest is exact.
    QCOMPARE(opened.toString(), url.section(u':', 0, 0).toLower() + u':' + url.section(u':', 1));
    if (label != QLatin1String("WebLabel")) {
        QCOMPARE(opened.path(), QStringLiteral("support@quillon.example.com"));
        QCOMPARE(opened.query(QUrl::FullyDecoded), QStringLiteral("subject=VEXARO Software"));
        QCOMPARE(TFrmHakkinda::supportMailUrl(), opened);
    }

    // A right click opens nothing; the window stays.
    QTest::mouseClick(l, Qt::RightButton);
    QCOMPARE(m_opened.size(), 1);
    QVERIFY(about.isVisible());
}

void TestFrmHakkinda::closes_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Esc") << true;
    QTest::newRow("close button") << false;
}

void TestFrmHakkinda::closes()
{
    QFETCH(bool, escape);
    TFrmHakkinda about;
    bool shown = false;
    QTimer::singleShot(0, &about, [&] {
        shown = about.isVisible();
        about.activateWindow();
        if (escape)
            QTest::keyClick(&about, Qt::Key_Escape);
        else
            QTest::mouseClick(about.CloseButton, Qt::LeftButton);
        if (about.isVisible())
            about.done(-1); // never leave the test waiting
    });
    const int result = about.exec();
    QVERIFY(shown);
    QCOMPARE(result, int(QDialog::Rejected));
    QVERIFY(!about.isVisible());
    QVERIFY(m_opened.isEmpty());
}

void TestFrmHakkinda::openedFromTheMenuLeavesNothingBehind()
{
    TFrmMain frame;
    QSignalSpy terminate(&frame, &TFrmMain::terminateRequested);
    auto *entry = frame.findChild<QAction *>(QStringLiteral("Hakknda1"));
    QVERIFY(entry);
    QCOMPARE(entry->text().remove(u'&'), QStringLiteral("About"));
    QVERIFY(entry->isEnabled());

    for (int round = 1; round <= 2; ++round) {
        QPointer<TFrmHakkinda> seen;
        QString version;
        bool modal = false;
        QTimer::singleShot(0, &frame, [&] {
            seen = qobject_cast<TFrmHakkinda *>(QApplication::activeModalWidget());
            if (!seen)
                return;
            modal = seen->isModal() && seen->isVisible();
            version = seen->VersionLabel->text();
            QTest::mouseClick(seen->CloseButton, Qt::LeftButton);
            if (seen && seen->isVisible())
                seen->done(-1);
        });
        entry->trigger();
        QVERIFY2(modal, qPrintable(QStringLiteral("round %1").arg(round)));
        QCOMPARE(version, QStringLiteral("Version  : Build 2.1.0.310"));
        QVERIFY(seen.isNull()); // freed at once
        QVERIFY(frame.findChildren<TFrmHakkinda *>().isEmpty());
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<TFrmHakkinda *>(w));
    }
    // Closing About is not closing the program.
    QCOMPARE(terminate.count(), 0);
    QVERIFY(!frame.terminating());
}

QTEST_MAIN(TestFrmHakkinda)
#include "tst_frmhakkinda.moc"
