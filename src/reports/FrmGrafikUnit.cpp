#include "reports/FrmGrafikUnit.h"

#include "components/Format.h"
#include "components/KeyPreview.h"
#include "components/PromptService.h"
#include "components/WindowKit.h"
#include "data/LedgerData.h"

#include <QBarCategoryAxis>
#include <QCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QPieSeries>
#include <QPieSlice>
#include <QPrinter>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QValueAxis>
#include <QVBoxLayout>
#include <cmath>

namespace {

const QColor Grey(128, 128, 128);

const char *const Entries[] = {
    "Cash box graphic [All processes]",
    "Cash box graphic [As to process type]",
    "Film renting graphic",
    "Film renting graphic [As to film title]",
    "Film renting graphic [As to customer's name]",
};

bool printOnDefaultPrinter(QChartView *view)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    view->render(&painter, QRectF(printer.pageLayout().paintRectPixels(printer.resolution()).translated(
                     -printer.pageLayout().paintRectPixels(printer.resolution()).topLeft())));
    return painter.end();
}

TFrmGrafik::PrintHook &printHook()
{
    static TFrmGrafik::PrintHook hook = printOnDefaultPrinter;
    return hook;
}

QString countText(double value)
{
    return QString::number(qint64(value));
}

} // namespace

TFrmGrafik::PrintHook TFrmGrafik::setPrintHook(PrintHook hook)
{
    PrintHook previous = printHook();
    printHook() = hook ? std::move(hook) : PrintHook(printOnDefaultPrinter);
    return previous;
}

TFrmGrafik::TFrmGrafik(QWidget *parent) : QWidget(parent)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("FrmGrafik"));
    setWindowTitle(QStringLiteral("Graphics"));
    setAccessibleName(windowTitle());
    m_data = new TGrafikData(this);

    // --- top: the band and the large buttons
    const Kit::Band top = Kit::band(this, QStringLiteral("              Graphics"), Grey, Qt::white, 14);
    top.frame->setObjectName(QStringLiteral("Panel1"));
    auto *picture = new QLabel(top.frame);
    picture->setPixmap(Kit::picture(QStringLiteral("chart")).pixmap(32, 32));
    top.buttons->insertWidget(0, picture);
    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setIconSize(QSize(32, 32));
    ToolButton1 = Kit::toolButton(bar, QStringLiteral("ToolButton1"), QStringLiteral("       &Print      "),
                                  QStringLiteral("print"));
    ToolButton2 = Kit::toolButton(bar, QStringLiteral("ToolButton2"), QStringLiteral("&Close"), QStringLiteral("exit"),
                                  Kit::Caption::Under, QStringLiteral("Close"));
    bar->addWidget(ToolButton1);
    bar->addWidget(ToolButton2);

    // --- left: the list of charts
    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setAccessibleName(QStringLiteral("Choosing Graphic"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(false);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const char *e : Entries)
        TreeView1->addTopLevelItem(new QTreeWidgetItem({QString::fromLatin1(e)}));
    auto *left = new QWidget(this);
    auto *ll = new QVBoxLayout(left);
    ll->setContentsMargins(0, 0, 0, 0);
    ll->setSpacing(0);
    const Kit::Band choosing = Kit::band(left, QStringLiteral("Choosing Graphic"), Grey, Qt::white);
    ll->addWidget(choosing.frame);
    ll->addWidget(TreeView1, 1);
    left->setMinimumWidth(280);

    // --- centre: the chart on show
    auto *centre = new QWidget(this);
    auto *cl = new QVBoxLayout(centre);
    cl->setContentsMargins(0, 0, 0, 0);
    cl->setSpacing(0);
    const Kit::Band header = Kit::band(centre, QString(), Grey, Qt::white);
    header.frame->setObjectName(QStringLiteral("Panel3"));
    PanelHeader = header.caption;
    PanelHeader->setObjectName(QStringLiteral("PanelHeader"));
    ChartView = new QChartView(centre);
    ChartView->setObjectName(QStringLiteral("ChartView"));
    ChartView->setRenderHint(QPainter::Antialiasing);
    ChartView->chart()->legend()->hide();
    LabelNote = new QLabel(centre);
    LabelNote->setObjectName(QStringLiteral("LabelNote"));
    LabelNote->hide();
    cl->addWidget(header.frame);
    cl->addWidget(ChartView, 1);
    cl->addWidget(LabelNote);

    auto *split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("Splitter1"));
    split->addWidget(left);
    split->addWidget(centre);
    split->setStretchFactor(1, 1);

    // --- bottom: the period
    auto *period = new QFrame(this);
    period->setObjectName(QStringLiteral("Panel4"));
    period->setFrameShape(QFrame::StyledPanel);
    auto *pl = new QHBoxLayout(period);
    auto picker = [period, pl](const char *name, const QString &caption) {
        auto *p = new QDateEdit(period);
        p->setObjectName(QLatin1StringView(name));
        p->setAccessibleName(caption.trimmed());
        p->setCalendarPopup(true);
        p->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        auto *l = new QLabel(caption, period);
        l->setBuddy(p);
        pl->addWidget(l);
        pl->addWidget(p);
        return p;
    };
    Picker1 = picker("Picker1", QStringLiteral("Beginning of period "));
    pl->addSpacing(12);
    Picker2 = picker("Picker2", QStringLiteral("Period windup"));
    SpeedButton1 = Kit::toolButton(period, QStringLiteral("SpeedButton1"), QStringLiteral("Redraw"),
                                   QStringLiteral("reset"), Kit::Caption::Hidden, QStringLiteral("Redraw"));
    pl->addWidget(SpeedButton1);
    pl->addStretch();

    Kit::stack(this, {top.frame, bar, split, period}, split);

    connect(TreeView1, &QTreeWidget::itemSelectionChanged, this, &TFrmGrafik::TreeView1Change);
    connect(TreeView1, &QTreeWidget::itemActivated, this, &TFrmGrafik::TreeView1Change);
    connect(SpeedButton1, &QToolButton::clicked, this, &TFrmGrafik::SpeedButton1Click);
    connect(ToolButton1, &QToolButton::clicked, this, &TFrmGrafik::ToolButton1Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TFrmGrafik::ToolButton2Click);
    m_keys = new KeyPreview(this);

    const QDate today = QDate::currentDate();
    Picker1->setDate(today.addDays(-30));
    Picker2->setDate(today);
    // The list has the focus, but no chart is chosen for the clerk.
    TreeView1->setFocus();
}

TFrmGrafik::~TFrmGrafik() = default;

QChart *TFrmGrafik::chart() const
{
    return ChartView->chart();
}

void TFrmGrafik::TreeView1Change()
{
    const QList<QTreeWidgetItem *> selected = TreeView1->selectedItems();
    if (selected.isEmpty())
        return;
    m_chosen = TreeView1->indexOfTopLevelItem(selected.first());
    PanelHeader->setText(QStringLiteral("   ") + selected.first()->text(0));
    drawChart(m_chosen);
}

void TFrmGrafik::SpeedButton1Click()
{
    if (m_chosen >= 0)
        drawChart(m_chosen);
}

void TFrmGrafik::ToolButton1Click()
{
    if (m_chosen < 0)
        return;
    printHook()(ChartView);
}

void TFrmGrafik::ToolButton2Click()
{
    close();
}

void TFrmGrafik::drawChart(int which)
{
    // The new chart replaces the shown one only when its rows were read: on
    // an error the chart keeps what it showed.
    auto *c = new QChart;
    c->setAnimationOptions(QChart::NoAnimation);
    LabelNote->hide();
    bool ok = false;
    switch (which) {
    case CashAll: ok = drawCashAll(c); break;
    case CashByKind: ok = drawCashByKind(c); break;
    case RentalsByGenre: ok = drawPie(c, true); break;
    case RentalsByFilm: ok = drawBars(c, true); break;
    case RentalsByCustomer: ok = drawBars(c, false); break;
    default: break;
    }
    if (!ok) {
        delete c;
        Prompt::error(m_data->lastError());
        return;
    }
    QChart *old = ChartView->chart();
    ChartView->setChart(c);
    delete old;
}

namespace {

qreal atMidnight(const QDate &day)
{
    return qreal(QDateTime(day, QTime(0, 0)).toMSecsSinceEpoch());
}

// The date axis of the cash-box lines: every tick stands on a whole day, where
// that day's point is drawn. A short period shows every day, a longer one its
// weeks (counted from the first day), a long one the first day of each month.
QCategoryAxis *dayAxis(const QDate &first, const QDate &last, QObject *parent)
{
    auto *x = new QCategoryAxis(parent);
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    const qint64 span = first.daysTo(last);
    QList<QDate> ticks;
    if (span <= 31) {
        for (QDate d = first; d <= last; d = d.addDays(1))
            ticks << d;
    } else if (span <= 26 * 7) {
        for (QDate d = first; d <= last; d = d.addDays(7))
            ticks << d;
    } else {
        for (QDate d = first.day() == 1 ? first : QDate(first.year(), first.month(), 1).addMonths(1); d <= last;
             d = d.addMonths(1))
            ticks << d;
    }
    const bool sameYear = first.year() == last.year();
    const QString format = span > 26 * 7 ? QStringLiteral("MM.yyyy")
                                         : sameYear ? QStringLiteral("dd.MM") : QStringLiteral("dd.MM.yy");
    x->setStartValue(atMidnight(first));
    for (const QDate &d : std::as_const(ticks))
        x->append(d.toString(format), atMidnight(d));
    // Upright labels overlap beyond a fortnight of days.
    if (ticks.size() > 16)
        x->setLabelsAngle(-90);
    // One day alone still needs a width to draw on.
    x->setRange(atMidnight(first), atMidnight(last > first ? last : first.addDays(1)));
    return x;
}

} // namespace

bool TFrmGrafik::drawCashAll(QChart *c)
{
    const auto days = m_data->dailyTotals(Picker1->date(), Picker2->date());
    if (!days)
        return false;
    auto line = [c](const QString &name, const QColor &colour) {
        auto *s = new QLineSeries(c);
        s->setName(name);
        s->setColor(colour);
        s->setPointsVisible(true);
        return s;
    };
    QLineSeries *turnover = line(QStringLiteral("Total turnover sum"), Qt::red);
    QLineSeries *expenses = line(QStringLiteral("Total expenses sum"), Qt::green);
    QLineSeries *income = line(QStringLiteral("Total income"), Qt::blue);
    for (const TGrafikData::Day &d : *days) {
        const qreal x = atMidnight(d.day);
        turnover->append(x, d.turnover.toDouble());
        expenses->append(x, d.expenses.toDouble());
        income->append(x, d.income.toDouble());
    }
    QLinearGradient background(0, 0, 0, 1);
    background.setCoordinateMode(QGradient::ObjectBoundingMode);
    background.setColorAt(0, QColor(192, 192, 192));
    background.setColorAt(1, Qt::white);
    c->setBackgroundBrush(background);
    auto *x = dayAxis(Picker1->date(), Picker2->date(), c);
    auto *y = new QValueAxis(c);
    y->setLabelFormat(QStringLiteral("%.0f"));
    c->addAxis(x, Qt::AlignBottom);
    c->addAxis(y, Qt::AlignLeft);
    for (QLineSeries *s : {turnover, expenses, income}) {
        c->addSeries(s);
        s->attachAxis(x);
        s->attachAxis(y);
    }
    double top = 0;
    for (const TGrafikData::Day &d : *days)
        top = std::max(top, d.turnover.toDouble());
    y->setRange(0, top > 0 ? top * 1.1 : 1);
    c->legend()->setVisible(true);
    c->legend()->setAlignment(Qt::AlignBottom);
    return true;
}

bool TFrmGrafik::drawCashByKind(QChart *c)
{
    const auto rows = m_data->incomeByKind(Picker1->date(), Picker2->date());
    if (!rows)
        return false;
    auto *pie = new QPieSeries(c);
    for (const TGrafikData::Slice &s : *rows) {
        QPieSlice *slice = pie->append(s.label, s.value);
        slice->setLabel(s.label + QStringLiteral("  ") + Format::money(Money::fromDouble(s.value)));
        slice->setLabelVisible(true);
    }
    c->addSeries(pie);
    c->legend()->hide();
    return true;
}

bool TFrmGrafik::drawPie(QChart *c, bool)
{
    const auto rows = m_data->rentalsByGenre(Picker1->date(), Picker2->date());
    if (!rows)
        return false;
    auto *pie = new QPieSeries(c);
    for (const TGrafikData::Slice &s : *rows) {
        QPieSlice *slice = pie->append(s.label, s.value);
        slice->setLabel(s.label + QStringLiteral("  ") + countText(s.value));
        slice->setLabelVisible(true);
    }
    c->addSeries(pie);
    c->legend()->hide();
    return true;
}

bool TFrmGrafik::drawBars(QChart *c, bool films)
{
    const QDate first = Picker1->date(), last = Picker2->date();
    const auto ranking = films ? m_data->rentalsByFilm(first, last, MaxBars) : m_data->rentalsByCustomer(first, last, MaxBars);
    if (!ranking)
        return false;
    // One bar per row, each in its own colour, named with its count in the
    // legend and marked with its count on top.
    auto *series = new QBarSeries(c);
    double top = 0;
    for (const TGrafikData::Slice &s : ranking->rows) {
        auto *set = new QBarSet(s.label + QStringLiteral("  (") + countText(s.value) + u')', series);
        set->append(s.value);
        // The count stands above the bar, on the chart's background: dark
        // whatever the bar's colour.
        set->setLabelColor(QColor(Qt::black));
        series->append(set);
        top = std::max(top, s.value);
    }
    series->setBarWidth(0.9);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    c->addSeries(series);
    auto *x = new QBarCategoryAxis(c);
    x->append(QStringLiteral(" "));
    auto *y = new QValueAxis(c);
    // Counts are whole numbers: the scale steps by a whole 1, 2 or 5 times a
    // power of ten, so every line it draws is a count a bar can reach.
    const double steps[] = {1, 2, 5};
    double step = 1;
    for (int k = 1; top / step > 8; ++k)
        step = steps[k % 3] * std::pow(10.0, k / 3);
    y->setLabelFormat(QStringLiteral("%.0f"));
    y->setRange(0, std::ceil(std::max(top * 1.15, 1.0) / step) * step);
    y->setTickType(QValueAxis::TicksDynamic);
    y->setTickAnchor(0);
    y->setTickInterval(step);
    c->addAxis(x, Qt::AlignBottom);
    c->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    c->legend()->setVisible(true);
    c->legend()->setAlignment(Qt::AlignRight);
    if (ranking->allRows > ranking->rows.size()) {
        LabelNote->setText(QStringLiteral("  The %1 highest of %2 %3 are shown.")
                               .arg(ranking->rows.size())
                               .arg(ranking->allRows)
                               .arg(films ? QStringLiteral("films") : QStringLiteral("customers")));
        LabelNote->show();
    }
    return true;
}

TFrmGrafik *OpenGraphics()
{
    return openChildWindow(FrmGrafik, [] { TFrmGrafik *w = new TFrmGrafik; return w; });
}
