#include "framework/EnvironmentRefs.h"

namespace mova {

std::optional<std::string> ExpandEnvironmentRefs(const std::string& text, const EnvLookup& lookup,
                                                 std::size_t limit) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (out.size() > limit) return std::nullopt;
    if (text[i] != '%') {
      out.push_back(text[i++]);
      continue;
    }
    std::size_t close = text.find('%', i + 1);
    if (close == std::string::npos) {
      out.append(text, i, std::string::npos);
      break;
    }
    std::string name = text.substr(i + 1, close - i - 1);
    if (name.empty()) {
      // "%%" names nothing: keep the first "%" and let the second start a reference.
      out.push_back('%');
      i = close;
      continue;
    }
    std::optional<std::string> value = lookup(name);
    if (value) {
      out.append(*value);
    } else {
      out.append(text, i, close - i + 1);
    }
    i = close + 1;
  }
  if (out.size() > limit) return std::nullopt;
  return out;
}

}  // namespace mova
