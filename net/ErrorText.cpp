#include <cstdio>
#include <string>

#include "net/CLWSocket.h"

namespace zemra {

std::string CLWSocket::ErrorText(int code) {
  struct Entry {
    int code;
    const char* text;
  };
  // These texts are the program's own wording and are kept exactly, capitals included.
  static constexpr Entry kTexts[] = {
      {10004, "Blocking Cancelled"},
      {10013, "Broadcast failed option not set"},
      {10014, "Invalid name parameter"},
      {10022, "Listening Socket"},
      {10035, "Would Block"},
      {10036, "Blocking in progress"},
      {10037, "Nonblocking connect call is in progress"},
      {10038, "Descriptor is not a socket"},
      {10047, "Address cannot support sockets"},
      {10048, "Local address is already in use"},
      {10049, "Remote address invalid"},
      {10050, "Network Subsystem Failed"},
      {10051, "Network unreachable"},
      {10054, "Connection Reset"},
      {10055, "Buffer unavailable"},
      {10056, "Already connected"},
      {10060, "Connection timed out"},
      {10061, "Connection Refused"},
      {10065, "Host Unreachable"},
      {10093, "Not Initialised"},
  };
  for (const Entry& entry : kTexts) {
    if (entry.code == code) return entry.text;
  }
  char text[32];
  std::snprintf(text, sizeof text, "Socket Error %d", code);
  return text;
}

}  // namespace zemra
