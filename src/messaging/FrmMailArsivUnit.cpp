#include "messaging/FrmMailArsivUnit.h"

#include "components/BandReport.h"
#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/DataSetModel.h"
#include "components/GridColumns.h"
#include "components/KeyPreview.h"
#include "components/PromptService.h"
#include "components/WindowKit.h"
#include "data/Dm2Unit.h"
#include "messaging/FrmMailUnit.h"
#include "service/FrmServisUnit.h"
#include "reports/Report2Unit.h"
#include "app/Helpers.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const char *const FolderNames[] = {"All mail", "Sent mails", "Not sending mails"};

QLabel *headerValue(QWidget *parent, const char *name, const QString &accessible)
{
    auto *l = Kit::valueLabel(parent, QLatin1String(name), accessible);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setWordWrap(true);
    return l;
}

} // namespace

TFrmMailArsiv::TFrmMailArsiv(QWidget *parent) : QWidget(parent)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("FrmMailArsiv"));
    setWindowTitle(QStringLiteral("E-Mail archive"));
    setAccessibleName(windowTitle());
    setWindowIcon(Kit::picture(QStringLiteral("archive")));

    // --- toolbar
    auto *toolbar = new QFrame(this);
    toolbar->setObjectName(QStringLiteral("ToolBar1"));
    toolbar->setFrameShape(QFrame::StyledPanel);
    tbNewMail = Kit::toolButton(toolbar, QStringLiteral("tbNewMail"), QStringLiteral("New Mail "), QStringLiteral("new"),
                                Kit::Caption::Beside, QStringLiteral("New E-Mail >>"));
    tbSMTP = Kit::toolButton(toolbar, QStringLiteral("tbSMTP"), QStringLiteral("SMTP Settings"), QStringLiteral("service"),
                             Kit::Caption::Beside);
    tbPrint = Kit::toolButton(toolbar, QStringLiteral("tbPrint"), QStringLiteral("Print"), QStringLiteral("print"),
                              Kit::Caption::Beside, QStringLiteral("Print E-Mail"));
    tbClose = Kit::toolButton(toolbar, QStringLiteral("tbClose"), QStringLiteral("Close"), QStringLiteral("exit"),
                              Kit::Caption::Beside);
    auto *tools = new QHBoxLayout(toolbar);
    tools->setContentsMargins(2, 2, 2, 2);
    for (QToolButton *b : {tbNewMail, tbSMTP, tbPrint, tbClose})
        tools->addWidget(b);
    tools->addStretch();

    const Kit::Band title = Kit::band(this, QStringLiteral("E-Mail Archive"), QColor(0, 64, 128), Qt::white, 12);

    QSplitter *left = buildFolders();
    QSplitter *right = buildMessages();
    auto *body = new QSplitter(Qt::Horizontal);
    body->setObjectName(QStringLiteral("Splitter1"));
    body->addWidget(left);
    body->addWidget(right);
    body->setStretchFactor(1, 1);
    body->setSizes({220, 900});

    const Kit::StatusPanels status = Kit::statusBar(this, {QStringLiteral("  Mail")}, QStringLiteral("StatusPanel"), 1,
                                                    {260});
    StatusPanels = status.panels;
    Kit::stack(this, {toolbar, title.frame, body, status.bar}, body);

    connect(tbNewMail, &QToolButton::clicked, this, &TFrmMailArsiv::tbNewMailClick);
    connect(tbPrint, &QToolButton::clicked, this, &TFrmMailArsiv::tbPrintClick);
    // The mail account is kept on the service window's mail page. A restore
    // there may close this window: nothing of it is touched afterwards.
    connect(tbSMTP, &QToolButton::clicked, this, [this] { OpenServiceWindow(TFrmServis::MailPage, this); });
    connect(tbClose, &QToolButton::clicked, this, &TFrmMailArsiv::close);
    // Moving the mark (mouse or keys) chooses a folder; a click on the folder
    // marked already lists it again when the list shows another (after a
    // send, every message is listed whatever is marked).
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item)
            TreeView1Change(item);
    });
    connect(TreeView1, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        if (TreeView1->indexOfTopLevelItem(item) != int(Dm2->mailFolder()))
            TreeView1Change(item);
    });
    connect(DBGrid1, &QAbstractItemView::clicked, this, &TFrmMailArsiv::DBGrid1Click);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenu2->popup(DBGrid1->viewport()->mapToGlobal(pos)); });
    connect(DBGrid2, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenu1->popup(DBGrid2->viewport()->mapToGlobal(pos)); });

    m_keys = new KeyPreview(this, [this](QKeyEvent *e) { return FormKeyDown(e); });
    Dm2->registerMailArchiveWindow(this, this);
    FormShow();
}

// Left: the folders over the customers.
QSplitter *TFrmMailArsiv::buildFolders()
{
    TreeView1 = new QTreeWidget;
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setAccessibleName(QStringLiteral("Folders"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(false);
    for (const char *name : FolderNames) {
        auto *item = new QTreeWidgetItem(TreeView1, {QLatin1String(name)});
        item->setIcon(0, Kit::picture(QStringLiteral("archive")));
    }
    TreeView1->setCurrentItem(TreeView1->topLevelItem(0));
    TreeView1->setMaximumHeight(TreeView1->sizeHintForRow(0) * 3 + 2 * TreeView1->frameWidth() + 8);

    DBGrid2 = new DBGrid;
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setAccessibleName(QStringLiteral("Customer List"));
    setGridColumns(DBGrid2, Dm2->MusteriData, {QStringLiteral("AdSoyad")}, {QStringLiteral("Customer Name")});
    DBGrid2->horizontalHeader()->setStretchLastSection(true);
    DBGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid2->setContextMenuPolicy(Qt::CustomContextMenu);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QAction *mailTo = PopupMenu1->addAction(Kit::picture(QStringLiteral("new")), QStringLiteral("Mail gönder"));
    mailTo->setObjectName(QStringLiteral("Mailgonder1"));
    connect(mailTo, &QAction::triggered, this, &TFrmMailArsiv::MailGonderClick);

    auto *left = new QSplitter(Qt::Vertical);
    left->setObjectName(QStringLiteral("LeftPanel"));
    left->addWidget(Kit::panel(Kit::band(this, QStringLiteral("Folders"), QColor(212, 208, 200), Qt::black), TreeView1));
    left->addWidget(Kit::panel(Kit::band(this, QStringLiteral("Customer List"), QColor(212, 208, 200), Qt::black), DBGrid2));
    left->setStretchFactor(1, 1);
    return left;
}

// Right: the messages over the reading pane.
QSplitter *TFrmMailArsiv::buildMessages()
{
    DBGrid1 = new DBGrid;
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Messages"));
    setGridColumns(DBGrid1, Dm2->MailNavData,
                   {QStringLiteral("Gonderen"), QStringLiteral("Alici"), QStringLiteral("Tarih"), QStringLiteral("Konu")},
                   {Dm2->MailNav->fieldInfo(QStringLiteral("Gonderen")).caption,
                    Dm2->MailNav->fieldInfo(QStringLiteral("Alici")).caption, QStringLiteral("Tarih"),
                    QStringLiteral("Konu")},
                   {190, 220, 150, 260});
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    QAction *sil = PopupMenu2->addAction(Kit::picture(QStringLiteral("delete")), QStringLiteral("Sil"));
    sil->setObjectName(QStringLiteral("Sil1"));
    connect(sil, &QAction::triggered, this, &TFrmMailArsiv::SilClick);

    auto *reading = new QWidget;
    reading->setObjectName(QStringLiteral("ReadingPane"));
    auto *header = new QFrame(reading);
    header->setObjectName(QStringLiteral("MessageHeader"));
    header->setFrameShape(QFrame::StyledPanel);
    header->setAutoFillBackground(true);
    QPalette hp = header->palette();
    hp.setColor(QPalette::Window, QColor(224, 228, 236));
    header->setPalette(hp);
    LblFrom = headerValue(header, "LblFrom", QStringLiteral("From"));
    LblTo = headerValue(header, "LblTo", QStringLiteral("To"));
    LblSubject = headerValue(header, "LblSubject", QStringLiteral("Subject"));
    auto *form = new QFormLayout(header);
    form->setContentsMargins(8, 4, 8, 4);
    form->setVerticalSpacing(2);
    const auto caption = [header](const QString &text) {
        auto *l = new QLabel(text, header);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        return l;
    };
    form->addRow(caption(QStringLiteral("From : ")), LblFrom);
    form->addRow(caption(QStringLiteral("To :")), LblTo);
    form->addRow(caption(QStringLiteral("Subject : ")), LblSubject);
    RichEdit1 = new QTextBrowser(reading);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setAccessibleName(QStringLiteral("Message"));
    RichEdit1->setOpenLinks(false);
    auto *readingLayout = new QVBoxLayout(reading);
    readingLayout->setContentsMargins(0, 0, 0, 0);
    readingLayout->setSpacing(0);
    readingLayout->addWidget(header);
    readingLayout->addWidget(RichEdit1, 1);

    auto *right = new QSplitter(Qt::Vertical);
    right->setObjectName(QStringLiteral("RightPanel"));
    right->addWidget(DBGrid1);
    right->addWidget(reading);
    right->setSizes({260, 360});
    return right;
}

TFrmMailArsiv::~TFrmMailArsiv()
{
    Dm2->registerMailArchiveWindow(nullptr, nullptr);
}

void TFrmMailArsiv::FormShow()
{
    // The list opens on whatever folder MailNav holds: all mail the first
    // time, the folder chosen last in an earlier archive window afterwards.
    m_folder = int(Dm2->mailFolder());
    {
        const QSignalBlocker block(TreeView1);
        TreeView1->setCurrentItem(TreeView1->topLevelItem(m_folder));
    }
    DataSet *mail = Dm2->MailNav;
    mail->close();
    if (!mail->open())
        Prompt::error(mail->lastError());
    if (!Dm2->Musteri->isOpen() && !Dm2->Musteri->open())
        Prompt::error(Dm2->Musteri->lastError());
}

bool TFrmMailArsiv::FormKeyDown(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier && DBGrid1->hasFocus()) {
        SilClick();
        return true;
    }
    return false;
}

void TFrmMailArsiv::showMessage(const QString &sender, const QString &recipient, const QString &subject,
                                const QByteArray &message)
{
    Kit::setValue(LblFrom, sender);
    Kit::setValue(LblTo, recipient);
    Kit::setValue(LblSubject, subject);
    if (message.isEmpty()) {
        RichEdit1->clear();
        return;
    }
    // Stored as rich text by this program; older rows may hold plain text.
    const QString text = QString::fromUtf8(message);
    if (Qt::mightBeRichText(text))
        RichEdit1->setHtml(text);
    else
        RichEdit1->setPlainText(text);
}

void TFrmMailArsiv::TreeView1Change(QTreeWidgetItem *item)
{
    const int index = TreeView1->indexOfTopLevelItem(item);
    if (index < 0)
        return;
    if (!Dm2->showMailFolder(MailFolder(index)))
        Prompt::error(Dm2->MailNav->lastError());
    m_folder = index;
    StatusPanels[0]->setText(QStringLiteral("  ") + QString::number(Dm2->MailNav->isOpen() ? Dm2->MailNav->recordCount() : 0)
                             + QStringLiteral(" mail message"));
}

void TFrmMailArsiv::reloadFolder()
{
    if (!Dm2->showMailFolder(MailFolder(m_folder)))
        Prompt::error(Dm2->MailNav->lastError());
}

void TFrmMailArsiv::reloadAfterSending()
{
    if (!Dm2->showMailFolder(MailFolder::All))
        Prompt::error(Dm2->MailNav->lastError());
}

void TFrmMailArsiv::DBGrid1Click()
{
    Dm2->MailNavAfterScroll();
}

void TFrmMailArsiv::SilClick()
{
    DeleteWithConfirm(Dm2->MailNav);
    reloadFolder();
}

void TFrmMailArsiv::tbNewMailClick()
{
    OpenMailWindow(this);
}

void TFrmMailArsiv::MailGonderClick()
{
    DataSet *customers = Dm2->Musteri;
    if (!customers->isOpen() || customers->isEmpty())
        return;
    OpenMailWindow(this, customers->value(QStringLiteral("EMail")).toString());
}

void TFrmMailArsiv::tbPrintClick()
{
    DataSet *mail = Dm2->MailNav;
    if (!mail->isOpen() || mail->isEmpty())
        return;
    auto report = std::make_unique<TReport2>();
    report->setMailFromArchive();
    Report::showPreview(report->MailRp);
}

void TFrmMailArsiv::closeEvent(QCloseEvent *event)
{
    Dm2->MailNav->close();
    Dm2->Musteri->close();
    QWidget::closeEvent(event);
}

TFrmMailArsiv *OpenMailArchive()
{
    return openChildWindow(FrmMailArsiv);
}

void RefreshMailArchive()
{
    if (FrmMailArsiv)
        FrmMailArsiv->reloadAfterSending();
}
