#pragma once

#include "app/WindowRegistry.h"

#include <QByteArray>
#include <QDate>
#include <QDialog>
#include <QVariant>

class DBCheckBox;
class DBDateEdit;
class DBEdit;
class DBText;
class KeyPreview;
class QLabel;
class QPushButton;
class QTimer;
class QWidget;

// "Returning of CD": one rental still out (the row of CDIade) comes back.
// Ticking "Returned CD" dates the return today and works out the days late
// and the penalty; the clerk may correct them, and "Ok" hands the row to the
// engine, which stores it, puts the copy back and books a collected penalty in
// one write. The customer's photo and note stand beside the window.
class TFrmCdIade : public QDialog
{
    Q_OBJECT

public:
    explicit TFrmCdIade(QWidget *parent = nullptr);
    ~TFrmCdIade() override;

    QLabel *LabelCustomer;      // the customer's name, set by the opener
    QLabel *LabelFilm;          // the film's name, set by the opener
    DBText *DBText1;            // "Necessary return date"
    QLabel *PanelWeekday;       // its weekday
    DBCheckBox *DBCheckBox1;    // "Returned CD"
    QLabel *Label8, *Label9;    // "[ Gave on account ]" and the rental's amount
    DBDateEdit *DBDateEdit1;    // "Return date"
    DBEdit *DBEdit1;            // "Number of penalty days "
    DBCheckBox *DBCheckBox2;    // "Penalty is collected"
    DBEdit *DBEdit2;            // "Penalty default"
    QPushButton *BitBtn1;       // "Ok"
    QPushButton *BitBtn2;       // "Close"
    QTimer *Timer1;             // blinks the credit labels

    void DBCheckBox1Click(bool returned);
    void DBDateEdit1Change(const QDate &date);
    void BitBtn1Click();
    // A disc handed back at the counter now: "Returned CD" ticked as by hand
    // (today, the days late and the penalty worked out), "Penalty is
    // collected" ticked when there is a penalty. Enter then books it; with a
    // penalty the focus is on "Penalty is collected", so Space waives it first.
    void takeBackToday();
    // Puts the photo and note windows beside this one.
    void placeCompanions();

protected:
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    bool event(QEvent *event) override;
    void done(int result) override;

private:
    QWidget *buildRentalPart();
    QWidget *buildReturnPart();
    void FormShow();
    void updateControls();
    void Timer1Timer();

    KeyPreview *m_keys = nullptr;
    bool m_shown = false;
};

// What every opener of the return window does: creates it, names the customer
// and the film, opens CDIade on the rental `hareketId` and shows the window
// modally. A rental that cannot be read is reported and nothing opens.
// With `takenBackToday` the window opens as takeBackToday() leaves it.
int OpenReturnWindow(QWidget *parent, const QVariant &hareketId, const QString &customer, const QString &film,
                     bool takenBackToday = false);

// Creates the customer photo window when absent and shows the photograph in
// it; bytes that are no JPEG picture leave it empty.
void LoadReturnPhoto(QWidget *parent, const QByteArray &jpeg);
