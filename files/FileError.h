#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Why a file operation failed, in the terms the file error message uses, and that message's
// standard descriptions.

namespace zemra {

enum class FileCause {
  kGeneric,
  kFileNotFound,
  kBadPath,
  kTooManyOpenFiles,
  kAccessDenied,
  kInvalidFile,
  kRemoveCurrentDir,
  kDirectoryFull,
  kBadSeek,
  kHardIO,
  kSharingViolation,
  kLockViolation,
  kDiskFull,
  kEndOfFile,
};

// Which operation failed: the window words its handling by it (a failed open of the settings
// file is silent, a failed read is not).
enum class FileStep {
  kOpen,    // opening an existing file for reading
  kRead,    // reading from it
  kCreate,  // creating the file that replaces the old one
  kWrite,   // writing, flushing or putting the new file in place
};

// The file error message's longest text; longer descriptions are cut.
inline constexpr std::size_t kFileErrorMessageLimit = 254;

// The standard description of a cause with `path` in place of %1, at most
// kFileErrorMessageLimit bytes.
std::string FileErrorDescription(FileCause cause, std::string_view path);

// The cause an errno value stands for. ENOENT means the file was not found when its folder
// exists and an incorrect path when the folder itself is missing.
FileCause FileCauseFromErrno(int error, bool folderExists);

struct FileError {
  FileStep step = FileStep::kOpen;
  FileCause cause = FileCause::kGeneric;
  int osError = 0;   // the errno behind it, 0 when none
  std::string path;  // the path the user gave, which the message names

  std::string Description() const { return FileErrorDescription(cause, path); }
};

// Operations report success as no error.
using FileResult = std::optional<FileError>;

}  // namespace zemra
