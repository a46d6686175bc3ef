#include "support/StatusBarPixels.h"

#include <set>

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

}  // namespace mova::test
