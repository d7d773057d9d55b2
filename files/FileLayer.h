#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "files/FileError.h"
#include "files/TextLines.h"

// The program's file access: reading the head of a settings file and replacing a file as a
// whole. Every failure comes back as a FileError that names the step, the cause and the path.

namespace zemra {

// An existing file opened for reading. Directories are refused at Open; FIFOs and other
// special files are read without blocking, so no path can hang the window.
class FileReader {
 public:
  FileReader() = default;
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;
  ~FileReader() { Close(); }

  FileResult Open(const std::string& path);
  // Appends at most `limit` bytes from the current position to `bytes`; fewer at the end of
  // the file.
  FileResult ReadAtMost(std::size_t limit, std::string& bytes);
  void Close();

 private:
  int m_fd = -1;
  std::string m_path;
};

// Replaces a file without ever leaving a half-written one: the new text goes to a temporary
// file in the same folder, which is flushed to disk and then renamed over the old file. Until
// Commit succeeds the old file stays byte for byte as it was; a replacer destroyed without a
// successful Commit removes its temporary file.
class FileReplacer {
 public:
  FileReplacer() = default;
  FileReplacer(const FileReplacer&) = delete;
  FileReplacer& operator=(const FileReplacer&) = delete;
  ~FileReplacer() { Discard(); }

  // Fails as "cannot be created" when the folder is missing, the old file may not be written,
  // or the path names a folder.
  FileResult Create(const std::string& path);
  FileResult Write(std::string_view bytes);
  FileResult Commit();

 private:
  void Discard();
  FileError Failure(FileStep step, int error) const;

  int m_fd = -1;
  std::string m_path;         // as the caller gave it, for messages
  std::string m_destination;  // where the new file goes: the path, or a symlink's target
  std::string m_tempPath;
};

struct FileContents {
  std::string bytes;
  FileResult error;
};

// Opens `path`, reads at most `limit` bytes from its start and closes it.
FileContents ReadFileHead(const std::string& path, std::size_t limit = kTextReadLimit);

// Creates or replaces `path` with exactly `bytes`.
FileResult ReplaceFile(const std::string& path, std::string_view bytes);

}  // namespace zemra
