#include "FirstPaintWatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

namespace zemra::bench {

FirstPaintWatch::FirstPaintWatch(QWidget* window, std::function<void()> painted)
    : window_(window), painted_(std::move(painted)) {
  QCoreApplication::instance()->installEventFilter(this);
}

bool FirstPaintWatch::eventFilter(QObject* watched, QEvent* event) {
  if (seen_ || event->type() != QEvent::Paint || !window_) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || (widget != window_ && !window_->isAncestorOf(widget))) return false;
  seen_ = true;
  QCoreApplication::instance()->removeEventFilter(this);
  // Queued, so the paint in progress (and the rest of that frame) is over when it runs.
  QTimer::singleShot(0, this, [this] { painted_(); });
  return false;
}

}  // namespace zemra::bench
