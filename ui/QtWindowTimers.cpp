#include <QObject>
#include <QTimer>
#include <map>

#include "ui/WindowTimers.h"

namespace zemra {
namespace {

class QtWindowTimers final : public WindowTimers {
 public:
  explicit QtWindowTimers(QObject* owner) : m_owner(owner) {}

  void SetExpiry(Expiry expiry) override { m_expiry = std::move(expiry); }

  void Start(int id, int periodMs) override {
    QTimer*& timer = m_timers[id];
    if (!timer) {
      timer = new QTimer(m_owner);
      QObject::connect(timer, &QTimer::timeout, m_owner, [this, id] {
        if (m_expiry) m_expiry(id);
      });
    }
    timer->start(periodMs);
  }

  void Kill(int id) override {
    auto it = m_timers.find(id);
    if (it != m_timers.end()) it->second->stop();
  }

  bool IsRunning(int id) const override {
    auto it = m_timers.find(id);
    return it != m_timers.end() && it->second->isActive();
  }

 private:
  QObject* m_owner;  // owns the QTimers
  std::map<int, QTimer*> m_timers;
  Expiry m_expiry;
};

}  // namespace

std::unique_ptr<WindowTimers> MakeQtWindowTimers(QObject* owner) {
  return std::make_unique<QtWindowTimers>(owner);
}

}  // namespace zemra
