#pragma once

#include <QHeaderView>
#include <QStringList>
#include <QStyledItemDelegate>

class DBGrid;

// The column titles one grid shows over a shared dataset. The dataset's own
// captions serve every window alike; a window that titles the same column
// otherwise (the customer list's "Customer Name" over Musteri's "Adı Soyadı")
// puts this header on its grid.
class TitledHeader : public QHeaderView
{
    Q_OBJECT

public:
    TitledHeader(const QStringList &titles, QWidget *parent = nullptr);
    // The title shown over the column; the model's caption where none is set.
    QString title(int logicalIndex) const;

protected:
    void initStyleOptionForIndex(QStyleOptionHeader *option, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    QStringList m_titles;
};

// A column drawn in its own colour and weight (the customer number in red,
// the name in blue, both bold).
class ColumnLook : public QStyledItemDelegate
{
    Q_OBJECT

public:
    ColumnLook(const QColor &color, bool bold, QObject *parent = nullptr)
        : QStyledItemDelegate(parent), m_color(color), m_bold(bold) {}

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    QColor m_color;
    bool m_bold;
};

// Shows the fields on the grid in order, titled as given, at the given widths.
void setGridColumns(DBGrid *grid, class DataSource *source, const QStringList &fields, const QStringList &titles,
                    const QList<int> &widths = {});
