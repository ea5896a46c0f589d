#include "cashbox/FrmKasaHareketUnit.h"

#include "cashbox/DlgKasaSifreUnit.h"
#include "cashbox/FrmKasaHareketGirisUnit.h"
#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/Format.h"
#include "components/KeyPreview.h"
#include "components/PromptService.h"
#include "components/WindowKit.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "data/Session.h"
#include "data/ShopBook.h"
#include "reports/FrmGrafikUnit.h"
#include "reports/Report1Unit.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString PasswordWrongText = QStringLiteral("Password is wrong !!!");
const QString EditPasswordWrongText = QStringLiteral("Rassword is wrong !!!");
const QString RecordNeededText = QStringLiteral("Record is needed to make edit !!!");
const QString DeleteQuestion = QStringLiteral("Kaydı silmek istediğinize eminmisiniz ?");
const QString DeleteRefusedText = QStringLiteral(" Dikkat bu kaydı silemezsiniz !!! ");

const QColor MoneyGreen(192, 220, 192);
const QColor GridColour(229, 228, 207);

const char *const Columns[][2] = {
    {"ID", "ID"},
    {"Islem", "Transaction"},
    {"Aciklama", "Explanation"},
    {"Borc", "Input price to cash box"},
    {"Alacak", "Output price from cash box"},
    {"Tarih", "Trans. Date"},
};

QDateEdit *picker(QWidget *parent, const char *name, const QString &caption)
{
    auto *p = new QDateEdit(parent);
    p->setObjectName(QLatin1StringView(name));
    p->setAccessibleName(caption);
    p->setCalendarPopup(true);
    p->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    QPalette pal = p->palette();
    pal.setColor(QPalette::Base, MoneyGreen);
    p->setPalette(pal);
    return p;
}

} // namespace

TFrmKasaHareket::TFrmKasaHareket(QWidget *parent) : QWidget(parent)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("FrmKasaHareket"));
    setWindowTitle(QStringLiteral("Cash-Box Transactions"));
    setAccessibleName(windowTitle());
    for (const auto &c : Columns)
        Dm1->Kasa->setCaption(QLatin1StringView(c[0]), QLatin1StringView(c[1]));

    QToolBar *bar = buildToolbar();
    QFrame *period = buildPeriod();
    // --- the ledger
    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Cash box transactions"));
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    QStringList fields;
    for (const auto &c : Columns)
        fields << QLatin1StringView(c[0]);
    DBGrid1->setDataSource(Dm1->KasaData, fields);
    QPalette gp = DBGrid1->palette();
    gp.setColor(QPalette::Base, GridColour);
    DBGrid1->setPalette(gp);
    DBGrid1->verticalHeader()->setDefaultSectionSize(20);
    auto widen = [grid = DBGrid1] {
        grid->horizontalHeader()->resizeSection(1, 130);
        grid->horizontalHeader()->resizeSection(2, 300);
    };
    widen();
    connect(DBGrid1->model(), &QAbstractItemModel::modelReset, DBGrid1, widen);

    // --- details of the current row
    auto *details = new QGroupBox(QStringLiteral(" Transaction details "), this);
    details->setAccessibleName(details->title());
    auto *dl = new QFormLayout(details);
    auto text = [details, dl](const char *name, const QString &caption, const QString &field) {
        auto *t = new DBText(details);
        t->setObjectName(QLatin1StringView(name));
        t->setAccessibleName(caption);
        t->setDataSource(Dm1->KasaData, field);
        t->setTextInteractionFlags(Qt::TextSelectableByMouse);
        t->setWordWrap(true);
        dl->addRow(caption, t);
        return t;
    };
    DBTextID = text("DBTextID", QStringLiteral("ID"), QStringLiteral("ID"));
    DBTextIslem = text("DBTextIslem", QStringLiteral("Transaction"), QStringLiteral("Islem"));
    DBTextAciklama = text("DBTextAciklama", QStringLiteral("Explanation"), QStringLiteral("Aciklama"));
    DBTextBorc = text("DBTextBorc", QStringLiteral("Input price to cash box"), QStringLiteral("Borc"));
    DBTextAlacak = text("DBTextAlacak", QStringLiteral("Output price from cash box"), QStringLiteral("Alacak"));
    DBTextTarih = text("DBTextTarih", QStringLiteral("Date"), QStringLiteral("Tarih"));
    DBTextSaat = text("DBTextSaat", QStringLiteral("Transaction Date/Time : "), QStringLiteral("Saat"));

    QGroupBox *outcome = buildTotals();
    auto *side = new QWidget(this);
    auto *sl = new QVBoxLayout(side);
    sl->setContentsMargins(0, 0, 0, 0);
    sl->addWidget(details);
    sl->addWidget(outcome);
    sl->addStretch();
    side->setMinimumWidth(340);

    auto *split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("Splitter1"));
    split->addWidget(Kit::groupPanel(QStringLiteral("  Cash box transactions"), DBGrid1, split));
    split->addWidget(side);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);

    // --- status bar
    const Kit::StatusPanels status = Kit::statusBar(
        this, {QStringLiteral(" [ Insert ] - New"), QStringLiteral(" [ Delete ] - Delete"), QString(), QString()},
        QStringLiteral("StatusPanel"), 0, {120, 120, 200});
    StatusPanel0 = status.panels[0];
    StatusPanel1 = status.panels[1];
    StatusPanel2 = status.panels[2];
    StatusPanel3 = status.panels[3];
    StatusPanel3->setAlignment(Qt::AlignCenter);

    Kit::stack(this, {bar, period, split, status.bar}, split);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);

    connect(ToolButton7, &QToolButton::clicked, this, &TFrmKasaHareket::ToolButton7Click);
    connect(ToolButton9, &QToolButton::clicked, this, &TFrmKasaHareket::ToolButton9Click);
    connect(ToolButton3, &QToolButton::clicked, this, &TFrmKasaHareket::ToolButton3Click);
    connect(ToolButton1, &QToolButton::clicked, this, &TFrmKasaHareket::ToolButton1Click);
    connect(ToolButton11, &QToolButton::clicked, this, &TFrmKasaHareket::ToolButton11Click);
    connect(ToolButton4, &QToolButton::clicked, this, &TFrmKasaHareket::ToolButton4Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TFrmKasaHareket::SpeedButton1Click);
    connect(Combo1, &QComboBox::currentIndexChanged, this, &TFrmKasaHareket::Combo1Change);
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, &TFrmKasaHareket::ToolButton9Click);
    connect(Timer1, &QTimer::timeout, this, &TFrmKasaHareket::Timer1Timer);

    m_keys = new KeyPreview(this, [this](QKeyEvent *e) { return keyPressed(e); });
    m_wheel = new WheelToArrows(this);

    FormShow();
}

// The toolbar: entries, printing and the cash box's own actions.
QToolBar *TFrmKasaHareket::buildToolbar()
{
    QToolBar *bar = Kit::toolBar(this);
    auto add = [bar](const char *name, const QString &caption, const char *picture, const QString &hint = QString()) {
        return Kit::addTool(bar, QLatin1String(name), caption, QLatin1String(picture), hint);
    };
    ToolButton7 = add("ToolButton7", QStringLiteral("New &Transaction"), "new", QStringLiteral("New Cash-Box Transaction"));
    ToolButton3 = add("ToolButton3", QStringLiteral("&Delete"), "delete");
    ToolButton9 = add("ToolButton9", QStringLiteral("&Edit"), "edit");
    bar->addSeparator();
    ToolButton11 = add("ToolButton11", QStringLiteral("&Graphics"), "chart");
    ToolButton1 = add("ToolButton1", QStringLiteral("&Report"), "print");
    bar->addSeparator();
    ToolButton4 = add("ToolButton4", QStringLiteral("&Close"), "exit");
    return bar;
}

// The period shown: its kind and its dates.
QFrame *TFrmKasaHareket::buildPeriod()
{
    auto *period = new QFrame(this);
    period->setObjectName(QStringLiteral("Panel2"));
    period->setFrameShape(QFrame::StyledPanel);
    Picker1 = picker(period, "Picker1", QStringLiteral("Beginning of period"));
    Picker2 = picker(period, "Picker2", QStringLiteral("Period windup"));
    SpeedButton1 = Kit::toolButton(period, QStringLiteral("SpeedButton1"), QStringLiteral("Refresh"),
                                   QStringLiteral("reset"), Kit::Caption::Beside);
    SpeedButton1->setAutoRaise(true);
    Combo1 = new QComboBox(period);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setAccessibleName(QStringLiteral("Filtering option"));
    Combo1->addItems({QStringLiteral("All transactions"), QStringLiteral("Rent and Sell transactions"),
                      QStringLiteral("Penalty of Delay"), QStringLiteral("Other")});
    Combo1->setCurrentIndex(-1);
    Combo1->setMinimumContentsLength(24);
    auto *pl = new QHBoxLayout(period);
    auto labelFor = [period](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, period);
        l->setBuddy(buddy);
        return l;
    };
    pl->addWidget(labelFor(QStringLiteral("Beginning of period"), Picker1));
    pl->addWidget(Picker1);
    pl->addSpacing(12);
    pl->addWidget(labelFor(QStringLiteral("Period windup"), Picker2));
    pl->addWidget(Picker2);
    pl->addWidget(SpeedButton1);
    pl->addSpacing(24);
    pl->addWidget(labelFor(QStringLiteral("Filtering option"), Combo1));
    pl->addWidget(Combo1);
    pl->addStretch();
    return period;
}

// The period's totals, each under its caption.
QGroupBox *TFrmKasaHareket::buildTotals()
{
    auto *outcome = new QGroupBox(QStringLiteral("  Period outcome"), this);
    outcome->setAccessibleName(outcome->title().trimmed());
    auto *ol = new QGridLayout(outcome);
    LabelCurrency = new QLabel(QStringLiteral("TL"), outcome);
    LabelCurrency->setObjectName(QStringLiteral("LabelCurrency"));
    QFont bold = LabelCurrency->font();
    bold.setBold(true);
    LabelCurrency->setFont(bold);
    LabelCurrency->setAlignment(Qt::AlignRight);
    ol->addWidget(LabelCurrency, 0, 1);
    auto total = [outcome, ol, bold](int row, const char *name, const QString &caption) {
        auto *c = new QLabel(caption, outcome);
        auto *v = Kit::valueLabel(outcome, QLatin1StringView(name), caption.trimmed());
        Kit::setValue(v, QStringLiteral("0,00"));
        v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        v->setFont(bold);
        v->setMinimumWidth(140);
        ol->addWidget(c, row, 0);
        ol->addWidget(v, row, 1);
        return v;
    };
    LabelSales = total(1, "LabelSales", QStringLiteral("  Total sales :"));
    LabelExpenses = total(2, "LabelExpenses", QStringLiteral("  Total expenses :"));
    LabelBalance = total(3, "LabelBalance", QStringLiteral("  Period balance  :"));
    ol->setRowStretch(4, 1);
    return outcome;
}

TFrmKasaHareket::~TFrmKasaHareket() = default;

void TFrmKasaHareket::FormShow()
{
    Timer1Timer();
    Timer1->start();
    const QDate today = QDate::currentDate();
    Picker1->setDate(today);
    Picker2->setDate(today);
    showPeriod({today, today, LedgerKind::Unchosen});
    const QString symbol = QLocale::system().currencySymbol();
    if (!symbol.isEmpty())
        LabelCurrency->setText(symbol);
    DBGrid1->setFocus();
}

void TFrmKasaHareket::Timer1Timer()
{
    StatusPanel3->setText(Format::shortDateTime(QDateTime::currentDateTime()));
}

LedgerPeriod TFrmKasaHareket::chosenPeriod() const
{
    return {Picker1->date(), Picker2->date(), LedgerKind(Combo1->currentIndex())};
}

void TFrmKasaHareket::showPeriod(const LedgerPeriod &period)
{
    m_shown = period;
    if (!LedgerData::showPeriod(Dm1->Kasa, period))
        Prompt::error(Dm1->Kasa->lastError());
    showTotals();
}

void TFrmKasaHareket::showTotals()
{
    // The totals are those of the period and kind the list shows, never of
    // the dates typed into the pickers but not yet refreshed.
    QString error;
    const std::optional<LedgerTotals> t = LedgerData::totals(Dm1->Temp, m_shown, &error);
    if (!t) {
        Prompt::error(error);
        return;
    }
    Kit::setValue(LabelSales, Format::money(t->income));
    Kit::setValue(LabelExpenses, Format::money(t->expenses));
    Kit::setValue(LabelBalance, Format::money(t->balance));
}

void TFrmKasaHareket::SpeedButton1Click()
{
    showPeriod(chosenPeriod());
}

void TFrmKasaHareket::Combo1Change()
{
    showPeriod(chosenPeriod());
}

bool TFrmKasaHareket::keyPressed(QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    // Keys typed into the period's fields and list stay theirs.
    QWidget *focus = focusWidget();
    const bool typing = focus && (qobject_cast<QDateEdit *>(focus) || qobject_cast<QComboBox *>(focus)
                                  || qobject_cast<QAbstractButton *>(focus));
    switch (event->key()) {
    case Qt::Key_Insert:
        ToolButton7Click();
        return true;
    case Qt::Key_Delete:
        if (typing)
            return false;
        ToolButton3Click();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (typing)
            return false;
        ToolButton9Click();
        return true;
    default:
        return false;
    }
}

QString TFrmKasaHareket::askPassword()
{
    // Each request starts empty: a password typed for an earlier request
    // does not carry over to one that is cancelled.
    m_password.clear();
    showModalWindow(DlgKasaSifre, [this] {
        auto *d = new TDlgKasaSifre(this);
        connect(d, &TDlgKasaSifre::passwordGiven, this, [this](const QString &typed) { m_password = typed; });
        return d;
    });
    return m_password;
}

void TFrmKasaHareket::ToolButton7Click()
{
    DataSet *kasa = Dm1->Kasa;
    if (!kasa->isOpen() && !LedgerData::showPeriod(kasa, m_shown)) {
        Prompt::error(kasa->lastError());
        return;
    }
    if (!kasa->append()) {
        Prompt::error(kasa->lastError());
        return;
    }
    kasa->setValue(QStringLiteral("Tarih"), QDateTime(QDate::currentDate(), QTime(0, 0)));
    showModalWindow(FrmKasaHareketGiris, [this] { return new TFrmKasaHareketGiris(this); });
}

void TFrmKasaHareket::ToolButton9Click()
{
    const QString typed = askPassword();
    if (typed.trimmed().isEmpty()) {
        Prompt::error(PasswordWrongText);
        return;
    }
    if (typed != Session::currentPassword()) {
        Prompt::error(EditPasswordWrongText);
        return;
    }
    DataSet *kasa = Dm1->Kasa;
    if (!kasa->isOpen() || kasa->value(QStringLiteral("ID")).isNull()) {
        Prompt::information(RecordNeededText);
        return;
    }
    if (!kasa->edit()) {
        Prompt::error(kasa->lastError());
        return;
    }
    showModalWindow(FrmKasaHareketGiris, [this] { return new TFrmKasaHareketGiris(this); });
}

void TFrmKasaHareket::ToolButton3Click()
{
    const QString typed = askPassword();
    if (typed.trimmed().isEmpty() || typed != Session::currentPassword()) {
        Prompt::error(PasswordWrongText);
        return;
    }
    DataSet *kasa = Dm1->Kasa;
    if (!kasa->isOpen() || kasa->isEmpty() || kasa->recNo() < 0)
        return;
    if (!Prompt::confirmWarning(DeleteQuestion))
        return;
    // The deletion and its audit row are stored together or not at all.
    const int row = kasa->recNo();
    const ShopResult removed = ShopBook().deleteLedgerEntry(kasa->value(QStringLiteral("ID")).toInt());
    if (!removed.ok()) {
        Prompt::error(DeleteRefusedText + removed.message);
    } else if (!kasa->requery()) {
        Prompt::error(kasa->lastError());
    } else {
        // The row that followed the deleted one becomes current.
        if (!kasa->moveTo(row))
            kasa->last();
    }
    showTotals();
}

void TFrmKasaHareket::ToolButton1Click()
{
    const LedgerPeriod period = chosenPeriod();
    DataSet *data = Dm2->RaporTemp;
    if (!LedgerData::prepareReport(data, period)) {
        Prompt::error(data->lastError());
        data->close();
        return;
    }
    {
        TReport1 report;
        report.KasaRP.setParam(QStringLiteral("PeriodBegin"), Format::shortDate(period.first));
        report.KasaRP.setParam(QStringLiteral("PeriodEnd"), Format::shortDate(period.last));
        Report::showPreview(report.KasaRP);
    }
    data->close();
}

void TFrmKasaHareket::ToolButton11Click()
{
    OpenGraphics();
}

void TFrmKasaHareket::ToolButton4Click()
{
    close();
}

void TFrmKasaHareket::closeEvent(QCloseEvent *event)
{
    Timer1->stop();
    DataSet *kasa = Dm1->Kasa;
    if (kasa->state() == DataSet::State::Edit || kasa->state() == DataSet::State::Insert)
        kasa->cancel();
    kasa->close();
    event->accept();
}

TFrmKasaHareket *OpenCashBox()
{
    return openChildWindow(FrmKasaHareket, [] { return new TFrmKasaHareket; });
}

void RefreshCashBoxTotals()
{
    if (FrmKasaHareket)
        FrmKasaHareket->showTotals();
}
