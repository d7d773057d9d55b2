#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zemra {

// One local IPv4 network interface: its first IPv4 address and that address's netmask, both in
// host byte order.
struct Adapter {
  std::string name;
  std::uint32_t address = 0;
  std::uint32_t netmask = 0;
};

// Supplies the adapters a search broadcasts to. Tests hand discovery a provider of loopback
// adapters only, so that no datagram can reach a real network.
using AdapterProvider = std::function<std::vector<Adapter>()>;

// The interfaces of this machine that are up and have an IPv4 address, in the order the system
// lists them, each once with its first IPv4 address. Empty when the system cannot be asked.
std::vector<Adapter> SystemAdapters();

// The directed broadcast address of an adapter's network (address OR NOT netmask). An adapter
// without address and mask (0.0.0.0/0.0.0.0) gives the limited broadcast 255.255.255.255.
inline std::uint32_t DirectedBroadcast(const Adapter& adapter) {
  return adapter.address | ~adapter.netmask;
}

}  // namespace zemra
