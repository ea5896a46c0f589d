#pragma once

#include "app/WindowRegistry.h"

#include "data/WindowPorts.h"

#include <QPointer>
#include <QWidget>
#include <memory>

class DBGrid;
class DBText;
class KeyPreview;
class PhotoView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;
class QToolButton;
class QFrame;
class WheelToArrows;

// The next customer number: the largest in the whole register plus one (1 for
// an empty register), whatever the list shows. 0 when it cannot be read.
int NextCustomerNumber();

// "Customer Definitions": the customer register, found as the clerk types,
// optionally only the members; for the current customer the photograph, the
// discs out on rent and every finished transaction. Customers are created,
// changed and deleted only here (the first two in TFrmMusKayit).
class TFrmMusteri : public QWidget, public CustomerPhotoPort
{
    Q_OBJECT

public:
    explicit TFrmMusteri(QWidget *parent = nullptr);
    ~TFrmMusteri() override;

    QToolButton *tbNew, *tbDelete, *tbEdit, *tbPrint;
    QToolButton *tbFirst, *tbPrior, *tbNext, *tbLast;
    QToolButton *btnClose;        // the title bar's close button
    DBGrid *DBGrid1;              // the customers
    DBGrid *DBGrid2;              // "CDs in this customer"
    DBGrid *DBGrid3;              // "This customer's all process"
    PhotoView *Image1;            // "Customer's Photo"
    DBText *DBText1;              // the customer's name over the photo
    QRadioButton *rbName;         // "Customer name"
    QRadioButton *rbNumber;       // "Customer ID"
    QLineEdit *Edit1;             // "Factor": the search text
    QCheckBox *CheckBox1;         // "Only list members"
    QToolButton *btnCDReturn;     // "CD Return"
    QToolButton *btnPrintProcess; // prints "This customer's all process"
    QMenu *PopupMenu1;            // "CD Iade"
    QList<QLabel *> StatusPanels;  // the status bar's four panels

    // The photo area, as the data module fills it.
    void showPhoto(const QImage &picture) override;
    void clearPhoto() override;

    void tbNewClick();
    void tbEditClick();
    void tbDeleteClick();
    void tbPrintClick();
    void Edit1Change();
    void CheckBox1Click();
    void CDReturnClick();
    void PrintProcessClick();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QFrame *buildToolbar();
    QWidget *buildCustomerTable();
    QWidget *buildSearchPanel();
    void FormShow();
    void FormClose();
    bool FormKeyDown(class QKeyEvent *event);
    KeyPreview *m_keys = nullptr;
    WheelToArrows *m_wheel = nullptr;
    bool m_focusGiven = false;
    bool m_closed = false;
};

