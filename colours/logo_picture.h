#pragma once
#include <QImage>
#include <QString>

namespace platform {
class FileSystem;
}

namespace huevane {

/// A logo as the window shows it: the picture as loaded, and the working bitmap read back from
/// "c:\logopic.bmp", whose pixels the colour match reads.
struct LogoPicture {
    QImage picture;
    QImage bitmap;

    /// The working bitmap's Windows path text.
    static QString workingBitmap();

    /// Loads a logo file in any picture format Qt reads (whatever its name), saves it as the
    /// working bitmap, replacing the last one, and reads that back. Transparent parts are laid
    /// on white paper, as the documents print them. Raises platform::Error: 481 "Invalid
    /// picture" for a file or bitmap that is no picture, file errors as they come.
    static LogoPicture load(platform::FileSystem& files, const QString& path);
};

}  // namespace huevane
