#pragma once
#include "mailer/document/page.h"
#include "mailer/document/text_fit.h"

#include <QRawFont>
#include <QHash>
#include <QImage>

class QPainter;

namespace document {

/// Paints display lists; keeps the fonts it has made for the pages it paints next.
class PagePainter {
public:
    /// Paints the page into a painter whose unit is one twip, origin at the page's corner.
    void paint(const Page& page, QPainter& painter);

private:
    struct Face {
        QRawFont raw;
        FaceMetrics metrics;
    };
    const Face& face(const Style& style);
    void paintText(const PageItem& item, QPainter& painter);
    void paintCheckBox(const PageItem& item, QPainter& painter);
    static void paintImage(const PageItem& item, QPainter& painter);

    QHash<QString, Face> faces_;
};

/// Paints one page into a QPainter whose unit is one twip (PDF, images and previews).
void paintPage(const Page& page, QPainter& painter);

/// An image of a page at the given dots per inch, on white.
QImage renderPage(const Page& page, int dpi);


}  // namespace document
