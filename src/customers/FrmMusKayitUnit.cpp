#include "customers/FrmMusKayitUnit.h"

#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/DataSource.h"
#include "components/PromptService.h"
#include "customers/DlgKameraUnit.h"
#include "customers/FrmMusteriUnit.h"
#include "customers/PhotoView.h"
#include "db/Database.h"
#include "data/Dm1Unit.h"
#include "data/ShopBook.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString NameMissingText = QStringLiteral("You can t complete record without entering all essential changes !!!");
const QString NotJpegText = QStringLiteral("Chosen photograph must be JPEG file !!!");
const QString TooLargeText = QStringLiteral("Chosen image file  size musn t exceed 40 KB !!!");
const QString DepositQuestion = QStringLiteral(" Do you want entered deposit to be transected in cash box ?");
const QString SaveFailedText = QStringLiteral(
    "Error : you may register with the same name previously, please check and try again. !!! ");

// The membership date and deposit while there is no membership to date.
const QColor DisabledBeige(245, 240, 220);

QPushButton *pictureButton(QWidget *parent, const char *name, const QString &caption, QStyle::StandardPixmap icon)
{
    auto *b = new QPushButton(parent->style()->standardIcon(icon), caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAccessibleName(caption);
    b->setAutoDefault(false);
    return b;
}

template <class W>
W *bound(QWidget *parent, const char *name, const QString &caption, const QString &field)
{
    auto *w = new W(parent);
    w->setObjectName(QLatin1String(name));
    w->setAccessibleName(caption);
    w->setDataSource(Dm1->MusteriData, field);
    return w;
}

} // namespace

TFrmMusKayit::TFrmMusKayit(QWidget *parent) : QDialog(parent)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("FrmMusKayit"));
    setWindowTitle(QStringLiteral("Customer definitions"));
    setAccessibleName(windowTitle());
    setModal(true);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));

    // --- "Customer information"
    auto *info = new QWidget;
    info->setObjectName(QStringLiteral("TabSheet1"));
    DBEdit1 = bound<DBEdit>(info, "DBEdit1", QStringLiteral("Customer ID"), QStringLiteral("MusteriNo"));
    DBEdit1->setFocusPolicy(Qt::ClickFocus); // the number is given, Tab passes it by
    DBEdit2 = bound<DBEdit>(info, "DBEdit2", QStringLiteral("Customer Name"), QStringLiteral("AdSoyad"));
    DBEdit3 = bound<DBEdit>(info, "DBEdit3", QStringLiteral("GSM Phone"), QStringLiteral("CepTelefon"));
    DBEdit4 = bound<DBEdit>(info, "DBEdit4", QStringLiteral("Office Phone"), QStringLiteral("IsTelefon"));
    DBEdit5 = bound<DBEdit>(info, "DBEdit5", QStringLiteral("Home Phone"), QStringLiteral("EvTelefon"));
    DBEdit6 = bound<DBEdit>(info, "DBEdit6", QStringLiteral("E-Mail"), QStringLiteral("EMail"));
    DBMemo1 = bound<DBMemo>(info, "DBMemo1", QStringLiteral("Address"), QStringLiteral("Adres"));
    DBMemo1->setFixedHeight(54);
    DBMemo1->setTabChangesFocus(true);
    DBCheckBox1 = new DBCheckBox(QStringLiteral("Membership condition"), info);
    DBCheckBox1->setObjectName(QStringLiteral("DBCheckBox1"));
    DBCheckBox1->setAccessibleName(QStringLiteral("Membership condition"));
    DBCheckBox1->setStoredValues(1, 0);
    DBCheckBox1->setDataSource(Dm1->MusteriData, QStringLiteral("UyelikDurum"));
    DBDateEdit1 = bound<DBDateEdit>(info, "DBDateEdit1", QStringLiteral("Beginninig date of membership"),
                                    QStringLiteral("UyelikBasTarih"));
    DBEdit7 = bound<DBEdit>(info, "DBEdit7", QStringLiteral("Received membership deposit"), QStringLiteral("Depozito"));
    DBMemo2 = bound<DBMemo>(info, "DBMemo2", QStringLiteral("Explanation"), QStringLiteral("Aciklama"));
    DBMemo2->setFixedHeight(54);

    auto *form = new QFormLayout(info);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const auto row = [form, info](const QString &caption, QWidget *w) {
        auto *label = new QLabel(caption, info);
        label->setBuddy(w);
        form->addRow(label, w);
    };
    row(QStringLiteral("Customer ID"), DBEdit1);
    row(QStringLiteral("Customer Name"), DBEdit2);
    row(QStringLiteral("GSM Phone"), DBEdit3);
    row(QStringLiteral("Office Phone"), DBEdit4);
    row(QStringLiteral("Home Phone"), DBEdit5);
    row(QStringLiteral("E-Mail"), DBEdit6);
    row(QStringLiteral("Address"), DBMemo1);
    form->addRow(QString(), DBCheckBox1);
    row(QStringLiteral("Beginninig date of membership"), DBDateEdit1);
    row(QStringLiteral("Received membership deposit"), DBEdit7);
    row(QStringLiteral("Explanation"), DBMemo2);
    PageControl1->addTab(info, QStringLiteral("Customer information"));

    // --- "Customer Photo"
    auto *photoPage = new QWidget;
    photoPage->setObjectName(QStringLiteral("TabSheet2"));
    auto *black = new QFrame(photoPage);
    black->setObjectName(QStringLiteral("Panel1"));
    black->setAutoFillBackground(true);
    QPalette bp = black->palette();
    bp.setColor(QPalette::Window, Qt::black);
    black->setPalette(bp);
    Image1 = new PhotoView(black);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAccessibleName(QStringLiteral("Customer Photo"));
    auto *blackLayout = new QVBoxLayout(black);
    blackLayout->addWidget(Image1);
    BtnTakePhoto = pictureButton(photoPage, "BtnTakePhoto", QStringLiteral("Take a photo"), QStyle::SP_DesktopIcon);
    BtnErasePhoto = pictureButton(photoPage, "BtnErasePhoto", QStringLiteral("Erase photo"), QStyle::SP_TrashIcon);
    BtnChooseFile = pictureButton(photoPage, "BtnChooseFile", QStringLiteral("Choose photo file"), QStyle::SP_DirOpenIcon);
    auto *photoButtons = new QVBoxLayout;
    photoButtons->addWidget(BtnTakePhoto);
    photoButtons->addWidget(BtnErasePhoto);
    photoButtons->addWidget(BtnChooseFile);
    photoButtons->addStretch();
    auto *photoLayout = new QHBoxLayout(photoPage);
    photoLayout->addWidget(black, 1);
    photoLayout->addLayout(photoButtons);
    PageControl1->addTab(photoPage, QStringLiteral("Customer Photo"));

    BtnCancel = pictureButton(this, "BtnCancel", QStringLiteral("Cancel"), QStyle::SP_DialogCancelButton);
    BtnSave = pictureButton(this, "BtnSave", QStringLiteral("Save"), QStyle::SP_DialogSaveButton);
    BtnSave->setDefault(true); // Enter saves
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnCancel);
    buttons->addWidget(BtnSave);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);
    resize(470, 430);

    connect(DBCheckBox1, &QCheckBox::toggled, this, &TFrmMusKayit::DBCheckBox1Change);
    // After the controls' own refresh, which enables them by the dataset's state.
    connect(Dm1->MusteriData, &DataSource::dataChanged, this, &TFrmMusKayit::DBCheckBox1Change);
    connect(Dm1->MusteriData, &DataSource::stateChanged, this, &TFrmMusKayit::DBCheckBox1Change);
    connect(BtnChooseFile, &QPushButton::clicked, this, &TFrmMusKayit::BtnChooseFileClick);
    connect(BtnErasePhoto, &QPushButton::clicked, this, &TFrmMusKayit::BtnErasePhotoClick);
    connect(BtnTakePhoto, &QPushButton::clicked, this, &TFrmMusKayit::BtnTakePhotoClick);
    connect(BtnSave, &QPushButton::clicked, this, &TFrmMusKayit::BtnSaveClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);

    Dm1->registerRegistrationWindow(this, this);
    DBCheckBox1Change();
}

TFrmMusKayit::~TFrmMusKayit() = default;

void TFrmMusKayit::showPhoto(const QImage &picture)
{
    Image1->setPicture(picture);
    m_newPhoto.clear();
}

void TFrmMusKayit::clearPhoto()
{
    Image1->clearPicture();
    m_newPhoto.clear();
}

void TFrmMusKayit::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TFrmMusKayit::FormShow()
{
    m_depositAtShow = Money::fromVariant(Dm1->Musteri->value(QStringLiteral("Depozito")));
    DBEdit2->setFocus();
}

void TFrmMusKayit::DBCheckBox1Change()
{
    const DataSet::State st = Dm1->Musteri->state();
    const bool on = DBCheckBox1->isChecked() && (st == DataSet::State::Edit || st == DataSet::State::Insert);
    for (QWidget *w : {static_cast<QWidget *>(DBDateEdit1), static_cast<QWidget *>(DBEdit7)}) {
        w->setEnabled(on);
        QPalette p = w->palette();
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            p.setColor(group, QPalette::Base, on ? DataAwareColors::editable() : DisabledBeige);
        w->setPalette(p);
    }
    // The note is written elsewhere; here it is only shown.
    DBMemo2->setEnabled(false);
    DataAwareColors::apply(DBMemo2, false);
}

void TFrmMusKayit::BtnChooseFileClick()
{
    QFileDialog dialog(this, QStringLiteral("Open"));
    dialog.setObjectName(QStringLiteral("OpenPictureDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("JPEG Image File (*.jpg *.jpeg *.JPG *.JPEG)"), QStringLiteral("All (*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    if (path.isEmpty())
        return;

    // A file that cannot even be opened is no picture we can vouch for.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Prompt::error(NotJpegText);
        return;
    }
    const qint64 size = file.size();
    const QString suffix = u'.' + QFileInfo(path).suffix().toUpper();
    if (suffix != QLatin1String(".JPG") && suffix != QLatin1String(".JPEG")) {
        Prompt::error(NotJpegText);
        return;
    }
    if (size > MaxPhotoFileSize) {
        Prompt::error(TooLargeText);
        return;
    }
    const QByteArray bytes = file.readAll();
    const QImage picture = QImage::fromData(bytes, "JPEG");
    if (picture.isNull()) {
        // Named .jpg but not a JPEG inside: storing it would give a
        // photograph no window can show.
        Prompt::error(NotJpegText);
        return;
    }
    Image1->setPicture(picture);
    m_newPhoto = bytes; // stored on save
}

void TFrmMusKayit::BtnErasePhotoClick()
{
    if (!Image1->hasPicture())
        return;
    Image1->clearPicture();
    m_newPhoto.clear();
    const DataSet::State st = Dm1->Musteri->state();
    if (st == DataSet::State::Edit || st == DataSet::State::Insert)
        Dm1->Musteri->setValue(QStringLiteral("Resim"), QVariant());
}

void TFrmMusKayit::BtnTakePhotoClick()
{
    if (!DlgKamera)
        DlgKamera = new TDlgKamera(this);
    QPointer<TDlgKamera> camera = DlgKamera;
    const int result = camera->exec();
    if (camera && result == QDialog::Accepted && !camera->jpegBytes().isEmpty()) {
        Image1->setPicture(camera->picture());
        m_newPhoto = camera->jpegBytes();
    }
    delete camera.data();
}

void TFrmMusKayit::BtnSaveClick()
{
    DataSet *m = Dm1->Musteri;
    if (m->state() != DataSet::State::Edit && m->state() != DataSet::State::Insert) {
        accept();
        return;
    }
    // What the clerk typed goes into the row first, so the checks see it.
    for (DBEdit *e : findChildren<DBEdit *>())
        e->link().flush();
    if (m->value(QStringLiteral("AdSoyad")).toString().trimmed().isEmpty()) {
        Prompt::error(NameMissingText);
        return;
    }
    if (Image1->hasPicture() && !m_newPhoto.isEmpty())
        m->setValue(QStringLiteral("Resim"), m_newPhoto);

    // The question comes before anything is written: the clerk's answer must
    // not keep the database locked against the other counters.
    const Money deposit = Money::fromVariant(m->value(QStringLiteral("Depozito")));
    const bool book = deposit != m_depositAtShow && deposit > Money() && Prompt::confirm(DepositQuestion);

    QString error;
    if (!saveRow(book, &error)) {
        // Nothing was stored; the dialog stays with everything typed and
        // the photo, so the clerk can correct and save again.
        Prompt::error(SaveFailedText + QStringLiteral("\n\n") + error);
        return;
    }
    accept();
}

bool TFrmMusKayit::saveRow(bool bookDeposit, QString *error)
{
    // The customer and the deposit booked for it are stored together or not at all.
    DataSet *m = Dm1->Musteri;
    // The controls that are not line edits hand over what they hold, too.
    for (FieldLink *link : {&DBMemo1->link(), &DBCheckBox1->link(), &DBDateEdit1->link()})
        link->flush();
    const auto text = [m](const char *field) { return m->value(QString::fromLatin1(field)).toString(); };
    ShopBook::CustomerRequest request;
    if (m->state() == DataSet::State::Edit)
        request.id = m->value(QStringLiteral("ID")).toInt();
    request.musteriNo = m->value(QStringLiteral("MusteriNo")).toInt();
    request.name = text("AdSoyad");
    request.gsmPhone = text("CepTelefon");
    request.officePhone = text("IsTelefon");
    request.homePhone = text("EvTelefon");
    request.email = text("EMail");
    request.address = text("Adres");
    if (const QVariant v = m->value(QStringLiteral("UyelikDurum")); !v.isNull())
        request.membership = v.toInt();
    request.memberSince = m->value(QStringLiteral("UyelikBasTarih")).toDateTime().date();
    if (const QVariant v = m->value(QStringLiteral("Depozito")); !v.isNull())
        request.deposit = Money::fromVariant(v);
    request.photo = m->value(QStringLiteral("Resim")).toByteArray();
    request.bookDeposit = bookDeposit;
    const ShopResult stored = ShopBook().saveCustomer(request);
    if (!stored.ok()) {
        *error = stored.message;
        return false;
    }
    // The list is read again and shows the customer as stored.
    m->cancel();
    if (!m->requery())
        Prompt::error(m->lastError());
    else
        m->locate(QStringLiteral("ID"), stored.id);
    return true;
}

void TFrmMusKayit::done(int result)
{
    // Every way out but a successful save drops what is not posted.
    DataSet *m = Dm1 ? Dm1->Musteri : nullptr;
    if (m && (m->state() == DataSet::State::Edit || m->state() == DataSet::State::Insert))
        m->cancel();
    QDialog::done(result);
}
