#include "shell/FrmHakkindaUnit.h"

#include "app/Helpers.h"
#include "app/WindowRegistry.h"

#include <QDesktopServices>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

// The maker's addresses are placeholders until the shop's own are known.
const QString TFrmHakkinda::WebAddress = QStringLiteral("www.quillon.example.com");
const QString TFrmHakkinda::SupportAddress = QStringLiteral("support@quillon.example.com");
const QString TFrmHakkinda::Telephones = QStringLiteral("Tel: +90 (212) 555 01 00 - 555 01 01");

std::function<bool(const QUrl &)> TFrmHakkinda::openUrl = [](const QUrl &url) {
    return QDesktopServices::openUrl(url);
};

QUrl TFrmHakkinda::supportMailUrl()
{
    return QUrl(QStringLiteral("Mailto:") + SupportAddress + QStringLiteral("?subject=VEXARO Software"));
}

namespace {

QLabel *textLabel(QWidget *parent, const QString &text, const QString &name, const QColor &colour, bool link)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setAccessibleName(text);
    QFont f(QStringLiteral("Tahoma"), 8);
    f.setBold(true);
    if (link)
        f.setUnderline(true);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colour);
    l->setPalette(p);
    if (link)
        l->setCursor(Qt::PointingHandCursor);
    return l;
}

} // namespace

TFrmHakkinda::TFrmHakkinda(QWidget *parent) : QDialog(parent)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("FrmHakkinda"));
    setWindowTitle(QStringLiteral("About"));
    setAccessibleName(windowTitle());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(401, 240);

    auto *title = textLabel(this, QStringLiteral("VEXARO"), QStringLiteral("TitleLabel"), Qt::white, false);
    QFont tf(QStringLiteral("Tahoma"));
    tf.setPixelSize(30);
    tf.setBold(true);
    title->setFont(tf);
    title->setGeometry(24, 22, 300, 40);
    auto *subtitle = textLabel(this, QStringLiteral("Film and game rental and sales"), QStringLiteral("SubtitleLabel"),
                               Qt::white, false);
    subtitle->setGeometry(26, 62, 300, 16);

    VersionLabel = textLabel(this, QString(), QStringLiteral("VersionLabel"), Qt::white, false);
    VersionLabel->setGeometry(26, 104, 340, 16);
    auto *maker = textLabel(this, QStringLiteral("Quillon Computer and Software Systems"), QStringLiteral("MakerLabel"),
                            Qt::white, false);
    maker->setGeometry(26, 130, 340, 16);
    const QColor linkBlue(0, 0, 255);
    WebLabel = textLabel(this, WebAddress, QStringLiteral("WebLabel"), linkBlue, true);
    WebLabel->setGeometry(26, 156, 340, 16);
    MailLabel = textLabel(this, SupportAddress, QStringLiteral("MailLabel"), linkBlue, true);
    MailLabel->setGeometry(26, 178, 340, 16);
    PhoneLabel = textLabel(this, Telephones, QStringLiteral("PhoneLabel"), linkBlue, true);
    PhoneLabel->setGeometry(26, 200, 340, 16);
    for (QLabel *l : {WebLabel, MailLabel, PhoneLabel}) {
        l->installEventFilter(this);
        l->setContentsMargins(4, 0, 4, 0);
        l->setAutoFillBackground(true);
        QPalette p = l->palette();
        p.setColor(QPalette::Window, Qt::white);
        l->setPalette(p);
        l->adjustSize();
        l->setFixedHeight(16);
    }

    CloseButton = new QToolButton(this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setAccessibleName(QStringLiteral("Close"));
    CloseButton->setAutoRaise(true);
    CloseButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    CloseButton->setGeometry(width() - 26, 4, 22, 22);
    connect(CloseButton, &QToolButton::clicked, this, &QDialog::close);
}

void TFrmHakkinda::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    VersionLabel->setText(QStringLiteral("Version  : ") + BuildVersionText());
    VersionLabel->setAccessibleName(VersionLabel->text());
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
}

bool TFrmHakkinda::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == WebLabel)
            openUrl(QUrl(QStringLiteral("http://") + WebAddress));
        else if (watched == MailLabel || watched == PhoneLabel)
            openUrl(supportMailUrl());
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmHakkinda::paintEvent(QPaintEvent *)
{
    // The picture behind the texts: a disc on a deep blue field, in a bevel.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(0, 98, 150));
    sky.setColorAt(1, QColor(0, 40, 70));
    p.fillRect(rect(), sky);
    QRadialGradient disc(QPointF(320, 70), 60);
    disc.setColorAt(0, QColor(235, 240, 250));
    disc.setColorAt(0.18, QColor(40, 60, 90));
    disc.setColorAt(0.22, QColor(200, 215, 235));
    disc.setColorAt(1, QColor(120, 150, 190));
    p.setBrush(disc);
    p.setPen(QPen(QColor(255, 255, 255, 120), 1));
    p.drawEllipse(QPointF(320, 70), 52, 52);
    p.setBrush(QColor(0, 40, 70));
    p.drawEllipse(QPointF(320, 70), 8, 8);
    p.setPen(QColor(255, 255, 255, 90));
    p.drawLine(20, 94, width() - 20, 94);
    // The bevel.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 140), 1));
    p.drawLine(0, 0, width() - 1, 0);
    p.drawLine(0, 0, 0, height() - 1);
    p.setPen(QPen(QColor(0, 0, 0, 160), 1));
    p.drawLine(width() - 1, 0, width() - 1, height() - 1);
    p.drawLine(0, height() - 1, width() - 1, height() - 1);
}
