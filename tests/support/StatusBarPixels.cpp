#include "support/StatusBarPixels.h"

#include <set>
#include <sstream>

namespace mova::test {

// Columns painted gray in the marker's rows of the bar (text is never gray).
double MarkerCentre(const Snapshot& shot) {
  const int top = shot.Height - 13;
  std::set<int> columns;
  for (int y = top + 2; y <= top + 11; ++y)
    for (int x = 0; x < shot.Width; ++x)
      if (shot.At(x, y) == Gray) columns.insert(x);
  if (columns.empty()) return -1;
  double sum = 0;
  for (int x : columns) sum += x;
  return sum / static_cast<double>(columns.size());
}

int StateTextPixels(const Snapshot& shot) {
  int cyan = 0;
  for (int y = shot.Height - 12; y < shot.Height; ++y)
    for (int x = 0; x < 60 && x < shot.Width; ++x) cyan += shot.At(x, y) == Cyan;
  return cyan;
}

int BarTextPixels(const Snapshot& shot) {
  int cyan = 0;
  for (int y = shot.Height - 12; y < shot.Height; ++y)
    for (int x = 0; x < shot.Width; ++x) cyan += shot.At(x, y) == Cyan;
  return cyan;
}

Snapshot SnapshotFromPpm(const std::string& ppm) {
  Snapshot shot;
  std::istringstream in(ppm);
  std::string magic;
  int maxValue = 0;
  in >> magic >> shot.Width >> shot.Height >> maxValue;
  in.get();
  if (!in || magic != "P6" || maxValue != 255 || shot.Width <= 0 || shot.Height <= 0) return Snapshot{};
  shot.Data = ppm.substr(static_cast<size_t>(in.tellg()));
  if (shot.Data.size() < static_cast<size_t>(shot.Width) * shot.Height * 3) return Snapshot{};
  return shot;
}

}  // namespace mova::test
