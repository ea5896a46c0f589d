#pragma once

#include "app/WindowRegistry.h"

#include <QPointer>
#include <QWidget>

class KeyPreview;
class QComboBox;
class QLabel;
class QToolButton;
class QTreeView;
class TitleGroupModel;

namespace Report {
class BandReport;
}

// "Navigator": a read-only browser of the whole catalogue as a grouped list.
// The clerk picks the grouping, expands or collapses every group, prints the
// list as shown and jumps to a title in the CD definitions window.
class TFrmNavigator : public QWidget
{
    Q_OBJECT

public:
    explicit TFrmNavigator(QWidget *parent = nullptr);
    ~TFrmNavigator() override;

    // The view titles, in the chooser's order (after its recently used entry).
    static QStringList viewTitles();

    QToolButton *tbPrint, *tbClose;
    QComboBox *ComboBox1;        // the view chooser
    QToolButton *SpeedButton1;   // "Expand all"
    QTreeView *cxGrid1;          // the report view
    QLabel *TotalLabel;          // the stock of every title, for views with totals

    // The view shown now (an index into viewTitles()).
    int currentView() const { return m_view; }
    // The report as shown: grouping and expansion included.
    Report::BandReport printedReport() const;

public slots:
    void ComboBox1Change(int index);
    void SpeedButton1Click();
    void cxGrid1DblClick(const class QModelIndex &index);
    void tbPrintClick();

protected:
    void closeEvent(class QCloseEvent *event) override;

private:
    void showView(int view);

    TitleGroupModel *m_model = nullptr;
    KeyPreview *m_keys = nullptr;
    int m_view = 0;
};


// The main menu's "CD-Navigator".
TFrmNavigator *OpenNavigator();
