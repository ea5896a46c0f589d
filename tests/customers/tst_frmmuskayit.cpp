// The registration dialog driven as the clerk drives it, from the customer
// window: the fields, the membership switch, the photograph from a file or
// the camera, the deposit question and the ledger row it books, saving
// failures, and cancelling.
#include "CustomerTestSupport.h"
#include "components/DBControls.h"
#include "components/DataSource.h"
#include "db/Paths.h"
#include "components/Format.h"
#include "components/PromptService.h"
#include "customers/DlgKameraUnit.h"
#include "customers/FrmMusKayitUnit.h"
#include "customers/FrmMusteriUnit.h"
#include "customers/PhotoView.h"
#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "app/WindowRegistry.h"
#include "support/WindowTestFixture.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTemporaryDir>

using namespace TestSupport;
using namespace CustomerTest;
using Icon = PromptService::Icon;
using Answer = PromptService::Answer;

namespace {
const QString DepositQuestion = QStringLiteral(" Do you want entered deposit to be transected in cash box ?");
const QString NameMissingText = QStringLiteral("You can t complete record without entering all essential changes !!!");
const QString NotJpegText = QStringLiteral("Chosen photograph must be JPEG file !!!");
const QString TooLargeText = QStringLiteral("Chosen image file  size musn t exceed 40 KB !!!");
const QString SaveFailedText = QStringLiteral(
    "Error : you may register with the same name previously, please check and try again. !!! ");
} // namespace

class TestFrmMusKayit : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fieldsOfTheDialog();
    void membershipSwitch();
    void nameIsRequired();
    void cancellingANewCustomerLeavesNoRow_data();
    void cancellingANewCustomerLeavesNoRow();
    void depositQuestion_data();
    void depositQuestion();
    void savingAgainWithoutChangeDoesNotAsk();
    void photoFile_data();
    void photoFile();
    void erasingThePhotoEmptiesResim();
    void photoFromTheCamera();
    void refusedSaveWritesNothing();
    void clerkAddsAMemberWithPhotoAndDeposit();

private:
    TFrmMusteri *openCustomers();
    // Runs the registration dialog from the customer window's "New" (or
    // "Edit") with the clerk's actions; returns when the dialog has gone.
    void withDialog(QToolButton *button, std::function<void(TFrmMusKayit *)> actions);
    static void chooseFile(TFrmMusKayit *d, const QString &path);
    static void typeInto(QLineEdit *edit, const QString &text);
    QString writeFile(const QString &name, const QByteArray &bytes);

    WindowTestFixture f;
    QTemporaryDir m_files;
    bool m_dialogRan = false;
};

void TestFrmMusKayit::init()
{
    QVERIFY(f.setUp());
}

void TestFrmMusKayit::cleanup()
{
    VERIFY_ALL_ANSWERED(f.prompts);
    delete FrmMusKayit.data();
    delete FrmMusteri.data();
    VideoCapture::factory() = nullptr;
    f.tearDown();
}

TFrmMusteri *TestFrmMusKayit::openCustomers()
{
    TFrmMusteri *w = openChildWindow(FrmMusteri);
    w->resize(1000, 700);
    return w;
}

void TestFrmMusKayit::withDialog(QToolButton *button, std::function<void(TFrmMusKayit *)> actions)
{
    m_dialogRan = false;
    whenShown<TFrmMusKayit>(FrmMusKayit, [this, actions](TFrmMusKayit *d) {
        m_dialogRan = true;
        actions(d);
        // A step that failed leaves the dialog up: close it so the test goes on.
        if (FrmMusKayit && FrmMusKayit->isVisible())
            FrmMusKayit->reject();
    });
    button->click();
    QVERIFY(m_dialogRan);
    QVERIFY(!FrmMusKayit);
}

void TestFrmMusKayit::chooseFile(TFrmMusKayit *d, const QString &path)
{
    QTimer::singleShot(0, d, [path] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->selectFile(path);
        static_cast<QDialog *>(dialog)->accept(); // checks the chosen file as the clerk's Open does
    });
    d->BtnChooseFile->click();
}

void TestFrmMusKayit::typeInto(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

QString TestFrmMusKayit::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_files.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

void TestFrmMusKayit::fieldsOfTheDialog()
{
    QVERIFY(addCustomer({1, QStringLiteral("Ahmet Demir"), 1, 50}));
    TFrmMusteri *w = openCustomers();
    withDialog(w->tbEdit, [](TFrmMusKayit *d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Customer definitions"));
        QCOMPARE(d->PageControl1->tabText(0), QStringLiteral("Customer information"));
        QCOMPARE(d->PageControl1->tabText(1), QStringLiteral("Customer Photo"));
        QCOMPARE(d->DBEdit1->text(), QStringLiteral("1"));
        QCOMPARE(d->DBEdit2->text(), QStringLiteral("Ahmet Demir"));
        QCOMPARE(d->DBEdit3->text(), QStringLiteral("0555 1"));
        QCOMPARE(d->DBEdit7->text(), QStringLiteral("50"));
        QVERIFY(d->DBCheckBox1->isChecked());
        QCOMPARE(d->DBEdit1->focusPolicy(), Qt::ClickFocus); // Tab passes the number by
        QVERIFY(!d->DBMemo2->isEnabled());                   // the note is only shown
        QVERIFY(d->BtnSave->isDefault());
        for (QPushButton *b : {d->BtnTakePhoto, d->BtnErasePhoto, d->BtnChooseFile})
            QVERIFY(!b->accessibleName().isEmpty());
        QCOMPARE(d->BtnTakePhoto->text(), QStringLiteral("Take a photo"));
        QCOMPARE(d->BtnErasePhoto->text(), QStringLiteral("Erase photo"));
        QCOMPARE(d->BtnChooseFile->text(), QStringLiteral("Choose photo file"));
        d->BtnCancel->click();
    });
}

void TestFrmMusKayit::membershipSwitch()
{
    TFrmMusteri *w = openCustomers();
    withDialog(w->tbNew, [](TFrmMusKayit *d) {
        QVERIFY(!d->DBCheckBox1->isChecked());
        QVERIFY(!d->DBDateEdit1->isEnabled());
        QVERIFY(!d->DBEdit7->isEnabled());
        const QColor offColour = d->DBEdit7->palette().color(QPalette::Disabled, QPalette::Base);
        d->DBCheckBox1->click();
        QVERIFY(d->DBDateEdit1->isEnabled());
        QVERIFY(d->DBEdit7->isEnabled());
        QCOMPARE(d->DBEdit7->palette().color(QPalette::Active, QPalette::Base), DataAwareColors::editable());
        QVERIFY(d->DBEdit7->palette().color(QPalette::Active, QPalette::Base) != offColour);
        QCOMPARE(Dm1->Musteri->value(QStringLiteral("UyelikDurum")).toInt(), 1);
        d->DBCheckBox1->click();
        QVERIFY(!d->DBDateEdit1->isEnabled());
        QVERIFY(!d->DBEdit7->isEnabled());
        QCOMPARE(Dm1->Musteri->value(QStringLiteral("UyelikDurum")).toInt(), 0);
        d->BtnCancel->click();
    });
}

void TestFrmMusKayit::nameIsRequired()
{
    TFrmMusteri *w = openCustomers();
    withDialog(w->tbNew, [this](TFrmMusKayit *d) {
        typeInto(d->DBEdit2, QStringLiteral("   "));
        f.prompts->expect(Icon::Error, NameMissingText);
        d->BtnSave->click();
        QVERIFY(d->isVisible()); // the clerk stays in the dialog
        QCOMPARE(Dm1->Musteri->state(), DataSet::State::Insert);
        d->BtnCancel->click();
    });
    QCOMPARE(count(QStringLiteral("Musteri")), 0);
}

void TestFrmMusKayit::cancellingANewCustomerLeavesNoRow_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("cancel button") << "cancel";
    QTest::newRow("escape") << "escape";
    QTest::newRow("close box") << "close";
}

void TestFrmMusKayit::cancellingANewCustomerLeavesNoRow()
{
    QFETCH(QString, how);
    QVERIFY(addCustomer({1, QStringLiteral("Ahmet Demir")}));
    TFrmMusteri *w = openCustomers();
    withDialog(w->tbNew, [how](TFrmMusKayit *d) {
        QCOMPARE(d->DBEdit1->text(), QStringLiteral("2")); // the number was already given
        typeInto(d->DBEdit2, QStringLiteral("Mehmet Can"));
        if (how == QLatin1String("cancel"))
            d->BtnCancel->click();
        else if (how == QLatin1String("escape"))
            QTest::keyClick(d->DBEdit2, Qt::Key_Escape);
        else
            d->close();
    });
    QCOMPARE(count(QStringLiteral("Musteri")), 1);
    QCOMPARE(Dm1->Musteri->state(), DataSet::State::Browse);
    QCOMPARE(Dm1->Musteri->value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("Ahmet Demir"));
}

void TestFrmMusKayit::depositQuestion_data()
{
    QTest::addColumn<qint64>("before");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<QString>("booked"); // Borc of the new ledger row, empty for none

    QTest::newRow("0 to 50, yes") << qint64(0) << "50" << true << true << "50,00";
    QTest::newRow("0 to 50, no") << qint64(0) << "50" << true << false << "";
    QTest::newRow("50 to 30 books 30") << qint64(50) << "30" << true << true << "30,00";
    QTest::newRow("50 to 0 asks nothing") << qint64(50) << "0" << false << false << "";
    QTest::newRow("unchanged asks nothing") << qint64(50) << "50" << false << false << "";
    QTest::newRow("decimals typed the shop's way") << qint64(0) << "1.250,5" << true << true << "1.250,50";
}

void TestFrmMusKayit::depositQuestion()
{
    QFETCH(qint64, before);
    QFETCH(QString, typed);
    QFETCH(bool, asked);
    QFETCH(bool, answerYes);
    QFETCH(QString, booked);
    QVERIFY(addCustomer({7, QStringLiteral("Zeynep Ak"), 1, before}));
    TFrmMusteri *w = openCustomers();
    withDialog(w->tbEdit, [&](TFrmMusKayit *d) {
        typeInto(d->DBEdit7, typed);
        if (asked)
            f.prompts->expect(Icon::Question, DepositQuestion, answerYes ? Answer::Yes : Answer::No);
        d->BtnSave->click();
    });
    QCOMPARE(Format::money(Dm1->Musteri->value(QStringLiteral("Depozito")).value<Money>()),
             Format::money(*Format::parseMoney(typed)));
    if (booked.isEmpty()) {
        QCOMPARE(count(QStringLiteral("Kasa")), 0);
        return;
    }
    QCOMPARE(count(QStringLiteral("Kasa")), 1);
    DataSet *temp = Dm1->Temp;
    temp->close();
    temp->setSql(QStringLiteral("Select * from Kasa"));
    QVERIFY(temp->open());
    QCOMPARE(Format::money(temp->value(QStringLiteral("Borc")).value<Money>()), booked);
    QCOMPARE(temp->value(QStringLiteral("Islem")).toString(), QStringLiteral("Other"));
    QCOMPARE(temp->value(QStringLiteral("Aciklama")).toString(), QStringLiteral("Deposit / Zeynep Ak"));
    temp->close();
}

void TestFrmMusKayit::savingAgainWithoutChangeDoesNotAsk()
{
    QVERIFY(addCustomer({1, QStringLiteral("Ali Veli"), 1, 0}));
    TFrmMusteri *w = openCustomers();
    withDialog(w->tbEdit, [this](TFrmMusKayit *d) {
        typeInto(d->DBEdit7, QStringLiteral("50"));
        f.prompts->expect(Icon::Question, DepositQuestion, Answer::Yes);
        d->BtnSave->click();
    });
    withDialog(w->tbEdit, [](TFrmMusKayit *d) {
        typeInto(d->DBEdit3, QStringLiteral("0532 000"));
        d->BtnSave->click(); // no question expected: the deposit did not change
    });
    QCOMPARE(count(QStringLiteral("Kasa")), 1);
    QCOMPARE(scalar(QStringLiteral("Select CepTelefon from Musteri")).toString(), QStringLiteral("0532 000"));
}

void TestFrmMusKayit::photoFile_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("size");     // padded to this many bytes; 0 leaves the JPEG as it is
    QTest::addColumn<bool>("isJpeg");
    QTest::addColumn<QString>("message");

    QTest::newRow("40960 bytes .jpeg accepted") << "big.jpeg" << 40960 << true << "";
    QTest::newRow("40961 bytes refused") << "bigger.jpeg" << 40961 << true << TooLargeText;
    QTest::newRow(".JpG accepted") << "Mixed.JpG" << 0 << true << "";
    QTest::newRow(".JPEG accepted") << "UPPER.JPEG" << 0 << true << "";
    QTest::newRow(".png refused") << "photo.png" << 0 << true << NotJpegText;
    QTest::newRow("wrong type checked before size") << "huge.bmp" << 50000 << true << NotJpegText;
    QTest::newRow(".jpg that is no picture") << "fake.jpg" << 0 << false << NotJpegText;
}

void TestFrmMusKayit::photoFile()
{
    QFETCH(QString, fileName);
    QFETCH(int, size);
    QFETCH(bool, isJpeg);
    QFETCH(QString, message);
    QByteArray bytes = isJpeg ? jpeg(Qt::red) : QByteArray("this is no picture");
    if (size > 0) {
        QVERIFY(bytes.size() < size);
        bytes.append(QByteArray(size - bytes.size(), '\0')); // after the picture's end: still a valid JPEG
    }
    const QString path = writeFile(fileName, bytes);
    const QByteArray earlier = jpeg(Qt::blue);
    QVERIFY(addCustomer({1, QStringLiteral("Ahmet Demir"), 0, 0, earlier}));
    TFrmMusteri *w = openCustomers();
    withDialog(w->tbEdit, [&](TFrmMusKayit *d) {
        QVERIFY(looksLike(d->Image1->picture(), Qt::blue));
        if (!message.isEmpty())
            f.prompts->expect(Icon::Error, message);
        chooseFile(d, path);
        // Refused: the picture is unchanged.
        QVERIFY(looksLike(d->Image1->picture(), message.isEmpty() ? QColor(Qt::red) : QColor(Qt::blue)));
        d->BtnSave->click();
    });
    const QByteArray stored = scalar(QStringLiteral("Select Resim from Musteri")).toByteArray();
    QCOMPARE(stored, message.isEmpty() ? bytes : earlier);
    QVERIFY(looksLike(w->Image1->picture(), message.isEmpty() ? QColor(Qt::red) : QColor(Qt::blue)));
}

void TestFrmMusKayit::erasingThePhotoEmptiesResim()
{
    QVERIFY(addCustomer({1, QStringLiteral("Ahmet Demir"), 0, 0, jpeg(Qt::green)}));
    TFrmMusteri *w = openCustomers();
    QVERIFY(w->Image1->hasPicture());
    withDialog(w->tbEdit, [](TFrmMusKayit *d) {
        QVERIFY(d->Image1->hasPicture());
        d->BtnErasePhoto->click();
        QVERIFY(!d->Image1->hasPicture());
        d->BtnSave->click();
    });
    QVERIFY(scalar(QStringLiteral("Select Resim from Musteri")).toByteArray().isEmpty());
    // The customer window, moved off and back, shows no picture.
    w->tbLast->click();
    w->tbFirst->click();
    QVERIFY(!w->Image1->hasPicture());
}

void TestFrmMusKayit::photoFromTheCamera()
{
    VideoCapture::factory() = [] { return std::make_unique<FakeVideoCapture>(); };
    TFrmMusteri *w = openCustomers();
    withDialog(w->tbNew, [](TFrmMusKayit *d) {
        typeInto(d->DBEdit2, QStringLiteral("Kamera Test"));
        whenShown<TDlgKamera>(DlgKamera, [](TDlgKamera *camera) {
            QTRY_COMPARE(camera->ComboBox1->count(), 2);
            camera->BtnTakePhoto->click();
        });
        d->BtnTakePhoto->click();
        QVERIFY(!DlgKamera); // freed on close
        QCOMPARE(d->Image1->picture().size(), QSize(160, 120));
        d->BtnSave->click();
    });
    const QImage stored = QImage::fromData(scalar(QStringLiteral("Select Resim from Musteri")).toByteArray(), "JPEG");
    QCOMPARE(stored.size(), QSize(160, 120));
    QVERIFY(QFile::exists(Paths::cameraPicture()));
}

void TestFrmMusKayit::refusedSaveWritesNothing()
{
    if (backend() != Backend::SQLite)
        QSKIP("the refusing trigger is written for SQLite");
    // The shop's database refuses this name, as it would a duplicate.
    QVERIFY(exec(QStringLiteral("Create Trigger NoDup Before Insert On Musteri When NEW.AdSoyad = 'Ayni Isim' "
                                "Begin Select RAISE(ABORT, 'same name exists'); End")));
    const QString path = writeFile(QStringLiteral("yuz.jpg"), jpeg(Qt::blue));
    TFrmMusteri *w = openCustomers();
    bool stayedOpen = false;
    withDialog(w->tbNew, [&](TFrmMusKayit *d) {
        typeInto(d->DBEdit2, QStringLiteral("Ayni Isim"));
        chooseFile(d, path);
        d->DBCheckBox1->click();
        typeInto(d->DBEdit7, QStringLiteral("40"));
        f.prompts->expect(Icon::Question, DepositQuestion, Answer::Yes);
        f.prompts->expectStartingWith(Icon::Error, SaveFailedText + QStringLiteral("\n\n"));
        d->BtnSave->click();
        // The clerk keeps what was typed and the photo, to correct and retry.
        stayedOpen = d->isVisible();
        QCOMPARE(d->DBEdit2->text(), QStringLiteral("Ayni Isim"));
        QCOMPARE(d->DBEdit7->text(), QStringLiteral("40"));
        QVERIFY(looksLike(d->Image1->picture(), Qt::blue));
        QCOMPARE(Dm1->Musteri->state(), DataSet::State::Insert);
    });
    QVERIFY(stayedOpen);
    QVERIFY(f.prompts->seen().last().text.contains(QStringLiteral("same name exists")));
    // Nothing of it is stored: neither the customer nor the deposit.
    QCOMPARE(count(QStringLiteral("Musteri")), 0);
    QCOMPARE(count(QStringLiteral("Kasa")), 0);
    QCOMPARE(Dm1->Musteri->state(), DataSet::State::Browse);
}

void TestFrmMusKayit::clerkAddsAMemberWithPhotoAndDeposit()
{
    QVERIFY(addCustomer({1, QStringLiteral("Ahmet Demir")}));
    const QByteArray photo = jpeg(QColor(200, 120, 40), QSize(120, 90));
    const QString path = writeFile(QStringLiteral("Vesikalik.jpg"), photo);
    TFrmMusteri *w = openCustomers();
    const QDate today = QDate::currentDate();
    withDialog(w->tbNew, [&](TFrmMusKayit *d) {
        typeInto(d->DBEdit2, QStringLiteral("Selin Yildiz"));
        typeInto(d->DBEdit3, QStringLiteral("0532 111 22 33"));
        typeInto(d->DBEdit6, QStringLiteral("selin@example.com"));
        d->DBMemo1->setFocus();
        QTest::keyClicks(d->DBMemo1, QStringLiteral("Cumhuriyet Cad. 5"));
        d->DBCheckBox1->click();
        d->DBDateEdit1->setDate(today);
        typeInto(d->DBEdit7, QStringLiteral("75"));
        d->PageControl1->setCurrentIndex(1);
        chooseFile(d, path);
        f.prompts->expect(Icon::Question, DepositQuestion, Answer::Yes);
        d->BtnSave->click();
    });
    QCOMPARE(count(QStringLiteral("Musteri")), 2);
    DataSet *temp = Dm1->Temp;
    temp->close();
    temp->setSql(QStringLiteral("Select * from Musteri where AdSoyad = :Name"));
    temp->setParameter(QStringLiteral("Name"), QStringLiteral("Selin Yildiz"));
    QVERIFY(temp->open());
    QCOMPARE(temp->value(QStringLiteral("MusteriNo")).toInt(), 2);
    QCOMPARE(temp->value(QStringLiteral("CepTelefon")).toString(), QStringLiteral("0532 111 22 33"));
    QCOMPARE(temp->value(QStringLiteral("EMail")).toString(), QStringLiteral("selin@example.com"));
    QCOMPARE(temp->value(QStringLiteral("Adres")).toString(), QStringLiteral("Cumhuriyet Cad. 5"));
    QCOMPARE(temp->value(QStringLiteral("UyelikDurum")).toInt(), 1);
    QCOMPARE(temp->value(QStringLiteral("UyelikBasTarih")).toDateTime().date(), today);
    QCOMPARE(Format::money(temp->value(QStringLiteral("Depozito")).value<Money>()), QStringLiteral("75,00"));
    QCOMPARE(temp->value(QStringLiteral("Resim")).toByteArray(), photo);
    temp->close();

    temp->setSql(QStringLiteral("Select * from Kasa"));
    QVERIFY(temp->open());
    QCOMPARE(temp->recordCount(), 1);
    QCOMPARE(temp->value(QStringLiteral("Islem")).toString(), QStringLiteral("Other"));
    QCOMPARE(Format::money(temp->value(QStringLiteral("Borc")).value<Money>()), QStringLiteral("75,00"));
    QVERIFY(temp->value(QStringLiteral("Alacak")).isNull());
    QVERIFY(temp->value(QStringLiteral("CDID")).isNull()); // a deposit concerns no disc
    QCOMPARE(temp->value(QStringLiteral("Aciklama")).toString(), QStringLiteral("Deposit / Selin Yildiz"));
    QCOMPARE(temp->value(QStringLiteral("Tarih")).toDateTime().date(), today);
    QVERIFY(qAbs(temp->value(QStringLiteral("Saat")).toDateTime().secsTo(QDateTime::currentDateTime())) < 120);
    temp->close();
    // The customer window now shows the new customer with the photograph.
    QCOMPARE(Dm1->Musteri->value(QStringLiteral("AdSoyad")).toString(), QStringLiteral("Selin Yildiz"));
    QVERIFY(looksLike(w->Image1->picture(), QColor(200, 120, 40)));
}

QTEST_MAIN(TestFrmMusKayit)
#include "tst_frmmuskayit.moc"
