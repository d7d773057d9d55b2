#include "bench/LinkBench.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "bench/CountingClock.h"
#include "bench/CountingSerialBackend.h"
#include "bench/Figures.h"
#include "bench/SequencePlan.h"
#include "link/CQRVSerialPort.h"
#include "link/Information.h"

namespace zemra::bench {

namespace {

// Start bit, eight data bits, stop bit.
constexpr double kBitsPerByte = 10.0;
constexpr std::uint16_t kPortNumber = 1;
constexpr std::int32_t kUnitAddress = 1;
constexpr std::chrono::seconds kConnectTimeout{5};

int BaudIndex(std::uint32_t baudRate) {
  const std::vector<std::int32_t> rates = CQRVSerialPort::GetBaudRates();
  const auto at = std::find(rates.begin(), rates.end(), static_cast<std::int32_t>(baudRate));
  return at == rates.end() ? -1 : static_cast<int>(at - rates.begin());
}

// The socket events of the Ethernet client, which arrive on its connect thread.
struct Events {
  std::mutex mutex;
  std::condition_variable posted;
  int count = 0;
};

// Everything ReadConfiguration fills, kept to be written back.
struct Configuration {
  std::string label;
  Thermometer record;
  double emissivity = 0;
  std::int32_t emissivityControl = 0;
  double nonGreyness = 0;
  TimeFuncData timeFunction;
  AlarmLevel alarmLevel;
  AlarmMode alarmMode;
  AlarmContacts alarmContacts;
  OutputData output;
  std::int32_t userCalibration = 1000;
  std::int32_t driveMode = 0;
  std::int32_t unitAddress = 0;
};

// The configuration that was read, changed so that the write sends the most frames a write
// can (the peak picker's five settings) and passes every range check of this thermometer.
Configuration LongestWrite(Configuration c) {
  const std::int32_t low = c.record.rangeLow;
  const std::int32_t high = c.record.rangeHigh;
  c.timeFunction = TimeFuncData{2, 0, low + (high - low) / 2, 3, 1.0, 2.0, 1};
  for (std::int32_t& level : c.alarmLevel.value) level = std::clamp(level, low, high);
  for (std::int32_t& mode : c.alarmMode.value) mode = std::clamp(mode, 0, 1);
  return c;
}

WrittenConfiguration AsSent(const Configuration& c) {
  WrittenConfiguration w;
  w.label = c.label.size() > 15 ? c.label.substr(c.label.size() - 15) : c.label;
  w.unit = c.record.fahrenheit != 0 ? 1 : 0;
  w.emissivityControl = c.emissivityControl;
  const double value = c.record.typeClass == kTypeRatio ? c.nonGreyness : c.emissivity;
  w.emsOrNgr = static_cast<std::int32_t>(value * 1000.0);
  w.timeFunction = c.timeFunction;
  w.alarmLevel = c.alarmLevel;
  w.alarmMode = c.alarmMode;
  w.alarmContacts = c.alarmContacts;
  w.output = c.output;
  w.userCalibration = c.userCalibration;
  w.odmValue = c.driveMode == 0 ? 1 : 0;
  return w;
}

class Bench {
 public:
  Bench(const LinkTarget& target, const std::string& workFolder);
  bool Open(std::string& error);
  bool RunRound();
  void Print(std::FILE* out) const;

 private:
  int ReadConfiguration(Configuration& c);
  int WriteAndStore(const Configuration& c);
  int QuickPoll();
  int FullPoll();
  // `plan` is asked for after the run, so that it can follow what the run learnt.
  bool Measure(Figures& figures, const std::function<SequencePlan()>& plan,
               const std::function<int()>& run);

  LinkTarget target_;
  CountingClock clock_;
  std::shared_ptr<LineBytes> bytes_ = std::make_shared<LineBytes>();
  std::shared_ptr<Events> events_ = std::make_shared<Events>();
  std::unique_ptr<CQRVSerialPort> link_;
  Configuration config_;
  bool configKnown_ = false;
  Figures read_, write_, quick_, full_;
};

Bench::Bench(const LinkTarget& target, const std::string& workFolder)
    : target_(target),
      read_(target.name + ".read_config"),
      write_(target.name + ".write_store"),
      quick_(target.name + ".quick_poll"),
      full_(target.name + ".full_poll") {
  EventPoster poster = [events = events_](int) {
    std::lock_guard lock(events->mutex);
    ++events->count;
    events->posted.notify_all();
  };
  auto backend = std::make_unique<CountingSerialBackend>(MakeTermiosBackend(), bytes_);
  link_ = std::make_unique<CQRVSerialPort>(std::move(poster), clock_, std::move(backend),
                                           std::make_shared<FixedPortResolver>(target.device),
                                           TrafficLog(workFolder + "/ZEMRAnet.log"));
}

bool Bench::Open(std::string& error) {
  const int baudIndex = target_.ethernet ? 0 : BaudIndex(target_.baudRate);
  if (baudIndex < 0) {
    error = "no such line speed: " + std::to_string(target_.baudRate);
    return false;
  }
  const int opened =
      link_->Open(kPortNumber, kUnitAddress, baudIndex, target_.ethernet, target_.ipAddress);
  if (!target_.ethernet) {
    if (opened != kLinkOk) error = "the serial open failed with " + std::to_string(opened);
    return opened == kLinkOk;
  }
  std::unique_lock lock(events_->mutex);
  events_->posted.wait_for(lock, kConnectTimeout, [&] { return events_->count > 0; });
  const int event = link_->EthernetClient()->TakeEvent();
  if (event != kEventConnected) error = "the connection reported event " + std::to_string(event);
  return event == kEventConnected;
}

bool Bench::Measure(Figures& figures, const std::function<SequencePlan()>& makePlan,
                    const std::function<int()>& run) {
  clock_.Clear();
  *bytes_ = LineBytes{};
  const Stopwatch watch;
  const int result = run();
  const double wall = watch.WallMs();
  const double cpu = watch.CpuMs();
  if (result != kLinkOk) {
    figures.Add("result", result, Figures::Reduce::kMinimum);
    return false;
  }
  const SequencePlan plan = makePlan();

  const double wire = target_.ethernet ? 0.0
                                       : static_cast<double>(bytes_->written + bytes_->read) *
                                             kBitsPerByte * 1000.0 / target_.baudRate;
  const double waits = static_cast<double>(plan.WaitMs());
  const double floor = waits + wire;
  // The clock's record of the waits, and the bytes the line took, against the plan.
  const bool agrees =
      clock_.Waits() == plan.Waits() && (target_.ethernet || bytes_->written == plan.FrameBytes());
  figures.Add("ratio", wall / floor);
  figures.Add("cpu_share", cpu / wall);
  figures.Add("wall_ms", wall);
  figures.Add("floor_ms", floor);
  figures.Add("waits_ms", waits);
  if (!target_.ethernet) {
    figures.Add("wire_ms", wire);
    figures.Add("over_waits", wall / waits);
  }
  // Where the time beyond the waits went: late wake-ups from the sleeps, and everything done
  // outside them (purges, writes, reads with their interval time-out, the traffic log).
  figures.Add("late_wakeups_ms", clock_.SleptMs() - waits);
  figures.Add("outside_waits_ms", wall - clock_.SleptMs());
  figures.Add("plan_agrees", agrees ? 1 : 0, Figures::Reduce::kMinimum);
  return true;
}

int Bench::ReadConfiguration(Configuration& c) {
  return link_->ReadConfiguration(c.label, c.record, c.emissivity, c.emissivityControl,
                                  c.nonGreyness, c.timeFunction, c.alarmLevel, c.alarmMode,
                                  c.alarmContacts, c.output, c.userCalibration, c.driveMode,
                                  c.unitAddress);
}

int Bench::WriteAndStore(const Configuration& c) {
  const int written = link_->WriteConfiguration(
      c.label, c.record.fahrenheit != 0 ? 1 : 0, c.emissivity, c.emissivityControl, c.nonGreyness,
      c.timeFunction, c.alarmLevel, c.alarmMode, c.alarmContacts, c.output, c.userCalibration,
      c.driveMode);
  return written != kLinkOk ? written : link_->StoreToMemory();
}

// What the window exchanges on each of the ten polls between two full ones.
int Bench::QuickPoll() {
  double temperature = 0;
  std::int32_t internal = 0;
  std::int32_t control = 0;
  std::uint32_t flags = 0;
  bool laser = false;
  int result = link_->ReadHTP(temperature);
  if (result == kLinkOk) result = link_->ReadIAC(internal);
  if (result == kLinkOk) result = link_->ReadANC(control);
  // The panel matches the thermometer here, so its emissivity control button follows ANC.
  if (result == kLinkOk && control == 1) {
    std::string text;
    result = link_->ReadInformationText(text);
    const int typeClass = ParseInformation(text).typeClass;
    double value = 0;
    if (result == kLinkOk && typeClass == kTypeSingleWavelength) result = link_->ReadEMS(value);
    if (result == kLinkOk && typeClass == kTypeRatio) result = link_->ReadNGR(value);
  }
  if (result == kLinkOk) result = link_->ReadFLG(flags);
  if (result != kLinkOk) return result;
  // The window ignores failures of these two.
  link_->ReadLSR(laser);
  link_->ReadIAC(internal);
  return kLinkOk;
}

// The window's full poll: the link's Poll, then the laser state and the internal temperature.
int Bench::FullPoll() {
  std::string info;
  std::string label;
  std::int32_t timeFunction = 0;
  OutputData output;
  std::uint32_t flags = 0;
  double temperature = 0;
  std::int32_t internal = 0;
  bool laser = false;
  const int result = link_->Poll(info, label, timeFunction, output, flags, temperature, internal);
  if (result != kLinkOk) return result;
  link_->ReadLSR(laser);
  link_->ReadIAC(internal);
  return kLinkOk;
}

// One of each sequence. A failed sequence does not stop the others: what fails where is part
// of what the figures show.
bool Bench::RunRound() {
  const bool ethernet = target_.ethernet;
  // The plans need the thermometer's type, which a first read learns; it also warms up.
  if (!configKnown_) {
    if (ReadConfiguration(config_) != kLinkOk) return false;
    configKnown_ = true;
  }
  Configuration read = config_;
  // The read's own information decides which of its steps run.
  const auto readPlan = [&] { return ReadConfigurationPlan(ethernet, read.record.typeClass); };
  bool ok = Measure(read_, readPlan, [&] { return ReadConfiguration(read); });
  if (ok) {
    // A reply cut short loses the information's end marker, and with it the type and range.
    const bool parsed =
        read.record.typeClass != kTypeUnknown && read.record.rangeHigh > read.record.rangeLow;
    read_.Add("information_parsed", parsed ? 1 : 0, Figures::Reduce::kMinimum);
    config_ = read;
  }
  const int typeClass = config_.record.typeClass;
  const Configuration written = LongestWrite(config_);
  const auto writePlan = [&] { return WriteAndStorePlan(ethernet, typeClass, AsSent(written)); };
  ok = Measure(write_, writePlan, [&] { return WriteAndStore(written); }) && ok;
  const bool liveEmissivity = config_.emissivityControl == 1;
  const auto quickPlan = [&] { return QuickPollPlan(ethernet, typeClass, liveEmissivity); };
  ok = Measure(quick_, quickPlan, [&] { return QuickPoll(); }) && ok;
  const auto fullPlan = [&] { return FullPollPlan(ethernet); };
  return Measure(full_, fullPlan, [&] { return FullPoll(); }) && ok;
}

void Bench::Print(std::FILE* out) const {
  for (const Figures* figures : {&read_, &write_, &quick_, &full_}) figures->Print(out);
}

}  // namespace

bool RunLinkBench(const LinkTarget& target, const std::string& workFolder, int repeats,
                  std::FILE* out) {
  Bench bench(target, workFolder);
  std::string error;
  if (!bench.Open(error)) {
    std::fprintf(stderr, "bench: %s: %s\n", target.name.c_str(), error.c_str());
    return false;
  }
  bool ok = true;
  for (int round = 0; round < repeats; ++round) ok = bench.RunRound() && ok;
  bench.Print(out);
  if (!ok)
    std::fprintf(stderr, "bench: %s: a sequence failed (see .result)\n", target.name.c_str());
  return ok;
}

}  // namespace zemra::bench
