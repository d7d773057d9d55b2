#pragma once

#include <map>

#include "ui/WindowTimers.h"

namespace zemra {

// Window timers that only fire when the test says so, and remember the period each was
// started with.
class ManualTimers final : public WindowTimers {
 public:
  void SetExpiry(Expiry expiry) override { m_expiry = std::move(expiry); }
  void Start(int id, int periodMs) override {
    m_period[id] = periodMs;
    m_running[id] = true;
    ++m_starts[id];
  }
  void Kill(int id) override { m_running[id] = false; }
  bool IsRunning(int id) const override {
    auto it = m_running.find(id);
    return it != m_running.end() && it->second;
  }

  int Period(int id) const {
    auto it = m_period.find(id);
    return it == m_period.end() ? 0 : it->second;
  }
  int Starts(int id) const {
    auto it = m_starts.find(id);
    return it == m_starts.end() ? 0 : it->second;
  }
  // Fires a running timer once; false when it is not running.
  bool Fire(int id) {
    if (!IsRunning(id) || !m_expiry) return false;
    m_expiry(id);
    return true;
  }

 private:
  Expiry m_expiry;
  std::map<int, int> m_period;
  std::map<int, bool> m_running;
  std::map<int, int> m_starts;
};

}  // namespace zemra
