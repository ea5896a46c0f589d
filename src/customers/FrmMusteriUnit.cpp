#include "customers/FrmMusteriUnit.h"

#include "components/BandReport.h"
#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/DataSource.h"
#include "components/KeyPreview.h"
#include "components/PromptService.h"
#include "customers/DlgMiniResimUnit.h"
#include "customers/FrmMusKayitUnit.h"
#include "components/GridColumns.h"
#include "customers/PhotoView.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "reports/Report1Unit.h"
#include "reports/Report2Unit.h"
#include "shell/Helpers.h"
#include "shell/WindowRefs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

QPointer<TFrmMusteri> FrmMusteri;

namespace {

const QString MembersSql = QStringLiteral(" Select * from Musteri  where uyelikDurum=1  order by adsoyad ");
const QString EveryoneSql = QStringLiteral(" Select * from Musteri  order by adsoyad ");
const QString NoRentalsText = QStringLiteral("There is no any rented film in this customer. !!!");

QList<QPointer<QWidget>> &customerListKeepers()
{
    static QList<QPointer<QWidget>> keepers;
    return keepers;
}

QIcon action(int index)
{
    return Dm1 && index >= 0 && index < Dm1->Actions.size() ? Dm1->Actions[index] : QIcon();
}

QToolButton *toolButton(QWidget *parent, const char *name, const QString &caption, int icon, bool showCaption)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(caption);
    b->setToolTip(caption);
    b->setAccessibleName(caption);
    b->setIcon(action(icon));
    b->setAutoRaise(true);
    b->setToolButtonStyle(showCaption ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonIconOnly);
    return b;
}

QToolButton *navButton(QWidget *parent, const char *name, const QString &caption, QStyle::StandardPixmap icon)
{
    QToolButton *b = toolButton(parent, name, caption, -1, false);
    b->setIcon(parent->style()->standardIcon(icon));
    return b;
}

// A heading strip over a panel, with room for buttons at its right end.
QFrame *headingStrip(QWidget *parent, const QString &text, const QColor &background, const QColor &foreground,
                     QHBoxLayout **buttons = nullptr)
{
    auto *strip = new QFrame(parent);
    strip->setAutoFillBackground(true);
    QPalette p = strip->palette();
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::WindowText, foreground);
    p.setColor(QPalette::ButtonText, foreground);
    strip->setPalette(p);
    auto *label = new QLabel(text, strip);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    auto *layout = new QHBoxLayout(strip);
    layout->setContentsMargins(6, 2, 2, 2);
    layout->addWidget(label, 1);
    if (buttons)
        *buttons = layout;
    return strip;
}

QWidget *panel(QWidget *heading, QWidget *body)
{
    auto *w = new QWidget;
    auto *layout = new QVBoxLayout(w);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(heading);
    layout->addWidget(body, 1);
    return w;
}

} // namespace

int NextCustomerNumber()
{
    DataSet *temp = Dm1->Temp;
    temp->close();
    temp->setSql(QStringLiteral(" Select Max(MusteriNO) as Maximus from Musteri "));
    if (!temp->open())
        return 0;
    // An empty register gives no maximum: read as 0.
    const int largest = temp->value(QStringLiteral("Maximus")).toInt();
    temp->close();
    return largest + 1;
}

void TFrmMusteri::keepCustomersOpenFor(QWidget *window)
{
    customerListKeepers().append(window);
}

std::function<void(const QString &, const QString &)> &TFrmMusteri::returnWindowOpener()
{
    static std::function<void(const QString &, const QString &)> opener;
    return opener;
}

TFrmMusteri::TFrmMusteri(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmMusteri"));
    setWindowTitle(QStringLiteral("Customer Definitions"));
    setAccessibleName(windowTitle());
    setWindowIcon(action(29));

    // --- toolbar
    auto *toolbar = new QFrame(this);
    toolbar->setObjectName(QStringLiteral("ToolBar1"));
    toolbar->setFrameShape(QFrame::StyledPanel);
    tbNew = toolButton(toolbar, "tbNew", QStringLiteral("New"), 0, true);
    tbDelete = toolButton(toolbar, "tbDelete", QStringLiteral("Delete"), 2, true);
    tbEdit = toolButton(toolbar, "tbEdit", QStringLiteral("Edit"), 11, true);
    tbPrint = toolButton(toolbar, "tbPrint", QStringLiteral("Print"), 6, true);
    tbFirst = navButton(toolbar, "tbFirst", QStringLiteral("First"), QStyle::SP_MediaSkipBackward);
    tbPrior = navButton(toolbar, "tbPrior", QStringLiteral("Prior"), QStyle::SP_MediaSeekBackward);
    tbNext = navButton(toolbar, "tbNext", QStringLiteral("Next"), QStyle::SP_MediaSeekForward);
    tbLast = navButton(toolbar, "tbLast", QStringLiteral("Last"), QStyle::SP_MediaSkipForward);
    auto *tools = new QHBoxLayout(toolbar);
    tools->setContentsMargins(2, 2, 2, 2);
    for (QToolButton *b : {tbNew, tbDelete, tbEdit, tbPrint})
        tools->addWidget(b);
    tools->addStretch();
    for (QToolButton *b : {tbFirst, tbPrior, tbNext, tbLast})
        tools->addWidget(b);

    // --- title bar
    QHBoxLayout *titleButtons = nullptr;
    QFrame *titleBar = headingStrip(this, QStringLiteral("Customer Definitions"), QColor(0, 64, 128), Qt::white,
                                    &titleButtons);
    titleBar->setObjectName(QStringLiteral("TitleBar"));
    btnClose = toolButton(titleBar, "btnClose", QStringLiteral("Close"), -1, false);
    btnClose->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    titleButtons->addWidget(btnClose);

    // --- "Customer Table"
    DBGrid1 = new DBGrid;
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Customer Table"));
    setGridColumns(DBGrid1, Dm1->MusteriData,
                   {QStringLiteral("MusteriNo"), QStringLiteral("AdSoyad"), QStringLiteral("IsTelefon"),
                    QStringLiteral("EvTelefon"), QStringLiteral("CepTelefon"), QStringLiteral("UyelikBasTarih"),
                    QStringLiteral("Depozito"), QStringLiteral("EMail")},
                   {QStringLiteral("Customer ID"), QStringLiteral("Customer Name"), QStringLiteral("Office Phone"),
                    QStringLiteral("Home Phone"), QStringLiteral("Cell Phone"),
                    QStringLiteral("Beginninig date of membership"), QStringLiteral("Deposit"),
                    Dm1->Musteri->fieldInfo(QStringLiteral("EMail")).caption},
                   {80, 170, 110, 110, 110, 120, 80, 180});
    DBGrid1->setItemDelegateForColumn(0, new ColumnLook(Qt::red, true, DBGrid1));
    DBGrid1->setItemDelegateForColumn(1, new ColumnLook(Qt::blue, true, DBGrid1));
    QWidget *customerTable = panel(headingStrip(this, QStringLiteral("Customer Table"), QColor(212, 208, 200), Qt::black),
                                   DBGrid1);

    // --- "Searching and filtering"
    auto *search = new QWidget;
    search->setObjectName(QStringLiteral("SearchPanel"));
    auto *photoBox = new QGroupBox(QStringLiteral("Customer's Photo"), search);
    photoBox->setObjectName(QStringLiteral("GroupBox1"));
    auto *nameStrip = new QFrame(photoBox);
    nameStrip->setAutoFillBackground(true);
    QPalette np = nameStrip->palette();
    np.setColor(QPalette::Window, QColor(32, 32, 64));
    np.setColor(QPalette::WindowText, Qt::yellow);
    nameStrip->setPalette(np);
    DBText1 = new DBText(nameStrip);
    DBText1->setObjectName(QStringLiteral("DBText1"));
    DBText1->setAccessibleName(QStringLiteral("Customer Name"));
    DBText1->setAlignment(Qt::AlignCenter);
    DBText1->setDataSource(Dm1->MusteriData, QStringLiteral("AdSoyad"));
    QFont nameFont = DBText1->font();
    nameFont.setBold(true);
    DBText1->setFont(nameFont);
    auto *nameLayout = new QHBoxLayout(nameStrip);
    nameLayout->setContentsMargins(4, 2, 4, 2);
    nameLayout->addWidget(DBText1);
    Image1 = new PhotoView(photoBox);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAccessibleName(QStringLiteral("Customer's Photo"));
    Image1->setMinimumSize(160, 120);
    auto *photoLayout = new QVBoxLayout(photoBox);
    photoLayout->addWidget(nameStrip);
    photoLayout->addWidget(Image1, 1);

    auto *radio = new QGroupBox(QStringLiteral("Arama degiskeni seçimi"), search);
    radio->setObjectName(QStringLiteral("RadioGroup1"));
    rbName = new QRadioButton(QStringLiteral("Customer name"), radio);
    rbName->setObjectName(QStringLiteral("rbName"));
    rbName->setAccessibleName(rbName->text());
    rbNumber = new QRadioButton(QStringLiteral("Customer ID"), radio);
    rbNumber->setObjectName(QStringLiteral("rbNumber"));
    rbNumber->setAccessibleName(rbNumber->text());
    rbName->setChecked(true);
    auto *radioLayout = new QVBoxLayout(radio);
    radioLayout->addWidget(rbName);
    radioLayout->addWidget(rbNumber);
    auto *factor = new QLabel(QStringLiteral("Factor"), search);
    Edit1 = new QLineEdit(search);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Factor"));
    factor->setBuddy(Edit1);
    CheckBox1 = new QCheckBox(QStringLiteral("Only list members"), search);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setAccessibleName(CheckBox1->text());
    auto *searchLayout = new QVBoxLayout(search);
    searchLayout->addWidget(photoBox, 1);
    searchLayout->addWidget(radio);
    searchLayout->addWidget(factor);
    searchLayout->addWidget(Edit1);
    searchLayout->addWidget(CheckBox1);
    QWidget *searchPanel = panel(headingStrip(this, QStringLiteral("Searching and filtering"), QColor(212, 208, 200),
                                              Qt::black),
                                 search);

    auto *upper = new QSplitter(Qt::Horizontal);
    upper->setObjectName(QStringLiteral("Splitter1"));
    upper->addWidget(customerTable);
    upper->addWidget(searchPanel);
    upper->setStretchFactor(0, 1);
    upper->setSizes({700, 230});

    // --- the current customer's discs and transactions
    DBGrid2 = new DBGrid;
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setAccessibleName(QStringLiteral("CDs in this customer"));
    setGridColumns(DBGrid2, Dm1->HareketTemp3Data,
                   {QStringLiteral("FilmAdi"), QStringLiteral("FilmTuru"), QStringLiteral("KiraTarih"),
                    QStringLiteral("TeslimTarih"), QStringLiteral("KiralamaGun")},
                   {QStringLiteral("Film Name"), QStringLiteral("CD Type"), QStringLiteral("Rent Date"),
                    QStringLiteral("Return Date"), QStringLiteral("Count of Day")},
                   {180, 70, 90, 90, 90});
    DBGrid2->setContextMenuPolicy(Qt::CustomContextMenu);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QAction *cdIade = PopupMenu1->addAction(QStringLiteral("CD Iade"));
    cdIade->setObjectName(QStringLiteral("CDIade1"));
    QHBoxLayout *rentedButtons = nullptr;
    QFrame *rentedHeading = headingStrip(this, QStringLiteral("CDs in this customer"), QColor(128, 0, 0), Qt::white,
                                         &rentedButtons);
    btnCDReturn = toolButton(rentedHeading, "btnCDReturn", QStringLiteral("CD Return"), 5, true);
    rentedButtons->addWidget(btnCDReturn);

    DBGrid3 = new DBGrid;
    DBGrid3->setObjectName(QStringLiteral("DBGrid3"));
    DBGrid3->setAccessibleName(QStringLiteral("This customer's all process"));
    setGridColumns(DBGrid3, Dm1->HareketTemp4Data,
                   {QStringLiteral("IslemTur"), QStringLiteral("FilmAdi"), QStringLiteral("FilmTuru"),
                    QStringLiteral("KiraTarih"), QStringLiteral("TeslimTarih"), QStringLiteral("KiralamaGun")},
                   {QStringLiteral("Transaction Type"), QStringLiteral("Film Name"), QStringLiteral("CD Type"),
                    QStringLiteral("Sell / Rent Date"), QStringLiteral("Return Date"), QStringLiteral("Count of day")},
                   {110, 180, 70, 110, 90, 90});
    QHBoxLayout *processButtons = nullptr;
    QFrame *processHeading = headingStrip(this, QStringLiteral("This customer's all process"), QColor(0, 64, 0),
                                          Qt::white, &processButtons);
    btnPrintProcess = toolButton(processHeading, "btnPrintProcess", QStringLiteral("Print"), 6, false);
    processButtons->addWidget(btnPrintProcess);

    auto *lower = new QSplitter(Qt::Horizontal);
    lower->setObjectName(QStringLiteral("Splitter3"));
    lower->addWidget(panel(rentedHeading, DBGrid2));
    lower->addWidget(panel(processHeading, DBGrid3));

    auto *body = new QSplitter(Qt::Vertical);
    body->setObjectName(QStringLiteral("Splitter2"));
    body->addWidget(upper);
    body->addWidget(lower);
    body->setStretchFactor(0, 3);
    body->setStretchFactor(1, 1);
    body->setSizes({450, 170});

    // --- status bar
    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(false);
    const QStringList panelTexts{QString(), QStringLiteral(" [ Insert ] - New"), QStringLiteral(" [ Delete ] - Delete"),
                                 QString()};
    for (int i = 0; i < panelTexts.size(); ++i) {
        auto *p = new QLabel(panelTexts[i], status);
        p->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        p->setFrameShape(QFrame::StyledPanel);
        p->setMinimumWidth(i == 0 ? 260 : 120);
        status->addWidget(p, i == 3 ? 1 : 0);
        StatusPanels << p;
    }

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(titleBar);
    layout->addWidget(body, 1);
    layout->addWidget(status);

    connect(tbNew, &QToolButton::clicked, this, &TFrmMusteri::tbNewClick);
    connect(tbEdit, &QToolButton::clicked, this, &TFrmMusteri::tbEditClick);
    connect(tbDelete, &QToolButton::clicked, this, &TFrmMusteri::tbDeleteClick);
    connect(tbPrint, &QToolButton::clicked, this, &TFrmMusteri::tbPrintClick);
    connect(tbFirst, &QToolButton::clicked, Dm1->Musteri, &DataSet::first);
    connect(tbPrior, &QToolButton::clicked, Dm1->Musteri, &DataSet::prior);
    connect(tbNext, &QToolButton::clicked, Dm1->Musteri, &DataSet::next);
    connect(tbLast, &QToolButton::clicked, Dm1->Musteri, &DataSet::last);
    connect(btnClose, &QToolButton::clicked, this, &QWidget::close);
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, &TFrmMusteri::tbEditClick);
    connect(Edit1, &QLineEdit::textChanged, this, &TFrmMusteri::Edit1Change);
    connect(CheckBox1, &QCheckBox::clicked, this, &TFrmMusteri::CheckBox1Click);
    connect(btnCDReturn, &QToolButton::clicked, this, &TFrmMusteri::CDReturnClick);
    connect(cdIade, &QAction::triggered, this, &TFrmMusteri::CDReturnClick);
    connect(DBGrid2, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenu1->popup(DBGrid2->viewport()->mapToGlobal(pos)); });
    connect(btnPrintProcess, &QToolButton::clicked, this, &TFrmMusteri::PrintProcessClick);

    m_keys = new KeyPreview(this, [this](QKeyEvent *e) { return FormKeyDown(e); });
    m_wheel = new WheelToArrows(this);
    Dm1->registerCustomerWindow(this, this);
    FormShow();
}

TFrmMusteri::~TFrmMusteri() = default;

void TFrmMusteri::showPhoto(const QImage &picture)
{
    Image1->setPicture(picture);
}

void TFrmMusteri::clearPhoto()
{
    Image1->clearPicture();
}

void TFrmMusteri::FormShow()
{
    // The list opens with whatever statement Musteri holds: the data module's
    // until the member filter is first used, the filter's last one after.
    DataSet *m = Dm1->Musteri;
    m->close();
    if (!m->open())
        Prompt::error(m->lastError());
    // Counted once: adding, deleting or filtering later leaves it as it was.
    StatusPanels[0]->setText(QStringLiteral(" Total entered customer number : ")
                             + QString::number(m->isOpen() ? m->recordCount() : 0));
}

void TFrmMusteri::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_focusGiven) {
        m_focusGiven = true;
        DBGrid1->setFocus();
    }
}

bool TFrmMusteri::FormKeyDown(QKeyEvent *event)
{
    if (event->modifiers() != Qt::NoModifier && event->modifiers() != Qt::KeypadModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_Insert:
        tbNewClick();
        return true;
    case Qt::Key_Delete:
        tbDeleteClick();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (DBGrid1->hasFocus()) {
            tbEditClick();
            return true;
        }
        return false;
    default:
        return false;
    }
}

void TFrmMusteri::tbNewClick()
{
    DataSet *m = Dm1->Musteri;
    if (!m->isOpen())
        return;
    const int number = NextCustomerNumber();
    if (!m->insert()) {
        Prompt::error(m->lastError());
        return;
    }
    m->setValue(QStringLiteral("MusteriNo"), number);
    m->setValue(QStringLiteral("UyelikDurum"), 0);
    showModalWindow(FrmMusKayit, [this] { return new TFrmMusKayit(this); });
    // The saved customer is the current one: its lists and photograph.
    Dm1->MusteriAfterScroll();
}

void TFrmMusteri::tbEditClick()
{
    DataSet *m = Dm1->Musteri;
    if (!m->isOpen() || m->isEmpty())
        return;
    if (!m->edit()) {
        Prompt::error(m->lastError());
        return;
    }
    if (!FrmMusKayit)
        FrmMusKayit = new TFrmMusKayit(this);
    Dm1->ShowCustomerPhoto();
    showModalWindow(FrmMusKayit, [this] { return new TFrmMusKayit(this); });
    Dm1->MusteriAfterScroll();
}

void TFrmMusteri::tbDeleteClick()
{
    DeleteWithConfirm(Dm1->Musteri);
}

void TFrmMusteri::Edit1Change()
{
    const QString text = Edit1->text().trimmed();
    if (text.isEmpty())
        return;
    DataSet *m = Dm1->Musteri;
    if (!m->isOpen())
        return;
    if (rbName->isChecked()) {
        m->locate(QStringLiteral("AdSoyad"), text, DataSet::CaseInsensitive | DataSet::PartialKey);
        return;
    }
    // Only a whole number can be a customer number; anything else is ignored.
    bool ok = false;
    const int number = text.toInt(&ok);
    if (ok)
        m->locate(QStringLiteral("MusteriNo"), number);
}

void TFrmMusteri::CheckBox1Click()
{
    // The statement stays in the shared dataset for the rest of the run: a
    // later customer window opens with it.
    DataSet *m = Dm1->Musteri;
    m->close();
    m->setSql(CheckBox1->isChecked() ? MembersSql : EveryoneSql);
    if (!m->open())
        Prompt::error(m->lastError());
}

void TFrmMusteri::tbPrintClick()
{
    // The printout lists what the screen lists: the same statement, filter
    // and order.
    auto report = std::make_unique<TReport1>();
    DataSet *data = Dm2->RaporTemp;
    data->close();
    data->setSql(Dm1->Musteri->sql());
    if (!data->open()) {
        Prompt::error(data->lastError());
        return;
    }
    Report::showPreview(report->MusteriListeRP);
    data->close();
}

void TFrmMusteri::PrintProcessClick()
{
    auto report = std::make_unique<TReport2>();
    report->MusteriIslemRP.setParam(QStringLiteral("Customer"),
                                    Dm1->Musteri->value(QStringLiteral("AdSoyad")).toString());
    Report::showPreview(report->MusteriIslemRP);
}

void TFrmMusteri::CDReturnClick()
{
    DataSet *rented = Dm1->HareketTemp3;
    if (!rented->isOpen())
        return;
    if (rented->isEmpty()) {
        Prompt::information(NoRentalsText);
        return;
    }
    auto &opener = returnWindowOpener();
    if (!opener)
        return; // no return window in this build
    if (!DlgMiniResim)
        DlgMiniResim = new TDlgMiniResim(window());
    const QByteArray photo = Dm1->Musteri->value(QStringLiteral("Resim")).toByteArray();
    if (!photo.isEmpty()) {
        // Bytes that are no picture leave the photo window as it was.
        const QImage picture = QImage::fromData(photo, "JPEG");
        if (!picture.isNull())
            DlgMiniResim->Image1->setPicture(picture);
    }
    const QString customer = Dm1->Musteri->value(QStringLiteral("AdSoyad")).toString();
    const QString film = rented->value(QStringLiteral("FilmAdi")).toString();
    DataSet *iade = Dm1->CDIade;
    iade->close();
    iade->setParameter(QStringLiteral("IDX"), rented->value(QStringLiteral("ID")).toString());
    if (!iade->open()) {
        Prompt::error(iade->lastError());
        return;
    }
    opener(customer, film);
}

void TFrmMusteri::closeEvent(QCloseEvent *event)
{
    FormClose();
    QWidget::closeEvent(event);
}

void TFrmMusteri::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    auto &keepers = customerListKeepers();
    keepers.removeIf([](const QPointer<QWidget> &w) { return w.isNull(); });
    if (keepers.isEmpty())
        Dm1->Musteri->close();
}
