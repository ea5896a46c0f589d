#pragma once

#include "app/WindowRegistry.h"

#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class DBGrid;
class KeyPreview;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;
class QToolBar;
class WheelToArrows;

// The catalogue window: the titles of the shop with search, filter, the
// history of the current title, and the place where titles are created,
// changed and deleted (through the record entry dialog on the shared CD
// dataset).
class TFrmCDTanim : public QWidget
{
    Q_OBJECT

public:
    explicit TFrmCDTanim(QWidget *parent = nullptr);
    ~TFrmCDTanim() override;

    // The "CD Type" filter entries: the disc types the record entry dialog
    // stores, so that every title the program creates can be filtered.
    static QStringList cdTypeFilterEntries();

    // The next title number: the largest over the whole table plus one.
    static int NextCDNo();

    QToolButton *tbNew, *tbEdit, *tbDelete, *tbPrint, *tbStokIst, *tbKiraIst;
    QToolButton *tbFirst, *tbPrior, *tbNext, *tbLast;
    QToolButton *btnPanelClose;
    DBGrid *DBGrid1;  // the titles
    DBGrid *DBGrid2;  // customers renting the current title
    QButtonGroup *RadioGroup1;
    QLineEdit *Edit1; // search text
    QComboBox *ComboBox1, *ComboBox2, *ComboBox3, *ComboBox4, *ComboBox5;
    QToolButton *SpeedButton1; // "Filter"
    QLabel *StatusPanel0, *StatusPanel1, *StatusPanel2, *StatusPanel3;

public slots:
    void tbNewClick();
    void tbEditClick();
    void tbDeleteClick();
    void tbPrintClick();
    void tbStokIstClick();
    void tbKiraIstClick();
    void Edit1Change();
    void SpeedButton1Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QToolBar *buildToolbar();
    QWidget *buildSearchAndFilter();
    void FormShow();
    void fillFilterList(QComboBox *list, const QString &table);
    bool keyPressed(class QKeyEvent *event);
    void applyUnfiltered();

    KeyPreview *m_keys = nullptr;
    WheelToArrows *m_wheel = nullptr;
    QList<QComboBox *> m_filterLists;
    QHash<QString, QString> m_savedCaptions; // CD's captions before this window set its own
};


// Opens the window (or brings it forward); the main menu's entry.
TFrmCDTanim *OpenCDDefinitions();
// Opens the window standing on the title with this ID, when its list holds
// it (the navigator's double-click).
TFrmCDTanim *OpenCDDefinitionsOn(const QVariant &titleId);
