#pragma once
#include <QImage>
#include <QPointF>
#include <QWidget>

namespace huevane {

/// A picture box that takes the size of its picture and reports presses in picture pixels.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent) : QWidget(parent) {}

    /// Shows the picture at its natural size and takes that size.
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }

signals:
    /// A mouse button went down; `buttons` are all buttons held, the new one included.
    void pressed(Qt::MouseButtons buttons, QPointF position);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage picture_;
};

}  // namespace huevane
