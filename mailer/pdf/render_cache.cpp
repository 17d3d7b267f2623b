#include "mailer/pdf/render_cache.h"

#include "mailer/pdf/deflate.h"
#include "mailer/pdf/digest.h"

#include <QCryptographicHash>

namespace pdf {

RenderCache::RenderCache() = default;

RenderCache::~RenderCache() = default;

const FontProgram& RenderCache::font(const QString& designFamily)
{
    const QString installed = document_.installedFamily(designFamily);
    std::lock_guard<std::mutex> hold(mutex_);
    auto known = byDesign_.find(designFamily);
    if (known != byDesign_.end())
        return *known->second;
    auto it = programs_.find(installed);
    if (it == programs_.end())
        it = programs_.emplace(installed, std::make_unique<FontProgram>(installed)).first;
    byDesign_.emplace(designFamily, it->second.get());
    return *it->second;
}

std::shared_ptr<const Blob> RenderCache::subset(const FontProgram& program, uint16_t rows)
{
    std::lock_guard<std::mutex> hold(mutex_);
    auto found = subsets_.find({&program, rows});
    if (found != subsets_.end())
        return found->second;
    if (subsets_.size() >= 64)  // unusual text could otherwise make a subset for every document
        subsets_.clear();
    return subsets_[{&program, rows}] = program.subset(rows);
}

Picture RenderCache::picture(const QImage& image)
{
    std::lock_guard<std::mutex> hold(mutex_);
    for (const auto& [key, picture] : pictures_)
        if (key == image.cacheKey())
            return picture;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    std::string raw;
    raw.reserve(size_t(rgb.width()) * rgb.height() * 3);
    for (int y = 0; y < rgb.height(); ++y)
        raw.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), size_t(rgb.width()) * 3);
    auto blob = std::make_shared<Blob>();
    blob->bytes = Deflater(9).compress(raw);
    blob->digest = QCryptographicHash::hash(QByteArray::fromRawData(blob->bytes.data(), qsizetype(blob->bytes.size())),
                                            QCryptographicHash::Md5)
                       .toStdString();
    pictures_.emplace_front(image.cacheKey(), Picture{blob, rgb.width(), rgb.height()});
    if (pictures_.size() > 4)
        pictures_.pop_back();
    return pictures_.front().second;
}

QByteArray sha256Hex(const char* data, size_t size)
{
    Digest digest(Digest::Sha256);
    digest.add(data, size);
    const std::string raw = digest.result();
    return QByteArray(raw.data(), qsizetype(raw.size())).toHex();
}

}  // namespace pdf
