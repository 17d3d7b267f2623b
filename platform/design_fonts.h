#pragma once
#include <QString>
#include <string>

// The one table of fonts for both programs and the PDF writer: which installed faces stand in for
// the faces the designs name, which package installs them, and where fontconfig finds their files.
namespace platform {

/// The installed face that prints a face the designs name: its first metric twin installed, or
/// the first twin when none is, so that the PDF writer says which package to install (a face of
/// other widths would print figures out of their boxes). Other names are used as they are. Asks
/// the font database, which costs more than painting a page: a DocumentCache keeps the answer.
QString installedFamily(const QString& designFamily);

/// The face a window shows for a face the designs name: a metric twin, else an installed face of
/// the same kind, else empty for the application's default.
QString windowFamily(const QString& designFamily);

/// The TrueType file fontconfig gives for an installed family. Raises platform::Error naming the
/// face and its package when fontconfig offers another family in its place, or the face only as
/// OpenType/CFF, whose outlines a TrueType font program cannot carry.
std::string fontFile(const QString& installedFamily);

/// The package that installs a face, for a message that asks for it ("the package fonts-liberation").
QString fontPackage(const QString& installedFamily);

/// Registers the table's faces with Qt, so that windows can name the designed face and get a face
/// of the same kind and width. Call once after the application object exists.
void installFontSubstitutions();

}  // namespace platform
