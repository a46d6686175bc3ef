#pragma once
// Taking paths apart by the system's rules.
#include <cstddef>
#include <string>

#include "framework/OperatingSystem.h"

namespace mova {

// Where the file-name part of `path` begins: after the last separator (or
// ":" where it ends the folder part too); 0 when there is neither.
std::size_t FileNameStart(const std::string& path, const TPathRules& rules);

// `folder` with the separator appended unless it already ends with one.
std::string WithTrailingSeparator(std::string folder, const TPathRules& rules);

}  // namespace mova
