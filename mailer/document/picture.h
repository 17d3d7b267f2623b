#pragma once
#include <QImage>
#include <QSize>
#include <string>

namespace document {

/// A picture file's bytes in any format Qt reads, made ready for a frame of `frame` twips:
/// transparency laid on white, 32-bit RGB, and no more than 300 dots per inch of the frame,
/// which no print shows. Null when the bytes hold no picture Qt can read.
QImage pictureForFrame(const std::string& bytes, QSize frame);

}  // namespace document
