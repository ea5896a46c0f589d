#pragma once

#include "app/WindowRegistry.h"

#include <QWidget>
#include <functional>

class KeyPreview;
class QChart;
class QChartView;
class QDateEdit;
class QLabel;
class QToolButton;
class QTreeWidget;
class TGrafikData;

// "Graphics": five charts of the cash box and of rentals over a period. The
// clerk picks a chart from the list, sets the period and may print the chart
// shown, one chart per page on the default printer.
class TFrmGrafik : public QWidget
{
    Q_OBJECT

public:
    explicit TFrmGrafik(QWidget *parent = nullptr);
    ~TFrmGrafik() override;

    enum Chart { CashAll, CashByKind, RentalsByGenre, RentalsByFilm, RentalsByCustomer };
    // The bar charts show this many of the highest; the rest are named in a note.
    static constexpr int MaxBars = 20;

    QToolButton *ToolButton1; // "       &Print      "
    QToolButton *ToolButton2; // "&Close"
    QTreeWidget *TreeView1;   // the five charts
    QLabel *PanelHeader;      // names the chart shown
    QChartView *ChartView;
    QLabel *LabelNote;        // how many a bar chart left out
    QDateEdit *Picker1, *Picker2;
    QToolButton *SpeedButton1; // redraw

    // The chart on show (an empty one before anything is chosen).
    QChart *chart() const;
    // The entry chosen, -1 for none.
    int chosen() const { return m_chosen; }

    // Prints a chart view on the printer; true when it was printed. Tests
    // replace it; the default prints on the default printer without a dialog.
    using PrintHook = std::function<bool(QChartView *)>;
    static PrintHook setPrintHook(PrintHook hook);

public slots:
    void TreeView1Change();
    void SpeedButton1Click();
    void ToolButton1Click();
    void ToolButton2Click();

private:
    void drawChart(int which);
    bool drawCashAll(QChart *c);
    bool drawCashByKind(QChart *c);
    bool drawPie(QChart *c, bool genres);
    bool drawBars(QChart *c, bool films);

    KeyPreview *m_keys = nullptr;
    TGrafikData *m_data = nullptr;
    int m_chosen = -1;
};

// The main menu's "Graphics" and the cash-box window's "&Graphics".
TFrmGrafik *OpenGraphics();
