#pragma once
#include <cstddef>
#include <cstdint>

namespace mova {

// Read access to the bytes of a media file, for the header probes. Reads are
// buffered by the implementation, so walking many small chunk headers is cheap.
class ByteReader {
 public:
  virtual ~ByteReader() = default;

  // Reads exactly `count` bytes into `buffer`. False when fewer are available
  // or on an error; the position is then unspecified.
  virtual bool ReadExact(void* buffer, size_t count) = 0;

  // Reads up to `count` bytes; returns how many were read (0 at the end or on
  // an error).
  virtual size_t ReadSome(void* buffer, size_t count) = 0;

  // Moves to absolute byte `position` (0 to Size()); false when out of range.
  virtual bool Seek(int64_t position) = 0;

  virtual int64_t Position() const = 0;
  virtual int64_t Size() const = 0;
};

}  // namespace mova
