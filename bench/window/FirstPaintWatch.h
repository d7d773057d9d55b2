#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace zemra::bench {

// Watches every paint event of the application and calls `painted` once, right after the first
// paint of `window` or of a widget inside it has been handled and the event loop is back.
class FirstPaintWatch final : public QObject {
 public:
  FirstPaintWatch(QWidget* window, std::function<void()> painted);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> window_;
  std::function<void()> painted_;
  bool seen_ = false;
};

}  // namespace zemra::bench
