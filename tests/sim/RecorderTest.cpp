#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "sim/Recorder.h"

namespace zemra::sim {
namespace {

RecordEntry Entry(std::string bytes, const std::string& command = "EMS") {
  RecordEntry e;
  e.channel = "pty";
  e.kind = "read";
  e.command = command;
  e.bytes = std::move(bytes);
  return e;
}

TEST(RecorderTest, keepsOrderAndTimesAndDropsTheOldestPastItsLimits) {
  Recorder byCount(3);
  for (const char* c : {"A", "B", "C", "D"}) byCount.Add(Entry("x", c));
  const auto entries = byCount.Entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].command, "B");
  EXPECT_LE(entries[0].at, entries[2].at);
  EXPECT_LE(entries[0].seconds, entries[2].seconds);

  Recorder byBytes;
  const std::string big(8 * 1024, 'z');
  for (int i = 0; i < 5000; ++i) byBytes.Add(Entry(big));  // 40 MB offered
  std::size_t stored = 0;
  for (const auto& e : byBytes.Entries()) stored += e.bytes.size();
  EXPECT_LE(stored, Recorder::kMaxTotalBytes);
  EXPECT_EQ(byBytes.Entries().back().bytes.size(), Recorder::kMaxStoredBytes);
}

TEST(RecorderTest, waitForSeesEntriesAddedByAnotherThread) {
  Recorder recorder;
  std::thread adder([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    recorder.Add(Entry("\x02\x01RATSN\x03", "TSN"));
  });
  EXPECT_TRUE(recorder.WaitFor([](const auto& e) { return !e.empty(); }, std::chrono::seconds(2)));
  adder.join();
  EXPECT_FALSE(
      recorder.WaitFor([](const auto& e) { return e.size() > 1; }, std::chrono::milliseconds(20)));
}

TEST(RecorderTest, traceFileHasOneReadableLinePerEntry) {
  const std::string path = ::testing::TempDir() + "zemrasim-trace.txt";
  {
    Recorder recorder;
    ASSERT_TRUE(recorder.TraceTo(path));
    RecordEntry e = Entry("\x02\x01RATSN\x03", "TSN");
    e.peer = "127.0.0.1:5000";
    recorder.Add(e);
    recorder.Add(Entry("\x02\x01SAEMS 900\x03", "EMS"));
  }
  std::ifstream in(path);
  std::string first, second;
  std::getline(in, first);
  std::getline(in, second);
  EXPECT_NE(first.find(" pty from 127.0.0.1:5000 read <02><01>RATSN<03>"), std::string::npos)
      << first;
  EXPECT_NE(second.find(" pty read <02><01>SAEMS 900<03>"), std::string::npos) << second;
  EXPECT_FALSE(Recorder().TraceTo("/nonexistent-dir/trace.txt"));
}

}  // namespace
}  // namespace zemra::sim
