#include "mailer/document/page_painter.h"

#include "mailer/document/font_table.h"
#include "mailer/document/text_fit.h"
#include "platform/cp1252.h"

#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>

namespace document {
namespace {

/// One pixel at 96 dots per inch.
constexpr int kHairline = 15;

}  // namespace

const PagePainter::Face& PagePainter::face(const Style& style)
{
    const QString key = style.family + QLatin1Char('/') + QString::number(style.size);
    auto it = faces_.find(key);
    if (it == faces_.end()) {
        it = faces_.insert(key, Face{designFace(style.family, style.size),
                                     faceMetrics(style.family, style.size)});
    }
    return it.value();
}

void PagePainter::paintText(const PageItem& item, QPainter& painter)
{
    const QRectF box(item.rect);
    if (item.style.fillColor.isValid())
        painter.fillRect(box, item.style.fillColor);
    if (item.text.isEmpty())
        return;
    const Face& f = face(item.style);
    const FaceMetrics& metrics = f.metrics;
    const FittedText fitted = fitText(metrics, item, platform::toCp1252(item.text));
    if (fitted.bytes.empty())
        return;
    // Glyphs straight from the font's character map, without shaping: the designs hold plain
    // single-byte text, and shaping every value was most of the time an export took.
    const QRawFont& raw = f.raw;
    const QList<quint32> glyphs = raw.glyphIndexesForString(platform::fromCp1252(fitted.bytes));
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    double advance = 0;
    for (size_t i = 0; i < fitted.bytes.size() && positions.size() < glyphs.size(); ++i) {
        positions.append(QPointF(advance, 0));
        advance += metrics.advance[static_cast<unsigned char>(fitted.bytes[i])];
    }
    QGlyphRun run;
    run.setRawFont(raw);
    run.setGlyphIndexes(glyphs.mid(0, positions.size()));
    run.setPositions(positions);
    painter.save();
    painter.setPen(item.style.textColor);
    painter.translate(fitted.x, fitted.baseline);
    painter.scale(fitted.scale, 1);
    painter.drawGlyphRun(QPointF(0, 0), run);
    painter.restore();
}

void PagePainter::paintCheckBox(const PageItem& item, QPainter& painter)
{
    const QRectF box(item.rect);
    const double side = std::min(box.width(), box.height()) * 2 / 3;
    const double inset = (box.height() - side) / 2;
    const QRectF square(box.left() + inset, box.top() + inset, side, side);
    painter.setPen(QPen(Qt::black, kHairline));
    painter.setBrush(Qt::white);
    painter.drawRect(square);
    if (!item.checked)
        return;
    QPainterPath tick;
    tick.moveTo(square.left() + side * 0.2, square.top() + side * 0.52);
    tick.lineTo(square.left() + side * 0.42, square.top() + side * 0.75);
    tick.lineTo(square.left() + side * 0.8, square.top() + side * 0.25);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, kHairline * 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tick);
}

void PagePainter::paintImage(const PageItem& item, QPainter& painter)
{
    // Fitted whole into the frame, keeping its proportions, from the frame's top left corner.
    const QSizeF size = QSizeF(item.image.size()).scaled(QSizeF(item.rect.size()), Qt::KeepAspectRatio);
    painter.drawImage(QRectF(QPointF(item.rect.topLeft()), size), item.image);
}

void PagePainter::paint(const Page& page, QPainter& painter)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Without it the PDF writer stores pictures as JPEG.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    for (const PageItem& item : page.items()) {
        switch (item.kind) {
        case PageItem::Kind::Text: paintText(item, painter); break;
        case PageItem::Kind::Box:
            painter.setPen(QPen(Qt::black, kHairline));
            painter.setBrush(item.style.fillColor.isValid() ? QBrush(item.style.fillColor) : QBrush());
            painter.drawRect(QRectF(item.rect));
            break;
        case PageItem::Kind::Line:
            painter.setPen(QPen(Qt::black, kHairline));
            painter.drawLine(item.rect.topLeft(),
                             QPoint(item.rect.x() + item.rect.width(), item.rect.y() + item.rect.height()));
            break;
        case PageItem::Kind::Image: paintImage(item, painter); break;
        case PageItem::Kind::CheckBox: paintCheckBox(item, painter); break;
        }
    }
    painter.restore();
}

void paintPage(const Page& page, QPainter& painter)
{
    PagePainter().paint(page, painter);
}

QImage renderPage(const Page& page, int dpi)
{
    const double scale = dpi / 1440.0;
    QImage image(qRound(page.width() * scale), qRound(page.height() * scale), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    paintPage(page, painter);
    return image;
}

}  // namespace document
