#include "player/FileReader.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <utility>
#include <vector>

namespace mova {

namespace {

// Reads a regular file through one block buffer, so walking hundreds of
// thousands of 8-byte chunk headers costs one system call per block, and a
// seek is only arithmetic until the next read.
class FileReader final : public ByteReader {
 public:
  explicit FileReader(std::unique_ptr<IReadableFile> file)
      : file_(std::move(file)), size_(file_->Size()), buffer_(kBufferSize) {}
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
        const size_t got = ReadAt(out + done, count - done, position_);
        if (got == 0) break;
        done += got;
        position_ += static_cast<int64_t>(got);
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
    bufferStart_ = start;
    bufferLength_ = ReadAt(buffer_.data(), length, start);
    return position_ < bufferStart_ + static_cast<int64_t>(bufferLength_);
  }

  // What could be read at `offset`: a read that fails part way gives the
  // bytes before the failure, which the probes treat as the end of the file.
  size_t ReadAt(uint8_t* out, size_t count, int64_t offset) const {
    return file_->ReadAt(offset, std::span<uint8_t>(out, count)).Count;
  }

  std::unique_ptr<IReadableFile> file_;
  int64_t size_;
  int64_t position_ = 0;
  std::vector<uint8_t> buffer_;
  int64_t bufferStart_ = 0;
  size_t bufferLength_ = 0;
};

}  // namespace

std::unique_ptr<ByteReader> OpenFileReader(IOperatingSystem& system, const std::string& path) {
  int32_t error = 0;
  std::unique_ptr<IReadableFile> file = system.OpenForReading(path, error);
  if (!file) return nullptr;
  return std::make_unique<FileReader>(std::move(file));
}

}  // namespace mova
