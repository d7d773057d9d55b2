#include "ui/CommandRelay.h"

namespace zemra {

CommandRelay::CommandRelay(QObject* context, Handler handler)
    : m_context(context), m_handler(std::move(handler)) {}

EventPoster CommandRelay::MakePoster() {
  std::weak_ptr<CommandRelay> weak = weak_from_this();
  return [weak](int commandId) {
    if (auto relay = weak.lock()) relay->Post(commandId);
  };
}

void CommandRelay::Post(int commandId) {
  std::lock_guard lock(m_mutex);
  if (!m_context) return;
  // Queued onto the context's thread; Qt drops it if the context is destroyed first.
  QMetaObject::invokeMethod(
      m_context, [handler = m_handler, commandId] { handler(commandId); }, Qt::QueuedConnection);
}

void CommandRelay::Detach() {
  std::lock_guard lock(m_mutex);
  m_context = nullptr;
}

}  // namespace zemra
