#include "rental/FrmCDIadeUnit.h"

#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/DataSource.h"
#include "components/Format.h"
#include "components/KeyPreview.h"
#include "components/PromptService.h"
#include "components/WindowKit.h"
#include "customers/DlgMiniAcikUnit.h"
#include "customers/DlgMiniResimUnit.h"
#include "customers/PhotoView.h"
#include "data/Dm1Unit.h"
#include "data/ShopBook.h"
#include "data/Tariff.h"
#include "rental/FrmCDKontrolUnit.h"

#include <QDateTime>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QColor ReadOnlyColour(229, 227, 207);

bool editing(const DataSet *ds)
{
    return ds->state() == DataSet::State::Edit || ds->state() == DataSet::State::Insert;
}

void paint(QWidget *control, bool enabled)
{
    control->setEnabled(enabled);
    QPalette p = control->palette();
    const QColor c = enabled ? DataAwareColors::editable() : ReadOnlyColour;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Base, c);
    control->setPalette(p);
}

QLabel *boldLabel(const QString &text, const QColor &colour, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colour);
    l->setPalette(p);
    return l;
}

} // namespace

TFrmCdIade::TFrmCdIade(QWidget *parent) : QDialog(parent)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("FrmCdIade"));
    setWindowTitle(QStringLiteral("Returning of CD"));
    setAccessibleName(windowTitle());
    setWindowIcon(Kit::picture(QStringLiteral("return")));

    QWidget *rental = buildRentalPart();
    QWidget *ret = buildReturnPart();
    // --- buttons
    BitBtn1 = new QPushButton(Kit::picture(QStringLiteral("post")), QStringLiteral("Ok"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(Kit::picture(QStringLiteral("exit")), QStringLiteral("Close"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Kit::panel(Kit::band(this, QStringLiteral("  Information about renting CD."), QColor(0, 64, 128),
                                           Qt::white),
                                 rental));
    layout->addWidget(Kit::panel(Kit::band(this, QStringLiteral("  Information about return CD"), QColor(128, 0, 0),
                                           Qt::white),
                                 ret));
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(DBCheckBox1, &QCheckBox::toggled, this, &TFrmCdIade::DBCheckBox1Click);
    connect(DBDateEdit1, &QDateEdit::dateChanged, this, &TFrmCdIade::DBDateEdit1Change);
    connect(BitBtn1, &QPushButton::clicked, this, &TFrmCdIade::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Timer1, &QTimer::timeout, this, &TFrmCdIade::Timer1Timer);
    // After the controls have loaded the row, their states follow the return.
    connect(Dm1->CDIade, &DataSet::stateChanged, this, &TFrmCdIade::updateControls);
    connect(Dm1->CDIade, &DataSet::currentValuesChanged, this, &TFrmCdIade::updateControls);
    connect(Dm1->CDIade, &DataSet::afterOpen, this, &TFrmCdIade::updateControls);
    connect(Dm1->CDIade, &DataSet::afterScroll, this, &TFrmCdIade::updateControls);
    m_keys = new KeyPreview(this);
    updateControls();
}

// What was rented: the customer, the title, the dates and the price.
QWidget *TFrmCdIade::buildRentalPart()
{
    DataSource *src = Dm1->CDIadeData;
    auto *rental = new QWidget(this);
    auto *rg = new QGridLayout(rental);
    rg->addWidget(new QLabel(QStringLiteral(" Customer's name :"), rental), 0, 0);
    LabelCustomer = boldLabel(QString(), Qt::red, rental);
    LabelCustomer->setObjectName(QStringLiteral("LabelCustomer"));
    LabelCustomer->setAccessibleName(QStringLiteral("Customer's name"));
    rg->addWidget(LabelCustomer, 0, 1, 1, 2);
    rg->addWidget(new QLabel(QStringLiteral("  Name of Film  :"), rental), 1, 0);
    LabelFilm = boldLabel(QString(), Qt::blue, rental);
    LabelFilm->setObjectName(QStringLiteral("LabelFilm"));
    LabelFilm->setAccessibleName(QStringLiteral("Name of Film"));
    rg->addWidget(LabelFilm, 1, 1, 1, 2);
    rg->addWidget(boldLabel(QStringLiteral("Necessary return date"), palette().color(QPalette::WindowText), rental), 2, 0);
    DBText1 = new DBText(rental);
    DBText1->setObjectName(QStringLiteral("DBText1"));
    DBText1->setAccessibleName(QStringLiteral("Necessary return date"));
    DBText1->setDataSource(src, QStringLiteral("GelecekTarih"));
    rg->addWidget(DBText1, 2, 1);
    PanelWeekday = Kit::valueLabel(rental, QStringLiteral("PanelWeekday"), QStringLiteral("Weekday of the return date"));
    PanelWeekday->setFrameShape(QFrame::Panel);
    PanelWeekday->setFrameShadow(QFrame::Sunken);
    PanelWeekday->setAutoFillBackground(true);
    PanelWeekday->setMinimumWidth(90);
    PanelWeekday->setAlignment(Qt::AlignCenter);
    QPalette grey = PanelWeekday->palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    PanelWeekday->setPalette(grey);
    rg->addWidget(PanelWeekday, 2, 2);
    rg->setColumnStretch(1, 1);
    return rental;
}

// The return: its date, the days over and the penalty.
QWidget *TFrmCdIade::buildReturnPart()
{
    DataSource *src = Dm1->CDIadeData;
    auto *ret = new QWidget(this);
    auto *g = new QGridLayout(ret);
    DBCheckBox1 = new DBCheckBox(QStringLiteral("Returned CD"), ret);
    DBCheckBox1->setObjectName(QStringLiteral("DBCheckBox1"));
    DBCheckBox1->setDataSource(src, QStringLiteral("CDDurum"));
    DBCheckBox1->link().setAlwaysEnabled(true);
    g->addWidget(DBCheckBox1, 0, 0);
    Label8 = boldLabel(QStringLiteral("[ Gave on account ]"), Qt::red, ret);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label9 = boldLabel(QStringLiteral("[ gave on account ]"), Qt::red, ret);
    Label9->setObjectName(QStringLiteral("Label9"));
    Label9->setAccessibleName(QStringLiteral("Amount given on account"));
    Label8->hide();
    Label9->hide();
    g->addWidget(Label8, 0, 1);
    g->addWidget(Label9, 0, 2);

    auto row = [&](int r, const QString &caption, QWidget *control) {
        auto *l = new QLabel(caption, ret);
        l->setBuddy(control);
        control->setAccessibleName(caption.trimmed());
        g->addWidget(l, r, 0);
        g->addWidget(control, r, 1, 1, 2);
    };
    DBDateEdit1 = new DBDateEdit(ret);
    DBDateEdit1->setObjectName(QStringLiteral("DBDateEdit1"));
    DBDateEdit1->setDataSource(src, QStringLiteral("TeslimTarih"));
    DBDateEdit1->link().setAlwaysEnabled(true);
    row(1, QStringLiteral("Return date"), DBDateEdit1);
    DBEdit1 = new DBEdit(ret);
    DBEdit1->setObjectName(QStringLiteral("DBEdit1"));
    DBEdit1->setDataSource(src, QStringLiteral("CezaGunSayi"));
    DBEdit1->link().setAlwaysEnabled(true);
    row(2, QStringLiteral("Number of penalty days "), DBEdit1);
    DBCheckBox2 = new DBCheckBox(QStringLiteral("&Penalty is collected"), ret);
    DBCheckBox2->setObjectName(QStringLiteral("DBCheckBox2"));
    DBCheckBox2->setAccessibleName(QStringLiteral("Penalty is collected"));
    DBCheckBox2->setDataSource(src, QStringLiteral("CezaDurum"));
    DBCheckBox2->link().setAlwaysEnabled(true);
    g->addWidget(DBCheckBox2, 3, 1, 1, 2);
    DBEdit2 = new DBEdit(ret);
    DBEdit2->setObjectName(QStringLiteral("DBEdit2"));
    DBEdit2->setDataSource(src, QStringLiteral("CezaTutari"));
    DBEdit2->link().setAlwaysEnabled(true);
    QFont redBold = DBEdit2->font();
    redBold.setBold(true);
    DBEdit2->setFont(redBold);
    QPalette red = DBEdit2->palette();
    red.setColor(QPalette::Text, Qt::red);
    DBEdit2->setPalette(red);
    row(4, QStringLiteral("Penalty default"), DBEdit2);
    g->setColumnStretch(2, 1);
    return ret;
}

TFrmCdIade::~TFrmCdIade()
{
    Timer1->stop();
    delete DlgMiniResim.data();
    delete DlgMiniAcik.data();
}

void TFrmCdIade::updateControls()
{
    DataSet *ds = Dm1->CDIade;
    const bool open = ds->isOpen() && !ds->isEmpty();
    const bool returned = open && editing(ds) && ds->value(QStringLiteral("CDDurum")).toInt() == 1;
    const bool collected = open && ds->value(QStringLiteral("CezaDurum")).toInt() == 1;
    DBCheckBox1->setEnabled(open);
    paint(DBDateEdit1, returned);
    paint(DBEdit1, returned);
    DBCheckBox2->setEnabled(returned);
    paint(DBEdit2, returned && collected);
    const QDate due = ds->isOpen() ? ds->value(QStringLiteral("GelecekTarih")).toDateTime().date() : QDate();
    Kit::setValue(PanelWeekday, Tariff::weekdayName(due));
}

void TFrmCdIade::DBCheckBox1Click(bool returned)
{
    DataSet *ds = Dm1->CDIade;
    if (DBCheckBox1->link().isLoading() || !ds->isOpen() || ds->isEmpty())
        return;
    if (!editing(ds) && !ds->edit()) {
        Prompt::error(ds->lastError());
        return;
    }
    ds->setValue(QStringLiteral("CDDurum"), returned ? 1 : 0);
    if (returned) {
        const QDate today = QDate::currentDate();
        if (DBDateEdit1->date() == today)
            DBDateEdit1Change(today);
        else
            DBDateEdit1->setDate(today);
    } else {
        ds->setValue(QStringLiteral("TeslimTarih"), QVariant());
    }
    updateControls();
}

void TFrmCdIade::DBDateEdit1Change(const QDate &date)
{
    DataSet *ds = Dm1->CDIade;
    if (DBDateEdit1->link().isLoading() || !editing(ds))
        return;
    const QDate returned = date == DBDateEdit1->minimumDate() ? QDate() : date;
    ds->setValue(QStringLiteral("TeslimTarih"), returned.isValid() ? QVariant(QDateTime(returned, QTime(0, 0))) : QVariant());
    Tariff::LateReturn late;
    if (!ShopBook().quote(ds->value(QStringLiteral("ID")).toInt(), returned, &late).ok())
        return;
    if (late.lateDays)
        ds->setValue(QStringLiteral("CezaGunSayi"), *late.lateDays);
    if (late.penalty)
        ds->setValue(QStringLiteral("CezaTutari"), QVariant::fromValue(*late.penalty));
}

void TFrmCdIade::takeBackToday()
{
    DataSet *ds = Dm1->CDIade;
    if (!ds->isOpen() || ds->isEmpty())
        return;
    if (DBCheckBox1->isChecked())
        DBCheckBox1Click(true);
    else
        DBCheckBox1->setChecked(true);
    const QVariant penalty = ds->value(QStringLiteral("CezaTutari"));
    if (editing(ds) && !penalty.isNull() && Money::fromVariant(penalty) > Money()) {
        DBCheckBox2->setChecked(true);
        updateControls();
        DBCheckBox2->setFocus();
    } else {
        BitBtn1->setFocus();
    }
}

void TFrmCdIade::BitBtn1Click()
{
    DataSet *ds = Dm1->CDIade;
    if (!editing(ds)) {
        accept();
        return;
    }
    // What the clerk typed last into the day count or the amount counts too.
    DBEdit1->link().flush();
    DBEdit2->link().flush();
    ShopBook::ReturnRequest request;
    request.hareketId = ds->value(QStringLiteral("ID")).toInt();
    request.returned = ds->value(QStringLiteral("CDDurum")).toInt() == 1;
    request.returnDate = ds->value(QStringLiteral("TeslimTarih")).toDateTime().date();
    if (const QVariant days = ds->value(QStringLiteral("CezaGunSayi")); !days.isNull())
        request.lateDays = days.toInt();
    request.penaltyCollected = ds->value(QStringLiteral("CezaDurum")).toInt() == 1;
    if (const QVariant amount = ds->value(QStringLiteral("CezaTutari")); !amount.isNull())
        request.penalty = Money::fromVariant(amount);
    request.customerName = LabelCustomer->text();
    const ShopResult result = ShopBook().returnRental(request);
    if (!result.ok()) {
        if (result.error == ShopResult::Error::AlreadyReturned) {
            // Taken back at another counter: nothing of this return is kept.
            Prompt::warning(result.message);
            ds->cancel();
            RefreshCheckWindow();
            reject();
        } else {
            // The row stays as the clerk has it, to be tried again.
            Prompt::error(result.message);
        }
        return;
    }
    for (DataSet *list : {Dm1->HareketTemp3, Dm1->HareketTemp4}) {
        if (list->isOpen()) {
            list->close();
            list->open();
        }
    }
    RefreshCheckWindow();
    accept();
}

void TFrmCdIade::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TFrmCdIade::FormShow()
{
    DataSet *ds = Dm1->CDIade;
    updateControls();
    if (ds->isOpen() && ds->value(QStringLiteral("Veresiye")).toInt() == 1) {
        Label8->show();
        Label9->show();
        Kit::setValue(Label9, Format::money(ds->value(QStringLiteral("TopTutar")).value<Money>()));
        Timer1->start();
    }
    QString error;
    const QString note =
        ds->isOpen() ? Dm1->customerNote(ds->value(QStringLiteral("MusteriNo")), &error).value_or(QString()) : QString();
    if (!note.trimmed().isEmpty())
        ShowCustomerNote(this, note);
    ShowCustomerPhoto(this);
    placeCompanions();
    // Once shown, and after the photo and note beside it: the clerk's keys
    // go to this window.
    QTimer::singleShot(0, this, [this] { activateWindow(); });
}

void TFrmCdIade::Timer1Timer()
{
    Label8->setVisible(!Label8->isVisible());
    Label9->setVisible(Label8->isVisible());
}

void TFrmCdIade::placeCompanions()
{
    const QRect r = frameGeometry();
    const int left = r.left() + r.width();
    PlaceCustomerPhoto(left, r.top());
    PlaceCustomerNote(left, r.top());
}

void TFrmCdIade::moveEvent(QMoveEvent *event)
{
    QDialog::moveEvent(event);
    placeCompanions();
}

bool TFrmCdIade::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        placeCompanions();
    return QDialog::event(event);
}

void TFrmCdIade::done(int result)
{
    Timer1->stop();
    DataSet *ds = Dm1->CDIade;
    if (editing(ds))
        ds->cancel();
    delete DlgMiniResim.data();
    delete DlgMiniAcik.data();
    QDialog::done(result);
}

int OpenReturnWindow(QWidget *parent, const QVariant &hareketId, const QString &customer, const QString &film,
                     bool takenBackToday)
{
    if (!FrmCdIade)
        FrmCdIade = new TFrmCdIade(parent);
    Kit::setValue(FrmCdIade->LabelCustomer, customer);
    Kit::setValue(FrmCdIade->LabelFilm, film);
    DataSet *iade = Dm1->CDIade;
    iade->close();
    iade->setParameter(QStringLiteral("IDX"), hareketId.toString());
    if (!iade->open()) {
        Prompt::error(iade->lastError());
        delete FrmCdIade.data();
        return QDialog::Rejected;
    }
    if (takenBackToday)
        FrmCdIade->takeBackToday();
    return showModalWindow(FrmCdIade, [parent] { return new TFrmCdIade(parent); });
}

void LoadReturnPhoto(QWidget *parent, const QByteArray &jpeg)
{
    SetCustomerPhoto(parent, jpeg.isEmpty() ? QImage() : QImage::fromData(jpeg, "JPEG"));
}
