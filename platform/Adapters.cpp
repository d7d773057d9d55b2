#include "platform/Adapters.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <memory>

namespace zemra {

namespace {

struct IfAddrsDeleter {
  void operator()(ifaddrs* list) const { freeifaddrs(list); }
};

std::uint32_t HostOrder(const sockaddr* address) {
  return ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
}

bool IsUsableIpv4(const ifaddrs& entry) {
  // An interface that is down cannot carry a broadcast; sending to it would fail and end the
  // whole search, so it is left out rather than tried.
  return entry.ifa_addr != nullptr && entry.ifa_addr->sa_family == AF_INET &&
         entry.ifa_netmask != nullptr && entry.ifa_name != nullptr &&
         (entry.ifa_flags & IFF_UP) != 0;
}

}  // namespace

std::vector<Adapter> SystemAdapters() {
  ifaddrs* raw = nullptr;
  if (getifaddrs(&raw) != 0) return {};
  const std::unique_ptr<ifaddrs, IfAddrsDeleter> list(raw);

  std::vector<Adapter> adapters;
  for (const ifaddrs* entry = list.get(); entry != nullptr; entry = entry->ifa_next) {
    if (!IsUsableIpv4(*entry)) continue;
    // An interface with several IPv4 addresses is listed once per address; the first one
    // stands for the interface.
    const bool seen = std::any_of(adapters.begin(), adapters.end(),
                                  [&](const Adapter& a) { return a.name == entry->ifa_name; });
    if (seen) continue;
    adapters.push_back(
        {entry->ifa_name, HostOrder(entry->ifa_addr), HostOrder(entry->ifa_netmask)});
  }
  return adapters;
}

}  // namespace zemra
