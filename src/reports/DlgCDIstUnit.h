#pragma once

#include "app/WindowRegistry.h"

#include <QDialog>

class KeyPreview;
class QComboBox;
class QDateEdit;
class QPushButton;

// "CD renting statistics": how many times each title was rented in a period,
// optionally of one medium, printed as "Film Statistics.". Stays open for
// another report.
class TDlgCdIst : public QDialog
{
    Q_OBJECT

public:
    explicit TDlgCdIst(QWidget *parent = nullptr);

    QDateEdit *Picker1, *Picker2;
    QComboBox *ComboBox1; // media type
    QPushButton *BtnClose, *BtnReport;

    void BtnReportClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    KeyPreview *m_keys = nullptr;
};

// The main menu's "Renting Statistics" and the catalogue's "Rent Stat.".
void OpenRentingStatistics(QWidget *parent);
