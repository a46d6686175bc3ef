#include "app/FolderFiles.h"

#include <algorithm>
#include <array>

#include "framework/PathNames.h"

namespace mova {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The extensions of the types the desktop entry lists.
constexpr std::array<const char*, 41> PlayableExtensions = {
    "avi", "mpg",  "mpeg", "m1v", "m2v", "vob", "ts",  "m2ts", "mts",  "mp4", "m4v", "mov", "qt", "3gp",
    "mkv", "webm", "ogv",  "ogg", "flv", "asf", "wmv", "dv",   "mjpeg", "mjpg", "wav", "mp3", "mp2", "m4a",
    "aac", "ac3",  "flac", "oga", "opus", "spx", "mka", "aif", "aiff", "au",  "snd", "wma", "wv",
};

}  // namespace

bool NaturalLess(const std::string& a, const std::string& b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      // Leading zeros do not count; a longer run is the larger number.
      const size_t startA = i;
      const size_t startB = j;
      while (i < a.size() && IsDigit(a[i])) ++i;
      while (j < b.size() && IsDigit(b[j])) ++j;
      size_t firstA = startA;
      size_t firstB = startB;
      while (firstA + 1 < i && a[firstA] == '0') ++firstA;
      while (firstB + 1 < j && b[firstB] == '0') ++firstB;
      const std::string_view numberA(a.data() + firstA, i - firstA);
      const std::string_view numberB(b.data() + firstB, j - firstB);
      if (numberA.size() != numberB.size()) return numberA.size() < numberB.size();
      if (numberA != numberB) return numberA < numberB;
      continue;
    }
    const char x = Fold(a[i]);
    const char y = Fold(b[j]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    ++i;
    ++j;
  }
  if ((i < a.size()) != (j < b.size())) return j < b.size();
  return a < b;
}

bool IsPlayableName(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot + 1 == name.size()) return false;
  std::string extension = name.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(), Fold);
  return std::find(PlayableExtensions.begin(), PlayableExtensions.end(), extension) != PlayableExtensions.end();
}

TNeighbourFiles NeighbourFiles(IOperatingSystem& system, const std::string& current) {
  const TPathRules rules = system.PathRules();
  const std::string full = system.FullPath(current);
  const size_t nameStart = FileNameStart(full, rules);
  const std::string folder = full.substr(0, nameStart);
  const std::string name = full.substr(nameStart);
  std::vector<std::string> names = system.ListFolder(folder);
  names.erase(std::remove_if(names.begin(), names.end(), [](const std::string& n) { return !IsPlayableName(n); }),
              names.end());
  std::sort(names.begin(), names.end(), NaturalLess);
  TNeighbourFiles neighbours;
  const auto next = std::upper_bound(names.begin(), names.end(), name, NaturalLess);
  if (next != names.end()) neighbours.Next = folder + *next;
  const auto here = std::lower_bound(names.begin(), names.end(), name, NaturalLess);
  if (here != names.begin()) neighbours.Previous = folder + *std::prev(here);
  return neighbours;
}

std::optional<std::string> NeighbourFile(IOperatingSystem& system, const std::string& current, int step) {
  const TNeighbourFiles neighbours = NeighbourFiles(system, current);
  return step > 0 ? neighbours.Next : neighbours.Previous;
}

}  // namespace mova
