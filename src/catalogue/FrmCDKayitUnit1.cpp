#include "catalogue/FrmCDKayitUnit1.h"

#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/DataSource.h"
#include "components/Format.h"
#include "components/KeyPreview.h"
#include "db/Money.h"
#include "components/PromptService.h"
#include "db/Database.h"
#include "data/Dm1Unit.h"
#include "data/ShopBook.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>


namespace {

const QString RequiredText =
    QStringLiteral("You can t complete record without entering all essential changes !!!");
const QString PurchaseQuestion =
    QStringLiteral(" New Film/Game entered, do you want game price is transected in cash box? ");

template <class Control>
Control *named(Control *c, const QString &name, const QString &caption)
{
    c->setObjectName(name);
    c->setAccessibleName(caption);
    return c;
}

} // namespace

TFrmCDKayit::TFrmCDKayit(QWidget *parent) : QDialog(parent)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("FrmCDKayit"));
    setWindowTitle(QStringLiteral("CD Definition"));
    setAccessibleName(windowTitle());
    setModal(true);

    DataSource *src = Dm1->CDData;
    auto edit = [&](const QString &name, const QString &caption, const QString &field) {
        auto *e = named(new DBEdit(this), name, caption);
        e->setDataSource(src, field);
        return e;
    };
    auto lookup = [&](const QString &name, const QString &caption, const QString &field, DataSet *list,
                      const QString &nameColumn) {
        auto *l = named(new DBLookupComboBox(this), name, caption);
        // The title keeps the chosen name's text, not a reference.
        l->setListSource(list, nameColumn, nameColumn);
        l->setDataSource(src, field);
        return l;
    };

    DBEditCDNo = edit(QStringLiteral("DBEditCDNo"), QStringLiteral("CD No"), QStringLiteral("CDNo"));
    DBEditCDNo->setFocusPolicy(Qt::ClickFocus); // the number is given by the list window; Tab passes it by
    DBComboBoxCDTur = named(new DBComboBox(this), QStringLiteral("DBComboBoxCDTur"), QStringLiteral("CD Type"));
    DBComboBoxCDTur->addItems(cdTypes());
    DBComboBoxCDTur->setDataSource(src, QStringLiteral("CDTur"));
    DBEditBarkod = edit(QStringLiteral("DBEditBarkod"), QStringLiteral("Barcod"), QStringLiteral("Barkod"));
    DBEditFilmAdi = edit(QStringLiteral("DBEditFilmAdi"), QStringLiteral("Film/Game Name"), QStringLiteral("FilmAdi"));
    DBLookupFilmSirketi = lookup(QStringLiteral("DBLookupFilmSirketi"), QStringLiteral("Film Company"),
                                 QStringLiteral("FilmSirketi"), Dm1->FilmSirket, QStringLiteral("FilmSirket"));
    DBLookupDagiticiFirma = lookup(QStringLiteral("DBLookupDagiticiFirma"), QStringLiteral("Dist. Company"),
                                   QStringLiteral("DagiticiFirma"), Dm1->DagiticiFirma, QStringLiteral("DagiticiFirma"));
    DBLookupOyuncu = lookup(QStringLiteral("DBLookupOyuncu"), QStringLiteral("Leading Role"), QStringLiteral("Oyuncu"),
                            Dm1->Oyuncu, QStringLiteral("OyuncuAdi"));
    DBEditYapimYili = edit(QStringLiteral("DBEditYapimYili"), QStringLiteral("Prod. Year"), QStringLiteral("YapimYili"));
    DBLookupKonuTur = lookup(QStringLiteral("DBLookupKonuTur"), QStringLiteral("Film Theme"), QStringLiteral("KonuTur"),
                             Dm1->FilmTur, QStringLiteral("FilmTur"));
    DBComboBoxDublaj = named(new DBComboBox(this), QStringLiteral("DBComboBoxDublaj"), QStringLiteral("Dubbing"));
    DBComboBoxDublaj->addItems(dubbings());
    DBComboBoxDublaj->setDataSource(src, QStringLiteral("Dublaj"));
    DBEditFilmSure = edit(QStringLiteral("DBEditFilmSure"), QStringLiteral("Time"), QStringLiteral("FilmSure"));
    DBEditKutuIcerik = edit(QStringLiteral("DBEditKutuIcerik"), QStringLiteral("Film CD Number"), QStringLiteral("KutuIcerik"));
    DBEditStok = edit(QStringLiteral("DBEditStok"), QStringLiteral("Stock Amount"), QStringLiteral("Stok"));
    DBLookupYonetmen = lookup(QStringLiteral("DBLookupYonetmen"), QStringLiteral("Director"), QStringLiteral("Yonetmen"),
                              Dm1->Yonetmen, QStringLiteral("Yonetmen"));
    DBMemoFilmKonu = named(new DBMemo(this), QStringLiteral("DBMemoFilmKonu"), QStringLiteral("Theme"));
    DBMemoFilmKonu->setDataSource(src, QStringLiteral("FilmKonu"));
    DBEditMaliyetFiyat = edit(QStringLiteral("DBEditMaliyetFiyat"), QStringLiteral("Cost Price"), QStringLiteral("MaliyetFiyat"));
    DBEditSatisFiyat = edit(QStringLiteral("DBEditSatisFiyat"), QStringLiteral("Selling Price"), QStringLiteral("SatisFiyat"));
    DBEditCDFaturaNo = edit(QStringLiteral("DBEditCDFaturaNo"), QStringLiteral("CD Bill No"), QStringLiteral("CDFaturaNo"));
    DBMemoAciklama = named(new DBMemo(this), QStringLiteral("DBMemoAciklama"), QStringLiteral("Explanation"));
    DBMemoAciklama->setDataSource(src, QStringLiteral("Aciklama"));
    DBMemoFilmKonu->setTabChangesFocus(true);
    DBMemoAciklama->setTabChangesFocus(true);

    QWidget *page = buildPage();
    auto *tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("PageControl1"));
    tabs->addTab(page, QStringLiteral("CD/DVD Definition"));

    btnSave = named(new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), QStringLiteral("Save"), this),
                    QStringLiteral("btnSave"), QStringLiteral("Save"));
    btnCancel = named(new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Cancel"), this),
                      QStringLiteral("btnCancel"), QStringLiteral("Cancel"));
    btnSave->setAutoDefault(false);
    btnCancel->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSave);
    buttons->addWidget(btnCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(buttons);

    setTabOrder(DBComboBoxCDTur, DBEditBarkod);
    connect(btnSave, &QPushButton::clicked, this, &TFrmCDKayit::btnSaveClick);
    connect(btnCancel, &QPushButton::clicked, this, &TFrmCDKayit::reject);
    DBEditBarkod->installEventFilter(this);
    DBComboBoxCDTur->installEventFilter(this);
    DBComboBoxCDTur->setFocus();
}

// The definition page: each control beside its caption.
QWidget *TFrmCDKayit::buildPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    auto *g = new QGridLayout(page);
    auto label = [&](const QString &text, QWidget *buddy, int row, int col) {
        auto *l = new QLabel(text, page);
        l->setBuddy(buddy);
        g->addWidget(l, row, col);
    };
    label(QStringLiteral("CD No"), DBEditCDNo, 0, 0);
    g->addWidget(DBEditCDNo, 0, 1);
    label(QStringLiteral("CD Type"), DBComboBoxCDTur, 0, 2);
    g->addWidget(DBComboBoxCDTur, 0, 3);
    label(QStringLiteral("Barcod"), DBEditBarkod, 1, 0);
    g->addWidget(DBEditBarkod, 1, 1, 1, 3);
    label(QStringLiteral("Film/Game Name"), DBEditFilmAdi, 2, 0);
    g->addWidget(DBEditFilmAdi, 2, 1, 1, 3);
    label(QStringLiteral("Film Company"), DBLookupFilmSirketi, 3, 0);
    g->addWidget(DBLookupFilmSirketi, 3, 1);
    label(QStringLiteral("Dist. Company"), DBLookupDagiticiFirma, 3, 2);
    g->addWidget(DBLookupDagiticiFirma, 3, 3);
    label(QStringLiteral("Leading Role"), DBLookupOyuncu, 4, 0);
    g->addWidget(DBLookupOyuncu, 4, 1);
    label(QStringLiteral("Prod. Year"), DBEditYapimYili, 4, 2);
    g->addWidget(DBEditYapimYili, 4, 3);
    label(QStringLiteral("Film Theme"), DBLookupKonuTur, 5, 0);
    g->addWidget(DBLookupKonuTur, 5, 1);
    label(QStringLiteral("Dubbing"), DBComboBoxDublaj, 5, 2);
    g->addWidget(DBComboBoxDublaj, 5, 3);
    label(QStringLiteral("Time"), DBEditFilmSure, 6, 0);
    auto *timeRow = new QHBoxLayout;
    timeRow->addWidget(DBEditFilmSure);
    timeRow->addWidget(new QLabel(QStringLiteral("Min."), page));
    g->addLayout(timeRow, 6, 1);
    label(QStringLiteral("Film CD Number"), DBEditKutuIcerik, 6, 2);
    g->addWidget(DBEditKutuIcerik, 6, 3);
    label(QStringLiteral("Stock Amount"), DBEditStok, 7, 0);
    g->addWidget(DBEditStok, 7, 1);
    label(QStringLiteral("Director"), DBLookupYonetmen, 7, 2);
    g->addWidget(DBLookupYonetmen, 7, 3);
    label(QStringLiteral("Theme"), DBMemoFilmKonu, 8, 0);
    g->addWidget(DBMemoFilmKonu, 8, 1, 1, 3);
    label(QStringLiteral("Cost Price"), DBEditMaliyetFiyat, 9, 0);
    g->addWidget(DBEditMaliyetFiyat, 9, 1);
    label(QStringLiteral("Selling Price"), DBEditSatisFiyat, 9, 2);
    g->addWidget(DBEditSatisFiyat, 9, 3);
    label(QStringLiteral("CD Bill No"), DBEditCDFaturaNo, 10, 0);
    g->addWidget(DBEditCDFaturaNo, 10, 1);
    label(QStringLiteral("Explanation"), DBMemoAciklama, 11, 0);
    g->addWidget(DBMemoAciklama, 11, 1, 1, 3);
    DBMemoFilmKonu->setFixedHeight(60);
    DBMemoAciklama->setFixedHeight(60);
    return page;
}

TFrmCDKayit::~TFrmCDKayit()
{
    cancelUnposted();
}

QStringList TFrmCDKayit::cdTypes()
{
    return {QStringLiteral("VCD"),      QStringLiteral("DVD"),      QStringLiteral("PC Game"), QStringLiteral("PS1 Game"),
            QStringLiteral("PS2 Game"), QStringLiteral("PS3 Game"), QStringLiteral("DivX")};
}

QStringList TFrmCDKayit::dubbings()
{
    return {QStringLiteral("English"), QStringLiteral("French"), QStringLiteral("German"), QStringLiteral("Spanish")};
}

bool TFrmCDKayit::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        // A scanner types the barcode and Enter: the clerk goes on with the name.
        if (watched == DBEditBarkod && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            DBEditFilmAdi->setFocus();
            return true;
        }
        if (watched == DBComboBoxCDTur && key->key() == Qt::Key_Space) {
            DBComboBoxCDTur->showPopup();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TFrmCDKayit::requiredFilled() const
{
    const QStringList texts = {DBComboBoxCDTur->currentText(), DBEditCDNo->text(), DBEditFilmAdi->text(),
                               DBEditStok->text(), DBEditKutuIcerik->text(), DBEditSatisFiyat->text()};
    for (const QString &t : texts) {
        if (t.trimmed().isEmpty())
            return false;
    }
    return true;
}

bool TFrmCDKayit::writeControls()
{
    // Everything typed goes into the row before anything is asked or stored,
    // so a number typed wrong is told at once and nothing is half-saved.
    const QList<FieldLink *> links = {
        &DBEditCDNo->link(),        &DBComboBoxCDTur->link(),     &DBEditBarkod->link(),
        &DBEditFilmAdi->link(),     &DBLookupFilmSirketi->link(), &DBLookupDagiticiFirma->link(),
        &DBLookupOyuncu->link(),    &DBEditYapimYili->link(),     &DBLookupKonuTur->link(),
        &DBComboBoxDublaj->link(),  &DBEditFilmSure->link(),      &DBEditKutuIcerik->link(),
        &DBEditStok->link(),        &DBLookupYonetmen->link(),    &DBMemoFilmKonu->link(),
        &DBEditMaliyetFiyat->link(), &DBEditSatisFiyat->link(),   &DBEditCDFaturaNo->link(),
        &DBMemoAciklama->link()};
    for (FieldLink *link : links) {
        if (!link->flush()) {
            Prompt::error(Dm1->CD->lastError());
            return false;
        }
    }
    return true;
}

void TFrmCDKayit::btnSaveClick()
{
    DataSet *cd = Dm1->CD;
    if (cd->state() != DataSet::State::Insert && cd->state() != DataSet::State::Edit) {
        accept();
        return;
    }
    if (!requiredFilled()) {
        Prompt::warning(RequiredText);
        return;
    }
    if (!writeControls())
        return;
    // Changing a title never touches the cash box.
    const bool book = cd->state() == DataSet::State::Insert && Prompt::confirm(PurchaseQuestion);
    if (!storeTitle(book))
        return; // the error is shown; the row is still being entered
    accept();
}

bool TFrmCDKayit::storeTitle(bool bookPurchase)
{
    // The title and its purchase are stored together or not at all; after a
    // refusal the form still holds what was typed.
    DataSet *cd = Dm1->CD;
    const auto text = [cd](const char *field) { return cd->value(QString::fromLatin1(field)).toString(); };
    const auto whole = [cd](const char *field) -> std::optional<int> {
        const QVariant v = cd->value(QString::fromLatin1(field));
        return v.isNull() ? std::nullopt : std::optional<int>(v.toInt());
    };
    const auto money = [cd](const char *field) -> std::optional<Money> {
        const QVariant v = cd->value(QString::fromLatin1(field));
        return v.isNull() ? std::nullopt : std::optional<Money>(Money::fromVariant(v));
    };
    ShopBook::TitleRequest request;
    if (cd->state() == DataSet::State::Edit)
        request.id = cd->value(QStringLiteral("ID")).toInt();
    request.cdNo = cd->value(QStringLiteral("CDNo")).toInt();
    request.discType = text("CDTur");
    request.barcode = text("Barkod");
    request.filmName = text("FilmAdi");
    request.filmCompany = text("FilmSirketi");
    request.distributor = text("DagiticiFirma");
    request.actor = text("Oyuncu");
    request.filmType = text("KonuTur");
    request.dubbing = text("Dublaj");
    request.director = text("Yonetmen");
    request.plot = text("FilmKonu");
    request.invoiceNo = text("CDFaturaNo");
    request.note = text("Aciklama");
    request.year = whole("YapimYili");
    request.minutes = whole("FilmSure");
    request.discCount = whole("KutuIcerik");
    request.stock = whole("Stok");
    request.costPrice = money("MaliyetFiyat");
    request.salePrice = money("SatisFiyat");
    request.bookPurchase = bookPurchase;
    const ShopResult stored = ShopBook().saveTitle(request);
    if (!stored.ok()) {
        Prompt::error(stored.message);
        return false;
    }
    // The list is read again and shows the title as stored.
    cd->cancel();
    if (!cd->requery())
        Prompt::error(cd->lastError());
    else
        cd->locate(QStringLiteral("ID"), stored.id);
    return true;
}

void TFrmCDKayit::cancelUnposted()
{
    if (Dm1 && (Dm1->CD->state() == DataSet::State::Insert || Dm1->CD->state() == DataSet::State::Edit))
        Dm1->CD->cancel();
}

void TFrmCDKayit::reject()
{
    cancelUnposted();
    QDialog::reject();
}

void TFrmCDKayit::closeEvent(QCloseEvent *event)
{
    cancelUnposted();
    QDialog::closeEvent(event);
}
