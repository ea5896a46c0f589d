#include "rental/FrmTakasUnit.h"

#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/Format.h"
#include "components/GridColumns.h"
#include "components/KeyPreview.h"
#include "components/PromptService.h"
#include "components/WindowKit.h"
#include "data/Dm1Unit.h"
#include "data/ShopBook.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString SureText = QStringLiteral("Are you sure requesting exchange process ?");
const QString MissingText = QStringLiteral("You can t do exchange process without entering necessary data !!!");
const QString DoneText = QStringLiteral("Exchange process is done. ");

QComboBox *fixedList(QWidget *parent, const char *name, const QString &caption)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setAccessibleName(caption);
    return c;
}

QLineEdit *edit(QWidget *parent, const char *name, const QString &caption)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setAccessibleName(caption);
    return e;
}

} // namespace

TFrmTakas::TFrmTakas(QWidget *parent) : QDialog(parent)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("FrmTakas"));
    setWindowTitle(QStringLiteral("CD Exchange"));
    setAccessibleName(windowTitle());
    setWindowIcon(Kit::picture(QStringLiteral("exchange")));

    QWidget *received = buildReceived();
    // --- given out
    auto *given = new QWidget(this);
    auto *gl = new QVBoxLayout(given);
    auto *findRow = new QHBoxLayout;
    RadioGroup1 = new QButtonGroup(this);
    auto *byName = new QRadioButton(QStringLiteral("Film Name"), given);
    auto *byNo = new QRadioButton(QStringLiteral("CD No"), given);
    RadioGroup1->addButton(byName, 0);
    RadioGroup1->addButton(byNo, 1);
    byName->setChecked(true);
    Edit9 = edit(given, "Edit9", QStringLiteral("Find CD"));
    findRow->addWidget(new QLabel(QStringLiteral("Find CD"), given));
    findRow->addWidget(byName);
    findRow->addWidget(byNo);
    findRow->addWidget(Edit9, 1);
    ComboBox7 = fixedList(given, "ComboBox7", QStringLiteral("CD Type filter"));
    ComboBox7->addItems({QStringLiteral("VCD"), QStringLiteral("DVD"), QString()});
    ComboBox7->setCurrentIndex(2);
    SpeedButton1 = Kit::toolButton(given, QStringLiteral("SpeedButton1"), QStringLiteral("All types"),
                                   QStringLiteral("cancel"), Kit::Caption::Hidden, QStringLiteral("All types"));
    SpeedButton1->setAutoRaise(true);
    findRow->addWidget(new QLabel(QStringLiteral("CD Type"), given));
    findRow->addWidget(ComboBox7);
    findRow->addWidget(SpeedButton1);
    gl->addLayout(findRow);
    DBGrid1 = new DBGrid(given);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Exchanged CD/DVD"));
    setGridColumns(DBGrid1, Dm1->TakasCDData, {QStringLiteral("CDNo"), QStringLiteral("CDTur"), QStringLiteral("FilmAdi")},
                   {QStringLiteral("CD No"), QStringLiteral("CD Type"), QStringLiteral("Film Name")}, {60, 60, 220});
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    gl->addWidget(DBGrid1, 1);
    auto *details = new QFormLayout;
    const QList<std::pair<QString, QString>> shown = {
        {QStringLiteral(" CD No"), QStringLiteral("CDNo")},
        {QStringLiteral(" CD Type"), QStringLiteral("CDTur")},
        {QStringLiteral("Film Name"), QStringLiteral("FilmAdi")},
        {QStringLiteral(" Film Company"), QStringLiteral("FilmSirketi")},
        {QStringLiteral(" Film Type"), QStringLiteral("KonuTur")},
        {QStringLiteral(" Cost Price"), QStringLiteral("MaliyetFiyat")},
        {QStringLiteral(" Sell price"), QStringLiteral("SatisFiyat")}};
    for (const auto &s : shown) {
        auto *t = new DBText(given);
        t->setObjectName(QStringLiteral("Detail") + s.second);
        t->setAccessibleName(s.first.trimmed());
        t->setDataSource(Dm1->TakasCDData, s.second);
        t->link().setAlwaysEnabled(true);
        details->addRow(s.first, t);
    }
    gl->addLayout(details);

    auto *sides = new QHBoxLayout;
    sides->addWidget(Kit::panel(Kit::band(this, QStringLiteral("DVD/CD will be received from customer"),
                                          QColor(0, 64, 128), Qt::white),
                                received));
    sides->addWidget(Kit::panel(Kit::band(this, QStringLiteral("Exchanged CD/DVD"), QColor(128, 0, 0), Qt::white), given),
                     1);
    auto *note = new QLabel(QStringLiteral("* At the end of transaction, exchanged CD will be added to your \n"
                                           " - stock, returned CD will be removed and exchange price will be \n"
                                           "  - recorded as exchange income to your cash box."),
                            this);
    note->setObjectName(QStringLiteral("LabelNote"));
    BitBtn2 = new QPushButton(Kit::picture(QStringLiteral("exit")), QStringLiteral("Close"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setAutoDefault(false);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(note, 1);
    bottom->addWidget(BitBtn2, 0, Qt::AlignBottom);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Kit::band(this, QStringLiteral("CD/DVD Exchange"), QColor(0, 64, 128), Qt::white, 12).frame);
    layout->addLayout(sides, 1);
    layout->addLayout(bottom);
    resize(900, 560);

    connect(ComboBox2, &QComboBox::activated, this, &TFrmTakas::ComboBox2xChange);
    connect(Edit9, &QLineEdit::textChanged, this, &TFrmTakas::Edit9Change);
    connect(ComboBox7, &QComboBox::activated, this, &TFrmTakas::ComboBox7Change);
    connect(SpeedButton1, &QToolButton::clicked, this, &TFrmTakas::SpeedButton1Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TFrmTakas::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    Dm1->registerExchangeWindow(this, this);
    m_keys = new KeyPreview(this);
}

// The disc the customer brings.
QWidget *TFrmTakas::buildReceived()
{
    auto *received = new QWidget(this);
    auto *form = new QFormLayout(received);
    Edit1 = edit(received, "Edit1", QStringLiteral("CD No"));
    Edit1->setReadOnly(true);
    QPalette ro = Edit1->palette();
    ro.setColor(QPalette::Base, QColor(229, 227, 207));
    Edit1->setPalette(ro);
    ComboBox2 = fixedList(received, "ComboBox2", QStringLiteral("CD Type"));
    ComboBox2->addItems({QStringLiteral("VCD"), QStringLiteral("DVD")});
    Edit2 = edit(received, "Edit2", QStringLiteral("CD Count"));
    Edit3 = edit(received, "Edit3", QStringLiteral("Film Name"));
    ComboBox3 = fixedList(received, "ComboBox3", QStringLiteral("Film Type"));
    ComboBox4 = fixedList(received, "ComboBox4", QStringLiteral("Film Company"));
    ComboBox5 = fixedList(received, "ComboBox5", QStringLiteral("Director"));
    ComboBox6 = fixedList(received, "ComboBox6", QStringLiteral("Player Name"));
    Edit4 = edit(received, "Edit4", QStringLiteral("Cost Price"));
    Edit5 = edit(received, "Edit5", QStringLiteral("Sell Price"));
    for (QWidget *w : std::initializer_list<QWidget *>{Edit1, ComboBox2, Edit2, Edit3, ComboBox3, ComboBox4, ComboBox5,
                                                      ComboBox6, Edit4, Edit5})
        form->addRow(w->accessibleName(), w);
    LabelUcret = Kit::valueLabel(received, QStringLiteral("LabelUcret"), QStringLiteral("Exchange price"));
    Kit::setValue(LabelUcret, QStringLiteral("Ucret"));
    QFont bold = LabelUcret->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    LabelUcret->setFont(bold);
    form->addRow(QStringLiteral(" Exchange price :"), LabelUcret);
    BitBtn1 = new QPushButton(Kit::picture(QStringLiteral("exchange")), QStringLiteral("Do exchange process"), received);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setAutoDefault(false);
    form->addRow(BitBtn1);
    return received;
}

TFrmTakas::~TFrmTakas()
{
    if (Dm1)
        Dm1->TakasCD->close();
}

void TFrmTakas::setExchangeFeeText(const QString &text)
{
    Kit::setValue(LabelUcret, text);
}

void TFrmTakas::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TFrmTakas::FormShow()
{
    DataSet *stock = Dm1->TakasCD;
    stock->close();
    stock->clearFilter();
    if (!stock->open())
        Prompt::error(stock->lastError());
    FiltreEkle();
    const ShopResult next = ShopBook().nextNumber(ShopBook::ShownNumber::CDNo);
    if (next.ok())
        Edit1->setText(QString::number(next.number));
    else
        Prompt::error(next.message);
    ComboBox2->setCurrentIndex(0);
    ComboBox2xChange();
}

void TFrmTakas::FiltreEkle()
{
    const QList<std::pair<QComboBox *, QString>> lists = {{ComboBox3, QStringLiteral("FilmTur")},
                                                          {ComboBox6, QStringLiteral("Oyuncu")},
                                                          {ComboBox4, QStringLiteral("FilmSirket")},
                                                          {ComboBox5, QStringLiteral("Yonetmen")}};
    for (const auto &l : lists) {
        l.first->clear();
        QString error;
        const auto names = Dm1->lookupNames(l.second, &error);
        if (!names) {
            Prompt::error(error);
            continue;
        }
        l.first->addItems(*names);
        l.first->setCurrentIndex(-1);
    }
}

void TFrmTakas::ComboBox2xChange()
{
    ShopBook::ExchangeRequest request;
    request.discType = ComboBox2->currentText();
    Money fee;
    if (ShopBook().quote(request, &fee).ok())
        Kit::setValue(LabelUcret, Format::money(fee));
}

void TFrmTakas::Edit9Change(const QString &text)
{
    DataSet *stock = Dm1->TakasCD;
    const QString find = text.trimmed();
    if (find.isEmpty() || !stock->isOpen())
        return;
    const QString field = RadioGroup1->checkedId() == 1 ? QStringLiteral("CDNo") : QStringLiteral("FilmAdi");
    stock->locate(field, find, DataSet::PartialKey);
}

void TFrmTakas::ComboBox7Change()
{
    DataSet *stock = Dm1->TakasCD;
    const QString type = ComboBox7->currentText();
    if (type.isEmpty())
        stock->clearFilter();
    else
        stock->setFilter(QStringLiteral("CDTur"), type);
}

void TFrmTakas::SpeedButton1Click()
{
    ComboBox7->setCurrentIndex(2);
    ComboBox7Change();
}

void TFrmTakas::BitBtn1Click()
{
    if (!Prompt::confirm(SureText))
        return;
    for (const QString &required : {ComboBox2->currentText(), Edit3->text(), ComboBox3->currentText(), Edit4->text(),
                                    Edit5->text(), Edit2->text()}) {
        if (required.trimmed().isEmpty()) {
            Prompt::warning(MissingText);
            return;
        }
    }
    DataSet *stock = Dm1->TakasCD;
    if (!stock->isOpen() || stock->isEmpty() || stock->recNo() < 0) {
        Prompt::warning(MissingText);
        return;
    }
    // Every conversion before anything is written.
    QString error;
    const auto cost = Format::parseMoney(Edit4->text().trimmed(), &error);
    if (!cost) {
        Prompt::error(error);
        return;
    }
    const auto sell = Format::parseMoney(Edit5->text().trimmed(), &error);
    if (!sell) {
        Prompt::error(error);
        return;
    }
    const auto count = Format::parseInteger(Edit2->text().trimmed(), &error);
    if (!count) {
        Prompt::error(error);
        return;
    }
    ShopBook::ExchangeRequest request;
    request.cdNo = Edit1->text().toInt();
    request.discType = ComboBox2->currentText();
    request.filmName = Edit3->text();
    request.filmType = ComboBox3->currentText();
    request.filmCompany = ComboBox4->currentText();
    request.director = ComboBox5->currentText();
    request.actor = ComboBox6->currentText();
    request.costPrice = *cost;
    request.salePrice = *sell;
    request.discCount = int(*count);
    request.givenTitleId = stock->value(QStringLiteral("ID")).toInt();
    const ShopResult result = ShopBook().exchange(request);
    if (!result.ok()) {
        if (result.error == ShopResult::Error::StockRefused) {
            Prompt::warning(result.message);
            stock->requery();
        } else {
            Prompt::error(result.message);
        }
        return;
    }
    Prompt::information(DoneText);
    accept();
}

void TFrmTakas::done(int result)
{
    Dm1->TakasCD->close();
    QDialog::done(result);
}

int OpenExchangeWindow(QWidget *parent)
{
    return showModalWindow(FrmTakas, [parent] { return new TFrmTakas(parent); });
}
