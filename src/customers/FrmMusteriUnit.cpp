#include "customers/FrmMusteriUnit.h"

#include "components/BandReport.h"
#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/DataSource.h"
#include "components/KeyPreview.h"
#include "components/PromptService.h"
#include "components/WindowKit.h"
#include "customers/DlgMiniResimUnit.h"
#include "rental/FrmCDIadeUnit.h"
#include "customers/FrmMusKayitUnit.h"
#include "components/GridColumns.h"
#include "customers/PhotoView.h"
#include "data/Dm1Unit.h"
#include "data/ShopBook.h"
#include "data/Dm2Unit.h"
#include "messaging/FrmMailArsivUnit.h"
#include "reports/Report1Unit.h"
#include "reports/Report2Unit.h"
#include "app/Helpers.h"
#include "app/WindowRegistry.h"

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


namespace {

const QString NoRentalsText = QStringLiteral("There is no any rented film in this customer. !!!");

} // namespace

int NextCustomerNumber()
{
    const ShopResult next = ShopBook().nextNumber(ShopBook::ShownNumber::MusteriNo);
    return next.ok() ? next.number : 0;
}

TFrmMusteri::TFrmMusteri(QWidget *parent) : QWidget(parent)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("FrmMusteri"));
    setWindowTitle(QStringLiteral("Customer Definitions"));
    setAccessibleName(windowTitle());
    setWindowIcon(Kit::picture(QStringLiteral("customers")));

    QFrame *toolbar = buildToolbar();
    // --- title bar
    const Kit::Band titleBar = Kit::titleBand(this, QStringLiteral("Customer Definitions"), QColor(0, 64, 128), Qt::white,
                                              QStringLiteral("btnClose"), 0);
    titleBar.frame->setObjectName(QStringLiteral("TitleBar"));
    titleBar.frame->setFrameShape(QFrame::NoFrame);
    btnClose = titleBar.frame->findChild<QToolButton *>(QStringLiteral("btnClose"));

    QWidget *customerTable = buildCustomerTable();
    QWidget *searchPanel = buildSearchPanel();
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
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(DBGrid2->exportAction());
    const Kit::Band rentedHeading = Kit::band(this, QStringLiteral("CDs in this customer"), QColor(128, 0, 0), Qt::white);
    btnCDReturn = Kit::toolButton(rentedHeading.frame, QStringLiteral("btnCDReturn"), QStringLiteral("CD Return"),
                                  QStringLiteral("return"), Kit::Caption::Beside);
    rentedHeading.buttons->addWidget(btnCDReturn);

    DBGrid3 = new DBGrid;
    DBGrid3->setObjectName(QStringLiteral("DBGrid3"));
    DBGrid3->setAccessibleName(QStringLiteral("This customer's all process"));
    setGridColumns(DBGrid3, Dm1->HareketTemp4Data,
                   {QStringLiteral("IslemTur"), QStringLiteral("FilmAdi"), QStringLiteral("FilmTuru"),
                    QStringLiteral("KiraTarih"), QStringLiteral("TeslimTarih"), QStringLiteral("KiralamaGun")},
                   {QStringLiteral("Transaction Type"), QStringLiteral("Film Name"), QStringLiteral("CD Type"),
                    QStringLiteral("Sell / Rent Date"), QStringLiteral("Return Date"), QStringLiteral("Count of day")},
                   {110, 180, 70, 110, 90, 90});
    const Kit::Band processHeading = Kit::band(this, QStringLiteral("This customer's all process"), QColor(0, 64, 0),
                                               Qt::white);
    btnPrintProcess = Kit::toolButton(processHeading.frame, QStringLiteral("btnPrintProcess"), QStringLiteral("Print"),
                                      QStringLiteral("print"), Kit::Caption::Hidden);
    processHeading.buttons->addWidget(btnPrintProcess);

    auto *lower = new QSplitter(Qt::Horizontal);
    lower->setObjectName(QStringLiteral("Splitter3"));
    lower->addWidget(Kit::panel(rentedHeading, DBGrid2));
    lower->addWidget(Kit::panel(processHeading, DBGrid3));

    auto *body = new QSplitter(Qt::Vertical);
    body->setObjectName(QStringLiteral("Splitter2"));
    body->addWidget(upper);
    body->addWidget(lower);
    body->setStretchFactor(0, 3);
    body->setStretchFactor(1, 1);
    body->setSizes({450, 170});

    // --- status bar
    const Kit::StatusPanels status = Kit::statusBar(
        this, {QString(), QStringLiteral(" [ Insert ] - New"), QStringLiteral(" [ Delete ] - Delete"), QString()},
        QStringLiteral("StatusPanel"), 1, {260, 120, 120, 120});
    StatusPanels = status.panels;

    Kit::stack(this, {toolbar, titleBar.frame, body, status.bar}, body);

    connect(tbNew, &QToolButton::clicked, this, &TFrmMusteri::tbNewClick);
    connect(tbEdit, &QToolButton::clicked, this, &TFrmMusteri::tbEditClick);
    connect(tbDelete, &QToolButton::clicked, this, &TFrmMusteri::tbDeleteClick);
    connect(tbPrint, &QToolButton::clicked, this, &TFrmMusteri::tbPrintClick);
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

// The toolbar: the customer's buttons, then the list's navigation.
QFrame *TFrmMusteri::buildToolbar()
{
    auto *toolbar = new QFrame(this);
    toolbar->setObjectName(QStringLiteral("ToolBar1"));
    toolbar->setFrameShape(QFrame::StyledPanel);
    const auto button = [toolbar](const char *name, const QString &caption, const char *picture) {
        return Kit::toolButton(toolbar, QLatin1String(name), caption, QLatin1String(picture), Kit::Caption::Beside);
    };
    tbNew = button("tbNew", QStringLiteral("New"), "new");
    tbDelete = button("tbDelete", QStringLiteral("Delete"), "delete");
    tbEdit = button("tbEdit", QStringLiteral("Edit"), "edit");
    tbPrint = button("tbPrint", QStringLiteral("Print"), "print");
    const Kit::Navigation nav = Kit::navigationButtons(toolbar, Dm1->Musteri);
    tbFirst = nav.first;
    tbPrior = nav.prior;
    tbNext = nav.next;
    tbLast = nav.last;
    auto *tools = new QHBoxLayout(toolbar);
    tools->setContentsMargins(2, 2, 2, 2);
    for (QToolButton *b : {tbNew, tbDelete, tbEdit, tbPrint})
        tools->addWidget(b);
    tools->addStretch();
    for (QToolButton *b : {tbFirst, tbPrior, tbNext, tbLast})
        tools->addWidget(b);
    return toolbar;
}

// The customer list under its band.
QWidget *TFrmMusteri::buildCustomerTable()
{
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
    QWidget *customerTable = Kit::panel(Kit::band(this, QStringLiteral("Customer Table"), QColor(212, 208, 200), Qt::black),
                                   DBGrid1);
    return customerTable;
}

// The chosen customer's photo, and searching and filtering the list.
QWidget *TFrmMusteri::buildSearchPanel()
{
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
    QWidget *searchPanel = Kit::panel(Kit::band(this, QStringLiteral("Searching and filtering"), QColor(212, 208, 200),
                                           Qt::black),
                                 search);
    return searchPanel;
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
    DeleteWithConfirm(Dm1->Musteri, [](DataSet *m) { return ShopBook().deleteCustomer(m->value(QStringLiteral("ID")).toInt()); });
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
    if (!Dm1->showCustomers(CheckBox1->isChecked()))
        Prompt::error(Dm1->Musteri->lastError());
}

void TFrmMusteri::tbPrintClick()
{
    // The printout lists what the screen lists: the same statement, filter
    // and order.
    auto report = std::make_unique<TReport1>();
    DataSet *data = Dm2->RaporTemp;
    if (!Dm2->prepareReportFrom(Dm1->Musteri)) {
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
    LoadReturnPhoto(window(), Dm1->Musteri->value(QStringLiteral("Resim")).toByteArray());
    OpenReturnWindow(window(), rented->value(QStringLiteral("ID")), Dm1->Musteri->value(QStringLiteral("AdSoyad")).toString(),
                     rented->value(QStringLiteral("FilmAdi")).toString());
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
    // The rent window and the e-mail archive show the customers too.
    if (FrmCDKira.isNull() && !FrmMailArsiv)
        Dm1->Musteri->close();
}
