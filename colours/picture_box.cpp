#include "colours/picture_box.h"

#include <QMouseEvent>
#include <QPainter>

namespace huevane {

void PictureBox::setPicture(const QImage& picture)
{
    picture_ = picture;
    resize(picture_.size());
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2, Qt::DashLine));
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    emit pressed(event->buttons(), event->position());
}

}  // namespace huevane
