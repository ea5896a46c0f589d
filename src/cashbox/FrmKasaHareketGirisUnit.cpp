#include "cashbox/FrmKasaHareketGirisUnit.h"

#include "cashbox/FrmKasaHareketUnit.h"
#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/DataSource.h"
#include "components/KeyPreview.h"
#include "components/PromptService.h"
#include "components/WindowKit.h"
#include "data/Dm1Unit.h"
#include "data/ShopBook.h"
#include "app/Helpers.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString ExplanationMissingText =
    QStringLiteral("You can t complete recording process without filling explanation.");
const QString DateMissingText =
    QStringLiteral("You can t complete recording process without filling \"Transaction date\".");

// Up to twelve digits before the decimal comma (thousands may be marked with
// dots) and two after.
QValidator *amountValidator(QObject *parent)
{
    return new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral(R"(^(\d{0,12}|\d{1,3}(\.\d{3}){1,3})(,\d{0,2})?$)")), parent);
}

} // namespace

TFrmKasaHareketGiris::TFrmKasaHareketGiris(QWidget *parent) : QDialog(parent)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("FrmKasaHareketGiris"));
    setWindowTitle(QStringLiteral("Cash box transaction"));
    setAccessibleName(windowTitle());

    DataSource *source = Dm1->KasaData;
    auto edit = [this, source](const char *name, const QString &caption, const QString &field) {
        auto *e = new DBEdit(this);
        e->setObjectName(QLatin1StringView(name));
        e->setAccessibleName(caption);
        e->setDataSource(source, field);
        return e;
    };
    DBEdit1 = edit("DBEdit1", QStringLiteral("Explanation"), QStringLiteral("Aciklama"));
    DBEdit1->setMinimumWidth(320);
    DBEdit2 = edit("DBEdit2", QStringLiteral("Input price entering to cash box"), QStringLiteral("Borc"));
    DBEdit3 = edit("DBEdit3", QStringLiteral("Output price going out cash box"), QStringLiteral("Alacak"));
    for (DBEdit *amount : {DBEdit2, DBEdit3}) {
        amount->setValidator(amountValidator(amount));
        amount->setAlignment(Qt::AlignRight);
        amount->installEventFilter(this);
    }
    DBDateEdit1 = new DBDateEdit(this);
    DBDateEdit1->setObjectName(QStringLiteral("DBDateEdit1"));
    DBDateEdit1->setAccessibleName(QStringLiteral("Transaction date"));
    DBDateEdit1->setDataSource(source, QStringLiteral("Tarih"));

    auto *page = new QWidget;
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Explanation"), DBEdit1);
    form->addRow(QStringLiteral("Input price entering to cash box"), DBEdit2);
    form->addRow(QStringLiteral("Output price going out cash box"), DBEdit3);
    form->addRow(QStringLiteral("Transaction date"), DBDateEdit1);
    const Kit::Band header = Kit::band(page, QStringLiteral("  Transaction details"), QColor(128, 128, 128), Qt::white);
    auto *pl = new QVBoxLayout(page);
    pl->addWidget(header.frame);
    pl->addLayout(form);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->addTab(page, QStringLiteral("Cash box transaction"));

    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setAccessibleName(QStringLiteral("Cancel"));
    BtnCancel->setAutoDefault(false);
    BtnSave = new QPushButton(QStringLiteral("Save"), this);
    BtnSave->setObjectName(QStringLiteral("BtnSave"));
    BtnSave->setAccessibleName(QStringLiteral("Save"));
    BtnSave->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnCancel);
    buttons->addWidget(BtnSave);
    auto *l = new QVBoxLayout(this);
    l->addWidget(PageControl1);
    l->addLayout(buttons);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(BtnSave, &QPushButton::clicked, this, &TFrmKasaHareketGiris::BtnSaveClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    m_keys = new KeyPreview(this);
    DBEdit1->setFocus();
}

bool TFrmKasaHareketGiris::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        // Money in is typed over what it shows; money out is added to at its end.
        if (watched == DBEdit2)
            QTimer::singleShot(0, DBEdit2, [e = DBEdit2] { e->selectAll(); });
        else if (watched == DBEdit3)
            QTimer::singleShot(0, DBEdit3, [e = DBEdit3] { e->end(false); });
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmKasaHareketGiris::BtnSaveClick()
{
    DataSet *kasa = Dm1->Kasa;
    const bool editing = kasa->state() == DataSet::State::Insert || kasa->state() == DataSet::State::Edit;
    if (editing) {
        // What the clerk typed goes into the row first, so the checks see it.
        for (FieldLink *link : {&DBEdit1->link(), &DBEdit2->link(), &DBEdit3->link(), &DBDateEdit1->link()}) {
            if (!link->flush()) {
                Prompt::error(kasa->lastError());
                return;
            }
            link->refresh(); // shown as the row holds it, also when the save is refused
        }
    }
    if (kasa->value(QStringLiteral("Aciklama")).toString().trimmed().isEmpty()) {
        Prompt::warning(ExplanationMissingText);
        DBEdit1->setFocus();
        return;
    }
    // A movement without a date would fall in no period: no total, list or
    // chart would ever count it.
    if (editing && kasa->value(QStringLiteral("Tarih")).isNull()) {
        Prompt::warning(DateMissingText);
        DBDateEdit1->setFocus();
        return;
    }
    if (!editing) {
        accept();
        return;
    }
    ShopBook::LedgerEntryRequest request;
    if (kasa->state() == DataSet::State::Edit)
        request.kasaId = kasa->value(QStringLiteral("ID")).toInt();
    request.date = kasa->value(QStringLiteral("Tarih")).toDateTime().date();
    const auto amount = [kasa](const QString &field) -> std::optional<Money> {
        const QVariant v = kasa->value(field);
        return v.isNull() ? std::nullopt : std::optional<Money>(Money::fromVariant(v));
    };
    request.amountIn = amount(QStringLiteral("Borc"));
    request.amountOut = amount(QStringLiteral("Alacak"));
    request.description = kasa->value(QStringLiteral("Aciklama")).toString();
    const ShopResult stored = ShopBook().saveLedgerEntry(request);
    if (!stored.ok()) {
        // Nothing was stored; the row stays as typed, so the clerk can put
        // right what the database refused and save again, or cancel.
        WriteErrorLog(stored.message);
        Prompt::error(stored.message);
        return;
    }
    kasa->cancel(); // what was typed is stored; the list shows it as read back
    RefreshCashBoxTotals();
    // The list is read again: the row shows in its place, or not at all when
    // its date lies outside the period shown.
    if (!kasa->requery()) {
        WriteErrorLog(kasa->lastError());
        Prompt::error(kasa->lastError());
    } else {
        kasa->locate(QStringLiteral("ID"), stored.id);
    }
    accept();
}

void TFrmKasaHareketGiris::done(int result)
{
    // Every way out drops what is not stored.
    DataSet *kasa = Dm1 ? Dm1->Kasa : nullptr;
    if (kasa && (kasa->state() == DataSet::State::Edit || kasa->state() == DataSet::State::Insert))
        kasa->cancel();
    QDialog::done(result);
}
