#include "framework/PathNames.h"

namespace mova {

std::size_t FileNameStart(const std::string& path, const TPathRules& rules) {
  for (std::size_t i = path.size(); i > 0; --i) {
    const char c = path[i - 1];
    if (c == rules.Separator || (rules.ColonEndsFolder && c == ':')) return i;
  }
  return 0;
}

std::string WithTrailingSeparator(std::string folder, const TPathRules& rules) {
  if (folder.empty() || folder.back() != rules.Separator) folder.push_back(rules.Separator);
  return folder;
}

}  // namespace mova
