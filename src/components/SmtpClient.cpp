#include "components/SmtpClient.h"

#include <QHostAddress>
#include <QThread>
#include <QUuid>

#include <curl/curl.h>

namespace {

MailSender::Maker &maker()
{
    static MailSender::Maker m;
    return m;
}

// What the worker's curl callbacks need: the client to signal through, the
// last reply of the server (the reason a refusal gives), the bytes sent.
struct Transfer
{
    SmtpClient *client = nullptr;
    const std::atomic_bool *cancel = nullptr;
    QString lastReply;
    curl_off_t lastSent = -1;
};

int onProgress(void *data, curl_off_t, curl_off_t, curl_off_t, curl_off_t ulnow)
{
    auto *t = static_cast<Transfer *>(data);
    if (ulnow != t->lastSent) {
        t->lastSent = ulnow;
        emit t->client->progress(qint64(ulnow));
    }
    return *t->cancel ? 1 : 0; // a non-zero answer abandons the transfer
}

int onDebug(CURL *, curl_infotype type, char *data, size_t size, void *user)
{
    auto *t = static_cast<Transfer *>(user);
    if (type != CURLINFO_HEADER_IN)
        return 0;
    const QString line = QString::fromUtf8(data, qsizetype(size)).trimmed();
    if (line.isEmpty())
        return 0;
    t->lastReply = line;
    // 334 carries the server's base64 prompts of AUTH LOGIN: nothing to read.
    if (!line.startsWith(QLatin1String("334")))
        emit t->client->status(line);
    return 0;
}

curl_slist *append(curl_slist *list, const QByteArray &line)
{
    return curl_slist_append(list, line.constData());
}

} // namespace

MailSender *MailSender::create(QObject *parent)
{
    if (maker())
        return maker()(parent);
    return new SmtpClient(parent);
}

void MailSender::setMaker(Maker m)
{
    maker() = std::move(m);
}

QStringList MailMessage::splitAddresses(const QString &list)
{
    QStringList out;
    for (const QString &part : list.split(u','))
        if (const QString a = part.trimmed(); !a.isEmpty())
            out << a;
    return out;
}

SmtpClient::SmtpClient(QObject *parent) : MailSender(parent)
{
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    Q_UNUSED(initialised);
}

SmtpClient::~SmtpClient()
{
    m_cancel = true;
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

bool SmtpClient::parseServer(const QString &server, QString *host, int *port)
{
    QString s = server.trimmed();
    if (s.startsWith(QLatin1String("smtp://"), Qt::CaseInsensitive))
        s = s.mid(7);
    if (s.endsWith(u'/'))
        s.chop(1);
    QString h = s;
    QString p;
    if (s.startsWith(u'[')) {
        const qsizetype close = s.indexOf(u']');
        if (close < 0)
            return false;
        h = s.mid(1, close - 1);
        const QString rest = s.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(u':'))
                return false;
            p = rest.mid(1);
        }
    } else if (s.count(u':') == 1) {
        h = s.section(u':', 0, 0);
        p = s.section(u':', 1);
    }
    int number = 25;
    if (!p.isNull()) {
        bool ok = false;
        number = p.toInt(&ok);
        if (!ok || number < 1 || number > 65535)
            return false;
    }
    h = h.trimmed();
    if (h.isEmpty() || h.contains(u' ') || h.contains(u'/'))
        return false;
    *host = h;
    *port = number;
    return true;
}

QByteArray SmtpClient::encodeHeader(const QString &value)
{
    bool ascii = true;
    for (QChar c : value)
        if (c.unicode() > 126 || (c.unicode() < 32 && c != u'\t'))
            ascii = false;
    if (ascii)
        return value.toLatin1();
    // Encoded words of at most 75 characters, never splitting a letter's
    // bytes, folded onto continuation lines.
    QList<QByteArray> words;
    QByteArray chunk;
    const auto flush = [&] {
        if (!chunk.isEmpty())
            words << "=?UTF-8?B?" + chunk.toBase64() + "?=";
        chunk.clear();
    };
    for (qsizetype i = 0; i < value.size(); ++i) {
        QString letter(value[i]);
        if (value[i].isHighSurrogate() && i + 1 < value.size())
            letter += value[++i];
        const QByteArray bytes = letter.toUtf8();
        if ((chunk.size() + bytes.size() + 2) / 3 * 4 > 75 - 12)
            flush();
        chunk += bytes;
    }
    flush();
    return words.join("\r\n ");
}

void SmtpClient::send(const SmtpAccount &account, const MailMessage &message)
{
    if (m_busy)
        return;
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
    }
    m_busy = true;
    m_cancel = false;
    m_thread = QThread::create([this, account, message] {
        const Result r = run(account, message);
        m_busy = false;
        emit finished(r.ok, r.error);
    });
    m_thread->start();
}

SmtpClient::Result SmtpClient::run(const SmtpAccount &account, const MailMessage &message)
{
    Result result;
    QString host;
    int port = 25;
    if (!parseServer(account.server, &host, &port)) {
        result.error = account.server.trimmed().isEmpty()
                           ? QStringLiteral("No SMTP server is set.")
                           : QStringLiteral("\"%1\" is not an SMTP server name.").arg(account.server.trimmed());
        return result;
    }
    if (message.to.isEmpty()) {
        result.error = QStringLiteral("The message has no recipient.");
        return result;
    }
    const bool v6 = QHostAddress(host).protocol() == QAbstractSocket::IPv6Protocol;
    const QByteArray url = "smtp://" + (v6 ? "[" + host.toUtf8() + "]" : host.toUtf8()) + ':' + QByteArray::number(port);
    emit status(QStringLiteral("Connecting to %1:%2").arg(host).arg(port));

    CURL *curl = curl_easy_init();
    if (!curl) {
        result.error = QStringLiteral("The mail library cannot start.");
        return result;
    }
    char errorText[CURL_ERROR_SIZE] = {};
    Transfer transfer;
    transfer.client = this;
    transfer.cancel = &m_cancel;

    const QByteArray from = message.from.trimmed().toUtf8();
    const QByteArray user = account.user.toUtf8();
    const QByteArray password = account.password.toUtf8();
    const QByteArray caFile = account.caFile.toLocal8Bit();
    curl_slist *recipients = nullptr;
    for (const QString &to : message.to)
        recipients = append(recipients, '<' + to.toUtf8() + '>');

    const QDateTime date = message.date.isValid() ? message.date : QDateTime::currentDateTime();
    const QString domain = message.from.contains(u'@') ? message.from.section(u'@', -1).trimmed()
                                                       : QStringLiteral("vexaro.local");
    curl_slist *headers = nullptr;
    headers = append(headers, "Date: " + date.toString(Qt::RFC2822Date).toLatin1());
    headers = append(headers, "Message-ID: <" + QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + '@'
                                  + domain.toUtf8() + '>');
    headers = append(headers, "From: " + from);
    headers = append(headers, "To: " + message.toHeader().toUtf8());
    headers = append(headers, "Subject: " + encodeHeader(message.subject));

    curl_mime *mime = curl_mime_init(curl);
    const QByteArray text = message.text.toUtf8();
    const QByteArray html = message.html.toUtf8();
    const auto addText = [](curl_mime *into, const QByteArray &bytes, const char *type) {
        curl_mimepart *part = curl_mime_addpart(into);
        curl_mime_data(part, bytes.constData(), size_t(bytes.size()));
        curl_mime_type(part, type);
        curl_mime_encoder(part, "quoted-printable");
    };
    curl_slist *inline_ = nullptr;
    if (html.isEmpty()) {
        addText(mime, text, "text/plain; charset=UTF-8");
    } else {
        curl_mime *alternative = curl_mime_init(curl);
        addText(alternative, text, "text/plain; charset=UTF-8");
        addText(alternative, html, "text/html; charset=UTF-8");
        curl_mimepart *part = curl_mime_addpart(mime);
        curl_mime_subparts(part, alternative);
        curl_mime_type(part, "multipart/alternative");
        inline_ = curl_slist_append(nullptr, "Content-Disposition: inline");
        curl_mime_headers(part, inline_, 1);
    }

    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    // STARTTLS whenever the server offers it; its certificate is checked.
    curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_TRY));
    if (!caFile.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());
    if (!user.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
        curl_easy_setopt(curl, CURLOPT_LOGIN_OPTIONS, "AUTH=LOGIN");
    }
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, ('<' + from + '>').constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_MIMEPOST, mime);
    // A server that is down answers within the connect time; one that stops
    // answering midway is given two minutes of silence.
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 120L);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, onDebug);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &transfer);

    const CURLcode rc = curl_easy_perform(curl);
    if (rc == CURLE_OK) {
        result.ok = true;
    } else {
        result.error = errorText[0] ? QString::fromUtf8(errorText).trimmed()
                                    : QString::fromUtf8(curl_easy_strerror(rc));
        const QString reply = transfer.lastReply;
        if ((reply.startsWith(u'4') || reply.startsWith(u'5')) && !result.error.contains(reply))
            result.error += QStringLiteral(" (") + reply + u')';
    }
    curl_easy_cleanup(curl); // says QUIT and closes the connection, also after a failure
    curl_mime_free(mime);
    curl_slist_free_all(recipients);
    curl_slist_free_all(headers);
    emit status(QStringLiteral("Disconnected."));
    return result;
}
