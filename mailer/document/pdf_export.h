#pragma once
#include "mailer/document/pages.h"
#include "platform/file_system.h"

#include <QByteArray>
#include <QString>

namespace document {

/// Writes a page list as a PDF: real text with embedded fonts, pictures without loss.
class PdfExport {
public:
    QString FileName;  ///< Windows path text of the target PDF
    int Option = 0;    ///< 0 keeps all pages in the one named file

    /// Renders the pages to PDF in memory and writes the bytes to FileName through fs, so the
    /// file appears whole or not at all; raises platform::Error on failure.
    void Export(const Pages& pages, platform::FileSystem& fs);

    /// The PDF of the pages as bytes.
    static QByteArray toPdf(const Pages& pages);
};

}  // namespace document
