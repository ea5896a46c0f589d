#include "components/WindowKit.h"

#include "components/DataSet.h"

#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace Kit {

namespace {

PictureSource &pictureSource()
{
    static PictureSource source;
    return source;
}

} // namespace

void setPictureSource(PictureSource source)
{
    pictureSource() = std::move(source);
}

QIcon picture(const QString &name)
{
    const PictureSource &source = pictureSource();
    return source && !name.isEmpty() ? source(name) : QIcon();
}

QToolButton *toolButton(QWidget *parent, const QString &objectName, const QString &caption,
                        const QString &pictureName, Caption captionPlace, const QString &hint)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(objectName);
    b->setText(caption);
    b->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    b->setToolTip(hint.isEmpty() ? b->accessibleName() : hint);
    b->setIcon(picture(pictureName));
    b->setAutoRaise(true);
    switch (captionPlace) {
    case Caption::Under:
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        break;
    case Caption::Beside:
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        break;
    case Caption::Hidden:
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        break;
    }
    return b;
}

QToolBar *toolBar(QWidget *parent, const QString &objectName)
{
    auto *bar = new QToolBar(parent);
    bar->setObjectName(objectName);
    bar->setIconSize(QSize(16, 16));
    return bar;
}

QToolButton *addTool(QToolBar *bar, const QString &objectName, const QString &caption, const QString &pictureName,
                     const QString &hint)
{
    QToolButton *b = toolButton(bar, objectName, caption, pictureName, Caption::Under, hint);
    bar->addWidget(b);
    return b;
}

Navigation navigationButtons(QWidget *parent, DataSet *dataSet)
{
    Navigation n;
    auto make = [parent](const char *name, const QString &caption, QStyle::StandardPixmap pix) {
        QToolButton *b = toolButton(parent, QLatin1String(name), caption, QString(), Caption::Hidden);
        b->setIcon(parent->style()->standardIcon(pix));
        return b;
    };
    n.first = make("tbFirst", QStringLiteral("First"), QStyle::SP_MediaSkipBackward);
    n.prior = make("tbPrior", QStringLiteral("Prior"), QStyle::SP_MediaSeekBackward);
    n.next = make("tbNext", QStringLiteral("Next"), QStyle::SP_MediaSeekForward);
    n.last = make("tbLast", QStringLiteral("Last"), QStyle::SP_MediaSkipForward);
    QObject::connect(n.first, &QToolButton::clicked, dataSet, &DataSet::first);
    QObject::connect(n.prior, &QToolButton::clicked, dataSet, &DataSet::prior);
    QObject::connect(n.next, &QToolButton::clicked, dataSet, &DataSet::next);
    QObject::connect(n.last, &QToolButton::clicked, dataSet, &DataSet::last);

    // The buttons follow the dataset: nothing to move to at an end, nor in
    // an empty or closed list, nor away from a row being typed.
    QPointer<DataSet> ds = dataSet;
    const Navigation buttons = n;
    auto follow = [ds, buttons] {
        const bool browsing = ds && ds->state() == DataSet::State::Browse && ds->recNo() >= 0;
        const bool atStart = !browsing || ds->recNo() == 0;
        const bool atEnd = !browsing || (ds->eof() && !ds->canFetchMore())
                           || (!ds->canFetchMore() && ds->recNo() >= ds->fetchedCount() - 1);
        buttons.first->setEnabled(!atStart);
        buttons.prior->setEnabled(!atStart);
        buttons.next->setEnabled(!atEnd);
        buttons.last->setEnabled(!atEnd);
    };
    for (auto signal : {&DataSet::afterOpen, &DataSet::afterClose, &DataSet::afterScroll, &DataSet::afterPost,
                        &DataSet::afterDelete, &DataSet::stateChanged})
        QObject::connect(dataSet, signal, n.first, follow);
    QObject::connect(dataSet, &DataSet::rowsInserted, n.first, follow);
    QObject::connect(dataSet, &DataSet::rowsReset, n.first, follow);
    follow();
    return n;
}

Band band(QWidget *parent, const QString &caption, const QColor &background, const QColor &foreground, int pointSize)
{
    Band b;
    b.frame = new QFrame(parent);
    b.frame->setAutoFillBackground(true);
    QPalette p = b.frame->palette();
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::WindowText, foreground);
    // Disabled buttons on the band keep the style's greyed text.
    p.setColor(QPalette::Active, QPalette::ButtonText, foreground);
    p.setColor(QPalette::Inactive, QPalette::ButtonText, foreground);
    b.frame->setPalette(p);
    b.caption = new QLabel(caption, b.frame);
    QFont f = b.caption->font();
    f.setBold(true);
    if (pointSize > 0)
        f.setPointSize(pointSize);
    b.caption->setFont(f);
    b.buttons = new QHBoxLayout(b.frame);
    b.buttons->setContentsMargins(6, 2, 2, 2);
    b.buttons->addWidget(b.caption, 1);
    return b;
}

Band titleBand(QWidget *window, const QString &caption, const QColor &background, const QColor &foreground,
               const QString &closeButtonName, int pointSize)
{
    Band b = band(window, caption, background, foreground, pointSize);
    b.frame->setFrameShape(QFrame::StyledPanel);
    QToolButton *close = toolButton(b.frame, closeButtonName, QStringLiteral("Close"), QString(), Caption::Hidden);
    close->setIcon(window->style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    b.buttons->addWidget(close);
    QObject::connect(close, &QToolButton::clicked, window, &QWidget::close);
    return b;
}

QWidget *panel(const Band &heading, QWidget *body)
{
    auto *w = new QWidget;
    auto *layout = new QVBoxLayout(w);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(heading.frame);
    layout->addWidget(body, 1);
    return w;
}

QWidget *groupPanel(const QString &heading, QWidget *body, QWidget *parent)
{
    auto *box = new QGroupBox(heading, parent);
    box->setAccessibleName(heading);
    auto *l = new QVBoxLayout(box);
    l->setContentsMargins(4, 4, 4, 4);
    l->addWidget(body);
    return box;
}

StatusPanels statusBar(QWidget *parent, const QStringList &texts, const QString &namePrefix, int firstNumber,
                       const QList<int> &minimumWidths)
{
    StatusPanels s;
    s.bar = new QStatusBar(parent);
    s.bar->setObjectName(QStringLiteral("StatusBar1"));
    s.bar->setSizeGripEnabled(false);
    for (int i = 0; i < texts.size(); ++i) {
        auto *l = new QLabel(texts[i], s.bar);
        l->setObjectName(namePrefix + QString::number(firstNumber + i));
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        if (i < minimumWidths.size())
            l->setMinimumWidth(minimumWidths[i]);
        s.bar->addWidget(l, i == texts.size() - 1 ? 1 : 0);
        s.panels << l;
    }
    return s;
}

QLabel *valueLabel(QWidget *parent, const QString &objectName, const QString &caption)
{
    auto *l = new QLabel(parent);
    l->setObjectName(objectName);
    l->setAccessibleName(caption);
    return l;
}

void setValue(QLabel *label, const QString &value)
{
    label->setText(value);
    label->setAccessibleDescription(value);
}

QBoxLayout *stack(QWidget *window, const QList<QWidget *> &parts, QWidget *stretched)
{
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QWidget *w : parts) {
        if (w)
            layout->addWidget(w, w == stretched ? 1 : 0);
    }
    return layout;
}

} // namespace Kit
