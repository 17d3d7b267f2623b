#include "platform/access_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace platform {
namespace {

/// Watches the application's key presses and drops those for `window` that only an access key
/// could mean. Enabled access keys never get here: Qt presses their button first.
class AccessKeyGuard : public QObject {
public:
    explicit AccessKeyGuard(QWidget& window) : QObject(&window), window_(window)
    {
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !receiver->isWidgetType()
            || static_cast<QWidget*>(receiver)->window() != &window_)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        // Alt alone: AltGr, which types characters, comes apart from it on X11 and as Ctrl+Alt elsewhere.
        const Qt::KeyboardModifiers held =
            key->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier);
        return held == Qt::AltModifier && !key->text().isEmpty() && key->text().at(0).isPrint();
    }

private:
    QWidget& window_;
};

}  // namespace

void keepAccessKeysOutOfText(QWidget& window)
{
    new AccessKeyGuard(window);
}

}  // namespace platform
