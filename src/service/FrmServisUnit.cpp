#include "service/FrmServisUnit.h"

#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/DataSource.h"
#include "components/FileChooser.h"
#include "components/KeyPreview.h"
#include "components/PromptService.h"
#include "data/Dm1Unit.h"
#include "data/ServiceBook.h"
#include "data/TariffCache.h"
#include "db/Paths.h"
#include "app/Helpers.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLocale>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The tree's nodes and the page each shows; "Fixed definitions" only groups.
const char *const NodeTexts[TFrmServis::PageCount] = {
    "User definitions", "Tariff definitions", "Mail settings", "General settings", "Film players",
    "Film companies",   "Directors",          "Film types",    "Distiribution companies",
};
const char *const FixedDefinitions = "Fixed definitions";

// The tariff page's five captioned groups, each taking the next columns of
// TariffPriceColumns: three on the left, the penalties and exchange fees on
// the right.
struct TariffGroup
{
    const char *caption;
    int columns;
};
constexpr TariffGroup TariffGroups[] = {
    {"  Price tariff for not being members", 3},
    {"   Price tariff for members", 3},
    {"   Fixed selling price ", 3},
    {"  Penalty tariff", 3},
    {"     Price tariff for exchange", 2},
};
static_assert([] {
    int n = 0;
    for (const TariffGroup &g : TariffGroups)
        n += g.columns;
    return n == int(std::size(TariffPriceColumns));
}(), "every priced column of the tariff has its place on the page");

const QColor HeaderBlue(30, 53, 115);

// The head of each page: the title in white on a band that fades from dark
// blue into the window's colour, the page's picture at its right end, and
// the help lines below.
class PageHeader : public QWidget
{
public:
    PageHeader(const QString &title, const QStringList &helpLines, const QIcon &picture, QWidget *parent)
        : QWidget(parent)
    {
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 2);
        layout->setSpacing(2);
        auto *band = new QWidget(this);
        band->setFixedHeight(34);
        auto *bl = new QHBoxLayout(band);
        bl->setContentsMargins(8, 0, 8, 0);
        m_title = new QLabel(title, band);
        m_title->setObjectName(QStringLiteral("lblPageTitle"));
        QFont f(QStringLiteral("Tahoma"));
        f.setPixelSize(19);
        f.setBold(true);
        m_title->setFont(f);
        QPalette p = m_title->palette();
        p.setColor(QPalette::WindowText, Qt::white);
        m_title->setPalette(p);
        bl->addWidget(m_title, 1);
        auto *icon = new QLabel(band);
        icon->setPixmap(picture.pixmap(24, 24));
        bl->addWidget(icon);
        layout->addWidget(band);
        m_band = band;
        for (const QString &line : helpLines) {
            auto *l = new QLabel(line, this);
            l->setObjectName(QStringLiteral("lblHelp"));
            l->setWordWrap(true);
            l->setContentsMargins(8, 0, 8, 0);
            layout->addWidget(l);
        }
        setAccessibleName(title.trimmed());
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QRect r = m_band->geometry();
        QLinearGradient g(r.topLeft(), r.topRight());
        g.setColorAt(0, HeaderBlue);
        g.setColorAt(1, palette().color(QPalette::Button));
        painter.fillRect(r, g);
    }

private:
    QLabel *m_title;
    QWidget *m_band;
};

QLabel *label(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

DBEdit *edit(QWidget *parent, const QString &name, const QString &accessible, DataSource *source, const QString &field)
{
    auto *e = new DBEdit(parent);
    e->setObjectName(name);
    e->setAccessibleName(accessible.trimmed());
    e->setDataSource(source, field);
    return e;
}

// What is stored stays easy to read while the page is only browsing: the
// controls are disabled then, but their text keeps its normal colour.
void keepReadable(QWidget *control)
{
    QPalette p = control->palette();
    for (auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, p.color(QPalette::Active, role));
    control->setPalette(p);
}

bool editing(const DataSet *ds)
{
    return ds->state() == DataSet::State::Edit || ds->state() == DataSet::State::Insert;
}

} // namespace

TFrmServis::TFrmServis(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmServis"));
    setWindowTitle(QStringLiteral("Service"));
    setAccessibleName(windowTitle());
    setModal(true);
    // Whoever creates it, the program knows the service window exists: the
    // tariff loading and the definition windows leave its datasets open.
    if (!FrmServis)
        FrmServis = this;

    // --- left: the tree of pages
    auto *left = new QWidget(this);
    left->setFixedWidth(185);
    const Kit::Band choose = Kit::band(left, QStringLiteral("Choose form"), QColor(128, 128, 128), Qt::white);
    choose.frame->setObjectName(QStringLiteral("pnlChooseForm"));
    TreeView1 = new QTreeWidget(left);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setAccessibleName(QStringLiteral("Choose form"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setIndentation(12); // the longest node fits the narrow column
    QTreeWidgetItem *fixed = nullptr;
    for (int i = 0; i < PageCount; ++i) {
        if (i == PlayersPage)
            fixed = new QTreeWidgetItem(TreeView1, {QLatin1String(FixedDefinitions)});
        if (i < PlayersPage)
            new QTreeWidgetItem(TreeView1, {QLatin1String(NodeTexts[i])});
        else
            new QTreeWidgetItem(fixed, {QLatin1String(NodeTexts[i])});
    }
    auto *ll = new QVBoxLayout(left);
    ll->setContentsMargins(0, 0, 0, 0);
    ll->setSpacing(0);
    ll->addWidget(choose.frame);
    ll->addWidget(TreeView1, 1);

    // --- right: the pages, and the bar with Close
    PageControl1 = new QStackedWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    buildUserPage();
    buildTariffPage();
    buildMailPage();
    buildGeneralPage();
    buildLookupPage(PlayersPage, Dm1->OyuncuData, QStringLiteral("OyuncuAdi"), QStringLiteral("Player Name"),
                    QStringLiteral("Player List"));
    buildLookupPage(FilmCompaniesPage, Dm1->FilmSirketData, QStringLiteral("FilmSirket"), QStringLiteral("Film Company"),
                    QStringLiteral("Film companies List"));
    buildLookupPage(DirectorsPage, Dm1->YonetmenData, QStringLiteral("Yonetmen"), QStringLiteral("Director"),
                    QStringLiteral("Directors List"));
    buildLookupPage(FilmTypesPage, Dm1->FilmTurData, QStringLiteral("FilmTur"), QStringLiteral("Film Type"),
                    QStringLiteral("Film Types List"));
    buildLookupPage(DistributorsPage, Dm1->DagiticiFirmaData, QStringLiteral("DagiticiFirma"),
                    QStringLiteral("Distiribution company"), QStringLiteral("List of distiribution companies"));

    auto *closeBar = new QFrame(this);
    closeBar->setObjectName(QStringLiteral("pnlClose"));
    closeBar->setFrameShape(QFrame::StyledPanel);
    auto *cl = new QHBoxLayout(closeBar);
    cl->setContentsMargins(4, 3, 4, 3);
    cl->addStretch();
    btnClose = new QPushButton(QStringLiteral("&Close"), closeBar);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAccessibleName(QStringLiteral("Close"));
    btnClose->setAutoDefault(false);
    QFont bold = btnClose->font();
    bold.setBold(true);
    btnClose->setFont(bold);
    QPalette cp = btnClose->palette();
    cp.setColor(QPalette::ButtonText, Qt::red);
    btnClose->setPalette(cp);
    cl->addWidget(btnClose);

    auto *right = new QWidget(this);
    auto *rl = new QVBoxLayout(right);
    rl->setContentsMargins(0, 0, 0, 0);
    rl->setSpacing(0);
    rl->addWidget(PageControl1, 1);
    rl->addWidget(closeBar);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(left);
    layout->addWidget(right, 1);
    setFixedSize(636, 560); // the general page holds the list of backups

    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(TreeView1, &QTreeWidget::itemSelectionChanged, this, &TFrmServis::TreeView1Change);
    for (int p = 0; p < PageCount; ++p) {
        const PageParts &parts = m_pages[p];
        auto wire = [this, p](QToolButton *b, void (TFrmServis::*handler)(int)) {
            if (b)
                connect(b, &QToolButton::clicked, this, [this, p, handler] { (this->*handler)(p); });
        };
        wire(parts.tbNew, &TFrmServis::tbNewClick);
        wire(parts.tbSave, &TFrmServis::tbSaveClick);
        wire(parts.tbCancel, &TFrmServis::tbCancelClick);
        wire(parts.tbEdit, &TFrmServis::tbEditClick);
        wire(parts.tbDelete, &TFrmServis::tbDeleteClick);
        if (p >= PlayersPage)
            connect(parts.dataSet, &DataSet::stateChanged, this, [this, p] { updateLookupButtons(Page(p)); });
    }
    connect(btnBackup, &QPushButton::clicked, this, &TFrmServis::btnBackupClick);
    connect(btnRestore, &QPushButton::clicked, this, &TFrmServis::btnRestoreClick);

    for (const PageParts &parts : m_pages) {
        for (QWidget *e : parts.edits)
            keepReadable(e);
    }
    m_keys = new KeyPreview(this);
    m_wheel = new WheelToArrows(this);
    setPage(UserPage);
}

TFrmServis::~TFrmServis() = default;

// ------------------------------------------------------------------ pages

QWidget *TFrmServis::newSheet(Page page, const QString &title, const QStringList &helpLines, const QString &picture)
{
    auto *sheet = new QWidget(PageControl1);
    sheet->setObjectName(QStringLiteral("TabSheet%1").arg(int(page) + 1));
    sheet->setAccessibleName(QLatin1String(NodeTexts[page]));
    auto *layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new PageHeader(title, helpLines, Kit::picture(picture), sheet));
    PageControl1->insertWidget(int(page), sheet);
    m_pages[page].sheet = sheet;
    return sheet;
}

void TFrmServis::addToolbar(Page page, bool full)
{
    PageParts &parts = m_pages[page];
    auto *bar = new QToolBar(parts.sheet);
    bar->setObjectName(QStringLiteral("ToolBar%1").arg(int(page) + 1));
    bar->setIconSize(QSize(16, 16));
    auto add = [bar](const char *name, const char *caption, const char *picture) {
        QToolButton *b = Kit::toolButton(bar, QLatin1String(name), QLatin1String(caption), QLatin1String(picture));
        bar->addWidget(b);
        return b;
    };
    if (full)
        parts.tbNew = add("tbNew", "New", "new");
    parts.tbSave = add("tbSave", "Save", "save");
    if (full)
        parts.tbCancel = add("tbCancel", "Cancel", "cancel");
    parts.tbEdit = add("tbEdit", "Edit", "edit");
    if (full) {
        parts.tbDelete = add("tbDelete", "Delete", "delete");
        bar->addSeparator();
        parts.navigation = Kit::navigationButtons(bar, parts.dataSet);
        for (QToolButton *b : parts.navigation.buttons())
            bar->addWidget(b);
    }
    static_cast<QVBoxLayout *>(parts.sheet->layout())->addWidget(bar);
}

void TFrmServis::buildUserPage()
{
    PageParts &parts = m_pages[UserPage];
    parts.dataSet = Dm1->Users;
    Dm1->Users->setCaption(QStringLiteral("UserName"), QStringLiteral("User Name"));
    QWidget *sheet = newSheet(UserPage, QStringLiteral("User definitions"),
                              {QStringLiteral("You can define users that will use program in this part."),
                               QStringLiteral("* Password and user name is needed for each users.")},
                              QStringLiteral("customers"));
    addToolbar(UserPage, true);
    auto *body = new QWidget(sheet);
    auto *form = new QFormLayout;
    EditUserName = edit(body, QStringLiteral("EditUserName"), QStringLiteral("User Name"), Dm1->UsersData,
                        QStringLiteral("UserName"));
    EditPassword = edit(body, QStringLiteral("EditPassword"), QStringLiteral("Password"), Dm1->UsersData,
                        QStringLiteral("Password"));
    EditPassword->setEchoMode(QLineEdit::Password);
    form->addRow(label(QStringLiteral("User Name"), EditUserName, body), EditUserName);
    form->addRow(label(QStringLiteral("Password"), EditPassword, body), EditPassword);
    parts.grid = new DBGrid(body);
    parts.grid->setObjectName(QStringLiteral("DBGridUsers"));
    parts.grid->setAccessibleName(QStringLiteral("User List"));
    parts.grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    parts.grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    parts.grid->setDataSource(Dm1->UsersData, {QStringLiteral("UserName")});
    parts.grid->horizontalHeader()->setStretchLastSection(true);
    auto *bl = new QVBoxLayout(body);
    bl->addLayout(form);
    bl->addWidget(Kit::groupPanel(QStringLiteral("User List"), parts.grid, body), 1);
    static_cast<QVBoxLayout *>(sheet->layout())->addWidget(body, 1);
    parts.edits = {EditUserName, EditPassword};
}

void TFrmServis::buildTariffPage()
{
    PageParts &parts = m_pages[TariffPage];
    parts.dataSet = Dm1->Tarife;
    QWidget *sheet = newSheet(
        TariffPage, QStringLiteral("Tariff definitions"),
        {QStringLiteral("Accepeted as to unit tariffs will be defined in renting CD process in this part."),
         QStringLiteral("* Defined tariffs will appear in cahs box transactions.")},
        QStringLiteral("cashbox"));
    addToolbar(TariffPage, false);
    auto *body = new QWidget(sheet);
    auto *grid = new QGridLayout(body);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setVerticalSpacing(2);
    int i = 0;
    const TariffPriceColumn *column = TariffPriceColumns;
    for (const TariffGroup &g : TariffGroups) {
        auto *box = new QGroupBox(QLatin1String(g.caption), body);
        box->setAccessibleName(box->title().trimmed());
        auto *form = new QFormLayout(box);
        form->setContentsMargins(6, 2, 6, 2);
        form->setVerticalSpacing(2);
        for (const TariffPriceColumn *end = column + g.columns; column != end; ++column) {
            const QString field = QLatin1String(column->column);
            const QString caption = QLatin1String(column->caption);
            DBEdit *e = edit(box, QStringLiteral("DBEdit") + field, caption + u' ' + box->accessibleName(),
                             Dm1->TarifeData, field);
            e->setAlignment(Qt::AlignRight);
            e->setMaximumWidth(80);
            form->addRow(label(caption, e, box), e);
            TariffEdits << e;
        }
        // Three groups on the left, the penalties and exchange fees on the right.
        grid->addWidget(box, i < 3 ? i : i - 3, i < 3 ? 0 : 1);
        ++i;
    }
    grid->setRowStretch(3, 1);
    static_cast<QVBoxLayout *>(sheet->layout())->addWidget(body, 1);
    for (DBEdit *e : std::as_const(TariffEdits))
        parts.edits << e;
}

void TFrmServis::buildMailPage()
{
    PageParts &parts = m_pages[MailPage];
    parts.dataSet = Dm1->Config;
    QWidget *sheet = newSheet(MailPage, QStringLiteral("Mail settings"),
                              {QStringLiteral("Compeleted mail address will be used in sending mails to our customers"),
                               QStringLiteral("* SMTP must be supported of your mail address.")},
                              QStringLiteral("archive"));
    addToolbar(MailPage, false);
    auto *body = new QWidget(sheet);
    auto *bl = new QVBoxLayout(body);
    auto *smtp = new QGroupBox(QStringLiteral("     SMTP settings"), body);
    smtp->setAccessibleName(smtp->title().trimmed());
    auto *sf = new QFormLayout(smtp);
    EditMailSMTP = edit(smtp, QStringLiteral("EditMailSMTP"), QStringLiteral("SMTP Server"), Dm1->ConfigData,
                        QStringLiteral("MailSMTP"));
    sf->addRow(label(QStringLiteral("SMTP Server"), EditMailSMTP, smtp), EditMailSMTP);
    auto *account = new QGroupBox(QStringLiteral("     User name and password"), body);
    account->setAccessibleName(account->title().trimmed());
    auto *af = new QFormLayout(account);
    EditMailAdres = edit(account, QStringLiteral("EditMailAdres"), QStringLiteral("User Name"), Dm1->ConfigData,
                         QStringLiteral("MailAdres"));
    EditMailSifre = edit(account, QStringLiteral("EditMailSifre"), QStringLiteral("Password"), Dm1->ConfigData,
                         QStringLiteral("MailSifre"));
    EditMailSifre->setEchoMode(QLineEdit::Password);
    for (DBEdit *e : {EditMailSMTP, EditMailAdres, EditMailSifre})
        e->setMaxLength(100); // what the program keeps of each setting
    af->addRow(label(QStringLiteral("User Name"), EditMailAdres, account), EditMailAdres);
    af->addRow(label(QStringLiteral("Password"), EditMailSifre, account), EditMailSifre);
    bl->addWidget(smtp);
    bl->addWidget(account);
    bl->addStretch();
    static_cast<QVBoxLayout *>(sheet->layout())->addWidget(body, 1);
    parts.edits = {EditMailSMTP, EditMailAdres, EditMailSifre};
}

void TFrmServis::buildGeneralPage()
{
    PageParts &parts = m_pages[GeneralPage];
    parts.dataSet = Dm1->Tarife;
    QWidget *sheet = newSheet(GeneralPage, QStringLiteral("General settings"),
                              {QStringLiteral("You can do general settings dealing with program."),
                               QStringLiteral("* If renting date befits Sunday and Notice Sundays in renting "),
                               QStringLiteral("* - time is signed, program will delay the next day automatically")},
                              QStringLiteral("service"));
    addToolbar(GeneralPage, false);
    auto *body = new QWidget(sheet);
    auto *bl = new QVBoxLayout(body);
    CheckPazarGunu = new DBCheckBox(QStringLiteral("Notice Sundays in renting time."), body);
    CheckPazarGunu->setObjectName(QStringLiteral("DBCheckBoxPazarGunu"));
    CheckPazarGunu->setAccessibleName(CheckPazarGunu->text());
    CheckPazarGunu->setDataSource(Dm1->TarifeData, QStringLiteral("PazarGunu"));
    CheckTarifeTur = new DBCheckBox(QStringLiteral("Apply daily renting system [ rental price * rental days ]"), body);
    CheckTarifeTur->setObjectName(QStringLiteral("DBCheckBoxTarifeTur"));
    CheckTarifeTur->setAccessibleName(CheckTarifeTur->text());
    CheckTarifeTur->setDataSource(Dm1->TarifeData, QStringLiteral("TarifeTur"));
    bl->addWidget(CheckPazarGunu);
    bl->addWidget(CheckTarifeTur);
    auto *sundayHelp = new QLabel(QStringLiteral("* - \"Pazar günlerini kiralama süresi içinde dikkate al.\" seçeneği işaretli ise program teslim"), body);
    sundayHelp->setWordWrap(true);
    bl->addWidget(sundayHelp);
    bl->addWidget(new QLabel(QStringLiteral("* - tarihini otomatik olarak 1 gün sonraya atacaktır."), body));
    bl->addSpacing(4);

    // Kept in the Config row, like the backups below, so that every counter
    // of the shop refuses at the same count.
    auto *limit = new QHBoxLayout;
    SpinMaxDiscsOut = new DBSpinBox(body);
    SpinMaxDiscsOut->setObjectName(QStringLiteral("SpinMaxDiscsOut"));
    SpinMaxDiscsOut->setAccessibleName(QStringLiteral("Most discs out per customer"));
    SpinMaxDiscsOut->setToolTip(QStringLiteral("A customer who has this many discs out on rent can rent no more until "
                                               "one is returned; \"no limit\" lets every customer rent any number"));
    SpinMaxDiscsOut->setRange(0, 99);
    SpinMaxDiscsOut->setSpecialValueText(QStringLiteral("no limit"));
    SpinMaxDiscsOut->setDataSource(Dm1->ConfigData, QStringLiteral("MaxDiscsOut"));
    limit->addWidget(label(QStringLiteral("Most discs out per customer"), SpinMaxDiscsOut, body));
    limit->addWidget(SpinMaxDiscsOut);
    limit->addStretch();
    bl->addLayout(limit);

    // Every counter of the shop keeps the same generations: they are stored
    // in the Config row and saved with this page's Save.
    auto *automatic = new QGroupBox(QStringLiteral("Automatic backups"), body);
    automatic->setAccessibleName(automatic->title());
    auto *al = new QHBoxLayout(automatic);
    al->setContentsMargins(6, 2, 6, 2);
    CheckYedekOto = new DBCheckBox(QStringLiteral("On, keeping"), automatic);
    CheckYedekOto->setObjectName(QStringLiteral("DBCheckBoxYedekOto"));
    CheckYedekOto->setAccessibleName(QStringLiteral("Back up every day"));
    CheckYedekOto->setToolTip(QStringLiteral("A copy is made at the day's first start and when the program closes"));
    CheckYedekOto->setDataSource(Dm1->ConfigData, QStringLiteral("YedekOto"));
    al->addWidget(CheckYedekOto);
    const auto count = [&](const QString &field, const QString &caption) {
        DBEdit *e = edit(automatic, QStringLiteral("Edit") + field, caption, Dm1->ConfigData, field);
        e->setValidator(new QIntValidator(0, 999, e));
        e->setFixedWidth(36);
        al->addWidget(e);
        al->addWidget(label(caption, e, automatic));
        return e;
    };
    EditYedekGunluk = count(QStringLiteral("YedekGunluk"), QStringLiteral("daily,"));
    EditYedekHaftalik = count(QStringLiteral("YedekHaftalik"), QStringLiteral("weekly,"));
    EditYedekAylik = count(QStringLiteral("YedekAylik"), QStringLiteral("monthly"));
    al->addStretch();
    bl->addWidget(automatic);

    auto *copies = new QGroupBox(QStringLiteral("Backup"), body);
    copies->setAccessibleName(copies->title());
    auto *cl = new QGridLayout(copies);
    btnBackup = new QPushButton(Kit::picture(QStringLiteral("save")), QStringLiteral("Backup"), copies);
    btnBackup->setObjectName(QStringLiteral("btnBackup"));
    btnBackup->setAccessibleName(QStringLiteral("Backup"));
    btnBackup->setAutoDefault(false);
    btnRestore = new QPushButton(Kit::picture(QStringLiteral("reset")), QStringLiteral("Restore"), copies);
    btnRestore->setObjectName(QStringLiteral("btnRestore"));
    btnRestore->setAccessibleName(QStringLiteral("Restore"));
    btnRestore->setToolTip(QStringLiteral("Replaces the database with a backup chosen from the backup folder"));
    btnRestore->setAutoDefault(false);
    cl->addWidget(btnBackup, 0, 0);
    cl->addWidget(new QLabel(QStringLiteral("* For example: 20061015-VEXARO.MDB"), copies), 0, 1);
    cl->addWidget(btnRestore, 1, 0);
    auto *folder = new QLabel(QStringLiteral("* Backups are kept in %1").arg(QDir::toNativeSeparators(Paths::backupFolder())), copies);
    folder->setObjectName(QStringLiteral("lblBackupFolder"));
    folder->setWordWrap(true);
    cl->addWidget(folder, 1, 1);
    lstBackups = new QTreeWidget(copies);
    lstBackups->setObjectName(QStringLiteral("lstBackups"));
    lstBackups->setAccessibleName(QStringLiteral("Backups"));
    lstBackups->setHeaderLabels({QStringLiteral("Backup"), QStringLiteral("Date"), QStringLiteral("Size")});
    lstBackups->setRootIsDecorated(false);
    lstBackups->setToolTip(QStringLiteral("Restore puts the chosen copy back; with none chosen it asks for a file"));
    lstBackups->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    cl->addWidget(lstBackups, 2, 0, 1, 2);
    cl->setColumnStretch(1, 1);
    bl->addWidget(copies, 1);
    static_cast<QVBoxLayout *>(sheet->layout())->addWidget(body, 1);
    parts.edits = {CheckPazarGunu, CheckTarifeTur};
    // The limit and the backup settings follow the Config row's state, not the tariff's.
    for (QWidget *e : std::initializer_list<QWidget *>{SpinMaxDiscsOut, CheckYedekOto, EditYedekGunluk,
                                                       EditYedekHaftalik, EditYedekAylik})
        keepReadable(e);
}

void TFrmServis::buildLookupPage(Page page, DataSource *source, const QString &field, const QString &labelText,
                                 const QString &listCaption)
{
    PageParts &parts = m_pages[page];
    DataSet *dataSet = source->dataSet();
    parts.dataSet = dataSet;
    dataSet->setCaption(field, labelText);
    const QString node = QLatin1String(NodeTexts[page]);
    // The titles of the first two lookup pages end in a blank, as they always did.
    const QString title = page <= FilmCompaniesPage ? QStringLiteral("Fixed definitions ") : QStringLiteral("Fixed definitions");
    static const char *const Help[] = {
        "* Player competed in this part will be used in CD/DVD definitions.",
        "* Film companies competed in this part will be used in CD/DVD definitions.",
        "* Directors defined in this part will be used in CD/DVD definitions.",
        "* Film types defined in this part will be used in CD/DVD definitions.",
        "* Distiribution companies defined in this part will be used in CD/DVD definitions.",
    };
    QWidget *sheet = newSheet(page, title, {QStringLiteral(" - ") + node, QLatin1String(Help[page - PlayersPage])},
                              QStringLiteral("titles"));
    addToolbar(page, true);
    auto *body = new QWidget(sheet);
    auto *form = new QFormLayout;
    DBEdit *name = edit(body, QStringLiteral("DBEdit") + field, labelText, source, field);
    form->addRow(label(labelText, name, body), name);
    parts.grid = new DBGrid(body);
    parts.grid->setObjectName(QStringLiteral("DBGrid") + field);
    parts.grid->setAccessibleName(listCaption);
    parts.grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    parts.grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    parts.grid->setDataSource(source, {field});
    parts.grid->horizontalHeader()->setStretchLastSection(true);
    auto *bl = new QVBoxLayout(body);
    bl->addLayout(form);
    bl->addWidget(Kit::groupPanel(listCaption, parts.grid, body), 1);
    static_cast<QVBoxLayout *>(sheet->layout())->addWidget(body, 1);
    parts.edits = {name};
}

// ------------------------------------------------------------ showing

void TFrmServis::setPage(int index)
{
    if (index >= 0 && index < PageCount)
        PageControl1->setCurrentIndex(index);
}

int TFrmServis::currentPage() const
{
    return PageControl1->currentIndex();
}

void TFrmServis::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    openDataSets();
    listBackups();
    TreeView1->expandAll();
    // No node chosen: the page the caller chose stays until the clerk picks one.
    TreeView1->blockSignals(true);
    TreeView1->clearSelection();
    TreeView1->blockSignals(false);
    TreeView1->setFocus();
}

bool TFrmServis::openDataSets()
{
    for (DataSet *ds : {Dm1->Users, Dm1->Tarife, Dm1->Config, Dm1->Oyuncu, Dm1->FilmSirket, Dm1->Yonetmen,
                        Dm1->FilmTur, Dm1->DagiticiFirma}) {
        if (!ds->isOpen() && !ds->open()) {
            Prompt::error(ds->lastError());
            return false;
        }
    }
    return true;
}

void TFrmServis::TreeView1Change()
{
    const QList<QTreeWidgetItem *> chosen = TreeView1->selectedItems();
    if (chosen.isEmpty())
        return;
    const QString text = chosen.first()->text(0);
    for (int i = 0; i < PageCount; ++i) {
        if (text == QLatin1String(NodeTexts[i]))
            setPage(i);
    }
}

void TFrmServis::updateLookupButtons(Page page)
{
    const PageParts &parts = m_pages[page];
    const bool browsing = !editing(parts.dataSet);
    parts.tbEdit->setEnabled(browsing);
    parts.tbDelete->setEnabled(browsing);
}

// ------------------------------------------------------- the edit protocol

void TFrmServis::tbNewClick(int page)
{
    const PageParts &parts = m_pages[page];
    DataSet *ds = parts.dataSet;
    // A row being typed is saved first, by the same rules as "Save".
    if (editing(ds)) {
        tbSaveClick(page);
        if (editing(ds))
            return;
    }
    if (!ds->insert()) {
        Prompt::error(ds->lastError());
        return;
    }
    parts.edits.first()->setFocus();
}

void TFrmServis::tbEditClick(int page)
{
    const PageParts &parts = m_pages[page];
    DataSet *ds = parts.dataSet;
    // With no row at all (a tariff or mail account lost), Edit starts one.
    if (!ds->edit()) {
        Prompt::error(ds->lastError());
        return;
    }
    if (ds == Dm1->Tarife) {
        // An empty switch becomes an explicit 0, so the rules never meet a blank.
        if (!CheckPazarGunu->isChecked())
            ds->setValue(QStringLiteral("PazarGunu"), 0);
        if (!CheckTarifeTur->isChecked())
            ds->setValue(QStringLiteral("TarifeTur"), 0);
    }
    if (page == GeneralPage && !Dm1->Config->edit()) {
        Prompt::error(Dm1->Config->lastError());
        return;
    }
    parts.edits.first()->setFocus();
}

void TFrmServis::tbSaveClick(int page)
{
    DataSet *ds = m_pages[page].dataSet;
    // The general page keeps the backup settings in the Config row.
    if (page == GeneralPage && editing(Dm1->Config) && !Dm1->Config->post()) {
        Prompt::error(Dm1->Config->lastError());
        return;
    }
    if (!editing(ds))
        return;
    if (page == UserPage) {
        // An account without a name or a password would let anyone in with
        // blank fields.
        EditUserName->link().flush();
        EditPassword->link().flush();
        if (ds->value(QStringLiteral("UserName")).toString().trimmed().isEmpty()
            || ds->value(QStringLiteral("Password")).toString().trimmed().isEmpty()) {
            Prompt::warning(QStringLiteral("* Password and user name is needed for each users."));
            return;
        }
    }
    if (!ds->post()) {
        // The row stays as typed, so the clerk can put it right.
        Prompt::error(ds->lastError());
        return;
    }
    if (ds == Dm1->Tarife || ds == Dm1->Config) {
        loadTariffCache(true);
        if (!ds->isOpen() && !ds->open())
            Prompt::error(ds->lastError());
    }
}

void TFrmServis::tbCancelClick(int page)
{
    m_pages[page].dataSet->cancel();
    if (page == GeneralPage)
        Dm1->Config->cancel();
}

void TFrmServis::tbDeleteClick(int page)
{
    DataSet *ds = m_pages[page].dataSet;
    if (ds->state() == DataSet::State::Insert) {
        ds->cancel(); // a row never stored is simply dropped
        return;
    }
    ds->cancel();
    if (page == UserPage && ds->recordCount() <= 1) {
        Prompt::warning(QStringLiteral("The last user cannot be deleted: nobody could log in any more."));
        return;
    }
    DeleteWithConfirm(ds);
}

// ---------------------------------------------------------------- copies

void TFrmServis::btnBackupClick()
{
    QString reason;
    if (!ServiceBook::backupSupported(&reason)) {
        Prompt::information(reason);
        return;
    }
    const QString name = DateToYMD(QDate::currentDate()) + QStringLiteral("-VEXARO.MDB");
    QString error;
    if (!ServiceBook::backupDatabase(name, nullptr, &error)) {
        Prompt::error(QStringLiteral("The backup was not made: ") + error);
        return;
    }
    listBackups();
    Prompt::information(QStringLiteral("Bbackup is done successfully. File name is : ") + name);
}

void TFrmServis::listBackups()
{
    lstBackups->clear();
    const QLocale shop(QLocale::Turkish, QLocale::Turkey);
    for (const AutoBackup::Copy &c : ServiceBook::backups()) {
        const QFileInfo f(c.file);
        auto *item = new QTreeWidgetItem(lstBackups, {f.fileName(), c.date.toString(QStringLiteral("dd.MM.yyyy")),
                                                      shop.toString((c.size + 1023) / 1024) + QStringLiteral(" KB")});
        item->setData(0, Qt::UserRole, c.file);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    lstBackups->resizeColumnToContents(1);
    lstBackups->resizeColumnToContents(2);
}

void TFrmServis::btnRestoreClick()
{
    QString error;
    if (!ServiceBook::backupSupported(&error)) {
        Prompt::information(error);
        return;
    }
    // The copy chosen in the list, or else one chosen from the disk.
    const QTreeWidgetItem *chosen = lstBackups->currentItem();
    const QString file = chosen && chosen->isSelected()
        ? chosen->data(0, Qt::UserRole).toString()
        : FileChooser::instance().openFileName(this, QStringLiteral("Restore from a backup"), Paths::backupFolder(),
                                               QStringLiteral("VEXARO backups (*.MDB *.mdb);;All files (*)"));
    if (file.isEmpty())
        return;
    // A file that is no sound backup is refused before anything is closed.
    if (!ServiceBook::checkBackup(file, &error)) {
        Prompt::error(QStringLiteral("The database was not restored: ") + error);
        return;
    }
    const QFileInfo info(file);
    const QString when = info.lastModified().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    if (!Prompt::confirmWarning(
            QStringLiteral("The database will be replaced by the backup %1 of %2. Everything entered after that "
                           "backup will be lost. Every other window will be closed. Do you want to restore it?")
                .arg(info.fileName(), when)))
        return;
    if (!Windows::closeOtherWindows(this)) {
        Prompt::warning(QStringLiteral("The database was not restored: a window stayed open."));
        return;
    }
    // Today's data is kept too, in case the wrong backup was chosen.
    const QString safety = DateToYMD(QDate::currentDate()) + QTime::currentTime().toString(QStringLiteral("-HHmmss"))
                           + QStringLiteral("-VEXARO-before-restore.MDB");
    if (!ServiceBook::backupDatabase(safety, nullptr, &error)) {
        Prompt::error(QStringLiteral("The database was not restored: the copy of the present data failed: ") + error);
        return;
    }
    const bool restored = ServiceBook::restoreDatabase(file, &error);
    openDataSets();
    listBackups();
    loadTariffCache(true);
    if (!restored) {
        Prompt::error(QStringLiteral("The database was not restored: ") + error);
        return;
    }
    Prompt::information(QStringLiteral("The database was restored from %1. The data as it was before is kept in %2.")
                            .arg(info.fileName(), safety));
}

// ----------------------------------------------------------------- closing

void TFrmServis::done(int result)
{
    if (!m_closed) {
        m_closed = true;
        FormClose();
    }
    QDialog::done(result);
}

void TFrmServis::FormClose()
{
    const QList<DataSet *> used = {Dm1->Users, Dm1->Tarife, Dm1->Config, Dm1->Oyuncu, Dm1->FilmSirket,
                                   Dm1->Yonetmen, Dm1->FilmTur, Dm1->DagiticiFirma};
    // What was typed and not saved is dropped before the tariff is read
    // again, so an unsaved price never reaches the counters.
    for (DataSet *ds : used)
        ds->cancel();
    bool added = false;
    QString error;
    if (!ServiceBook::addDayRates(QDate::currentDate(), &added, &error))
        Prompt::error(error);
    loadTariffCache(true);
    for (DataSet *ds : used)
        ds->close();
}

int OpenServiceWindow(int page, QWidget *parent)
{
    return showModalWindow(FrmServis, [page, parent] {
        auto *w = new TFrmServis(parent ? parent->window() : nullptr);
        w->setPage(page);
        return w;
    });
}
