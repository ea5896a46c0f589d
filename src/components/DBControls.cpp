#include "components/DBControls.h"

#include "components/DataSet.h"
#include "components/DataSetModel.h"
#include "components/DataSource.h"
#include "components/Format.h"
#include "components/GridExport.h"
#include "db/Money.h"
#include "db/Schema.h"

#include <QAction>
#include <QBuffer>
#include <QCalendarWidget>
#include <QHeaderView>
#include <QImageReader>
#include <QStandardItemModel>
#include <QToolTip>

namespace DataAwareColors {

QColor editable()
{
    return QToolTip::palette().color(QPalette::ToolTipBase);
}

QColor readOnly()
{
    return QPalette().color(QPalette::Button);
}

void apply(QWidget *control, bool isEditable)
{
    QPalette p = control->palette();
    const QColor c = isEditable ? editable() : readOnly();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Base, c);
    control->setPalette(p);
}

} // namespace DataAwareColors

// ---------------------------------------------------------------- FieldLink

FieldLink::FieldLink(QWidget *control, std::function<void()> load, std::function<bool()> flush)
    : QObject(control), m_control(control), m_load(std::move(load)), m_flush(std::move(flush))
{
}

void FieldLink::bind(DataSource *source, const QString &field)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    if (m_beforePost)
        disconnect(m_beforePost);
    m_source = source;
    m_field = field;
    if (m_source) {
        connect(m_source, &DataSource::dataChanged, this, &FieldLink::refresh);
        connect(m_source, &DataSource::stateChanged, this, &FieldLink::refresh);
        if (DataSet *ds = m_source->dataSet()) {
            m_beforePost = connect(ds, &DataSet::beforePost, this, [this](DataSet *d) {
                if (!m_flush())
                    d->vetoPost(d->lastError());
            });
        }
    }
    refresh();
}

DataSet *FieldLink::dataSet() const
{
    return m_source ? m_source->dataSet() : nullptr;
}

QVariant FieldLink::value() const
{
    DataSet *ds = dataSet();
    return ds ? ds->value(m_field) : QVariant();
}

bool FieldLink::isEditing() const
{
    return m_source && m_source->isEditing();
}

void FieldLink::setAlwaysEnabled(bool on)
{
    m_alwaysEnabled = on;
    refresh();
}

void FieldLink::refresh()
{
    const bool editable = m_alwaysEnabled || isEditing();
    m_control->setEnabled(editable);
    DataAwareColors::apply(m_control, editable);
    m_loading = true;
    m_load();
    m_loading = false;
}

// ------------------------------------------------------------------- DBEdit

namespace {

// While editing, amounts show every decimal they have and no grouping, so
// that saving an untouched edit never rounds what was stored.
QString editText(DataSet *ds, const QString &field)
{
    const QVariant v = ds->value(field);
    if (v.metaType() == QMetaType::fromType<Money>())
        return Format::number(v.value<Money>(), QStringLiteral("0.####"));
    if (v.metaType().id() == QMetaType::Double)
        return Format::number(v.toDouble(), QStringLiteral("0.####"));
    return ds->displayText(field);
}

} // namespace

DBEdit::DBEdit(QWidget *parent)
    : QLineEdit(parent),
      m_link(this,
             [this] {
                 DataSet *ds = m_link.dataSet();
                 if (!ds || !ds->isOpen() || ds->fieldIndex(m_link.field()) < 0) {
                     clear();
                     return;
                 }
                 // Another field of the row changed (the window filled it): what
                 // the clerk has typed here and not yet written must stay.
                 if (m_link.isEditing() && isModified())
                     return;
                 setText(m_link.isEditing() ? editText(ds, m_link.field()) : ds->displayText(m_link.field()));
                 setModified(false);
                 setCursorPosition(0);
                 const int c = ds->fieldIndex(m_link.field());
                 if (const ColumnDef *def = Schema::column(ds->tableName(), ds->fieldName(c));
                     def && def->type == ColumnType::Text)
                     setMaxLength(def->size);
             },
             [this] {
                 DataSet *ds = m_link.dataSet();
                 if (!ds || !m_link.isEditing() || !isModified())
                     return true;
                 if (!ds->setText(m_link.field(), text()))
                     return false;
                 setModified(false);
                 return true;
             })
{
    connect(this, &QLineEdit::editingFinished, this, [this] { m_link.flush(); });
}

// ------------------------------------------------------------------- DBMemo

DBMemo::DBMemo(QWidget *parent)
    : QPlainTextEdit(parent),
      m_link(this,
             [this] {
                 DataSet *ds = m_link.dataSet();
                 if (m_link.isEditing() && m_dirty)
                     return; // typing not yet written stays, as in DBEdit
                 setPlainText(ds && ds->isOpen() ? ds->value(m_link.field()).toString() : QString());
                 m_dirty = false;
             },
             [this] {
                 DataSet *ds = m_link.dataSet();
                 if (!ds || !m_link.isEditing() || !m_dirty)
                     return true;
                 if (!ds->setValue(m_link.field(), toPlainText()))
                     return false;
                 m_dirty = false;
                 return true;
             })
{
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_link.isLoading())
            m_dirty = true;
    });
}

void DBMemo::focusOutEvent(QFocusEvent *e)
{
    m_link.flush();
    QPlainTextEdit::focusOutEvent(e);
}

// --------------------------------------------------------------- DBCheckBox

DBCheckBox::DBCheckBox(const QString &text, QWidget *parent)
    : QCheckBox(text, parent),
      m_link(this,
             [this] {
                 DataSet *ds = m_link.dataSet();
                 const QVariant v = ds && ds->isOpen() ? ds->value(m_link.field()) : QVariant();
                 setChecked(!v.isNull() && v.toString() == m_checked.toString());
             },
             [] { return true; })
{
    connect(this, &QCheckBox::toggled, this, [this](bool on) {
        if (m_link.isLoading() || !m_link.isEditing())
            return;
        m_link.dataSet()->setValue(m_link.field(), on ? m_checked : m_unchecked);
    });
}

void DBCheckBox::setStoredValues(const QVariant &checked, const QVariant &unchecked)
{
    m_checked = checked;
    m_unchecked = unchecked;
    m_link.refresh();
}

// --------------------------------------------------------------- DBComboBox

DBComboBox::DBComboBox(QWidget *parent)
    : QComboBox(parent),
      m_link(this,
             [this] {
                 DataSet *ds = m_link.dataSet();
                 const QString v = ds && ds->isOpen() ? ds->value(m_link.field()).toString() : QString();
                 const int i = findText(v);
                 if (isEditable())
                     setEditText(v);
                 setCurrentIndex(i);
                 if (isEditable() && i < 0)
                     setEditText(v);
             },
             [this] {
                 DataSet *ds = m_link.dataSet();
                 if (!ds || !m_link.isEditing())
                     return true;
                 const QString now = currentText();
                 if (ds->value(m_link.field()).toString() == now)
                     return true;
                 return ds->setValue(m_link.field(), now.isEmpty() ? QVariant() : QVariant(now));
             })
{
    connect(this, &QComboBox::currentTextChanged, this, [this] {
        if (!m_link.isLoading())
            m_link.flush();
    });
}

// ---------------------------------------------------------------- DBSpinBox

DBSpinBox::DBSpinBox(QWidget *parent)
    : QSpinBox(parent),
      m_link(this,
             [this] {
                 DataSet *ds = m_link.dataSet();
                 const QVariant v = ds && ds->isOpen() ? ds->value(m_link.field()) : QVariant();
                 setValue(v.isNull() ? minimum() : v.toInt());
             },
             [this] {
                 DataSet *ds = m_link.dataSet();
                 if (!ds || !m_link.isEditing())
                     return true;
                 // Digits typed and not yet taken (Save pressed straight away).
                 interpretText();
                 const QVariant stored = ds->value(m_link.field());
                 if (!stored.isNull() && stored.toInt() == value())
                     return true;
                 return ds->setValue(m_link.field(), value());
             })
{
    // The row takes the number when the clerk is done with it, not at every digit.
    setKeyboardTracking(false);
    connect(this, &QSpinBox::valueChanged, this, [this] {
        if (!m_link.isLoading())
            m_link.flush();
    });
}

// --------------------------------------------------------- DBLookupComboBox

namespace {

// The entries of a lookup: the list dataset's rows as they are read, the
// name shown and the key as the entry's data. Nothing is read ahead: a list
// of fifty thousand titles opens with its first rows, and the drop-down reads
// more as the clerk scrolls down.
class LookupModel : public DataSetModel
{
public:
    LookupModel(DataSet *list, const QString &listField, const QString &keyField, QObject *parent)
        : DataSetModel(list, parent), m_keyField(keyField)
    {
        setColumns({listField});
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::UserRole)
            return DataSetModel::data(index, role);
        DataSet *ds = dataSet();
        const int k = ds ? ds->fieldIndex(m_keyField) : -1;
        if (!index.isValid() || k < 0 || index.row() >= ds->fetchedCount())
            return QVariant();
        return ds->valueAt(index.row(), k);
    }

private:
    QString m_keyField;
};

} // namespace

DBLookupComboBox::DBLookupComboBox(QWidget *parent)
    : QComboBox(parent),
      m_link(this,
             [this] {
                 DataSet *ds = m_link.dataSet();
                 const QVariant key = ds && ds->isOpen() ? ds->value(m_link.field()) : QVariant();
                 setCurrentIndex(rowOfKey(key));
             },
             [this] {
                 DataSet *ds = m_link.dataSet();
                 if (!ds || !m_link.isEditing() || currentIndex() < 0)
                     return true;
                 const QVariant key = currentData();
                 if (ds->value(m_link.field()).toString() == key.toString())
                     return true;
                 return ds->setValue(m_link.field(), key);
             })
{
    // Measuring every entry of a long list would read all of it.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(12);
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_link.isLoading() && !m_entriesChanging)
            m_link.flush();
    });
    // Emitted for the clerk's choices only (popup, arrow keys, typed letters).
    connect(this, &QComboBox::activated, this, &DBLookupComboBox::moveListTo);
}

void DBLookupComboBox::watchEntries(QAbstractItemModel *entries)
{
    // When the list reopens or reads on, the combo box picks an entry of its
    // own (the first); that is no choice of the clerk's and must not reach
    // the field. Afterwards the entry of the field's key is shown again.
    const auto begin = [this] { m_entriesChanging = true; };
    const auto end = [this] {
        m_entriesChanging = false;
        DataSet *ds = m_link.dataSet();
        const QVariant key = ds && ds->isOpen() ? ds->value(m_link.field()) : QVariant();
        const int row = rowOfKeyAmongRead(key);
        if (row != currentIndex()) {
            QSignalBlocker block(this);
            setCurrentIndex(row);
        }
    };
    connect(entries, &QAbstractItemModel::modelAboutToBeReset, this, begin);
    connect(entries, &QAbstractItemModel::modelReset, this, end);
    connect(entries, &QAbstractItemModel::rowsAboutToBeInserted, this, begin);
    connect(entries, &QAbstractItemModel::rowsInserted, this, end);
    connect(entries, &QAbstractItemModel::rowsAboutToBeRemoved, this, begin);
    connect(entries, &QAbstractItemModel::rowsRemoved, this, end);
}

int DBLookupComboBox::rowOfKeyAmongRead(const QVariant &key) const
{
    if (key.isNull() || !m_list || !m_list->isOpen())
        return -1;
    const int k = m_list->fieldIndex(m_keyField);
    if (k < 0)
        return -1;
    const QString wanted = key.toString();
    if (m_list->recNo() >= 0 && m_list->recNo() < m_list->fetchedCount() && m_list->value(k).toString() == wanted)
        return m_list->recNo();
    for (int r = 0; r < m_list->fetchedCount(); ++r) {
        if (m_list->valueAt(r, k).toString() == wanted)
            return r;
    }
    return -1;
}

int DBLookupComboBox::rowOfKey(const QVariant &key)
{
    if (key.isNull() || !m_list || !m_list->isOpen())
        return -1;
    const int k = m_list->fieldIndex(m_keyField);
    if (k < 0)
        return -1;
    const QString wanted = key.toString();
    // The list follows the entry shown: it stands on the key's row, found
    // where it is (usually it is the current row already, as the clerk chose
    // it there), read further only when the key lies beyond what is read.
    if (m_list->recNo() >= 0 && m_list->valueAt(m_list->recNo(), k).toString() == wanted)
        return m_list->recNo();
    if (m_list->state() == DataSet::State::Browse) {
        if (m_list->locate(m_keyField, key))
            return m_list->recNo();
        return -1;
    }
    for (int r = 0; r < m_list->fetchedCount(); ++r) {
        if (m_list->valueAt(r, k).toString() == wanted)
            return r;
    }
    return -1;
}

void DBLookupComboBox::moveListTo(int index)
{
    if (!m_list || !m_list->isOpen() || m_list->state() != DataSet::State::Browse || index < 0
        || index >= m_list->fetchedCount())
        return;
    // The entries are the list's rows, in the list's order.
    if (m_list->recNo() != index)
        m_list->moveTo(index);
}

void DBLookupComboBox::setListSource(DataSet *list, const QString &keyField, const QString &listField)
{
    if (m_list)
        disconnect(m_list, nullptr, this, nullptr);
    m_list = list;
    m_keyField = keyField;
    m_listField = listField;
    // The combo box frees a model of its own when given another.
    if (m_list) {
        auto *entries = new LookupModel(m_list, listField, keyField, this);
        setModel(entries);
        setModelColumn(0);
        watchEntries(entries);
        connect(m_list, &DataSet::afterOpen, this, &DBLookupComboBox::reloadList);
        connect(m_list, &DataSet::afterPost, this, &DBLookupComboBox::reloadList);
        connect(m_list, &DataSet::afterDelete, this, &DBLookupComboBox::reloadList);
    } else {
        setModel(new QStandardItemModel(this));
    }
    reloadList();
}

void DBLookupComboBox::reloadList()
{
    // The entries follow the list by themselves; the entry shown is the
    // bound field's key, found again in the list as it is now.
    QSignalBlocker block(this);
    m_link.refresh();
}

// --------------------------------------------------------------- DBDateEdit

DBDateEdit::DBDateEdit(QWidget *parent)
    : QDateEdit(parent),
      m_link(this,
             [this] {
                 DataSet *ds = m_link.dataSet();
                 const QVariant v = ds && ds->isOpen() ? ds->value(m_link.field()) : QVariant();
                 setDate(v.isNull() ? minimumDate() : v.toDateTime().date());
             },
             [this] {
                 DataSet *ds = m_link.dataSet();
                 if (!ds || !m_link.isEditing())
                     return true;
                 const QVariant now = date() == minimumDate() ? QVariant() : QVariant(QDateTime(date(), QTime(0, 0)));
                 const QVariant was = ds->value(m_link.field());
                 if (was.isNull() == now.isNull() && (now.isNull() || was.toDateTime().date() == date()))
                     return true;
                 return ds->setValue(m_link.field(), now);
             })
{
    setCalendarPopup(true);
    setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    setMinimumDate(QDate(1900, 1, 1));
    setSpecialValueText(QStringLiteral(" ")); // the minimum date stands for "no date"
    connect(this, &QDateEdit::dateChanged, this, [this] {
        if (!m_link.isLoading())
            m_link.flush();
    });
    calendarWidget()->installEventFilter(this);
}

bool DBDateEdit::eventFilter(QObject *watched, QEvent *event)
{
    // An empty date opens its calendar on this month, not on the 1900 that
    // stands for "no date"; nothing is chosen until the clerk clicks a day.
    if (watched == calendarWidget() && event->type() == QEvent::Show && date() == minimumDate()) {
        const QDate today = QDate::currentDate();
        calendarWidget()->setCurrentPage(today.year(), today.month());
    }
    return QDateEdit::eventFilter(watched, event);
}

// ------------------------------------------------------------------- DBText

DBText::DBText(QWidget *parent)
    : QLabel(parent),
      m_link(this,
             [this] {
                 DataSet *ds = m_link.dataSet();
                 setText(ds && ds->isOpen() ? ds->displayText(m_link.field()) : QString());
                 // The caption is the accessible name; the value is read out
                 // as the description, so a screen reader hears both.
                 setAccessibleDescription(text());
             },
             [] { return true; })
{
}

// ------------------------------------------------------------------ DBImage

DBImage::DBImage(QWidget *parent)
    : QLabel(parent),
      m_link(this,
             [this] {
                 DataSet *ds = m_link.dataSet();
                 const QVariant v = ds && ds->isOpen() ? ds->value(m_link.field()) : QVariant();
                 const QByteArray bytes = v.toByteArray();
                 if (bytes.isEmpty())
                     clearPicture();
                 else
                     showBytes(bytes);
             },
             [] { return true; })
{
    setAlignment(Qt::AlignCenter);
    setMinimumSize(32, 32);
}

bool DBImage::showBytes(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    QImage img = reader.read();
    if (img.isNull())
        return false;
    m_picture = img;
    paintPicture();
    return true;
}

void DBImage::clearPicture()
{
    m_picture = QImage();
    clear();
}

void DBImage::resizeEvent(QResizeEvent *e)
{
    QLabel::resizeEvent(e);
    paintPicture();
}

void DBImage::paintPicture()
{
    if (m_picture.isNull())
        return;
    setPixmap(QPixmap::fromImage(m_picture.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

// ------------------------------------------------------------------- DBGrid

DBGrid::DBGrid(QWidget *parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumWidth(12);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_exportAction = new QAction(QStringLiteral("Export to CSV…"), this);
    m_exportAction->setObjectName(QStringLiteral("actExportCsv"));
    m_exportAction->setEnabled(false);
    connect(m_exportAction, &QAction::triggered, this, [this] { GridExport::exportToCsv(this); });
    addAction(m_exportAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

DataSet *DBGrid::dataSet() const
{
    return m_source ? m_source->dataSet() : nullptr;
}

void DBGrid::setDataSource(DataSource *source, const QStringList &columns)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    auto *old = m_model;
    m_model = source ? new DataSetModel(source->dataSet(), this) : nullptr;
    if (m_model && !columns.isEmpty())
        m_model->setColumns(columns);
    if (m_model) {
        // A row leaving the list (a new row cancelled) moves the view's
        // current row; that is no move of the clerk's and must not post the
        // row being cancelled. Connected before the view's own handlers.
        connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { m_syncing = true; });
        connect(m_model, &QAbstractItemModel::rowsRemoved, this, [this] {
            m_syncing = false;
            followDataSet();
        });
    }
    setModel(m_model);
    delete old;
    if (m_source) {
        connect(m_source, &DataSource::dataChanged, this, &DBGrid::followDataSet);
        connect(m_model, &QAbstractItemModel::modelReset, this, &DBGrid::followDataSet);
        connect(m_model, &QAbstractItemModel::modelReset, this, &DBGrid::fitCaptions);
    }
    fitCaptions();
    followDataSet();
}

void DBGrid::followDataSet()
{
    DataSet *ds = dataSet();
    m_exportAction->setEnabled(ds && ds->isOpen());
    if (!ds || !m_model || m_syncing)
        return;
    const int row = ds->recNo();
    if (row < 0 || row >= m_model->rowCount())
        return;
    const int col = std::max(0, currentIndex().column());
    if (currentIndex().row() == row)
        return;
    m_syncing = true;
    setCurrentIndex(m_model->index(row, col));
    m_syncing = false;
}

void DBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    DataSet *ds = dataSet();
    if (m_syncing || !ds || !current.isValid() || current.row() == ds->recNo())
        return;
    m_syncing = true;
    const bool moved = ds->moveTo(current.row());
    m_syncing = false;
    if (!moved)
        followDataSet(); // the row being edited could not be saved: stay on it
}

void DBGrid::fitCaptions()
{
    // A column starts at least as wide as its caption: every title readable.
    QHeaderView *header = horizontalHeader();
    for (int i = 0; i < header->count(); ++i) {
        const int wanted = header->sectionSizeHint(i);
        if (header->sectionSize(i) < wanted)
            header->resizeSection(i, wanted);
    }
}
