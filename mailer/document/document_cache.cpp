#include "mailer/document/document_cache.h"

#include "mailer/document/font_table.h"
#include "mailer/document/picture.h"
#include "platform/design_fonts.h"

#include <chrono>

namespace document {

DocumentCache::DocumentCache() = default;

DocumentCache::~DocumentCache() = default;

const std::vector<Section>& DocumentCache::design(std::vector<Section> (*make)())
{
    std::lock_guard<std::mutex> hold(mutex_);
    for (const auto& [maker, sections] : designs_)
        if (maker == make)
            return *sections;
    designs_.emplace_back(make, std::make_unique<const std::vector<Section>>(make()));
    return *designs_.back().second;
}

QString DocumentCache::installedFamily(const QString& designFamily)
{
    std::lock_guard<std::mutex> hold(mutex_);
    auto it = families_.constFind(designFamily);
    if (it == families_.constEnd())
        it = families_.insert(designFamily, platform::installedFamily(designFamily));
    return it.value();
}

const FaceMetrics& DocumentCache::metrics(const QString& designFamily, double pointSize)
{
    std::lock_guard<std::mutex> hold(mutex_);
    for (const Face& f : faces_)
        if (f.size == pointSize && f.family == designFamily)
            return *f.metrics;
    // A family's file is found and read once for all its sizes.
    auto file = fontFiles_.constFind(designFamily);
    if (file == fontFiles_.constEnd())
        file = fontFiles_.insert(designFamily, designFontFile(designFamily));
    faces_.push_back({designFamily, pointSize, std::make_unique<FaceMetrics>(faceMetrics(designFace(*file, pointSize)))});
    return *faces_.back().metrics;
}

QImage DocumentCache::picture(platform::FileSystem& fs, const QString& path, const platform::FileStamp& stamp,
                              QSize frame)
{
    // A link is read every time: its own time says nothing of the file it leads to. Nor is a file
    // kept that changed within a tick of the file system's clock: a change in the same tick
    // would leave its time as it is.
    constexpr qint64 kRacyNs = 50'000'000;
    const qint64 now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    const bool keep = stamp.kind == platform::FileStamp::Regular && now - stamp.mtimeNs > kRacyNs;
    if (keep) {
        std::lock_guard<std::mutex> hold(mutex_);
        for (const Picture& p : pictures_)
            if (p.stamp == stamp && p.frame == frame && p.path == path)
                return p.image;
    }
    QImage image = pictureForFrame(fs.readFile(path), frame);
    if (keep && !image.isNull()) {
        std::lock_guard<std::mutex> hold(mutex_);
        // The narrow and the wide logo at most, and a replaced one while it is read anew.
        if (pictures_.size() >= 4)
            pictures_.erase(pictures_.begin());
        pictures_.push_back({path, frame, stamp, image});
    }
    return image;
}

std::optional<DocumentCache::Logo> DocumentCache::logo(platform::FileSystem& fs,
                                                        const std::function<std::optional<Logo>()>& find)
{
    const quint64 look = fs.look();
    if (look != 0) {
        std::lock_guard<std::mutex> hold(mutex_);
        if (logo_ && logo_->fs == &fs && logo_->look == look)
            return logo_->logo;
    }
    std::optional<Logo> found = find();  // unlocked: it asks this cache for the picture
    if (look != 0) {
        std::lock_guard<std::mutex> hold(mutex_);
        logo_ = FoundLogo{&fs, look, found};
    }
    return found;
}

}  // namespace document
