#include "catalogue/FrmNavigatorUnit.h"

#include "catalogue/FrmCDTanimUnit.h"
#include "components/BandReport.h"
#include "components/DataSet.h"
#include "components/Format.h"
#include "components/KeyPreview.h"
#include "components/WindowKit.h"
#include "components/PromptService.h"
#include "data/Dm1Unit.h"
#include "app/WindowRegistry.h"

#include <QAbstractItemModel>
#include <QCloseEvent>
#include <QCollator>
#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <memory>


namespace {

// The columns every view shows, in order, with their headings.
const char *const Columns[][2] = {
    {"CDNo", "CD No"},          {"CDTur", "CDType"},        {"Oyuncu", "Leading role"},
    {"FilmAdi", "Film Name"},   {"Stok", "Stock"},          {"YapimYili", "Production Year"},
    {"KonuTur", "Theme"},       {"KutuIcerik", "CD/DVD Number"}, {"FilmSirketi", "Film Company"},
    {"Dublaj", "Dubbing"},      {"FilmSure", "Time"},       {"Yonetmen", "Director"},
};
constexpr int ColumnCount = 12;
constexpr int StockColumn = 4;
// Grouping can also be by the distributor, which is not a shown column.
constexpr int DistributorField = 12;

struct ViewDef
{
    const char *title;
    int groupBy[2]; // field numbers (Columns, or DistributorField); -1 none
    bool totals;
};
const ViewDef Views[] = {
    {"All llist", {-1, -1}, true},
    {"According to player name", {2, 1}, false},
    {"According to film company", {8, -1}, false},
    {"According to director", {11, -1}, false},
    {"According to production year", {5, -1}, false},
    {"According to distribution company name", {DistributorField, -1}, false},
    {"According to film type", {6, -1}, true},
    {"According to CD type", {1, -1}, true},
};

QString fieldCaption(int field)
{
    return field == DistributorField ? QStringLiteral("Distribution Company") : QLatin1String(Columns[field][1]);
}

} // namespace

// The grouping report view's rows: groups (one or two levels) over the
// titles, each group knowing its count and its stock.
class TitleGroupModel : public QAbstractItemModel
{
public:
    enum Role { KeyRole = Qt::UserRole, StockRole, CountRole, IdRole };

    struct Title
    {
        QVariant id;
        qint64 stock = 0;
        QString texts[ColumnCount + 1];
    };
    struct Node
    {
        QString key;
        int field = -1;
        Node *parent = nullptr;
        int row = 0;
        std::vector<std::unique_ptr<Node>> groups;
        std::vector<int> titles;
        qint64 stock = 0;
        int count = 0;
    };

    explicit TitleGroupModel(QObject *parent) : QAbstractItemModel(parent) {}

    void load(DataSet *ds);

    void group(const ViewDef &view)
    {
        beginResetModel();
        m_view = &view;
        m_root = std::make_unique<Node>();
        std::vector<int> all(m_titles.size());
        for (size_t i = 0; i < all.size(); ++i)
            all[i] = int(i);
        fill(m_root.get(), all, 0);
        endResetModel();
    }

    const Node *root() const { return m_root.get(); }
    bool totals() const { return m_view && m_view->totals; }
    const Title &title(int i) const { return m_titles[size_t(i)]; }

    const Node *groupOf(const QModelIndex &index) const
    {
        if (!index.isValid())
            return m_root.get();
        auto *p = static_cast<Node *>(index.internalPointer());
        return p->groups.empty() ? nullptr : p->groups[size_t(index.row())].get();
    }
    int titleOf(const QModelIndex &index) const
    {
        if (!index.isValid())
            return -1;
        auto *p = static_cast<Node *>(index.internalPointer());
        return p->groups.empty() ? p->titles[size_t(index.row())] : -1;
    }

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override
    {
        if (!hasIndex(row, column, parent))
            return {};
        const Node *p = groupOf(parent);
        return p ? createIndex(row, column, const_cast<Node *>(p)) : QModelIndex();
    }
    QModelIndex parent(const QModelIndex &child) const override
    {
        if (!child.isValid())
            return {};
        auto *p = static_cast<Node *>(child.internalPointer());
        if (!p || p == m_root.get())
            return {};
        return createIndex(p->row, 0, p->parent);
    }
    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        if (!m_root || (parent.isValid() && parent.column() != 0))
            return 0;
        const Node *n = groupOf(parent);
        if (!n)
            return 0;
        return n->groups.empty() ? int(n->titles.size()) : int(n->groups.size());
    }
    int columnCount(const QModelIndex & = QModelIndex()) const override { return ColumnCount; }

    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (o == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
            return QLatin1String(Columns[section][1]);
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

private:
    void fill(Node *node, const std::vector<int> &titles, int level);

    std::vector<Title> m_titles;
    std::unique_ptr<Node> m_root;
    const ViewDef *m_view = nullptr;
};

void TitleGroupModel::load(DataSet *ds)
{
    m_titles.clear();
    ds->fetchAll();
    int fields[ColumnCount + 1];
    for (int c = 0; c < ColumnCount; ++c)
        fields[c] = ds->fieldIndex(QLatin1String(Columns[c][0]));
    fields[DistributorField] = ds->fieldIndex(QStringLiteral("DagiticiFirma"));
    const int idField = ds->fieldIndex(QStringLiteral("ID"));
    const int n = ds->fetchedCount();
    m_titles.resize(size_t(n));
    for (int r = 0; r < n; ++r) {
        Title &t = m_titles[size_t(r)];
        t.id = ds->valueAt(r, idField);
        for (int c = 0; c <= ColumnCount; ++c)
            t.texts[c] = fields[c] >= 0 ? ds->displayTextAt(r, fields[c]) : QString();
        t.stock = ds->valueAt(r, fields[StockColumn]).toLongLong();
    }
}

QVariant TitleGroupModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (const Node *g = groupOf(index)) {
        switch (role) {
        case Qt::DisplayRole:
            if (index.column() == 0)
                return QStringLiteral("%1 : %2  (%3)").arg(fieldCaption(g->field), g->key).arg(g->count);
            if (index.column() == StockColumn && totals())
                return QString::number(g->stock);
            return {};
        case Qt::FontRole: {
            QFont f;
            f.setBold(true);
            return f;
        }
        case Qt::TextAlignmentRole:
            return index.column() == StockColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
        case KeyRole:
            return g->key;
        case StockRole:
            return g->stock;
        case CountRole:
            return g->count;
        default:
            return {};
        }
    }
    const int t = titleOf(index);
    if (t < 0)
        return {};
    const Title &row = m_titles[size_t(t)];
    switch (role) {
    case Qt::DisplayRole:
        return row.texts[index.column()];
    case Qt::TextAlignmentRole:
        return index.column() == StockColumn || index.column() == 0 || index.column() == 5 || index.column() == 7
                   || index.column() == 10
            ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
            : QVariant();
    case IdRole:
        return row.id;
    case StockRole:
        return row.stock;
    default:
        return {};
    }
}

void TitleGroupModel::fill(Node *node, const std::vector<int> &titles, int level)
{
    node->count = int(titles.size());
    for (int t : titles)
        node->stock += m_titles[size_t(t)].stock;
    const int field = level < 2 ? m_view->groupBy[level] : -1;
    if (field < 0) {
        node->titles = titles; // in the list's order: by name
        return;
    }
    QHash<QString, std::vector<int>> byKey;
    QStringList keys;
    for (int t : titles) {
        const QString &k = m_titles[size_t(t)].texts[field];
        auto it = byKey.find(k);
        if (it == byKey.end()) {
            keys << k;
            it = byKey.insert(k, {});
        }
        it->push_back(t);
    }
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(keys.begin(), keys.end(), [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    for (const QString &k : keys) {
        auto child = std::make_unique<Node>();
        child->key = k;
        child->field = field;
        child->parent = node;
        child->row = int(node->groups.size());
        fill(child.get(), byKey.value(k), level + 1);
        node->groups.push_back(std::move(child));
    }
}

namespace {

// The rows of the printout: what the view shows, group headings included.
class ShownRows : public Report::RowSource
{
public:
    std::vector<QHash<QString, QString>> rows;
    int rowCount() override { return int(rows.size()); }
    QVariant value(int row, const QString &field) override { return rows[size_t(row)].value(field.toLower()); }
};

} // namespace

TFrmNavigator::TFrmNavigator(QWidget *parent) : QWidget(parent)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("FrmNavigator"));
    setWindowTitle(QStringLiteral("Navigator"));
    setAccessibleName(windowTitle());

    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    tbPrint = Kit::toolButton(bar, QStringLiteral("tbPrint"), QStringLiteral("Print"), QStringLiteral("print"));
    tbClose = Kit::toolButton(bar, QStringLiteral("tbClose"), QStringLiteral("Close"), QStringLiteral("exit"));
    bar->addWidget(tbPrint);
    bar->addWidget(tbClose);

    const auto heading = [this](const QString &text, int size) {
        return Kit::band(this, text, QColor(128, 128, 128), Qt::white, size).frame;
    };
    QFrame *titlePanel = heading(QStringLiteral("CD Navigator"), 12);
    titlePanel->setObjectName(QStringLiteral("Panel1"));

    auto *left = new QWidget(this);
    left->setObjectName(QStringLiteral("Panel2"));
    left->setFixedWidth(190);
    auto *ll = new QVBoxLayout(left);
    auto *criterion = new QLabel(QStringLiteral("Criterion"), left);
    ComboBox1 = new QComboBox(left);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setAccessibleName(QStringLiteral("Criterion"));
    criterion->setBuddy(ComboBox1);
    // The first entry is the view used last, for going back to it quickly.
    ComboBox1->addItem(QLatin1String(Views[0].title));
    ComboBox1->addItems(viewTitles());
    ComboBox1->setCurrentIndex(1);
    SpeedButton1 = new QToolButton(left);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("Expand all"));
    SpeedButton1->setAccessibleName(QStringLiteral("Expand all"));
    SpeedButton1->setCheckable(true);
    SpeedButton1->setEnabled(false);
    SpeedButton1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    ll->addWidget(criterion);
    ll->addWidget(ComboBox1);
    ll->addWidget(SpeedButton1);
    ll->addStretch();

    cxGrid1 = new QTreeView(this);
    cxGrid1->setObjectName(QStringLiteral("cxGrid1"));
    cxGrid1->setAccessibleName(QStringLiteral("CD Navigator"));
    cxGrid1->setUniformRowHeights(true);
    cxGrid1->setAlternatingRowColors(true);
    cxGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    cxGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    cxGrid1->setExpandsOnDoubleClick(true);
    cxGrid1->setStyleSheet(QStringLiteral("QTreeView::item { border-right: 1px solid #d0d0d0; border-bottom: 1px solid #d0d0d0; }"));
    m_model = new TitleGroupModel(this);
    cxGrid1->setModel(m_model);
    TotalLabel = Kit::valueLabel(this, QStringLiteral("TotalLabel"), QStringLiteral("Stock"));
    TotalLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *right = new QVBoxLayout;
    right->addWidget(heading(QStringLiteral("CD Navigator"), 10));
    right->addWidget(cxGrid1, 1);
    right->addWidget(TotalLabel);
    auto *body = new QHBoxLayout;
    body->addWidget(left);
    body->addLayout(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar);
    layout->addWidget(titlePanel);
    layout->addLayout(body, 1);

    connect(ComboBox1, &QComboBox::activated, this, &TFrmNavigator::ComboBox1Change);
    connect(SpeedButton1, &QToolButton::clicked, this, &TFrmNavigator::SpeedButton1Click);
    connect(cxGrid1, &QTreeView::doubleClicked, this, &TFrmNavigator::cxGrid1DblClick);
    connect(tbPrint, &QToolButton::clicked, this, &TFrmNavigator::tbPrintClick);
    connect(tbClose, &QToolButton::clicked, this, &QWidget::close);
    m_keys = new KeyPreview(this);

    // The list is read once, when the window is shown; titles added later
    // appear when the navigator is opened again.
    DataSet *nav = Dm1->Navigator;
    nav->close();
    if (!nav->open())
        Prompt::error(nav->lastError());
    else
        m_model->load(nav);
    nav->close();
    showView(0);
}

TFrmNavigator::~TFrmNavigator() = default;

QStringList TFrmNavigator::viewTitles()
{
    QStringList titles;
    for (const ViewDef &v : Views)
        titles << QLatin1String(v.title);
    return titles;
}

void TFrmNavigator::showView(int view)
{
    m_view = view;
    m_model->group(Views[view]);
    cxGrid1->setRootIsDecorated(Views[view].groupBy[0] >= 0);
    cxGrid1->header()->resizeSection(0, Views[view].groupBy[0] >= 0 ? 260 : 60);
    cxGrid1->header()->resizeSection(3, 240);
    if (SpeedButton1->isEnabled() && SpeedButton1->isChecked())
        cxGrid1->expandAll();
    Kit::setValue(TotalLabel, Views[view].totals ? QStringLiteral("Stock : %1").arg(m_model->root()->stock) : QString());
    TotalLabel->setVisible(Views[view].totals);
}

void TFrmNavigator::ComboBox1Change(int index)
{
    if (index < 0)
        return;
    const int view = int(viewTitles().indexOf(ComboBox1->itemText(index)));
    if (view < 0)
        return;
    // The recently used entry and the plain list cannot be expanded as a whole.
    SpeedButton1->setEnabled(index > 1);
    showView(view);
    ComboBox1->setItemText(0, ComboBox1->itemText(index));
}

void TFrmNavigator::SpeedButton1Click()
{
    if (SpeedButton1->isChecked())
        cxGrid1->expandAll();
    else
        cxGrid1->collapseAll();
}

void TFrmNavigator::cxGrid1DblClick(const QModelIndex &index)
{
    const int t = m_model->titleOf(index);
    if (t < 0)
        return; // a group heading opens or closes
    OpenCDDefinitionsOn(m_model->title(t).id);
}

Report::BandReport TFrmNavigator::printedReport() const
{
    using namespace Report;
    BandReport r;
    r.name = QStringLiteral("cxGrid1");
    r.title = QStringLiteral("Quillon / VEXARO");
    r.orientation = QPageLayout::Landscape;
    r.applyStandardLook(8);
    const double x[ColumnCount] = {12, 14, 34, 70, 140, 143, 157, 194, 197, 226, 253, 256};
    for (int c = 0; c < ColumnCount; ++c) {
        const bool right = c == 0 || c == StockColumn || c == 7 || c == 10;
        r.addColumn(x[c], QLatin1String(Columns[c][1]), QLatin1String(Columns[c][0]), right ? Align::Right : Align::Left);
    }
    r.fitColumns();
    // Group headings are written across the row, above the titles they hold.
    r.detail.elements.push_back(BandReport::field(0, QStringLiteral("Grp"), Align::Left, QString(), 8, true));

    auto rows = std::make_shared<ShownRows>();
    const bool totals = Views[m_view].totals;
    std::function<void(const QModelIndex &, int)> walk = [&](const QModelIndex &parent, int depth) {
        for (int r0 = 0; r0 < m_model->rowCount(parent); ++r0) {
            const QModelIndex i = m_model->index(r0, 0, parent);
            QHash<QString, QString> row;
            if (const auto *g = m_model->groupOf(i)) {
                row.insert(QStringLiteral("grp"), QString(depth * 4, QLatin1Char(' ')) + i.data().toString());
                if (totals)
                    row.insert(QStringLiteral("stok"), QString::number(g->stock));
                rows->rows.push_back(row);
                if (cxGrid1->isExpanded(i))
                    walk(i, depth + 1);
            } else {
                for (int c = 0; c < ColumnCount; ++c)
                    row.insert(QString::fromLatin1(Columns[c][0]).toLower(), m_model->index(r0, c, parent).data().toString());
                rows->rows.push_back(row);
            }
        }
    };
    walk(QModelIndex(), 0);
    r.setRows(rows);
    if (totals) {
        Band total;
        total.height = 6;
        const qint64 stock = m_model->root()->stock;
        total.elements = {BandReport::text(70, QStringLiteral("Stock"), 9, true),
                          BandReport::computed(x[StockColumn], [stock](const Computed &) { return QString::number(stock); })};
        r.summaries = {total};
    }
    return r;
}

void TFrmNavigator::tbPrintClick()
{
    Report::showPreview(printedReport());
}

void TFrmNavigator::closeEvent(QCloseEvent *event)
{
    Dm1->Navigator->close();
    event->accept();
}

TFrmNavigator *OpenNavigator()
{
    return openChildWindow(FrmNavigator, [] { return new TFrmNavigator; });
}
