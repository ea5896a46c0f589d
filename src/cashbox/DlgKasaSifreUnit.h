#pragma once

#include "app/WindowRegistry.h"

#include <QDialog>

class KeyPreview;
class QLineEdit;
class QPushButton;

// "Please enter your password": asked before a ledger row is corrected or
// deleted. "Ok" hands over the text exactly as typed; "Cancel" or Esc hands
// over nothing.
class TDlgKasaSifre : public QDialog
{
    Q_OBJECT

public:
    explicit TDlgKasaSifre(QWidget *parent = nullptr);

    QLineEdit *Edit1; // the password, shown as '*'
    QPushButton *BtnOk, *BtnCancel;

    void BtnOkClick();

signals:
    void passwordGiven(const QString &typed);

private:
    KeyPreview *m_keys = nullptr;
};
