#include "colours/logo_picture.h"

#include "platform/error.h"
#include "platform/file_system.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPainter>

namespace huevane {
namespace {

constexpr int kInvalidPicture = 481;

QImage decode(const std::string& bytes, const char* format, const QString& path)
{
    const QImage image = QImage::fromData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), format);
    if (image.isNull())
        throw platform::Error(kInvalidPicture, QStringLiteral("Invalid picture"), path);
    return image;
}

QImage onWhitePaper(const QImage& picture)
{
    QImage flat(picture.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, picture);
    return flat;
}

}  // namespace

QString LogoPicture::workingBitmap()
{
    return QStringLiteral("c:\\logopic.bmp");
}

LogoPicture LogoPicture::load(platform::FileSystem& files, const QString& path)
{
    LogoPicture logo;
    logo.picture = decode(files.readFile(path), nullptr, path);

    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    if (!onWhitePaper(logo.picture).save(&buffer, "BMP"))
        throw platform::Error(kInvalidPicture, QStringLiteral("Invalid picture"), path);

    // The working bitmap lives in a folder of its own that a fresh profile does not have yet.
    QDir().mkpath(QFileInfo(files.hostPath(workingBitmap())).absolutePath());
    files.writeFile(workingBitmap(), bmp.toStdString());
    logo.bitmap = decode(files.readFile(workingBitmap()), "BMP", workingBitmap());
    return logo;
}

}  // namespace huevane
