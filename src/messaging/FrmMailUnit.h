#pragma once

#include "app/WindowRegistry.h"

#include <QDialog>
#include <QPointer>
#include <memory>

class KeyPreview;
class MailSender;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;
class QToolButton;

// "E-Mail": writes one message to one or more customers and sends it over the
// shop's SMTP account. Every attempt that gets past the two checks is kept in
// the mail archive, sent or not; after a failure the window stays as typed so
// the clerk can correct and send again.
class TFrmMail : public QDialog
{
    Q_OBJECT

public:
    explicit TFrmMail(QWidget *parent = nullptr);
    ~TFrmMail() override;

    QLabel *Label1;           // the sender line
    QPushButton *btnTo;       // "To   :"
    QLineEdit *EdTo;          // the recipients, separated by commas
    QLineEdit *EdSubject;
    QTextEdit *RichEdit1;     // the message
    QToolButton *tbSend, *tbClose;
    QList<QLabel *> StatusPanels;

    // Writing to one customer only: the recipients stay as given.
    void lockRecipients();
    bool isSending() const { return m_sending; }

public slots:
    void btnToClick();
    void tbSendClick();

signals:
    // A send ended, the archive row is written and the message shown.
    void sendFinished(bool sent);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void ClientStatus(const QString &text);
    void ClientProgress(qint64 bytes);
    void SendFinished(bool ok, const QString &error);
    void setSending(bool on);

    KeyPreview *m_keys = nullptr;
    MailSender *m_client = nullptr;
    bool m_sending = false;
    bool m_locked = false;
    struct Pending;
    std::unique_ptr<Pending> m_pending;
};

// Opens the e-mail window modally (creating it when it does not exist) with
// the recipients filled in, and waits until it closes. With lockRecipients
// the recipient box and the recipient list button are disabled: a message to
// the one customer the caller names. Every window that mails customers opens
// it through here.
int OpenMailWindow(QWidget *parent, const QString &recipients = QString(), bool lockRecipients = false);
