#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zemra::sim {

inline constexpr char kStx = 0x02;
inline constexpr char kEtx = 0x03;

// What the thermometer makes of one frame off the line.
enum class FrameKind {
  Read,      // STX addr "RA" command ETX (the link adds a zero byte, which is skipped)
  Set,       // STX addr "SA" mnemonic " " value ETX
  Probe,     // STX addr ETX
  Unknown,   // STX addr ... ETX that is none of the above
  Oversized  // a frame whose body ran past the limit; dropped, kept here for the record
};

const char* FrameKindName(FrameKind kind);

struct Frame {
  FrameKind kind = FrameKind::Unknown;
  std::uint8_t address = 0;
  std::string command;  // Read: the command text ("EMS", "IFO 1"); Set: the mnemonic
  std::string value;    // Set: the value text after the space
  std::string raw;      // the bytes as they came (Oversized: only the first ones)
};

// Cuts a byte stream into frames. Fed chunks of any size; keeps at most `maxBody` bytes of an
// unfinished frame, so a stream of megabytes without ETX costs no memory. A new STX inside a
// frame's body starts the frame afresh: the body is ASCII text, so the earlier frame was cut off.
class FrameDecoder {
 public:
  static constexpr std::size_t kDefaultMaxBody = 1024;
  explicit FrameDecoder(std::size_t maxBody = kDefaultMaxBody) : maxBody_(maxBody) {}

  // Appends the frames completed by `bytes` to `out`. Bytes between frames are counted as
  // skipped (the zero byte after every read frame is among them).
  void Feed(const char* bytes, std::size_t count, std::vector<Frame>& out);
  std::size_t Skipped() const { return skipped_; }
  bool InFrame() const { return state_ != State::Idle; }

 private:
  enum class State { Idle, Address, Body, Discarding };
  void Finish(std::vector<Frame>& out);

  std::size_t maxBody_;
  State state_ = State::Idle;
  std::uint8_t address_ = 0;
  std::string body_;
  std::size_t discarded_ = 0;
  std::size_t skipped_ = 0;
};

// Classifies the body (between the address byte and ETX) of one frame.
Frame ParseFrame(std::uint8_t address, const std::string& body);

// A reply as the thermometer sends it: STX, its address byte, the text, CR LF, ETX.
std::string EncodeReply(std::uint8_t address, const std::string& text);

// Bytes as readable text: printable ASCII as it is, every other byte as <xx>.
std::string Printable(const std::string& bytes);

}  // namespace zemra::sim
