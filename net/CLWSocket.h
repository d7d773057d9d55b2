#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/Clock.h"
#include "platform/Socket.h"

namespace zemra {

// Receives the client's event notifications: called with the socket event command ID (event
// base + client index, 125), possibly from the connect thread. The window queues it onto its
// own thread. An empty poster means the owner has no window. The poster must post, never wait
// for the window: Close waits for a running connect thread to end.
using EventPoster = std::function<void(int commandId)>;

// Receives the texts the client would otherwise show in a message box when it has no window to
// post to ("Error Signal Comm Event"). By default they go to standard error.
using NoticeSink = std::function<void(const std::string& text)>;

inline constexpr int kSocketEventCommand = 125;
inline constexpr int kEventConnected = 1;
inline constexpr int kEventAlreadyConnected = 10056;
inline constexpr int kEventConnectFailed = 10060;
inline constexpr int kReplyBufferSize = 5000;
inline constexpr std::uint32_t kSocketTimeoutMs = 10000;
// The longest address text a connect accepts; longer text fails like an invalid address.
inline constexpr std::size_t kMaxAddressLength = 24;

// The TCP client that carries the link's frames to a thermometer's Ethernet interface. Connects
// on a worker thread and reports the outcome as an event; sends and receives synchronously with
// 10 s socket time-outs. Socket errors are WinSock numbers.
class CLWSocket {
 public:
  explicit CLWSocket(EventPoster owner, int eventBaseCommandId = kSocketEventCommand,
                     Clock& clock = SystemClock());
  // The same over another socket table (a scripted one in tests).
  CLWSocket(EventPoster owner, int eventBaseCommandId, Clock& clock, SocketApi& sockets);
  ~CLWSocket();

  CLWSocket(const CLWSocket&) = delete;
  CLWSocket& operator=(const CLWSocket&) = delete;

  // Releases any earlier socket first (ending a connect still under way), then makes a new one.
  int Start();
  // While a connect is under way nothing new starts: that attempt's outcome is the event.
  int Connect(const std::string& address, std::uint16_t port);
  int Send(const std::uint8_t* bytes, int count);
  // `buffer` holds kReplyBufferSize bytes; `size` (1 to 5000) bounds the reply.
  int ReceiveReply(std::uint8_t* buffer, int size);
  int TakeEvent();
  // Ends a connect under way without its event, closes the socket whether it ever connected or
  // not, and drops an event not yet taken.
  int Close();

  bool IsConnected() const;
  static std::string ErrorText(int code);

  // Where "Error Signal Comm Event" goes when the owner has no window.
  void SetNoticeSink(NoticeSink sink);
  // The last diagnostic text of a failed connect ("CommsConnectThread Connect Error = ..."),
  // for tracing; empty until a connect fails.
  std::string LastDiagnostic() const;

 private:
  void RunConnect(std::uint64_t generation, SocketHandle socket, std::string address,
                  std::uint16_t port);
  int ConnectStep(std::uint64_t generation, SocketHandle socket, const std::string& address,
                  std::uint16_t port);
  void Signal(std::uint64_t generation, int code);
  void Notify();
  void SetDiagnostic(std::string text);
  std::uint64_t CurrentGeneration() const;
  // Ends a running connect (its outcome is never signalled) and closes the socket.
  void Release();

  EventPoster owner_;
  int eventBaseCommandId_;
  int clientIndex_ = 0;
  Clock& clock_;
  SocketApi& sockets_;
  NoticeSink notice_;

  std::string remoteAddress_;
  std::uint16_t remotePort_ = 0;
  std::atomic<bool> connected_{false};
  SocketHandle socket_ = kNoSocket;
  std::atomic<int> eventCode_{-1};

  // Every Close and Start begins a new generation; a connect thread of an older one may no
  // longer store an event or the connected flag.
  mutable std::mutex mutex_;
  std::uint64_t generation_ = 0;
  std::string diagnostic_;

  std::thread connectThread_;
  std::atomic<bool> connectRunning_{false};
  std::unique_ptr<ConnectCancel> cancel_;
};

}  // namespace zemra
