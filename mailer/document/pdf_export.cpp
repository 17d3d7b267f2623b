#include "mailer/document/pdf_export.h"

#include "mailer/document/page_painter.h"
#include "platform/error.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace document {
namespace {

QPageSize pageSizeOf(const Page& page)
{
    return QPageSize(QSizeF(page.width() / 20.0, page.height() / 20.0), QPageSize::Point);
}

}  // namespace

QByteArray PdfExport::toPdf(const Pages& pages)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Brevix"));
        // One device unit is one twip; the writer's own margins would shift every page.
        writer.setResolution(1440);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        if (pages.Count() > 0)
            writer.setPageSize(pageSizeOf(pages.Item(0)));
        QPainter painter(&writer);
        if (!painter.isActive())
            throw platform::Error(platform::Error::DeviceIO, QStringLiteral("Cannot render the PDF"), QString());
        PagePainter pagePainter;
        for (int i = 0; i < pages.Count(); ++i) {
            const Page& page = pages.Item(i);
            if (i > 0) {
                writer.setPageSize(pageSizeOf(page));
                writer.newPage();
            }
            pagePainter.paint(page, painter);
        }
        painter.end();
    }
    return bytes;
}

void PdfExport::Export(const Pages& pages, platform::FileSystem& fs)
{
    const QByteArray pdf = toPdf(pages);
    fs.writeFile(FileName, pdf.toStdString());
}

}  // namespace document
