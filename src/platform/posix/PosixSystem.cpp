#include "platform/posix/PosixSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "framework/EnvironmentRefs.h"

namespace mova {

namespace {

static_assert(sizeof(off_t) == 8, "files over 2 GiB need 64-bit offsets");

int32_t LastError() { return errno != 0 ? errno : EIO; }

class PosixFile final : public IReadableFile {
 public:
  PosixFile(int fd, const struct stat& info)
      : fd_(fd), size_(static_cast<int64_t>(info.st_size)),
        identity_{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)} {}
  ~PosixFile() override { ::close(fd_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  TReadResult ReadAt(int64_t offset, std::span<uint8_t> buffer) override {
    TReadResult result;
    while (result.Count < buffer.size()) {
      const ssize_t got = ::pread(fd_, buffer.data() + result.Count, buffer.size() - result.Count,
                                  static_cast<off_t>(offset + static_cast<int64_t>(result.Count)));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        result.Error = LastError();
        break;
      }
      if (got == 0) break;
      result.Count += static_cast<std::size_t>(got);
    }
    return result;
  }

  int64_t Size() const override { return size_; }
  TFileIdentity Identity() const override { return identity_; }

 private:
  int fd_;
  int64_t size_;
  TFileIdentity identity_;
};

// Writes all of `bytes`, going on after short writes and interruptions.
bool WriteAll(int fd, std::span<const uint8_t> bytes) {
  const uint8_t* data = bytes.data();
  std::size_t size = bytes.size();
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Creates a new, empty temporary file next to `target`; the name is never one
// that already exists (O_EXCL), so a concurrent writer or a planted link is
// never followed. Returns the descriptor, or -1 with errno set.
int CreateTemporary(const std::string& target, std::string& tempName) {
  static std::atomic<uint32_t> counter{0};
  const std::string folder = FolderOf(target);
  const auto ticks = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[96];
    std::snprintf(name, sizeof name, "/.movacapt-%ld-%u-%llx.tmp", static_cast<long>(::getpid()),
                  counter.fetch_add(1), ticks + static_cast<unsigned long long>(attempt));
    tempName = folder + name;
    const int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST && errno != EINTR) break;
  }
  tempName.clear();
  return -1;
}

// Makes the rename itself durable; a folder that cannot be synced (some file
// systems refuse) does not make the already complete file a failure.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

TPosixSystem::TPosixSystem(std::vector<std::string> arguments) : Arguments_(std::move(arguments)) {}

std::unique_ptr<IReadableFile> TPosixSystem::OpenForReading(const std::string& name, int32_t& error) {
  // Non-blocking, so that a FIFO cannot hang the caller; it is refused below
  // anyway, as is everything but a regular file.
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    error = LastError();
    return nullptr;
  }
  struct stat info {};
  error = 0;
  if (::fstat(fd, &info) != 0) {
    error = LastError();
  } else if (S_ISDIR(info.st_mode)) {
    error = EISDIR;
  } else if (!S_ISREG(info.st_mode)) {
    error = EINVAL;
  }
  if (error != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixFile>(fd, info);
}

int32_t TPosixSystem::WriteFileAtomically(const std::string& name, std::span<const uint8_t> bytes) {
  if (name.empty()) return ENOENT;
  std::string tempName;
  const int fd = CreateTemporary(name, tempName);
  if (fd < 0) return LastError();
  int32_t error = 0;
  // The data must be on disk before the rename makes it the file's contents;
  // otherwise a crash could leave an empty file where the old one was.
  if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) error = LastError();
  if (::close(fd) != 0 && error == 0) error = LastError();
  if (error == 0 && ::rename(tempName.c_str(), name.c_str()) != 0) error = LastError();
  if (error != 0) {
    ::unlink(tempName.c_str());
    return error;
  }
  SyncFolder(FolderOf(name));
  return 0;
}

std::optional<std::string> TPosixSystem::GetEnvironment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

std::optional<std::string> TPosixSystem::ExpandEnvironment(const std::string& text, std::size_t limit) {
  return ExpandEnvironmentRefs(
      text, [this](const std::string& name) { return GetEnvironment(name); }, limit);
}

std::string TPosixSystem::ExecutablePath() {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

std::string TPosixSystem::FullPath(const std::string& name) {
  if (name.empty()) return name;
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(name, error);
  return error ? name : full.lexically_normal().string();
}

std::vector<std::string> TPosixSystem::ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator entry(folder.empty() ? "." : folder, error);
  for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
    std::error_code kind;
    if (entry->is_regular_file(kind)) names.push_back(entry->path().filename().string());
  }
  return names;
}

}  // namespace mova
