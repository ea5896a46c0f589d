#include "rental/FrmCDKiraUnit.h"

#include "rental/DlgBarkodOkuUnit.h"
#include "components/BandReport.h"
#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/DataSource.h"
#include "components/Format.h"
#include "components/GridColumns.h"
#include "components/KeyPreview.h"
#include "components/PromptService.h"
#include "components/WindowKit.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "data/ShopBook.h"
#include "data/Tariff.h"
#include "db/Money.h"
#include "messaging/FrmMailUnit.h"
#include "reports/RentalSlip.h"
#include "reports/Report2Unit.h"
#include "app/Helpers.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCollator>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStringListModel>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <climits>

namespace {

const QString Rent = QStringLiteral("Rent");
const QString Sell = QStringLiteral("Sell");

const QString EssentialText = QStringLiteral("You can t complete record without entering all essential changes !!!");
const QString StockText = QStringLiteral("Less than one copy of tis Cd in stock, please check CD card !!!");
const QString ReturnedText = QStringLiteral("You can t do any changes in act of be careful return is done !!!");
const QString SoldText = QStringLiteral("You can t do any changes in act of be careful selling is done !!!");
const QString NextRentalText = QStringLiteral("Do you want to rent a new film to customer !!!");
const QString SaveChangesText = QStringLiteral("Do you want to save changes !!!");

const QColor ReadOnlyColor(229, 227, 207);
const QColor PriceColor(247, 221, 164);

bool isEditing(const DataSet *ds)
{
    return ds->state() == DataSet::State::Insert || ds->state() == DataSet::State::Edit;
}

QVariant moneyValue(Money m)
{
    return QVariant::fromValue(m);
}

QVariant wholeDate(const QDate &d)
{
    return d.isValid() ? QVariant(QDateTime(d, QTime(0, 0))) : QVariant();
}

// The control's face in the given colour, whether it draws its face from
// the base (edits) or the button colour (drop-down lists).
void tint(QWidget *w, const QColor &c)
{
    QPalette p = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Base, c);
        p.setColor(group, QPalette::Button, c);
    }
    w->setPalette(p);
}

QLabel *caption(const QString &text, QWidget *buddy)
{
    auto *l = new QLabel(text);
    l->setBuddy(buddy);
    buddy->setAccessibleName(text);
    return l;
}

// Sorted as the clerk reads them (the locale's collation), the blank entry
// first. Each name's collation key is made once: comparing keys is a byte
// comparison, which a list of fifty thousand titles needs.
QStringList sortedWithBlank(const QStringList &names)
{
    QCollator collator;
    std::vector<std::pair<QCollatorSortKey, qsizetype>> keyed;
    keyed.reserve(size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i)
        keyed.emplace_back(collator.sortKey(names[i]), i);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
    QStringList out;
    out.reserve(names.size() + 1);
    out << QString();
    for (const auto &k : keyed)
        out << names[k.second];
    return out;
}

} // namespace

TFrmCDKira::TFrmCDKira(QWidget *parent) : QWidget(parent)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("FrmCDKira"));
    setWindowTitle(QStringLiteral("CD process"));
    setAccessibleName(windowTitle());
    setWindowIcon(Kit::picture(QStringLiteral("rent")));

    QToolBar *bar = buildToolbar();
    QFrame *title = buildTitleBand();
    QFrame *form = buildForm();
    QWidget *listPanel = buildList();
    QSplitter *middle = buildSearchAndFilter();
    QSplitter *lower = buildCustomerLists();

    auto *right = new QSplitter(Qt::Vertical, this);
    right->setObjectName(QStringLiteral("Splitter1"));
    right->addWidget(listPanel);
    right->addWidget(middle);
    right->addWidget(lower);
    right->setStretchFactor(0, 3);
    right->setStretchFactor(2, 2);

    auto *body = new QSplitter(Qt::Horizontal, this);
    body->setObjectName(QStringLiteral("Splitter4"));
    body->addWidget(form);
    body->addWidget(right);
    body->setStretchFactor(1, 1);
    body->setSizes({450, 830});

    // --- status bar
    const Kit::StatusPanels status = Kit::statusBar(
        this, {QStringLiteral(" [ F5 ] - Barcod entry"), QStringLiteral(" [ Insert ] - New"),
               QStringLiteral(" [ Delete ] - Delete"), QString(), QStringLiteral(" [ F9 ] - Post")});
    StatusPanels = status.panels;

    Kit::stack(this, {bar, title, body, status.bar}, body);
    connectSignals();
    setKeyboardOrder();

    m_keys = new KeyPreview(this, [this](QKeyEvent *e) { return FormKeyDown(e); });
    Dm1->registerRentWindow(this, this);
    FormShow();
}

// The toolbar: the transaction's buttons, then the list's navigation at the right.
QToolBar *TFrmCDKira::buildToolbar()
{
    QToolBar *bar = Kit::toolBar(this);
    auto add = [bar](const char *name, const QString &caption, const char *picture, const QString &hint = QString()) {
        return Kit::addTool(bar, QLatin1String(name), caption, QLatin1String(picture), hint);
    };
    tbNew = add("tbNew", QStringLiteral("    New    "), "new", QStringLiteral("New transaction [Insert]"));
    ToolButton1 = add("ToolButton1", QStringLiteral("Post"), "post");
    tbReport = add("tbReport", QStringLiteral("Cancel"), "cancel");
    tbFind = add("tbFind", QStringLiteral("Delete"), "delete", QStringLiteral("Delete transaction [Delete]"));
    tbUnitStats = add("tbUnitStats", QStringLiteral("Edit"), "edit");
    bar->addSeparator();
    tbAddSkip = add("tbAddSkip", QStringLiteral("Print"), "print", QStringLiteral("Print CD List"));
    tbSlip = add("tbSlip", QStringLiteral("Slip"), "cashbox", QStringLiteral("Print the slip of this transaction [F6]"));
    auto *spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);
    const Kit::Navigation nav = Kit::navigationButtons(bar, Dm1->Hareket);
    ToolButton6 = nav.first;
    ToolButton8 = nav.prior;
    ToolButton9 = nav.next;
    ToolButton10 = nav.last;
    const char *navNames[] = {"ToolButton6", "ToolButton8", "ToolButton9", "ToolButton10"};
    for (int i = 0; i < 4; ++i) {
        nav.buttons()[i]->setObjectName(QLatin1String(navNames[i]));
        bar->addWidget(nav.buttons()[i]);
    }
    return bar;
}

// The title band with the window's picture and its close button.
QFrame *TFrmCDKira::buildTitleBand()
{
    const Kit::Band title = Kit::titleBand(this, QStringLiteral("              CD process"), QColor(0, 64, 128),
                                           Qt::white, QStringLiteral("btnClose"));
    title.frame->setObjectName(QStringLiteral("Panel1"));
    btnClose = title.frame->findChild<QToolButton *>(QStringLiteral("btnClose"));
    if (auto *l = qobject_cast<QHBoxLayout *>(title.frame->layout())) {
        auto *icon = new QLabel(title.frame);
        icon->setPixmap(windowIcon().pixmap(16, 16));
        l->insertWidget(0, icon);
    }
    return title.frame;
}

// The transaction being typed, its total below; and the timer that blinks a scanned barcode.
QFrame *TFrmCDKira::buildForm()
{
    auto *form = new QFrame(this);
    form->setObjectName(QStringLiteral("Panel2"));
    form->setFrameShape(QFrame::StyledPanel);
    buildFormControls(form);
    layOutForm(form);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    return form;
}

// The form's controls, each bound to its column of the transaction.
void TFrmCDKira::buildFormControls(QFrame *form)
{
    DBComboBox1 = new DBComboBox(form);
    DBComboBox1->setObjectName(QStringLiteral("DBComboBox1"));
    DBComboBox1->addItems({Rent, Sell});
    DBComboBox1->setDataSource(Dm1->HareketData, QStringLiteral("IslemTur"));
    DBLookupComboBox1 = new DBLookupComboBox(form);
    DBLookupComboBox1->setObjectName(QStringLiteral("DBLookupComboBox1"));
    DBLookupComboBox1->setListSource(Dm1->Musteri, QStringLiteral("ID"), QStringLiteral("AdSoyad"));
    DBLookupComboBox1->setDataSource(Dm1->HareketData, QStringLiteral("MusteriNo"));
    DBComboBox2 = new DBComboBox(form);
    DBComboBox2->setObjectName(QStringLiteral("DBComboBox2"));
    DBComboBox2->addItems({QString(), QStringLiteral("VCD"), QStringLiteral("DVD"), QStringLiteral("DivX"),
                           QStringLiteral("PC Game"), QStringLiteral("PS1 Game"), QStringLiteral("PS2 Game"),
                           QStringLiteral("PS3 Game")});
    DBComboBox2->setDataSource(Dm1->HareketData, QStringLiteral("FilmTuru"));
    DBEdit3 = new DBEdit(form);
    DBEdit3->setObjectName(QStringLiteral("DBEdit3"));
    DBEdit3->setAlignment(Qt::AlignRight);
    DBEdit3->setMinimumWidth(90);
    DBEdit3->setMaximumWidth(120);
    DBEdit3->setDataSource(Dm1->HareketData, QStringLiteral("SatisFiyat"));
    DBCheck1 = new DBCheckBox(QStringLiteral("Gave on account"), form);
    DBCheck1->setObjectName(QStringLiteral("DBCheck1"));
    DBCheck1->setAccessibleName(DBCheck1->text());
    DBCheck1->setDataSource(Dm1->HareketData, QStringLiteral("Veresiye"));
    DBText2 = new DBText(form);
    DBText2->setObjectName(QStringLiteral("DBText2"));
    DBText2->setDataSource(Dm1->HareketData, QStringLiteral("Barkod"));
    QFont barcodeFont = DBText2->font();
    barcodeFont.setBold(true);
    DBText2->setFont(barcodeFont);
    DBText2->setStyleSheet(QStringLiteral("color: rgb(128, 0, 0);"));
    QSizePolicy keepPlace = DBText2->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true); // blinking must not shake the form
    DBText2->setSizePolicy(keepPlace);
    DBText2->setMinimumHeight(DBText2->fontMetrics().height() + 4);
    DBLookupComboBox2 = new DBLookupComboBox(form);
    DBLookupComboBox2->setObjectName(QStringLiteral("DBLookupComboBox2"));
    DBLookupComboBox2->setListSource(Dm1->CD, QStringLiteral("ID"), QStringLiteral("FilmAdi"));
    DBLookupComboBox2->setDataSource(Dm1->HareketData, QStringLiteral("CdNo"));
    DBDateEdit1 = new DBDateEdit(form);
    DBDateEdit1->setObjectName(QStringLiteral("DBDateEdit1"));
    DBDateEdit1->setDataSource(Dm1->HareketData, QStringLiteral("KiraTarih"));
    SpinEdit1 = new QSpinBox(form);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    // A count past the longest rental is refused where it is typed, and by
    // the engine again at Post.
    SpinEdit1->setRange(0, Tariff::MaxRentalDays);
    SpinEdit1->setMaximumWidth(110);
    DBDate1 = new DBDateEdit(form);
    DBDate1->setObjectName(QStringLiteral("DBDate1"));
    DBDate1->setDataSource(Dm1->HareketData, QStringLiteral("GelecekTarih"));
    LabelWeekday = Kit::valueLabel(form, QStringLiteral("Label10"), QStringLiteral("Weekday of the return date"));
    QFont dayFont = LabelWeekday->font();
    dayFont.setBold(true);
    LabelWeekday->setFont(dayFont);
    LabelWeekday->setMinimumWidth(LabelWeekday->fontMetrics().horizontalAdvance(QStringLiteral("Wednesday")) + 8);
    LabelDiscsOut = Kit::valueLabel(form, QStringLiteral("LabelDiscsOut"), QStringLiteral("Discs out"));
    LabelOverdue = Kit::valueLabel(form, QStringLiteral("LabelOverdue"), QStringLiteral("Overdue"));
    LabelOnAccount = Kit::valueLabel(form, QStringLiteral("LabelOnAccount"), QStringLiteral("On account"));
    DBText1 = new DBText(form);
    DBText1->setObjectName(QStringLiteral("DBText1"));
    DBText1->setAccessibleName(QStringLiteral("Total sum"));
    DBText1->setDataSource(Dm1->HareketData, QStringLiteral("TopTutar"));
    DBText1->link().setAlwaysEnabled(true); // the total stays readable while browsing
    DBText1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont totalFont = DBText1->font();
    totalFont.setBold(true);
    totalFont.setPointSize(totalFont.pointSize() + 4);
    DBText1->setFont(totalFont);
}

// The form's rows: captions at the left, the total in its grey band below.
void TFrmCDKira::layOutForm(QFrame *form)
{
    auto *typeAndPrice = new QHBoxLayout;
    typeAndPrice->addWidget(DBComboBox2, 1);
    typeAndPrice->addWidget(caption(QStringLiteral("Price"), DBEdit3));
    typeAndPrice->addWidget(DBEdit3);
    auto *dueAndDay = new QHBoxLayout;
    dueAndDay->addWidget(DBDate1);
    dueAndDay->addWidget(LabelWeekday);
    dueAndDay->addStretch();
    auto *standingRow = new QHBoxLayout;
    standingRow->addWidget(LabelDiscsOut);
    standingRow->addWidget(LabelOverdue);
    standingRow->addWidget(LabelOnAccount);
    standingRow->addStretch();
    auto *daysRow = new QHBoxLayout;
    daysRow->addWidget(SpinEdit1);
    daysRow->addStretch();
    auto *dateRow = new QHBoxLayout;
    dateRow->addWidget(DBDateEdit1);
    dateRow->addStretch();
    auto *totalBand = new QFrame(form);
    totalBand->setObjectName(QStringLiteral("Panel3"));
    totalBand->setAutoFillBackground(true);
    QPalette grey = totalBand->palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    totalBand->setPalette(grey);
    auto *totalLayout = new QHBoxLayout(totalBand);
    auto *totalCaption = caption(QStringLiteral("Total sum"), DBText1);
    totalCaption->setFont(DBText1->font());
    totalLayout->addWidget(totalCaption);
    totalLayout->addWidget(DBText1, 1);

    auto *fl = new QFormLayout;
    fl->addRow(caption(QStringLiteral("Process type"), DBComboBox1), DBComboBox1);
    fl->addRow(caption(QStringLiteral("Customer Name"), DBLookupComboBox1), DBLookupComboBox1);
    fl->addRow(QString(), standingRow);
    fl->addRow(caption(QStringLiteral("Film type"), DBComboBox2), typeAndPrice);
    fl->addRow(QString(), DBCheck1);
    fl->addRow(caption(QStringLiteral("CD Barcode"), DBText2), DBText2);
    fl->addRow(caption(QStringLiteral("Film name"), DBLookupComboBox2), DBLookupComboBox2);
    fl->addRow(caption(QStringLiteral("Beginning date. / Purchase date"), DBDateEdit1), dateRow);
    fl->addRow(caption(QStringLiteral("Number of rented days"), SpinEdit1), daysRow);
    fl->addRow(caption(QStringLiteral("Necessary return date"), DBDate1), dueAndDay);
    auto *formLayout = new QVBoxLayout(form);
    formLayout->addLayout(fl);
    formLayout->addSpacing(8);
    formLayout->addWidget(totalBand);
    formLayout->addStretch();
    // Wide enough for the longest caption beside the price and the due date
    // with its weekday: a narrower form cut both off.
    form->setMinimumWidth(470);
    form->setMaximumWidth(540);
    for (QWidget *d : {static_cast<QWidget *>(DBDateEdit1), static_cast<QWidget *>(DBDate1),
                       static_cast<QWidget *>(SpinEdit1)})
        d->setMinimumWidth(d->fontMetrics().horizontalAdvance(QStringLiteral("00.00.00000")) + 40);
}

// The list of transactions.
QWidget *TFrmCDKira::buildList()
{
    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("CD renting table"));
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setTabKeyNavigation(false);
    const QStringList listFields = {
        QStringLiteral("ID"),          QStringLiteral("IslemTur"),   QStringLiteral("MusteriNo"),
        QStringLiteral("CdNo"),        QStringLiteral("IslemTarih"), QStringLiteral("KiralamaGun"),
        QStringLiteral("SonTarih"),    QStringLiteral("TakasCDNo"),  QStringLiteral("TeslimTarih"),
        QStringLiteral("KiraTarih"),   QStringLiteral("SatisTarih"), QStringLiteral("TakasTarih"),
        QStringLiteral("SatisFiyat"),  QStringLiteral("CezaGunSayi"), QStringLiteral("CezaTutari"),
        QStringLiteral("FilmTuru"),    QStringLiteral("CDDurum")};
    QStringList listTitles = listFields;
    listTitles[1] = QStringLiteral("Process Type");
    listTitles[2] = QStringLiteral("CustomerNo");
    listTitles[4] = QStringLiteral("Process Date");
    listTitles[5] = QStringLiteral("Number of Day");
    listTitles[6] = QStringLiteral("Nec/ Return Date");
    listTitles[7] = QStringLiteral("Exch/CDNo");
    setGridColumns(DBGrid1, Dm1->HareketData, listFields, listTitles,
                   {50, 80, 80, 60, 120, 90, 100, 70, 90, 90, 90, 90, 80, 80, 80, 80, 60});
    QWidget *listPanel = Kit::panel(Kit::band(this, QStringLiteral("  CD renting table"), QColor(0, 64, 128), Qt::white),
                                    DBGrid1);
    return listPanel;
}

// Searching the list (left) and filtering it (right).
QSplitter *TFrmCDKira::buildSearchAndFilter()
{
    auto *search = new QWidget(this);
    auto *radioBox = new QGroupBox(QStringLiteral("Choosing search factor"), search);
    radioBox->setObjectName(QStringLiteral("RadioGroup1"));
    radioBox->setAccessibleName(radioBox->title());
    RadioGroup1 = new QButtonGroup(this);
    auto *rbCustomer = new QRadioButton(QStringLiteral("Customer Name"), radioBox);
    rbCustomer->setObjectName(QStringLiteral("RadioCustomerName"));
    rbCustomer->setAccessibleName(rbCustomer->text());
    auto *rbFilm = new QRadioButton(QStringLiteral("Film Name"), radioBox);
    rbFilm->setObjectName(QStringLiteral("RadioFilmName"));
    rbFilm->setAccessibleName(rbFilm->text());
    RadioGroup1->addButton(rbCustomer, 0);
    RadioGroup1->addButton(rbFilm, 1);
    rbCustomer->setChecked(true);
    auto *rl = new QHBoxLayout(radioBox);
    rl->addWidget(rbCustomer);
    rl->addWidget(rbFilm);
    ComboBox1 = new QComboBox(search);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    // Measuring every name of a long list would cost more than the list.
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBox1->setMinimumContentsLength(20);
    auto *sl = new QVBoxLayout(search);
    sl->addWidget(radioBox);
    sl->addWidget(caption(QStringLiteral("Factor"), ComboBox1));
    sl->addWidget(ComboBox1);
    sl->addStretch();
    QWidget *searchPanel = Kit::panel(Kit::band(this, QStringLiteral("  Search options"), QColor(128, 128, 128), Qt::white),
                                      search);

    // --- filter
    auto *filterBox = new QGroupBox(QStringLiteral("Filtre değişkeni seçimi"), this);
    filterBox->setObjectName(QStringLiteral("GroupBox1"));
    filterBox->setAccessibleName(filterBox->title());
    ComboBox2 = new QComboBox(filterBox);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->addItems({Rent, Sell});
    ComboBox2->setCurrentIndex(-1);
    ComboBox2->setMinimumWidth(80);
    ComboBox3 = new QComboBox(filterBox);
    ComboBox3->setMinimumWidth(100);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    ComboBox3->addItems({QString(), QStringLiteral("DivX"), QStringLiteral("DVD"), QStringLiteral("PC Game"),
                         QStringLiteral("PS1 Game"), QStringLiteral("PS2 Game"), QStringLiteral("PS3 Game"),
                         QStringLiteral("VCD")});
    Check1 = new QCheckBox(QStringLiteral("Notice period of reservation"), filterBox);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setAccessibleName(Check1->text());
    DateTimePicker1 = new QDateEdit(QDate::currentDate(), filterBox);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker2 = new QDateEdit(QDate::currentDate(), filterBox);
    DateTimePicker2->setObjectName(QStringLiteral("DateTimePicker2"));
    for (QDateEdit *d : {DateTimePicker1, DateTimePicker2}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("d MMMM yyyy, dddd"));
        d->setMinimumWidth(d->fontMetrics().horizontalAdvance(QStringLiteral("30 September 2026, Wednesday")) + 30);
        d->setEnabled(false);
        tint(d, QColor(192, 192, 192));
    }
    Check2 = new QCheckBox(QStringLiteral("Only show rented"), filterBox);
    Check2->setObjectName(QStringLiteral("Check2"));
    Check2->setAccessibleName(Check2->text());
    SpeedButton4 = Kit::toolButton(filterBox, QStringLiteral("SpeedButton4"), QStringLiteral("Filer"),
                                   QStringLiteral("check"), Kit::Caption::Beside);
    SpeedButton4->setCheckable(true);
    auto *gl = new QGridLayout(filterBox);
    gl->addWidget(caption(QStringLiteral("Process type"), ComboBox2), 0, 0);
    gl->addWidget(ComboBox2, 0, 1);
    gl->addWidget(caption(QStringLiteral("Film type"), ComboBox3), 0, 2);
    gl->addWidget(ComboBox3, 0, 3);
    gl->addWidget(Check1, 1, 0, 1, 4);
    // The two dates one under the other: side by side, the long dates made
    // the window wider than a 1366 px screen.
    gl->addWidget(caption(QStringLiteral("Starting date"), DateTimePicker1), 2, 0);
    gl->addWidget(DateTimePicker1, 2, 1, 1, 3);
    gl->addWidget(caption(QStringLiteral("Ending date."), DateTimePicker2), 3, 0);
    gl->addWidget(DateTimePicker2, 3, 1, 1, 3);
    gl->addWidget(Check2, 4, 0, 1, 3);
    gl->addWidget(SpeedButton4, 4, 3, Qt::AlignRight);
    QWidget *filterPanel = Kit::panel(
        Kit::band(this, QStringLiteral("  choosing filter factor"), QColor(128, 128, 128), Qt::white), filterBox);

    auto *middle = new QSplitter(Qt::Horizontal, this);
    middle->setObjectName(QStringLiteral("Splitter3"));
    middle->addWidget(searchPanel);
    middle->addWidget(filterPanel);
    middle->setStretchFactor(1, 1);
    return middle;
}

// The chosen customer's discs, and everybody who took the chosen title.
QSplitter *TFrmCDKira::buildCustomerLists()
{
    DBGrid2 = new DBGrid(this);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setAccessibleName(QStringLiteral("CDs in customer"));
    DBGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid2->setTabKeyNavigation(false);
    setGridColumns(DBGrid2, Dm1->Hareket_Temp1Data,
                   {QStringLiteral("FilmAdi"), QStringLiteral("FilmTuru"), QStringLiteral("KiraTarih"),
                    QStringLiteral("TeslimTarih"), QStringLiteral("KiralamaGun"), QStringLiteral("Telefon")},
                   {QStringLiteral("Film Name"), QStringLiteral("FilmType"), QStringLiteral("Rent Date"),
                    QStringLiteral("Return Date"), QStringLiteral("Number of Days"), QStringLiteral("Telephone Number")},
                   {170, 70, 90, 90, 90, 110});
    const Kit::Band rentedHeading = Kit::band(this, QStringLiteral("  CDs in customer"), QColor(128, 0, 0), Qt::white);
    SpeedButton1 = Kit::toolButton(rentedHeading.frame, QStringLiteral("SpeedButton1"),
                                   QStringLiteral("Send E-Mail to this customer"), QStringLiteral("link"),
                                   Kit::Caption::Beside);
    SpeedButton2 = Kit::toolButton(rentedHeading.frame, QStringLiteral("SpeedButton2"),
                                   QStringLiteral("Get this transaction"), QStringLiteral("forward"),
                                   Kit::Caption::Beside);
    SpeedButton3 = Kit::toolButton(rentedHeading.frame, QStringLiteral("SpeedButton3"), QStringLiteral("Print"),
                                   QStringLiteral("print"), Kit::Caption::Hidden);
    SpeedButton3->setVisible(false);
    rentedHeading.buttons->addWidget(SpeedButton1);
    rentedHeading.buttons->addWidget(SpeedButton2);
    rentedHeading.buttons->addWidget(SpeedButton3);

    DBGrid3 = new DBGrid(this);
    DBGrid3->setObjectName(QStringLiteral("DBGrid3"));
    DBGrid3->setAccessibleName(QStringLiteral("The customers renting this film"));
    DBGrid3->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid3->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid3->setTabKeyNavigation(false);
    setGridColumns(DBGrid3, Dm1->HareketTemp2Data,
                   {QStringLiteral("AdSoyad"), QStringLiteral("KiraTarih"), QStringLiteral("KiralamaGun"),
                    QStringLiteral("TeslimTarih"), QStringLiteral("Telefon")},
                   {QStringLiteral("Customer Name"), QStringLiteral("Rent Date"), QStringLiteral("Number of Days"),
                    QStringLiteral("Return Date"), QStringLiteral("Telephone Number")},
                   {150, 90, 90, 90, 110});
    const Kit::Band rentersHeading =
        Kit::band(this, QStringLiteral("  The customers renting this film"), QColor(0, 64, 0), Qt::white);

    auto *lower = new QSplitter(Qt::Horizontal, this);
    lower->setObjectName(QStringLiteral("Splitter2"));
    lower->addWidget(Kit::panel(rentedHeading, DBGrid2));
    lower->addWidget(Kit::panel(rentersHeading, DBGrid3));
    return lower;
}

// The clerk's actions, and the data source the window follows.
void TFrmCDKira::connectSignals()
{
    connect(tbNew, &QToolButton::clicked, this, &TFrmCDKira::tbNewClick);
    connect(ToolButton1, &QToolButton::clicked, this, &TFrmCDKira::ToolButton1Click);
    connect(tbReport, &QToolButton::clicked, this, &TFrmCDKira::tbReportClick);
    connect(tbFind, &QToolButton::clicked, this, &TFrmCDKira::tbFindClick);
    connect(tbUnitStats, &QToolButton::clicked, this, &TFrmCDKira::tbUnitStatsClick);
    connect(tbAddSkip, &QToolButton::clicked, this, &TFrmCDKira::tbAddSkipClick);
    connect(tbSlip, &QToolButton::clicked, this, &TFrmCDKira::tbSlipClick);
    // The clerk's choices (activated) run the pricing; values set by code do not.
    connect(DBComboBox2, &QComboBox::activated, this, &TFrmCDKira::DBComboBox2Change);
    connect(DBComboBox1, &QComboBox::activated, this, &TFrmCDKira::DBLookupComboBox2DropDown);
    connect(DBLookupComboBox2, &QComboBox::activated, this, &TFrmCDKira::DBLookupComboBox2DropDown);
    // The price follows the customer's membership as soon as the customer is
    // chosen: the engine books by the membership the customer has.
    connect(DBLookupComboBox1, &QComboBox::activated, this, [this] {
        if (isEditing(Dm1->Hareket))
            showQuote(true);
        showCustomerStanding();
    });
    connect(SpinEdit1, &QSpinBox::valueChanged, this, &TFrmCDKira::SpinEdit1Change);
    // A game is priced from its "Price": the total follows it as it is typed.
    connect(DBEdit3, &QLineEdit::textEdited, this, &TFrmCDKira::gamePriceTyped);
    connect(DBDateEdit1, &QDateEdit::dateChanged, this, &TFrmCDKira::SpinEdit1Change);
    connect(DBDate1, &QDateEdit::dateChanged, this,
            [this](const QDate &d) { Kit::setValue(LabelWeekday, d == DBDate1->minimumDate() ? QString() : Tariff::weekdayName(d)); });
    connect(Timer1, &QTimer::timeout, this, &TFrmCDKira::TimerTimer);
    connect(RadioGroup1, &QButtonGroup::idClicked, this, &TFrmCDKira::Radio1Click);
    connect(ComboBox1, &QComboBox::activated, this, &TFrmCDKira::ComboBox1Change);
    connect(SpeedButton4, &QToolButton::clicked, this, &TFrmCDKira::SpeedButton4Click);
    connect(Check1, &QCheckBox::clicked, this, &TFrmCDKira::Check1Click);
    connect(DBGrid2, &QAbstractItemView::doubleClicked, this, &TFrmCDKira::DBGrid2DblClick);
    connect(SpeedButton2, &QToolButton::clicked, this, &TFrmCDKira::DBGrid2DblClick);
    connect(SpeedButton1, &QToolButton::clicked, this, &TFrmCDKira::SpeedButton1Click);
    connect(DBGrid2, &QAbstractItemView::clicked, this, [this] {
        DataSet *t = Dm1->HareketTemp1;
        if (!t->isOpen() || t->recNo() < 0)
            return;
        DBGrid2->setToolTip(QStringList{QStringLiteral("Film Name       : ") + t->displayText(QStringLiteral("FilmAdi")),
                                        QStringLiteral("Rent Date       : ") + t->displayText(QStringLiteral("KiraTarih")),
                                        QStringLiteral("Number of Days  : ") + t->displayText(QStringLiteral("KiralamaGun")),
                                        QStringLiteral("Return Date     : ") + t->displayText(QStringLiteral("TeslimTarih")),
                                        QStringLiteral("Customer Phone  : ") + t->displayText(QStringLiteral("Telefon"))}
                                .join(u'\r'));
    });
    // The data-aware controls set their own state on every change of the row;
    // this window's rules (a sale has no days, the price's colour) come after.
    connect(Dm1->HareketData, &DataSource::dataChanged, this, &TFrmCDKira::paintControlStates);
    connect(Dm1->HareketData, &DataSource::stateChanged, this, &TFrmCDKira::paintControlStates);
}

// Tab runs through the form as the clerk fills it; the price and the dates
// usually come by themselves and follow after "Post". Each list is one stop.
void TFrmCDKira::setKeyboardOrder()
{
    ToolButton1->setFocusPolicy(Qt::TabFocus);
    const QList<QWidget *> order = {DBComboBox1, DBLookupComboBox1, DBComboBox2, DBLookupComboBox2, SpinEdit1,
                                    DBCheck1,    ToolButton1,       DBEdit3,     DBDateEdit1,       DBDate1};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    SpinEdit1->installEventFilter(this);
    DBLookupComboBox1->installEventFilter(this);
}

// The days field gives its whole value up when it is entered, so that one
// digit replaces it. The customer's typed letters start anew each time.
bool TFrmCDKira::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        if (watched == SpinEdit1) {
            SpinEdit1->selectAll();
            // A click places the cursor after the focus came: select again then.
            QTimer::singleShot(0, SpinEdit1, [this] {
                if (SpinEdit1->hasFocus())
                    SpinEdit1->selectAll();
            });
        } else if (watched == DBLookupComboBox1) {
            m_typedName.clear();
        }
    }
    return QWidget::eventFilter(watched, event);
}

TFrmCDKira::~TFrmCDKira() = default;

// ------------------------------------------------------------------ opening

void TFrmCDKira::FormShow()
{
    DataSet *m = Dm1->Musteri;
    if (!m->isOpen() && !m->open())
        Prompt::error(m->lastError());
    // The film list as another window may have left it (the catalogue's filter).
    DataSet *cd = Dm1->CD;
    if (!cd->isOpen() && !cd->open())
        Prompt::error(cd->lastError());
    // Every opening starts on the open transactions, the filter released.
    SpeedButton4->setChecked(false);
    ComboBox2->setEnabled(true);
    ComboBox3->setEnabled(true);
    // Opening the list stands on its first row, and the lists below and the
    // form follow that row.
    const bool listed = Dm1->showOpenTransactions();
    if (!listed)
        Prompt::error(Dm1->Hareket->lastError());

    QString error;
    const std::optional<QStringList> titles = Dm1->titleNames(&error);
    const std::optional<QStringList> customers = titles ? Dm1->customerNames(&error) : std::nullopt;
    if (!customers)
        Prompt::error(error);
    m_titleNames = sortedWithBlank(titles.value_or(QStringList()));
    m_customerNames = sortedWithBlank(customers.value_or(QStringList()));
    fillSearchList();
    if (!listed)
        Dm1->HareketAfterScroll();
    UpdateControlStates();
}

void TFrmCDKira::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_focusGiven) {
        m_focusGiven = true;
        DBGrid1->setFocus();
    }
}

void TFrmCDKira::fillSearchList()
{
    // One model for the whole list: adding tens of thousands of entries one
    // by one would redraw the list's bookkeeping for each.
    QSignalBlocker block(ComboBox1);
    auto *names = qobject_cast<QStringListModel *>(ComboBox1->model());
    if (!names) {
        names = new QStringListModel(ComboBox1);
        ComboBox1->setModel(names);
    }
    names->setStringList(RadioGroup1->checkedId() == 1 ? m_titleNames : m_customerNames);
    ComboBox1->setCurrentIndex(0);
}

// ------------------------------------------------------------- control states

void TFrmCDKira::setDayCountText(const QString &text)
{
    SpinEdit1->setValue(text.trimmed().toInt());
}

void TFrmCDKira::UpdateControlStates()
{
    paintControlStates();
}

void TFrmCDKira::paintControlStates()
{
    DataSet *h = Dm1->Hareket;
    const bool editing = isEditing(h);
    for (QToolButton *b : {tbNew, tbFind, tbUnitStats, tbAddSkip})
        b->setEnabled(!editing);
    tbSlip->setEnabled(!editing && h->isOpen() && h->recNo() >= 0);

    const QList<QWidget *> fields = {DBComboBox1, DBLookupComboBox1, DBComboBox2, DBLookupComboBox2, DBDateEdit1, DBEdit3};
    const QColor editable = DataAwareColors::editable();
    for (QWidget *w : fields) {
        w->setEnabled(editing);
        tint(w, editing ? editable : ReadOnlyColor);
    }
    DBCheck1->setEnabled(editing);
    DBText2->setEnabled(editing);
    if (editing)
        tint(DBEdit3, PriceColor);
    const bool rental = editing && h->value(QStringLiteral("IslemTur")).toString() != Sell;
    SpinEdit1->setEnabled(rental);
    DBDate1->setEnabled(rental);
    tint(SpinEdit1, rental ? editable : ReadOnlyColor);
    tint(DBDate1, rental ? editable : ReadOnlyColor);
}

// ------------------------------------------------------------------- pricing

void TFrmCDKira::ReloadFilmList(const QString &discType)
{
    if (!Dm1->showFilmList(discType))
        Prompt::error(Dm1->CD->lastError());
    paintControlStates();
}

void TFrmCDKira::DBComboBox2Change()
{
    if (!isEditing(Dm1->Hareket))
        return;
    showQuote(true);
    ReloadFilmList(Dm1->Hareket->value(QStringLiteral("FilmTuru")).toString());
}

void TFrmCDKira::DBLookupComboBox2DropDown()
{
    UpdateControlStates();
    DataSet *cd = Dm1->CD;
    if (cd->isOpen() && cd->recNo() >= 0) {
        DBLookupComboBox2->setToolTip(
            QStringList{QStringLiteral("Film Name         : ") + cd->value(QStringLiteral("FilmAdi")).toString(),
                        QStringLiteral("Stock Condition   : ") + cd->value(QStringLiteral("Stok")).toString(),
                        QStringLiteral("Production Year   : ") + cd->value(QStringLiteral("YapimYili")).toString(),
                        QStringLiteral("Director          : ") + cd->value(QStringLiteral("Yonetmen")).toString(),
                        QStringLiteral("Film Type         : ") + cd->value(QStringLiteral("KonuTur")).toString()}
                .join(u'\r'));
    }
    // A type, title or process just chosen: the price is looked up anew.
    if (isEditing(Dm1->Hareket))
        showQuote(true);
}

void TFrmCDKira::SpinEdit1Change()
{
    if (isEditing(Dm1->Hareket) && !SpinEdit1->cleanText().trimmed().isEmpty())
        showQuote(false);
    const QDate due = DBDate1->date();
    Kit::setValue(LabelWeekday, due == DBDate1->minimumDate() ? QString() : Tariff::weekdayName(due));
}

// The customer's discs out, overdue ones and balance on account, beside the customer.
void TFrmCDKira::showCustomerStanding()
{
    const QVariant customer = Dm1->Hareket->isOpen() ? Dm1->Hareket->value(QStringLiteral("MusteriNo")) : QVariant();
    std::optional<TDm1::CustomerStanding> standing;
    if (!customer.isNull() && customer.toInt() != 0) {
        QString error;
        standing = Dm1->customerStanding(customer, QDate::currentDate(), &error);
        if (!standing)
            qWarning("customer standing: %s", qPrintable(error));
    }
    Kit::setValue(LabelDiscsOut, standing ? QStringLiteral("Discs out: %1").arg(standing->discsOut) : QString());
    Kit::setValue(LabelOverdue, standing ? QStringLiteral("Overdue: %1").arg(standing->overdue) : QString());
    Kit::setValue(LabelOnAccount, standing ? QStringLiteral("On account: ") + Format::money(standing->onAccount) : QString());
    // Overdue discs stand out in red; none, in the form's own colour.
    QPalette p = LabelOverdue->palette();
    p.setColor(QPalette::WindowText, standing && standing->overdue > 0 ? QColor(Qt::red) : palette().color(QPalette::WindowText));
    LabelOverdue->setPalette(p);
}

// What the form holds, as the engine takes it.
ShopBook::RentRequest TFrmCDKira::rentRequest(bool lookUp) const
{
    DataSet *h = Dm1->Hareket;
    ShopBook::RentRequest r;
    r.editId = h->state() == DataSet::State::Edit ? h->value(QStringLiteral("ID")).toInt() : 0;
    r.process = h->value(QStringLiteral("IslemTur")).toString();
    r.customerId = h->value(QStringLiteral("MusteriNo")).toInt();
    r.titleId = h->value(QStringLiteral("CdNo")).toInt();
    r.discType = h->value(QStringLiteral("FilmTuru")).toString();
    r.start = DBDateEdit1->date() == DBDateEdit1->minimumDate() ? QDate() : DBDateEdit1->date();
    r.days = SpinEdit1->value();
    r.onAccount = h->value(QStringLiteral("Veresiye")).toInt() == 1;
    r.barcode = h->value(QStringLiteral("Barkod")).toString();
    r.price = shownPrice();
    r.lookUp = lookUp;
    return r;
}

// The due date, price and total the engine would book for what the form
// holds now: what the clerk sees is what "Post" books.
void TFrmCDKira::showQuote(bool lookUp)
{
    DataSet *h = Dm1->Hareket;
    ShopBook::RentFigures f;
    if (!ShopBook().quote(rentRequest(lookUp), &f).ok())
        return;
    PricingMembership = f.membership;
    h->setValue(QStringLiteral("GelecekTarih"), wholeDate(f.dueDate));
    if (lookUp || !DBEdit3->isModified())
        h->setValue(QStringLiteral("SatisFiyat"), moneyValue(f.unitPrice));
    h->setValue(QStringLiteral("TopTutar"), moneyValue(f.total));
}

// The "Price" as the form shows it: what the clerk is typing, or the row's.
std::optional<Money> TFrmCDKira::shownPrice() const
{
    if (DBEdit3->isModified())
        return DBEdit3->text().trimmed().isEmpty() ? std::optional<Money>() : Format::parseMoney(DBEdit3->text());
    const QVariant stored = Dm1->Hareket->value(QStringLiteral("SatisFiyat"));
    return stored.isNull() ? std::optional<Money>() : Money::fromVariant(stored);
}

void TFrmCDKira::gamePriceTyped()
{
    SpinEdit1Change();
}

// -------------------------------------------------------------- the barcode

void TFrmCDKira::startBlinking()
{
    Timer1->start();
}

void TFrmCDKira::stopBlinking()
{
    Timer1->stop();
    DBText2->setVisible(true);
}

void TFrmCDKira::TimerTimer()
{
    DBText2->setVisible(!DBText2->isVisible());
}

void TFrmCDKira::openBarcodeDialog()
{
    if (!isEditing(Dm1->Hareket))
        return;
    OpenBarcodeDialog(this, TDlgBarkodOku::TitleForRent);
    // The keys come back here once the dialog is gone, whatever the
    // platform makes active next.
    window()->activateWindow();
    // A scanned title leaves only the days to type (or "Post" at once).
    if (!Dm1->Hareket->value(QStringLiteral("CdNo")).isNull() && SpinEdit1->isEnabled())
        SpinEdit1->setFocus(Qt::OtherFocusReason);
}

// ------------------------------------------------------------------- keys

bool TFrmCDKira::FormKeyDown(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_F9 && mods == Qt::NoModifier) || (enter && mods == Qt::ControlModifier)) {
        if (!isEditing(Dm1->Hareket))
            return false;
        ToolButton1Click();
        return true;
    }
    if (mods & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    if (focusWidget() == DBLookupComboBox1 && DBLookupComboBox1->hasFocus() && isEditing(Dm1->Hareket)
        && typeIntoCustomer(event))
        return true;
    switch (event->key()) {
    case Qt::Key_F5:
        openBarcodeDialog();
        return true;
    case Qt::Key_F6:
        if (tbSlip->isEnabled())
            tbSlipClick();
        return true;
    case Qt::Key_Insert:
        // From anywhere in the window; the process is "Rent" already, so
        // the clerk starts at the customer.
        if (!tbNew->isEnabled() || isEditing(Dm1->Hareket))
            return false;
        tbNewClick();
        if (isEditing(Dm1->Hareket))
            DBLookupComboBox1->setFocus(Qt::ShortcutFocusReason);
        return true;
    case Qt::Key_Delete:
        if (focusWidget() != DBGrid1)
            return false;
        if (tbFind->isEnabled())
            tbFindClick();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (focusWidget() == ComboBox1) {
            DBGrid2->setFocus();
            return true;
        }
        return false;
    default:
        return false;
    }
}

// Letters typed in the customer list pick the first customer whose name
// starts with them (the combo box itself would search on from the customer
// shown, among the names read so far); Enter chooses, as a click does.
bool TFrmCDKira::typeIntoCustomer(QKeyEvent *event)
{
    DBLookupComboBox *box = DBLookupComboBox1;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        m_typedName.clear();
        if (box->currentIndex() >= 0)
            emit box->activated(box->currentIndex());
        return true;
    }
    if (event->key() == Qt::Key_Backspace && !m_typedName.isEmpty()) {
        m_typedName.chop(1);
    } else {
        const QString text = event->text();
        if (text.isEmpty() || !text.at(0).isPrint())
            return false;
        m_typedName += text;
    }
    DataSet *m = Dm1->Musteri;
    if (m_typedName.isEmpty() || !m->isOpen() || m->state() != DataSet::State::Browse)
        return true;
    const int before = m->recNo();
    if (m->locate(QStringLiteral("AdSoyad"), m_typedName, DataSet::CaseInsensitive | DataSet::PartialKey))
        box->setCurrentIndex(m->recNo());
    else if (before >= 0)
        m->moveTo(before);
    return true;
}

// --------------------------------------------------------- the transaction

void TFrmCDKira::tbNewClick()
{
    DataSet *h = Dm1->Hareket;
    stopBlinking();
    EditStartCDNo = 0;
    if (!h->isOpen() || isEditing(h))
        return;
    if (!h->insert()) {
        Prompt::error(h->lastError());
        return;
    }
    SpinEdit1->setValue(1);
    h->setValue(QStringLiteral("KiraTarih"), wholeDate(QDate::currentDate()));
    h->setValue(QStringLiteral("Veresiye"), 0);
    h->setValue(QStringLiteral("IslemTur"), Rent);
    IsNewTransaction = true;
    SpinEdit1Change();
    UpdateControlStates();
    DBComboBox1->setFocus();
}

namespace {

// Makes the transaction's title the current row of the film list, so that
// what is read of "the chosen title" is that title. A list narrowed to
// another disc type is widened to every title first.
bool showTitle(const QVariant &titleId, bool widen)
{
    DataSet *cd = Dm1->CD;
    if (titleId.isNull())
        return false;
    if (cd->isOpen() && cd->recNo() >= 0 && cd->value(QStringLiteral("ID")).toString() == titleId.toString())
        return true;
    if (cd->isOpen() && cd->state() == DataSet::State::Browse && cd->locate(QStringLiteral("ID"), titleId))
        return true;
    if (!widen || !Dm1->showFilmList(QString()))
        return false;
    return cd->locate(QStringLiteral("ID"), titleId);
}

} // namespace

void TFrmCDKira::tbUnitStatsClick()
{
    DataSet *h = Dm1->Hareket;
    if (!h->isOpen() || h->recNo() < 0 || isEditing(h))
        return;
    if (h->value(QStringLiteral("CDDurum")).toInt() == 1) {
        Prompt::warning(ReturnedText);
        return;
    }
    if (h->value(QStringLiteral("Kayit")).toInt() == 1) {
        Prompt::warning(SoldText);
        return;
    }
    // The number of the title the transaction holds now: a copy goes back
    // to it if the clerk changes the title.
    EditStartCDNo = showTitle(h->value(QStringLiteral("CdNo")), true) ? Dm1->CD->value(QStringLiteral("CDNo")).toInt() : 0;
    EditStartCDDurum = h->value(QStringLiteral("CDDurum")).toInt();
    if (!h->edit()) {
        Prompt::error(h->lastError());
        return;
    }
    UpdateControlStates();
}

void TFrmCDKira::ToolButton1Click()
{
    post(true);
}

bool TFrmCDKira::post(bool askForNext)
{
    DataSet *h = Dm1->Hareket;
    stopBlinking();
    if (!isEditing(h))
        return false;
    for (const QString &text : {DBComboBox1->currentText(), DBLookupComboBox1->currentText(), DBComboBox2->currentText(),
                                DBLookupComboBox2->currentText(), DBDateEdit1->text(), SpinEdit1->cleanText()}) {
        if (text.trimmed().isEmpty()) {
            Prompt::warning(EssentialText);
            return false;
        }
    }
    DataSet *cd = Dm1->CD;
    const QVariant titleId = h->value(QStringLiteral("CdNo"));
    if (!showTitle(titleId, false)) {
        Prompt::warning(EssentialText);
        return false;
    }
    const int cdNo = cd->value(QStringLiteral("CDNo")).toInt();
    // A first look at the shelf; the engine checks again as it takes the copy,
    // so two counters cannot both hand out the last one.
    if (cdNo != EditStartCDNo && cd->value(QStringLiteral("Stok")).toInt() < 1) {
        Prompt::warning(StockText);
        return false;
    }
    if (h->state() == DataSet::State::Insert)
        IsNewTransaction = true;

    const ShopResult result = ShopBook().rent(rentRequest(false));
    if (!result.ok()) {
        // Nothing was stored; the row is still being typed, as it was.
        if (result.error == ShopResult::Error::StockRefused)
            Prompt::warning(StockText);
        else if (result.error == ShopResult::Error::LimitReached || result.error == ShopResult::Error::Invalid)
            Prompt::warning(result.message);
        else
            Prompt::error(result.message);
        UpdateControlStates();
        return false;
    }
    // The engine stored the transaction; the form lets go of its copy.
    h->cancel();

    // The list as the database has it now, standing on the transaction just
    // posted (for an edit that is not the newest one).
    h->requery();
    h->locate(QStringLiteral("ID"), result.id);
    UpdateControlStates();
    ReloadFilmList(QString());

    if (IsNewTransaction && askForNext) {
        if (Prompt::confirm(NextRentalText)) {
            const QVariant customer = h->value(QStringLiteral("MusteriNo"));
            const QVariant type = h->value(QStringLiteral("FilmTuru"));
            tbNewClick();
            if (h->state() == DataSet::State::Insert) {
                h->setValue(QStringLiteral("MusteriNo"), customer);
                h->setValue(QStringLiteral("FilmTuru"), type);
                // The same customer: the next title is what is left to choose.
                DBLookupComboBox2->setFocus(Qt::OtherFocusReason);
            }
        } else {
            DBGrid1->setFocus(Qt::OtherFocusReason);
        }
    }
    IsNewTransaction = false;
    return true;
}

void TFrmCDKira::tbReportClick()
{
    stopBlinking();
    Dm1->Hareket->cancel();
    IsNewTransaction = false;
    ReloadFilmList(QString());
    UpdateControlStates();
}

void TFrmCDKira::tbFindClick()
{
    // The ledger row and the stock stay as they are: a deleted transaction
    // does not undo what was booked.
    if (!isEditing(Dm1->Hareket))
        DeleteWithConfirm(Dm1->Hareket);
}

// ------------------------------------------------------------ printing

void TFrmCDKira::tbAddSkipClick()
{
    // Every transaction ever recorded, whatever the list shows.
    TReport2 report;
    if (!Dm2->openReport(TReport2::transactionReportSql())) {
        Prompt::error(Dm2->RaporTemp->lastError());
        return;
    }
    Report::showPreview(report.HareketListeRP);
    Dm2->RaporTemp->close();
}

void TFrmCDKira::tbSlipClick()
{
    DataSet *h = Dm1->Hareket;
    if (!h->isOpen() || h->recNo() < 0 || isEditing(h))
        return;
    RentalSlipData slip;
    slip.shopName = QStringLiteral("VEXARO");
    slip.sale = h->value(QStringLiteral("IslemTur")).toString() == Sell;
    QString error;
    slip.customer = Dm1->customerName(h->value(QStringLiteral("MusteriNo")), &error).value_or(QString());
    slip.title = Dm1->titleName(h->value(QStringLiteral("CdNo")), &error).value_or(QString());
    slip.discType = h->value(QStringLiteral("FilmTuru")).toString();
    slip.startDate = h->value(QStringLiteral("KiraTarih")).toDateTime().date();
    slip.dueDate = h->value(QStringLiteral("GelecekTarih")).toDateTime().date();
    // What was booked, never worked out again: the tariff may have changed
    // since, and a member's price or a flat tariff gave this total.
    const Money unit = Money::fromVariant(h->value(QStringLiteral("SatisFiyat")));
    const Money total = Money::fromVariant(h->value(QStringLiteral("TopTutar")));
    slip.chargedDays = RentalSlipData::daysCharged(unit, total);
    slip.unitPrice = Format::money(unit);
    slip.total = Format::money(total);
    slip.onAccount = h->value(QStringLiteral("Veresiye")).toInt() == 1;
    Report::showPreview(rentalSlip(slip));
}

// ------------------------------------------------------- search and filter

void TFrmCDKira::Radio1Click()
{
    fillSearchList();
}

void TFrmCDKira::ComboBox1Change()
{
    const QString text = ComboBox1->currentText();
    DataSet *h = Dm1->Hareket;
    if (text.trimmed().isEmpty() || !h->isOpen() || isEditing(h))
        return;
    QString error;
    const bool byCustomer = RadioGroup1->checkedId() != 1;
    const std::optional<QVariant> id = byCustomer ? Dm1->customerIdByName(text, &error) : Dm1->titleIdByName(text, &error);
    if (!id) {
        Prompt::error(error);
        return;
    }
    if (!id->isNull())
        h->locate(byCustomer ? QStringLiteral("MusteriNo") : QStringLiteral("CdNo"), *id);
}

void TFrmCDKira::Check1Click()
{
    const bool on = Check1->isChecked();
    for (QDateEdit *d : {DateTimePicker1, DateTimePicker2}) {
        d->setEnabled(on);
        tint(d, on ? DataAwareColors::editable() : QColor(192, 192, 192));
    }
}

void TFrmCDKira::SpeedButton4Click()
{
    DataSet *h = Dm1->Hareket;
    if (isEditing(h)) {
        // A row being typed is not thrown away by a filter.
        SpeedButton4->setChecked(!SpeedButton4->isChecked());
        return;
    }
    const bool on = SpeedButton4->isChecked();
    ComboBox2->setEnabled(!on);
    ComboBox3->setEnabled(!on);
    bool ok;
    if (on) {
        TDm1::TransactionFilter f;
        f.islemTur = ComboBox2->currentText();
        f.filmTuru = ComboBox3->currentText();
        f.period = Check1->isChecked();
        f.from = DateTimePicker1->date();
        f.to = DateTimePicker2->date();
        f.onlyOpen = Check2->isChecked();
        ok = Dm1->showTransactionsWhere(f);
    } else {
        ok = Dm1->showOpenTransactions();
    }
    if (!ok)
        Prompt::error(h->lastError());
}

void TFrmCDKira::DBGrid2DblClick()
{
    DataSet *rented = Dm1->HareketTemp1;
    DataSet *h = Dm1->Hareket;
    if (!rented->isOpen() || rented->recNo() < 0 || isEditing(h))
        return;
    h->locate(QStringLiteral("ID"), rented->value(QStringLiteral("ID")));
}

// ------------------------------------------------------------------ closing

void TFrmCDKira::closeEvent(QCloseEvent *event)
{
    FormClose();
    QWidget::closeEvent(event);
}

void TFrmCDKira::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    DataSet *h = Dm1->Hareket;
    // Closing is no moment to start the next rental: a saved row closes the
    // window like any other.
    if (isEditing(h) && Prompt::confirm(SaveChangesText))
        post(false);
    Timer1->stop();
    if (isEditing(h))
        h->cancel();
    if (FrmMusteri.isNull())
        Dm1->Musteri->close();
    if (FrmCDTanim.isNull())
        Dm1->CD->close();
    h->close();
    IsNewTransaction = false;
}

TFrmCDKira *OpenRentWindow()
{
    return openChildWindow(FrmCDKira, [] { return new TFrmCDKira; });
}

void TFrmCDKira::SpeedButton1Click()
{
    // The customer the transaction names, looked up by its ID: the customer
    // list may stand on somebody else (it lists members only, or the
    // customer was deleted), and a locked recipient must be the right one.
    const QVariant customer = Dm1->Hareket->value(QStringLiteral("MusteriNo"));
    QString error;
    const auto address = Dm1->customerAddress(customer, &error);
    if (!address) {
        Prompt::error(error);
        return;
    }
    if (!address->found) {
        Prompt::warning(customer.isNull()
                            ? QStringLiteral("This transaction has no customer: there is nobody to write to.")
                            : QStringLiteral("The customer of this transaction no longer exists: there is nobody "
                                             "to write to."));
        return;
    }
    OpenMailWindow(this, address->eMail, true);
}
