// The camera dialog on a frame source in memory: the device list, switching
// devices, one frame kept as a 160 x 120 JPEG (on disk and handed back), and
// what happens without a device or when a capture fails.
#include "db/Paths.h"
#include "customers/DlgKameraUnit.h"
#include "support/ScriptedPrompts.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QComboBox>
#include <QFile>
#include <QImageReader>
#include <QCameraDevice>
#include <QMediaDevices>
#include <QPushButton>
#include <QTest>

using namespace TestSupport;
using Icon = PromptService::Icon;

namespace {
const QString NoWebcamText = QStringLiteral(
    "If there isn t a webcam or a validity source of video, you can t take photograph !!!");
}

class TestDlgKamera : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void devicesListedAndFirstStarted();
    void choosingADeviceRestartsThePicture();
    void captureKeepsAJpegOfTheVideoSize();
    void noDevice_data();
    void noDevice();
    void failedCaptureGivesNoPicture();
    void escapeClosesWithoutPicture();
    void webcamWithoutDevice();

private:
    // Shows the dialog over the given devices and waits until it has listed them.
    TDlgKamera *showDialog(const QStringList &devices);
    FakeVideoCapture *fake() const { return static_cast<FakeVideoCapture *>(m_dialog->capture()); }

    std::unique_ptr<TestHome> m_home;
    ScriptedPrompts *m_prompts = nullptr;
    QPointer<TDlgKamera> m_dialog;
    bool m_failCaptures = false;
};

void TestDlgKamera::init()
{
    m_home = std::make_unique<TestHome>();
    m_prompts = ScriptedPrompts::install();
    m_failCaptures = false;
}

void TestDlgKamera::cleanup()
{
    VERIFY_ALL_ANSWERED(m_prompts);
    delete m_dialog.data();
    VideoCapture::factory() = nullptr;
    PromptService::install(nullptr);
    m_home.reset();
}

TDlgKamera *TestDlgKamera::showDialog(const QStringList &devices)
{
    VideoCapture::factory() = [devices] { return std::make_unique<FakeVideoCapture>(devices); };
    m_dialog = new TDlgKamera;
    m_dialog->show();
    // The list is filled once the dialog is on screen.
    QTest::qWait(20);
    return m_dialog;
}

void TestDlgKamera::devicesListedAndFirstStarted()
{
    showDialog({QStringLiteral("USB Camera"), QStringLiteral("Laptop Camera")});
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Take photo"));
    QCOMPARE(m_dialog->ComboBox1->count(), 2);
    QCOMPARE(m_dialog->ComboBox1->itemText(0), QStringLiteral("USB Camera"));
    QCOMPARE(m_dialog->ComboBox1->itemText(1), QStringLiteral("Laptop Camera"));
    QCOMPARE(m_dialog->ComboBox1->currentIndex(), 0);
    QVERIFY(!m_dialog->ComboBox1->isEditable());
    QCOMPARE(fake()->selectedDevice(), 0);
    QCOMPARE(fake()->previewStarts(), 1);
    QCOMPARE(fake()->videoSize(), QSize(160, 120));
}

void TestDlgKamera::choosingADeviceRestartsThePicture()
{
    showDialog({QStringLiteral("USB Camera"), QStringLiteral("Laptop Camera")});
    m_dialog->ComboBox1->setFocus();
    QTest::keyClick(m_dialog->ComboBox1, Qt::Key_Down);
    QCOMPARE(m_dialog->ComboBox1->currentIndex(), 1);
    QCOMPARE(fake()->selectedDevice(), 1);
    QCOMPARE(fake()->previewStarts(), 2);
}

void TestDlgKamera::captureKeepsAJpegOfTheVideoSize()
{
    showDialog({QStringLiteral("USB Camera"), QStringLiteral("Laptop Camera")});
    QTest::keyClick(m_dialog->ComboBox1, Qt::Key_Down); // the second device's picture
    const QImage expected = fake()->currentFrame();
    QFile::remove(Paths::cameraPicture());
    m_dialog->BtnTakePhoto->click();
    QTRY_VERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));

    QCOMPARE(m_dialog->picture().size(), QSize(160, 120));
    QFile file(Paths::cameraPicture());
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(Paths::cameraPicture()));
    const QByteArray onDisk = file.readAll();
    QCOMPARE(onDisk, m_dialog->jpegBytes());
    QBuffer buffer;
    buffer.setData(onDisk);
    QImageReader reader(&buffer);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    const QImage decoded = reader.read();
    QCOMPARE(decoded.size(), QSize(160, 120));
    // The frame of the chosen device, not another: a corner of its colour bars.
    const QColor corner = decoded.pixelColor(80, 2);
    const QColor want = expected.pixelColor(80, 2);
    QVERIFY2(std::abs(corner.red() - want.red()) < 40 && std::abs(corner.green() - want.green()) < 40
                 && std::abs(corner.blue() - want.blue()) < 40,
             qPrintable(corner.name() + u' ' + want.name()));
}

void TestDlgKamera::noDevice_data()
{
    QTest::addColumn<bool>("pressTakePhoto");
    QTest::newRow("dialog stays") << false;
    QTest::newRow("take photo does nothing") << true;
}

void TestDlgKamera::noDevice()
{
    QFETCH(bool, pressTakePhoto);
    m_prompts->expect(Icon::Error, NoWebcamText);
    showDialog({});
    VERIFY_ALL_ANSWERED(m_prompts);
    QCOMPARE(m_dialog->ComboBox1->count(), 0);
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(fake()->previewStarts(), 0);
    if (pressTakePhoto) {
        m_dialog->BtnTakePhoto->click();
        QTest::qWait(20);
        QVERIFY(m_dialog->isVisible());
        QVERIFY(m_dialog->jpegBytes().isEmpty());
        QVERIFY(!QFile::exists(Paths::cameraPicture()));
    }
}

void TestDlgKamera::failedCaptureGivesNoPicture()
{
    showDialog({QStringLiteral("USB Camera")});
    fake()->setFailCaptures(true);
    m_dialog->BtnTakePhoto->click();
    QTest::qWait(20);
    QVERIFY(m_dialog->isVisible());
    QVERIFY(m_dialog->picture().isNull());
    QVERIFY(!QFile::exists(Paths::cameraPicture()));
    // The clerk tries again and this time it works.
    fake()->setFailCaptures(false);
    m_dialog->BtnTakePhoto->click();
    QTRY_VERIFY(!m_dialog->isVisible());
    QVERIFY(!m_dialog->picture().isNull());
}

void TestDlgKamera::escapeClosesWithoutPicture()
{
    showDialog({QStringLiteral("USB Camera")});
    QTest::keyClick(m_dialog->ComboBox1, Qt::Key_Escape);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
    QVERIFY(m_dialog->jpegBytes().isEmpty());
}

void TestDlgKamera::webcamWithoutDevice()
{
    // The real webcam path, on a machine that has none.
    if (!QMediaDevices::videoInputs().isEmpty())
        QSKIP("this machine has a video device");
    VideoCapture::factory() = nullptr;
    m_prompts->expect(Icon::Error, NoWebcamText);
    m_dialog = new TDlgKamera;
    QVERIFY(qobject_cast<QtVideoCapture *>(m_dialog->capture()));
    m_dialog->show();
    QTRY_VERIFY(m_prompts->allAnswered());
    QCOMPARE(m_dialog->ComboBox1->count(), 0);
    m_dialog->BtnTakePhoto->click();
    QTest::qWait(20);
    QVERIFY(m_dialog->isVisible());
    m_dialog->BtnClose->click();
    QVERIFY(!m_dialog->isVisible());
    QVERIFY(m_dialog->jpegBytes().isEmpty());
}

QTEST_MAIN(TestDlgKamera)
#include "tst_dlgkamera.moc"
