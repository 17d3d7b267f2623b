#include "mailer/document/picture.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

namespace document {

namespace {

/// The format Qt reads itself that the bytes begin as, else none.
const char* builtInFormat(const std::string& bytes)
{
    if (bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0)
        return "png";
    if (bytes.compare(0, 2, "BM") == 0)
        return "bmp";
    return nullptr;
}

/// A picture of a format Qt reads itself, read as Qt would have found it: asked to find the
/// format, it first loads every image format plugin installed to ask each one.
QImage readBuiltIn(const std::string& bytes)
{
    const char* format = builtInFormat(bytes);
    if (!format)
        return {};
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

}  // namespace

QImage pictureForFrame(const std::string& bytes, QSize frame)
{
    QImage image = readBuiltIn(bytes);
    if (image.isNull()
        && !image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size())))
        return {};
    if (image.hasAlphaChannel()) {
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
        painter.end();
        image = flat;
    } else if (image.format() != QImage::Format_RGB32) {
        image = image.convertToFormat(QImage::Format_RGB32);
    }
    const QSize most(frame.width() * 300 / 1440, frame.height() * 300 / 1440);
    if (image.width() > most.width() && image.height() > most.height())
        image = image.scaled(most, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

}  // namespace document
