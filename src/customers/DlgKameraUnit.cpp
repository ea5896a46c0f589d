#include "customers/DlgKameraUnit.h"

#include "components/KeyPreview.h"
#include "db/Paths.h"
#include "components/PromptService.h"

#include <QBuffer>
#include <QCamera>
#include <QCameraDevice>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageCapture>
#include <QImageWriter>
#include <QLabel>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QVideoWidget>


namespace {
const QString NoWebcamText = QStringLiteral(
    "If there isn t a webcam or a validity source of video, you can t take photograph !!!");
}

// ------------------------------------------------------------- VideoCapture

std::function<std::unique_ptr<VideoCapture>()> &VideoCapture::factory()
{
    static std::function<std::unique_ptr<VideoCapture>()> f;
    return f;
}

std::unique_ptr<VideoCapture> VideoCapture::create()
{
    if (factory())
        return factory()();
    return std::make_unique<QtVideoCapture>();
}

// --------------------------------------------------------- FakeVideoCapture

FakeVideoCapture::FakeVideoCapture(QStringList devices, QObject *parent)
    : VideoCapture(parent), m_devices(std::move(devices))
{
}

void FakeVideoCapture::selectDevice(int index)
{
    m_selected = index;
}

void FakeVideoCapture::setVideoSize(const QSize &size)
{
    m_size = size;
}

QWidget *FakeVideoCapture::createView(QWidget *parent)
{
    m_view = new QLabel(parent);
    m_view->setAlignment(Qt::AlignCenter);
    m_view->setMinimumSize(m_size);
    QPalette p = m_view->palette();
    p.setColor(QPalette::Window, Qt::black);
    m_view->setPalette(p);
    m_view->setAutoFillBackground(true);
    return m_view;
}

void FakeVideoCapture::startPreview()
{
    ++m_previewStarts;
    if (m_view)
        m_view->setPixmap(QPixmap::fromImage(currentFrame()));
}

QImage FakeVideoCapture::currentFrame() const
{
    // A test card that tells the devices apart: colour bars, a face-sized
    // circle and the device's number.
    QImage frame(m_size, QImage::Format_RGB32);
    QPainter p(&frame);
    const QColor bars[] = {Qt::white, Qt::yellow, Qt::cyan, Qt::green, Qt::magenta, Qt::red, Qt::blue};
    const int n = int(std::size(bars));
    for (int i = 0; i < n; ++i)
        p.fillRect(QRect(i * m_size.width() / n, 0, m_size.width() / n + 1, m_size.height()), bars[(i + std::max(0, m_selected)) % n]);
    p.setBrush(QColor(230, 190, 150));
    p.setPen(Qt::black);
    const int r = m_size.height() / 3;
    p.drawEllipse(QPoint(m_size.width() / 2, m_size.height() / 2), r, r);
    p.drawText(frame.rect().adjusted(4, 4, -4, -4), Qt::AlignLeft | Qt::AlignTop, QString::number(m_selected));
    return frame;
}

void FakeVideoCapture::captureFrame()
{
    // Delivered later, as a real device does.
    const QImage frame = m_fail ? QImage() : currentFrame();
    const bool ok = !m_fail;
    QTimer::singleShot(0, this, [this, frame, ok] { emit frameCaptured(frame, ok); });
}

// ----------------------------------------------------------- QtVideoCapture

QtVideoCapture::QtVideoCapture(QObject *parent)
    : VideoCapture(parent), m_session(std::make_unique<QMediaCaptureSession>())
{
}

QtVideoCapture::~QtVideoCapture()
{
    if (m_camera)
        m_camera->stop();
}

QStringList QtVideoCapture::deviceNames()
{
    QStringList names;
    for (const QCameraDevice &d : QMediaDevices::videoInputs())
        names << d.description();
    return names;
}

void QtVideoCapture::selectDevice(int index)
{
    m_device = index;
}

void QtVideoCapture::setVideoSize(const QSize &size)
{
    m_size = size;
}

QWidget *QtVideoCapture::createView(QWidget *parent)
{
    m_view = new QVideoWidget(parent);
    m_view->setMinimumSize(m_size);
    return m_view;
}

void QtVideoCapture::useDevice(int index)
{
    const QList<QCameraDevice> devices = QMediaDevices::videoInputs();
    if (index < 0 || index >= devices.size())
        return;
    if (m_camera)
        m_camera->stop();
    m_still.reset();
    m_camera = std::make_unique<QCamera>(devices[index]);
    // The smallest format that still covers the video size: the picture is
    // scaled to that size anyway, and a small format keeps the preview quick.
    QCameraFormat best;
    for (const QCameraFormat &f : devices[index].videoFormats()) {
        const QSize r = f.resolution();
        if (r.width() < m_size.width() || r.height() < m_size.height())
            continue;
        if (best.isNull() || r.width() * r.height() < best.resolution().width() * best.resolution().height())
            best = f;
    }
    if (!best.isNull())
        m_camera->setCameraFormat(best);
    m_still = std::make_unique<QImageCapture>();
    m_still->setResolution(m_size);
    m_session->setCamera(m_camera.get());
    m_session->setImageCapture(m_still.get());
    if (m_view)
        m_session->setVideoOutput(m_view.data());
    connect(m_still.get(), &QImageCapture::imageCaptured, this, [this](int, const QImage &image) {
        if (!m_waiting)
            return;
        m_waiting = false;
        emit frameCaptured(image.scaled(m_size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), true);
    });
    connect(m_still.get(), &QImageCapture::errorOccurred, this, [this](int, QImageCapture::Error, const QString &) {
        if (!m_waiting)
            return;
        m_waiting = false;
        emit frameCaptured(QImage(), false);
    });
}

void QtVideoCapture::startPreview()
{
    useDevice(m_device);
    if (m_camera)
        m_camera->start();
}

void QtVideoCapture::captureFrame()
{
    if (!m_still || !m_still->isReadyForCapture()) {
        QTimer::singleShot(0, this, [this] { emit frameCaptured(QImage(), false); });
        return;
    }
    m_waiting = true;
    m_still->capture();
}

// --------------------------------------------------------------- TDlgKamera

TDlgKamera::TDlgKamera(QWidget *parent) : QDialog(parent), m_capture(VideoCapture::create())
{
    Windows::track(this); // found by closeOtherWindows while it exists
    setObjectName(QStringLiteral("DlgKamera"));
    setWindowTitle(QStringLiteral("Take photo"));
    setAccessibleName(windowTitle());
    setModal(true);

    auto *heading = new QLabel(QStringLiteral("Please, choose a Webcam"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    auto *choose = new QLabel(QStringLiteral("Camera choosing "), this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setAccessibleName(QStringLiteral("Camera choosing "));
    ComboBox1->setEditable(false); // entries only from the list
    ComboBox1->setMinimumWidth(200);
    choose->setBuddy(ComboBox1);

    auto *viewFrame = new QFrame(this);
    viewFrame->setObjectName(QStringLiteral("VideoPanel"));
    viewFrame->setFrameShape(QFrame::StyledPanel);
    viewFrame->setAutoFillBackground(true);
    QPalette vp = viewFrame->palette();
    vp.setColor(QPalette::Window, Qt::black);
    viewFrame->setPalette(vp);
    m_view = m_capture->createView(viewFrame);
    m_view->setObjectName(QStringLiteral("VideoCap1"));
    auto *viewLayout = new QHBoxLayout(viewFrame);
    viewLayout->setContentsMargins(4, 4, 4, 4);
    viewLayout->addWidget(m_view, 0, Qt::AlignCenter);
    viewFrame->setMinimumSize(320, 240);

    BtnTakePhoto = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton), QStringLiteral("Take photo"), this);
    BtnTakePhoto->setObjectName(QStringLiteral("BtnTakePhoto"));
    BtnTakePhoto->setAccessibleName(QStringLiteral("Take photo"));
    BtnTakePhoto->setAutoDefault(false);
    BtnClose = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Close"), this);
    BtnClose->setObjectName(QStringLiteral("BtnClose"));
    BtnClose->setAccessibleName(QStringLiteral("Close"));
    BtnClose->setAutoDefault(false);

    auto *top = new QHBoxLayout;
    top->addWidget(choose);
    top->addWidget(ComboBox1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnTakePhoto);
    buttons->addWidget(BtnClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(top);
    layout->addWidget(viewFrame, 1);
    layout->addLayout(buttons);

    m_keys = new KeyPreview(this);
    connect(ComboBox1, &QComboBox::activated, this, &TDlgKamera::ComboBox1Change);
    connect(BtnTakePhoto, &QPushButton::clicked, this, &TDlgKamera::BtnTakePhotoClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_capture.get(), &VideoCapture::frameCaptured, this, &TDlgKamera::CaptureCompleted);
}

TDlgKamera::~TDlgKamera() = default;

void TDlgKamera::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // After the dialog is on screen, so the message stands over it.
    QMetaObject::invokeMethod(this, &TDlgKamera::FormShow, Qt::QueuedConnection);
}

void TDlgKamera::FormShow()
{
    ComboBox1->clear();
    ComboBox1->addItems(m_capture->deviceNames());
    m_capture->setVideoSize(QSize(160, 120));
    if (ComboBox1->count() == 0) {
        Prompt::error(NoWebcamText);
        return;
    }
    ComboBox1->setCurrentIndex(0);
    ComboBox1Change(0);
}

void TDlgKamera::ComboBox1Change(int index)
{
    if (index < 0)
        return;
    m_capture->selectDevice(index);
    m_capture->startPreview();
}

void TDlgKamera::BtnTakePhotoClick()
{
    if (ComboBox1->count() == 0)
        return; // nothing to capture from
    m_capture->captureFrame();
}

void TDlgKamera::CaptureCompleted(const QImage &frame, bool success)
{
    // A capture the device reports as failed gives no picture; the clerk may
    // try again.
    if (!success || frame.isNull())
        return;
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    if (!writer.write(frame.scaled(m_capture->videoSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)))
        return;
    buffer.close();
    // The last photograph also stays on disk, replacing the one before.
    QDir().mkpath(QFileInfo(Paths::cameraPicture()).absolutePath());
    QSaveFile file(Paths::cameraPicture());
    if (file.open(QIODevice::WriteOnly)) {
        file.write(jpeg);
        file.commit();
    }
    m_jpeg = jpeg;
    m_picture = QImage::fromData(jpeg, "JPEG");
    accept();
}
