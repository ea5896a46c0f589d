#pragma once

#include "app/WindowRegistry.h"

#include "data/WindowPorts.h"

#include <QDialog>

class DBGrid;
class KeyPreview;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;

// "CD Exchange": a customer's own disc is taken in as a new title with one
// copy, one of the shop's titles in stock goes out, and the exchange fee for
// the received disc's type is booked — all in one write by the engine.
class TFrmTakas : public QDialog, public ExchangeWindowPort
{
    Q_OBJECT

public:
    explicit TFrmTakas(QWidget *parent = nullptr);
    ~TFrmTakas() override;

    // --- the disc received from the customer
    QLineEdit *Edit1;      // "CD No", the new title's number
    QComboBox *ComboBox2;  // "CD Type"
    QLineEdit *Edit2;      // "CD Count"
    QLineEdit *Edit3;      // "Film Name"
    QComboBox *ComboBox3;  // "Film Type"
    QComboBox *ComboBox4;  // "Film Company"
    QComboBox *ComboBox5;  // "Director"
    QComboBox *ComboBox6;  // "Player Name"
    QLineEdit *Edit4;      // "Cost Price"
    QLineEdit *Edit5;      // "Sell Price"
    QLabel *LabelUcret;    // " Exchange price :"
    QPushButton *BitBtn1;  // "Do exchange process"

    // --- the title given out
    DBGrid *DBGrid1;
    QButtonGroup *RadioGroup1; // "Find CD": 0 Film Name, 1 CD No
    QLineEdit *Edit9;
    QComboBox *ComboBox7;      // type filter
    QToolButton *SpeedButton1; // clears the filter
    QPushButton *BitBtn2;      // "Close"

    void FiltreEkle();
    void ComboBox2xChange();
    void Edit9Change(const QString &text);
    void ComboBox7Change();
    void SpeedButton1Click();
    void BitBtn1Click();

    void setExchangeFeeText(const QString &text) override;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    QWidget *buildReceived();
    void FormShow();
    KeyPreview *m_keys = nullptr;
    bool m_shown = false;
};

// Shows the exchange window modally.
int OpenExchangeWindow(QWidget *parent);
