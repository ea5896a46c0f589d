#include "rental/FrmCDKontrolUnit.h"

#include "rental/DlgBarkodOkuUnit.h"
#include "components/BandReport.h"
#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/DataSetModel.h"
#include "components/DataSource.h"
#include "components/GridColumns.h"
#include "components/KeyPreview.h"
#include "components/PromptService.h"
#include "components/WindowKit.h"
#include "data/Dm1Unit.h"
#include "messaging/FrmMailUnit.h"
#include "rental/FrmCDIadeUnit.h"
#include "reports/Report2Unit.h"
#include "app/Helpers.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

const QStringList TFrmCDKontrol::ReportNames = {
    QStringLiteral("Necessary arrive today"), QStringLiteral("Today arrive CD's"), QStringLiteral("Delayed CD's"),
    QStringLiteral("Rented CD's"), QStringLiteral("CD's rented on account"), QStringLiteral("CD's rented today")};

void BoldTitleHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    painter->save();
    QFont f = font();
    f.setBold(logicalIndex == boldSection);
    painter->setFont(f);
    TitledHeader::paintSection(painter, rect, logicalIndex);
    painter->restore();
}

namespace {

const QColor ListColour(192, 220, 192);  // money green
const QColor DateTint(229, 227, 207);

// The dates of the list stand out on their own background.
class TintedColumn : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!(option->state & QStyle::State_Selected))
            option->backgroundBrush = DateTint;
    }
};

} // namespace

TFrmCDKontrol::TFrmCDKontrol(QWidget *parent) : QWidget(parent)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("FrmCDKontrol"));
    setWindowTitle(QStringLiteral("CD Check"));
    setAccessibleName(windowTitle());
    setWindowIcon(Kit::picture(QStringLiteral("check")));

    // --- toolbar
    QToolBar *bar = Kit::toolBar(this);
    auto add = [bar](const char *name, const QString &caption, const char *picture, const QString &hint = QString()) {
        return Kit::addTool(bar, QLatin1String(name), caption, QLatin1String(picture), hint);
    };
    ToolButton2 = add("ToolButton2", QStringLiteral("       &E-Mail       "), "link", QStringLiteral("Send E-Mail to customer"));
    ToolButton1 = add("ToolButton1", QStringLiteral("&CD Return"), "return");
    ToolButton7 = add("ToolButton7", QStringLiteral("&Find Film"), "navigator", QStringLiteral("Find the rental by its barcode [F5]"));
    bar->addSeparator();
    ToolButton9 = add("ToolButton9", QStringLiteral("&Print"), "print");
    ToolButton5 = add("ToolButton5", QStringLiteral("&Close"), "exit");
    // Returns at the counter: the disc's barcode scanned here (a scanner types
    // the code and Enter) opens its return ready to book.
    bar->addSeparator();
    auto *scanLabel = new QLabel(QStringLiteral(" &Scan: "), bar);
    EditScan = new QLineEdit(bar);
    EditScan->setObjectName(QStringLiteral("EditScan"));
    EditScan->setAccessibleName(QStringLiteral("Scan a returned disc"));
    EditScan->setPlaceholderText(QStringLiteral("Scan a returned disc"));
    EditScan->setMaximumWidth(220);
    scanLabel->setBuddy(EditScan);
    bar->addWidget(scanLabel);
    bar->addWidget(EditScan);

    const Kit::Band title = Kit::titleBand(this, QStringLiteral("              CD Check"), QColor(0, 64, 128), Qt::white,
                                           QStringLiteral("btnClose"));
    title.frame->setObjectName(QStringLiteral("Panel1"));

    QWidget *choicePanel = buildChoice();
    // --- the list
    m_fields = {QStringLiteral("FilmAdi"), QStringLiteral("CDTur"), QStringLiteral("KiraTarih"),
                QStringLiteral("KiralamaGun"), QStringLiteral("GelecekTarih"), QStringLiteral("AdSoyad"),
                QStringLiteral("EvTelefon"), QStringLiteral("CepTelefon"), QStringLiteral("IsTelefon"),
                QStringLiteral("EMail")};
    const QStringList titles = {QStringLiteral("Film name"), QStringLiteral("CD Type"), QStringLiteral("Rent date"),
                                QStringLiteral("Number of rented date"), QStringLiteral("Requested date"),
                                QStringLiteral("Customer name"), QStringLiteral("Home phone"),
                                QStringLiteral("GSM Phone"), QStringLiteral("Office Phone"), QStringLiteral("EMail")};
    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("List"));
    setGridColumns(DBGrid1, Dm1->CDKontrolData, m_fields, titles, {180, 60, 80, 60, 80, 160, 90, 90, 90, 150});
    TitleHeader = new BoldTitleHeader(titles, DBGrid1);
    DBGrid1->setHorizontalHeader(TitleHeader);
    TitleHeader->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    TitleHeader->setSectionsClickable(true);
    TitleHeader->setCursor(Qt::PointingHandCursor);
    TitleHeader->boldSection = 0;
    // Every title readable in full, even in bold.
    const QList<int> widths = {200, 60, 80, 60, 80, 160, 100, 100, 100, 170};
    const auto fitTitles = [this, titles, widths] {
        QFont bold = TitleHeader->font();
        bold.setBold(true);
        const QFontMetrics fm(bold);
        for (int i = 0; i < titles.size(); ++i)
            DBGrid1->setColumnWidth(i, std::max(widths[i], fm.horizontalAdvance(titles[i]) + 24));
    };
    fitTitles();
    connect(DBGrid1->model(), &QAbstractItemModel::modelReset, this, fitTitles);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    auto *tint = new TintedColumn(DBGrid1);
    DBGrid1->setItemDelegateForColumn(2, tint);
    DBGrid1->setItemDelegateForColumn(4, tint);
    QPalette gp = DBGrid1->palette();
    gp.setColor(QPalette::Base, ListColour);
    DBGrid1->setPalette(gp);
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    QWidget *listPanel = Kit::panel(Kit::band(this, QStringLiteral("   List"), QColor(0, 64, 128), Qt::white), DBGrid1);

    QWidget *detailsPanel = buildDetails();
    auto *body = new QSplitter(this);
    body->addWidget(choicePanel);
    body->addWidget(listPanel);
    body->addWidget(detailsPanel);
    body->setStretchFactor(1, 1);
    body->setSizes({200, 840, 240});

    const Kit::StatusPanels status = Kit::statusBar(this, {QStringLiteral(" [ F5 ] - Barcod Entry")});
    Kit::stack(this, {bar, title.frame, body, status.bar}, body);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QAction *mail = PopupMenu1->addAction(QStringLiteral("E-Mail"));
    QAction *ret = PopupMenu1->addAction(QStringLiteral("CD Return"));
    QAction *find = PopupMenu1->addAction(QStringLiteral("Find Film"));
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(DBGrid1->exportAction());

    connect(RadioGroup1, &QButtonGroup::idClicked, this, [this](int id) { showReport(id + 1); });
    connect(ComboBox1, &QComboBox::activated, this, [this] { showReport(chosenReport()); });
    connect(SpeedButton1, &QToolButton::clicked, this, &TFrmCDKontrol::SpeedButton1Click);
    connect(ToolButton1, &QToolButton::clicked, this, &TFrmCDKontrol::ToolButton1Click);
    connect(ret, &QAction::triggered, this, &TFrmCDKontrol::ToolButton1Click);
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, &TFrmCDKontrol::ToolButton1Click);
    connect(ToolButton7, &QToolButton::clicked, this, &TFrmCDKontrol::ToolButton7Click);
    connect(find, &QAction::triggered, this, &TFrmCDKontrol::ToolButton7Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TFrmCDKontrol::ToolButton2Click);
    connect(mail, &QAction::triggered, this, &TFrmCDKontrol::ToolButton2Click);
    connect(ToolButton9, &QToolButton::clicked, this, &TFrmCDKontrol::ToolButton9Click);
    connect(ToolButton5, &QToolButton::clicked, this, &QWidget::close);
    connect(TitleHeader, &QHeaderView::sectionClicked, this, &TFrmCDKontrol::DBGrid1TitleClick);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &p) { PopupMenu1->popup(DBGrid1->viewport()->mapToGlobal(p)); });

    m_keys = new KeyPreview(this, [this](QKeyEvent *e) { return FormKeyDown(e); });
    m_wheel = new WheelToArrows(this);
}

// Which list is shown, and for which type of disc.
QWidget *TFrmCDKontrol::buildChoice()
{
    auto *choice = new QWidget(this);
    auto *cl = new QVBoxLayout(choice);
    auto *group = new QGroupBox(QStringLiteral("Choosing report"), choice);
    group->setObjectName(QStringLiteral("RadioGroup1"));
    auto *gl = new QVBoxLayout(group);
    RadioGroup1 = new QButtonGroup(this);
    for (int i = 0; i < ReportNames.size(); ++i) {
        auto *r = new QRadioButton(ReportNames[i], group);
        r->setObjectName(QStringLiteral("Report%1").arg(i + 1));
        RadioGroup1->addButton(r, i);
        gl->addWidget(r);
    }
    RadioGroup1->button(0)->setChecked(true);
    cl->addWidget(group);
    auto *typeLabel = new QLabel(QStringLiteral("CD Type"), choice);
    ComboBox1 = new QComboBox(choice);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setAccessibleName(QStringLiteral("CD Type"));
    ComboBox1->addItems({QStringLiteral("DVD"), QStringLiteral("VCD"), QStringLiteral("DivX"), QString()});
    ComboBox1->setCurrentIndex(3);
    typeLabel->setBuddy(ComboBox1);
    SpeedButton1 = Kit::toolButton(choice, QStringLiteral("SpeedButton1"), QStringLiteral("Tüm Liste"),
                                   QStringLiteral("cancel"), Kit::Caption::Hidden, QStringLiteral("Tüm Liste"));
    SpeedButton1->setAutoRaise(true);
    auto *typeRow = new QHBoxLayout;
    typeRow->addWidget(ComboBox1, 1);
    typeRow->addWidget(SpeedButton1);
    cl->addWidget(typeLabel);
    cl->addLayout(typeRow);
    cl->addStretch();
    QWidget *choicePanel =
        Kit::panel(Kit::band(this, QStringLiteral("  Query type"), QColor(128, 128, 128), Qt::white), choice);
    return choicePanel;
}

// The chosen row in full.
QWidget *TFrmCDKontrol::buildDetails()
{
    auto *details = new QWidget(this);
    auto *dl = new QGridLayout(details);
    const QList<std::pair<QString, QString>> shown = {
        {QStringLiteral("Film Name"), QStringLiteral("FilmAdi")},
        {QStringLiteral("Customer Name"), QStringLiteral("AdSoyad")},
        {QStringLiteral("CD Type"), QStringLiteral("CDTur")},
        {QStringLiteral("Rent Date"), QStringLiteral("KiraTarih")},
        {QStringLiteral("Number of rented days"), QStringLiteral("KiralamaGun")},
        {QStringLiteral("Necessary return date"), QStringLiteral("GelecekTarih")},
        {QStringLiteral("Transection Date / Time"), QStringLiteral("IslemTarih")},
        {QStringLiteral("Cust. GSM Phone Number"), QStringLiteral("CepTelefon")},
        {QStringLiteral("Customer E-Mail"), QStringLiteral("EMail")},
        {QStringLiteral("Cust. Home Phone Number"), QStringLiteral("EvTelefon")}};
    for (int i = 0; i < shown.size(); ++i) {
        auto *caption = new QLabel(shown[i].first, details);
        auto *value = new DBText(details);
        value->setObjectName(QStringLiteral("Detail") + shown[i].second);
        value->setAccessibleName(shown[i].first);
        value->setDataSource(Dm1->CDKontrolData, shown[i].second);
        // Shown to be read, not greyed like a locked field.
        value->link().setAlwaysEnabled(true);
        value->setWordWrap(true);
        value->setFrameShape(QFrame::StyledPanel);
        value->setMinimumWidth(120);
        dl->addWidget(caption, (i / 2) * 2, i % 2);
        dl->addWidget(value, (i / 2) * 2 + 1, i % 2);
    }
    dl->setRowStretch(dl->rowCount(), 1);
    QWidget *detailsPanel =
        Kit::panel(Kit::band(this, QStringLiteral("  Details"), QColor(128, 0, 0), Qt::white), details);
    return detailsPanel;
}

TFrmCDKontrol::~TFrmCDKontrol()
{
    if (Dm1)
        Dm1->CDKontrol->close();
}

int TFrmCDKontrol::chosenReport() const
{
    return std::max(0, RadioGroup1->checkedId()) + 1;
}

void TFrmCDKontrol::showReport(int report)
{
    m_scanChoice = false;
    if (!Dm1->showCheckReport(report, QDate::currentDate(), ComboBox1->currentText()))
        Prompt::error(Dm1->CDKontrol->lastError());
    applySort();
}

void TFrmCDKontrol::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        showReport(chosenReport());
    }
    EditScan->setFocus();
}

void TFrmCDKontrol::closeEvent(QCloseEvent *event)
{
    Dm1->CDKontrol->close();
    QWidget::closeEvent(event);
}

bool TFrmCDKontrol::FormKeyDown(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F5) {
        ToolButton7Click();
        return true;
    }
    // The scan's Enter is used up here: left to climb to the window, it would
    // reach the list after the focus has moved there.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && EditScan->hasFocus()) {
        EditScanEnter();
        return true;
    }
    // Among the renters of a scanned disc, Enter takes back the highlighted one.
    if (enter && m_scanChoice && DBGrid1->hasFocus()) {
        takeBackHighlighted();
        return true;
    }
    return false;
}

void TFrmCDKontrol::SpeedButton1Click()
{
    ComboBox1->setCurrentIndex(3);
    showReport(chosenReport());
}

void TFrmCDKontrol::ToolButton1Click()
{
    DataSet *list = Dm1->CDKontrol;
    // Copies already back have nothing to return.
    if (chosenReport() == 2 || !list->isOpen() || list->isEmpty() || list->recNo() < 0)
        return;
    LoadReturnPhoto(this, list->value(QStringLiteral("Resim")).toByteArray());
    OpenReturnWindow(this, list->value(QStringLiteral("ID")), list->value(QStringLiteral("AdSoyad")).toString(),
                     list->value(QStringLiteral("FilmAdi")).toString());
}

void TFrmCDKontrol::EditScanEnter()
{
    const QString code = EditScan->text().trimmed();
    EditScan->clear();
    if (code.isEmpty())
        return;
    // The list afterwards: every disc still out.
    RadioGroup1->button(3)->setChecked(true);
    DataSet *list = Dm1->CDKontrol;
    if (!Dm1->showOpenRentalsOfBarcode(code)) {
        Prompt::error(list->lastError());
        showReport(chosenReport());
        EditScan->setFocus();
        return;
    }
    const int found = list->recordCount();
    if (found == 0) {
        Prompt::warning(TDlgBarkodOku::NotFoundText);
        showReport(chosenReport());
        EditScan->setFocus();
        return;
    }
    if (found > 1) {
        // The list holds the renters of this disc: the clerk picks one with
        // the arrows and Enter.
        Prompt::information(TDlgBarkodOku::SeveralRentalsText);
        m_scanChoice = true;
        DBGrid1->setFocus();
        DBGrid1->selectRow(0);
        return;
    }
    takeBackHighlighted();
}

void TFrmCDKontrol::takeBackHighlighted()
{
    DataSet *list = Dm1->CDKontrol;
    if (list->isOpen() && !list->isEmpty() && list->recNo() >= 0) {
        LoadReturnPhoto(this, list->value(QStringLiteral("Resim")).toByteArray());
        OpenReturnWindow(this, list->value(QStringLiteral("ID")), list->value(QStringLiteral("AdSoyad")).toString(),
                         list->value(QStringLiteral("FilmAdi")).toString(), true);
    }
    // Booked or not, the list is the whole list again, ready for the next disc.
    showReport(chosenReport());
    activateWindow();
    EditScan->setFocus();
}

void TFrmCDKontrol::ToolButton7Click()
{
    if (chosenReport() != 4) {
        RadioGroup1->button(3)->setChecked(true);
        showReport(4);
    }
    ComboBox1->setFocus();
    OpenBarcodeDialog(this, TDlgBarkodOku::RentalToReturn);
}

QString TFrmCDKontrol::listAddresses() const
{
    DataSet *list = Dm1->CDKontrol;
    QStringList to;
    if (!list->isOpen())
        return QString();
    list->fetchAll();
    const int c = list->fieldIndex(QStringLiteral("EMail"));
    for (int r = 0; r < list->fetchedCount(); ++r) {
        const QString address = list->valueAt(r, c).toString().trimmed();
        // Whole addresses, whatever their case: "ann@x.com" is somebody else
        // than "joann@x.com", and "Ann@X.com" is the same mailbox as "ann@x.com".
        if (address.isEmpty() || to.contains(address, Qt::CaseInsensitive))
            continue;
        to.prepend(address);
    }
    return to.join(QStringLiteral(", "));
}

void TFrmCDKontrol::ToolButton2Click()
{
    const QString to = listAddresses();
    if (Dm1->CDKontrol->isOpen())
        Dm1->CDKontrol->last();
    OpenMailWindow(this, to);
}

void TFrmCDKontrol::ToolButton9Click()
{
    auto report = std::make_unique<TReport2>();
    report->KiraCDRP.title = ReportNames.value(chosenReport() - 1);
    report->KiraCDRP.setParam(QStringLiteral("Version"), QStringLiteral("VEXARO / ") + BuildVersionText());
    Report::showPreview(report->KiraCDRP);
}

void TFrmCDKontrol::DBGrid1TitleClick(int column)
{
    if (column < 0 || column >= m_fields.size())
        return;
    m_lastTitle = column;
    TitleHeader->boldSection = column;
    TitleHeader->viewport()->update();
    const QString field = m_fields[column];
    // A new column sorts up; the same column again flips the direction.
    m_descending = m_sortField == field && !m_descending;
    m_sortField = field;
    applySort();
}

void TFrmCDKontrol::applySort()
{
    if (m_sortField.isEmpty() || !Dm1->CDKontrol->isOpen())
        return;
    Dm1->CDKontrol->setSort(m_sortField, m_descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

TFrmCDKontrol *OpenCheckWindow()
{
    return openChildWindow(FrmCDKontrol);
}

void RefreshCheckWindow()
{
    if (FrmCDKontrol)
        FrmCDKontrol->showReport(FrmCDKontrol->chosenReport());
}
