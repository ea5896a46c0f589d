// The key helpers every window leans on: a window sees its keys before its
// controls (Esc closes it), and the mouse wheel walks the focused list one
// row per notch.
#include "components/KeyPreview.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QScrollBar>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <memory>

namespace {

// A line edit that writes down every key it is given, shortcut checks
// included, into a log shared with the window's handler.
class RecordingEdit : public QLineEdit
{
public:
    RecordingEdit(QStringList *log, QWidget *parent) : QLineEdit(parent), m_log(log) {}

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::ShortcutOverride)
            m_log->append(QStringLiteral("edit-override:%1").arg(static_cast<QKeyEvent *>(e)->key()));
        return QLineEdit::event(e);
    }
    void keyPressEvent(QKeyEvent *e) override
    {
        m_log->append(QStringLiteral("edit:%1").arg(e->key()));
        QLineEdit::keyPressEvent(e);
    }

private:
    QStringList *m_log;
};

// A window as the program builds them: a few controls, one of them focused.
struct TestWindow
{
    explicit TestWindow(bool dialog)
    {
        window.reset(dialog ? new QDialog : new QWidget);
        window->resize(300, 200);
        auto *layout = new QVBoxLayout(window.get());
        edit = new RecordingEdit(&log, window.get());
        other = new QLineEdit(window.get());
        layout->addWidget(edit);
        layout->addWidget(other);
    }
    bool showFocused()
    {
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            return false;
        edit->setFocus();
        return QApplication::focusWidget() == edit;
    }
    std::unique_ptr<QWidget> window;
    RecordingEdit *edit;
    QLineEdit *other;
    QStringList log;
};

QString keyName(int key)
{
    return QString::number(key);
}

// A wheel turn as the mouse gives it, over the middle of the widget: marked
// as coming from the window system, so it climbs to the parents when the
// widget under the mouse leaves it.
void turnWheel(QWidget *over, int eighthsOfDegree)
{
    const QPointF local(over->width() / 2.0, over->height() / 2.0);
    QWheelEvent e(local, over->mapToGlobal(local), QPoint(), QPoint(0, eighthsOfDegree), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&e);
    QApplication::sendEvent(over, &e);
}

} // namespace

class TestKeyPreview : public QObject
{
    Q_OBJECT

private slots:
    void escapeClosesTheWindow_data();
    void escapeClosesTheWindow();
    void handlerSeesKeysFirst_data();
    void handlerSeesKeysFirst();
    void modalDialogKeepsItsKeys();
    void wheelMovesOneRowPerNotch_data();
    void wheelMovesOneRowPerNotch();
    void wheelScrollsAgainWhenHelperIsGone();
};

void TestKeyPreview::escapeClosesTheWindow_data()
{
    QTest::addColumn<bool>("dialog");
    QTest::addColumn<bool>("escapeCloses");
    QTest::newRow("window") << false << true;
    QTest::newRow("dialog") << true << true;
    QTest::newRow("window that keeps Esc") << false << false;
}

void TestKeyPreview::escapeClosesTheWindow()
{
    QFETCH(bool, dialog);
    QFETCH(bool, escapeCloses);
    TestWindow w(dialog);
    new KeyPreview(w.window.get(), {}, escapeCloses);
    QVERIFY(w.showFocused());
    w.edit->setText(QStringLiteral("kept"));

    QTest::keyClick(w.edit, Qt::Key_Escape);
    QCOMPARE(w.window->isVisible(), !escapeCloses);
    const bool editSawEscape = w.log.contains(QStringLiteral("edit:") + keyName(Qt::Key_Escape))
        || w.log.contains(QStringLiteral("edit-override:") + keyName(Qt::Key_Escape));
    QCOMPARE(editSawEscape, !escapeCloses);
    QCOMPARE(w.edit->text(), QStringLiteral("kept"));
}

void TestKeyPreview::handlerSeesKeysFirst_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("used");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("text");
    const QString f5 = keyName(Qt::Key_F5);
    const QString a = keyName(Qt::Key_A);
    const QString f6 = keyName(Qt::Key_F6);
    // A key the handler uses never reaches the control.
    QTest::newRow("used key swallowed") << int(Qt::Key_F5) << true << QStringList{"handler:" + f5} << "";
    QTest::newRow("used letter not typed") << int(Qt::Key_A) << true << QStringList{"handler:" + a} << "";
    // A key it leaves goes on to the control, after the handler.
    QTest::newRow("letter typed after handler") << int(Qt::Key_A) << false << QStringList{"handler:" + a, "edit:" + a}
                                                << "a";
    // A key the control ignores climbs to the window: the handler has had its
    // look already and is not asked again.
    QTest::newRow("ignored key seen once") << int(Qt::Key_F6) << false << QStringList{"handler:" + f6, "edit:" + f6}
                                           << "";
}

void TestKeyPreview::handlerSeesKeysFirst()
{
    QFETCH(int, key);
    QFETCH(bool, used);
    QFETCH(QStringList, expected);
    QFETCH(QString, text);
    TestWindow w(false);
    QStringList *log = &w.log;
    new KeyPreview(w.window.get(), [log, used](QKeyEvent *e) {
        log->append(QStringLiteral("handler:%1").arg(e->key()));
        return used;
    });
    QVERIFY(w.showFocused());

    QTest::keyClick(w.edit, Qt::Key(key));
    w.log.removeIf([](const QString &s) { return s.startsWith(QLatin1String("edit-override")); });
    QVERIFY2(w.log == expected, qPrintable(w.log.join(u' ')));
    QCOMPARE(w.edit->text(), text);
    QVERIFY(w.window->isVisible());
}

void TestKeyPreview::modalDialogKeepsItsKeys()
{
    TestWindow w(false);
    QStringList handled;
    new KeyPreview(w.window.get(), [&handled](QKeyEvent *e) {
        handled << QString::number(e->key());
        return true; // would swallow everything it sees
    });
    QVERIFY(w.showFocused());

    QPointer<QDialog> dialog = new QDialog(w.window.get());
    auto *dialogEdit = new QLineEdit(dialog);
    QString typed;
    bool dialogWasShown = false;
    QTimer::singleShot(0, dialog, [&] {
        dialogWasShown = dialog->isVisible();
        QTest::keyClicks(dialogEdit, QStringLiteral("abc"));
        typed = dialogEdit->text();
        QTest::keyClick(dialogEdit, Qt::Key_Escape);
        if (dialog->isVisible()) // never leave the test hanging
            dialog->done(-1);
    });
    const int result = dialog->exec();

    QVERIFY(dialogWasShown);
    QCOMPARE(typed, QStringLiteral("abc"));
    QVERIFY(handled.isEmpty());
    QCOMPARE(result, int(QDialog::Rejected)); // its own Esc closed it
    QVERIFY(w.window->isVisible()); // and not the window behind it
    delete dialog;
}

void TestKeyPreview::wheelMovesOneRowPerNotch_data()
{
    QTest::addColumn<QList<int>>("turns");
    QTest::addColumn<bool>("overWindow");
    QTest::addColumn<int>("rows");
    QTest::newRow("one notch down") << QList<int>{-120} << false << 1;
    QTest::newRow("one notch up") << QList<int>{120} << false << -1;
    QTest::newRow("two notches in one turn") << QList<int>{-240} << false << 2;
    QTest::newRow("two notches one by one") << QList<int>{-120, -120} << false << 2;
    QTest::newRow("half a notch") << QList<int>{-60} << false << 0;
    QTest::newRow("two halves") << QList<int>{-60, -60} << false << 1;
    QTest::newRow("half then back") << QList<int>{-60, 60, -60} << false << 0;
    QTest::newRow("over another control") << QList<int>{-120} << true << 1;
}

void TestKeyPreview::wheelMovesOneRowPerNotch()
{
    QFETCH(QList<int>, turns);
    QFETCH(bool, overWindow);
    QFETCH(int, rows);
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *list = new QListWidget(&window);
    auto *other = new QLineEdit(&window);
    layout->addWidget(list);
    layout->addWidget(other);
    for (int i = 0; i < 60; ++i)
        list->addItem(QStringLiteral("Title %1").arg(i));
    window.resize(300, 300);
    auto *helper = new WheelToArrows(&window);
    Q_UNUSED(helper);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    list->setFocus();
    list->setCurrentRow(20);
    QCOMPARE(QApplication::focusWidget(), list);

    for (int t : turns)
        turnWheel(overWindow ? static_cast<QWidget *>(other) : list->viewport(), t);
    QCOMPARE(list->currentRow(), 20 + rows);
}

void TestKeyPreview::wheelScrollsAgainWhenHelperIsGone()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *list = new QListWidget(&window);
    layout->addWidget(list);
    for (int i = 0; i < 200; ++i)
        list->addItem(QStringLiteral("Title %1").arg(i));
    window.resize(300, 300);
    auto *owner = new QObject;
    new WheelToArrows(owner);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    list->setFocus();
    list->setCurrentRow(0);

    turnWheel(list->viewport(), -120);
    QCOMPARE(list->currentRow(), 1);

    delete owner; // the window that wanted it closes
    const int scrolled = list->verticalScrollBar()->value();
    turnWheel(list->viewport(), -120);
    QCOMPARE(list->currentRow(), 1);
    QVERIFY(list->verticalScrollBar()->value() > scrolled);
}

QTEST_MAIN(TestKeyPreview)
#include "tst_keypreview.moc"
