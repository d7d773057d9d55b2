#include "sim/Simulator.h"

#include <future>

#include "sim/AddpResponder.h"
#include "sim/PtyTransport.h"
#include "sim/TcpTransport.h"

namespace zemra::sim {

Simulator::Simulator(SimulatorOptions options)
    : options_(std::move(options)), model_(std::make_unique<Thermometer>(options_.thermometer)) {
  faults_.Set(options_.faults);
  model_->SetSignal(options_.signalC);
}

Simulator::~Simulator() {
  Stop();
}

bool Simulator::Start(std::string* error) {
  std::string message;
  if (Running()) {
    message = "already running";
  } else if (OpenTransports(message)) {
    thread_ = std::thread([this] { reactor_->Run(); });
    return true;
  }
  pty_.reset();
  tcp_.clear();
  addp_.reset();
  reactor_.reset();
  if (error != nullptr) *error = message;
  return false;
}

bool Simulator::OpenTransports(std::string& error) {
  reactor_ = std::make_unique<Reactor>();
  if (!reactor_->Ok()) return error = "cannot make the event loop's pipe", false;
  if (!options_.traceFile.empty() && !recorder_.TraceTo(options_.traceFile)) {
    return error = "cannot write the trace file " + options_.traceFile, false;
  }
  for (const std::string& address : options_.tcpAddresses) {
    if (!options_.allowAnyAddress && !IsLoopbackAddress(address)) {
      return error = address + " is not a loopback address (127.0.0.0/8); " +
                     "give --allow-any-address to listen there anyway",
             false;
    }
    const std::uint16_t port = tcpPort_ != 0 ? tcpPort_ : options_.tcpPort;
    auto tcp =
        std::make_unique<TcpTransport>(*reactor_, *model_, faults_, recorder_, address, port);
    if (!tcp->Open(error)) return false;
    tcpPort_ = tcp->Port();
    tcp_.push_back(std::move(tcp));
  }
  if (tcp_.empty()) tcpPort_ = options_.tcpPort;
  if (options_.ptyLink) {
    pty_ =
        std::make_unique<PtyTransport>(*reactor_, *model_, faults_, recorder_, *options_.ptyLink);
    if (!pty_->Open(error)) return false;
  }
  if (options_.addpUnits > 0) {
    addp_ = std::make_unique<AddpResponder>(*reactor_, faults_, recorder_, options_);
    if (!addp_->Open(error)) return false;
  }
  return true;
}

void Simulator::Stop() {
  if (!Running()) return;
  reactor_->Quit();
  thread_.join();
  // The transports unwatch themselves from the reactor, so they go first.
  addp_.reset();
  pty_.reset();
  tcp_.clear();
  reactor_.reset();
}

template <typename F>
auto Simulator::OnLoop(F f) -> decltype(f()) {
  if (!Running()) return f();
  std::packaged_task<decltype(f())()> task(std::move(f));
  auto result = task.get_future();
  reactor_->Post([&task] { task(); });
  return result.get();
}

std::string Simulator::PtyPath() const {
  return pty_ ? pty_->DevicePath() : std::string();
}

void Simulator::HangUpPty(int reopenMs) {
  if (!pty_) return;
  OnLoop([this, reopenMs] { pty_->HangUp(reopenMs); });
}

void Simulator::OnPtyChanged(std::function<void(const std::string&)> callback) {
  if (!pty_) return;
  OnLoop([this, &callback] { pty_->OnDeviceChanged(std::move(callback)); });
}

int Simulator::UnitCount() const {
  return addp_ ? addp_->UnitCount() : 0;
}

Thermometer* Simulator::UnitModel(int index) {
  return addp_ ? addp_->UnitModel(index) : nullptr;
}

std::optional<AddpUnitView> Simulator::Unit(int index) {
  if (!addp_) return std::nullopt;
  return OnLoop([this, index] { return addp_->View(index); });
}

}  // namespace zemra::sim
