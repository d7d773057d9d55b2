#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "link/TrafficLog.h"
#include "support/PtyPair.h"

namespace zemra {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::tm At(int year, int month, int day, int hour, int minute, int second) {
  std::tm when{};
  when.tm_year = year - 1900;
  when.tm_mon = month - 1;
  when.tm_mday = day;
  when.tm_hour = hour;
  when.tm_min = minute;
  when.tm_sec = second;
  return when;
}

struct EntryCase {
  const char* name;
  TransferKind kind;
  int count;
  Bytes bytes;
  std::tm when;
  const char* line;
};

TEST(TrafficLog, EntriesAreFormattedByteForByte) {
  const EntryCase cases[] = {
      {"a read frame for EMS at unit 1",
       TransferKind::Wrote,
       9,
       {0x02, 0x01, 0x52, 0x41, 0x45, 0x4d, 0x53, 0x03, 0x00},
       At(2024, 4, 3, 9, 5, 7),
       "03/04/2024 09:05:07\tWrote 9 bytes: 0x02 0x01 0x52 0x41 0x45 0x4d 0x53 0x03 0x00\n"},
      {"a byte of 128 or more",
       TransferKind::Read,
       2,
       {0xb0, 0xff},
       At(2023, 12, 31, 23, 59, 59),
       "31/12/2023 23:59:59\tRead 2 bytes: 0xb0 0xff\n"},
      {"a read of nothing",
       TransferKind::Read,
       0,
       {},
       At(2025, 1, 1, 0, 0, 0),
       "01/01/2025 00:00:00\tRead 0 bytes:\n"},
      {"a failed write lists the whole block",
       TransferKind::Wrote,
       0,
       {0x02, 0x00, 0x03, 0x00},
       At(2024, 10, 15, 14, 30, 0),
       "15/10/2024 14:30:00\tWrote 0 bytes: 0x02 0x00 0x03 0x00\n"},
  };
  for (const EntryCase& c : cases) {
    EXPECT_EQ(FormatLogEntry(c.kind, c.count, c.bytes.data(), c.bytes.size(), c.when), c.line)
        << c.name;
  }
}

std::string ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(TrafficLog, EachEntryIsAppendedAndOnDiskAtOnce) {
  test::TempDir dir;
  const std::string path = dir.File("ZEMRAnet.log");
  std::ofstream(path) << "kept from an earlier run\n";
  TrafficLog log(path);
  const Bytes probe = {0x02, 0x00, 0x03, 0x00};
  log.LogTransfer(TransferKind::Wrote, 4, probe.data(), probe.size());
  log.LogTransfer(TransferKind::Read, 0, nullptr, 0);

  const std::string text = ReadAll(path);
  ASSERT_TRUE(text.starts_with("kept from an earlier run\n")) << text;
  std::istringstream lines(text.substr(25));
  std::string line;
  ASSERT_TRUE(std::getline(lines, line));
  // "dd/mm/yyyy hh:mm:ss" then a tab.
  ASSERT_GE(line.size(), 20u);
  EXPECT_EQ(line[2], '/');
  EXPECT_EQ(line[5], '/');
  EXPECT_EQ(line[10], ' ');
  EXPECT_EQ(line[19], '\t');
  EXPECT_EQ(line.substr(20), "Wrote 4 bytes: 0x02 0x00 0x03 0x00");
  ASSERT_TRUE(std::getline(lines, line));
  EXPECT_EQ(line.substr(20), "Read 0 bytes:");
  EXPECT_FALSE(std::getline(lines, line));

  // The file may be removed between transfers; the next entry starts a new one.
  std::filesystem::remove(path);
  log.LogTransfer(TransferKind::Read, 1, probe.data(), 1);
  EXPECT_EQ(ReadAll(path).substr(20), "Read 1 bytes: 0x02\n");
}

TEST(TrafficLog, ALogThatCannotBeWrittenIsSkippedSilently) {
  test::TempDir dir;
  const std::string readOnly = dir.File("read-only.log");
  std::ofstream(readOnly) << "old\n";
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  const std::string paths[] = {readOnly, dir.Path().string(), dir.File("missing/dir/x.log")};
  const Bytes frame = {1, 2, 3};
  for (const std::string& path : paths) {
    TrafficLog log(path);
    log.LogTransfer(TransferKind::Wrote, 3, frame.data(), frame.size());  // must not throw
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
  if (::geteuid() != 0) {
    EXPECT_EQ(ReadAll(readOnly), "old\n");  // root may write it anyway
  }
}

}  // namespace
}  // namespace zemra
