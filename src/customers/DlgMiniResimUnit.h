#pragma once

#include "app/WindowRegistry.h"

#include <QDialog>
#include <QPointer>

class PhotoView;

// "Customer's photo": a small tool window that the return and check windows
// fill with the customer's photograph and show beside themselves.
class TDlgMiniResim : public QDialog
{
    Q_OBJECT

public:
    explicit TDlgMiniResim(QWidget *parent = nullptr);
    PhotoView *Image1;
};

