#pragma once

#include <QImage>
#include <QLabel>

// A customer's photograph: centred, scaled down to the space it has (and,
// unless stretched, never blown up, so a 160 x 120 webcam picture stays sharp).
class PhotoView : public QLabel
{
    Q_OBJECT

public:
    explicit PhotoView(QWidget *parent = nullptr);
    void setPicture(const QImage &picture);
    void clearPicture();
    // Scaled up as well as down, to fill the space (the small photo window).
    void setStretch(bool on) { m_stretch = on; repaintPicture(); }
    bool hasPicture() const { return !m_picture.isNull(); }
    const QImage &picture() const { return m_picture; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void repaintPicture();
    QImage m_picture;
    bool m_stretch = false;
};
