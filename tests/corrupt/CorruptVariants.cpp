#include "corrupt/CorruptVariants.h"

#include <algorithm>
#include <cstdint>
#include <random>

namespace mova::test {

namespace {

uint32_t ReadLe32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

uint32_t ReadBe32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

// RIFF: the form's size, then every chunk's down into the LIST chunks, in the first 64 KiB.
void RiffSizes(const std::string& bytes, size_t begin, size_t end, std::vector<size_t>& offsets) {
  for (size_t at = begin; at + 8 <= end && at < 65536 && offsets.size() < 24;) {
    offsets.push_back(at + 4);
    const uint32_t size = ReadLe32(bytes, at + 4);
    const std::string id = bytes.substr(at, 4);
    if ((id == "LIST" || id == "RIFF") && at + 12 <= end) RiffSizes(bytes, at + 12, std::min<size_t>(end, at + 8 + size), offsets);
    at += 8 + size + (size & 1);
  }
}

// MP4: every box's size down into the containers that hold the track tables.
void BoxSizes(const std::string& bytes, size_t begin, size_t end, std::vector<size_t>& offsets) {
  static const std::string containers[] = {"moov", "trak", "mdia", "minf", "stbl"};
  for (size_t at = begin; at + 8 <= end && offsets.size() < 32;) {
    offsets.push_back(at);
    const uint32_t size = ReadBe32(bytes, at);
    if (size < 8) return;
    const std::string type = bytes.substr(at + 4, 4);
    if (std::find(std::begin(containers), std::end(containers), type) != std::end(containers))
      BoxSizes(bytes, at + 8, std::min<size_t>(end, at + size), offsets);
    at += size;
  }
}

void Put32(std::string& bytes, size_t at, uint32_t value, bool bigEndian) {
  for (int i = 0; i < 4; ++i) {
    const int shift = bigEndian ? 24 - 8 * i : 8 * i;
    bytes[at + i] = static_cast<char>(value >> shift);
  }
}

// Where the headers end, roughly: the first tenth of the file, at least 256 bytes.
size_t HeaderEnd(const std::string& bytes) { return std::min(bytes.size(), std::max<size_t>(256, bytes.size() / 10)); }

}  // namespace

std::vector<size_t> SizeFieldOffsets(const std::string& bytes, const std::string& extension) {
  std::vector<size_t> offsets;
  if (bytes.size() < 16) return offsets;
  if ((extension == ".avi" || extension == ".wav") && bytes.compare(0, 4, "RIFF") == 0) {
    RiffSizes(bytes, 0, bytes.size(), offsets);
  } else if (extension == ".mp4") {
    BoxSizes(bytes, 0, bytes.size(), offsets);
  } else {
    for (size_t at = 4; at + 4 <= std::min<size_t>(bytes.size(), 64); at += 4) offsets.push_back(at);
  }
  return offsets;
}

std::vector<Variant> MakeVariants(const std::string& clean, const std::string& extension, int flipSeeds) {
  std::vector<Variant> variants;
  const auto add = [&](std::string name, std::string bytes) {
    variants.push_back(Variant{std::move(name), extension, std::move(bytes)});
  };
  const size_t size = clean.size();
  const size_t head = HeaderEnd(clean);

  // Cut inside the headers, at the first frame (about), halfway and one byte short.
  for (size_t cut : {size_t{0}, size_t{4}, size_t{12}, size_t{32}, size_t{100}, size_t{256}, size_t{1024},
                     size_t{4096}, head, size / 4, size / 2, size - 1}) {
    if (cut < size) add("cut-" + std::to_string(cut), clean.substr(0, cut));
  }
  // Bytes flipped at random, seeded: some in the headers, some after them.
  for (int seed = 0; seed < flipSeeds; ++seed) {
    for (const bool inHead : {true, false}) {
      std::mt19937 random(static_cast<uint32_t>(seed * 2 + (inHead ? 0 : 1)));
      std::string bytes = clean;
      const size_t from = inHead ? 0 : head;
      const size_t to = inHead ? head : size;
      if (to <= from) continue;
      const int flips = 1 + static_cast<int>(random() % 16);
      for (int i = 0; i < flips; ++i) bytes[from + random() % (to - from)] ^= static_cast<char>(1 + random() % 255);
      add(std::string(inHead ? "flip-head-" : "flip-body-") + std::to_string(seed), std::move(bytes));
    }
  }
  // Size fields of the first structures set to 0, to -1 and to 2^31.
  const bool bigEndian = extension == ".mp4";
  for (size_t at : SizeFieldOffsets(clean, extension)) {
    const struct {
      const char* Name;
      uint32_t Value;
    } values[] = {{"zero", 0}, {"minus1", 0xFFFFFFFFu}, {"2p31", 0x80000000u}};
    for (const auto& value : values) {
      std::string bytes = clean;
      Put32(bytes, at, value.Value, bigEndian);
      add("size-" + std::to_string(at) + "-" + value.Name, std::move(bytes));
    }
  }
  // A block of the headers, and one from the middle, repeated in place.
  for (const auto& [from, length] : {std::pair<size_t, size_t>{12, 64}, {head / 2, 512}, {size / 2, 4096}}) {
    if (from + length > size) continue;
    std::string bytes = clean;
    bytes.insert(from, clean.substr(from, length));
    add("repeat-" + std::to_string(from) + "-" + std::to_string(length), std::move(bytes));
  }
  // The whole file under another container's name.
  for (const char* other : {".avi", ".mp4", ".mkv", ".mp3"}) {
    if (extension == other) continue;
    variants.push_back(Variant{std::string("named") + other, other, clean});
  }
  return variants;
}

}  // namespace mova::test
