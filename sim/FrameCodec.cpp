#include "sim/FrameCodec.h"

#include <cstdio>

namespace zemra::sim {

const char* FrameKindName(FrameKind kind) {
  switch (kind) {
    case FrameKind::Read:
      return "read";
    case FrameKind::Set:
      return "set";
    case FrameKind::Probe:
      return "probe";
    case FrameKind::Unknown:
      return "unknown";
    case FrameKind::Oversized:
      return "oversized";
  }
  return "?";
}

void FrameDecoder::Feed(const char* bytes, std::size_t count, std::vector<Frame>& out) {
  for (std::size_t i = 0; i < count; ++i) {
    const char c = bytes[i];
    switch (state_) {
      case State::Idle:
        if (c == kStx) {
          state_ = State::Address;
        } else {
          ++skipped_;
        }
        break;
      case State::Address:
        // The address byte may take any value, STX and ETX included.
        address_ = static_cast<std::uint8_t>(c);
        body_.clear();
        state_ = State::Body;
        break;
      case State::Body:
        if (c == kEtx) {
          Finish(out);
        } else if (c == kStx) {
          skipped_ += body_.size() + 2;
          state_ = State::Address;
        } else if (body_.size() >= maxBody_) {
          discarded_ = body_.size() + 1;
          state_ = State::Discarding;
        } else {
          body_.push_back(c);
        }
        break;
      case State::Discarding:
        if (c == kEtx || c == kStx) {
          Frame frame;
          frame.kind = FrameKind::Oversized;
          frame.address = address_;
          frame.raw = std::string{kStx} + static_cast<char>(address_) + body_.substr(0, 64);
          frame.value = std::to_string(discarded_);
          out.push_back(std::move(frame));
          body_.clear();
          body_.shrink_to_fit();
          state_ = c == kStx ? State::Address : State::Idle;
        } else {
          ++discarded_;
        }
        break;
    }
  }
}

void FrameDecoder::Finish(std::vector<Frame>& out) {
  out.push_back(ParseFrame(address_, body_));
  body_.clear();
  if (body_.capacity() > 4 * 1024) body_.shrink_to_fit();
  state_ = State::Idle;
}

Frame ParseFrame(std::uint8_t address, const std::string& body) {
  Frame frame;
  frame.address = address;
  frame.raw = std::string{kStx} + static_cast<char>(address) + body + kEtx;
  if (body.empty()) {
    frame.kind = FrameKind::Probe;
  } else if (body.size() > 2 && body.compare(0, 2, "RA") == 0) {
    frame.kind = FrameKind::Read;
    frame.command = body.substr(2);
  } else if (body.size() >= 5 && body.compare(0, 2, "SA") == 0) {
    frame.kind = FrameKind::Set;
    const std::size_t space = body.find(' ', 2);
    frame.command = body.substr(2, space == std::string::npos ? std::string::npos : space - 2);
    if (space != std::string::npos) frame.value = body.substr(space + 1);
  }
  return frame;
}

std::string EncodeReply(std::uint8_t address, const std::string& text) {
  std::string reply;
  reply.reserve(text.size() + 5);
  reply.push_back(kStx);
  reply.push_back(static_cast<char>(address));
  reply += text;
  reply += "\r\n";
  reply.push_back(kEtx);
  return reply;
}

std::string Printable(const std::string& bytes) {
  std::string text;
  for (const char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7f && c != '<') {
      text.push_back(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02x>", u);
      text += hex;
    }
  }
  return text;
}

}  // namespace zemra::sim
