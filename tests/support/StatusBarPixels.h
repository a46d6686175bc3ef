#pragma once
// What the end-to-end tests read from a window's pixels: the picture above
// the 13-pixel status bar, the bar's gray top line, its cyan text and the
// gray marker.
#include <cstddef>
#include <cstdint>
#include <string>

namespace mova::test {

struct Pixel {
  int R = 0, G = 0, B = 0;
  bool operator==(const Pixel&) const = default;
};
constexpr Pixel Gray{128, 128, 128};
constexpr Pixel Cyan{0, 255, 255};
constexpr Pixel Black{0, 0, 0};

// A picture of a window's client area.
struct Snapshot {
  int Width = 0;
  int Height = 0;
  std::string Data;  // RGB, row after row
  Pixel At(int x, int y) const {
    const size_t at = (static_cast<size_t>(y) * Width + x) * 3;
    return Pixel{static_cast<uint8_t>(Data[at]), static_cast<uint8_t>(Data[at + 1]),
                 static_cast<uint8_t>(Data[at + 2])};
  }
};

// A binary PPM (P6, 8 bits) as the screenshot tools write it; empty when the
// text is not one or is cut short.
Snapshot SnapshotFromPpm(const std::string& ppm);

// The mean column of the marker in the status bar; -1 when there is none.
double MarkerCentre(const Snapshot& shot);
// Cyan pixels of the bar's left end, where the state word and the flags are.
int StateTextPixels(const Snapshot& shot);
// Cyan pixels anywhere in the bar.
int BarTextPixels(const Snapshot& shot);

}  // namespace mova::test
