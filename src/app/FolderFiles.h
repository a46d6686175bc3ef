#pragma once
// The next and the previous file of the open file's folder, as a file
// manager orders them: without regard to case, numbers by their value.
#include <optional>
#include <string>
#include <vector>

#include "framework/OperatingSystem.h"

namespace mova {

// Whether `a` comes before `b`: runs of digits compare as numbers ("ep2"
// before "ep10"), the rest character by character without regard to ASCII
// case; names equal that way fall back to their bytes, so the order is total.
bool NaturalLess(const std::string& a, const std::string& b);

// Whether the name ends in an extension of a type the program plays (the
// types its desktop entry offers it for), compared without regard to case.
bool IsPlayableName(const std::string& name);

// The playable file after (`step` 1) or before (`step` -1) `current` in its
// folder, as a full path; nothing at either end, or when the folder cannot
// be read. `current` itself need not be playable or still there.
std::optional<std::string> NeighbourFile(IOperatingSystem& system, const std::string& current, int step);
// Both neighbours from one reading of the folder.
struct TNeighbourFiles {
  std::optional<std::string> Previous;
  std::optional<std::string> Next;
};
TNeighbourFiles NeighbourFiles(IOperatingSystem& system, const std::string& current);

}  // namespace mova
