#pragma once
#include <QImage>
#include <QWidget>

namespace huevane {

/// The logo preview: the picture scaled down, keeping its proportions, to fit the box.
class ImageBox : public QWidget {
public:
    explicit ImageBox(QWidget* parent) : QWidget(parent) {}

    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QImage picture_;
};

}  // namespace huevane
