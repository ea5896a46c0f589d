#include "customers/DlgMiniResimUnit.h"

#include "customers/PhotoView.h"

#include <QVBoxLayout>


TDlgMiniResim::TDlgMiniResim(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("DlgMiniResim"));
    setWindowTitle(QStringLiteral("Customer's photo"));
    setAccessibleName(windowTitle());
    Image1 = new PhotoView(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAccessibleName(windowTitle());
    Image1->setStretch(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Image1);
    resize(180, 150);
}

void ShowCustomerPhoto(QWidget *parent)
{
    if (!DlgMiniResim)
        DlgMiniResim = new TDlgMiniResim(parent);
    DlgMiniResim->show();
}

void SetCustomerPhoto(QWidget *parent, const QImage &picture)
{
    if (!DlgMiniResim)
        DlgMiniResim = new TDlgMiniResim(parent);
    if (picture.isNull())
        DlgMiniResim->Image1->clearPicture();
    else
        DlgMiniResim->Image1->setPicture(picture);
}

void PlaceCustomerPhoto(int left, int top)
{
    if (DlgMiniResim)
        DlgMiniResim->move(left, top);
}
