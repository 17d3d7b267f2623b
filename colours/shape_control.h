#pragma once
#include <QColor>
#include <QWidget>

namespace huevane {

/// A filled rectangle with a black border, or a line when the fill is left out and the widget
/// is one pixel wide or high.
class ShapeControl : public QWidget {
public:
    explicit ShapeControl(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }

    void setFill(const QColor& fill)
    {
        fill_ = fill;
        update();
    }
    QColor fill() const { return fill_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor fill_;
};

}  // namespace huevane
