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

constexpr int CommandTableRows = 21;
// Names (the key map's vocabulary, compared without regard to case), menu
// captions and ids, searched from the top.
extern const std::array<TCmd, CommandTableRows> CommandTable;

// Key text and command name, pair after pair.
constexpr int DefaultBindingStrings = 46;
extern const std::array<std::string, DefaultBindingStrings> DefaultBindings;

// The context menu's command items in order; MenuSeparator marks a separator.
inline constexpr std::array<int32_t, 24> MenuLayout = {
    CmdPause,     CmdStop,      CmdMute,      CmdRepeat,        MenuSeparator, CmdZoom50,
    CmdZoom100,   CmdZoom150,   CmdZoom200,   CmdZoom300,       CmdZoom400,    MenuSeparator,
    CmdAspectAuto, CmdAspectOrg, CmdAspect43, CmdAspect169,     MenuSeparator, CmdFullScreen,
    CmdStayOnTop, MenuSeparator, CmdScreenCapture, MenuSeparator, CmdAbout,    CmdExit,
};

}  // namespace mova
