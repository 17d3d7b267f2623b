#pragma once
#include <QColor>
#include <QRect>
#include <string>
#include <utility>
#include <vector>

namespace pdf {

/// A number as PDF writes it, then a space: at most three decimals, no trailing zeros.
void appendNumber(std::string& s, double v);
void appendNumber(std::string& s, int v);
/// A length or position in twips, as points: exact for whole twips, else at most three decimals.
void appendTwips(std::string& s, int v);
void appendTwips(std::string& s, double v);

/// The content of a page or a form: its operators, and the graphics state in force, so that a
/// colour or font set once is not set again until it changes. Positions come in twips from the top
/// left of the page and go out in points from the stream's origin, a bottom left corner.
class ContentStream {
public:
    /// `originX`, `originY`: the stream's bottom left corner, in page twips from the top left.
    ContentStream(int originX, int originY) : originX_(originX), originY_(originY) {}

    /// Sets the fill colour unless it is already in force.
    void fill(const QColor& colour);
    /// Sets the text font and size unless they are in force; false when they were.
    bool font(int index, double pixelSize);
    /// A rectangle, then the painting operator (`f`, `S` or `B`).
    void rect(const QRect& r, const char* op);
    /// A point in page twips.
    void point(double x, double y);
    void twips(int v) { appendTwips(bytes_, v); }
    void twips(double v) { appendTwips(bytes_, v); }
    void number(double v) { appendNumber(bytes_, v); }
    void number(int v) { appendNumber(bytes_, v); }
    /// Text as a PDF string literal.
    void literal(const std::string& bytes);
    ContentStream& operator<<(const char* op)
    {
        bytes_ += op;
        return *this;
    }
    ContentStream& operator<<(const std::string& op)
    {
        bytes_ += op;
        return *this;
    }

    const std::string& bytes() const { return bytes_; }
    int originX() const { return originX_; }
    int originY() const { return originY_; }

private:
    std::string bytes_;
    int originX_;
    int originY_;
    QRgb fill_ = 0;
    bool fillKnown_ = false;
    int font_ = -1;
    double fontSize_ = 0;
    std::vector<std::pair<QRgb, std::string>> colourOps_;
};

}  // namespace pdf
