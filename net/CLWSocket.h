#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Clock.h"

namespace zemra {

// Receives the client's event notifications: called with the socket event command ID (event
// base + client index, 125), possibly from the connect thread. The window queues it onto its
// own thread. An empty poster means the owner has no window.
using EventPoster = std::function<void(int commandId)>;

inline constexpr int kSocketEventCommand = 125;
inline constexpr int kEventConnected = 1;
inline constexpr int kEventAlreadyConnected = 10056;
inline constexpr int kEventConnectFailed = 10060;
inline constexpr int kReplyBufferSize = 5000;

// The TCP client that carries the link's frames to a thermometer's Ethernet interface. Connects
// on a worker thread and reports the outcome as an event; sends and receives synchronously with
// 10 s socket time-outs. Socket errors are WinSock numbers.
class CLWSocket {
 public:
  explicit CLWSocket(EventPoster owner, int eventBaseCommandId = kSocketEventCommand,
                     Clock& clock = SystemClock());
  ~CLWSocket();

  CLWSocket(const CLWSocket&) = delete;
  CLWSocket& operator=(const CLWSocket&) = delete;

  int Start();
  int Connect(const std::string& address, std::uint16_t port);
  int Send(const std::uint8_t* bytes, int count);
  // `buffer` holds kReplyBufferSize bytes; `size` (1 to 5000) bounds the reply.
  int ReceiveReply(std::uint8_t* buffer, int size);
  int TakeEvent();
  int Close();

  bool IsConnected() const;
  static std::string ErrorText(int code);

  // The implementation's private members follow in net/ (left to the Ethernet client).
};

}  // namespace zemra
