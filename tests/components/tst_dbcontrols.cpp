// The controls the windows are built from, driven the way the clerk drives
// them (typing, ticking, choosing, clicking a grid row) on a small form over
// a real database, and judged by what ends up in the tables and on screen.
#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/DataSetModel.h"
#include "components/DataSource.h"
#include "components/GridColumns.h"
#include "db/Money.h"
#include "db/Database.h"
#include "db/SqlDialect.h"
#include "support/ScriptedPrompts.h"
#include "support/TestSupport.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QBuffer>
#include <QCalendarWidget>
#include <QHeaderView>
#include <QImage>
#include <QImageWriter>
#include <QSqlError>
#include <QSqlQuery>
#include <QStyledItemDelegate>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

using namespace TestSupport;

namespace {

QSqlDatabase db()
{
    return Database::connection();
}

// The first column of the first row, read back as the program's type.
QVariant stored(const QString &sql)
{
    QSqlQuery q(db());
    if (!q.exec(sql) || !q.next()) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return QVariant();
    }
    const auto types = SqlDialect::of(db()).resultTypes(q);
    return types.at(0) ? SqlDialect::of(db()).fromDb(q.value(0), *types.at(0)) : q.value(0);
}

// The stored text as it sits in the file (dates keep their canonical form).
QString storedRaw(const QString &sql)
{
    QSqlQuery q(db());
    if (!q.exec(sql) || !q.next())
        return QStringLiteral("<no row>");
    return q.value(0).isNull() ? QStringLiteral("<null>") : q.value(0).toString();
}

// One comparable text per kind of stored value.
QString asText(const QVariant &v)
{
    if (v.isNull())
        return QStringLiteral("<null>");
    if (v.metaType() == QMetaType::fromType<Money>())
        return v.value<Money>().toDecimalString();
    if (v.metaType().id() == QMetaType::QDateTime)
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return v.toString();
}

Money money(const char *text)
{
    return *Money::fromDecimalString(QString::fromLatin1(text));
}

// Types like a keyboard would: QTest::keyClicks only knows ASCII, so other
// letters arrive as key events carrying their text.
void typeText(QWidget *w, const QString &text)
{
    for (const QChar c : text) {
        if (c == u'\n')
            QTest::keyClick(w, Qt::Key_Return);
        else if (c.unicode() < 0x80)
            QTest::keyClick(w, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void replaceText(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    typeText(edit, text);
}

QByteArray jpeg(const QColor &color)
{
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "JPG");
    return bytes;
}

// The colour in the middle of a picture, a JPEG being only roughly exact.
bool looksLike(const QImage &img, const QColor &color)
{
    const QColor c = img.pixelColor(img.width() / 2, img.height() / 2);
    return qAbs(c.red() - color.red()) < 40 && qAbs(c.green() - color.green()) < 40 && qAbs(c.blue() - color.blue()) < 40;
}

// What a grid's delegate makes of an item before drawing it.
struct AlignmentProbe : QStyledItemDelegate
{
    Qt::Alignment alignment(const QModelIndex &index) const
    {
        QStyleOptionViewItem option;
        initStyleOption(&option, index);
        return option.displayAlignment;
    }
};

// A form shown off-screen, as the windows are.
struct Form
{
    QWidget widget;
    QVBoxLayout *layout = new QVBoxLayout(&widget);
    template <typename W> W *add(W *w)
    {
        layout->addWidget(w);
        return w;
    }
    bool show()
    {
        widget.resize(640, 420);
        widget.show();
        widget.activateWindow();
        // Active, so that moving the focus finishes an edit as it does for the clerk.
        return QTest::qWaitForWindowExposed(&widget) && QTest::qWaitForWindowActive(&widget);
    }
};

} // namespace

class TestDBControls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void editStoresTypedText_data();
    void editStoresTypedText();
    void untouchedAmountKeepsEveryDecimal_data();
    void untouchedAmountKeepsEveryDecimal();
    void typingSurvivesValuesSetBeforePost_data();
    void typingSurvivesValuesSetBeforePost();
    void enabledOnlyWhileEditing_data();
    void enabledOnlyWhileEditing();
    void controlsFollowCurrentRow_data();
    void controlsFollowCurrentRow();
    void cancelRestoresShownValues();
    void checkBoxStoresItsValues_data();
    void checkBoxStoresItsValues();
    void checkBoxShowsStoredValue_data();
    void checkBoxShowsStoredValue();
    void comboBoxStoresChosenText();
    void lookupStoresKeyOfChosenName_data();
    void lookupStoresKeyOfChosenName();
    void lookupMovesItsListToTheEntryShown_data();
    void lookupMovesItsListToTheEntryShown();
    void dateEditStoresWholeDates();
    void emptyDateOpensCalendarOnToday();
    void screenReadersHearTitlesAndValues();
    void memoStoresTurkishLines();
    void imageShowsJpegFromBlob();

    void gridModelStaysConsistent();
    void gridReadsRowsAsItScrolls();
    void gridAndDataSetMoveTogether_data();
    void gridAndDataSetMoveTogether();
    void gridStaysOnRowThatCannotBeSaved();
    void gridKeepsRowsShownWhileInserting_data();
    void gridKeepsRowsShownWhileInserting();
    void gridShowsCaptionsAndFormats();

private:
    void addCustomer(const QString &name, const QVariantList &more = {});
    void fillCatalogue(int rows);

    std::unique_ptr<TestDatabase> m_db;
    ScriptedPrompts *m_prompts = nullptr; // owned by the prompt service
};

void TestDBControls::initTestCase()
{
    m_prompts = ScriptedPrompts::install();
    m_db = std::make_unique<TestDatabase>();
    QVERIFY(m_db->open());
    // The editable colour must be told apart from the read-only one, or the
    // colour checks below prove nothing.
    QVERIFY(DataAwareColors::editable() != DataAwareColors::readOnly());
}

void TestDBControls::cleanupTestCase()
{
    Database::close(Database::ConnectionName);
    m_db.reset();
}

void TestDBControls::init()
{
    for (const char *t : {"Musteri", "CD", "Hareket", "FilmTur"})
        QVERIFY(Sql::exec(QStringLiteral("DELETE FROM %1").arg(QLatin1StringView(t))));
}

// A customer with AdSoyad, then optionally MusteriNo and Depozito.
void TestDBControls::addCustomer(const QString &name, const QVariantList &more)
{
    QVariantList values{name};
    values << (more.size() > 0 ? more[0] : QVariant()) << (more.size() > 1 ? more[1] : QVariant());
    QVERIFY(Sql::exec(QStringLiteral("INSERT INTO Musteri (AdSoyad, MusteriNo, Depozito) VALUES (?, ?, ?)"), values));
}

// Titles numbered 1..rows: "Film 0001", price number * 1,25, three genres in turn.
void TestDBControls::fillCatalogue(int rows)
{
    static const QStringList genres{QStringLiteral("Dram"), QStringLiteral("Komedi"), QStringLiteral("Aksiyon")};
    QVERIFY(db().transaction());
    QSqlQuery q(db());
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO CD (CDNo, FilmAdi, KonuTur, SatisFiyat) VALUES (?, ?, ?, ?)")));
    for (int i = 1; i <= rows; ++i) {
        const SqlDialect &d = SqlDialect::of(db());
        d.bind(q, 0, i);
        d.bind(q, 1, QStringLiteral("Film %1").arg(i, 4, 10, QLatin1Char('0')));
        d.bind(q, 2, genres[i % 3]);
        d.bind(q, 3, QVariant::fromValue(Money::fromRaw(qint64(i) * 12500)));
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
    QVERIFY(db().commit());
}

// ------------------------------------------------------------------ DBEdit

void TestDBControls::editStoresTypedText_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QString>("expected"); // stored value, or the message when refused
    QTest::addColumn<QString>("shown");    // what the edit shows after posting

    QTest::newRow("name") << "AdSoyad" << "Ali Veli" << true << "Ali Veli" << "Ali Veli";
    QTest::newRow("name with Turkish letters") << "AdSoyad" << "Şükrü Öğüt İnce" << true << "Şükrü Öğüt İnce"
                                               << "Şükrü Öğüt İnce";
    QTest::newRow("name cut at the column's width")
        << "AdSoyad" << QString(60, u'x') << true << QString(50, u'x') << QString(50, u'x');
    QTest::newRow("grouped amount") << "Depozito" << "1.234,5" << true << "1234.5000" << "1.234,5";
    QTest::newRow("amount with four decimals") << "Depozito" << "0,0001" << true << "0.0001" << "0,0001";
    QTest::newRow("negative amount") << "Depozito" << "-12,75" << true << "-12.7500" << "-12,75";
    QTest::newRow("whole number") << "MusteriNo" << "42" << true << "42" << "42";
    QTest::newRow("date") << "UyelikBasTarih" << "05.03.2007" << true << "2007-03-05 00:00:00" << "05.03.2007";
    QTest::newRow("amount with letters") << "Depozito" << "12TL" << false << "'12TL' is not a valid number." << "";
    QTest::newRow("amount badly grouped") << "Depozito" << "1.23,5" << false << "'1.23,5' is not a valid number." << "";
    QTest::newRow("number with letters") << "MusteriNo" << "4a" << false << "'4a' is not a valid integer value." << "";
    QTest::newRow("date that is no date") << "UyelikBasTarih" << "31.02.2007" << false
                                          << "'31.02.2007' is not a valid date." << "";
}

void TestDBControls::editStoresTypedText()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(bool, saved);
    QFETCH(QString, expected);
    QFETCH(QString, shown);

    DataSet ds(QStringLiteral("qMusteri"));
    ds.setSql(QStringLiteral("Select * from Musteri order by ID"));
    DataSource src(QStringLiteral("dsMusteri"), &ds);
    Form form;
    auto *name = form.add(new DBEdit);
    name->setDataSource(&src, QStringLiteral("AdSoyad"));
    auto *edit = field.compare(QLatin1String("AdSoyad")) == 0 ? name : form.add(new DBEdit);
    edit->setDataSource(&src, field);
    QVERIFY(form.show());
    QVERIFY(ds.open());

    QVERIFY(ds.insert());
    if (edit != name) {
        name->setFocus();
        typeText(name, QStringLiteral("Müşteri"));
    }
    edit->setFocus();
    typeText(edit, typed);

    QCOMPARE(ds.post(), saved);
    if (!saved) {
        QCOMPARE(ds.lastError(), expected);
        QCOMPARE(ds.state(), DataSet::State::Insert); // the clerk may correct the text
        QCOMPARE(edit->text(), typed);                // and it is still there to correct
        QCOMPARE(Sql::count(QStringLiteral("Musteri")), 0);
        return;
    }
    QCOMPARE(Sql::count(QStringLiteral("Musteri")), 1);
    QCOMPARE(asText(stored(QStringLiteral("SELECT %1 FROM Musteri").arg(field))), expected);
    QCOMPARE(ds.state(), DataSet::State::Browse);
    QCOMPARE(edit->text(), shown);
    QVERIFY(!edit->isEnabled());
}

void TestDBControls::untouchedAmountKeepsEveryDecimal_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("browsing"); // the amount as shown outside editing
    QTest::newRow("default format") << "" << "12,3456";
    QTest::newRow("two decimals shown") << "#,###0.00" << "12,35";
}

void TestDBControls::untouchedAmountKeepsEveryDecimal()
{
    QFETCH(QString, format);
    QFETCH(QString, browsing);
    addCustomer(QStringLiteral("Ali"), {7, QVariant::fromValue(money("12.3456"))});

    DataSet ds(QStringLiteral("qMusteri"));
    ds.setSql(QStringLiteral("Select * from Musteri"));
    if (!format.isEmpty())
        ds.setDisplayFormat(QStringLiteral("Depozito"), format);
    DataSource src(QStringLiteral("dsMusteri"), &ds);
    Form form;
    auto *name = form.add(new DBEdit);
    name->setDataSource(&src, QStringLiteral("AdSoyad"));
    auto *amount = form.add(new DBEdit);
    amount->setDataSource(&src, QStringLiteral("Depozito"));
    QVERIFY(form.show());
    QVERIFY(ds.open());
    QCOMPARE(amount->text(), browsing);

    QVERIFY(ds.edit());
    QCOMPARE(amount->text(), QStringLiteral("12,3456"));
    // The clerk passes through the amount without changing it, then renames.
    amount->setFocus();
    QTest::keyClick(amount, Qt::Key_End);
    QTest::keyClick(amount, Qt::Key_Return);
    replaceText(name, QStringLiteral("Ali Veli"));
    QTest::keyClick(name, Qt::Key_Return);
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));

    QCOMPARE(stored(QStringLiteral("SELECT Depozito FROM Musteri")).value<Money>(), money("12.3456"));
    QCOMPARE(stored(QStringLiteral("SELECT AdSoyad FROM Musteri")).toString(), QStringLiteral("Ali Veli"));
    QCOMPARE(amount->text(), browsing);
}

// The window may fill a field itself (a number, today's date) just before it
// posts, while the clerk's typing is still in a control that has focus.
void TestDBControls::typingSurvivesValuesSetBeforePost_data()
{
    QTest::addColumn<bool>("memo");
    QTest::newRow("line edit") << false;
    QTest::newRow("memo") << true;
}

void TestDBControls::typingSurvivesValuesSetBeforePost()
{
    QFETCH(bool, memo);
    DataSet ds(QStringLiteral("qMusteri"));
    ds.setSql(QStringLiteral("Select * from Musteri"));
    DataSource src(QStringLiteral("dsMusteri"), &ds);
    Form form;
    QWidget *control;
    if (memo) {
        auto *m = form.add(new DBMemo);
        m->setDataSource(&src, QStringLiteral("Adres"));
        control = m;
    } else {
        auto *e = form.add(new DBEdit);
        e->setDataSource(&src, QStringLiteral("Adres"));
        control = e;
    }
    QVERIFY(form.show());
    QVERIFY(ds.open());
    QVERIFY(ds.insert());
    control->setFocus();
    typeText(control, QStringLiteral("Kadıköy"));

    QVERIFY(ds.setValue(QStringLiteral("MusteriNo"), 501));
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(stored(QStringLiteral("SELECT MusteriNo FROM Musteri")).toInt(), 501);
    QCOMPARE(storedRaw(QStringLiteral("SELECT Adres FROM Musteri")), QStringLiteral("Kadıköy"));
}

// ------------------------------------------------------ enabled and colours

void TestDBControls::enabledOnlyWhileEditing_data()
{
    QTest::addColumn<QString>("kind");
    for (const char *k : {"edit", "memo", "check", "combo", "lookup", "date"})
        QTest::newRow(k) << QString::fromLatin1(k);
}

void TestDBControls::enabledOnlyWhileEditing()
{
    QFETCH(QString, kind);
    addCustomer(QStringLiteral("Ali"), {1, QVariant::fromValue(money("5"))});
    DataSet ds(QStringLiteral("qMusteri"));
    ds.setSql(QStringLiteral("Select * from Musteri"));
    DataSource src(QStringLiteral("dsMusteri"), &ds);
    DataSet list(QStringLiteral("qListe"));
    list.setSql(QStringLiteral("Select MusteriNo, AdSoyad from Musteri"));
    Form form;
    QWidget *control = nullptr;
    FieldLink *link = nullptr;
    if (kind == QLatin1String("edit")) {
        auto *w = new DBEdit;
        w->setDataSource(&src, QStringLiteral("AdSoyad"));
        control = w, link = &w->link();
    } else if (kind == QLatin1String("memo")) {
        auto *w = new DBMemo;
        w->setDataSource(&src, QStringLiteral("Adres"));
        control = w, link = &w->link();
    } else if (kind == QLatin1String("check")) {
        auto *w = new DBCheckBox(QStringLiteral("Üye"));
        w->setDataSource(&src, QStringLiteral("UyelikDurum"));
        control = w, link = &w->link();
    } else if (kind == QLatin1String("combo")) {
        auto *w = new DBComboBox;
        w->addItems({QStringLiteral("A"), QStringLiteral("B")});
        w->setDataSource(&src, QStringLiteral("EMail"));
        control = w, link = &w->link();
    } else if (kind == QLatin1String("lookup")) {
        auto *w = new DBLookupComboBox;
        QVERIFY(list.open());
        w->setListSource(&list, QStringLiteral("MusteriNo"), QStringLiteral("AdSoyad"));
        w->setDataSource(&src, QStringLiteral("MusteriNo"));
        control = w, link = &w->link();
    } else {
        auto *w = new DBDateEdit;
        w->setDataSource(&src, QStringLiteral("UyelikBasTarih"));
        control = w, link = &w->link();
    }
    form.add(control);
    QVERIFY(form.show());

    auto base = [control] { return control->palette().color(QPalette::Active, QPalette::Base); };

    QVERIFY(!control->isEnabled()); // closed
    QVERIFY(ds.open());
    QVERIFY(!control->isEnabled());
    QCOMPARE(base(), DataAwareColors::readOnly());

    QVERIFY(ds.edit());
    QVERIFY(control->isEnabled());
    QCOMPARE(base(), DataAwareColors::editable());
    ds.cancel();
    QVERIFY(!control->isEnabled());
    QCOMPARE(base(), DataAwareColors::readOnly());

    QVERIFY(ds.insert());
    QVERIFY(control->isEnabled());
    QCOMPARE(base(), DataAwareColors::editable());
    ds.cancel();
    QVERIFY(!control->isEnabled());

    link->setAlwaysEnabled(true);
    QVERIFY(control->isEnabled());
    QCOMPARE(base(), DataAwareColors::editable());
    ds.close();
    QVERIFY(control->isEnabled());
    QVERIFY(ds.open());
    QVERIFY(control->isEnabled());
    link->setAlwaysEnabled(false);
    QVERIFY(!control->isEnabled());
    QCOMPARE(base(), DataAwareColors::readOnly());
}

// ------------------------------------------------------------- row movement

void TestDBControls::controlsFollowCurrentRow_data()
{
    QTest::addColumn<QString>("move");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("amount");
    QTest::newRow("opened") << "" << "Ali" << "10,00";
    QTest::newRow("next") << "next" << "Veli" << "1.234,50";
    QTest::newRow("last") << "last" << "Ayşe" << "";
    QTest::newRow("prior from last") << "last prior" << "Veli" << "1.234,50";
    QTest::newRow("locate") << "locate" << "Ayşe" << "";
    QTest::newRow("first after last") << "last first" << "Ali" << "10,00";
    QTest::newRow("next past the end") << "last next" << "Ayşe" << "";
}

void TestDBControls::controlsFollowCurrentRow()
{
    QFETCH(QString, move);
    QFETCH(QString, name);
    QFETCH(QString, amount);
    addCustomer(QStringLiteral("Ali"), {1, QVariant::fromValue(money("10"))});
    addCustomer(QStringLiteral("Veli"), {2, QVariant::fromValue(money("1234.5"))});
    addCustomer(QStringLiteral("Ayşe"), {3});

    DataSet ds(QStringLiteral("qMusteri"));
    ds.setSql(QStringLiteral("Select * from Musteri order by MusteriNo"));
    ds.setDisplayFormat(QStringLiteral("Depozito"), QStringLiteral("#,###0.00"));
    DataSource src(QStringLiteral("dsMusteri"), &ds);
    Form form;
    auto *edit = form.add(new DBEdit);
    edit->setDataSource(&src, QStringLiteral("AdSoyad"));
    auto *text = form.add(new DBText);
    text->setDataSource(&src, QStringLiteral("Depozito"));
    QVERIFY(form.show());
    QVERIFY(ds.open());

    for (const QString &step : move.split(u' ', Qt::SkipEmptyParts)) {
        if (step == QLatin1String("next"))
            ds.next();
        else if (step == QLatin1String("prior"))
            ds.prior();
        else if (step == QLatin1String("first"))
            ds.first();
        else if (step == QLatin1String("last"))
            ds.last();
        else if (step == QLatin1String("locate"))
            QVERIFY(ds.locate(QStringLiteral("AdSoyad"), QStringLiteral("ayşe"), DataSet::CaseInsensitive));
    }
    QCOMPARE(edit->text(), name);
    QCOMPARE(text->text(), amount);
}

void TestDBControls::cancelRestoresShownValues()
{
    addCustomer(QStringLiteral("Ali"), {1, QVariant::fromValue(money("10"))});
    DataSet ds(QStringLiteral("qMusteri"));
    ds.setSql(QStringLiteral("Select * from Musteri"));
    ds.setDisplayFormat(QStringLiteral("Depozito"), QStringLiteral("#,###0.00"));
    DataSource src(QStringLiteral("dsMusteri"), &ds);
    Form form;
    auto *edit = form.add(new DBEdit);
    edit->setDataSource(&src, QStringLiteral("AdSoyad"));
    auto *text = form.add(new DBText);
    text->setDataSource(&src, QStringLiteral("Depozito"));
    auto *check = form.add(new DBCheckBox(QStringLiteral("Üye")));
    check->setDataSource(&src, QStringLiteral("UyelikDurum"));
    QVERIFY(form.show());
    QVERIFY(ds.open());

    QVERIFY(ds.edit());
    QVERIFY(ds.setValue(QStringLiteral("Depozito"), QVariant::fromValue(money("99"))));
    QCOMPARE(text->text(), QStringLiteral("99,00"));
    check->click();
    QVERIFY(check->isChecked());
    replaceText(edit, QStringLiteral("Başkası"));
    QCOMPARE(edit->text(), QStringLiteral("Başkası"));

    ds.cancel();
    QCOMPARE(edit->text(), QStringLiteral("Ali"));
    QCOMPARE(text->text(), QStringLiteral("10,00"));
    QVERIFY(!check->isChecked());
    QCOMPARE(stored(QStringLiteral("SELECT AdSoyad FROM Musteri")).toString(), QStringLiteral("Ali"));
    QCOMPARE(stored(QStringLiteral("SELECT Depozito FROM Musteri")).value<Money>(), money("10"));
    QVERIFY(stored(QStringLiteral("SELECT UyelikDurum FROM Musteri")).isNull());

    // Nothing of the abandoned typing comes back with the next edit.
    QVERIFY(ds.edit());
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(stored(QStringLiteral("SELECT AdSoyad FROM Musteri")).toString(), QStringLiteral("Ali"));
}

// -------------------------------------------------------------- DBCheckBox

void TestDBControls::checkBoxStoresItsValues_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("ticked");   // stored values set on the box; none: 1/0
    QTest::addColumn<QVariant>("cleared");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("expected");
    QTest::newRow("default ticked") << "Musteri" << "UyelikDurum" << QVariant() << QVariant() << 1 << "1";
    QTest::newRow("default cleared again") << "Musteri" << "UyelikDurum" << QVariant() << QVariant() << 2 << "0";
    QTest::newRow("E/H ticked") << "CD" << "Dublaj" << QVariant("E") << QVariant("H") << 1 << "E";
    QTest::newRow("E/H cleared again") << "CD" << "Dublaj" << QVariant("E") << QVariant("H") << 2 << "H";
    QTest::newRow("E/H three clicks") << "CD" << "Dublaj" << QVariant("E") << QVariant("H") << 3 << "E";
}

void TestDBControls::checkBoxStoresItsValues()
{
    QFETCH(QString, table);
    QFETCH(QString, field);
    QFETCH(QVariant, ticked);
    QFETCH(QVariant, cleared);
    QFETCH(int, clicks);
    QFETCH(QString, expected);

    DataSet ds(QStringLiteral("qTablo"));
    ds.setSql(QStringLiteral("Select * from %1").arg(table));
    DataSource src(QStringLiteral("dsTablo"), &ds);
    Form form;
    auto *box = form.add(new DBCheckBox(QStringLiteral("Evet")));
    box->setDataSource(&src, field);
    if (ticked.isValid())
        box->setStoredValues(ticked, cleared);
    QVERIFY(form.show());
    QVERIFY(ds.open());
    QVERIFY(ds.insert());
    for (int i = 0; i < clicks; ++i)
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->style()->pixelMetric(QStyle::PM_IndicatorWidth) / 2, box->height() / 2));
    QCOMPARE(box->isChecked(), clicks % 2 == 1);
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));

    QCOMPARE(storedRaw(QStringLiteral("SELECT %1 FROM %2").arg(field, table)), expected);
    QCOMPARE(box->isChecked(), clicks % 2 == 1); // as read back from the table
    QVERIFY(ds.requery());
    QCOMPARE(box->isChecked(), clicks % 2 == 1);
}

void TestDBControls::checkBoxShowsStoredValue_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("ticked");
    QTest::addColumn<QVariant>("cleared");
    QTest::addColumn<QVariant>("storedValue");
    QTest::addColumn<bool>("shownTicked");
    QTest::newRow("1 with defaults") << "UyelikDurum" << QVariant() << QVariant() << QVariant(1) << true;
    QTest::newRow("0 with defaults") << "UyelikDurum" << QVariant() << QVariant() << QVariant(0) << false;
    QTest::newRow("empty with defaults") << "UyelikDurum" << QVariant() << QVariant() << QVariant() << false;
    QTest::newRow("E") << "EMail" << QVariant("E") << QVariant("H") << QVariant("E") << true;
    QTest::newRow("H") << "EMail" << QVariant("E") << QVariant("H") << QVariant("H") << false;
    QTest::newRow("empty with E/H") << "EMail" << QVariant("E") << QVariant("H") << QVariant() << false;
    QTest::newRow("1 with E/H") << "EMail" << QVariant("E") << QVariant("H") << QVariant("1") << false;
}

void TestDBControls::checkBoxShowsStoredValue()
{
    QFETCH(QString, field);
    QFETCH(QVariant, ticked);
    QFETCH(QVariant, cleared);
    QFETCH(QVariant, storedValue);
    QFETCH(bool, shownTicked);
    // A first row with the opposite value, so that the box must change on moving.
    QVERIFY(Sql::exec(QStringLiteral("INSERT INTO Musteri (MusteriNo, %1) VALUES (1, ?)").arg(field),
                      {shownTicked ? (ticked.isValid() ? cleared : QVariant(0)) : (ticked.isValid() ? ticked : QVariant(1))}));
    QVERIFY(Sql::exec(QStringLiteral("INSERT INTO Musteri (MusteriNo, %1) VALUES (2, ?)").arg(field), {storedValue}));

    DataSet ds(QStringLiteral("qMusteri"));
    ds.setSql(QStringLiteral("Select * from Musteri order by MusteriNo"));
    DataSource src(QStringLiteral("dsMusteri"), &ds);
    Form form;
    auto *box = form.add(new DBCheckBox(QStringLiteral("Evet")));
    if (ticked.isValid())
        box->setStoredValues(ticked, cleared);
    box->setDataSource(&src, field);
    QVERIFY(ds.open());
    QCOMPARE(box->isChecked(), !shownTicked);
    ds.next();
    QCOMPARE(box->isChecked(), shownTicked);
}

// -------------------------------------------------------------- DBComboBox

void TestDBControls::comboBoxStoresChosenText()
{
    QVERIFY(Sql::exec(QStringLiteral("INSERT INTO CD (CDNo, KonuTur) VALUES (1, 'Müzik')")));
    DataSet ds(QStringLiteral("qCD"));
    ds.setSql(QStringLiteral("Select * from CD order by CDNo"));
    DataSource src(QStringLiteral("dsCD"), &ds);
    Form form;
    auto *number = form.add(new DBEdit);
    number->setDataSource(&src, QStringLiteral("CDNo"));
    auto *combo = form.add(new DBComboBox);
    combo->addItems({QStringLiteral("Film"), QStringLiteral("Oyun"), QStringLiteral("Müzik")});
    combo->setDataSource(&src, QStringLiteral("KonuTur"));
    QVERIFY(form.show());
    QVERIFY(ds.open());
    QCOMPARE(combo->currentText(), QStringLiteral("Müzik"));

    QVERIFY(ds.append());
    QCOMPARE(combo->currentIndex(), -1); // a new row has no subject yet
    number->setFocus();
    typeText(number, QStringLiteral("2"));
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentText(), QStringLiteral("Oyun"));
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(storedRaw(QStringLiteral("SELECT KonuTur FROM CD WHERE CDNo = 2")), QStringLiteral("Oyun"));
    QCOMPARE(storedRaw(QStringLiteral("SELECT KonuTur FROM CD WHERE CDNo = 1")), QStringLiteral("Müzik"));

    ds.first();
    QCOMPARE(combo->currentText(), QStringLiteral("Müzik"));
    ds.next();
    QCOMPARE(combo->currentText(), QStringLiteral("Oyun"));

    // Changing the choice of a stored row, and leaving it alone.
    QVERIFY(ds.edit());
    QTest::keyClick(combo, Qt::Key_Up);
    QCOMPARE(combo->currentText(), QStringLiteral("Film"));
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(storedRaw(QStringLiteral("SELECT KonuTur FROM CD WHERE CDNo = 2")), QStringLiteral("Film"));
    ds.first();
    QVERIFY(ds.edit());
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(storedRaw(QStringLiteral("SELECT KonuTur FROM CD WHERE CDNo = 1")), QStringLiteral("Müzik"));
}

// -------------------------------------------------------- DBLookupComboBox

void TestDBControls::lookupStoresKeyOfChosenName_data()
{
    QTest::addColumn<QString>("listSql");
    QTest::addColumn<QString>("keyField");
    QTest::addColumn<QString>("listField");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("openListFirst");
    QTest::addColumn<QString>("search"); // typed into the closed drop-down
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("expected");

    const QString customers = QStringLiteral("Select MusteriNo, AdSoyad from Musteri order by AdSoyad");
    const QString genres = QStringLiteral("Select ID, FilmTur from FilmTur order by FilmTur");
    QTest::newRow("customer number by name") << customers << "MusteriNo" << "AdSoyad" << "Hareket" << "MusteriNo"
                                             << true << "V" << "Veli Can" << "102";
    QTest::newRow("list opened afterwards") << customers << "MusteriNo" << "AdSoyad" << "Hareket" << "MusteriNo"
                                            << false << "Z" << "Zeynep" << "103";
    QTest::newRow("genre name is its own key") << genres << "FilmTur" << "FilmTur" << "CD" << "KonuTur" << true
                                               << "K" << "Komedi" << "Komedi";
}

void TestDBControls::lookupStoresKeyOfChosenName()
{
    QFETCH(QString, listSql);
    QFETCH(QString, keyField);
    QFETCH(QString, listField);
    QFETCH(QString, table);
    QFETCH(QString, field);
    QFETCH(bool, openListFirst);
    QFETCH(QString, search);
    QFETCH(QString, shown);
    QFETCH(QString, expected);

    addCustomer(QStringLiteral("Zeynep"), {103});
    addCustomer(QStringLiteral("Ali"), {101});
    addCustomer(QStringLiteral("Veli Can"), {102});
    for (const char *g : {"Komedi", "Aksiyon", "Dram"})
        QVERIFY(Sql::exec(QStringLiteral("INSERT INTO FilmTur (FilmTur) VALUES (?)"), {QString::fromLatin1(g)}));

    DataSet list(QStringLiteral("qListe"));
    list.setSql(listSql);
    DataSet ds(QStringLiteral("qTablo"));
    ds.setSql(QStringLiteral("Select * from %1 order by ID").arg(table));
    DataSource src(QStringLiteral("dsTablo"), &ds);
    Form form;
    auto *combo = form.add(new DBLookupComboBox);
    if (openListFirst)
        QVERIFY(list.open());
    combo->setListSource(&list, keyField, listField);
    combo->setDataSource(&src, field);
    if (!openListFirst)
        QVERIFY(list.open());
    QCOMPARE(combo->count(), 3);
    QVERIFY(form.show());
    QVERIFY(ds.open());

    QVERIFY(ds.insert());
    QCOMPARE(combo->currentIndex(), -1);
    combo->setFocus();
    QTest::keyClicks(combo, search);
    QCOMPARE(combo->currentText(), shown);
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(storedRaw(QStringLiteral("SELECT %1 FROM %2").arg(field, table)), expected);
    QCOMPARE(combo->currentText(), shown);

    // A second row without a choice shows nothing; going back shows the name.
    QVERIFY(ds.append());
    QCOMPARE(combo->currentIndex(), -1);
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(combo->currentIndex(), -1);
    ds.first();
    QCOMPARE(combo->currentText(), shown);

    // A name added to the list while the window is open can be chosen at once.
    QVERIFY(list.append());
    QVERIFY(list.setValue(listField, QStringLiteral("Bora")));
    if (keyField != listField)
        QVERIFY(list.setValue(keyField, 104));
    QVERIFY2(list.post(), qPrintable(list.lastError()));
    QCOMPARE(combo->count(), 4);
    QVERIFY(combo->findText(QStringLiteral("Bora")) >= 0);
    QCOMPARE(combo->currentText(), shown); // the current row's choice is kept
}

// Pricing reads the current customer of the list: the list must stand on the
// entry the combo shows, however it came to show it.
void TestDBControls::lookupMovesItsListToTheEntryShown_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("shown");   // the combo's text afterwards
    QTest::addColumn<QString>("current"); // the list's current customer afterwards

    QTest::newRow("letters typed") << "type V" << "Veli Can" << "Veli Can";
    QTest::newRow("arrow keys") << "down down" << "Veli Can" << "Veli Can";
    QTest::newRow("chosen in the popup") << "popup" << "Zeynep" << "Zeynep";
    QTest::newRow("list sorted since filled") << "sort, type A" << "Ali" << "Ali";
    QTest::newRow("another row shown") << "next row" << "Ali" << "Ali";
    QTest::newRow("key set by code") << "set 102" << "Veli Can" << "Veli Can";
    QTest::newRow("key the list lacks") << "set 999" << "" << "Zeynep";
}

void TestDBControls::lookupMovesItsListToTheEntryShown()
{
    QFETCH(QString, action);
    QFETCH(QString, shown);
    QFETCH(QString, current);

    addCustomer(QStringLiteral("Zeynep"), {103});
    addCustomer(QStringLiteral("Ali"), {101});
    addCustomer(QStringLiteral("Veli Can"), {102});
    QVERIFY(Sql::exec(QStringLiteral("INSERT INTO Hareket (MusteriNo) VALUES (103)")));
    QVERIFY(Sql::exec(QStringLiteral("INSERT INTO Hareket (MusteriNo) VALUES (101)")));
    DataSet list(QStringLiteral("qMusteri"));
    list.setSql(QStringLiteral("Select MusteriNo, AdSoyad from Musteri order by AdSoyad"));
    DataSet ds(QStringLiteral("qHareket"));
    ds.setSql(QStringLiteral("Select * from Hareket order by ID"));
    DataSource src(QStringLiteral("dsHareket"), &ds);
    Form form;
    auto *combo = form.add(new DBLookupComboBox);
    QVERIFY(list.open());
    combo->setListSource(&list, QStringLiteral("MusteriNo"), QStringLiteral("AdSoyad"));
    combo->setDataSource(&src, QStringLiteral("MusteriNo"));
    QVERIFY(form.show());
    QVERIFY(ds.open());
    QCOMPARE(list.value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("Zeynep")); // the first row's customer

    if (action.startsWith(QLatin1String("sort"))) // the entries no longer stand in the list's order
        list.setSort(QStringLiteral("AdSoyad"), Qt::DescendingOrder);
    if (action.contains(QLatin1String("type")) || action.startsWith(QLatin1String("down")) || action == QLatin1String("popup")) {
        QVERIFY(ds.insert());
        combo->setFocus();
        if (action.contains(QLatin1String("type"))) {
            QTest::keyClicks(combo, action.right(1));
        } else if (action.startsWith(QLatin1String("down"))) {
            QTest::keyClick(combo, Qt::Key_Down);
            QTest::keyClick(combo, Qt::Key_Down);
        } else {
            QVERIFY(list.locate(QStringLiteral("AdSoyad"), QStringLiteral("Ali"))); // elsewhere before the choice
            combo->showPopup();
            QAbstractItemView *view = combo->view();
            QVERIFY(QTest::qWaitForWindowExposed(view->window()));
            const QModelIndex item = view->model()->index(combo->findText(QStringLiteral("Zeynep")), 0);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
        }
    } else if (action == QLatin1String("next row")) {
        ds.next();
    } else {
        QVERIFY(ds.edit());
        QVERIFY(ds.setValue(QStringLiteral("MusteriNo"), action.mid(4).toInt()));
    }
    QCOMPARE(combo->currentText(), shown);
    QCOMPARE(list.value(QStringLiteral("AdSoyad")).toString(), current);
}

// -------------------------------------------------------------- DBDateEdit

void TestDBControls::dateEditStoresWholeDates()
{
    QVERIFY(Sql::exec(QStringLiteral("INSERT INTO Musteri (MusteriNo, UyelikBasTarih) VALUES (1, '2007-03-05 14:07:00')")));
    DataSet ds(QStringLiteral("qMusteri"));
    ds.setSql(QStringLiteral("Select * from Musteri order by MusteriNo"));
    DataSource src(QStringLiteral("dsMusteri"), &ds);
    Form form;
    auto *name = form.add(new DBEdit);
    name->setDataSource(&src, QStringLiteral("AdSoyad"));
    auto *date = form.add(new DBDateEdit);
    date->setDataSource(&src, QStringLiteral("UyelikBasTarih"));
    QVERIFY(form.show());
    QVERIFY(ds.open());
    QCOMPARE(date->date(), QDate(2007, 3, 5));
    QCOMPARE(date->text(), QStringLiteral("05.03.2007"));

    // Posting other changes leaves the time of day that was stored.
    QVERIFY(ds.edit());
    replaceText(name, QStringLiteral("Ali"));
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(storedRaw(QStringLiteral("SELECT UyelikBasTarih FROM Musteri")), QStringLiteral("2007-03-05 14:07:00"));

    // A new row: blank until a date is chosen, then a whole date.
    QVERIFY(ds.append());
    QVERIFY(date->text().trimmed().isEmpty());
    name->setFocus();
    typeText(name, QStringLiteral("Veli"));
    date->setFocus();
    date->setDate(QDate(2024, 2, 29));
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(storedRaw(QStringLiteral("SELECT UyelikBasTarih FROM Musteri WHERE AdSoyad = 'Veli'")),
             QStringLiteral("2024-02-29"));
    QCOMPARE(stored(QStringLiteral("SELECT UyelikBasTarih FROM Musteri WHERE AdSoyad = 'Veli'")).toDateTime(),
             QDateTime(QDate(2024, 2, 29), QTime(0, 0)));
    QCOMPARE(date->text(), QStringLiteral("29.02.2024"));

    // A row without a date shows blank, not the date of the row before.
    QVERIFY(ds.append());
    name->setFocus();
    typeText(name, QStringLiteral("Ayşe"));
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(storedRaw(QStringLiteral("SELECT UyelikBasTarih FROM Musteri WHERE AdSoyad = 'Ayşe'")), QStringLiteral("<null>"));
    ds.first();
    QCOMPARE(date->date(), QDate(2007, 3, 5));
    ds.last();
    QCOMPARE(name->text(), QStringLiteral("Ayşe"));
    QVERIFY(date->text().trimmed().isEmpty());

    // Emptying the date stores no date.
    ds.first();
    QVERIFY(ds.edit());
    date->setDate(date->minimumDate());
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(storedRaw(QStringLiteral("SELECT UyelikBasTarih FROM Musteri WHERE MusteriNo = 1")), QStringLiteral("<null>"));
    QVERIFY(date->text().trimmed().isEmpty());
}

// ------------------------------------------------------------------ DBMemo

void TestDBControls::memoStoresTurkishLines()
{
    const QString address = QStringLiteral("Çarşı Mah. Gül Sok. No:5\nŞişli / İSTANBUL\nığüşöç ĞÜŞİÖÇ");
    addCustomer(QStringLiteral("Ali"), {1});
    addCustomer(QStringLiteral("Veli"), {2});
    DataSet ds(QStringLiteral("qMusteri"));
    ds.setSql(QStringLiteral("Select * from Musteri order by MusteriNo"));
    DataSource src(QStringLiteral("dsMusteri"), &ds);
    Form form;
    auto *memo = form.add(new DBMemo);
    memo->setDataSource(&src, QStringLiteral("Adres"));
    QVERIFY(form.show());
    QVERIFY(ds.open());
    QVERIFY(memo->toPlainText().isEmpty());

    QVERIFY(ds.edit());
    memo->setFocus();
    typeText(memo, address);
    QCOMPARE(memo->toPlainText(), address);
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(storedRaw(QStringLiteral("SELECT Adres FROM Musteri WHERE MusteriNo = 1")), address);
    QCOMPARE(storedRaw(QStringLiteral("SELECT Adres FROM Musteri WHERE MusteriNo = 2")), QStringLiteral("<null>"));

    ds.next();
    QVERIFY(memo->toPlainText().isEmpty());
    ds.prior();
    QCOMPARE(memo->toPlainText(), address);
}

// ----------------------------------------------------------------- DBImage

void TestDBControls::imageShowsJpegFromBlob()
{
    QVERIFY2(QImageWriter::supportedImageFormats().contains("jpg"), "the JPEG image plugin is missing");
    const QByteArray red = jpeg(Qt::red);
    const QByteArray blue = jpeg(Qt::blue);
    const QByteArray notAPicture("this is not a picture at all");
    const QList<QVariant> pictures{QVariant(red), QVariant(notAPicture), QVariant(QByteArray()), QVariant(blue),
                                   QVariant(QMetaType::fromType<QByteArray>())};
    for (int i = 0; i < pictures.size(); ++i)
        QVERIFY(Sql::exec(QStringLiteral("INSERT INTO Musteri (MusteriNo, Resim) VALUES (?, ?)"), {i + 1, pictures[i]}));

    DataSet ds(QStringLiteral("qMusteri"));
    ds.setSql(QStringLiteral("Select * from Musteri order by MusteriNo"));
    DataSource src(QStringLiteral("dsMusteri"), &ds);
    Form form;
    auto *image = form.add(new DBImage);
    image->setDataSource(&src, QStringLiteral("Resim"));
    QVERIFY(form.show());
    QVERIFY(ds.open());

    QVERIFY(image->hasPicture());
    QVERIFY(looksLike(image->picture(), Qt::red));
    QVERIFY(!image->pixmap().isNull());
    ds.next(); // bytes that are no picture: the red one stays
    QVERIFY(image->hasPicture());
    QVERIFY(looksLike(image->picture(), Qt::red));
    ds.next(); // an empty blob
    QVERIFY(!image->hasPicture());
    QVERIFY(image->pixmap().isNull());
    ds.next();
    QVERIFY(image->hasPicture());
    QVERIFY(looksLike(image->picture(), Qt::blue));
    ds.next(); // no blob at all
    QVERIFY(!image->hasPicture());
    QVERIFY(image->pixmap().isNull());

    // A picture given to the row while editing shows at once and is stored.
    QVERIFY(ds.edit());
    QVERIFY(ds.setValue(QStringLiteral("Resim"), red));
    QVERIFY(image->hasPicture());
    QVERIFY(looksLike(image->picture(), Qt::red));
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(stored(QStringLiteral("SELECT Resim FROM Musteri WHERE MusteriNo = 5")).toByteArray(), red);
}

// ------------------------------------------------------------------ DBGrid

void TestDBControls::gridModelStaysConsistent()
{
    const int rows = 2500;
    fillCatalogue(rows);
    DataSet ds(QStringLiteral("qCD"));
    ds.setSql(QStringLiteral("Select ID, CDNo, FilmAdi, KonuTur, SatisFiyat from CD order by CDNo"));
    DataSource src(QStringLiteral("dsCD"), &ds);
    Form form;
    auto *grid = form.add(new DBGrid);
    grid->setDataSource(&src);
    QAbstractItemModel *model = grid->model();
    QVERIFY(model);
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(form.show());
    const int title = 2; // FilmAdi
    auto shownAt = [model](int row, int column) { return model->index(row, column).data().toString(); };

    QVERIFY(ds.open());
    QCOMPARE(model->columnCount(), 5);
    QCOMPARE(model->rowCount(), ds.fetchedCount());
    QVERIFY(model->rowCount() < rows);
    QCOMPARE(shownAt(0, title), QStringLiteral("Film 0001"));

    // Scrolling down reads the rest, a chunk at a time.
    for (int i = 0; i < 20 && model->canFetchMore(QModelIndex()); ++i) {
        grid->scrollToBottom();
        QCoreApplication::processEvents();
    }
    QCOMPARE(model->rowCount(), rows);
    QVERIFY(!model->canFetchMore(QModelIndex()));
    for (int r : {0, 63, 64, 999, 1000, 1234, rows - 1})
        QCOMPARE(shownAt(r, title), QStringLiteral("Film %1").arg(r + 1, 4, 10, QLatin1Char('0')));

    // Editing a row.
    QVERIFY(ds.locate(QStringLiteral("CDNo"), 10));
    QVERIFY(ds.edit());
    QVERIFY(ds.setValue(QStringLiteral("FilmAdi"), QStringLiteral("Yeni Ad")));
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(shownAt(9, title), QStringLiteral("Yeni Ad"));
    QCOMPARE(storedRaw(QStringLiteral("SELECT FilmAdi FROM CD WHERE CDNo = 10")), QStringLiteral("Yeni Ad"));

    // Inserting at the current row.
    QVERIFY(ds.insert());
    QVERIFY(ds.setValue(QStringLiteral("CDNo"), 9999));
    QVERIFY(ds.setValue(QStringLiteral("FilmAdi"), QStringLiteral("Eklenen")));
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(model->rowCount(), rows + 1);
    QCOMPARE(shownAt(9, title), QStringLiteral("Eklenen"));
    QCOMPARE(shownAt(10, title), QStringLiteral("Yeni Ad"));
    QCOMPARE(grid->currentIndex().row(), 9);
    QCOMPARE(Sql::count(QStringLiteral("CD")), rows + 1);

    // Appending at the end.
    QVERIFY(ds.append());
    QVERIFY(ds.setValue(QStringLiteral("CDNo"), 10000));
    QVERIFY(ds.setValue(QStringLiteral("FilmAdi"), QStringLiteral("Sonda")));
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(model->rowCount(), rows + 2);
    QCOMPARE(shownAt(rows + 1, title), QStringLiteral("Sonda"));
    QCOMPARE(grid->currentIndex().row(), rows + 1);

    // Deleting.
    QVERIFY(ds.locate(QStringLiteral("CDNo"), 9999));
    QVERIFY2(ds.remove(), qPrintable(ds.lastError()));
    QCOMPARE(model->rowCount(), rows + 1);
    QCOMPARE(shownAt(9, title), QStringLiteral("Yeni Ad"));
    QCOMPARE(Sql::count(QStringLiteral("CD")), rows + 1);
    QCOMPARE(grid->currentIndex().row(), 9);

    // Filtering on a genre and back.
    ds.setFilter(QStringLiteral("KonuTur"), QStringLiteral("Dram"));
    const int drama = stored(QStringLiteral("SELECT count(*) FROM CD WHERE KonuTur = 'Dram'")).toInt();
    QCOMPARE(ds.recordCount(), drama);
    QCOMPARE(model->rowCount(), drama);
    for (int r = 0; r < model->rowCount(); r += 97)
        QCOMPARE(shownAt(r, 3), QStringLiteral("Dram"));
    ds.clearFilter();
    QCOMPARE(model->rowCount(), rows + 1);

    // Sorting by price, dearest first; the added rows have no price and come last.
    ds.setSort(QStringLiteral("SatisFiyat"), Qt::DescendingOrder);
    QCOMPARE(model->rowCount(), rows + 1);
    QCOMPARE(shownAt(0, title), QStringLiteral("Film 2500"));
    QCOMPARE(shownAt(1, title), QStringLiteral("Film 2499"));
    QCOMPARE(shownAt(0, 4), QStringLiteral("3.125"));
    QCOMPARE(grid->currentIndex().row(), 0);
    ds.setSort(QStringLiteral("FilmAdi"), Qt::AscendingOrder);
    QCOMPARE(shownAt(0, title), QStringLiteral("Film 0001"));
    ds.clearSort();

    ds.close();
    QCOMPARE(model->rowCount(), 0);
    QCOMPARE(model->columnCount(), 0);
    QVERIFY(ds.open());
    QCOMPARE(model->columnCount(), 5);
    QVERIFY(model->rowCount() > 0);
    QCOMPARE(shownAt(0, title), QStringLiteral("Film 0001"));
    QCOMPARE(grid->currentIndex().row(), 0);

    // A different statement over the same grid.
    ds.setSql(QStringLiteral("Select ID, FilmAdi from CD where CDNo <= 5 order by CDNo desc"));
    QCOMPARE(model->rowCount(), 0);
    QVERIFY(ds.open());
    QCOMPARE(model->columnCount(), 2);
    QCOMPARE(model->rowCount(), 5);
    QCOMPARE(shownAt(0, 1), QStringLiteral("Film 0005"));
}

void TestDBControls::gridReadsRowsAsItScrolls()
{
    const int rows = 2500;
    fillCatalogue(rows);
    DataSet ds(QStringLiteral("qCD"));
    ds.setSql(QStringLiteral("Select ID, CDNo, FilmAdi from CD order by CDNo"));
    DataSource src(QStringLiteral("dsCD"), &ds);
    Form form;
    auto *grid = form.add(new DBGrid);
    grid->setDataSource(&src);
    QVERIFY(form.show());
    QVERIFY(ds.open());
    QCoreApplication::processEvents();

    const int first = grid->model()->rowCount();
    QVERIFY(first > 0);
    QVERIFY2(first < rows, "opening read every row");
    QCOMPARE(ds.recordCount(), rows); // counted without reading them
    QCOMPARE(grid->model()->rowCount(), first);

    int steps = 0;
    int previous = first;
    while (grid->model()->rowCount() < rows && steps < 50) {
        grid->scrollToBottom();
        QCoreApplication::processEvents();
        const int now = grid->model()->rowCount();
        QVERIFY2(now > previous, "scrolling to the bottom read no more rows");
        QVERIFY(now - previous <= DataSet::ChunkSize);
        previous = now;
        ++steps;
    }
    QCOMPARE(grid->model()->rowCount(), rows);
    QVERIFY(steps >= 2);
    QCOMPARE(grid->model()->index(rows - 1, 2).data().toString(), QStringLiteral("Film 2500"));
}

// How the current row is moved, from the grid's side or the dataset's.
enum class Move { ClickRow, KeyDown, KeyEnd, Next, Last, Locate, LocateUnread, MoveTo };
Q_DECLARE_METATYPE(Move)

void TestDBControls::gridAndDataSetMoveTogether_data()
{
    QTest::addColumn<Move>("move");
    QTest::addColumn<int>("argument");
    QTest::addColumn<int>("row");
    QTest::newRow("click a row") << Move::ClickRow << 4 << 4;
    QTest::newRow("click the first row") << Move::ClickRow << 0 << 0;
    QTest::newRow("arrow down") << Move::KeyDown << 3 << 3;
    QTest::newRow("ctrl+end") << Move::KeyEnd << 0 << -1; // some row near the end of what was read
    QTest::newRow("dataset next") << Move::Next << 2 << 2;
    QTest::newRow("dataset last") << Move::Last << 0 << 1499;
    QTest::newRow("locate a read row") << Move::Locate << 31 << 30;
    QTest::newRow("locate a row not read yet") << Move::LocateUnread << 1200 << 1199;
    QTest::newRow("dataset moveTo") << Move::MoveTo << 17 << 17;
}

void TestDBControls::gridAndDataSetMoveTogether()
{
    QFETCH(Move, move);
    QFETCH(int, argument);
    QFETCH(int, row);
    fillCatalogue(1500);
    DataSet ds(QStringLiteral("qCD"));
    ds.setSql(QStringLiteral("Select ID, CDNo, FilmAdi from CD order by CDNo"));
    DataSource src(QStringLiteral("dsCD"), &ds);
    Form form;
    auto *grid = form.add(new DBGrid);
    grid->setDataSource(&src);
    auto *title = form.add(new DBText);
    title->setDataSource(&src, QStringLiteral("FilmAdi"));
    QVERIFY(form.show());
    QVERIFY(ds.open());
    QCOMPARE(grid->currentIndex().row(), 0);
    grid->setFocus();

    switch (move) {
    case Move::ClickRow: {
        const QRect r = grid->visualRect(grid->model()->index(argument, 2));
        QVERIFY(r.isValid());
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
        break;
    }
    case Move::KeyDown:
        for (int i = 0; i < argument; ++i)
            QTest::keyClick(grid, Qt::Key_Down);
        break;
    case Move::KeyEnd:
        QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
        QVERIFY(grid->currentIndex().row() > 0);
        row = grid->currentIndex().row();
        break;
    case Move::Next:
        for (int i = 0; i < argument; ++i)
            ds.next();
        break;
    case Move::Last:
        ds.last();
        break;
    case Move::Locate:
        QVERIFY(ds.locate(QStringLiteral("CDNo"), argument));
        break;
    case Move::LocateUnread:
        QVERIFY(ds.fetchedCount() < argument);
        QVERIFY(ds.locate(QStringLiteral("CDNo"), argument));
        break;
    case Move::MoveTo:
        QVERIFY(ds.moveTo(argument));
        break;
    }
    QCOMPARE(ds.recNo(), row);
    QCOMPARE(grid->currentIndex().row(), row);
    QCOMPARE(title->text(), QStringLiteral("Film %1").arg(row + 1, 4, 10, QLatin1Char('0')));
    QVERIFY(grid->selectionModel()->isRowSelected(row, QModelIndex()));
}

void TestDBControls::gridStaysOnRowThatCannotBeSaved()
{
    fillCatalogue(20);
    DataSet ds(QStringLiteral("qCD"));
    ds.setSql(QStringLiteral("Select ID, CDNo, FilmAdi, SatisFiyat from CD order by CDNo"));
    DataSource src(QStringLiteral("dsCD"), &ds);
    Form form;
    auto *grid = form.add(new DBGrid);
    grid->setDataSource(&src);
    auto *price = form.add(new DBEdit);
    price->setDataSource(&src, QStringLiteral("SatisFiyat"));
    QVERIFY(form.show());
    QVERIFY(ds.open());
    QVERIFY(ds.moveTo(2));
    QVERIFY(ds.edit());
    replaceText(price, QStringLiteral("12TL"));

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(6, 1)).center());
    QCOMPARE(ds.state(), DataSet::State::Edit);
    QCOMPARE(ds.recNo(), 2);
    QCOMPARE(grid->currentIndex().row(), 2);
    QCOMPARE(ds.lastError(), QStringLiteral("'12TL' is not a valid number."));
    QCOMPARE(price->text(), QStringLiteral("12TL"));

    // Corrected, the move goes through and the price is stored.
    replaceText(price, QStringLiteral("12,5"));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(6, 1)).center());
    QCOMPARE(ds.state(), DataSet::State::Browse);
    QCOMPARE(ds.recNo(), 6);
    QCOMPARE(grid->currentIndex().row(), 6);
    QCOMPARE(stored(QStringLiteral("SELECT SatisFiyat FROM CD WHERE CDNo = 3")).value<Money>(), money("12.5"));
}

void TestDBControls::gridKeepsRowsShownWhileInserting_data()
{
    QTest::addColumn<bool>("append");
    QTest::newRow("insert") << false;
    QTest::newRow("append") << true;
}

void TestDBControls::gridKeepsRowsShownWhileInserting()
{
    QFETCH(bool, append);
    fillCatalogue(5);
    DataSet ds(QStringLiteral("qCD"));
    ds.setSql(QStringLiteral("Select ID, CDNo, FilmAdi from CD order by CDNo"));
    DataSource src(QStringLiteral("dsCD"), &ds);
    Form form;
    auto *grid = form.add(new DBGrid);
    grid->setDataSource(&src);
    QVERIFY(form.show());
    QVERIFY(ds.open());
    QVERIFY(ds.moveTo(2));

    QVERIFY(append ? ds.append() : ds.insert());
    QVERIFY(ds.setValue(QStringLiteral("FilmAdi"), QStringLiteral("Yeni Film")));
    // Every stored title is still on the grid while the new one is typed.
    QStringList shown;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        shown << grid->model()->index(r, 2).data().toString();
    for (int i = 1; i <= 5; ++i) {
        const QString t = QStringLiteral("Film %1").arg(i, 4, 10, QLatin1Char('0'));
        QVERIFY2(shown.contains(t), qPrintable(QStringLiteral("%1 is not shown; the grid shows: %2").arg(t, shown.join(u','))));
    }
    ds.cancel();
    QCOMPARE(grid->model()->rowCount(), 5);
    QCOMPARE(grid->model()->index(2, 2).data().toString(), QStringLiteral("Film 0003"));
}

void TestDBControls::emptyDateOpensCalendarOnToday()
{
    QVERIFY(Sql::exec(QStringLiteral("INSERT INTO Musteri (MusteriNo, UyelikBasTarih) VALUES (1, NULL)")));
    QVERIFY(Sql::exec(QStringLiteral("INSERT INTO Musteri (MusteriNo, UyelikBasTarih) VALUES (2, '2007-03-05')")));
    DataSet ds(QStringLiteral("qMusteri"));
    ds.setSql(QStringLiteral("Select * from Musteri order by MusteriNo"));
    DataSource src(QStringLiteral("dsMusteri"), &ds);
    Form form;
    auto *date = form.add(new DBDateEdit);
    date->setDataSource(&src, QStringLiteral("UyelikBasTarih"));
    QVERIFY(form.show());
    QVERIFY(ds.open());
    const QDate today = QDate::currentDate();
    for (const QDate shown : {today, QDate(2007, 3, 5)}) {
        QCalendarWidget *calendar = date->calendarWidget();
        calendar->window()->show();
        QCOMPARE(calendar->yearShown(), shown.year());
        QCOMPARE(calendar->monthShown(), shown.month());
        calendar->window()->hide();
        ds.next();
    }
    // Opening the calendar chose nothing: the empty date stays empty.
    ds.first();
    QVERIFY(ds.value(QStringLiteral("UyelikBasTarih")).isNull());
}

void TestDBControls::screenReadersHearTitlesAndValues()
{
    QVERIFY(Sql::exec(QStringLiteral("INSERT INTO Musteri (MusteriNo, AdSoyad) VALUES (1, 'İlker Işık')")));
    DataSet ds(QStringLiteral("qMusteri"));
    ds.setSql(QStringLiteral("Select * from Musteri order by MusteriNo"));
    DataSource src(QStringLiteral("dsMusteri"), &ds);
    Form form;
    auto *grid = form.add(new DBGrid);
    setGridColumns(grid, &src, {QStringLiteral("MusteriNo"), QStringLiteral("AdSoyad")},
                   {QStringLiteral("Customer ID"), QStringLiteral("Customer Name")});
    auto *name = form.add(new DBText);
    name->setAccessibleName(QStringLiteral("Customer Name"));
    name->setDataSource(&src, QStringLiteral("AdSoyad"));
    QVERIFY(form.show());
    QVERIFY(ds.open());
    for (int role : {int(Qt::DisplayRole), int(Qt::AccessibleTextRole)})
        QCOMPARE(grid->model()->headerData(1, Qt::Horizontal, role).toString(), QStringLiteral("Customer Name"));
    QAccessibleInterface *label = QAccessible::queryAccessibleInterface(name);
    QVERIFY(label);
    QCOMPARE(label->text(QAccessible::Name), QStringLiteral("Customer Name"));
    QCOMPARE(label->text(QAccessible::Description), QStringLiteral("İlker Işık"));
}

void TestDBControls::gridShowsCaptionsAndFormats()
{
    QVERIFY(Sql::exec(QStringLiteral("INSERT INTO CD (CDNo, FilmAdi, SatisFiyat, YapimYili) VALUES (1, 'Kuzu', ?, 2001)"),
                      {QVariant::fromValue(money("1234.5"))}));
    QVERIFY(Sql::exec(QStringLiteral("INSERT INTO CD (CDNo, FilmAdi, SatisFiyat, YapimYili) VALUES (2, 'Dağ', ?, 2010)"),
                      {QVariant::fromValue(money("0"))}));
    DataSet ds(QStringLiteral("qCD"));
    ds.setSql(QStringLiteral("Select * from CD order by CDNo"));
    ds.setCaption(QStringLiteral("FilmAdi"), QStringLiteral("Film Adı"));
    ds.setCaption(QStringLiteral("SatisFiyat"), QStringLiteral("Satış Fiyatı"));
    ds.setDisplayFormat(QStringLiteral("SatisFiyat"), QStringLiteral("#,###0.00"));
    DataSource src(QStringLiteral("dsCD"), &ds);
    Form form;
    auto *all = form.add(new DBGrid);
    all->setDataSource(&src);
    auto *some = form.add(new DBGrid);
    some->setDataSource(&src, {QStringLiteral("SatisFiyat"), QStringLiteral("FilmAdi"), QStringLiteral("Yok")});
    QVERIFY(form.show());
    QVERIFY(ds.open());

    QAbstractItemModel *m = some->model();
    QCOMPARE(m->columnCount(), 2);
    QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Satış Fiyatı"));
    QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Film Adı"));
    QCOMPARE(m->index(0, 0).data().toString(), QStringLiteral("1.234,50"));
    QCOMPARE(m->index(1, 0).data().toString(), QStringLiteral("0,00"));
    QCOMPARE(m->index(1, 1).data().toString(), QStringLiteral("Dağ"));
    QCOMPARE(m->index(0, 0).data(Qt::EditRole).value<Money>(), money("1234.5"));
    // Amounts are drawn right-aligned, texts left, as the grid's delegate reads the model.
    AlignmentProbe probe;
    QCOMPARE(probe.alignment(m->index(0, 0)) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    QCOMPARE(probe.alignment(m->index(0, 1)) & Qt::AlignHorizontal_Mask, Qt::AlignLeft);

    // Every column of the statement, captions where set, field names elsewhere.
    QAbstractItemModel *a = all->model();
    QCOMPARE(a->columnCount(), ds.fieldCount());
    const int title = all->dataModel()->columnOf(ds.fieldIndex(QStringLiteral("FilmAdi")));
    const int year = all->dataModel()->columnOf(ds.fieldIndex(QStringLiteral("YapimYili")));
    QCOMPARE(a->headerData(title, Qt::Horizontal).toString(), QStringLiteral("Film Adı"));
    QCOMPARE(a->headerData(year, Qt::Horizontal).toString(), QStringLiteral("YapimYili"));
    QCOMPARE(all->horizontalHeader()->model()->headerData(title, Qt::Horizontal).toString(), QStringLiteral("Film Adı"));
    QCOMPARE(a->index(0, year).data().toString(), QStringLiteral("2001"));

    // A row changed through the dataset shows its new amount in both grids.
    QVERIFY(ds.edit());
    QVERIFY(ds.setText(QStringLiteral("SatisFiyat"), QStringLiteral("2.500")));
    QVERIFY2(ds.post(), qPrintable(ds.lastError()));
    QCOMPARE(m->index(0, 0).data().toString(), QStringLiteral("2.500,00"));
    QCOMPARE(a->index(0, all->dataModel()->columnOf(ds.fieldIndex(QStringLiteral("SatisFiyat")))).data().toString(),
             QStringLiteral("2.500,00"));
}

QTEST_MAIN(TestDBControls)
#include "tst_dbcontrols.moc"
