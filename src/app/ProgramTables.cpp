#include "app/ProgramTables.h"

#include <algorithm>

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
    {"VolumeUp", "&Volume Up", CmdVolumeUp},
    {"VolumeDown", "Volume &Down", CmdVolumeDown},
    {"SeekForward10", "Forward 10 Seconds", CmdSeekForward10},
    {"SeekBack10", "Back 10 Seconds", CmdSeekBack10},
    {"SeekForward60", "Forward 1 Minute", CmdSeekForward60},
    {"SeekBack60", "Back 1 Minute", CmdSeekBack60},
    {"FrameStep", "Next &Frame", CmdFrameStep},
    {"FrameBack", "Previous Fra&me", CmdFrameBack},
    {"SpeedUp", "Fa&ster", CmdSpeedUp},
    {"SpeedDown", "S&lower", CmdSpeedDown},
    {"SpeedReset", "Normal S&peed", CmdSpeedReset},
    {"NextAudio", "Next &Audio Track", CmdNextAudio},
    {"NextSubtitle", "Next Su&btitle Track", CmdNextSubtitle},
    {"Subtitles", "&Subtitles On / Off", CmdSubtitles},
    {"NextFile", "&Next File in Folder", CmdNextFile},
    {"PrevFile", "Pre&vious File in Folder", CmdPrevFile},
}};

const std::array<std::string, DefaultBindingStrings> DefaultBindings = {
    "Enter", "FullScreen", "Esc",  "Stop",       "Space", "Pause",      "Left", "SeekBack",
    "Right", "SeekForward", "Num1", "Zoom100",   "Num2",  "Zoom200",    "Num3", "Zoom300",
    "Num4",  "Zoom400",    "Num5", "Zoom50",     "1",     "Zoom100",    "2",    "Zoom200",
    "3",     "Zoom300",    "4",    "Zoom400",    "5",     "Zoom50",     "A",    "AspectAuto",
    "M",     "Mute",       "N",    "Aspect43",   "O",     "AspectOrg",  "Q",    "Zoom150",
    "R",     "Repeat",     "T",    "StayOnTop",  "W",     "Aspect169",
};

// As mpv, VLC and MPC-HC have them, where the keys above leave room.
const std::array<std::string, AddedBindingStrings> AddedBindings = {
    "Up",      "VolumeUp",      "Down",   "VolumeDown", "C-Right", "SeekForward10", "C-Left", "SeekBack10",
    "S-Right", "SeekForward60", "S-Left", "SeekBack60", ".",       "FrameStep",     ",",      "FrameBack",
    "]",       "SpeedUp",       "[",      "SpeedDown",  "BS",      "SpeedReset",    "B",      "NextAudio",
    "V",       "NextSubtitle",  "S",      "Subtitles",  "PgDn",    "NextFile",      "PgUp",   "PrevFile",
    // The keyboard's media keys; play, pause and play/pause all go between
    // the two, as mpv's do.
    "MediaPlayPause", "Pause", "MediaPlay", "Pause", "MediaPause", "Pause", "MediaStop", "Stop",
    "MediaNext", "NextFile", "MediaPrev", "PrevFile", "VolUp", "VolumeUp", "VolDown", "VolumeDown", "VolMute", "Mute",
};

const std::array<std::string, DefaultBindingStrings + AddedBindingStrings> AllDefaultBindings = [] {
  std::array<std::string, DefaultBindingStrings + AddedBindingStrings> all;
  std::copy(DefaultBindings.begin(), DefaultBindings.end(), all.begin());
  std::copy(AddedBindings.begin(), AddedBindings.end(), all.begin() + DefaultBindingStrings);
  return all;
}();

}  // namespace mova
