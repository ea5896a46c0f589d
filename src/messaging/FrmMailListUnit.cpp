#include "messaging/FrmMailListUnit.h"

#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/GridColumns.h"
#include "components/KeyPreview.h"
#include "components/PromptService.h"
#include "components/WindowKit.h"
#include "data/Dm2Unit.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TFrmMailList::TFrmMailList(QWidget *parent) : QDialog(parent)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("FrmMailList"));
    setWindowTitle(QStringLiteral("E-Mail receiver list"));
    setAccessibleName(windowTitle());
    setModal(true);

    DataSet *customers = Dm2->MusteriListe;
    if (!customers->isOpen() && !customers->open())
        Prompt::error(customers->lastError());

    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Customers"));
    setGridColumns(DBGrid1, Dm2->MusteriListeData, {QStringLiteral("AdSoyad"), QStringLiteral("EMail")},
                   {QStringLiteral("Customer Name"), QStringLiteral("E-Mail")}, {180, 240});
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);

    auto *searchCaption = new QLabel(QStringLiteral("Write customer's name you want to search."), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(searchCaption->text());
    searchCaption->setBuddy(Edit1);

    auto *left = new QVBoxLayout;
    left->addWidget(DBGrid1, 1);
    left->addWidget(searchCaption);
    left->addWidget(Edit1);

    // --- the four picture buttons between the lists
    const auto button = [this](const char *name, const QString &caption, const char *picture) {
        QToolButton *b = Kit::toolButton(this, QLatin1String(name), caption, QLatin1String(picture),
                                         Kit::Caption::Beside, caption);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        return b;
    };
    btnAdd = button("btnAdd", QStringLiteral("Add"), "forward");
    btnDelete = button("btnDelete", QStringLiteral("Delete"), "back");
    btnAddAll = button("btnAddAll", QStringLiteral("Add All Customers to List"), "end");
    btnDeleteAll = button("btnDeleteAll", QStringLiteral("Delete All"), "delete");
    auto *middle = new QVBoxLayout;
    middle->addStretch();
    for (QToolButton *b : {btnAdd, btnDelete, btnAddAll, btnDeleteAll})
        middle->addWidget(b);
    middle->addStretch();

    auto *listCaption = new QLabel(QStringLiteral("Customer List"), this);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setAccessibleName(QStringLiteral("Customer List"));
    listCaption->setBuddy(ListBox1);
    auto *right = new QVBoxLayout;
    right->addWidget(listCaption);
    right->addWidget(ListBox1, 1);

    const Kit::Band page = Kit::band(this, QStringLiteral("E-Mail receiver list"), QColor(0, 64, 128), Qt::white);
    auto *lists = new QHBoxLayout;
    lists->addLayout(left, 3);
    lists->addLayout(middle, 0);
    lists->addLayout(right, 2);

    auto *buttons = new QDialogButtonBox(this);
    btnOk = buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    for (QToolButton *b : {btnAdd, btnDelete, btnAddAll, btnDeleteAll})
        b->setFocusPolicy(Qt::StrongFocus);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->addWidget(page.frame);
    auto *body = new QVBoxLayout;
    body->setContentsMargins(8, 4, 8, 0);
    body->addLayout(lists, 1);
    body->addWidget(buttons);
    layout->addLayout(body, 1);
    resize(900, 480);

    connect(Edit1, &QLineEdit::textChanged, this, &TFrmMailList::Edit1Change);
    connect(btnAdd, &QToolButton::clicked, this, &TFrmMailList::btnAddClick);
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, &TFrmMailList::btnAddClick);
    connect(btnDelete, &QToolButton::clicked, this, &TFrmMailList::btnDeleteClick);
    connect(btnAddAll, &QToolButton::clicked, this, &TFrmMailList::btnAddAllClick);
    connect(btnDeleteAll, &QToolButton::clicked, this, &TFrmMailList::btnDeleteAllClick);
    connect(btnOk, &QPushButton::clicked, this, &TFrmMailList::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TFrmMailList::reject);
    m_keys = new KeyPreview(this);
}

TFrmMailList::~TFrmMailList()
{
    Dm2->MusteriListe->close();
}

void TFrmMailList::Edit1Change()
{
    // Found as typed: the name begins with the text, letter case aside.
    const QString text = Edit1->text();
    if (text.trimmed().isEmpty() || !Dm2->MusteriListe->isOpen())
        return;
    Dm2->MusteriListe->locate(QStringLiteral("AdSoyad"), text, DataSet::CaseInsensitive | DataSet::PartialKey);
}

void TFrmMailList::btnAddClick()
{
    DataSet *customers = Dm2->MusteriListe;
    if (!customers->isOpen() || customers->isEmpty())
        return;
    const QString address = customers->value(QStringLiteral("EMail")).toString();
    if (address.trimmed().isEmpty())
        return;
    for (int i = 0; i < ListBox1->count(); ++i)
        if (ListBox1->item(i)->text().compare(address, Qt::CaseInsensitive) == 0)
            return;
    ListBox1->addItem(address);
}

void TFrmMailList::btnDeleteClick()
{
    if (QListWidgetItem *item = ListBox1->currentItem(); item && item->isSelected())
        delete item;
}

void TFrmMailList::btnAddAllClick()
{
    // Every address of the register as stored: two customers who share one
    // are listed twice.
    ListBox1->clear();
    DataSet *customers = Dm2->MusteriListe;
    if (!customers->isOpen())
        return;
    customers->fetchAll();
    const int field = customers->fieldIndex(QStringLiteral("EMail"));
    QStringList addresses;
    for (int row = 0; row < customers->fetchedCount(); ++row) {
        const QString address = customers->valueAt(row, field).toString();
        if (!address.trimmed().isEmpty())
            addresses << address;
    }
    ListBox1->addItems(addresses);
}

void TFrmMailList::btnDeleteAllClick()
{
    ListBox1->clear();
}

QString TFrmMailList::joinedList() const
{
    QStringList addresses;
    for (int i = 0; i < ListBox1->count(); ++i)
        addresses << ListBox1->item(i)->text();
    return addresses.join(QStringLiteral(", "));
}

void TFrmMailList::btnOkClick()
{
    emit listChosen(joinedList());
    accept();
}
