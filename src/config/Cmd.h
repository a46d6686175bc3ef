#pragma once
#include <cstdint>
#include <string>

namespace mova {

// One row of the command table or of the key-name table.
struct TCmd {
  std::string Name;
  std::string MenuCaption;
  int32_t Id = 0;
};

// Command identifiers; the named ones are rows of the command table.
using CommandId = int32_t;
constexpr CommandId MenuSeparator = -1;

}  // namespace mova
