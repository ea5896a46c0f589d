#include "reports/DlgCDIstUnit.h"

#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/KeyPreview.h"
#include "components/PromptService.h"
#include "components/WindowKit.h"
#include "data/Dm2Unit.h"
#include "data/LedgerData.h"
#include "reports/Report2Unit.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QDateEdit *picker(QWidget *parent, const char *name, const QString &caption)
{
    auto *p = new QDateEdit(parent);
    p->setObjectName(QLatin1StringView(name));
    p->setAccessibleName(caption.trimmed());
    p->setCalendarPopup(true);
    p->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    DataAwareColors::apply(p, true);
    return p;
}

} // namespace

TDlgCdIst::TDlgCdIst(QWidget *parent) : QDialog(parent)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("DlgCdIst"));
    setWindowTitle(QStringLiteral("CD renting statistics"));
    setAccessibleName(windowTitle());

    auto *page = new QWidget;
    const Kit::Band criteria = Kit::band(page, QStringLiteral("  Report criteria"), QColor(128, 128, 128), Qt::white);
    Picker1 = picker(page, "Picker1", QStringLiteral("Beginning of period "));
    Picker2 = picker(page, "Picker2", QStringLiteral("Period windup"));
    ComboBox1 = new QComboBox(page);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setAccessibleName(QStringLiteral("Media type"));
    ComboBox1->addItems({QString(), QStringLiteral("VCD"), QStringLiteral("DVD"), QStringLiteral("DivX")});
    ComboBox1->setCurrentIndex(-1);
    QPalette cp = ComboBox1->palette();
    cp.setColor(QPalette::Base, QColor(192, 220, 192));
    cp.setColor(QPalette::Button, QColor(192, 220, 192));
    ComboBox1->setPalette(cp);

    auto *grid = new QGridLayout;
    auto row = [page, grid](int r, const QString &caption, QWidget *control) {
        auto *l = new QLabel(caption, page);
        l->setBuddy(control);
        grid->addWidget(l, r, 0);
        grid->addWidget(control, r, 1);
    };
    row(0, QStringLiteral("Beginning of period "), Picker1);
    row(1, QStringLiteral("Period windup"), Picker2);
    row(2, QStringLiteral("Media type"), ComboBox1);
    grid->setColumnStretch(1, 1);
    auto *pl = new QVBoxLayout(page);
    pl->addWidget(criteria.frame);
    pl->addLayout(grid);
    pl->addStretch();

    auto *pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("PageControl1"));
    pages->addTab(page, QStringLiteral("CD renting statistics"));

    BtnClose = new QPushButton(QStringLiteral("Close"), this);
    BtnClose->setObjectName(QStringLiteral("BtnClose"));
    BtnClose->setAccessibleName(QStringLiteral("Close"));
    BtnClose->setAutoDefault(false);
    BtnReport = new QPushButton(QStringLiteral("Report"), this);
    BtnReport->setObjectName(QStringLiteral("BtnReport"));
    BtnReport->setAccessibleName(QStringLiteral("Report"));
    BtnReport->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnClose);
    buttons->addWidget(BtnReport);
    auto *l = new QVBoxLayout(this);
    l->addWidget(pages);
    l->addLayout(buttons);
    setFixedSize(348, 239);

    connect(BtnReport, &QPushButton::clicked, this, &TDlgCdIst::BtnReportClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::reject);
    m_keys = new KeyPreview(this);
}

void TDlgCdIst::showEvent(QShowEvent *event)
{
    const QDate today = QDate::currentDate();
    Picker1->setDate(today);
    Picker2->setDate(today);
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TDlgCdIst::BtnReportClick()
{
    DataSet *data = Dm2->RaporTemp;
    if (!LedgerData::prepareRentingStatistics(data, Picker1->date(), Picker2->date(), ComboBox1->currentText())) {
        Prompt::error(data->lastError());
        data->close();
        return;
    }
    {
        TReport2 report;
        Report::showPreview(report.FilmIstRp);
    }
    data->close();
}

void OpenRentingStatistics(QWidget *parent)
{
    showModalWindow(DlgCDIst, [parent] { return new TDlgCdIst(parent); });
}
