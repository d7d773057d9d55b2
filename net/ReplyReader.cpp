#include "net/ReplyReader.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "net/CLWSocket.h"

namespace zemra {
namespace {

constexpr std::uint8_t kEtx = 0x03;
// One byte of the buffer is never read into, so the data is always followed by a zero byte and
// the text scan below cannot run past the buffer, even for a reply that fills it.
constexpr int kCapacity = kReplyBufferSize - 1;
constexpr int kMaxReads = 4;

struct TextScan {
  int etx = -1;  // index of the first ETX at index 2 or later, -1 when there is none
  bool asterisk = false;
};

// Looks at the buffer as text (up to its first zero byte). The frame's start and address bytes
// are not searched for ETX, so an address byte of 0x03 is never taken for the terminator.
TextScan ScanText(const std::uint8_t* buffer, int end) {
  TextScan scan;
  for (int i = 0; i < end && buffer[i] != 0; ++i) {
    if (buffer[i] == '*') scan.asterisk = true;
    if (buffer[i] == kEtx && i >= 2 && scan.etx < 0) scan.etx = i;
  }
  return scan;
}

// Drops the bytes up to and including `etx` and moves the rest to the start of the buffer.
void DropThrough(std::uint8_t* buffer, int etx, int& held) {
  const int kept = held - (etx + 1);
  std::memmove(buffer, buffer + etx + 1, static_cast<std::size_t>(kept));
  std::memset(buffer + kept, 0, static_cast<std::size_t>(held - kept));
  held = kept;
}

// Takes the `n` bytes a read just placed behind the `held` ones. Returns true when reading is
// over. An ETX with more bytes behind it, in a text with an asterisk, ends an earlier error
// reply: that part is dropped and what follows is looked at again as if it had just been read.
bool Absorb(std::uint8_t* buffer, int& held, int n, int& wanted) {
  held += n;
  TextScan scan = ScanText(buffer, held);
  if (scan.etx < 0) {
    wanted -= n;
    return false;
  }
  if (scan.etx >= n - 1) return true;
  if (!scan.asterisk) {
    wanted -= n;
    return false;
  }
  for (;;) {
    DropThrough(buffer, scan.etx, held);
    scan = ScanText(buffer, held);
    if (scan.etx < 0) return false;
    if (scan.etx >= held - 1) return true;
    if (!scan.asterisk) return false;
  }
}

}  // namespace

int ReadReply(SocketApi& sockets, SocketHandle socket, Clock& clock, std::uint8_t* buffer,
              int size) {
  if (buffer == nullptr) return -1;
  std::memset(buffer, 0, kReplyBufferSize);
  if (size < 1) return -1;
  size = std::min(size, kReplyBufferSize);

  // Waits up to the receive time-out for the first data; the bytes stay in the socket.
  std::array<std::uint8_t, kReplyBufferSize> peeked;
  const SocketResult peek = sockets.Receive(socket, peeked.data(), size, true);
  if (!peek.Ok() || peek.value <= 0) return -1;

  int held = 0;
  int wanted = size;
  int reads = 0;
  while (wanted > 0) {
    // `size` bounds the loop, not one read: a read takes what the buffer has room for.
    const int room = kCapacity - held;
    if (room <= 0) break;
    const SocketResult got = sockets.Receive(socket, buffer + held, room, false);
    if (!got.Ok() && got.error == wsa::kTimedOut) return -1;
    // Any other failure, and a closed peer, is a read that brought nothing.
    const int n = got.Ok() ? std::clamp(got.value, 0, room) : 0;
    if (n > 0 && Absorb(buffer, held, n, wanted)) break;
    clock.Wait(1);
    if (++reads >= kMaxReads) return -1;
  }
  if (held < 1 || buffer[held - 1] != kEtx) return 0;
  return held;
}

}  // namespace zemra
