// The e-mail archive on a few archived attempts: the three folders and their
// counts, the reading pane, deleting, the list after a send, the folder
// remembered by the next window, mailing a customer and printing a message.
#include "MailTestSupport.h"
#include "components/BandReport.h"
#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/SmtpClient.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "messaging/FrmMailArsivUnit.h"
#include "messaging/FrmMailUnit.h"
#include "service/FrmServisUnit.h"
#include "support/WindowTestFixture.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

using namespace TestSupport;
using namespace MailTest;
using Icon = PromptService::Icon;
using Answer = PromptService::Answer;

namespace {

const QString Shop = QStringLiteral("shop@127.0.0.1");

// Sends nothing and reports success: the archive is under test here.
class AlwaysSent : public MailSender
{
public:
    using MailSender::MailSender;
    void send(const SmtpAccount &, const MailMessage &) override
    {
        QTimer::singleShot(0, this, [this] { emit finished(true, QString()); });
    }
    bool isBusy() const override { return false; }
};

} // namespace

class TestFrmMailArsiv : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void folders_data();
    void folders();
    void readingPane_data();
    void readingPane();
    void deletingTheLastSentMail();
    void sendingListsEveryMessage();
    void nextWindowStartsOnTheLastFolder();
    void mailToACustomerAndPrint();

private:
    void archiveAttempt(const QString &to, const QString &subject, const QByteArray &body, bool sent);
    TFrmMailArsiv *openWindow();
    void chooseFolder(int folder);

    WindowTestFixture f;
};

void TestFrmMailArsiv::init()
{
    QVERIFY(f.setUp(WindowTestFixture::HomeAndPreview));
    setAccount(Shop, QStringLiteral("secret"), QStringLiteral("127.0.0.1:1"));
    // A failed attempt, then the same message sent; one more sent earlier.
    archiveAttempt(QStringLiteral("ali@127.0.0.1"), QStringLiteral("Overdue"), "<p>Please <b>return</b> it.</p>", true);
    archiveAttempt(QStringLiteral("ayse@127.0.0.1"), QStringLiteral("Yeni filmler"), "<p>Şükran</p>", false);
    archiveAttempt(QStringLiteral("ayse@127.0.0.1"), QStringLiteral("Yeni filmler"), "<p>Şükran</p>", true);
}

void TestFrmMailArsiv::cleanup()
{
    VERIFY_ALL_ANSWERED(f.prompts);
    MailSender::setMaker(nullptr);
    delete FrmMail.data();
    delete FrmMailArsiv.data();
    setAccount(QString(), QString(), QString());
    f.tearDown();
}

void TestFrmMailArsiv::archiveAttempt(const QString &to, const QString &subject, const QByteArray &body, bool sent)
{
    TMailMes mail{Shop, to, subject, QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)), QString(), body};
    QString error;
    QVERIFY2(f.dm2->archiveMail(mail, sent, &error), qPrintable(error));
}

TFrmMailArsiv *TestFrmMailArsiv::openWindow()
{
    TFrmMailArsiv *w = OpenMailArchive();
    w->resize(1100, 700);
    if (!QTest::qWaitForWindowExposed(w))
        qWarning("the archive window did not show");
    return w;
}

void TestFrmMailArsiv::chooseFolder(int folder)
{
    FrmMailArsiv->TreeView1->setCurrentItem(FrmMailArsiv->TreeView1->topLevelItem(folder));
}

void TestFrmMailArsiv::folders_data()
{
    QTest::addColumn<int>("folder");
    QTest::addColumn<QStringList>("subjects");
    QTest::newRow("All mail") << 0 << QStringList{"Overdue", "Yeni filmler", "Yeni filmler"};
    QTest::newRow("Sent mails") << 1 << QStringList{"Overdue", "Yeni filmler"};
    QTest::newRow("Not sending mails") << 2 << QStringList{"Yeni filmler"};
}

void TestFrmMailArsiv::folders()
{
    QFETCH(int, folder);
    QFETCH(QStringList, subjects);
    TFrmMailArsiv *w = openWindow();
    QCOMPARE(w->StatusPanels[0]->text(), QStringLiteral("  Mail"));
    const QStringList names{"All mail", "Sent mails", "Not sending mails"};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(w->TreeView1->topLevelItem(i)->text(0), names[i]);
    if (folder == 0) // choose another first, so that choosing All is a change
        chooseFolder(1);
    chooseFolder(folder);
    QCOMPARE(w->folder(), folder);
    QStringList shown;
    DataSet *mail = f.dm2->MailNav;
    for (int r = 0; r < mail->recordCount(); ++r)
        shown << mail->valueAt(r, mail->fieldIndex(QStringLiteral("Konu"))).toString();
    shown.sort();
    QCOMPARE(shown, subjects);
    QCOMPARE(w->StatusPanels[0]->text(), QStringLiteral("  %1 mail message").arg(subjects.size()));
}

void TestFrmMailArsiv::readingPane_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("rich text") << QByteArray("<p>Dear <b>Ali</b>,</p><p>the DVD is due.</p>")
                               << QStringLiteral("Dear Ali,\nthe DVD is due.");
    QTest::newRow("plain text of an older row") << QByteArray("Sayın Ali,\r\n\r\niade 1 < 2") << QStringLiteral("Sayın Ali,\n\niade 1 < 2");
    QTest::newRow("empty body") << QByteArray() << QString();
}

void TestFrmMailArsiv::readingPane()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, shown);
    archiveAttempt(QStringLiteral("ali@127.0.0.1, veli@127.0.0.1"), QStringLiteral("Read me"), stored, true);
    TFrmMailArsiv *w = openWindow();
    f.dm2->MailNav->last();
    QCOMPARE(w->LblFrom->text(), Shop);
    QCOMPARE(w->LblTo->text(), QStringLiteral("ali@127.0.0.1, veli@127.0.0.1"));
    QCOMPARE(w->LblSubject->text(), QStringLiteral("Read me"));
    QCOMPARE(w->RichEdit1->toPlainText().replace(u'\r', QString()), shown);
}

void TestFrmMailArsiv::deletingTheLastSentMail()
{
    TFrmMailArsiv *w = openWindow();
    chooseFolder(1);
    // Refused first: nothing goes, the folder is listed again.
    f.prompts->expect(Icon::Warning, QStringLiteral("Kaydı silmek istediğinize eminmisiniz ?"), Answer::No);
    w->DBGrid1->setFocus();
    QTest::keyClick(w->DBGrid1, Qt::Key_Delete);
    QCOMPARE(f.dm2->MailNav->recordCount(), 2);
    for (int i = 0; i < 2; ++i) {
        f.prompts->expect(Icon::Warning, QStringLiteral("Kaydı silmek istediğinize eminmisiniz ?"), Answer::Yes);
        w->PopupMenu2->actions().first()->trigger(); // "Sil"
    }
    QCOMPARE(f.dm2->MailNav->recordCount(), 0);
    QVERIFY(f.dm2->MailNav->isOpen());
    QCOMPARE(archive().size(), 1); // the unsent one stays
    QCOMPARE(w->folder(), 1);
    QCOMPARE(w->StatusPanels[0]->text(), QStringLiteral("  2 mail message")); // counted when chosen
    QCOMPARE(w->LblSubject->text(), QString());
    QCOMPARE(w->RichEdit1->toPlainText(), QString());
    // Nothing left: nothing asked.
    w->PopupMenu2->actions().first()->trigger();
}

void TestFrmMailArsiv::sendingListsEveryMessage()
{
    MailSender::setMaker([](QObject *parent) { return new AlwaysSent(parent); });
    TFrmMailArsiv *w = openWindow();
    chooseFolder(2);
    QCOMPARE(f.dm2->MailNav->recordCount(), 1);
    CustomerTest::whenShown<TFrmMail>(FrmMail, [](TFrmMail *mail) {
        QVERIFY(mail->EdTo->text().isEmpty());
        mail->EdTo->setText(QStringLiteral("veli@127.0.0.1"));
        mail->EdSubject->setText(QStringLiteral("Hello"));
        mail->tbSend->click();
    });
    f.prompts->expect(Icon::Information, QStringLiteral("Your message is sent successfuly."));
    w->tbNewMail->click();
    QCOMPARE(archive().size(), 4);
    QCOMPARE(f.dm2->MailNav->recordCount(), 4); // every message...
    QCOMPARE(w->TreeView1->currentItem(), w->TreeView1->topLevelItem(2)); // ...while "Not sending mails" stays marked
    QCOMPARE(w->StatusPanels[0]->text(), QStringLiteral("  1 mail message"));
    // A click on the marked folder lists it again.
    const QRect at = w->TreeView1->visualItemRect(w->TreeView1->topLevelItem(2));
    QTest::mouseClick(w->TreeView1->viewport(), Qt::LeftButton, {}, at.center());
    QCOMPARE(f.dm2->MailNav->recordCount(), 1);
}

void TestFrmMailArsiv::nextWindowStartsOnTheLastFolder()
{
    TFrmMailArsiv *w = openWindow();
    chooseFolder(1);
    w->tbClose->click();
    QTRY_VERIFY(!FrmMailArsiv);
    QVERIFY(!f.dm2->MailNav->isOpen());
    QVERIFY(!f.dm2->Musteri->isOpen());
    w = openWindow();
    QCOMPARE(f.dm2->MailNav->recordCount(), 2);
    QCOMPARE(w->TreeView1->currentItem(), w->TreeView1->topLevelItem(1));
    QCOMPARE(w->folder(), 1);
}

void TestFrmMailArsiv::mailToACustomerAndPrint()
{
    QVERIFY(addCustomers({{QStringLiteral("Ali Veli"), QStringLiteral("ali@127.0.0.1")},
                          {QStringLiteral("Zeynep Ak"), QStringLiteral("zeynep@127.0.0.1")}}));
    TFrmMailArsiv *w = openWindow();
    // The mail account is set on the service window's mail page.
    int page = -1;
    CustomerTest::whenShown<TFrmServis>(FrmServis, [&](TFrmServis *service) {
        page = service->PageControl1->currentIndex();
        service->close();
    });
    w->tbSMTP->click();
    QCOMPARE(page, int(TFrmServis::MailPage));
    f.dm2->Musteri->last();
    QString to;
    bool locked = true;
    CustomerTest::whenShown<TFrmMail>(FrmMail, [&](TFrmMail *mail) {
        to = mail->EdTo->text();
        locked = !mail->EdTo->isEnabled();
        mail->tbClose->click();
    });
    w->PopupMenu1->actions().first()->trigger(); // "Mail gönder"
    QCOMPARE(to, QStringLiteral("zeynep@127.0.0.1"));
    QVERIFY(!locked);
    QVERIFY(!FrmMail);

    f.dm2->MailNav->first();
    w->tbPrint->click();
    QCOMPARE(f.preview->titles, QStringList{QStringLiteral("Mail Message")});
    QCOMPARE(f.preview->params.value(QStringLiteral("Alici")), QStringLiteral("ali@127.0.0.1"));
    QCOMPARE(f.preview->params.value(QStringLiteral("Konu")), QStringLiteral("Overdue"));
    QVERIFY(f.preview->params.value(QStringLiteral("Message")).contains(QStringLiteral("<b>return</b>")));
}

QTEST_MAIN(TestFrmMailArsiv)
#include "tst_frmmailarsiv.moc"
