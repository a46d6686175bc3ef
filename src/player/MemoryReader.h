#pragma once
// A ByteReader over bytes in memory, for the tests and the fuzzers.
#include <cstdint>
#include <string>

#include "player/ByteReader.h"

namespace mova {

class MemoryReader final : public ByteReader {
 public:
  // Keeps its own copy of `bytes`.
  explicit MemoryReader(std::string bytes);
  // Reads `size` bytes at `data` in place; they must outlive the reader.
  MemoryReader(const void* data, size_t size);
  MemoryReader(const MemoryReader&) = delete;
  MemoryReader& operator=(const MemoryReader&) = delete;

  bool ReadExact(void* buffer, size_t count) override;
  size_t ReadSome(void* buffer, size_t count) override;
  bool Seek(int64_t position) override;
  int64_t Position() const override { return position_; }
  int64_t Size() const override { return static_cast<int64_t>(size_); }

 private:
  std::string owned_;
  const uint8_t* data_;
  size_t size_;
  int64_t position_ = 0;
};

}  // namespace mova
