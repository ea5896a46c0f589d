#include "shell/FrmUserXUnit.h"

#include "components/DataSet.h"
#include "components/PromptService.h"
#include "data/Dm1Unit.h"
#include "data/Session.h"
#include "shell/FrmMainUnit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QThread>
#include <QToolTip>
#include <QVBoxLayout>

bool LoggedIn = false;

namespace {

const QString DefaultAccount = QStringLiteral("QORV");

QFont boldFont(int pointSize = 0)
{
    QFont f(QStringLiteral("Tahoma"));
    f.setBold(true);
    if (pointSize > 0)
        f.setPointSize(pointSize);
    return f;
}

void styleEdit(QLineEdit *edit, const QColor &text)
{
    QPalette p = edit->palette();
    p.setColor(QPalette::Base, QToolTip::palette().color(QPalette::ToolTipBase));
    p.setColor(QPalette::Text, text);
    edit->setPalette(p);
    edit->setFont(boldFont());
}

} // namespace

TFrmUserX::TFrmUserX(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmUserX"));
    setWindowTitle(QStringLiteral("User entry"));
    setAccessibleName(windowTitle());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    auto *banner = new QFrame(this);
    banner->setObjectName(QStringLiteral("Panel1"));
    banner->setAutoFillBackground(true);
    QPalette bp = banner->palette();
    bp.setColor(QPalette::Window, QColor(128, 128, 128));
    banner->setPalette(bp);
    auto *bannerText = new QLabel(QStringLiteral("   VEXARO"), banner);
    QFont big(QStringLiteral("Tahoma"));
    big.setBold(true);
    big.setPixelSize(32);
    bannerText->setFont(big);
    QPalette tp = bannerText->palette();
    tp.setColor(QPalette::WindowText, Qt::white);
    bannerText->setPalette(tp);
    auto *bannerIcon = new QLabel(banner);
    bannerIcon->setPixmap(style()->standardIcon(QStyle::SP_DriveCDIcon).pixmap(40, 40));
    auto *bannerLayout = new QHBoxLayout(banner);
    bannerLayout->setContentsMargins(8, 10, 12, 10);
    bannerLayout->addWidget(bannerText, 1);
    bannerLayout->addWidget(bannerIcon);

    auto *userLabel = new QLabel(QStringLiteral("User Name"), this);
    auto *passLabel = new QLabel(QStringLiteral("Password"), this);
    userLabel->setFont(boldFont());
    passLabel->setFont(boldFont());
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("User Name"));
    Edit1->setMaxLength(50);
    styleEdit(Edit1, Qt::blue);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setAccessibleName(QStringLiteral("Password"));
    Edit2->setMaxLength(50);
    Edit2->setEchoMode(QLineEdit::Password);
    styleEdit(Edit2, Qt::red);
    userLabel->setBuddy(Edit1);
    passLabel->setBuddy(Edit2);
    auto *key = new QLabel(this);
    key->setPixmap(style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(20, 20));

    auto *fields = new QGridLayout;
    fields->setContentsMargins(20, 14, 20, 14);
    fields->setVerticalSpacing(4);
    fields->addWidget(userLabel, 0, 0);
    fields->addWidget(Edit1, 1, 0);
    fields->addWidget(passLabel, 2, 0);
    fields->addWidget(Edit2, 3, 0);
    fields->addWidget(key, 3, 1);

    auto *bottom = new QFrame(this);
    bottom->setFrameShape(QFrame::StyledPanel);
    BitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Close"), bottom);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setAccessibleName(QStringLiteral("Close"));
    BitBtn2->setAutoDefault(false);
    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("Ok"), bottom);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setAccessibleName(QStringLiteral("Ok"));
    BitBtn1->setDefault(true); // Enter presses it
    auto *buttons = new QHBoxLayout(bottom);
    buttons->setContentsMargins(8, 6, 8, 6);
    buttons->addStretch();
    buttons->addWidget(BitBtn2);
    buttons->addWidget(BitBtn1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(banner);
    layout->addLayout(fields);
    layout->addWidget(bottom);
    setFixedSize(320, sizeHint().height());

    connect(BitBtn1, &QPushButton::clicked, this, &TFrmUserX::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFrmUserX::BitBtn2Click);

    // Fully transparent until it fades in.
    if (fadesSupported())
        setWindowOpacity(0.0);
}

bool TFrmUserX::fadesSupported()
{
    // Where every window is composited. On X11 transparency needs a
    // compositing manager, which a plain X server lacks (the dialog would
    // then stay invisible or black): there it is simply shown and hidden.
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("windows") || platform == QLatin1String("wayland")
        || platform == QLatin1String("cocoa");
}

void TFrmUserX::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
    FormShow();
    if (!m_fadedIn) {
        m_fadedIn = true;
        QMetaObject::invokeMethod(this, &TFrmUserX::fadeIn, Qt::QueuedConnection);
    }
}

void TFrmUserX::FormShow()
{
    // The default account is offered ready-filled only while it is the one
    // account there is.
    DataSet *users = Dm1->Users;
    users->open();
    if (users->recordCount() == 1 && users->value(QStringLiteral("UserName")).toString() == DefaultAccount
        && users->value(QStringLiteral("Password")).toString() == DefaultAccount) {
        Edit1->setText(DefaultAccount);
        Edit2->setText(DefaultAccount);
    }
    users->close();
    Edit1->setFocus();
}

void TFrmUserX::fadeIn()
{
    if (!fadesSupported())
        return;
    for (int alpha = 0; alpha <= 255 && isVisible(); ++alpha) {
        QThread::msleep(2);
        setWindowOpacity(alpha / 255.0);
        QApplication::processEvents();
    }
    setWindowOpacity(1.0);
}

void TFrmUserX::fadeOut()
{
    if (!fadesSupported())
        return;
    for (int alpha = 255; alpha >= 0; --alpha) {
        QThread::msleep(1);
        setWindowOpacity(alpha / 255.0);
        QApplication::processEvents();
    }
}

void TFrmUserX::BitBtn1Click()
{
    // The texts are checked exactly as typed, blanks included.
    QString error;
    const std::optional<int> accounts = Dm1->countAccounts(Edit1->text(), Edit2->text(), &error);
    if (!accounts) {
        Prompt::error(error);
        return;
    }
    const int found = *accounts;
    if (found <= 0) {
        Prompt::error(QStringLiteral("User name or password is wrong, please check and try again !!!"));
        Edit1->clear();
        Edit2->clear();
        Edit1->setFocus();
        return;
    }
    if (Edit1->text() == DefaultAccount && Edit2->text() == DefaultAccount)
        Prompt::information(QStringLiteral("Please change user name and password after first use !!!"));
    SetFrameLogin(Edit1->text().trimmed(), Edit2->text().trimmed());
    // The windows that check the password or record who changed the ledger
    // read the login here, not from the frame.
    Session::setLogin(Edit1->text().trimmed(), Edit2->text().trimmed());
    LoggedIn = true;
    fadeOut();
    accept();
}

void TFrmUserX::BitBtn2Click()
{
    reject();
}

void TFrmUserX::reject()
{
    // Esc, "Close" and the close box all end here; without a login the
    // caller ends the program.
    if (!LoggedIn && isVisible())
        fadeOut();
    QDialog::reject();
}

void OpenLogin(QWidget *parent)
{
    if (!FrmUserX)
        FrmUserX = new TFrmUserX(parent);
    FrmUserX->exec();
}
