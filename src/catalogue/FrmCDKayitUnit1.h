#pragma once

#include "app/WindowRegistry.h"

#include <QDialog>
#include <QPointer>

class DBComboBox;
class DBEdit;
class DBLookupComboBox;
class DBMemo;
class QPushButton;
class QWidget;

// "CD Definition": one title of the catalogue filled in or changed. The CD
// definitions window has already put the shared CD dataset into insert or
// edit state; this dialog posts on "Save" and cancels on any other way out.
// A new title may have its purchase booked in the cash box with it.
class TFrmCDKayit : public QDialog
{
    Q_OBJECT

public:
    explicit TFrmCDKayit(QWidget *parent = nullptr);
    ~TFrmCDKayit() override;

    static QStringList cdTypes();
    static QStringList dubbings();

    DBEdit *DBEditCDNo, *DBEditBarkod, *DBEditFilmAdi, *DBEditYapimYili, *DBEditFilmSure, *DBEditKutuIcerik,
        *DBEditStok, *DBEditMaliyetFiyat, *DBEditSatisFiyat, *DBEditCDFaturaNo;
    DBComboBox *DBComboBoxCDTur, *DBComboBoxDublaj;
    DBLookupComboBox *DBLookupFilmSirketi, *DBLookupDagiticiFirma, *DBLookupOyuncu, *DBLookupKonuTur,
        *DBLookupYonetmen;
    DBMemo *DBMemoFilmKonu, *DBMemoAciklama;
    QPushButton *btnSave, *btnCancel;

public slots:
    void btnSaveClick();
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *buildPage();
    bool requiredFilled() const;
    bool writeControls();
    bool storeTitle(bool bookPurchase);
    void cancelUnposted();
};

