#pragma once
#include "mailer/document/font_table.h"
#include "mailer/document/section.h"
#include "mailer/document/text_fit.h"
#include "platform/file_system.h"

#include <QHash>
#include <QImage>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace document {

/// What every document of a run shares and makes once: the design tables, the installed faces
/// and their metrics, and the store's logo. The run owns one and hands it to each report, so a
/// test, a second run or a worker thread sees exactly the state it was given. Safe to share
/// between threads; what it returns stays valid as long as it lives.
class DocumentCache {
public:
    DocumentCache();
    ~DocumentCache();
    DocumentCache(const DocumentCache&) = delete;
    DocumentCache& operator=(const DocumentCache&) = delete;

    /// The sections `make` builds, built once.
    const std::vector<Section>& design(std::vector<Section> (*make)());
    /// The installed face of a design family (installedFamily), asked of the font database once.
    QString installedFamily(const QString& designFamily);
    /// faceMetrics of a design family and size, measured once.
    const FaceMetrics& metrics(const QString& designFamily, double pointSize);
    /// The picture file at `path`, standing as `stamp` when it was found, made ready for a frame
    /// (pictureForFrame): read and decoded again only when the file changed (another file, size
    /// or time), so a new logo is picked up. Null when the file holds no picture; file errors
    /// reach the caller.
    QImage picture(platform::FileSystem& fs, const QString& path, const platform::FileStamp& stamp, QSize frame);

    /// The store's logo, as a statement shows it.
    struct Logo {
        bool wide = false;
        QImage picture;
    };
    /// The logo `find` finds (nothing when none is installed), found once for each look at the
    /// share (FileSystem::look()) and kept for the rest of it: the install folder is asked once a
    /// batch, not once a statement, and a logo put in or replaced shows from the next look on.
    /// What `find` raises reaches the caller and is kept for no one.
    std::optional<Logo> logo(platform::FileSystem& fs, const std::function<std::optional<Logo>()>& find);

private:
    struct Face {
        QString family;
        double size;
        std::unique_ptr<FaceMetrics> metrics;
    };
    struct Picture {
        QString path;
        QSize frame;
        platform::FileStamp stamp;
        QImage image;
    };

    std::mutex mutex_;
    std::vector<std::pair<std::vector<Section> (*)(), std::unique_ptr<const std::vector<Section>>>> designs_;
    QHash<QString, QString> families_;
    std::vector<Face> faces_;  // a handful of faces and sizes serve every page: a short list is quickest
    QHash<QString, DesignFontFile> fontFiles_;  // by design family
    std::vector<Picture> pictures_;
    struct FoundLogo {
        const platform::FileSystem* fs = nullptr;
        quint64 look = 0;
        std::optional<Logo> logo;
    };
    std::optional<FoundLogo> logo_;
};

}  // namespace document
