#include "customers/PhotoView.h"

PhotoView::PhotoView(QWidget *parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
    setMinimumSize(40, 30);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
}

void PhotoView::setPicture(const QImage &picture)
{
    m_picture = picture;
    repaintPicture();
}

void PhotoView::clearPicture()
{
    m_picture = QImage();
    clear();
}

void PhotoView::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    repaintPicture();
}

void PhotoView::repaintPicture()
{
    if (m_picture.isNull())
        return;
    const QSize room = m_stretch ? size() : size().boundedTo(m_picture.size());
    setPixmap(QPixmap::fromImage(m_picture.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}
