#pragma once

// Public surface of the Ethernet client as the link uses it. The implementation (and any
// private members it needs) belongs to net/.

#include <cstdint>
#include <functional>
#include <string>

namespace zemra {

// Receives the client's event notifications: called with the socket event command ID (event
// base + client index, 125) from the connect thread. The window's owner queues it onto its own
// thread. An empty owner means "no window": the client then reports "Error Signal Comm Event"
// through `noWindowMessage`.
using EventPoster = std::function<void(int commandId)>;

class CLWSocket;  // defined in net/CLWSocket.h by the Ethernet client's implementation

}  // namespace zemra
