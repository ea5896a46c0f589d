#pragma once

#include "app/WindowRegistry.h"

#include "components/GridColumns.h"

#include <QStringList>
#include <QWidget>

class DBGrid;
class DBText;
class KeyPreview;
class QButtonGroup;
class QComboBox;
class QKeyEvent;
class QLineEdit;
class QMenu;
class QToolButton;
class WheelToArrows;

// The grid's column titles, one of them bold: the column the list is sorted by.
class BoldTitleHeader : public TitledHeader
{
    Q_OBJECT
public:
    using TitledHeader::TitledHeader;
    int boldSection = -1;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
};

// "CD Check": the counter's overview of rentals — due back today, back today,
// overdue, all out, out on credit, rented today. From the highlighted rental
// the return window opens; a scanned barcode finds the rental; the list's
// customers get one e-mail; the list prints.
class TFrmCDKontrol : public QWidget
{
    Q_OBJECT

public:
    explicit TFrmCDKontrol(QWidget *parent = nullptr);
    ~TFrmCDKontrol() override;

    static const QStringList ReportNames;

    QToolButton *ToolButton2; // "&E-Mail"
    QToolButton *ToolButton1; // "&CD Return"
    QToolButton *ToolButton7; // "&Find Film"
    QToolButton *ToolButton9; // "&Print"
    QToolButton *ToolButton5; // "&Close"
    QLineEdit *EditScan;       // "Scan a returned disc"
    QButtonGroup *RadioGroup1; // "Choosing report"
    QComboBox *ComboBox1;      // "CD Type"
    QToolButton *SpeedButton1; // "Tüm Liste"
    DBGrid *DBGrid1;
    BoldTitleHeader *TitleHeader;
    QMenu *PopupMenu1;

    // 1 … 6, the report chosen in "Choosing report".
    int chosenReport() const;
    // Rebuilds the list for the report, with the chosen CD type.
    void showReport(int report);

    void ToolButton1Click(); // CD Return
    void ToolButton7Click(); // Find Film (barcode)
    void ToolButton2Click(); // E-Mail
    void ToolButton9Click(); // Print
    void SpeedButton1Click();
    // Enter in the scan line: the return of the scanned disc opens ready to book.
    void EditScanEnter();
    void DBGrid1TitleClick(int column);
    // The recipients of the list's mail: each address once, the last row's first.
    QString listAddresses() const;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *buildChoice();
    QWidget *buildDetails();
    bool FormKeyDown(QKeyEvent *event);
    void applySort();
    void takeBackHighlighted();

    QStringList m_fields;
    int m_lastTitle = 0;
    QString m_sortField;
    bool m_descending = false;
    bool m_shown = false;
    bool m_scanChoice = false; // the list holds the rentals of one scanned disc
    KeyPreview *m_keys = nullptr;
    WheelToArrows *m_wheel = nullptr;
};

// Opens the check window inside the frame, or brings it forward.
TFrmCDKontrol *OpenCheckWindow();
// A rental was returned: the check window, when open, shows its chosen list again.
void RefreshCheckWindow();
