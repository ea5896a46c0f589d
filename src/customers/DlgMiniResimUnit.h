#pragma once

#include "app/WindowRegistry.h"

#include <QDialog>
#include <QPointer>

class PhotoView;
class QImage;

// "Customer's photo": a small tool window that the return and check windows
// fill with the customer's photograph and show beside themselves.
class TDlgMiniResim : public QDialog
{
    Q_OBJECT

public:
    explicit TDlgMiniResim(QWidget *parent = nullptr);
    PhotoView *Image1;
};

// Shows the customer's photo beside the window that opens it.
void ShowCustomerPhoto(QWidget *parent);
// Puts the picture into the photo window (made when missing; not shown); an
// empty picture clears it.
void SetCustomerPhoto(QWidget *parent, const QImage &picture);
// Moves the photo window, when shown, to the given point.
void PlaceCustomerPhoto(int left, int top);

