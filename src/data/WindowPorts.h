#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// What the data modules ask of the windows they keep in step. A window
// registers itself with Dm1 or Dm2 when it is created and is forgotten when it
// is destroyed; a handler whose window is not registered does nothing, so
// moving through a dataset while its window is closed costs only the move.

// The rent and sell window.
class RentWindowPort
{
public:
    virtual ~RentWindowPort() = default;
    // Enables its controls after the state of the transaction list.
    virtual void updateControlStates() = 0;
    virtual void setDayCountText(const QString &text) = 0;
};

// The customer definitions window and the customer registration dialog.
class CustomerPhotoPort
{
public:
    virtual ~CustomerPhotoPort() = default;
    virtual void showPhoto(const QImage &picture) = 0;
    virtual void clearPhoto() = 0;
};

// The exchange window.
class ExchangeWindowPort
{
public:
    virtual ~ExchangeWindowPort() = default;
    virtual void setExchangeFeeText(const QString &text) = 0;
};

// The e-mail archive window.
class MailArchivePort
{
public:
    virtual ~MailArchivePort() = default;
    virtual void showMessage(const QString &sender, const QString &recipient, const QString &subject,
                             const QByteArray &message) = 0;
};
