#pragma once
#include "mailer/document/style.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <vector>

namespace document {

/// One thing drawn on a page, in twips from the page's top left corner.
struct PageItem {
    enum class Kind { Text, Box, Line, Image, CheckBox };
    enum class Number { None, PageNumber, PageCount };
    /// How a text too wide for its box prints: as designed, whole and narrower (values, which a
    /// cut would turn into another believable value), or narrower down to 70% and then cut
    /// after a whole word (free text).
    enum class Fit { Designed, Whole, Words };

    Kind kind = Kind::Text;
    QRect rect;  ///< a line runs from rect.topLeft() to (x + width, y + height)
    QString text;
    Style style;  ///< font, alignment and colours of a text; fill of any box
    Number number = Number::None;  ///< a text filled with the page number or count after layout
    Fit fit = Fit::Designed;
    bool checked = false;
    QImage image;

    /// One line of text: `text 6390,990 1620x270 "Statement Date " right Arial 10`.
    QString toText() const;
};

/// One laid-out page: its size and its display list, painted in order.
class Page {
public:
    Page(int width = 12240, int height = 15840) : width_(width), height_(height) {}

    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<PageItem>& items() const { return items_; }
    void add(PageItem item) { items_.push_back(std::move(item)); }
    /// Gives the page number texts their value.
    void setNumber(int number);
    /// Gives the page count texts their value.
    void setCount(int count);

    /// The display list, one item a line, for comparing pages as text.
    QString toText() const;

private:
    int width_;
    int height_;
    std::vector<PageItem> items_;
};

}  // namespace document
