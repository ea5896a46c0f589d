#pragma once

#include "app/WindowRegistry.h"

#include <QDialog>
#include <QPointer>

class QTextEdit;

// "This note belongs to customer": a small tool window that shows the
// customer's note beside the window that opened it.
class TDlgMiniAcik : public QDialog
{
    Q_OBJECT

public:
    explicit TDlgMiniAcik(QWidget *parent = nullptr);
    QTextEdit *ScText;
};

// Shows the customer's note beside the window that opens it.
void ShowCustomerNote(QWidget *parent, const QString &note);
// Moves the note, when shown, to the given left edge, its own height below `top`.
void PlaceCustomerNote(int left, int top);

