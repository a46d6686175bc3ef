#include "framework/CommandLine.h"

namespace mova {

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> arguments;
  std::string current;
  bool quoted = false;
  for (const char c : line) {
    const auto code = static_cast<unsigned char>(c);
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && code >= 1 && code <= 32) {
      if (!current.empty()) arguments.push_back(current);
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) arguments.push_back(current);
  return arguments;
}

}  // namespace mova
