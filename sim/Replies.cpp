#include "sim/Replies.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace zemra::sim {
namespace {

const FaultRule* FindRule(const Faults& faults, const std::string& command) {
  for (const auto& rule : faults.rules) {
    if (RuleMatches(rule.command, command)) return &rule;
  }
  return nullptr;
}

std::vector<Outgoing> Pieces(const std::string& bytes, std::chrono::milliseconds delay,
                             const Faults& faults, bool split) {
  const std::size_t segments = split ? std::clamp(faults.splitSegments, 1, 64) : 1;
  if (segments == 1 || bytes.size() < 2) return {Outgoing{delay, bytes}};
  std::vector<Outgoing> pieces;
  const std::size_t count = std::min(segments, bytes.size());
  const std::size_t size = bytes.size() / count;
  const auto gap = std::chrono::milliseconds(std::max(0, faults.splitGapMs));
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t begin = i * size;
    const std::size_t length = i + 1 == count ? std::string::npos : size;
    pieces.push_back(Outgoing{delay + gap * static_cast<int>(i), bytes.substr(begin, length)});
  }
  return pieces;
}

}  // namespace

bool AddressedTo(std::uint8_t frameAddress, int ownAddress) {
  return frameAddress == 0 || frameAddress == ownAddress;
}

std::string GarbageReply() {
  std::string noise;
  std::uint32_t state = 0x5EED1234;
  while (noise.size() < 24) {
    state = state * 1103515245u + 12345u;
    const auto byte = static_cast<char>((state >> 16) & 0xff);
    if (byte != 0 && byte != kStx && byte != kEtx) noise.push_back(byte);
  }
  noise.push_back(kEtx);
  return noise;
}

std::vector<Outgoing> Answer(const Frame& frame, Thermometer& model, const Faults& faults,
                             bool splitSegments) {
  const int own = model.Address();
  if (!AddressedTo(frame.address, own)) return {};
  if (frame.kind == FrameKind::Set) {
    model.Set(frame.command, frame.value);
    return {};
  }
  if (frame.kind != FrameKind::Read && frame.kind != FrameKind::Probe) return {};

  const std::string command = frame.kind == FrameKind::Probe ? "PROBE" : frame.command;
  const auto ownByte = static_cast<std::uint8_t>(own);
  std::optional<std::string> text =
      frame.kind == FrameKind::Probe ? model.ProbeReply() : model.Read(frame.command);
  std::string bytes = EncodeReply(ownByte, text.value_or("*?"));
  if (const FaultRule* rule = FindRule(faults, command)) {
    switch (rule->fault) {
      case ReplyFault::Silent:
        return {};
      case ReplyFault::ErrorReply:
        bytes = EncodeReply(ownByte, rule->errorText);
        break;
      case ReplyFault::Garbage:
        bytes = GarbageReply();
        break;
      case ReplyFault::NoEtx:
        bytes.pop_back();
        break;
    }
  }
  std::chrono::milliseconds delay{0};
  if (faults.delayMs > 0 && RuleMatches(faults.delayCommand, command)) {
    delay = std::chrono::milliseconds(faults.delayMs);
  }
  return Pieces(bytes, delay, faults, splitSegments);
}

}  // namespace zemra::sim
