#include "components/GridColumns.h"

#include "components/DataSetModel.h"

#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/DataSource.h"

#include <QStyleOptionHeader>

TitledHeader::TitledHeader(const QStringList &titles, QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent), m_titles(titles)
{
    setSectionsClickable(true);
    setHighlightSections(true);
}

QString TitledHeader::title(int logicalIndex) const
{
    if (logicalIndex >= 0 && logicalIndex < m_titles.size())
        return m_titles[logicalIndex];
    return model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
}

void TitledHeader::initStyleOptionForIndex(QStyleOptionHeader *option, int logicalIndex) const
{
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    option->text = title(logicalIndex);
}

QSize TitledHeader::sectionSizeFromContents(int logicalIndex) const
{
    QSize s = QHeaderView::sectionSizeFromContents(logicalIndex);
    QFont f = font();
    f.setBold(true);
    const int w = QFontMetrics(f).horizontalAdvance(title(logicalIndex)) + 16;
    s.setWidth(std::max(s.width(), w));
    return s;
}

void ColumnLook::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->font.setBold(m_bold);
    option->palette.setColor(QPalette::Text, m_color);
    option->palette.setColor(QPalette::HighlightedText, m_color.lighter(180));
}

void setGridColumns(DBGrid *grid, DataSource *source, const QStringList &fields, const QStringList &titles,
                    const QList<int> &widths)
{
    grid->setHorizontalHeader(new TitledHeader(titles, grid));
    grid->setDataSource(source, fields);
    if (auto *model = qobject_cast<DataSetModel *>(grid->model()))
        model->setTitles(titles);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The header forgets its widths whenever the list is opened again.
    // A column is never narrower than its title: a clerk must read every caption.
    const auto applyWidths = [grid, widths] {
        for (int i = 0; i < widths.size(); ++i)
            grid->setColumnWidth(i, std::max(widths[i], grid->horizontalHeader()->sectionSizeHint(i)));
    };
    applyWidths();
    if (grid->model()) {
        QObject::connect(grid->model(), &QAbstractItemModel::modelReset, grid, applyWidths);
        QObject::connect(grid->model(), &QAbstractItemModel::columnsInserted, grid, applyWidths);
    }
}
