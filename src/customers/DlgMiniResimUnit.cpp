#include "customers/DlgMiniResimUnit.h"

#include "customers/PhotoView.h"

#include <QVBoxLayout>


TDlgMiniResim::TDlgMiniResim(QWidget *parent) : QDialog(parent, Qt::Tool)
{
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
