#include "rental/DlgBarkodOkuUnit.h"

#include "components/DataSet.h"
#include "components/KeyPreview.h"
#include "components/PromptService.h"
#include "components/WindowKit.h"
#include "data/Dm1Unit.h"
#include "rental/FrmCDIadeUnit.h"
#include "rental/FrmCDKiraUnit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

const QString TDlgBarkodOku::NotFoundText =
    QStringLiteral(" Any product entry isn t found concerning barcode entering !!!");
const QString TDlgBarkodOku::SeveralRentalsText = QStringLiteral(
    "This film have been rented more than one, please click return button choosing true customer from list !!!");

TDlgBarkodOku::TDlgBarkodOku(QWidget *parent) : QDialog(parent)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("DlgBarkodOku"));
    setWindowTitle(QStringLiteral("Barcode"));
    setAccessibleName(windowTitle());
    setWindowIcon(Kit::picture(QStringLiteral("check")));

    auto *pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("PageControl1"));
    auto *page = new QWidget(pages);
    page->setObjectName(QStringLiteral("TabSheet1"));
    pages->addTab(page, QStringLiteral("Barcode entry"));

    auto *heading = new QLabel(QStringLiteral("Please, read the barcode on product box."), page);
    heading->setObjectName(QStringLiteral("Label1"));
    QFont f = heading->font();
    f.setBold(true);
    heading->setFont(f);
    Edit1 = new QLineEdit(page);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Barcode"));
    Edit1->setMinimumWidth(300);
    QFont big = Edit1->font();
    big.setPointSize(big.pointSize() + 4);
    Edit1->setFont(big);
    heading->setBuddy(Edit1);
    auto *pl = new QVBoxLayout(page);
    pl->addWidget(heading);
    pl->addWidget(Edit1);
    pl->addStretch();

    BitBtn1 = new QPushButton(Kit::picture(QStringLiteral("exit")), QStringLiteral("Close"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setAccessibleName(QStringLiteral("Close"));
    // Enter belongs to the entry line: it must never press "Close".
    BitBtn1->setAutoDefault(false);
    BitBtn1->setDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addLayout(buttons);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
    m_keys = new KeyPreview(this, [this](QKeyEvent *e) { return keyPressed(e); });
    Edit1->setFocus();
}

TDlgBarkodOku::~TDlgBarkodOku() = default;

bool TDlgBarkodOku::keyPressed(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    if (focusWidget() == Edit1)
        Edit1KeyDown();
    // Enter is used up here either way: a scanner's Enter never reaches a button.
    return true;
}

void TDlgBarkodOku::Edit1KeyDown()
{
    // A scanner that ends its code with CR and LF sends two Enters: only the
    // first one looks up.
    if (m_done)
        return;
    m_done = true;
    switch (Mode) {
    case TitleForRent:
        findTitle(Edit1->text().trimmed());
        break;
    case RentalToReturn:
        findRental(Edit1->text());
        break;
    default:
        break;
    }
    accept();
}

void TDlgBarkodOku::findRental(const QString &typed)
{
    DataSet *list = Dm1->CDKontrol;
    // Only a disc the check window lists now is looked for.
    if (!list->isOpen() || !list->locate(QStringLiteral("Barkod"), typed.trimmed()))
        return;
    if (!Dm1->showOpenRentalsOfBarcode(typed)) {
        Prompt::error(list->lastError());
        return;
    }
    if (list->recordCount() != 1) {
        // The check window lists these rentals; the clerk picks the customer there.
        Prompt::information(SeveralRentalsText);
        return;
    }
    // The dialog is out of the way before the return window shows.
    hide();
    LoadReturnPhoto(parentWidget(), list->value(QStringLiteral("Resim")).toByteArray());
    OpenReturnWindow(parentWidget(), list->value(QStringLiteral("ID")), list->value(QStringLiteral("AdSoyad")).toString(),
                     list->value(QStringLiteral("FilmAdi")).toString());
}

void TDlgBarkodOku::findTitle(const QString &code)
{
    DataSet *cd = Dm1->CD;
    DataSet *h = Dm1->Hareket;
    const bool entering = h->state() == DataSet::State::Insert || h->state() == DataSet::State::Edit;
    // The whole barcode, among the titles the film list shows now.
    if (code.isEmpty() || !entering || !cd->isOpen() || !cd->locate(QStringLiteral("Barkod"), code)) {
        Prompt::warning(NotFoundText);
        return;
    }
    h->setValue(QStringLiteral("CdNo"), cd->value(QStringLiteral("ID")));
    h->setValue(QStringLiteral("FilmTuru"), cd->value(QStringLiteral("CDTur")));
    h->setValue(QStringLiteral("Barkod"), cd->value(QStringLiteral("Barkod")));
    ShowTitleChosenForRent();
}

int OpenBarcodeDialog(QWidget *parent, int mode)
{
    if (!DlgBarkodOku)
        DlgBarkodOku = new TDlgBarkodOku(parent);
    DlgBarkodOku->Mode = mode;
    return showModalWindow(DlgBarkodOku, [parent] { return new TDlgBarkodOku(parent); });
}
