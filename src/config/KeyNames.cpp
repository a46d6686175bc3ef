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
    // The keyboard's media keys (VK_MEDIA_PLAY_PAUSE, VK_PLAY, VK_MEDIA_STOP,
    // VK_MEDIA_NEXT_TRACK, VK_MEDIA_PREV_TRACK, VK_VOLUME_UP, _DOWN, _MUTE).
    // A pause key has no virtual key of its own: 0x0E, which Windows leaves
    // unassigned, stands for it (and for a remote's pause).
    {"MediaPlayPause", "", 0xB3}, {"MediaPlay", "", 0xFA}, {"MediaPause", "", 0x0E}, {"MediaStop", "", 0xB2},
    {"MediaNext", "", 0xB0},      {"MediaPrev", "", 0xB1}, {"VolUp", "", 0xAF},      {"VolDown", "", 0xAE},
    {"VolMute", "", 0xAD},
}};

bool IsMediaKey(uint16_t key) { return key == 0x0E || key == 0xFA || (key >= 0xAD && key <= 0xB3); }

std::optional<uint16_t> KeyOfAppCommand(uint32_t command) {
  switch (command) {
    case 8: return 0xAD;   // APPCOMMAND_VOLUME_MUTE
    case 9: return 0xAE;   // APPCOMMAND_VOLUME_DOWN
    case 10: return 0xAF;  // APPCOMMAND_VOLUME_UP
    case 11: return 0xB0;  // APPCOMMAND_MEDIA_NEXTTRACK
    case 12: return 0xB1;  // APPCOMMAND_MEDIA_PREVIOUSTRACK
    case 13: return 0xB2;  // APPCOMMAND_MEDIA_STOP
    case 14: return 0xB3;  // APPCOMMAND_MEDIA_PLAY_PAUSE
    case 46: return 0xFA;  // APPCOMMAND_MEDIA_PLAY
    case 47: return 0x0E;  // APPCOMMAND_MEDIA_PAUSE
    default: return std::nullopt;
  }
}

}  // namespace mova
