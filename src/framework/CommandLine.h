#pragma once
// Splitting a command line into arguments, where the system hands the
// program one text (Windows).
#include <string>
#include <vector>

namespace mova {

// Characters with codes 1 to 32 separate arguments; double quotes group text
// that holds them and are themselves removed ("a b"c gives one argument,
// a bc). Text that leaves no character (a lone "") is no argument. The
// program's own name, when the line starts with it, is the first argument.
std::vector<std::string> SplitCommandLine(const std::string& line);

}  // namespace mova
