#include "app/ProgramTables.h"

namespace mova {

const std::array<TCmd, CommandTableRows> CommandTable = {{
    {"Pause", "&Play / Pause", CmdPause},
    {"Stop", "&Stop", CmdStop},
    {"Mute", "&Mute", CmdMute},
    {"FullScreen", "Full &Screen", CmdFullScreen},
    {"StayOnTop", "Stay &On Top", CmdStayOnTop},
    {"Zoom50", "Zoom &50%", CmdZoom50},
    {"Zoom100", "Zoom &100%", CmdZoom100},
    {"Zoom150", "Zoom 150%(&Q)", CmdZoom150},
    {"Zoom200", "Zoom &200%", CmdZoom200},
    {"Zoom300", "Zoom &300%", CmdZoom300},
    {"Zoom400", "Zoom &400%", CmdZoom400},
    {"SeekForward", "Seek Forward", CmdSeekForward},
    {"SeekBack", "Seek Back", CmdSeekBack},
    {"Aspect43", "Aspect 4:3(&N)", CmdAspect43},
    {"Aspect169", "Aspect 16:9(&W)", CmdAspect169},
    {"AspectOrg", "Aspect Ori&ginal", CmdAspectOrg},
    {"AspectAuto", "Aspect A&uto", CmdAspectAuto},
    {"Repeat", "&Repeat", CmdRepeat},
    {"ScreenCapture", "Save Screen &Capture As...", CmdScreenCapture},
    {"About", "&About", CmdAbout},
    {"Exit", "E&xit", CmdExit},
}};

const std::array<std::string, DefaultBindingStrings> DefaultBindings = {
    "Enter", "FullScreen", "Esc",  "Stop",       "Space", "Pause",      "Left", "SeekBack",
    "Right", "SeekForward", "Num1", "Zoom100",   "Num2",  "Zoom200",    "Num3", "Zoom300",
    "Num4",  "Zoom400",    "Num5", "Zoom50",     "1",     "Zoom100",    "2",    "Zoom200",
    "3",     "Zoom300",    "4",    "Zoom400",    "5",     "Zoom50",     "A",    "AspectAuto",
    "M",     "Mute",       "N",    "Aspect43",   "O",     "AspectOrg",  "Q",    "Zoom150",
    "R",     "Repeat",     "T",    "StayOnTop",  "W",     "Aspect169",
};

}  // namespace mova
