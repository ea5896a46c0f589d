#pragma once

#include "app/WindowRegistry.h"

#include "data/WindowPorts.h"

#include "data/ShopBook.h"
#include "db/Money.h"

#include <QStringList>
#include <QWidget>

class DBCheckBox;
class DBComboBox;
class DBDateEdit;
class DBEdit;
class DBGrid;
class DBLookupComboBox;
class DBText;
class KeyPreview;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QFrame;
class QKeyEvent;
class QLabel;
class QRadioButton;
class QSpinBox;
class QSplitter;
class QTimer;
class QToolBar;
class QToolButton;

// "CD process": where the counter rents and sells. The form on the left
// enters one transaction (the current row of Hareket), priced from the tariff
// with its due date; "Post" hands it to the engine, which stores the row, the
// ledger row and the stock in one write. On the right the transaction list
// with its search and filter, the current customer's discs still out and
// everybody who took the current title.
class TFrmCDKira : public QWidget, public RentWindowPort
{
    Q_OBJECT

public:
    explicit TFrmCDKira(QWidget *parent = nullptr);
    ~TFrmCDKira() override;

    // --- toolbar
    QToolButton *tbNew, *ToolButton1 /* Post */, *tbReport /* Cancel */, *tbFind /* Delete */,
        *tbUnitStats /* Edit */, *tbAddSkip /* Print */, *tbSlip;
    QToolButton *ToolButton6, *ToolButton8, *ToolButton9, *ToolButton10; // first, previous, next, last
    QToolButton *btnClose; // the title band's close button

    // --- the transaction form
    DBComboBox *DBComboBox1;             // "Process type"
    DBLookupComboBox *DBLookupComboBox1; // "Customer Name"
    DBComboBox *DBComboBox2;             // "Film type"
    DBEdit *DBEdit3;                     // "Price"
    DBCheckBox *DBCheck1;                // "Gave on account"
    DBText *DBText2;                     // "CD Barcode"
    DBLookupComboBox *DBLookupComboBox2; // "Film name"
    DBDateEdit *DBDateEdit1;             // "Beginning date. / Purchase date"
    QSpinBox *SpinEdit1;                 // "Number of rented days"
    DBDateEdit *DBDate1;                 // "Necessary return date"
    QLabel *LabelWeekday;                // the due date's weekday
    // The chosen customer's standing, beside the customer: discs out, how
    // many of them are overdue (red when any), the balance on account.
    QLabel *LabelDiscsOut, *LabelOverdue, *LabelOnAccount;
    DBText *DBText1;                     // "Total sum"
    QTimer *Timer1;                      // makes the barcode blink

    // --- the list, search and filter
    DBGrid *DBGrid1, *DBGrid2, *DBGrid3;
    QButtonGroup *RadioGroup1; // "Choosing search factor": 0 customer, 1 film
    QComboBox *ComboBox1;      // "Factor"
    QComboBox *ComboBox2;      // filter "Process type"
    QComboBox *ComboBox3;      // filter "Film type"
    QCheckBox *Check1;         // "Notice period of reservation"
    QDateEdit *DateTimePicker1, *DateTimePicker2;
    QCheckBox *Check2;         // "Only show rented"
    QToolButton *SpeedButton4; // "Filer"
    QToolButton *SpeedButton1; // "Send E-Mail to this customer"
    QToolButton *SpeedButton2; // "Get this transaction"
    QToolButton *SpeedButton3; // the band's print button, never shown
    QList<QLabel *> StatusPanels;

    // --- state of the transaction being entered
    int EditStartCDNo = 0;
    int EditStartCDDurum = 0;
    bool IsNewTransaction = false;
    int PricingMembership = 0;

    // What the data module asks of the window.
    void updateControlStates() override
    {
        UpdateControlStates();
        showCustomerStanding(); // the list moved to another transaction
    }
    void setDayCountText(const QString &text) override;

    void UpdateControlStates();
    void ReloadFilmList(const QString &discType);
    void DBComboBox2Change();         // price lookup
    void DBLookupComboBox2DropDown(); // title price
    void SpinEdit1Change();           // due date and total
    void startBlinking();             // the barcode was read
    void gamePriceTyped();            // "Price" typed: a game's total follows it

    void tbNewClick();
    void tbUnitStatsClick();
    void ToolButton1Click();
    void tbReportClick();
    void tbFindClick();
    void tbAddSkipClick();
    void tbSlipClick();
    void Radio1Click();
    void ComboBox1Change();
    void SpeedButton4Click();
    void Check1Click();
    void DBGrid2DblClick();
    void SpeedButton1Click();
    void TimerTimer();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The constructor's parts, in the order it builds them.
    QToolBar *buildToolbar();
    QFrame *buildTitleBand();
    QFrame *buildForm();
    void buildFormControls(QFrame *form);
    void layOutForm(QFrame *form);
    QWidget *buildList();
    QSplitter *buildSearchAndFilter();
    QSplitter *buildCustomerLists();
    void connectSignals();
    void setKeyboardOrder();
    void FormShow();
    void FormClose();
    bool FormKeyDown(QKeyEvent *event);
    bool typeIntoCustomer(QKeyEvent *event);
    void openBarcodeDialog();
    bool post(bool askForNext);
    void stopBlinking();
    void paintControlStates();
    void fillSearchList();
    std::optional<Money> shownPrice() const;
    ShopBook::RentRequest rentRequest(bool lookUp) const;
    void showQuote(bool lookUp);
    void showCustomerStanding(); // of the current transaction's customer

    KeyPreview *m_keys = nullptr;
    QStringList m_customerNames, m_titleNames;
    QString m_typedName; // letters typed in the customer list since it got the focus
    bool m_focusGiven = false;
    bool m_closed = false;
};

// Opens the window (or brings it forward); the main menu's entry.
TFrmCDKira *OpenRentWindow();
// The barcode dialog put a title into the rental being typed: the rent
// window, when open, blinks the title and looks its price up.
inline void ShowTitleChosenForRent()
{
    if (FrmCDKira) {
        FrmCDKira->startBlinking();
        FrmCDKira->DBComboBox2Change();
    }
}
