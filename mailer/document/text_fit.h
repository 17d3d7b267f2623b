#pragma once
#include "mailer/document/page.h"

#include <QRawFont>

#include <string>
#include <vector>

namespace document {

/// What a face measures at one design size, in twips: the advance of each Windows-1252 code
/// and the distance from a box's top to the baseline. The same numbers place text on the
/// page image and in the PDF, so both show the same.
struct FaceMetrics {
    double advance[256];
    double ascent;
    double pixelSize;  ///< the em in twips
};

/// The metrics of a design family and point size, measured now; a DocumentCache keeps them
/// for a run.
FaceMetrics faceMetrics(const QString& designFamily, double pointSize);
/// The metrics of a face made before.
FaceMetrics faceMetrics(const QRawFont& face);

/// A text placed in its box: the bytes that print, from `x` on the baseline, narrowed to
/// `scale` of their width.
struct FittedText {
    std::string bytes;  ///< Windows-1252
    double x = 0;
    double baseline = 0;
    double scale = 1;
};

/// Places a text item's text in its box as its fit allows: a designed text up to the last whole
/// character that fits, as it always printed; a value
/// whole, narrowed as far as its box needs; free text narrowed to at most 70% and, beyond
/// that, cut after the last whole word that fits (a first word that does not fit even then is
/// narrowed further rather than cut).
FittedText fitText(const PageItem& item);

/// The same for Windows-1252 bytes given apart from the item's own text, with the metrics of
/// the item's face.
FittedText fitText(const FaceMetrics& metrics, const PageItem& item, std::string bytes);

/// A message that must print whole, as the lines it takes (Windows-1252): one while it fits
/// its box at 70% of its width or more; else two, broken at the blank that makes the wider of
/// them narrowest, each then narrowed as a value. One long word stays one line.
std::vector<std::string> messageLines(const FaceMetrics& metrics, const PageItem& item);

}  // namespace document
