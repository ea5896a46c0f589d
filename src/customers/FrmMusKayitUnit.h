#pragma once

#include "app/WindowRegistry.h"

#include "db/Money.h"
#include "data/WindowPorts.h"

#include <QByteArray>
#include <QDialog>
#include <QPointer>

class DBCheckBox;
class DBDateEdit;
class DBEdit;
class DBMemo;
class PhotoView;
class QPushButton;
class QTabWidget;

// "Customer definitions": fills in or changes the current row of Musteri,
// which the customer window has put into insert or edit state, with the
// membership, the deposit and the photograph. Save posts the row (and books a
// changed deposit into the cash box); any other way out cancels it.
class TFrmMusKayit : public QDialog, public CustomerPhotoPort
{
    Q_OBJECT

public:
    explicit TFrmMusKayit(QWidget *parent = nullptr);
    ~TFrmMusKayit() override;

    QTabWidget *PageControl1;
    DBEdit *DBEdit1;        // "Customer ID"
    DBEdit *DBEdit2;        // "Customer Name"
    DBEdit *DBEdit3;        // "GSM Phone"
    DBEdit *DBEdit4;        // "Office Phone"
    DBEdit *DBEdit5;        // "Home Phone"
    DBEdit *DBEdit6;        // "E-Mail"
    DBMemo *DBMemo1;        // "Address"
    DBCheckBox *DBCheckBox1; // "Membership condition"
    DBDateEdit *DBDateEdit1; // "Beginninig date of membership"
    DBEdit *DBEdit7;        // "Received membership deposit"
    DBMemo *DBMemo2;        // "Explanation", shown only
    PhotoView *Image1;
    QPushButton *BtnTakePhoto;   // "Take a photo"
    QPushButton *BtnErasePhoto;  // "Erase photo"
    QPushButton *BtnChooseFile;  // "Choose photo file"
    QPushButton *BtnCancel;      // "Cancel"
    QPushButton *BtnSave;        // "Save"

    // The photo area, as the data module fills it.
    void showPhoto(const QImage &picture) override;
    void clearPhoto() override;

    void FormShow();
    void DBCheckBox1Change();
    void BtnChooseFileClick();
    void BtnErasePhotoClick();
    void BtnTakePhotoClick();
    void BtnSaveClick();

    // The largest photograph file taken, in bytes.
    static constexpr qint64 MaxPhotoFileSize = 40960;

protected:
    void showEvent(QShowEvent *event) override;

public slots:
    void done(int result) override;

private:
    bool saveRow(bool bookDeposit, QString *error);
    Money m_depositAtShow;
    // The JPEG chosen from a file or taken by the camera in this dialog, not
    // yet stored; empty while the picture shown is the stored one.
    QByteArray m_newPhoto;
    bool m_shown = false;
};

