#include "messaging/FrmMailUnit.h"

#include "components/KeyPreview.h"
#include "components/PromptService.h"
#include "components/SmtpClient.h"
#include "components/WindowKit.h"
#include "data/Dm2Unit.h"
#include "data/TariffCache.h"
#include "messaging/FrmMailArsivUnit.h"
#include "messaging/FrmMailListUnit.h"
#include "app/Helpers.h"
#include "app/WindowRegistry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString NoRecipientText = QStringLiteral("You can t send mail without entering a mail address.");
const QString NoAccountText = QStringLiteral("You can t send mail without doing SMTP settings.");
const QString SentText = QStringLiteral("Your message is sent successfuly.");
const QString NotSentText = QStringLiteral("Please check E-mail settings your mail isn t sent.");
const QString SentNotArchivedText =
    QStringLiteral("Your message is sent, but it could not be written to the mail archive:");
const QString NotSentNotArchivedText =
    QStringLiteral("Your message is not sent, and the attempt could not be written to the mail archive:");

} // namespace

// The attempt under way: what is archived when the client has answered.
struct TFrmMail::Pending
{
    TMailMes mail;
};

TFrmMail::TFrmMail(QWidget *parent) : QDialog(parent)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("FrmMail"));
    setWindowTitle(QStringLiteral("E-Mail"));
    setAccessibleName(windowTitle());
    setModal(true);

    // --- sender, recipients, subject
    auto *head = new QWidget(this);
    auto *grid = new QGridLayout(head);
    grid->setContentsMargins(8, 8, 8, 4);
    auto *senderCaption = new QLabel(QStringLiteral("Sender"), head);
    Label1 = Kit::valueLabel(head, QStringLiteral("Label1"), QStringLiteral("Sender"));
    Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    btnTo = new QPushButton(QStringLiteral("To   :"), head);
    btnTo->setObjectName(QStringLiteral("btnTo"));
    btnTo->setAccessibleName(QStringLiteral("To"));
    btnTo->setToolTip(QStringLiteral("Choose the recipients from the customer list"));
    btnTo->setAutoDefault(false);
    EdTo = new QLineEdit(head);
    EdTo->setObjectName(QStringLiteral("EdTo"));
    EdTo->setAccessibleName(QStringLiteral("To"));
    EdTo->setPlaceholderText(QStringLiteral("name@example.com, other@example.com"));
    auto *subjectCaption = new QLabel(QStringLiteral("Subject"), head);
    EdSubject = new QLineEdit(head);
    EdSubject->setObjectName(QStringLiteral("EdSubject"));
    EdSubject->setAccessibleName(QStringLiteral("Subject"));
    subjectCaption->setBuddy(EdSubject);
    grid->addWidget(senderCaption, 0, 0);
    grid->addWidget(Label1, 0, 1);
    grid->addWidget(btnTo, 1, 0);
    grid->addWidget(EdTo, 1, 1);
    grid->addWidget(subjectCaption, 2, 0);
    grid->addWidget(EdSubject, 2, 1);
    grid->setColumnStretch(1, 1);

    // --- the message, with the few formats a clerk uses
    const Kit::Band heading = Kit::band(this, QStringLiteral("Message"), QColor(224, 228, 236), Qt::black);
    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setAccessibleName(QStringLiteral("Message"));
    RichEdit1->setAcceptRichText(true);
    struct Format { const char *name, *caption, *hint; };
    for (const Format &f : {Format{"tbBold", "B", "Bold"}, Format{"tbItalic", "I", "Italic"},
                            Format{"tbUnderline", "U", "Underline"}}) {
        auto *b = new QToolButton(heading.frame);
        b->setObjectName(QLatin1String(f.name));
        b->setText(QLatin1String(f.caption));
        b->setToolTip(QLatin1String(f.hint));
        b->setAccessibleName(QLatin1String(f.hint));
        b->setCheckable(true);
        b->setAutoRaise(true);
        QFont font = b->font();
        font.setBold(f.caption[0] == 'B');
        font.setItalic(f.caption[0] == 'I');
        font.setUnderline(f.caption[0] == 'U');
        b->setFont(font);
        heading.buttons->addWidget(b);
        connect(b, &QToolButton::toggled, this, [this, c = f.caption[0]](bool on) {
            if (c == 'B')
                RichEdit1->setFontWeight(on ? QFont::Bold : QFont::Normal);
            else if (c == 'I')
                RichEdit1->setFontItalic(on);
            else
                RichEdit1->setFontUnderline(on);
            RichEdit1->setFocus();
        });
        connect(RichEdit1, &QTextEdit::currentCharFormatChanged, b, [b, c = f.caption[0]](const QTextCharFormat &cf) {
            const QSignalBlocker block(b);
            b->setChecked(c == 'B' ? cf.fontWeight() >= QFont::Bold : c == 'I' ? cf.fontItalic() : cf.fontUnderline());
        });
    }

    // --- Send, Close
    auto *toolbar = new QFrame(this);
    toolbar->setObjectName(QStringLiteral("ToolBar1"));
    toolbar->setFrameShape(QFrame::StyledPanel);
    tbSend = Kit::toolButton(toolbar, QStringLiteral("tbSend"), QStringLiteral("Send"), QStringLiteral("post"),
                             Kit::Caption::Beside, QStringLiteral("Send the message"));
    tbClose = Kit::toolButton(toolbar, QStringLiteral("tbClose"), QStringLiteral("Close"), QStringLiteral("exit"),
                              Kit::Caption::Beside, QStringLiteral("Close without sending"));
    auto *tools = new QHBoxLayout(toolbar);
    tools->setContentsMargins(4, 2, 4, 2);
    tools->addStretch();
    tools->addWidget(tbSend);
    tools->addWidget(tbClose);

    const Kit::StatusPanels status = Kit::statusBar(this, {QStringLiteral("Statu : ")});
    StatusPanels = status.panels;

    Kit::stack(this, {head, heading.frame, static_cast<QWidget *>(RichEdit1), toolbar, status.bar}, RichEdit1);
    resize(680, 540);

    connect(btnTo, &QPushButton::clicked, this, &TFrmMail::btnToClick);
    connect(tbSend, &QToolButton::clicked, this, &TFrmMail::tbSendClick);
    connect(tbClose, &QToolButton::clicked, this, &TFrmMail::close);
    m_keys = new KeyPreview(this);

    m_client = MailSender::create(this);
    connect(m_client, &MailSender::status, this, &TFrmMail::ClientStatus);
    connect(m_client, &MailSender::progress, this, &TFrmMail::ClientProgress);
    connect(m_client, &MailSender::finished, this, &TFrmMail::SendFinished);
}

TFrmMail::~TFrmMail()
{
    if (m_sending)
        QApplication::restoreOverrideCursor();
}

void TFrmMail::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    Kit::setValue(Label1, TariffCache::instance().MailAdres);
}

void TFrmMail::lockRecipients()
{
    m_locked = true;
    EdTo->setEnabled(false);
    btnTo->setEnabled(false);
}

void TFrmMail::btnToClick()
{
    if (!FrmMailList) {
        FrmMailList = new TFrmMailList(this);
        connect(FrmMailList, &TFrmMailList::listChosen, EdTo, &QLineEdit::setText);
    }
    showModalWindow(FrmMailList, [this] { return new TFrmMailList(this); });
}

void TFrmMail::tbSendClick()
{
    if (m_sending)
        return;
    if (EdTo->text().trimmed().isEmpty()) {
        Prompt::warning(NoRecipientText);
        return;
    }
    const TariffCache &account = TariffCache::instance();
    if (account.MailAdres.trimmed().isEmpty()) {
        Prompt::warning(NoAccountText);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QDateTime now = QDateTime::currentDateTime();
    MailMessage message;
    message.from = account.MailAdres.trimmed();
    message.to = MailMessage::splitAddresses(EdTo->text());
    message.subject = EdSubject->text();
    message.text = RichEdit1->toPlainText();
    const bool empty = RichEdit1->document()->isEmpty();
    message.html = empty ? QString() : RichEdit1->toHtml();
    message.date = now;

    m_pending = std::make_unique<Pending>();
    TMailMes &mail = m_pending->mail;
    mail.Gonderen = account.MailAdres.left(100);
    mail.Alici = message.toHeader().left(100);
    mail.Konu = message.subject.left(100);
    mail.Tarih = now;
    mail.Mesaj = message.text;
    mail.RichText = message.html.toUtf8();

    SmtpAccount smtp;
    smtp.server = account.MailSMTP;
    smtp.user = account.MailAdres.trimmed();
    smtp.password = account.MailSifre;
    setSending(true);
    m_client->send(smtp, message);
}

void TFrmMail::setSending(bool on)
{
    m_sending = on;
    tbSend->setEnabled(!on);
    tbClose->setEnabled(!on);
    btnTo->setEnabled(!on && !m_locked);
}

void TFrmMail::ClientStatus(const QString &text)
{
    StatusPanels[0]->setText(QStringLiteral("Statu : ") + text);
}

void TFrmMail::ClientProgress(qint64 bytes)
{
    StatusPanels[0]->setText(QStringLiteral("Bytes Sending : ") + QString::number(bytes));
}

void TFrmMail::SendFinished(bool ok, const QString &error)
{
    setSending(false);
    QApplication::restoreOverrideCursor();
    // The archive is the shop's only record of what was sent: a row it
    // refused is told (with whether the mail went out) and logged.
    QString archiveError;
    if (m_pending && !Dm2->archiveMail(m_pending->mail, ok, &archiveError)) {
        WriteErrorLog(archiveError);
        Prompt::error((ok ? SentNotArchivedText : NotSentNotArchivedText) + u'\n' + archiveError);
    }
    m_pending.reset();
    if (ok) {
        Prompt::information(SentText);
        RefreshMailArchive();
        emit sendFinished(true);
        accept();
        return;
    }
    Prompt::error(NotSentText + u'\n' + error);
    emit sendFinished(false);
}

void TFrmMail::reject()
{
    // The send must come back before the window may go: its answer is archived.
    if (m_sending)
        return;
    QDialog::reject();
}

void TFrmMail::closeEvent(QCloseEvent *event)
{
    if (m_sending) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

int OpenMailWindow(QWidget *parent, const QString &recipients, bool lockRecipients)
{
    if (!FrmMail)
        FrmMail = new TFrmMail(parent);
    Kit::setValue(FrmMail->Label1, TariffCache::instance().MailAdres);
    if (!recipients.isEmpty())
        FrmMail->EdTo->setText(recipients);
    if (lockRecipients)
        FrmMail->lockRecipients();
    return showModalWindow(FrmMail, [parent] { return new TFrmMail(parent); });
}
