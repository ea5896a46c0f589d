#include "cashbox/DlgKasaSifreUnit.h"

#include "components/KeyPreview.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TDlgKasaSifre::TDlgKasaSifre(QWidget *parent) : QDialog(parent)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("DlgKasaSifre"));
    setWindowTitle(QStringLiteral("Please enter your password"));
    setAccessibleName(windowTitle());

    auto *label = new QLabel(QStringLiteral("Password"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Password"));
    Edit1->setEchoMode(QLineEdit::Password);
    Edit1->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    Edit1->setMinimumWidth(200);
    label->setBuddy(Edit1);

    BtnOk = new QPushButton(QStringLiteral("Ok"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setAccessibleName(QStringLiteral("Ok"));
    BtnOk->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setAccessibleName(QStringLiteral("Cancel"));

    auto *row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(Edit1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnCancel);
    auto *l = new QVBoxLayout(this);
    l->addLayout(row);
    l->addLayout(buttons);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(BtnOk, &QPushButton::clicked, this, &TDlgKasaSifre::BtnOkClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    m_keys = new KeyPreview(this);
    Edit1->setFocus();
}

void TDlgKasaSifre::BtnOkClick()
{
    // As typed: a blank before or after is part of what the clerk typed.
    emit passwordGiven(Edit1->text());
    accept();
}
