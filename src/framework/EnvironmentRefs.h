#pragma once
// %NAME% expansion over any source of variables: what the Windows system
// call does, for the systems and tests that have none.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace mova {

using EnvLookup = std::function<std::optional<std::string>(const std::string&)>;

// Replaces every %NAME% reference by the value `lookup` gives for NAME;
// references to unset variables and a lone "%" stay as they are, and "%%"
// keeps its first "%". Nothing when the result would exceed `limit` characters.
std::optional<std::string> ExpandEnvironmentRefs(const std::string& text, const EnvLookup& lookup,
                                                 std::size_t limit);

}  // namespace mova
