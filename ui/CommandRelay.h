#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <mutex>

#include "net/CLWSocket.h"

namespace zemra {

// Carries command notifications from any thread (the Ethernet client's connect thread) onto the
// thread of a window: each post is queued, never run on the poster's thread. Once the window
// detaches, late posts are dropped, so a connect thread that outlives the window cannot reach
// a destroyed object.
class CommandRelay : public std::enable_shared_from_this<CommandRelay> {
 public:
  using Handler = std::function<void(int commandId)>;

  CommandRelay(QObject* context, Handler handler);

  // A poster for the link's Ethernet client; it keeps the relay alive, not the window.
  EventPoster MakePoster();
  void Post(int commandId);
  void Detach();

 private:
  std::mutex m_mutex;
  QObject* m_context;  // null once detached
  Handler m_handler;
};

}  // namespace zemra
