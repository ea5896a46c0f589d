#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QPointer>
#include <QTableView>
#include <functional>

#include "components/DataSet.h"
#include "components/DataSource.h"

class DataSetModel;
class QAction;

// Controls bound to a field of a data source's current row. They show the
// row's value, and while the dataset is in edit or insert state they take
// typing and write it into the row (at the latest just before it is posted).
// Outside those states they are disabled and painted in the read-only colour;
// editable ones take the tool-tip background colour.

namespace DataAwareColors {
QColor editable();
QColor readOnly();
void apply(QWidget *control, bool editable);
} // namespace DataAwareColors

// The part every data-aware control shares.
class FieldLink : public QObject
{
    Q_OBJECT

public:
    FieldLink(QWidget *control, std::function<void()> load, std::function<bool()> flush);
    void bind(DataSource *source, const QString &field);
    DataSet *dataSet() const;
    DataSource *source() const { return m_source; }
    const QString &field() const { return m_field; }
    QVariant value() const;
    bool isEditing() const;
    // The window keeps the control usable whatever the dataset's state.
    void setAlwaysEnabled(bool on);
    // Writes what the control holds into the row; false with the dataset's
    // message when it cannot be stored.
    bool flush() { return m_flush(); }
    void refresh();
    bool isLoading() const { return m_loading; }

private:
    QWidget *m_control;
    QPointer<DataSource> m_source;
    QString m_field;
    std::function<void()> m_load;
    std::function<bool()> m_flush;
    bool m_alwaysEnabled = false;
    bool m_loading = false;
    QMetaObject::Connection m_beforePost;
};

class DBEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit DBEdit(QWidget *parent = nullptr);
    void setDataSource(DataSource *source, const QString &field) { m_link.bind(source, field); }
    FieldLink &link() { return m_link; }
private:
    FieldLink m_link;
};

class DBMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit DBMemo(QWidget *parent = nullptr);
    void setDataSource(DataSource *source, const QString &field) { m_link.bind(source, field); }
    FieldLink &link() { return m_link; }
protected:
    void focusOutEvent(QFocusEvent *e) override;
private:
    FieldLink m_link;
    bool m_dirty = false;
};

class DBCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    explicit DBCheckBox(const QString &text, QWidget *parent = nullptr);
    void setDataSource(DataSource *source, const QString &field) { m_link.bind(source, field); }
    // The values stored for ticked and clear (1 and 0 unless set).
    void setStoredValues(const QVariant &checked, const QVariant &unchecked);
    FieldLink &link() { return m_link; }
private:
    FieldLink m_link;
    QVariant m_checked = 1;
    QVariant m_unchecked = 0;
};

// A drop-down of fixed texts; the chosen text is stored.
class DBComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit DBComboBox(QWidget *parent = nullptr);
    void setDataSource(DataSource *source, const QString &field) { m_link.bind(source, field); }
    FieldLink &link() { return m_link; }
private:
    FieldLink m_link;
};

// Shows one column of a second dataset (the list) and stores the chosen row's
// key. The list's current row follows the choice: an entry chosen by the
// clerk (popup, arrow keys, typed letters) becomes the list's current row,
// and so does the entry of a key that reaches the field otherwise (another
// row shown, a value set by code), so code reading the list's current row
// sees what the control shows. The list is moved only while it is browsing
// (a row being typed into it is left alone), and only to a key it holds; a
// key it lacks leaves it where it is. The entries are the list's rows as far
// as they are read: a long list opens at once and the drop-down reads on as
// the clerk scrolls.
class DBLookupComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit DBLookupComboBox(QWidget *parent = nullptr);
    void setDataSource(DataSource *source, const QString &field) { m_link.bind(source, field); }
    void setListSource(DataSet *list, const QString &keyField, const QString &listField);
    void reloadList();
    FieldLink &link() { return m_link; }
private:
    void moveListTo(int index);
    int rowOfKey(const QVariant &key);
    int rowOfKeyAmongRead(const QVariant &key) const;
    void watchEntries(QAbstractItemModel *entries);
    bool m_entriesChanging = false;
    FieldLink m_link;
    QPointer<DataSet> m_list;
    QString m_keyField, m_listField;
};

// A whole number; an empty field shows the minimum (or its special text).
class DBSpinBox : public QSpinBox
{
    Q_OBJECT
public:
    explicit DBSpinBox(QWidget *parent = nullptr);
    void setDataSource(DataSource *source, const QString &field) { m_link.bind(source, field); }
    FieldLink &link() { return m_link; }
private:
    FieldLink m_link;
};

// A whole date; an empty field shows blank.
class DBDateEdit : public QDateEdit
{
    Q_OBJECT
public:
    explicit DBDateEdit(QWidget *parent = nullptr);
    void setDataSource(DataSource *source, const QString &field) { m_link.bind(source, field); }
    FieldLink &link() { return m_link; }
protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
private:
    FieldLink m_link;
};

// The field as shown, read-only.
class DBText : public QLabel
{
    Q_OBJECT
public:
    explicit DBText(QWidget *parent = nullptr);
    void setDataSource(DataSource *source, const QString &field) { m_link.bind(source, field); }
    FieldLink &link() { return m_link; }
private:
    FieldLink m_link;
};

// A JPEG picture kept in a Blob field. Bytes that are not a picture leave
// the picture shown before; an empty field clears it.
class DBImage : public QLabel
{
    Q_OBJECT
public:
    explicit DBImage(QWidget *parent = nullptr);
    void setDataSource(DataSource *source, const QString &field) { m_link.bind(source, field); }
    FieldLink &link() { return m_link; }
    bool hasPicture() const { return !m_picture.isNull(); }
    const QImage &picture() const { return m_picture; }
    // Shows bytes as a picture; false (and nothing changed) when they are not one.
    bool showBytes(const QByteArray &bytes);
    void clearPicture();
protected:
    void resizeEvent(QResizeEvent *e) override;
private:
    void paintPicture();
    FieldLink m_link;
    QImage m_picture;
};

// A grid over a dataset; its current row and the dataset's stay in step both
// ways. Rows are read as the grid scrolls. Its context menu offers "Export to
// CSV…" (GridExport); a window that gives the grid a menu of its own adds
// exportAction() to it.
class DBGrid : public QTableView
{
    Q_OBJECT
public:
    explicit DBGrid(QWidget *parent = nullptr);
    void setDataSource(DataSource *source, const QStringList &columns = {});
    DataSetModel *dataModel() const { return m_model; }
    DataSet *dataSet() const;
    QAction *exportAction() const { return m_exportAction; }
protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
private:
    void followDataSet();
    void fitCaptions();
    QPointer<DataSource> m_source;
    DataSetModel *m_model = nullptr;
    QAction *m_exportAction = nullptr;
    bool m_syncing = false;
};
