#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "sim/FaultPlan.h"
#include "sim/Fd.h"
#include "sim/FrameCodec.h"
#include "sim/Reactor.h"
#include "sim/Recorder.h"
#include "sim/Thermometer.h"

namespace zemra::sim {

// The thermometer behind an Ethernet interface: TCP on one address, the same frames as on the
// serial line. Several connections may be open at once, each with its own framing. Lives on
// the reactor's thread.
class TcpTransport {
 public:
  static constexpr std::size_t kMaxConnections = 16;

  TcpTransport(Reactor& reactor, Thermometer& model, FaultPlan& faults, Recorder& recorder,
               std::string address, std::uint16_t port);
  ~TcpTransport();
  TcpTransport(const TcpTransport&) = delete;
  TcpTransport& operator=(const TcpTransport&) = delete;

  bool Open(std::string& error);
  // Stops listening and drops every connection.
  void Close();
  std::uint16_t Port() const { return port_; }
  const std::string& Address() const { return address_; }
  std::string Channel() const;

 private:
  struct Connection {
    Fd fd;
    std::uint64_t id = 0;
    std::string peer;
    FrameDecoder decoder;
    std::string pending;
    int frames = 0;
    bool closeWhenSent = false;
  };

  void OnAccept();
  void OnConnection(std::uint64_t id, short revents);
  void Serve(Connection& c, const Frame& frame);
  void Queue(std::uint64_t id, const std::string& bytes, bool closeAfter);
  void Flush(Connection& c);
  void Drop(std::uint64_t id);
  Connection* Find(std::uint64_t id);

  Reactor& reactor_;
  Thermometer& model_;
  FaultPlan& faults_;
  Recorder& recorder_;
  const std::string address_;
  std::uint16_t port_;
  Fd listener_;
  std::map<std::uint64_t, std::unique_ptr<Connection>> connections_;
  std::uint64_t nextId_ = 1;
};

// A dotted IPv4 address in 127.0.0.0/8.
bool IsLoopbackAddress(const std::string& address);
bool IsDottedQuad(const std::string& address);

}  // namespace zemra::sim
