#pragma once

#include <QColor>
#include <QIcon>
#include <QList>
#include <QStringList>
#include <functional>

class DataSet;
class QBoxLayout;
class QFrame;
class QHBoxLayout;
class QLabel;
class QStatusBar;
class QToolBar;
class QToolButton;
class QWidget;

// What every window of the program is built from: toolbar buttons with their
// pictures chosen by name, navigation buttons that move a dataset, the title
// band, the status bar with its panels. A window writes only what is its own.
namespace Kit {

// The toolbar pictures, by name ("new", "edit", "delete", "print"…). The
// program installs its picture set at start-up; without one, buttons show
// their captions only.
using PictureSource = std::function<QIcon(const QString &name)>;
void setPictureSource(PictureSource source);
QIcon picture(const QString &name);

enum class Caption { Under, Beside, Hidden };

// A tool button with its object name, caption (also its accessible name,
// without the '&' of a mnemonic), hint and picture.
QToolButton *toolButton(QWidget *parent, const QString &objectName, const QString &caption,
                        const QString &pictureName, Caption caption_ = Caption::Under,
                        const QString &hint = QString());

// A window's toolbar (16 x 16 pictures) and a button added to it, its
// caption under its picture.
QToolBar *toolBar(QWidget *parent, const QString &objectName = QStringLiteral("ToolBar1"));
QToolButton *addTool(QToolBar *bar, const QString &objectName, const QString &caption, const QString &pictureName,
                     const QString &hint = QString());

// The four buttons that move through a dataset: first, prior, next, last.
// Object names tbFirst…tbLast; they follow the dataset's position (disabled
// at the ends and while the dataset is closed or empty).
struct Navigation
{
    QToolButton *first = nullptr, *prior = nullptr, *next = nullptr, *last = nullptr;
    QList<QToolButton *> buttons() const { return {first, prior, next, last}; }
};
Navigation navigationButtons(QWidget *parent, DataSet *dataSet);

// A coloured band with a bold caption; buttons may be added at its right end
// through the returned layout.
struct Band
{
    QFrame *frame = nullptr;
    QLabel *caption = nullptr;
    QHBoxLayout *buttons = nullptr;
};
Band band(QWidget *parent, const QString &caption, const QColor &background, const QColor &foreground,
          int pointSize = 0);

// The window's title band: its caption and a close button (object name
// given) that closes the window.
Band titleBand(QWidget *window, const QString &caption, const QColor &background, const QColor &foreground,
               const QString &closeButtonName, int pointSize = 12);

// A panel: a band (or a group box when no band is wanted) above its body.
QWidget *panel(const Band &heading, QWidget *body);
QWidget *groupPanel(const QString &heading, QWidget *body, QWidget *parent);

// The status bar with one sunken panel per text, named <namePrefix><first
// number>…; the last panel takes the remaining width.
struct StatusPanels
{
    QStatusBar *bar = nullptr;
    QList<QLabel *> panels;
};
StatusPanels statusBar(QWidget *parent, const QStringList &texts, const QString &namePrefix = QStringLiteral("StatusPanel"),
                       int firstNumber = 0, const QList<int> &minimumWidths = {});

// A label that shows a value (a total, a date, a count) under a caption: the
// caption is its accessible name, and every value set through setValue is
// also its accessible description, so a screen reader hears both.
QLabel *valueLabel(QWidget *parent, const QString &objectName, const QString &caption);
void setValue(QLabel *label, const QString &value);

// Lays a window out top to bottom without margins: toolbar, bands, body
// (stretched), status bar. Null entries are skipped.
QBoxLayout *stack(QWidget *window, const QList<QWidget *> &parts, QWidget *stretched);

} // namespace Kit
