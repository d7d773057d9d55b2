#pragma once

#include <cstdint>

#include "platform/Clock.h"
#include "platform/Socket.h"

namespace zemra {

// Reads one reply that ends with ETX from `socket` into `buffer` (kReplyBufferSize bytes), the
// way the Ethernet client's ReceiveReply does: a peek that waits for the first data, then at most
// four reads 1 ms apart. Returns the reply's byte count (ETX included), 0 when data came but
// did not end with ETX, -1 on a time-out, a socket error or no complete reply after four reads.
// At least one zero byte always follows the data, so the buffer is a terminated text.
int ReadReply(SocketApi& sockets, SocketHandle socket, Clock& clock, std::uint8_t* buffer,
              int size);

}  // namespace zemra
