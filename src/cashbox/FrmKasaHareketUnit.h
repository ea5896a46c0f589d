#pragma once

#include "data/LedgerData.h"
#include "app/WindowRegistry.h"

#include <QWidget>

class DBGrid;
class DBText;
class KeyPreview;
class QComboBox;
class QDateEdit;
class QLabel;
class QTimer;
class QToolButton;
class QFrame;
class QGroupBox;
class QToolBar;
class WheelToArrows;

// "Cash-Box Transactions": the ledger of a period, optionally of one kind of
// movement, with the period's money in, money out and balance. New manual
// movements, and password-guarded corrections and deletions, go through the
// engine.
class TFrmKasaHareket : public QWidget
{
    Q_OBJECT

public:
    explicit TFrmKasaHareket(QWidget *parent = nullptr);
    ~TFrmKasaHareket() override;

    QToolButton *ToolButton7;  // "New &Transaction"
    QToolButton *ToolButton3;  // "&Delete"
    QToolButton *ToolButton9;  // "&Edit"
    QToolButton *ToolButton11; // "&Graphics"
    QToolButton *ToolButton1;  // "&Report"
    QToolButton *ToolButton4;  // "&Close"
    QDateEdit *Picker1, *Picker2;
    QToolButton *SpeedButton1; // "Refresh"
    QComboBox *Combo1;         // "Filtering option"
    DBGrid *DBGrid1;
    DBText *DBTextID, *DBTextIslem, *DBTextAciklama, *DBTextBorc, *DBTextAlacak, *DBTextTarih, *DBTextSaat;
    QLabel *LabelCurrency, *LabelSales, *LabelExpenses, *LabelBalance;
    QLabel *StatusPanel0, *StatusPanel1, *StatusPanel2, *StatusPanel3;
    QTimer *Timer1;

    // The period and kind the list shows now.
    LedgerPeriod shownPeriod() const { return m_shown; }
    // Recomputes the totals of the period and kind the list shows.
    void showTotals();

public slots:
    void SpeedButton1Click();
    void Combo1Change();
    void ToolButton7Click();
    void ToolButton9Click();
    void ToolButton3Click();
    void ToolButton1Click();
    void ToolButton11Click();
    void ToolButton4Click();
    void Timer1Timer();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QToolBar *buildToolbar();
    QFrame *buildPeriod();
    QGroupBox *buildTotals();
    void FormShow();
    bool keyPressed(class QKeyEvent *event);
    LedgerPeriod chosenPeriod() const;
    void showPeriod(const LedgerPeriod &period);
    // Shows the password dialog; what was typed, or nothing.
    QString askPassword();

    KeyPreview *m_keys = nullptr;
    WheelToArrows *m_wheel = nullptr;
    LedgerPeriod m_shown;
    QString m_password; // the text handed over by the last password request
};

// The main menu's "Cash Box Transactions".
TFrmKasaHareket *OpenCashBox();
// A ledger row was saved: the cash box, when open, shows its totals again.
void RefreshCashBoxTotals();
