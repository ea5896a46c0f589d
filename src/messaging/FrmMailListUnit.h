#pragma once

#include "app/WindowRegistry.h"

#include <QDialog>

class DBGrid;
class KeyPreview;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

// "E-Mail receiver list": builds the recipients of a message from the
// customer register. "Ok" hands them to the e-mail window, joined by ", ".
class TFrmMailList : public QDialog
{
    Q_OBJECT

public:
    explicit TFrmMailList(QWidget *parent = nullptr);
    ~TFrmMailList() override;

    DBGrid *DBGrid1;          // the customers, by name
    QLineEdit *Edit1;         // the search text
    QListWidget *ListBox1;    // "Customer List": the chosen addresses
    QToolButton *btnAdd, *btnDelete, *btnAddAll, *btnDeleteAll;
    QPushButton *btnOk, *btnCancel;

    // The chosen addresses in their order, joined by ", ".
    QString joinedList() const;

public slots:
    void Edit1Change();
    void btnAddClick();
    void btnDeleteClick();
    void btnAddAllClick();
    void btnDeleteAllClick();
    void btnOkClick();

signals:
    // "Ok": the recipients that replace the e-mail window's.
    void listChosen(const QString &recipients);

private:
    KeyPreview *m_keys = nullptr;
};
