#pragma once
#include <QImage>
#include <QString>
#include <QWidget>

namespace huevane {

/// The logo preview: the picture scaled down, keeping its proportions, to fit the box.
class ImageBox : public QWidget {
public:
    explicit ImageBox(QWidget* parent) : QWidget(parent) {}

    void setPicture(const QImage& picture);
    /// A text shown while the box has no picture.
    void setNote(const QString& note);
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QImage picture_;
    QString note_;
};

}  // namespace huevane
