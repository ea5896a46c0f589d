#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

// A real SMTP server on 127.0.0.1 for the life of the object (Python
// aiosmtpd, smtp_peer.py beside this file), with AUTH LOGIN for one account.
// Each message it accepts comes back as a JSON object: mail_from, rcpt_tos,
// login, mechanism, tls, headers, subject (decoded) and parts (decoded body
// by content type).
class SmtpPeer
{
public:
    struct Options
    {
        QString user = QStringLiteral("shop@127.0.0.1");
        QString password = QStringLiteral("secret");
        double delaySeconds = 0; // waits before answering the message
        QString certFile, keyFile; // offer STARTTLS with this certificate
    };

    SmtpPeer() : SmtpPeer(Options()) {}
    explicit SmtpPeer(const Options &options);
    ~SmtpPeer();

    bool isRunning() const { return m_port > 0; }
    QString error() const { return m_error; }
    int port() const { return m_port; }
    QString server() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

    // The messages received so far (waits up to the time for one more when
    // fewer than `atLeast` have come).
    QList<QJsonObject> messages(int atLeast = 0, int waitMs = 5000);

    // A port on 127.0.0.1 where nothing listens.
    static int unusedPort();
    // A self-signed certificate for 127.0.0.1 made with openssl; false when
    // openssl is not installed.
    static bool makeCertificate(const QString &folder, QString *certFile, QString *keyFile);

private:
    void readLines();
    QProcess m_process;
    QByteArray m_buffer;
    QList<QJsonObject> m_messages;
    int m_port = 0;
    QString m_error;
};
