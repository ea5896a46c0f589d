#pragma once

#include "app/WindowRegistry.h"

#include <QDialog>

class KeyPreview;
class QKeyEvent;
class QLineEdit;
class QPushButton;

// "Barcode": one line into which a barcode is typed or scanned (a scanner
// types the code and Enter). Enter looks the code up and closes the dialog,
// found or not; what the lookup does depends on the window that opened it.
class TDlgBarkodOku : public QDialog
{
    Q_OBJECT

public:
    enum Mode {
        TitleForRent = 1, // the title of the transaction being entered in the rent window
        RentalToReturn = 2 // the open rental of the disc, for the out-on-rent check window
    };

    explicit TDlgBarkodOku(QWidget *parent = nullptr);
    ~TDlgBarkodOku() override;

    int Mode = TitleForRent;

    // What the clerk is told when no title or no rental has the barcode, and
    // when several customers have the same disc out.
    static const QString NotFoundText;
    static const QString SeveralRentalsText;

    QLineEdit *Edit1;       // the entry line
    QPushButton *BitBtn1;   // "Close"

    void Edit1KeyDown();    // Enter: look up, then close

private:
    bool keyPressed(QKeyEvent *event);
    void findTitle(const QString &code);
    void findRental(const QString &typed);

    KeyPreview *m_keys = nullptr;
    bool m_done = false;
};

// Shows the barcode dialog in the given mode (TitleForRent, RentalToReturn)
// for the window that opens it, waiting until it closes.
int OpenBarcodeDialog(QWidget *parent, int mode);
