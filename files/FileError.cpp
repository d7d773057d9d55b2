#include "files/FileError.h"

#include <cerrno>

namespace zemra {

namespace {

std::string_view Template(FileCause cause) {
  switch (cause) {
    case FileCause::kGeneric:
      break;
    case FileCause::kFileNotFound:
      return "%1 was not found.";
    case FileCause::kBadPath:
      return "%1 contains an incorrect path.";
    case FileCause::kTooManyOpenFiles:
      return "Could not open %1 because there are too many open files.";
    case FileCause::kAccessDenied:
      return "Access to %1 was denied.";
    case FileCause::kInvalidFile:
      return "An incorrect file handle was associated with %1.";
    case FileCause::kRemoveCurrentDir:
      return "Could not remove %1 because it is the current directory.";
    case FileCause::kDirectoryFull:
      return "Could not create %1 because the directory is full.";
    case FileCause::kBadSeek:
      return "Seek failed on %1";
    case FileCause::kHardIO:
      return "Encountered a hardware I/O error while accessing %1.";
    case FileCause::kSharingViolation:
      return "Encountered a sharing violation while accessing %1.";
    case FileCause::kLockViolation:
      return "Encountered a locking violation while accessing %1.";
    case FileCause::kDiskFull:
      return "Disk full while accessing %1.";
    case FileCause::kEndOfFile:
      return "Attempted to access %1 past its end.";
  }
  return "An unknown error occurred while accessing %1.";
}

}  // namespace

std::string FileErrorDescription(FileCause cause, std::string_view path) {
  const std::string_view text = Template(cause);
  const std::size_t mark = text.find("%1");
  std::string message;
  message.append(text.substr(0, mark)).append(path).append(text.substr(mark + 2));
  if (message.size() > kFileErrorMessageLimit) message.resize(kFileErrorMessageLimit);
  return message;
}

FileCause FileCauseFromErrno(int error, bool folderExists) {
  switch (error) {
    case ENOENT:
      return folderExists ? FileCause::kFileNotFound : FileCause::kBadPath;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
      return FileCause::kBadPath;
    case EMFILE:
    case ENFILE:
      return FileCause::kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return FileCause::kAccessDenied;
    case EBADF:
      return FileCause::kInvalidFile;
    case EMLINK:
      return FileCause::kDirectoryFull;
    case ESPIPE:
      return FileCause::kBadSeek;
    case EIO:
    case ENXIO:
    case ENODEV:
      return FileCause::kHardIO;
    case EBUSY:
    case ETXTBSY:
      return FileCause::kSharingViolation;
    case EDEADLK:
    case ENOLCK:
      return FileCause::kLockViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return FileCause::kDiskFull;
    default:
      return FileCause::kGeneric;
  }
}

}  // namespace zemra
