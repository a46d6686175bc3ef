#pragma once
// One key binding as the platform's accelerator tables hold it.
#include <cstdint>

namespace mova {

// Accelerator flags.
namespace F {
constexpr uint8_t VIRTKEY = 0x01;
constexpr uint8_t SHIFT = 0x04;
constexpr uint8_t CONTROL = 0x08;
constexpr uint8_t ALT = 0x10;
}  // namespace F

// Laid out as the Windows ACCEL record.
struct AccelEntry {
  uint8_t Flags = F::VIRTKEY;
  uint8_t Reserved = 0;
  uint16_t Key = 0;  // virtual-key code
  uint16_t Cmd = 0;  // command id; 0 when the command name matched no command
};

}  // namespace mova
