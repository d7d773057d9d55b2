#include "LinkRig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace zemra::test {

struct LinkRig::Posts {
  std::mutex mutex;
  std::condition_variable changed;
  int count = 0;
};

std::string ModeName(LinkMode mode) {
  return mode == LinkMode::Serial ? "Serial" : "Ethernet";
}

std::string TestAddress() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = std::string(info->test_suite_name()) + "." + info->name();
  std::uint32_t hash = 2166136261u;
  for (const char c : name) hash = (hash ^ static_cast<std::uint8_t>(c)) * 16777619u;
  // 127.64.0.0 to 127.127.255.254: away from 127.0.0.1 and from other folders' picks.
  const unsigned b = 64 + (hash >> 24) % 64;
  const unsigned c = (hash >> 8) & 0xFF;
  const unsigned d = 1 + hash % 254;
  return "127." + std::to_string(b) + "." + std::to_string(c) + "." + std::to_string(d);
}

LinkRig::LinkRig(LinkMode mode, std::int32_t unitAddress)
    : mode_(mode),
      address_(unitAddress),
      prefix_(AddressPrefix(unitAddress)),
      posts_(std::make_shared<Posts>()) {
  std::weak_ptr<Posts> posts = posts_;
  EventPoster poster = [posts](int commandId) {
    if (commandId != kSocketEventCommand) return;
    if (auto shared = posts.lock()) {
      std::lock_guard lock(shared->mutex);
      ++shared->count;
      shared->changed.notify_all();
    }
  };
  auto backend = std::make_unique<ScriptedSerialBackend>();
  line = backend.get();
  line->onWrite = [this](const Bytes& frame) {
    Note(frame);
    std::vector<Bytes> chunks;
    if (responder_) {
      if (const auto reply = responder_(frame)) chunks.push_back(ToBytes(*reply));
    }
    return chunks;
  };
  link_ = std::make_unique<CQRVSerialPort>(poster, clock, std::move(backend),
                                           std::make_shared<FixedPortResolver>("/dev/ttyTEST"),
                                           TrafficLog(::testing::TempDir() + "link-traffic.log"));
  if (mode == LinkMode::Ethernet) {
    peer = std::make_unique<LinkTcpPeer>(TestAddress());
    peer->SetResponder([this](const Frame& frame) {
      LinkTcpPeer::Answer answer;
      if (responder_) {
        if (const auto reply = responder_(frame)) answer.pieces.push_back(*reply);
      }
      return answer;
    });
  }
  clock.onSleep = [this](std::uint32_t ms) {
    if (peer) peer->Sync([this](const Frame& frame) { Note(frame); });
    events_.push_back("wait " + std::to_string(ms));
  };
}

LinkRig::~LinkRig() {
  clock.onSleep = nullptr;
  link_.reset();
}

bool LinkRig::WaitForPosts(int count) {
  std::unique_lock lock(posts_->mutex);
  return posts_->changed.wait_for(lock, std::chrono::seconds(2),
                                  [&] { return posts_->count >= count; });
}

void LinkRig::Connect() {
  if (mode_ == LinkMode::Serial) {
    ASSERT_EQ(link_->Open(1, address_, 0, false, ""), kLinkOk);
  } else {
    ASSERT_EQ(link_->Open(1, address_, 0, true, peer->Address()), kLinkIoFailed);
    ASSERT_TRUE(WaitForPosts(1));
    ASSERT_EQ(link_->EthernetClient()->TakeEvent(), kEventConnected);
    ASSERT_TRUE(peer->Accept());
  }
  Take();
  clock.sleeps.clear();
  if (line) line->calls.clear();
}

std::vector<std::string> LinkRig::Take() {
  if (peer) peer->Sync([this](const Frame& frame) { Note(frame); });
  std::vector<std::string> taken;
  taken.swap(events_);
  return taken;
}

FrameResponder TableUnit::Responder() const {
  return [table = replies, prefix = prefix](const Frame& frame) -> std::optional<std::string> {
    const std::string bytes(frame.begin(), frame.end());
    const std::string etx(1, static_cast<char>(kEtx));
    if (bytes.size() < 4 || bytes.compare(2, 2, "SA") == 0) return std::nullopt;
    if (bytes.compare(2, 2, "RA") != 0) return prefix + "*" + etx;  // the probe
    const std::string command = bytes.substr(4, bytes.find(etx, 2) - 4);
    const auto it = table.find(command);
    return prefix + (it != table.end() ? it->second : "") + "\r\n" + etx;
  };
}

std::string InformationReply(int typeClass, int fahrenheit) {
  const char* word =
      typeClass == kTypeRatio ? "SNR42" : (typeClass == kTypeNeither ? "SNL2" : "SN7R3");
  return "[Thermometer Information]\r\n5: " + std::string(word) + " Pyrometer\r\nIRU " +
         std::to_string(fahrenheit) + "\r\nTHV 1000\r\nTLV 200\r\nLPF 1\r\n[end]";
}

Expect& Expect::Read(const std::string& command) {
  events_.push_back("tx " + Describe(BuildReadFrame(prefix_, command, static_cast<char>(kEtx))));
  return Wait(mode_ == LinkMode::Serial ? 100 : 50);
}

Expect& Expect::SetInt(const std::string& mnemonic, std::int32_t value) {
  events_.push_back("tx " + Describe(BuildSetFrame(prefix_, FormatSetInt(mnemonic, value),
                                                   static_cast<char>(kEtx))));
  return Wait(100);
}

Expect& Expect::SetText(const std::string& mnemonic, const std::string& text) {
  events_.push_back("tx " + Describe(BuildSetFrame(prefix_, FormatSetText(mnemonic, text),
                                                   static_cast<char>(kEtx))));
  return Wait(50);
}

Expect& Expect::Probe() {
  events_.push_back("tx " + Describe(BuildProbeFrame(prefix_, static_cast<char>(kEtx))));
  return Wait(50);
}

Expect& Expect::Wait(std::uint32_t ms) {
  events_.push_back("wait " + std::to_string(ms));
  return *this;
}

std::vector<std::string> FramesOf(const std::vector<std::string>& events) {
  std::vector<std::string> frames;
  for (const std::string& event : events) {
    if (event.starts_with("tx ")) frames.push_back(event);
  }
  return frames;
}

}  // namespace zemra::test
