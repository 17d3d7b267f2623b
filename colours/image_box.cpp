#include "colours/image_box.h"

#include <QPainter>

namespace huevane {

void ImageBox::setPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void ImageBox::setNote(const QString& note)
{
    note_ = note;
    update();
}

void ImageBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (picture_.isNull()) {
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, note_);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QSize shown = picture_.size();
    if (shown.width() > width() || shown.height() > height())
        shown.scale(size(), Qt::KeepAspectRatio);
    painter.drawImage(QRect(QPoint(0, 0), shown), picture_);
}

}  // namespace huevane
