// The SMTP client against a real server on 127.0.0.1: what arrives (envelope,
// headers, Turkish text, both forms of the body), STARTTLS when the server
// offers it, the reasons it gives when a send fails, and an event loop that
// keeps running while the server takes its time.
#include "components/SmtpClient.h"
#include "support/SmtpPeer.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestSmtpClient : public QObject
{
    Q_OBJECT

private slots:
    void delivers_data();
    void delivers();
    void failures_data();
    void failures();
    void eventLoopRunsWhileTheServerWaits();

private:
    // Sends and waits for the end; the finished signal's arguments.
    static QList<QVariant> sendAndWait(SmtpClient &client, const SmtpAccount &account, const MailMessage &message,
                                       QStringList *statuses = nullptr, qint64 *lastProgress = nullptr);
};

QList<QVariant> TestSmtpClient::sendAndWait(SmtpClient &client, const SmtpAccount &account, const MailMessage &message,
                                            QStringList *statuses, qint64 *lastProgress)
{
    QSignalSpy done(&client, &MailSender::finished);
    QSignalSpy status(&client, &MailSender::status);
    QSignalSpy progress(&client, &MailSender::progress);
    client.send(account, message);
    if (!done.wait(20000))
        return {};
    if (statuses)
        for (const auto &s : status)
            *statuses << s.first().toString();
    if (lastProgress)
        *lastProgress = progress.isEmpty() ? 0 : progress.last().first().toLongLong();
    return done.first();
}

void TestSmtpClient::delivers_data()
{
    QTest::addColumn<QStringList>("to");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("html");
    QTest::addColumn<bool>("starttls");

    QTest::newRow("one recipient, plain text") << QStringList{QStringLiteral("ali@127.0.0.1")}
                                               << QStringLiteral("Your rental is due") << QStringLiteral("Please bring it back.")
                                               << QString() << false;
    QTest::newRow("two recipients, Turkish, rich form too")
        << QStringList{QStringLiteral("ayse@127.0.0.1"), QStringLiteral("ismail@127.0.0.1")}
        << QStringLiteral("Gecikmiş kiralama: İĞÜŞÖÇ ığüşöç") << QStringLiteral("Sayın müşterimiz,\nfilminizi iade ediniz. Şükran.")
        << QStringLiteral("<p>Sayın müşterimiz,</p><p><b>filminizi</b> iade ediniz. Şükran.</p>") << false;
    QTest::newRow("long Turkish subject folds") << QStringList{QStringLiteral("a@127.0.0.1")}
                                                << QStringLiteral("Çok uzun konu ").repeated(11) << QStringLiteral("x")
                                                << QString() << false;
    QTest::newRow("STARTTLS offered is used") << QStringList{QStringLiteral("a@127.0.0.1")}
                                              << QStringLiteral("Over TLS") << QStringLiteral("Şifreli.") << QString() << true;
}

void TestSmtpClient::delivers()
{
    QFETCH(QStringList, to);
    QFETCH(QString, subject);
    QFETCH(QString, text);
    QFETCH(QString, html);
    QFETCH(bool, starttls);

    QTemporaryDir certs;
    SmtpPeer::Options options;
    SmtpAccount account;
    if (starttls) {
        if (!SmtpPeer::makeCertificate(certs.path(), &options.certFile, &options.keyFile))
            QSKIP("openssl is needed to make the test server's certificate");
        account.caFile = options.certFile;
    }
    SmtpPeer peer(options);
    QVERIFY2(peer.isRunning(), qPrintable(peer.error()));
    account.server = peer.server();
    account.user = options.user;
    account.password = options.password;

    MailMessage message;
    message.from = options.user;
    message.to = to;
    message.subject = subject;
    message.text = text;
    message.html = html;
    SmtpClient client;
    QStringList statuses;
    qint64 bytes = 0;
    const QList<QVariant> result = sendAndWait(client, account, message, &statuses, &bytes);
    QCOMPARE(result.size(), 2);
    QVERIFY2(result.at(0).toBool(), qPrintable(result.at(1).toString()));
    QVERIFY(bytes > text.size());
    QVERIFY(!statuses.isEmpty());

    const QList<QJsonObject> got = peer.messages(1);
    QCOMPARE(got.size(), 1);
    const QJsonObject m = got.first();
    QCOMPARE(m.value("mail_from").toString(), options.user);
    QStringList rcpt;
    for (const QJsonValue v : m.value("rcpt_tos").toArray())
        rcpt << v.toString();
    QCOMPARE(rcpt, to);
    QCOMPARE(m.value("login").toString(), options.user);
    QCOMPARE(m.value("mechanism").toString(), QStringLiteral("LOGIN"));
    QCOMPARE(m.value("tls").toBool(), starttls);
    const QJsonObject headers = m.value("headers").toObject();
    for (const char *h : {"Date", "Message-ID", "From", "To", "Subject"})
        QVERIFY2(headers.contains(QLatin1String(h)), h);
    QCOMPARE(headers.value("From").toString(), options.user);
    QCOMPARE(headers.value("To").toString(), to.join(QStringLiteral(", ")));
    QVERIFY(headers.value("Message-ID").toString().endsWith(QStringLiteral("@127.0.0.1>")));
    QVERIFY(!QDateTime::fromString(headers.value("Date").toString(), Qt::RFC2822Date).isNull());
    QCOMPARE(m.value("subject").toString(), subject);
    const QJsonObject parts = m.value("parts").toObject();
    QCOMPARE(parts.value("text/plain").toString().trimmed(), text.trimmed());
    QCOMPARE(parts.contains("text/html"), !html.isEmpty());
    if (!html.isEmpty())
        QCOMPARE(parts.value("text/html").toString().trimmed(), html);
}

void TestSmtpClient::failures_data()
{
    QTest::addColumn<QString>("server"); // "peer": the running test server
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("reason");

    QTest::newRow("wrong password") << QStringLiteral("peer") << QStringLiteral("wrong") << QStringLiteral("Login denied");
    QTest::newRow("nobody listens") << QStringLiteral("127.0.0.1:%1").arg(SmtpPeer::unusedPort())
                                    << QStringLiteral("secret") << QStringLiteral("connect");
    QTest::newRow("no server set") << QStringLiteral("  ") << QStringLiteral("secret") << QStringLiteral("No SMTP server is set.");
    QTest::newRow("bad port") << QStringLiteral("127.0.0.1:99999") << QStringLiteral("secret")
                              << QStringLiteral("is not an SMTP server name");
}

void TestSmtpClient::failures()
{
    QFETCH(QString, server);
    QFETCH(QString, password);
    QFETCH(QString, reason);
    SmtpPeer peer;
    QVERIFY2(peer.isRunning(), qPrintable(peer.error()));
    const SmtpAccount account{server == QLatin1String("peer") ? peer.server() : server, QStringLiteral("shop@127.0.0.1"),
                              password, QString()};
    MailMessage message;
    message.from = account.user;
    message.to = {QStringLiteral("a@127.0.0.1")};
    message.subject = QStringLiteral("Nothing");
    SmtpClient client;
    const QList<QVariant> result = sendAndWait(client, account, message);
    QCOMPARE(result.size(), 2);
    QVERIFY(!result.at(0).toBool());
    QVERIFY2(result.at(1).toString().contains(reason, Qt::CaseInsensitive), qPrintable(result.at(1).toString()));
    QVERIFY(peer.messages(0, 0).isEmpty());
}

void TestSmtpClient::eventLoopRunsWhileTheServerWaits()
{
    SmtpPeer::Options options;
    options.delaySeconds = 2;
    SmtpPeer peer(options);
    QVERIFY2(peer.isRunning(), qPrintable(peer.error()));
    MailMessage message;
    message.from = options.user;
    message.to = {QStringLiteral("a@127.0.0.1")};
    message.subject = QStringLiteral("Slow");
    SmtpClient client;
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(50);
    QElapsedTimer clock;
    clock.start();
    const QList<QVariant> result =
        sendAndWait(client, {peer.server(), options.user, options.password, QString()}, message);
    QCOMPARE(result.size(), 2);
    QVERIFY2(result.at(0).toBool(), qPrintable(result.at(1).toString()));
    QVERIFY(clock.elapsed() >= 2000);
    QVERIFY2(ticks >= 25, qPrintable(QString::number(ticks))); // the loop ran all along
}

QTEST_MAIN(TestSmtpClient)
#include "tst_smtpclient.moc"
