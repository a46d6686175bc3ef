#pragma once
// The operating system as the core sees it: reading files, writing a file in
// one step, the environment, the command line and the program's own path.
// The core touches files and the process only through this interface; each
// system has its implementation (src/platform/posix, src/platform/win32) and
// the tests have one in memory.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mova {

// How the system writes paths.
struct TPathRules {
  // Ends a folder name; the profile folder ends with it.
  char Separator = '/';
  // ":" also ends the folder part of a name ("c:clip.avi" names clip.avi).
  bool ColonEndsFolder = false;
};

// What makes two open files the same file, whichever names reached them.
struct TFileIdentity {
  uint64_t Volume = 0;
  uint64_t Index = 0;
  bool operator==(const TFileIdentity&) const = default;
};

struct TReadResult {
  std::size_t Count = 0;  // bytes placed at the start of the buffer
  int32_t Error = 0;      // 0, or the system's error number when reading failed
};

// A regular file open for reading, closed when destroyed. Others may read it
// while it is open. It has no position of its own: every read says where.
class IReadableFile {
 public:
  virtual ~IReadableFile() = default;

  // Reads up to buffer.size() bytes from byte `offset` on, going on after
  // short reads: fewer bytes come back only at the end of the file or with an
  // error. An offset at or past the end reads nothing and is no error.
  virtual TReadResult ReadAt(int64_t offset, std::span<uint8_t> buffer) = 0;

  // The size in bytes when the file was opened (files over 2 GiB included).
  virtual int64_t Size() const = 0;

  virtual TFileIdentity Identity() const = 0;
};

class IOperatingSystem {
 public:
  virtual ~IOperatingSystem() = default;

  // Opens the existing regular file `name` (relative names against the
  // current folder) for reading, letting others read it too. Null on failure,
  // with `error` set to the system's error number: 2 for a missing file on
  // every system. A folder, a device or a pipe is refused without blocking.
  virtual std::unique_ptr<IReadableFile> OpenForReading(const std::string& name, int32_t& error) = 0;

  // Makes `bytes` the contents of the file `name`, in one step: they are
  // written to a new temporary file in the same folder and flushed to disk,
  // which then replaces any old file of that name. 0 on success; otherwise
  // the system's error number, and then `name` is as it was (missing, or the
  // old file unchanged) and no temporary file remains.
  virtual int32_t WriteFileAtomically(const std::string& name, std::span<const uint8_t> bytes) = 0;

  // The value of the environment variable `name`, whole; nothing when unset.
  virtual std::optional<std::string> GetEnvironment(const std::string& name) = 0;

  // `text` with each %NAME% reference replaced by the variable's value;
  // references to unset variables stay as written. Nothing when the result
  // would be longer than `limit` characters.
  virtual std::optional<std::string> ExpandEnvironment(const std::string& text, std::size_t limit) = 0;

  // The program's arguments, without its own name, split the system's way.
  virtual std::vector<std::string> Arguments() = 0;

  // The running executable's path as the system reports it.
  virtual std::string ExecutablePath() = 0;

  // `name` made absolute against the current folder, in the system's own
  // spelling; `name` unchanged when that cannot be done.
  virtual std::string FullPath(const std::string& name) = 0;

  virtual TPathRules PathRules() const = 0;

  // The names (without the folder) of the files in `folder`, in no
  // particular order; folders are left out. Empty when it cannot be read.
  virtual std::vector<std::string> ListFolder(const std::string& folder) = 0;
};

}  // namespace mova
