#include "files/FileLayer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace zemra {

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

FileError MakeError(FileStep step, int error, const std::string& path,
                    const std::string& folderOf) {
  return FileError{step, FileCauseFromErrno(error, IsFolder(FolderOf(folderOf))), error, path};
}

// Writes to a symlink go to the file it points at, so the link itself survives the rename.
std::string Destination(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                       &std::free);
  return resolved ? std::string(resolved.get()) : path;
}

std::string TempNameFor(const std::string& destination) {
  static std::atomic<unsigned> counter{0};
  // A long file name plus the suffix could pass the file system's name limit although the
  // destination's own name fits.
  std::string name = NameOf(destination).substr(0, 200);
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, ".%x.%x.%llx.tmp", static_cast<unsigned>(::getpid()),
                counter.fetch_add(1), static_cast<unsigned long long>(ticks) & 0xffffffffULL);
  std::string folder = FolderOf(destination);
  if (folder.back() != '/') folder.push_back('/');
  return folder + "." + name + suffix;
}

}  // namespace

FileResult FileReader::Open(const std::string& path) {
  Close();
  m_path = path;
  // Non-blocking so that a FIFO cannot stall the open or the read; regular files ignore it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return MakeError(FileStep::kOpen, errno, path, path);
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return MakeError(FileStep::kOpen, EISDIR, path, path);
  }
  m_fd = fd;
  return std::nullopt;
}

FileResult FileReader::ReadAtMost(std::size_t limit, std::string& bytes) {
  if (m_fd < 0) return FileError{FileStep::kRead, FileCause::kInvalidFile, EBADF, m_path};
  char buffer[4096];
  while (limit > 0) {
    const std::size_t chunk = limit < sizeof buffer ? limit : sizeof buffer;
    const ssize_t got = ::read(m_fd, buffer, chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (got < 0) return MakeError(FileStep::kRead, errno, m_path, m_path);
    if (got == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
    limit -= static_cast<std::size_t>(got);
  }
  return std::nullopt;
}

void FileReader::Close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

FileError FileReplacer::Failure(FileStep step, int error) const {
  return MakeError(step, error, m_path, m_destination);
}

FileResult FileReplacer::Create(const std::string& path) {
  Discard();
  m_path = path;
  m_destination = Destination(path);

  // Replacing by rename would get past a folder in the way or a write-protected old file;
  // refuse both as creating the file in place would.
  struct stat old {};
  const bool exists = ::stat(m_destination.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) return Failure(FileStep::kCreate, EISDIR);
  if (exists && ::access(m_destination.c_str(), W_OK) != 0) {
    return Failure(FileStep::kCreate, errno);
  }

  for (int attempt = 0; attempt < 16; ++attempt) {
    m_tempPath = TempNameFor(m_destination);
    m_fd = ::open(m_tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (m_fd >= 0 || errno != EEXIST) break;
  }
  if (m_fd < 0) {
    const int error = errno;
    m_tempPath.clear();
    return Failure(FileStep::kCreate, error);
  }
  // The new file keeps the old one's permissions; a new file gets the usual 0666 & ~umask.
  if (exists) (void)::fchmod(m_fd, old.st_mode & 07777);
  return std::nullopt;
}

FileResult FileReplacer::Write(std::string_view bytes) {
  if (m_fd < 0) return FileError{FileStep::kWrite, FileCause::kInvalidFile, EBADF, m_path};
  while (!bytes.empty()) {
    const ssize_t put = ::write(m_fd, bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return Failure(FileStep::kWrite, errno);
    if (put == 0) return Failure(FileStep::kWrite, ENOSPC);
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return std::nullopt;
}

FileResult FileReplacer::Commit() {
  if (m_fd < 0) return FileError{FileStep::kWrite, FileCause::kInvalidFile, EBADF, m_path};
  // The data must be on disk before the rename makes it the file; otherwise a crash right
  // after could leave an empty file where the old one was.
  if (::fsync(m_fd) != 0) return Failure(FileStep::kWrite, errno);
  const int fd = m_fd;
  m_fd = -1;
  if (::close(fd) != 0) return Failure(FileStep::kWrite, errno);
  if (::rename(m_tempPath.c_str(), m_destination.c_str()) != 0) {
    return Failure(FileStep::kWrite, errno);
  }
  m_tempPath.clear();
  // Make the rename itself durable; a failure here leaves a complete file either way.
  const int folder = ::open(FolderOf(m_destination).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    (void)::fsync(folder);
    ::close(folder);
  }
  return std::nullopt;
}

void FileReplacer::Discard() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (!m_tempPath.empty()) ::unlink(m_tempPath.c_str());
  m_tempPath.clear();
}

FileContents ReadFileHead(const std::string& path, std::size_t limit) {
  FileContents contents;
  FileReader reader;
  contents.error = reader.Open(path);
  if (!contents.error) contents.error = reader.ReadAtMost(limit, contents.bytes);
  if (contents.error) contents.bytes.clear();
  return contents;
}

FileResult ReplaceFile(const std::string& path, std::string_view bytes) {
  FileReplacer replacer;
  if (FileResult error = replacer.Create(path)) return error;
  if (FileResult error = replacer.Write(bytes)) return error;
  return replacer.Commit();
}

}  // namespace zemra
