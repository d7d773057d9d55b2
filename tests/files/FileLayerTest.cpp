#include "files/FileLayer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace zemra {
namespace {

namespace fs = std::filesystem;

class FileLayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path base = fs::temp_directory_path() / "zemra-files-XXXXXX";
    std::string pattern = base.string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_dir = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(m_dir, ignored);
  }

  std::string Path(const std::string& name) const { return (m_dir / name).string(); }

  static void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string Get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Names in the folder, to see that no temporary file is left behind.
  std::size_t Entries() const {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(m_dir), fs::directory_iterator{}));
  }

  fs::path m_dir;
};

TEST(FileErrorDescription, givesTheStandardTextWithThePath) {
  struct Case {
    FileCause cause;
    const char* text;
  };
  const Case cases[] = {
      {FileCause::kGeneric, "An unknown error occurred while accessing /d/f.zcf."},
      {FileCause::kFileNotFound, "/d/f.zcf was not found."},
      {FileCause::kBadPath, "/d/f.zcf contains an incorrect path."},
      {FileCause::kTooManyOpenFiles,
       "Could not open /d/f.zcf because there are too many open files."},
      {FileCause::kAccessDenied, "Access to /d/f.zcf was denied."},
      {FileCause::kInvalidFile, "An incorrect file handle was associated with /d/f.zcf."},
      {FileCause::kRemoveCurrentDir,
       "Could not remove /d/f.zcf because it is the current directory."},
      {FileCause::kDirectoryFull, "Could not create /d/f.zcf because the directory is full."},
      {FileCause::kBadSeek, "Seek failed on /d/f.zcf"},
      {FileCause::kHardIO, "Encountered a hardware I/O error while accessing /d/f.zcf."},
      {FileCause::kSharingViolation, "Encountered a sharing violation while accessing /d/f.zcf."},
      {FileCause::kLockViolation, "Encountered a locking violation while accessing /d/f.zcf."},
      {FileCause::kDiskFull, "Disk full while accessing /d/f.zcf."},
      {FileCause::kEndOfFile, "Attempted to access /d/f.zcf past its end."},
  };
  for (const Case& c : cases) EXPECT_EQ(FileErrorDescription(c.cause, "/d/f.zcf"), c.text);
}

TEST(FileErrorDescription, isCutAtTheMessageLimit) {
  const std::string path(400, 'p');
  const std::string text = FileErrorDescription(FileCause::kAccessDenied, path);
  EXPECT_EQ(text.size(), kFileErrorMessageLimit);
  EXPECT_EQ(text.substr(0, 10), "Access to ");
}

TEST(FileCauseFromErrno, mapsErrnoToTheCauses) {
  struct Case {
    int error;
    bool folderExists;
    FileCause cause;
  };
  const Case cases[] = {
      {ENOENT, true, FileCause::kFileNotFound},
      {ENOENT, false, FileCause::kBadPath},
      {ENOTDIR, true, FileCause::kBadPath},
      {ENAMETOOLONG, true, FileCause::kBadPath},
      {EMFILE, true, FileCause::kTooManyOpenFiles},
      {ENFILE, true, FileCause::kTooManyOpenFiles},
      {EACCES, true, FileCause::kAccessDenied},
      {EPERM, true, FileCause::kAccessDenied},
      {EROFS, true, FileCause::kAccessDenied},
      {EISDIR, true, FileCause::kAccessDenied},
      {EBADF, true, FileCause::kInvalidFile},
      {ESPIPE, true, FileCause::kBadSeek},
      {EIO, true, FileCause::kHardIO},
      {ETXTBSY, true, FileCause::kSharingViolation},
      {ENOLCK, true, FileCause::kLockViolation},
      {ENOSPC, true, FileCause::kDiskFull},
      {EDQUOT, true, FileCause::kDiskFull},
      {EFBIG, true, FileCause::kDiskFull},
      {EMLINK, true, FileCause::kDirectoryFull},
      {0, true, FileCause::kGeneric},
      {EPROTO, true, FileCause::kGeneric},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FileCauseFromErrno(c.error, c.folderExists), c.cause) << c.error;
  }
}

TEST_F(FileLayerTest, readFileHeadReadsAtMostTheLimit) {
  Put(Path("small.zcf"), "abc\r\n");
  FileContents small = ReadFileHead(Path("small.zcf"));
  EXPECT_FALSE(small.error);
  EXPECT_EQ(small.bytes, "abc\r\n");

  // A sparse gigabyte: only its first 4096 bytes are read.
  const std::string big = Path("big.zcf");
  Put(big, "");
  fs::resize_file(big, 1ull << 30);
  FileContents head = ReadFileHead(big);
  EXPECT_FALSE(head.error);
  EXPECT_EQ(head.bytes.size(), kTextReadLimit);
}

TEST_F(FileLayerTest, openFailuresNameTheirCause) {
  struct Case {
    std::string path;
    FileCause cause;
  };
  fs::create_directory(m_dir / "folder");
  Put(Path("plain"), "x");
  const Case cases[] = {
      {Path("missing.zcf"), FileCause::kFileNotFound},
      {Path("no-folder/missing.zcf"), FileCause::kBadPath},
      {Path("plain/under-a-file.zcf"), FileCause::kBadPath},
      {Path("folder"), FileCause::kAccessDenied},
  };
  for (const Case& c : cases) {
    const FileContents read = ReadFileHead(c.path);
    ASSERT_TRUE(read.error) << c.path;
    EXPECT_EQ(read.error->step, FileStep::kOpen);
    EXPECT_EQ(read.error->cause, c.cause) << c.path;
    EXPECT_EQ(read.error->path, c.path);
  }
  EXPECT_EQ(ReadFileHead(Path("missing.zcf")).error->Description(),
            Path("missing.zcf") + " was not found.");
}

TEST_F(FileLayerTest, aFifoIsReadWithoutBlocking) {
  const std::string fifo = Path("fifo.zcf");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const FileContents read = ReadFileHead(fifo);
  EXPECT_FALSE(read.error);
  EXPECT_TRUE(read.bytes.empty());
}

TEST_F(FileLayerTest, replaceFileCreatesAndReplacesWithExactlyTheBytes) {
  const std::string path = Path("Config.zcf");
  EXPECT_FALSE(ReplaceFile(path, "first\r\n"));
  EXPECT_EQ(Get(path), "first\r\n");
  const std::string second("second\0with nul\r\n", 18);
  EXPECT_FALSE(ReplaceFile(path, second));
  EXPECT_EQ(Get(path), second);
  EXPECT_EQ(Entries(), 1u);
}

TEST_F(FileLayerTest, aMissingFolderMeansTheFileCannotBeCreated) {
  const std::string path = Path("no-folder/CommsSettings.cfg");
  const FileResult error = ReplaceFile(path, "x");
  ASSERT_TRUE(error);
  EXPECT_EQ(error->step, FileStep::kCreate);
  EXPECT_EQ(error->cause, FileCause::kBadPath);
  EXPECT_EQ(error->Description(), path + " contains an incorrect path.");
}

TEST_F(FileLayerTest, aFolderInTheWayIsNotReplaced) {
  fs::create_directory(m_dir / "Recall.zcf");
  const FileResult error = ReplaceFile(Path("Recall.zcf"), "x");
  ASSERT_TRUE(error);
  EXPECT_EQ(error->step, FileStep::kCreate);
  EXPECT_EQ(error->cause, FileCause::kAccessDenied);
  EXPECT_TRUE(fs::is_directory(m_dir / "Recall.zcf"));
}

TEST_F(FileLayerTest, aWriteProtectedFileIsLeftAsItWas) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  const std::string path = Path("default.zcf");
  Put(path, "old");
  fs::permissions(path, fs::perms::owner_read);
  const FileResult error = ReplaceFile(path, "new");
  ASSERT_TRUE(error);
  EXPECT_EQ(error->step, FileStep::kCreate);
  EXPECT_EQ(error->cause, FileCause::kAccessDenied);
  EXPECT_EQ(Get(path), "old");
}

// The file size limit makes the write fail after part of the text went out, as a full disk
// would.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &m_saved);
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = m_saved;
    limited.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &m_saved);
    std::signal(SIGXFSZ, m_oldHandler);
  }

 private:
  rlimit m_saved{};
  void (*m_oldHandler)(int) = SIG_DFL;
};

TEST_F(FileLayerTest, aWriteThatFailsMidwayLeavesTheOldFileByteForByte) {
  const std::string path = Path("Config.zcf");
  const std::string old = "[start]\r\n[Configuration information]\r\nLBL old\r\n[end]\r\n\r\n";
  Put(path, old);
  FileResult error;
  {
    FileSizeLimit limit(100);
    error = ReplaceFile(path, std::string(1000, 'n'));
  }
  ASSERT_TRUE(error);
  EXPECT_EQ(error->step, FileStep::kWrite);
  EXPECT_EQ(error->cause, FileCause::kDiskFull);
  EXPECT_EQ(error->Description(), "Disk full while accessing " + path + ".");
  EXPECT_EQ(Get(path), old);
  EXPECT_EQ(Entries(), 1u) << "the temporary file was left behind";
}

TEST_F(FileLayerTest, aReplacerGivenUpBeforeCommitLeavesNoTrace) {
  const std::string path = Path("Config.zcf");
  Put(path, "old");
  {
    FileReplacer replacer;
    ASSERT_FALSE(replacer.Create(path));
    ASSERT_FALSE(replacer.Write("new"));
  }
  EXPECT_EQ(Get(path), "old");
  EXPECT_EQ(Entries(), 1u);
}

TEST_F(FileLayerTest, replacingKeepsPermissionsAndSymlinks) {
  const std::string target = Path("real.zcf");
  const std::string link = Path("default.zcf");
  Put(target, "old");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink(target, link);

  EXPECT_FALSE(ReplaceFile(link, "new"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Get(target), "new");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Entries(), 2u);
}

TEST_F(FileLayerTest, aLongFileNameStillGetsATemporaryFile) {
  const std::string path = Path(std::string(250, 'n') + ".zcf");
  EXPECT_FALSE(ReplaceFile(path, "x"));
  EXPECT_EQ(Get(path), "x");
}

}  // namespace
}  // namespace zemra
