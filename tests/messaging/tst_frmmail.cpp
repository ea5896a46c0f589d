// The e-mail window and its recipient list, sending to a real SMTP server on
// 127.0.0.1: the two refusals, what is archived for every attempt (sent or
// failed, cut to the column sizes), the messages shown, a resend after a
// failure, the recipient list's buttons, and a window that keeps answering
// while the server is slow.
#include "MailTestSupport.h"
#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/SmtpClient.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "db/Paths.h"
#include "messaging/FrmMailArsivUnit.h"
#include "messaging/FrmMailListUnit.h"
#include "messaging/FrmMailUnit.h"
#include "shell/FrmMainUnit.h"
#include "support/WindowTestFixture.h"
#include "support/SmtpPeer.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>

using namespace TestSupport;
using namespace MailTest;
using Icon = PromptService::Icon;

namespace {

const QString Shop = QStringLiteral("shop@127.0.0.1");
const QString NoRecipientText = QStringLiteral("You can t send mail without entering a mail address.");
const QString NoAccountText = QStringLiteral("You can t send mail without doing SMTP settings.");
const QString SentText = QStringLiteral("Your message is sent successfuly.");
const QString NotSentText = QStringLiteral("Please check E-mail settings your mail isn t sent.\n");

} // namespace

class TestFrmMail : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void refusals_data();
    void refusals();
    void sendOutcome_data();
    void sendOutcome();
    void resendAfterFailureArchivesBoth();
    void archivedRow_data();
    void archivedRow();
    void windowAnswersWhileTheServerWaits();

    void recipientList_data();
    void recipientList();
    void clerkMailsTwoCustomers();

private:
    TFrmMail *openWindow(const QString &to, const QString &subject, const QString &body);
    // Presses Send and waits until the answer is archived and shown.
    bool send(TFrmMail *w);

    WindowTestFixture f;
    std::unique_ptr<SmtpPeer> m_peer;
};

void TestFrmMail::init()
{
    QVERIFY(f.setUp());
    m_peer = std::make_unique<SmtpPeer>();
    QVERIFY2(m_peer->isRunning(), qPrintable(m_peer->error()));
    setAccount(Shop, QStringLiteral("secret"), m_peer->server());
}

void TestFrmMail::cleanup()
{
    VERIFY_ALL_ANSWERED(f.prompts);
    delete FrmMailList.data();
    delete FrmMail.data();
    delete FrmMailArsiv.data();
    setAccount(QString(), QString(), QString());
    m_peer.reset();
    f.tearDown();
}

TFrmMail *TestFrmMail::openWindow(const QString &to, const QString &subject, const QString &body)
{
    FrmMail = new TFrmMail;
    FrmMail->show();
    FrmMail->EdTo->setText(to);
    FrmMail->EdSubject->setText(subject);
    FrmMail->RichEdit1->setPlainText(body);
    return FrmMail;
}

bool TestFrmMail::send(TFrmMail *w)
{
    QSignalSpy done(w, &TFrmMail::sendFinished);
    w->tbSend->click();
    return done.wait(20000);
}

void TestFrmMail::refusals_data()
{
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("warning");
    QTest::newRow("only blanks as recipients") << QStringLiteral("   ") << Shop << NoRecipientText;
    QTest::newRow("no recipients") << QString() << Shop << NoRecipientText;
    QTest::newRow("no account address") << QStringLiteral("ali@127.0.0.1") << QStringLiteral("  ") << NoAccountText;
}

void TestFrmMail::refusals()
{
    QFETCH(QString, to);
    QFETCH(QString, account);
    QFETCH(QString, warning);
    TariffCache::instance().MailAdres = account;
    TFrmMail *w = openWindow(to, QStringLiteral("Subject"), QStringLiteral("Body"));
    f.prompts->expect(Icon::Warning, warning);
    w->tbSend->click();
    QVERIFY(!w->isSending());
    QVERIFY(w->isVisible());
    QVERIFY(archive().isEmpty());
    QVERIFY(m_peer->messages(0, 300).isEmpty());
}

void TestFrmMail::sendOutcome_data()
{
    QTest::addColumn<QString>("server"); // "peer": the running test server
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("archived"); // false: the database refuses the archive row
    QTest::newRow("sent") << QStringLiteral("peer") << QStringLiteral("secret") << true << QString() << true;
    QTest::newRow("wrong password") << QStringLiteral("peer") << QStringLiteral("wrong") << false
                                    << QStringLiteral("Login denied") << true;
    QTest::newRow("unreachable server") << QStringLiteral("127.0.0.1:%1").arg(SmtpPeer::unusedPort())
                                        << QStringLiteral("secret") << false << QStringLiteral("connect") << true;
    QTest::newRow("empty server name") << QString() << QStringLiteral("secret") << false
                                       << QStringLiteral("No SMTP server is set.") << true;
    QTest::newRow("sent, the archive refuses") << QStringLiteral("peer") << QStringLiteral("secret") << true
                                               << QString() << false;
    QTest::newRow("not sent, the archive refuses") << QStringLiteral("peer") << QStringLiteral("wrong") << false
                                                   << QStringLiteral("Login denied") << false;
}

void TestFrmMail::sendOutcome()
{
    QFETCH(QString, server);
    QFETCH(QString, password);
    QFETCH(bool, sent);
    QFETCH(QString, reason);
    QFETCH(bool, archived);
    setAccount(Shop, password, server == QLatin1String("peer") ? m_peer->server() : server);
    if (!archived) {
        Sql::run(QStringLiteral("Create Trigger vx_refuse Before Insert On mail Begin Select Raise(Abort, 'archive full'); End"));
        f.prompts->expectStartingWith(Icon::Error,
                                      sent ? QStringLiteral("Your message is sent, but it could not be written to the mail archive:\n")
                                           : QStringLiteral("Your message is not sent, and the attempt could not be written to the mail archive:\n"));
    }
    const QString to = QStringLiteral("ayse@127.0.0.1, ismail@127.0.0.1");
    const QString subject = QStringLiteral("İade hatırlatması: ğüşöç İĞÜŞÖÇ");
    const QString body = QStringLiteral("Sayın müşterimiz,\nfilminizi iade ediniz. Işık Şükrü");
    TFrmMail *w = openWindow(to, subject, body);
    if (sent)
        f.prompts->expect(Icon::Information, SentText);
    else
        f.prompts->expectStartingWith(Icon::Error, NotSentText);
    QVERIFY(send(w));

    const QList<ArchiveRow> rows = archive();
    if (!archived) {
        // Told with the database's words, and logged for whoever looks after the shop.
        QVERIFY(f.prompts->seen().first().text.contains(QStringLiteral("archive full")));
        QFile log(Paths::errorLog());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("archive full"));
        QVERIFY(rows.isEmpty());
    } else {
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].Durum, sent ? 1 : 0);
        QCOMPARE(rows[0].Gonderen, Shop);
        QCOMPARE(rows[0].Alici, QStringLiteral("ayse@127.0.0.1, ismail@127.0.0.1"));
        QCOMPARE(rows[0].Konu, subject);
        QVERIFY(QString::fromUtf8(rows[0].Mail).contains(QStringLiteral("filminizi iade ediniz. Işık Şükrü")));
    }
    QVERIFY(!QApplication::overrideCursor());
    if (sent) {
        QVERIFY(!w->isVisible()); // closed on success
        QCOMPARE(w->result(), int(QDialog::Accepted));
        const QList<QJsonObject> got = m_peer->messages(1);
        QCOMPARE(got.size(), 1);
        QCOMPARE(got[0].value("rcpt_tos").toArray().size(), 2);
        QCOMPARE(got[0].value("subject").toString(), subject);
        QCOMPARE(got[0].value("parts").toObject().value("text/plain").toString().trimmed(), body);
    } else {
        QVERIFY2(f.prompts->seen().last().text.contains(reason), qPrintable(f.prompts->seen().last().text));
        // Everything stays as typed for another try.
        QVERIFY(w->isVisible());
        QCOMPARE(w->EdTo->text(), to);
        QCOMPARE(w->EdSubject->text(), subject);
        QCOMPARE(w->RichEdit1->toPlainText(), body);
        QVERIFY(w->tbSend->isEnabled());
        QVERIFY(m_peer->messages(0, 0).isEmpty());
    }
}

void TestFrmMail::resendAfterFailureArchivesBoth()
{
    setAccount(Shop, QStringLiteral("typo"), m_peer->server());
    TFrmMail *w = openWindow(QStringLiteral("ali@127.0.0.1"), QStringLiteral("Twice"), QStringLiteral("Body"));
    f.prompts->expectStartingWith(Icon::Error, NotSentText);
    QVERIFY(send(w));
    TariffCache::instance().MailSifre = QStringLiteral("secret");
    f.prompts->expect(Icon::Information, SentText);
    QVERIFY(send(w));
    const QList<ArchiveRow> rows = archive();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].Durum, 0);
    QCOMPARE(rows[1].Durum, 1);
    QCOMPARE(m_peer->messages(1).size(), 1);
}

void TestFrmMail::archivedRow_data()
{
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("body");
    const QString longSubject = QStringLiteral("Yeni filmler geldi ").repeated(8).left(150);
    QStringList many;
    for (int i = 1; i <= 8; ++i)
        many << QStringLiteral("customer%1@127.0.0.1").arg(i);
    QTest::newRow("150-character subject") << QStringLiteral("ali@127.0.0.1") << longSubject << QStringLiteral("Body");
    QTest::newRow("recipients longer than the column") << many.join(QStringLiteral(",")) << QStringLiteral("Many")
                                                       << QStringLiteral("Body");
    QTest::newRow("empty body") << QStringLiteral("ali@127.0.0.1") << QStringLiteral("Nothing to say") << QString();
}

void TestFrmMail::archivedRow()
{
    QFETCH(QString, to);
    QFETCH(QString, subject);
    QFETCH(QString, body);
    TFrmMail *w = openWindow(to, subject, body);
    f.prompts->expect(Icon::Information, SentText);
    QVERIFY(send(w));
    const QList<QJsonObject> got = m_peer->messages(1);
    QCOMPARE(got.size(), 1);
    // Sent whole...
    QCOMPARE(got[0].value("subject").toString(), subject);
    const QStringList recipients = MailMessage::splitAddresses(to);
    QCOMPARE(got[0].value("rcpt_tos").toArray().size(), recipients.size());
    QCOMPARE(got[0].value("parts").toObject().value("text/plain").toString().trimmed(), body);
    // ...archived cut to the columns.
    const QList<ArchiveRow> rows = archive();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].Konu, subject.left(100));
    QCOMPARE(rows[0].Alici, recipients.join(QStringLiteral(", ")).left(100));
    QCOMPARE(rows[0].Mail.isEmpty(), body.isEmpty());
}

void TestFrmMail::windowAnswersWhileTheServerWaits()
{
    SmtpPeer::Options slow;
    slow.delaySeconds = 2;
    SmtpPeer peer(slow);
    QVERIFY2(peer.isRunning(), qPrintable(peer.error()));
    setAccount(Shop, QStringLiteral("secret"), peer.server());
    TFrmMail *w = openWindow(QStringLiteral("ali@127.0.0.1"), QStringLiteral("Slow"), QStringLiteral("Body"));
    QSignalSpy done(w, &TFrmMail::sendFinished);
    QStringList shown;
    int ticks = 0;
    bool waitCursor = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        ++ticks;
        shown << w->StatusPanels[0]->text();
        if (QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor)
            waitCursor = true;
    });
    watch.start(50);
    f.prompts->expect(Icon::Information, SentText);
    w->tbSend->click();
    QVERIFY(w->isSending());
    QVERIFY(!w->tbClose->isEnabled());
    QVERIFY(!w->close()); // the answer must come back to be archived
    QVERIFY(done.wait(20000));
    QVERIFY2(ticks >= 30, qPrintable(QString::number(ticks))); // about 2 s of a running event loop
    QVERIFY(waitCursor);
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(w->StatusPanels[0]->text(), QStringLiteral("Statu : Disconnected."));
    QVERIFY(std::any_of(shown.cbegin(), shown.cend(),
                        [](const QString &t) { return t.startsWith(QStringLiteral("Bytes Sending : ")) && t.mid(16).toInt() > 0; }));
    QCOMPARE(peer.messages(1).size(), 1);
}

void TestFrmMail::recipientList_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("after");
    const QString old = QStringLiteral("old@127.0.0.1");
    QTest::newRow("add, and the same address again ignoring case")
        << old << QStringList{"find:ayse", "add", "find:ali", "add", "find:ayten", "add", "find:ayse", "add", "ok"}
        << QStringLiteral("ayse@127.0.0.1, ali@127.0.0.1");
    QTest::newRow("a customer without an address adds nothing")
        << QString() << QStringList{"find:bora", "add", "ok"} << QString();
    QTest::newRow("add all keeps shared addresses twice")
        << old << QStringList{"addall", "ok"}
        << QStringLiteral("ali@127.0.0.1, ayse@127.0.0.1, AYSE@127.0.0.1, shared@127.0.0.1, shared@127.0.0.1");
    QTest::newRow("delete the selected address")
        << QString() << QStringList{"addall", "select:1", "delete", "ok"}
        << QStringLiteral("ali@127.0.0.1, AYSE@127.0.0.1, shared@127.0.0.1, shared@127.0.0.1");
    QTest::newRow("ok on an empty list clears the recipients") << old << QStringList{"addall", "deleteall", "ok"} << QString();
    QTest::newRow("cancel keeps the recipients") << old << QStringList{"addall", "cancel"} << old;
    QTest::newRow("Esc keeps the recipients") << old << QStringList{"find:ali", "add", "esc"} << old;
}

void TestFrmMail::recipientList()
{
    QFETCH(QString, before);
    QFETCH(QStringList, steps);
    QFETCH(QString, after);
    QVERIFY(addCustomers({{QStringLiteral("Ali Veli"), QStringLiteral("ali@127.0.0.1")},
                          {QStringLiteral("Ayse Kaya"), QStringLiteral("ayse@127.0.0.1")},
                          {QStringLiteral("Ayten Kaya"), QStringLiteral("AYSE@127.0.0.1")},
                          {QStringLiteral("Bora Tan"), QString()},
                          {QStringLiteral("Mehmet Can"), QStringLiteral("shared@127.0.0.1")},
                          {QStringLiteral("Zeynep Can"), QStringLiteral("shared@127.0.0.1")}}));
    TFrmMail *w = openWindow(before, QString(), QString());
    bool ran = false;
    CustomerTest::whenShown<TFrmMailList>(FrmMailList, [&](TFrmMailList *list) {
        for (const QString &step : steps) {
            if (step.startsWith(QLatin1String("find:"))) {
                list->Edit1->clear();
                QTest::keyClicks(list->Edit1, step.mid(5));
            } else if (step == QLatin1String("add")) {
                list->btnAdd->click();
            } else if (step == QLatin1String("addall")) {
                list->btnAddAll->click();
            } else if (step.startsWith(QLatin1String("select:"))) {
                list->ListBox1->setCurrentRow(step.mid(7).toInt());
            } else if (step == QLatin1String("delete")) {
                list->btnDelete->click();
            } else if (step == QLatin1String("deleteall")) {
                list->btnDeleteAll->click();
            } else if (step == QLatin1String("ok")) {
                list->btnOk->click();
            } else if (step == QLatin1String("cancel")) {
                list->btnCancel->click();
            } else if (step == QLatin1String("esc")) {
                QTest::keyClick(list->Edit1, Qt::Key_Escape);
            }
        }
        ran = true;
    });
    w->btnTo->click();
    QVERIFY(ran);
    QVERIFY(!FrmMailList); // freed on close
    QVERIFY(!f.dm2->MusteriListe->isOpen());
    QCOMPARE(w->EdTo->text(), after);
}

void TestFrmMail::clerkMailsTwoCustomers()
{
    QVERIFY(addCustomers({{QStringLiteral("Ali Veli"), QStringLiteral("ali@127.0.0.1")},
                          {QStringLiteral("Ayse Kaya"), QStringLiteral("ayse@127.0.0.1")},
                          {QStringLiteral("Mehmet Can"), QStringLiteral("mehmet@127.0.0.1")}}));
    TFrmMain frame;
    QAction *newMail = frame.findChild<QAction *>(QStringLiteral("MailGnderimi1"));
    QAction *archiveEntry = frame.findChild<QAction *>(QStringLiteral("MailAriv1"));
    QVERIFY(newMail->isEnabled() && archiveEntry->isEnabled());

    QString senderShown;
    CustomerTest::whenShown<TFrmMail>(FrmMail, [&](TFrmMail *w) {
        senderShown = w->Label1->text();
        CustomerTest::whenShown<TFrmMailList>(FrmMailList, [](TFrmMailList *list) {
            QTest::keyClicks(list->Edit1, QStringLiteral("ay"));
            list->btnAdd->click();
            list->Edit1->clear();
            QTest::keyClicks(list->Edit1, QStringLiteral("meh"));
            const QPoint at = list->DBGrid1->visualRect(list->DBGrid1->currentIndex()).center();
            QTest::mouseClick(list->DBGrid1->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->DBGrid1->viewport(), Qt::LeftButton, {}, at);
            list->btnOk->click();
        });
        w->btnTo->click();
        QTest::keyClicks(w->EdSubject, QStringLiteral("New DVDs this week"));
        QTest::keyClicks(w->RichEdit1, QStringLiteral("Dear customer, the new DVDs are in."));
        w->tbSend->click(); // the window closes itself once the mail is sent
    });
    f.prompts->expect(Icon::Information, SentText);
    newMail->trigger();
    QCOMPARE(senderShown, Shop);

    const QList<QJsonObject> got = m_peer->messages(1);
    QCOMPARE(got.size(), 1);
    QCOMPARE(got[0].value("rcpt_tos").toArray().toVariantList(),
             QVariantList({QStringLiteral("ayse@127.0.0.1"), QStringLiteral("mehmet@127.0.0.1")}));
    QCOMPARE(got[0].value("subject").toString(), QStringLiteral("New DVDs this week"));
    QCOMPARE(got[0].value("parts").toObject().value("text/plain").toString().trimmed(),
             QStringLiteral("Dear customer, the new DVDs are in."));

    archiveEntry->trigger();
    QVERIFY(FrmMailArsiv);
    FrmMailArsiv->TreeView1->setCurrentItem(FrmMailArsiv->TreeView1->topLevelItem(1)); // "Sent mails"
    QCOMPARE(f.dm2->MailNav->recordCount(), 1);
    QCOMPARE(FrmMailArsiv->LblTo->text(), QStringLiteral("ayse@127.0.0.1, mehmet@127.0.0.1"));
    QCOMPARE(FrmMailArsiv->LblSubject->text(), QStringLiteral("New DVDs this week"));
    QCOMPARE(FrmMailArsiv->RichEdit1->toPlainText(), QStringLiteral("Dear customer, the new DVDs are in."));
    QCOMPARE(FrmMailArsiv->StatusPanels[0]->text(), QStringLiteral("  1 mail message"));
}

QTEST_MAIN(TestFrmMail)
#include "tst_frmmail.moc"
