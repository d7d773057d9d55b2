// The transaction's reply rules on any bytes, as the link applies them to its reply buffer.
#include <cstddef>
#include <cstdint>
#include <string>

#include "link/Frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string reply = zemra::StripReplyFrame(zemra::BufferText(data, size));
  const int judged = zemra::JudgeReply(reply);
  if (judged != 0 && judged != -2) __builtin_trap();
  if (judged == 0 && !reply.empty() && reply[0] == '*' && reply.size() < 3) __builtin_trap();
  (void)zemra::ProbeAnswered(data, size);
  return 0;
}
