#include "SmtpPeer.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>

SmtpPeer::SmtpPeer(const Options &options)
{
    const QString script = QStringLiteral(VEXARO_TEST_SUPPORT_DIR "/smtp_peer.py");
    QStringList args{script, QStringLiteral("--user"), options.user, QStringLiteral("--password"), options.password};
    if (options.delaySeconds > 0)
        args << QStringLiteral("--delay") << QString::number(options.delaySeconds);
    if (!options.certFile.isEmpty())
        args << QStringLiteral("--cert") << options.certFile << QStringLiteral("--key") << options.keyFile;
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(QStringLiteral("/usr/bin/python3"), args);
    if (!m_process.waitForStarted(5000)) {
        m_error = m_process.errorString();
        return;
    }
    QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        m_process.waitForReadyRead(100);
        m_buffer += m_process.readAllStandardOutput();
        const qsizetype nl = m_buffer.indexOf('\n');
        if (nl >= 0 && m_buffer.startsWith("READY ")) {
            m_port = m_buffer.mid(6, nl - 6).trimmed().toInt();
            m_buffer.remove(0, nl + 1);
            return;
        }
    }
    m_error = QString::fromLocal8Bit(m_process.readAllStandardError());
}

SmtpPeer::~SmtpPeer()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.closeWriteChannel(); // the server ends when its input does
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

void SmtpPeer::readLines()
{
    m_buffer += m_process.readAllStandardOutput();
    qsizetype nl;
    while ((nl = m_buffer.indexOf('\n')) >= 0) {
        const QByteArray line = m_buffer.left(nl).trimmed();
        m_buffer.remove(0, nl + 1);
        const QJsonDocument doc = QJsonDocument::fromJson(line);
        if (doc.isObject())
            m_messages << doc.object();
    }
}

QList<QJsonObject> SmtpPeer::messages(int atLeast, int waitMs)
{
    readLines();
    QDeadlineTimer deadline(waitMs);
    while (m_messages.size() < atLeast && !deadline.hasExpired()) {
        QTest::qWait(20);
        readLines();
    }
    return m_messages;
}

int SmtpPeer::unusedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    return port;
}

bool SmtpPeer::makeCertificate(const QString &folder, QString *certFile, QString *keyFile)
{
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (openssl.isEmpty())
        return false;
    *certFile = folder + QStringLiteral("/peer.crt");
    *keyFile = folder + QStringLiteral("/peer.key");
    QProcess p;
    p.start(openssl, {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                      QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                      QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
                      QStringLiteral("-keyout"), *keyFile, QStringLiteral("-out"), *certFile});
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}
