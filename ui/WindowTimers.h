#pragma once

#include <functional>
#include <memory>

class QObject;

namespace zemra {

// The window's timers, by ID, as window timers behave: a started timer fires every period
// until it is killed; starting a running one restarts it with the new period. Every expiry
// arrives on the window's thread. Tests hand in timers they fire themselves.
class WindowTimers {
 public:
  using Expiry = std::function<void(int id)>;

  virtual ~WindowTimers() = default;

  virtual void SetExpiry(Expiry expiry) = 0;
  virtual void Start(int id, int periodMs) = 0;
  virtual void Kill(int id) = 0;
  virtual bool IsRunning(int id) const = 0;
};

// Timers on QTimer, owned by (and firing on the thread of) `owner`.
std::unique_ptr<WindowTimers> MakeQtWindowTimers(QObject* owner);

}  // namespace zemra
