#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>

class QThread;

// The mail account the shop sends from.
struct SmtpAccount
{
    // "host" (port 25) or "host:port"; "[::1]:2525" for an IPv6 address.
    QString server;
    QString user;
    QString password;
    // Certificates to trust besides the system's (a shop's own mail server
    // with a home-made certificate); empty: the system's only.
    QString caFile;
};

// One outgoing message. The body goes out as plain text, with its rich form
// (HTML) as an alternative part when one is given.
struct MailMessage
{
    QString from;
    QStringList to;
    QString subject;
    QString text;
    QString html;
    QDateTime date; // the Date: header; now when not set

    // Splits a recipient box ("a@x.com, b@y.com") into addresses; blanks and
    // empty entries are dropped.
    static QStringList splitAddresses(const QString &list);
    // The recipients as the To: header shows them.
    QString toHeader() const { return to.join(QStringLiteral(", ")); }
};

// Sends mail in the background. Status texts and the count of bytes sent so
// far arrive as signals while the caller's event loop keeps running; finished
// comes once per send, with the reason when it failed.
class MailSender : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    virtual void send(const SmtpAccount &account, const MailMessage &message) = 0;
    virtual bool isBusy() const = 0;

    // The sender the program uses; tests may install another maker.
    using Maker = std::function<MailSender *(QObject *parent)>;
    static MailSender *create(QObject *parent);
    static void setMaker(Maker maker);

signals:
    void status(const QString &text);
    void progress(qint64 bytesSent);
    void finished(bool ok, const QString &error);
};

// The sender over SMTP with libcurl, on a worker thread: AUTH LOGIN, and
// STARTTLS whenever the server offers it (a server that does not offer it
// gets the password in clear, as AUTH LOGIN always sends it).
class SmtpClient : public MailSender
{
    Q_OBJECT

public:
    explicit SmtpClient(QObject *parent = nullptr);
    // Abandons a send in progress and waits for the worker to stop.
    ~SmtpClient() override;

    void send(const SmtpAccount &account, const MailMessage &message) override;
    bool isBusy() const override { return m_busy; }

    // "host", port; false when the text names no host or a bad port.
    static bool parseServer(const QString &server, QString *host, int *port);
    // A header value in RFC 2047 encoded words when it is not plain ASCII.
    static QByteArray encodeHeader(const QString &value);

private:
    struct Result
    {
        bool ok = false;
        QString error;
    };
    Result run(const SmtpAccount &account, const MailMessage &message);

    QThread *m_thread = nullptr;
    std::atomic_bool m_busy = false;
    std::atomic_bool m_cancel = false;
};
