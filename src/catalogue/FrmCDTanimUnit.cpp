#include "catalogue/FrmCDTanimUnit.h"

#include "catalogue/FrmCDKayitUnit1.h"
#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/DataSource.h"
#include "components/KeyPreview.h"
#include "components/PromptService.h"
#include "components/WindowKit.h"
#include "data/Dm1Unit.h"
#include "data/ShopBook.h"
#include "data/Dm2Unit.h"
#include "reports/DlgCDIstUnit.h"
#include "reports/Report1Unit.h"
#include "service/FrmServisUnit.h"
#include "app/Helpers.h"
#include "app/WindowRegistry.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>


namespace {

// Column, caption: the title grid, in its order.
const char *const TitleColumns[][2] = {
    {"FilmAdi", "Film Name"},       {"CDTur", "CDType"},           {"YapimYili", "Production Year"},
    {"Yonetmen", "Director"},       {"KonuTur", "Theme"},          {"Stok", "Stock amount"},
    {"KutuIcerik", "CD/DVD number"}, {"FilmSirketi", "Film Company"}, {"Dublaj", "Dubbing"},
    {"FilmSure", "Time"},           {"MaliyetFiyat", "Cost Price"}, {"SatisFiyat", "Selling price"},
    {"CDFaturaNo", "CD bill number"}, {"Oyuncu", "Leading role"},
};

const char *const RenterColumns[][2] = {
    {"AdSoyad", "Customer"},       {"KiraTarih", "Renting date"}, {"KiralamaGun", "Number of rented days"},
    {"TeslimTarih", "Return date"}, {"Telefon", "Phone number"},  {"EMail", "E-Mail"},
};

// The filter lists, top to bottom: label, title column compared, lookup
// table (empty for the fixed disc-type list).
struct FilterList
{
    const char *label;
    const char *column;
    const char *table;
};
const FilterList FilterLists[] = {
    {"CD Type", "CdTur", ""},
    {"Film Type", "KonuTur", "FilmTur"},
    {"Leading Role", "Oyuncu", "Oyuncu"},
    {"Film Company", "FilmSirketi", "FilmSirket"},
    {"Director", "Yonetmen", "Yonetmen"},
};

// The first columns of the title grid carry colours of their own, so the
// eye finds the name, the medium and the year at once.
class TintDelegate : public QStyledItemDelegate
{
public:
    TintDelegate(const QColor &tint, QObject *parent) : QStyledItemDelegate(parent), m_tint(tint) {}

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!(option->state & QStyle::State_Selected))
            option->backgroundBrush = m_tint;
    }

private:
    QColor m_tint;
};

} // namespace

TFrmCDTanim::TFrmCDTanim(QWidget *parent) : QWidget(parent)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("FrmCDTanim"));
    setWindowTitle(QString()); // the title panel carries the caption
    setAccessibleName(QStringLiteral("CD/DVD Definitions"));
    Dm1->registerCDDefinitionsWindow(this);

    // The grid's captions are this window's; the dataset gets them back
    // when the window goes (the rent window shows CD its own way).
    for (const auto &c : TitleColumns) {
        const QString field = QLatin1String(c[0]);
        m_savedCaptions.insert(field, Dm1->CD->fieldInfo(field).caption);
        Dm1->CD->setCaption(field, QLatin1String(c[1]));
    }
    for (const auto &c : RenterColumns)
        Dm1->CDTemp1->setCaption(QLatin1String(c[0]), QLatin1String(c[1]));

    QToolBar *bar = buildToolbar();
    // --- title panel
    const Kit::Band title = Kit::titleBand(this, QStringLiteral("CD/DVD Definitions"), QColor(128, 128, 128), Qt::white,
                                           QStringLiteral("SpeedButton2"));
    title.frame->setObjectName(QStringLiteral("Panel1"));
    btnPanelClose = title.frame->findChild<QToolButton *>(QStringLiteral("SpeedButton2"));

    // --- the title grid
    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("CD/DVD Table"));
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    QStringList titleFields;
    for (const auto &c : TitleColumns)
        titleFields << QLatin1String(c[0]);
    DBGrid1->setDataSource(Dm1->CDData, titleFields);
    DBGrid1->setItemDelegateForColumn(0, new TintDelegate(QColor(255, 255, 225), DBGrid1));
    DBGrid1->setItemDelegateForColumn(1, new TintDelegate(QColor(225, 240, 255), DBGrid1));
    DBGrid1->setItemDelegateForColumn(2, new TintDelegate(QColor(230, 250, 230), DBGrid1));
    DBGrid1->verticalHeader()->setDefaultSectionSize(20);
    // The name needs room; the header forgets widths whenever the list reopens.
    DBGrid1->horizontalHeader()->resizeSection(0, 220);
    connect(DBGrid1->model(), &QAbstractItemModel::modelReset, DBGrid1,
            [grid = DBGrid1] { grid->horizontalHeader()->resizeSection(0, 220); });

    QWidget *searchAndFilter = buildSearchAndFilter();
    // --- renters of the current title
    DBGrid2 = new DBGrid(this);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setAccessibleName(QStringLiteral("Customers renting this film"));
    DBGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    QStringList renterFields;
    for (const auto &c : RenterColumns)
        renterFields << QLatin1String(c[0]);
    DBGrid2->setDataSource(Dm1->CDTemp1Data, renterFields);

    auto *right = new QSplitter(Qt::Vertical, this);
    right->setObjectName(QStringLiteral("Splitter2"));
    right->addWidget(Kit::groupPanel(QStringLiteral("Search and filter"), searchAndFilter, right));
    right->addWidget(Kit::groupPanel(QStringLiteral("Customers renting this film"), DBGrid2, right));
    auto *split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("Splitter1"));
    split->addWidget(Kit::groupPanel(QStringLiteral("CD/DVD Table"), DBGrid1, split));
    split->addWidget(right);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);

    // --- status bar
    const Kit::StatusPanels status = Kit::statusBar(
        this, {QString(), QStringLiteral(" [ Delete ] - Delete"), QStringLiteral(" [ Insert ] - New"), QString()});
    StatusPanel0 = status.panels[0];
    StatusPanel1 = status.panels[1];
    StatusPanel2 = status.panels[2];
    StatusPanel3 = status.panels[3];

    Kit::stack(this, {bar, title.frame, split, status.bar}, split);

    connect(tbNew, &QToolButton::clicked, this, &TFrmCDTanim::tbNewClick);
    connect(tbEdit, &QToolButton::clicked, this, &TFrmCDTanim::tbEditClick);
    connect(tbDelete, &QToolButton::clicked, this, &TFrmCDTanim::tbDeleteClick);
    connect(tbPrint, &QToolButton::clicked, this, &TFrmCDTanim::tbPrintClick);
    connect(tbStokIst, &QToolButton::clicked, this, &TFrmCDTanim::tbStokIstClick);
    connect(tbKiraIst, &QToolButton::clicked, this, &TFrmCDTanim::tbKiraIstClick);
    connect(Edit1, &QLineEdit::textChanged, this, &TFrmCDTanim::Edit1Change);
    connect(SpeedButton1, &QToolButton::clicked, this, &TFrmCDTanim::SpeedButton1Click);
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, &TFrmCDTanim::tbEditClick);

    m_keys = new KeyPreview(this, [this](QKeyEvent *e) { return keyPressed(e); });
    m_wheel = new WheelToArrows(this);

    FormShow();
}

// The toolbar: the title's buttons and statistics, then the navigation.
QToolBar *TFrmCDTanim::buildToolbar()
{
    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setIconSize(QSize(16, 16));
    auto add = [bar](QToolButton *b) {
        bar->addWidget(b);
        return b;
    };
    tbNew = add(Kit::toolButton(bar, QStringLiteral("tbNew"), QStringLiteral("&New"), QStringLiteral("new"),
                                Kit::Caption::Under, QStringLiteral("Yeni Kayıt [Alt-Y]")));
    tbEdit = add(Kit::toolButton(bar, QStringLiteral("tbEdit"), QStringLiteral("&Edit"), QStringLiteral("edit"),
                                 Kit::Caption::Under, QStringLiteral("Güncelle")));
    tbDelete = add(Kit::toolButton(bar, QStringLiteral("tbDelete"), QStringLiteral("&Delete"), QStringLiteral("delete"),
                                   Kit::Caption::Under, QStringLiteral("Sil [Alt-S]")));
    bar->addSeparator();
    tbPrint = add(Kit::toolButton(bar, QStringLiteral("tbPrint"), QStringLiteral("&Print"), QStringLiteral("print"),
                                  Kit::Caption::Under, QStringLiteral("CD Listesi Yazdır")));
    tbStokIst = add(Kit::toolButton(bar, QStringLiteral("tbStokIst"), QStringLiteral("Stock Stat."),
                                    QStringLiteral("statistics"), Kit::Caption::Under,
                                    QStringLiteral("Stok İstatistik Raporu")));
    tbKiraIst = add(Kit::toolButton(bar, QStringLiteral("tbKiraIst"), QStringLiteral("Rent Stat."),
                                    QStringLiteral("chart"), Kit::Caption::Under,
                                    QStringLiteral("CD Kiralama İstatistikleri")));
    auto *spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);
    const Kit::Navigation nav = Kit::navigationButtons(bar, Dm1->CD);
    for (QToolButton *b : nav.buttons())
        bar->addWidget(b);
    tbFirst = nav.first;
    tbPrior = nav.prior;
    tbNext = nav.next;
    tbLast = nav.last;
    return bar;
}

// Searching the titles (above) and filtering them (below).
QWidget *TFrmCDTanim::buildSearchAndFilter()
{
    auto *searchBox = new QGroupBox(QStringLiteral("Choosing search factor"), this);
    searchBox->setAccessibleName(searchBox->title());
    RadioGroup1 = new QButtonGroup(this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    auto *sl = new QGridLayout(searchBox);
    const QStringList factors = {QStringLiteral("Film / Game Name"), QStringLiteral("ID Number"),
                                 QStringLiteral("Barcod"), QStringLiteral("CD Bill Number")};
    for (int i = 0; i < factors.size(); ++i) {
        auto *r = new QRadioButton(factors[i], searchBox);
        r->setObjectName(QStringLiteral("RadioButton%1").arg(i + 1));
        r->setAccessibleName(factors[i]);
        RadioGroup1->addButton(r, i);
        sl->addWidget(r, i / 2, i % 2);
    }
    RadioGroup1->button(0)->setChecked(true);
    auto *factorLabel = new QLabel(QStringLiteral("Factor"), searchBox);
    Edit1 = new QLineEdit(searchBox);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Factor"));
    factorLabel->setBuddy(Edit1);
    sl->addWidget(factorLabel, 2, 0);
    sl->addWidget(Edit1, 3, 0, 1, 2);

    // --- filter
    auto *filterBox = new QGroupBox(QStringLiteral("Choosing filter factor"), this);
    filterBox->setAccessibleName(filterBox->title());
    auto *fl = new QFormLayout(filterBox);
    QComboBox **lists[] = {&ComboBox1, &ComboBox2, &ComboBox3, &ComboBox4, &ComboBox5};
    for (int i = 0; i < 5; ++i) {
        auto *c = new QComboBox(filterBox);
        c->setObjectName(QStringLiteral("ComboBox%1").arg(i + 1));
        c->setAccessibleName(QLatin1String(FilterLists[i].label));
        c->setEditable(false); // only the list's own entries
        fl->addRow(QLatin1String(FilterLists[i].label), c);
        *lists[i] = c;
        m_filterLists << c;
    }
    ComboBox1->addItems(cdTypeFilterEntries());
    SpeedButton1 = new QToolButton(filterBox);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("Filter"));
    SpeedButton1->setAccessibleName(QStringLiteral("Filter"));
    SpeedButton1->setCheckable(true);
    SpeedButton1->setMinimumWidth(90);
    fl->addRow(QString(), SpeedButton1);

    auto *searchAndFilter = new QWidget(this);
    auto *sfl = new QVBoxLayout(searchAndFilter);
    sfl->setContentsMargins(0, 0, 0, 0);
    sfl->addWidget(searchBox);
    sfl->addWidget(filterBox);
    sfl->addStretch();
    return searchAndFilter;
}

TFrmCDTanim::~TFrmCDTanim()
{
    if (Dm1) {
        for (auto it = m_savedCaptions.cbegin(); it != m_savedCaptions.cend(); ++it)
            Dm1->CD->setCaption(it.key(), it.value());
    }
}

QStringList TFrmCDTanim::cdTypeFilterEntries()
{
    // The game entries are spelt as the record entry dialog stores them
    // ("PC Game"...), all four of them, so no title is out of the filter's
    // reach; an empty entry opens and closes the list.
    return {QString(),
            QStringLiteral("VCD"),
            QStringLiteral("DVD"),
            QStringLiteral("DivX"),
            QStringLiteral("PC Game"),
            QStringLiteral("PS1 Game"),
            QStringLiteral("PS2 Game"),
            QStringLiteral("PS3 Game"),
            QString()};
}

void TFrmCDTanim::FormShow()
{
    // Whatever another window left in CD (the rent window narrows it to one
    // medium), this window starts on every title by name.
    DataSet *cd = Dm1->CD;
    if (!Dm1->showAllTitles())
        Prompt::error(cd->lastError());
    // Counted once: the panel tells how many titles there were on opening.
    // The list is every title, so the table's own count is the list's; it
    // is asked of the table because counting the ordered statement makes
    // the database sort every title first.
    int count = 0;
    if (cd->isOpen())
        count = Dm1->countTitles(nullptr).value_or(cd->recordCount());
    StatusPanel0->setText(QStringLiteral(" Total entered film number : ") + QString::number(count));

    for (DataSet *lookup : {Dm1->Yonetmen, Dm1->Oyuncu, Dm1->FilmTur, Dm1->DagiticiFirma, Dm1->FilmSirket}) {
        if (!lookup->isOpen())
            lookup->open();
    }
    for (int i = 1; i < 5; ++i)
        fillFilterList(m_filterLists[i], QLatin1String(FilterLists[i].table));
    DBGrid1->setFocus();
}

void TFrmCDTanim::fillFilterList(QComboBox *list, const QString &table)
{
    QString error;
    std::optional<QStringList> found = Dm1->lookupNames(table, &error);
    if (!found) {
        Prompt::error(error);
        return;
    }
    QStringList names = *found;
    // The list sorts its own entries, the way the shop reads them.
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) { return a.localeAwareCompare(b) < 0; });
    list->addItem(QString());
    list->addItems(names);
}

int TFrmCDTanim::NextCDNo()
{
    const ShopResult next = ShopBook().nextNumber(ShopBook::ShownNumber::CDNo);
    if (!next.ok())
        Prompt::error(next.message);
    return next.ok() ? next.number : 1;
}

bool TFrmCDTanim::keyPressed(QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
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
        if (focusWidget() == DBGrid1) {
            tbEditClick();
            return true;
        }
        return false;
    default:
        return false;
    }
}

void TFrmCDTanim::tbNewClick()
{
    DataSet *cd = Dm1->CD;
    if (!cd->isOpen() && !cd->open()) {
        Prompt::error(cd->lastError());
        return;
    }
    const int next = NextCDNo();
    if (!cd->insert()) {
        Prompt::error(cd->lastError());
        return;
    }
    cd->setValue(QStringLiteral("CDNo"), next);
    showModalWindow(FrmCDKayit, [this] { return new TFrmCDKayit(this); });
}

void TFrmCDTanim::tbEditClick()
{
    DataSet *cd = Dm1->CD;
    if (!cd->isOpen() || cd->isEmpty() || cd->recNo() < 0)
        return;
    if (!cd->edit()) {
        Prompt::error(cd->lastError());
        return;
    }
    showModalWindow(FrmCDKayit, [this] { return new TFrmCDKayit(this); });
}

void TFrmCDTanim::tbDeleteClick()
{
    DeleteWithConfirm(Dm1->CD, [](DataSet *cd) { return ShopBook().deleteTitle(cd->value(QStringLiteral("ID")).toInt()); });
}

void TFrmCDTanim::tbPrintClick()
{
    // The printout holds exactly what the list shows: the same statement
    // with the same filter values.
    DataSet *data = Dm2->RaporTemp;
    if (!Dm2->prepareReportFrom(Dm1->CD)) {
        Prompt::error(data->lastError());
        return;
    }
    {
        TReport1 report;
        Report::showPreview(report.CDListeRP);
    }
    data->close();
}

void TFrmCDTanim::tbStokIstClick()
{
    PrintStockStatistics();
}

void TFrmCDTanim::tbKiraIstClick()
{
    OpenRentingStatistics(this);
}

void TFrmCDTanim::Edit1Change()
{
    const QString text = Edit1->text().trimmed();
    if (text.isEmpty())
        return;
    DataSet *cd = Dm1->CD;
    switch (RadioGroup1->checkedId()) {
    case 1: {
        // A number finds its title exactly; text that is no number is ignored.
        bool ok = false;
        const int number = text.toInt(&ok);
        if (ok)
            cd->locate(QStringLiteral("CDNo"), number);
        break;
    }
    case 2:
        cd->locate(QStringLiteral("Barkod"), text, DataSet::CaseInsensitive | DataSet::PartialKey);
        break;
    case 3:
        cd->locate(QStringLiteral("CDFaturaNo"), text, DataSet::CaseInsensitive | DataSet::PartialKey);
        break;
    default:
        cd->locate(QStringLiteral("FilmAdi"), text, DataSet::CaseInsensitive | DataSet::PartialKey);
        break;
    }
}

void TFrmCDTanim::SpeedButton1Click()
{
    DataSet *cd = Dm1->CD;
    if (!SpeedButton1->isChecked()) {
        for (QComboBox *list : m_filterLists)
            list->setEnabled(true);
        if (!Dm1->showAllTitles())
            Prompt::error(cd->lastError());
        return;
    }
    // Each chosen name is a bound value, compared exactly with the title's
    // column: a name with quotes or apostrophes in it filters like any other.
    QList<QPair<QString, QString>> values;
    for (int i = 0; i < m_filterLists.size(); ++i) {
        QComboBox *list = m_filterLists[i];
        list->setEnabled(false);
        if (!list->currentText().trimmed().isEmpty())
            values << qMakePair(QString::fromLatin1(FilterLists[i].column), list->currentText());
    }
    if (!Dm1->showTitlesWhere(values))
        Prompt::error(cd->lastError());
}

void TFrmCDTanim::closeEvent(QCloseEvent *event)
{
    if (FrmCDKira.isNull())
        Dm1->CD->close();
    if (!FrmServis) {
        for (DataSet *lookup : {Dm1->Yonetmen, Dm1->FilmTur, Dm1->DagiticiFirma, Dm1->FilmSirket, Dm1->Oyuncu})
            lookup->close();
    }
    event->accept();
}

TFrmCDTanim *OpenCDDefinitions()
{
    return openChildWindow(FrmCDTanim, [] { return new TFrmCDTanim; });
}

TFrmCDTanim *OpenCDDefinitionsOn(const QVariant &titleId)
{
    TFrmCDTanim *w = OpenCDDefinitions();
    DataSet *cd = Dm1->CD;
    if (!cd->isOpen())
        cd->open();
    // A filtered list that lacks the title keeps its current row.
    cd->locate(QStringLiteral("ID"), titleId);
    return w;
}
