#pragma once
// The program's commands, its built-in key bindings and the context menu's layout.
#include <array>
#include <cstdint>
#include <string>

#include "config/Cmd.h"

namespace mova {

constexpr CommandId CmdPause = 100;
constexpr CommandId CmdStop = 101;
constexpr CommandId CmdSeekForward = 110;
constexpr CommandId CmdSeekBack = 111;
constexpr CommandId CmdAspect43 = 112;
constexpr CommandId CmdMute = 113;
constexpr CommandId CmdSizeToVideo = 114;  // has no name: no key, no menu item
constexpr CommandId CmdStayOnTop = 115;
constexpr CommandId CmdFullScreen = 116;
constexpr CommandId CmdAspectOrg = 117;
constexpr CommandId CmdRepeat = 118;
constexpr CommandId CmdScreenCapture = 119;
constexpr CommandId CmdAspect169 = 120;
constexpr CommandId CmdAspectAuto = 121;
constexpr CommandId CmdAbout = 198;
constexpr CommandId CmdExit = 199;
constexpr CommandId CmdZoomBase = 1000;  // 1000 + percent
constexpr CommandId CmdZoom50 = 1050;
constexpr CommandId CmdZoom100 = 1100;
constexpr CommandId CmdZoom150 = 1150;
constexpr CommandId CmdZoom200 = 1200;
constexpr CommandId CmdZoom300 = 1300;
constexpr CommandId CmdZoom400 = 1400;
// Beyond the first table: what the mainstream players' users expect.
constexpr CommandId CmdVolumeUp = 130;
constexpr CommandId CmdVolumeDown = 131;
constexpr CommandId CmdFrameStep = 132;
constexpr CommandId CmdFrameBack = 133;
constexpr CommandId CmdSpeedUp = 134;
constexpr CommandId CmdSpeedDown = 135;
constexpr CommandId CmdSpeedReset = 136;
constexpr CommandId CmdNextAudio = 137;
constexpr CommandId CmdNextSubtitle = 138;
constexpr CommandId CmdSubtitles = 139;
constexpr CommandId CmdNextFile = 140;
constexpr CommandId CmdPrevFile = 141;
constexpr CommandId CmdSeekForwardBase = 5000;  // 5000 + seconds forward
constexpr CommandId CmdSeekBackBase = 6000;     // 6000 + seconds back
constexpr CommandId SeekCommandSeconds = 999;   // the most either range carries
constexpr CommandId CmdSeekForward10 = 5010;
constexpr CommandId CmdSeekBack10 = 6010;
constexpr CommandId CmdSeekForward60 = 5060;
constexpr CommandId CmdSeekBack60 = 6060;

// The first 21 rows are the program's original commands, in their order.
constexpr int CommandTableRows = 37;
// Names (the key map's vocabulary, compared without regard to case), menu
// captions and ids, searched from the top.
extern const std::array<TCmd, CommandTableRows> CommandTable;

// Key text and command name, pair after pair: the original bindings, then
// those of the commands added since, on keys the original ones leave free.
// Start-up uses both (AllDefaultBindings); a key map replaces them all.
constexpr int DefaultBindingStrings = 46;
extern const std::array<std::string, DefaultBindingStrings> DefaultBindings;
constexpr int AddedBindingStrings = 50;
extern const std::array<std::string, AddedBindingStrings> AddedBindings;
extern const std::array<std::string, DefaultBindingStrings + AddedBindingStrings> AllDefaultBindings;

// The context menu's command items in order; MenuSeparator marks a separator.
inline constexpr std::array<int32_t, 24> MenuLayout = {
    CmdPause,     CmdStop,      CmdMute,      CmdRepeat,        MenuSeparator, CmdZoom50,
    CmdZoom100,   CmdZoom150,   CmdZoom200,   CmdZoom300,       CmdZoom400,    MenuSeparator,
    CmdAspectAuto, CmdAspectOrg, CmdAspect43, CmdAspect169,     MenuSeparator, CmdFullScreen,
    CmdStayOnTop, MenuSeparator, CmdScreenCapture, MenuSeparator, CmdAbout,    CmdExit,
};

// The submenu after them with the commands added since.
constexpr char MoreMenuCaption[] = "More Comman&ds";  // a mnemonic no other item has
inline constexpr std::array<int32_t, 19> MoreMenuLayout = {
    CmdVolumeUp,   CmdVolumeDown,   MenuSeparator, CmdSeekForward10, CmdSeekBack10, CmdSeekForward60, CmdSeekBack60,
    CmdFrameStep,  CmdFrameBack,    MenuSeparator, CmdSpeedUp,       CmdSpeedDown,  CmdSpeedReset,    MenuSeparator,
    CmdNextAudio,  CmdNextSubtitle, CmdSubtitles,  CmdNextFile,      CmdPrevFile,
};

}  // namespace mova
