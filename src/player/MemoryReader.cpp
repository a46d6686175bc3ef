#include "player/MemoryReader.h"

#include <algorithm>
#include <cstring>

namespace mova {

MemoryReader::MemoryReader(std::string bytes)
    : owned_(std::move(bytes)), data_(reinterpret_cast<const uint8_t*>(owned_.data())), size_(owned_.size()) {}

MemoryReader::MemoryReader(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}

bool MemoryReader::ReadExact(void* buffer, size_t count) {
  // All or nothing: a short read leaves the position where it was.
  if (count > size_ - static_cast<size_t>(position_)) return false;
  return ReadSome(buffer, count) == count;
}

size_t MemoryReader::ReadSome(void* buffer, size_t count) {
  const size_t take = std::min(count, size_ - static_cast<size_t>(position_));
  if (take > 0) std::memcpy(buffer, data_ + position_, take);
  position_ += static_cast<int64_t>(take);
  return take;
}

bool MemoryReader::Seek(int64_t position) {
  if (position < 0 || position > Size()) return false;
  position_ = position;
  return true;
}

}  // namespace mova
