#include "platform/SerialDevices.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>
#include <tuple>
#include <utility>

namespace zemra {

namespace {

namespace fs = std::filesystem;

struct Found {
  std::size_t kind;
  unsigned long number;
  std::string path;
};

constexpr std::array<std::string_view, 4> kKinds = {"ttyUSB", "ttyACM", "ttyS", "ttyAMA"};

// Splits "ttyUSB12" into kind 0 and number 12; false for any other name.
bool ParseName(const std::string& name, std::size_t& kind, unsigned long& number) {
  for (std::size_t k = 0; k < kKinds.size(); ++k) {
    if (!name.starts_with(kKinds[k])) continue;
    const std::string digits = name.substr(kKinds[k].size());
    if (digits.empty() || digits.size() > 6 ||
        !std::all_of(digits.begin(), digits.end(),
                     [](unsigned char c) { return std::isdigit(c) != 0; })) {
      continue;  // "ttyS" must not claim "ttySAC0" and the like
    }
    kind = k;
    number = std::stoul(digits);
    return true;
  }
  return false;
}

// An on-board UART node is only a port when the kernel found a UART behind it.
bool HasUart(const std::string& ttyClassDir, const std::string& name) {
  std::ifstream type(fs::path(ttyClassDir) / name / "type");
  int value = 0;
  return type >> value && value != 0;
}

class SystemPortResolver final : public PortResolver {
 public:
  SystemPortResolver(std::string devDir, std::string ttyClassDir)
      : devDir_(std::move(devDir)), ttyClassDir_(std::move(ttyClassDir)) {}

  std::string DevicePath(unsigned portNumber) override {
    if (portNumber == 0) return {};
    const std::vector<std::string> devices = ListSerialDevices(devDir_, ttyClassDir_);
    return portNumber <= devices.size() ? devices[portNumber - 1] : std::string();
  }

 private:
  std::string devDir_;
  std::string ttyClassDir_;
};

}  // namespace

std::vector<std::string> ListSerialDevices(const std::string& devDir,
                                           const std::string& ttyClassDir) {
  std::vector<Found> found;
  std::error_code error;
  for (fs::directory_iterator it(devDir, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    Found entry{0, 0, it->path().string()};
    if (!ParseName(name, entry.kind, entry.number)) continue;
    if (kKinds[entry.kind] == "ttyS" && !HasUart(ttyClassDir, name)) continue;
    found.push_back(std::move(entry));
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    return std::tie(a.kind, a.number) < std::tie(b.kind, b.number);
  });
  std::vector<std::string> paths;
  for (Found& entry : found) paths.push_back(std::move(entry.path));
  return paths;
}

std::shared_ptr<PortResolver> MakeSystemPortResolver(std::string devDir, std::string ttyClassDir) {
  return std::make_shared<SystemPortResolver>(std::move(devDir), std::move(ttyClassDir));
}

std::shared_ptr<PortResolver> MakeSystemPortResolver() {
  return MakeSystemPortResolver("/dev", "/sys/class/tty");
}

}  // namespace zemra
