#include <gtest/gtest.h>

#include "cli/DataFolder.h"

namespace zemra::cli {
namespace {

TEST(DataFolder, isTheMachinesSharedLocationAsTheWindowFindsIt) {
  const struct {
    const char* home;
    const char* dataHome;
    const char* dataDirs;
    std::string folder;
  } rows[] = {
      {"/home/ann", nullptr, nullptr, "/usr/local/share/Orvane/Zemranet/"},
      {"/home/ann", "", "/opt/share/:/usr/share", "/opt/share/Orvane/Zemranet/"},
      // The user's own locations are skipped, wherever the list has them.
      {"/home/ann", nullptr, "/home/ann/share:/srv/data", "/srv/data/Orvane/Zemranet/"},
      {"/home/ann/", "/var/lib/ann", "/usr/share", "/var/lib/ann/Orvane/Zemranet/"},
      // A folder that only begins like the home folder is not inside it.
      {"/home/ann", nullptr, "/home/anna/share", "/home/anna/share/Orvane/Zemranet/"},
      // Relative entries are no locations.
      {nullptr, nullptr, "share:/usr/share", "/usr/share/Orvane/Zemranet/"},
      {"/", nullptr, "/usr/share", "/.local/share/Orvane/Zemranet/"},
      {"/home/ann", nullptr, "/home/ann/a:relative", ""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(DataFolderFrom(row.home, row.dataHome, row.dataDirs), row.folder)
        << (row.dataDirs ? row.dataDirs : "(unset)");
  }
}

}  // namespace
}  // namespace zemra::cli
