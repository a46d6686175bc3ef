#include "player/FileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace mova {

namespace {

// Reads a regular file through one block buffer with pread, so walking
// hundreds of thousands of 8-byte chunk headers costs one system call per
// block, and a seek is only arithmetic until the next read.
class FileReader final : public ByteReader {
 public:
  FileReader(int fd, int64_t size) : fd_(fd), size_(size), buffer_(kBufferSize) {}
  ~FileReader() override { ::close(fd_); }
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  bool ReadExact(void* buffer, size_t count) override { return ReadSome(buffer, count) == count; }

  size_t ReadSome(void* buffer, size_t count) override {
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < count) {
      if (position_ >= bufferStart_ && position_ < bufferStart_ + static_cast<int64_t>(bufferLength_)) {
        const size_t offset = static_cast<size_t>(position_ - bufferStart_);
        const size_t take = std::min(count - done, bufferLength_ - offset);
        std::memcpy(out + done, buffer_.data() + offset, take);
        done += take;
        position_ += static_cast<int64_t>(take);
      } else if (count - done >= buffer_.size()) {
        // A large read goes straight to the caller's memory.
        const ssize_t got = PreadFully(out + done, count - done, position_);
        if (got <= 0) break;
        done += static_cast<size_t>(got);
        position_ += got;
      } else if (!Fill()) {
        break;
      }
    }
    return done;
  }

  bool Seek(int64_t position) override {
    if (position < 0 || position > size_) return false;
    position_ = position;
    return true;
  }

  int64_t Position() const override { return position_; }
  int64_t Size() const override { return size_; }

 private:
  static constexpr size_t kBufferSize = 64 * 1024;
  static constexpr int64_t kPageSize = 4096;

  // Loads bytes from the current position on; false at the end or on an
  // error. Reading on (or a short skip ahead) fills the whole buffer; after a
  // longer jump, such as over a large video frame, only the page holding the
  // position is read, so walking the chunk headers of a big file does not
  // read its media data as well.
  bool Fill() {
    const int64_t gap = position_ - (bufferStart_ + static_cast<int64_t>(bufferLength_));
    const bool onward = gap >= 0 && gap < kPageSize;
    const int64_t start = onward ? position_ : position_ / kPageSize * kPageSize;
    const size_t length = onward ? buffer_.size() : static_cast<size_t>(kPageSize);
    const ssize_t got = PreadFully(buffer_.data(), length, start);
    bufferStart_ = start;
    bufferLength_ = got > 0 ? static_cast<size_t>(got) : 0;
    return position_ < bufferStart_ + static_cast<int64_t>(bufferLength_);
  }

  // Like pread, but retries interrupted and partial reads until `count` bytes
  // or the end of the file; -1 only when nothing was read because of an error.
  ssize_t PreadFully(uint8_t* out, size_t count, int64_t offset) const {
    size_t done = 0;
    while (done < count) {
      const ssize_t got = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return done > 0 ? static_cast<ssize_t>(done) : -1;
      if (got == 0) break;
      done += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(done);
  }

  int fd_;
  int64_t size_;
  int64_t position_ = 0;
  std::vector<uint8_t> buffer_;
  int64_t bufferStart_ = 0;
  size_t bufferLength_ = 0;
};

}  // namespace

std::unique_ptr<ByteReader> OpenFileReader(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<FileReader>(fd, static_cast<int64_t>(info.st_size));
}

}  // namespace mova
