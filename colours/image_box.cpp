#include "colours/image_box.h"

#include <QPainter>

namespace huevane {

void ImageBox::setPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void ImageBox::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QSize shown = picture_.size();
    if (shown.width() > width() || shown.height() > height())
        shown.scale(size(), Qt::KeepAspectRatio);
    painter.drawImage(QRect(QPoint(0, 0), shown), picture_);
}

}  // namespace huevane
