#include "customers/DlgMiniAcikUnit.h"

#include <QLabel>
#include <QTextEdit>
#include <QToolTip>
#include <QVBoxLayout>


TDlgMiniAcik::TDlgMiniAcik(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("DlgMiniAcik"));
    setWindowTitle(QStringLiteral("This note belongs to customer"));
    setAccessibleName(windowTitle());
    auto *heading = new QLabel(QStringLiteral("Explanation"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    ScText = new QTextEdit(this);
    ScText->setObjectName(QStringLiteral("ScText"));
    ScText->setAccessibleName(QStringLiteral("Explanation"));
    ScText->setReadOnly(true);
    ScText->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ScText->setFont(bold);
    QPalette p = ScText->palette();
    p.setColor(QPalette::Base, QToolTip::palette().color(QPalette::ToolTipBase));
    p.setColor(QPalette::Text, QColor(0, 0, 128)); // dark blue
    ScText->setPalette(p);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(heading);
    layout->addWidget(ScText, 1);
    resize(240, 160);
}

void ShowCustomerNote(QWidget *parent, const QString &note)
{
    if (!DlgMiniAcik)
        DlgMiniAcik = new TDlgMiniAcik(parent);
    DlgMiniAcik->ScText->setPlainText(note);
    DlgMiniAcik->show();
}

void PlaceCustomerNote(int left, int top)
{
    if (DlgMiniAcik)
        DlgMiniAcik->move(left, top + DlgMiniAcik->frameGeometry().height());
}
