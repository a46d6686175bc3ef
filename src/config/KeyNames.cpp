#include "config/KeyNames.h"

namespace mova {

const std::array<TCmd, KeyNameCount> KeyNames = {{
    {"BS", "", 0x08},    {"Tab", "", 0x09},   {"Enter", "", 0x0D}, {"Esc", "", 0x1B},
    {"Space", "", 0x20}, {"PgUp", "", 0x21},  {"PgDn", "", 0x22},  {"End", "", 0x23},
    {"Home", "", 0x24},  {"Left", "", 0x25},  {"Up", "", 0x26},    {"Right", "", 0x27},
    {"Down", "", 0x28},  {"Ins", "", 0x2D},   {"Del", "", 0x2E},   {"Num0", "", 0x60},
    {"Num1", "", 0x61},  {"Num2", "", 0x62},  {"Num3", "", 0x63},  {"Num4", "", 0x64},
    {"Num5", "", 0x65},  {"Num6", "", 0x66},  {"Num7", "", 0x67},  {"Num8", "", 0x68},
    {"Num9", "", 0x69},  {"Num*", "", 0x6A},  {"Num+", "", 0x6B},  {"Num-", "", 0x6D},
    {"Num.", "", 0x6E},  {"Num/", "", 0x6F},  {"F1", "", 0x70},    {"F2", "", 0x71},
    {"F3", "", 0x72},    {"F4", "", 0x73},    {"F5", "", 0x74},    {"F6", "", 0x75},
    {"F7", "", 0x76},    {"F8", "", 0x77},    {"F9", "", 0x78},    {"F10", "", 0x79},
    {"F11", "", 0x7A},   {"F12", "", 0x7B},
    // The punctuation keys the players step frames and change speed with
    // (VK_OEM_PERIOD, VK_OEM_COMMA, VK_OEM_4, VK_OEM_6).
    {".", "", 0xBE},     {",", "", 0xBC},     {"[", "", 0xDB},     {"]", "", 0xDD},
}};

}  // namespace mova
