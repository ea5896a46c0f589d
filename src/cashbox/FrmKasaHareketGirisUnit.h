#pragma once

#include "app/WindowRegistry.h"

#include <QDialog>

class DBDateEdit;
class DBEdit;
class KeyPreview;
class QPushButton;
class QTabWidget;

// "Cash box transaction": types one ledger row, the current row of Kasa that
// the cash-box window has put into insert (a new manual movement) or edit (a
// correction). "Save" stores it through the engine; any other way out drops
// what is not stored.
class TFrmKasaHareketGiris : public QDialog
{
    Q_OBJECT

public:
    explicit TFrmKasaHareketGiris(QWidget *parent = nullptr);

    QTabWidget *PageControl1;
    DBEdit *DBEdit1;          // "Explanation"
    DBEdit *DBEdit2;          // "Input price entering to cash box"
    DBEdit *DBEdit3;          // "Output price going out cash box"
    DBDateEdit *DBDateEdit1;  // "Transaction date"
    QPushButton *BtnCancel, *BtnSave;

    void BtnSaveClick();

public slots:
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    KeyPreview *m_keys = nullptr;
};
