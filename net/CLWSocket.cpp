#include "net/CLWSocket.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <system_error>
#include <utility>

#include "net/ReplyReader.h"

namespace zemra {
namespace {

constexpr char kNoWindowText[] = "Error Signal Comm Event";

void NoticeToStderr(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
}

// The white space that CString-style trimming removes.
bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string Trimmed(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// The remote address of a connect. Text too long for the address field, text that is no
// address, and the two addresses no thermometer can have (0.0.0.0, which Linux would take for
// this machine, and the broadcast address) fail like an address nothing answers at.
std::optional<std::uint32_t> RemoteAddress(const std::string& text) {
  if (text.size() > kMaxAddressLength) return std::nullopt;
  const std::optional<std::uint32_t> address = ParseIpv4(text);
  if (!address || *address == 0 || *address == 0xFFFFFFFFu) return std::nullopt;
  return address;
}

}  // namespace

CLWSocket::CLWSocket(EventPoster owner, int eventBaseCommandId, Clock& clock)
    : CLWSocket(std::move(owner), eventBaseCommandId, clock, SystemSockets()) {}

CLWSocket::CLWSocket(EventPoster owner, int eventBaseCommandId, Clock& clock, SocketApi& sockets)
    : owner_(std::move(owner)),
      eventBaseCommandId_(eventBaseCommandId),
      clock_(clock),
      sockets_(sockets),
      notice_(NoticeToStderr) {}

CLWSocket::~CLWSocket() {
  Release();
}

int CLWSocket::Start() {
  // A socket left from an earlier open is released first, so none is ever leaked or shared.
  Release();
  const SocketResult created = sockets_.CreateTcp();
  if (!created.Ok()) return created.error;
  socket_ = created.value;
  // The results are not examined: a socket without time-outs still works, only waits longer.
  sockets_.SetTimeouts(socket_, kSocketTimeoutMs, kSocketTimeoutMs);
  return 0;
}

int CLWSocket::Connect(const std::string& address, std::uint16_t port) {
  remoteAddress_ = Trimmed(address);
  remotePort_ = port;
  const std::uint64_t generation = CurrentGeneration();
  if (connected_.load()) {
    Signal(generation, kEventAlreadyConnected);
    return 0;
  }
  // The attempt under way reports for this socket; a second connect on it could only fail.
  if (connectRunning_.load()) return 0;
  if (connectThread_.joinable()) connectThread_.join();
  cancel_ = std::make_unique<ConnectCancel>();
  connectRunning_.store(true);
  try {
    connectThread_ =
        std::thread(&CLWSocket::RunConnect, this, generation, socket_, remoteAddress_, port);
  } catch (const std::system_error&) {
    // Without this event the window would wait for an outcome that never comes.
    connectRunning_.store(false);
    SetDiagnostic("CommsConnectThread Connect Error = " + ErrorText(wsa::kNoBuffers));
    Signal(generation, kEventConnectFailed);
  }
  return 0;
}

int CLWSocket::Send(const std::uint8_t* bytes, int count) {
  if (count <= 0) return 0;
  if (bytes == nullptr) return wsa::kFault;
  if (socket_ == kNoSocket) return wsa::kNotSocket;
  while (count > 0) {
    const SocketResult sent = sockets_.Send(socket_, bytes, count);
    if (!sent.Ok()) return sent.error;
    // A call that moves nothing would otherwise be repeated for ever.
    if (sent.value <= 0) return wsa::kTimedOut;
    const int moved = std::min(sent.value, count);
    bytes += moved;
    count -= moved;
  }
  return 0;
}

int CLWSocket::ReceiveReply(std::uint8_t* buffer, int size) {
  if (socket_ == kNoSocket) {
    if (buffer != nullptr) std::fill_n(buffer, kReplyBufferSize, std::uint8_t{0});
    return -1;
  }
  return ReadReply(sockets_, socket_, clock_, buffer, size);
}

int CLWSocket::TakeEvent() {
  return eventCode_.exchange(-1);
}

int CLWSocket::Close() {
  Release();
  return 0;
}

bool CLWSocket::IsConnected() const {
  return connected_.load();
}

void CLWSocket::SetNoticeSink(NoticeSink sink) {
  std::lock_guard lock(mutex_);
  notice_ = sink ? std::move(sink) : NoticeSink(NoticeToStderr);
}

std::string CLWSocket::LastDiagnostic() const {
  std::lock_guard lock(mutex_);
  return diagnostic_;
}

void CLWSocket::Release() {
  {
    std::lock_guard lock(mutex_);
    ++generation_;
  }
  if (cancel_) cancel_->Fire();
  // The thread connects this very descriptor: it is closed only once the thread is done.
  if (connectThread_.joinable()) connectThread_.join();
  connectRunning_.store(false);
  cancel_.reset();
  if (socket_ != kNoSocket) sockets_.Close(socket_);
  socket_ = kNoSocket;
  connected_.store(false);
  // An event already posted about this socket is no news about the next one.
  eventCode_.store(-1);
}

std::uint64_t CLWSocket::CurrentGeneration() const {
  std::lock_guard lock(mutex_);
  return generation_;
}

void CLWSocket::SetDiagnostic(std::string text) {
  std::lock_guard lock(mutex_);
  diagnostic_ = std::move(text);
}

// CommsConnectThread: one run per connect; reports only through Signal.
void CLWSocket::RunConnect(std::uint64_t generation, SocketHandle socket, std::string address,
                           std::uint16_t port) {
  if (connected_.load()) {
    Signal(generation, kEventAlreadyConnected);
  } else {
    int error = 0;
    try {
      error = ConnectStep(generation, socket, address, port);
    } catch (...) {
      error = wsa::kNoBuffers;
    }
    if (error != 0) {
      SetDiagnostic("CommsConnectThread Connect Error = " + ErrorText(error));
      Signal(generation, kEventConnectFailed);
    } else {
      Signal(generation, kEventConnected);
    }
  }
  connectRunning_.store(false);
}

int CLWSocket::ConnectStep(std::uint64_t generation, SocketHandle socket,
                           const std::string& address, std::uint16_t port) {
  const std::optional<std::uint32_t> remote = RemoteAddress(address);
  if (const int error = sockets_.SetLinger(socket, false, 0); error != 0) return error;
  // Nagle's algorithm stays on; a failure to say so changes nothing.
  sockets_.SetNoDelay(socket, false);
  // An invalid address never reaches connect: inet_addr would make it the broadcast address.
  const int error = remote ? sockets_.Connect(socket, Ipv4Endpoint{*remote, port}, *cancel_)
                           : wsa::kAddressNotAvail;
  if (error != 0) {
    SetDiagnostic("Connect failed " + ErrorText(error));
    return error;
  }
  std::lock_guard lock(mutex_);
  if (generation == generation_) connected_.store(true);
  return 0;
}

void CLWSocket::Signal(std::uint64_t generation, int code) {
  {
    std::lock_guard lock(mutex_);
    if (generation != generation_) return;
    eventCode_.store(code);
  }
  Notify();
}

void CLWSocket::Notify() {
  // Neither a failing poster nor a failing sink may end the connect thread (and the program).
  try {
    if (owner_) {
      owner_(eventBaseCommandId_ + clientIndex_);
      return;
    }
    NoticeSink sink;
    {
      std::lock_guard lock(mutex_);
      sink = notice_;
    }
    sink(kNoWindowText);
  } catch (...) {
  }
}

}  // namespace zemra
