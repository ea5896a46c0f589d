#pragma once

#include "app/WindowRegistry.h"

#include "customers/VideoCapture.h"

#include <QByteArray>
#include <QDialog>
#include <QImage>
#include <QPointer>
#include <memory>

class QComboBox;
class QPushButton;
class QCamera;
class QMediaCaptureSession;
class QImageCapture;
class QVideoWidget;
class KeyPreview;

// The webcam through Qt Multimedia: the video inputs the system reports, a
// live picture in a video widget, one still captured into memory.
class QtVideoCapture : public VideoCapture
{
    Q_OBJECT

public:
    explicit QtVideoCapture(QObject *parent = nullptr);
    ~QtVideoCapture() override;

    QStringList deviceNames() override;
    void selectDevice(int index) override;
    void setVideoSize(const QSize &size) override;
    QWidget *createView(QWidget *parent) override;
    void startPreview() override;
    void captureFrame() override;

private:
    void useDevice(int index);
    std::unique_ptr<QMediaCaptureSession> m_session;
    std::unique_ptr<QCamera> m_camera;
    std::unique_ptr<QImageCapture> m_still;
    QPointer<QVideoWidget> m_view;
    int m_device = -1;
    bool m_waiting = false;
};

// "Take photo": a live picture from the chosen webcam; "Take photo" keeps one
// frame as a JPEG of the video size, also written to the camera picture file,
// and the dialog closes with it.
class TDlgKamera : public QDialog
{
    Q_OBJECT

public:
    explicit TDlgKamera(QWidget *parent = nullptr);
    ~TDlgKamera() override;

    QComboBox *ComboBox1;        // "Camera choosing "
    QPushButton *BtnTakePhoto;   // "Take photo"
    QPushButton *BtnClose;       // "Close"
    VideoCapture *capture() const { return m_capture.get(); }

    // What the capture gave: the JPEG as stored, and the picture it holds.
    // Both empty until a capture has succeeded.
    const QByteArray &jpegBytes() const { return m_jpeg; }
    const QImage &picture() const { return m_picture; }

    void FormShow();
    void ComboBox1Change(int index);
    void BtnTakePhotoClick();
    void CaptureCompleted(const QImage &frame, bool success);

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<VideoCapture> m_capture;
    QWidget *m_view = nullptr;
    KeyPreview *m_keys = nullptr;
    QByteArray m_jpeg;
    QImage m_picture;
    bool m_shown = false;
};

