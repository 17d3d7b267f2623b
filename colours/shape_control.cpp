#include "colours/shape_control.h"

#include <QPainter>

namespace huevane {

void ShapeControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (width() == 1 || height() == 1 || !fill_.isValid()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.setPen(Qt::black);
    painter.setBrush(fill_);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace huevane
