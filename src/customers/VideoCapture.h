#pragma once

#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QObject>
#include <QSize>
#include <QStringList>
#include <functional>
#include <memory>

class QWidget;

// What the customer photo needs of a video capture device, and no more: the
// device list, choosing one, the picture size, a live picture, and one frame
// captured into memory, delivered when it is ready.
class VideoCapture : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The installed devices, by name, in the component's order.
    virtual QStringList deviceNames() = 0;
    // Chooses the device by its place in deviceNames().
    virtual void selectDevice(int index) = 0;
    virtual void setVideoSize(const QSize &size) = 0;
    QSize videoSize() const { return m_size; }
    // The control that shows the live picture; it belongs to the caller's parent.
    virtual QWidget *createView(QWidget *parent) = 0;
    virtual void startPreview() = 0;
    // Asks for the current frame; frameCaptured follows later.
    virtual void captureFrame() = 0;

    // The capture that every camera dialog uses; tests and the gallery put a
    // frame source of their own here. Null means the webcam (Qt Multimedia).
    static std::function<std::unique_ptr<VideoCapture>()> &factory();
    static std::unique_ptr<VideoCapture> create();

signals:
    // The frame asked for, at the video size; a null picture when it failed.
    void frameCaptured(const QImage &frame, bool success);

protected:
    QSize m_size{160, 120};
};

// Frames painted in memory, for the tests and the gallery: the devices it is
// given, a test card per device, and captures that succeed unless told not to.
class FakeVideoCapture : public VideoCapture
{
    Q_OBJECT

public:
    explicit FakeVideoCapture(QStringList devices = {QStringLiteral("Fake Camera 0"), QStringLiteral("Fake Camera 1")},
                              QObject *parent = nullptr);

    QStringList deviceNames() override { return m_devices; }
    void selectDevice(int index) override;
    void setVideoSize(const QSize &size) override;
    QWidget *createView(QWidget *parent) override;
    void startPreview() override;
    void captureFrame() override;

    // The frame the device shows now (what a capture delivers).
    QImage currentFrame() const;
    int selectedDevice() const { return m_selected; }
    int previewStarts() const { return m_previewStarts; }
    void setFailCaptures(bool fail) { m_fail = fail; }

private:
    QStringList m_devices;
    int m_selected = -1;
    int m_previewStarts = 0;
    bool m_fail = false;
    QPointer<QLabel> m_view;
};
